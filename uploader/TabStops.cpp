#include "uploader/TabStops.h"

#include <algorithm>
#include <cstddef>

int DialogUnitsToPixels(int dialogUnits, int averageCharWidth) {
  // Rounded as the platform's MulDiv does.
  const long long product = static_cast<long long>(dialogUnits) * averageCharWidth;
  return static_cast<int>(product >= 0 ? (product + 2) / 4 : (product - 2) / 4);
}

int AverageCharWidth(int lettersWidth) { return std::max(1, (lettersWidth / 26 + 1) / 2); }

std::vector<int> TabbedSegmentStarts(const std::vector<int>& segmentWidths,
                                     const std::vector<int>& stops, int defaultInterval) {
  std::vector<int> starts;
  std::size_t nextStop = 0;
  int x = 0;
  for (std::size_t i = 0; i < segmentWidths.size(); ++i) {
    if (i > 0) {
      while (nextStop < stops.size() && stops[nextStop] <= x) ++nextStop;
      x = nextStop < stops.size() ? stops[nextStop] : (x / defaultInterval + 1) * defaultInterval;
    }
    starts.push_back(x);
    x += segmentWidths[i];
  }
  return starts;
}
