// Where the TAB-separated columns of a list line start, as the platform's list box places them
// (tabbed text output): each TAB moves to the first tab stop beyond the text so far, and past
// the last stop to the next multiple of the default interval.
#pragma once

#include <vector>

// Tab stops are given in dialog units; horizontally one unit is a quarter of the list font's
// average character width.
int DialogUnitsToPixels(int dialogUnits, int averageCharWidth);

// The average character width as the platform's list box reckons it: the advance of these 52
// Latin letters together (`lettersWidth`, in pixels) over 52, rounded; at least 1.
inline constexpr char16_t kAverageWidthLetters[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
int AverageCharWidth(int lettersWidth);

// The start (pixels from the line's left edge) of each segment, given the width of each
// segment in order. `stops` are pixel positions; a stop at or before the end of the text so far
// is passed over and not used again. The first segment starts at 0. `defaultInterval` must be
// positive.
std::vector<int> TabbedSegmentStarts(const std::vector<int>& segmentWidths,
                                     const std::vector<int>& stops, int defaultInterval);
