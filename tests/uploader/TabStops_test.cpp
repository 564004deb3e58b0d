#include "uploader/TabStops.h"

#include <gtest/gtest.h>

namespace {

TEST(TabStops, DialogUnitsAreQuartersOfTheAverageCharacter) {
  EXPECT_EQ(DialogUnitsToPixels(100, 7), 175);
  EXPECT_EQ(DialogUnitsToPixels(100, 6), 150);
  EXPECT_EQ(DialogUnitsToPixels(1, 6), 2);  // 1.5 rounds up
  // The average of the 52 letters, rounded, never 0.
  EXPECT_EQ(AverageCharWidth(52 * 7), 7);
  EXPECT_EQ(AverageCharWidth(338), 7);  // 6.5 rounds up
  EXPECT_EQ(AverageCharWidth(337), 6);
  EXPECT_EQ(AverageCharWidth(0), 1);
}

TEST(TabStops, EqualStopsPlaceTheSecondColumnAndLeaveTheRestToTheDefaultInterval) {
  // Stops 100, 100, 100 units at 7 px per character: 175 px; default interval 56 px.
  const std::vector<int> stops = {175, 175, 175};
  // name 70 px -> size at 175; size ends at 238 -> date at the next multiple of 56: 280.
  EXPECT_EQ(TabbedSegmentStarts({70, 63, 112}, stops, 56), (std::vector<int>{0, 175, 280}));
  // A name past the stop pushes the size to the next multiple of the interval, never onto it.
  EXPECT_EQ(TabbedSegmentStarts({200, 7, 10}, stops, 56), (std::vector<int>{0, 224, 280}));
  // A name ending exactly at the stop passes over it.
  EXPECT_EQ(TabbedSegmentStarts({175, 7}, stops, 56), (std::vector<int>{0, 224}));
}

TEST(TabStops, IncreasingStopsAreUsedInTurn) {
  EXPECT_EQ(TabbedSegmentStarts({10, 10, 10, 10}, {100, 200}, 50),
            (std::vector<int>{0, 100, 200, 250}));
  EXPECT_EQ(TabbedSegmentStarts({}, {100}, 50), std::vector<int>{});
  EXPECT_EQ(TabbedSegmentStarts({0, 0}, {}, 50), (std::vector<int>{0, 50}));
}

}  // namespace
