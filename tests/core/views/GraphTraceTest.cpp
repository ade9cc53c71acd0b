// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "core/views/DistanceGraph.h"
#include "core/views/SpeedGraph.h"

namespace vantrel {
namespace {

using testing::ColumnOf;
using testing::Index;
using testing::PixelsOf;
using testing::TestDay;
using testing::Time;

struct SpeedCase {
    std::uint16_t sample;
    std::uint32_t tenths;
};

class SpeedGraphTenths : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedGraphTenths, RoundsToTheNearestTenth) {
    EXPECT_EQ(SpeedTenths(GetParam().sample), GetParam().tenths);
}

INSTANTIATE_TEST_SUITE_P(SpeedGraph, SpeedGraphTenths,
                         ::testing::Values(SpeedCase{171, 123}, SpeedCase{172, 124},
                                           SpeedCase{900, 648}, SpeedCase{139, 100},
                                           SpeedCase{0, 0}, SpeedCase{1000, 720}));

TEST(SpeedGraph, HeightHoldsSpeedsAboveTheAxisAtTheTop) {
    EXPECT_EQ(SpeedY(0, 1400, 304), 304);
    EXPECT_EQ(SpeedY(700, 1400, 304), 164);
    EXPECT_EQ(SpeedY(600, 600, 304), 24);
    EXPECT_EQ(SpeedY(1440, 600, 304), 24);  // far above a 6-row axis
    EXPECT_EQ(SpeedY(9999, 600, 304), 24);
}

SpeedGraphInput SpeedInput(TestDay& day, int scale, SystemTime windowStart) {
    SpeedGraphInput input;
    input.frame.scale = scale;
    input.frame.windowStart = windowStart;
    input.frame.hasData = true;
    input.frame.cursorX = 5000;  // no cursor line in the pixels under test
    input.day = day.View();
    return input;
}

TEST(SpeedGraph, ColumnTraceRisesFromTheBottomAfterAGap) {
    TestDay day;
    day.Set(Index(1, 0, 0), Index(2, 0, 0), 1000).Set(Index(3, 0, 0), Index(4, 0, 0), 1000);
    const auto red = PixelsOf(BuildSpeedGraph(SpeedInput(day, 0, Time(0, 0, 0))), kTraceColour);
    // Two minutes per column: 01:00 is column 100, 03:00 column 160; 72 km/h is y = 160.
    for (int x : {100, 160}) {
        const std::vector<int> ys = ColumnOf(red, x);
        ASSERT_EQ(ys.size(), 145u) << x;
        EXPECT_EQ(ys.front(), 160);
        EXPECT_EQ(ys.back(), 304);
    }
    EXPECT_EQ(ColumnOf(red, 101), std::vector<int>{160});
    EXPECT_EQ(ColumnOf(red, 129), std::vector<int>{160});
    EXPECT_TRUE(ColumnOf(red, 99).empty());
    EXPECT_TRUE(ColumnOf(red, 130).empty());
    EXPECT_TRUE(ColumnOf(red, 159).empty());
    EXPECT_TRUE(ColumnOf(red, 190).empty());
}

TEST(SpeedGraph, ColumnAboveTheRangeIsHeldAtTheTop) {
    TestDay day;
    day.Set(Index(10, 0, 0), Index(10, 0, 10), 2000);  // 144 km/h
    SpeedGraphInput input = SpeedInput(day, 2, Time(10, 0, 0));
    input.rows = 6;
    const auto red = PixelsOf(BuildSpeedGraph(input), kTraceColour);
    EXPECT_EQ(ColumnOf(red, 70), std::vector<int>{24});
    EXPECT_EQ(ColumnOf(red, 71), std::vector<int>{24});
    for (const auto& [x, y] : red) {
        EXPECT_GE(y, 24) << x;
    }
}

TEST(SpeedGraph, PointTracePlacesSamplesOnTheirColumns) {
    TestDay day;
    day.Set(0, static_cast<int>(kSamplesPerDay), 139);  // 10 km/h everywhere: y = 284
    auto red = PixelsOf(BuildSpeedGraph(SpeedInput(day, 3, Time(10, 0, 0))), kTraceColour);
    EXPECT_EQ(ColumnOf(red, 70), std::vector<int>{284});
    EXPECT_EQ(ColumnOf(red, 789), std::vector<int>{284});
    EXPECT_TRUE(ColumnOf(red, 790).empty());
    EXPECT_TRUE(ColumnOf(red, 69).empty());
    EXPECT_EQ(red.size(), 720u);

    TestDay sparse;
    for (int i = 0; i < 5; ++i) {
        sparse.Set(Index(10, 0, 0) + i, Index(10, 0, 0) + i + 1, 139);
    }
    red = PixelsOf(BuildSpeedGraph(SpeedInput(sparse, 4, Time(10, 0, 0))), kTraceColour);
    for (int x : {70, 72, 73, 75, 76}) {
        EXPECT_EQ(ColumnOf(red, x), std::vector<int>{284}) << x;
    }
    EXPECT_EQ(ColumnOf(red, 71), std::vector<int>{284});  // the joining line
    EXPECT_TRUE(ColumnOf(red, 77).empty());
}

TEST(SpeedGraph, PointTraceAtAndAboveTheRange) {
    TestDay day;
    day.Set(Index(10, 0, 0), Index(10, 0, 0) + 1, 833);       // 60.0 km/h
    day.Set(Index(10, 0, 0) + 1, Index(10, 0, 0) + 2, 2000);  // 144 km/h
    SpeedGraphInput input = SpeedInput(day, 3, Time(10, 0, 0));
    input.rows = 6;
    ASSERT_EQ(SpeedTenths(833), 600u);
    const auto red = PixelsOf(BuildSpeedGraph(input), kTraceColour);
    EXPECT_EQ(ColumnOf(red, 70), std::vector<int>{25});
    EXPECT_EQ(ColumnOf(red, 71), std::vector<int>{24});
}

TEST(SpeedGraph, IdleStartBeforeTheWindowAtScaleOne) {
    TestDay day;
    SpeedGraphInput input = SpeedInput(day, 1, Time(9, 0, 0));
    input.idleStarts = {Time(8, 50, 0), Time(10, 0, 0), SystemTime{}};
    input.maxSpeed = Time(12, 0, 0);
    const std::vector<SpeedMarker> markers = SpeedMarkers(input);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].x, 50);
    EXPECT_EQ(markers[0].y, 301);
    EXPECT_EQ(markers[1].x, 69 + 90 - 4);  // an hour is 90 columns at scale 1
    EXPECT_TRUE(markers[2].isMax);
    EXPECT_EQ(markers[2].x, 69 + 270 - 4);
    EXPECT_EQ(markers[2].y, 13);
}

TEST(SpeedGraph, NoMarkersForMissingTimes) {
    TestDay day;
    SpeedGraphInput input = SpeedInput(day, 0, Time(0, 0, 0));
    input.idleStarts = {SystemTime{}};  // an empty stored list: its one empty field
    EXPECT_TRUE(SpeedMarkers(input).empty());
    input.frame.scale = 3;
    input.frame.windowStart = Time(20, 0, 0);
    input.idleStarts = {Time(8, 0, 0), Time(9, 0, 0), SystemTime{}};
    EXPECT_TRUE(SpeedMarkers(input).empty());
}

TEST(SpeedGraph, PointMarkersFollowTheWalk) {
    TestDay day;
    day.Set(Index(10, 0, 0), Index(10, 1, 0), 500);
    SpeedGraphInput input = SpeedInput(day, 3, Time(10, 0, 0));
    input.idleStarts = {Time(9, 0, 0), Time(10, 0, 5), SystemTime{}};
    input.maxSpeed = Time(10, 0, 2, 500);
    const std::vector<SpeedMarker> markers = SpeedMarkers(input);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_TRUE(markers[0].isMax);
    EXPECT_EQ(markers[0].x, 69 + 5 - 4);
    EXPECT_FALSE(markers[1].isMax);
    EXPECT_EQ(markers[1].x, 69 + 10 - 4);
    EXPECT_EQ(markers[1].y, 301);
}

TEST(SpeedGraph, CursorLineOnlyInsideThePlot) {
    TestDay day;
    SpeedGraphInput input = SpeedInput(day, 0, Time(0, 0, 0));
    input.frame.cursorX = 400;
    auto blue = PixelsOf(BuildSpeedGraph(input), kCursorColour);
    EXPECT_EQ(blue.size(), 280u);
    EXPECT_EQ(ColumnOf(blue, 400).front(), 25);
    EXPECT_EQ(ColumnOf(blue, 400).back(), 304);
    input.frame.showCursor = false;
    EXPECT_TRUE(PixelsOf(BuildSpeedGraph(input), kCursorColour).empty());
    input.frame.showCursor = true;
    input.frame.cursorX = 790;
    EXPECT_TRUE(PixelsOf(BuildSpeedGraph(input), kCursorColour).empty());
    input.frame.cursorX = 400;
    input.frame.hasData = false;
    EXPECT_TRUE(PixelsOf(BuildSpeedGraph(input), kCursorColour).empty());
}

// The time labels under the plot, left to right.
std::vector<std::string> TimeLabels(const DrawList& list, int top) {
    std::vector<std::string> labels;
    for (const DrawOp& op : list.ops) {
        if (const auto* text = std::get_if<DrawText>(&op); text && text->y == top) {
            labels.push_back(list.TextOf(*text));
        }
    }
    return labels;
}

TEST(SpeedGraph, TimeLabelsOfTheWindow) {
    TestDay day;
    SpeedGraphInput input = SpeedInput(day, 1, Time(16, 0, 0));
    EXPECT_EQ(TimeLabels(BuildSpeedGraph(input), 313),
              (std::vector<std::string>{"16", "17", "18", "19", "20", "21", "22", "23", "24"}));
    input.frame.scale = 2;
    input.frame.windowStart = Time(23, 48, 0);
    const std::vector<std::string> minutes = TimeLabels(BuildSpeedGraph(input), 313);
    ASSERT_EQ(minutes.size(), 13u);
    EXPECT_EQ(minutes.front(), "23:48");
    EXPECT_EQ(minutes[11], "23:59");
    EXPECT_EQ(minutes.back(), "00:00");
    input.frame.scale = 4;
    input.frame.windowStart = Time(9, 58, 0);
    EXPECT_EQ(TimeLabels(BuildSpeedGraph(input), 313),
              (std::vector<std::string>{"09:58", "09:59", "10:00", "10:01", "10:02"}));
    input.frame.scale = 0;
    EXPECT_EQ(TimeLabels(BuildSpeedGraph(input), 313).size(), 25u);
}

TEST(SpeedGraph, SpeedLabelsOfTheRows) {
    TestDay day;
    SpeedGraphInput input = SpeedInput(day, 0, Time(0, 0, 0));
    input.rows = 20;
    const DrawList list = BuildSpeedGraph(input);
    std::vector<std::string> right;
    for (const DrawOp& op : list.ops) {
        if (const auto* text = std::get_if<DrawText>(&op);
            text && text->align == TextAlign::Right) {
            EXPECT_EQ(text->x, 65);
            right.push_back(list.TextOf(*text));
        }
    }
    ASSERT_EQ(right.size(), 10u);
    EXPECT_EQ(right.front(), "20");
    EXPECT_EQ(right.back(), "200");
}

struct FoldCase {
    std::uint32_t distance;
    std::int64_t position;
};

class DistanceGraphFold : public ::testing::TestWithParam<FoldCase> {};

TEST_P(DistanceGraphFold, FoldsIntoFiveKilometres) {
    EXPECT_EQ(FoldPosition(GetParam().distance), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(DistanceGraph, DistanceGraphFold,
                         ::testing::Values(FoldCase{730'000, 270'000}, FoldCase{1'200'000, 200'000},
                                           FoldCase{500'000, 500'000}, FoldCase{1'000'000, 0},
                                           FoldCase{0, 0}));

TEST(DistanceGraph, HeightOfAPosition) {
    EXPECT_EQ(FoldY(0, 105), 105);
    EXPECT_EQ(FoldY(500'000, 105), 25);
    EXPECT_EQ(FoldY(270'000, 105), 105 - 43);
}

DistanceGraphInput DistanceInput(TestDay& day, int scale, SystemTime windowStart) {
    DistanceGraphInput input;
    input.frame.scale = scale;
    input.frame.windowStart = windowStart;
    input.frame.hasData = true;
    input.frame.cursorX = 5000;
    input.day = day.View();
    return input;
}

TEST(DistanceGraph, CrossingFiveKilometresInsideAColumn) {
    TestDay day;
    day.Set(0, Index(0, 10, 0), 1000);  // 2.4 km per column at scale 0
    const auto red =
        PixelsOf(BuildDistanceGraph(DistanceInput(day, 0, Time(0, 0, 0))), kTraceColour);
    EXPECT_TRUE(red.contains({71, FoldY(480'000, 105)}));
    EXPECT_EQ(ColumnOf(red, 72).front(), 25);  // 7.2 km: drawn at the top edge
    // Then 2.8 km falling, 0.4 km, and the turn at the bottom.
    EXPECT_TRUE(red.contains({73, FoldY(40'000, 105)}));
    EXPECT_TRUE(red.contains({74, 105}));
    for (const auto& [x, y] : red) {
        EXPECT_GE(y, 25);
        EXPECT_LE(y, 105);
    }
}

TEST(DistanceGraph, LateFirstSampleRisesFromTheBottom) {
    TestDay day;
    day.Set(Index(6, 0, 0), Index(6, 0, 0) + 240, 1000);
    const auto red =
        PixelsOf(BuildDistanceGraph(DistanceInput(day, 0, Time(0, 0, 0))), kTraceColour);
    const int y = FoldY(240'000, 105);
    std::vector<int> expected;
    for (int row = y; row <= 105; ++row) {
        expected.push_back(row);
    }
    EXPECT_EQ(ColumnOf(red, 250), expected);
    EXPECT_TRUE(ColumnOf(red, 249).empty());
    EXPECT_TRUE(ColumnOf(red, 251).empty());
}

TEST(DistanceGraph, ExactOddMultipleStartsAtTheTopFalling) {
    TestDay day;
    day.Set(Index(8, 0, 0), Index(8, 0, 0) + 500, 1000);  // 5 km before the window
    day.Set(Index(9, 0, 0), Index(9, 0, 0) + 1, 0);       // the window's first distance: 5 km
    day.Set(Index(9, 0, 0) + 1, Index(9, 0, 0) + 80, 1000);
    const auto red =
        PixelsOf(BuildDistanceGraph(DistanceInput(day, 1, Time(9, 0, 0))), kTraceColour);
    EXPECT_TRUE(red.contains({70, 25}));
    EXPECT_TRUE(red.contains({70, FoldY(421'000, 105)}));
    EXPECT_FALSE(red.contains({70, FoldY(79'000, 105)}));
}

TEST(DistanceGraph, LevelToTheRightEdgeWhenDrivingFollowsTheWindow) {
    TestDay day;
    day.Set(Index(8, 0, 0), Index(8, 0, 0) + 300, 1000);  // 3 km before the window
    day.Set(Index(9, 0, 0), Index(9, 0, 0) + 80, 1000);
    day.Set(Index(9, 1, 0), Index(16, 30, 0), 0);     // standing, recorder running
    day.Set(Index(20, 0, 0), Index(20, 5, 0), 1000);  // driving after the window
    const auto red =
        PixelsOf(BuildDistanceGraph(DistanceInput(day, 1, Time(9, 0, 0))), kTraceColour);
    const int y = FoldY(380'000, 105);
    EXPECT_TRUE(red.contains({789, y}));
    EXPECT_FALSE(red.contains({790, y}));

    TestDay noLater = day;
    noLater.Set(Index(20, 0, 0), Index(20, 5, 0), kNoSample);
    const auto shorter =
        PixelsOf(BuildDistanceGraph(DistanceInput(noLater, 1, Time(9, 0, 0))), kTraceColour);
    EXPECT_FALSE(shorter.contains({789, y}));
}

TEST(DistanceGraph, PointTraceGapsMidDayLevelAndNearTheEndBroken) {
    const int start = Index(10, 0, 0);
    TestDay day;
    day.Set(start, start + 100, 1000);        // 1 km
    day.Set(start + 200, start + 300, 1000);  // the gap before is drawn level
    day.Set(Index(12, 0, 0), Index(12, 0, 1), 0);
    auto red = PixelsOf(BuildDistanceGraph(DistanceInput(day, 3, Time(10, 0, 0))), kTraceColour);
    EXPECT_EQ(ColumnOf(red, 70 + 150), std::vector<int>{FoldY(100'000, 105)});

    TestDay late;
    late.Set(start, start + 100, 1000);
    late.Set(start + 500, start + 502, 1000);  // the gap before lies in the last six minutes
    red = PixelsOf(BuildDistanceGraph(DistanceInput(late, 3, Time(10, 0, 0))), kTraceColour);
    EXPECT_TRUE(ColumnOf(red, 70 + 400).empty());
    EXPECT_EQ(ColumnOf(red, 70 + 500), std::vector<int>{FoldY(101'000, 105)});
}

TEST(DistanceGraph, PointTraceDrawsNothingAtZero) {
    const int start = Index(10, 0, 0);
    TestDay day;
    day.Set(start, start + 3, 0);
    day.Set(start + 3, start + 6, 10'000);
    const auto red =
        PixelsOf(BuildDistanceGraph(DistanceInput(day, 3, Time(10, 0, 0))), kTraceColour);
    EXPECT_TRUE(ColumnOf(red, 70).empty());
    EXPECT_TRUE(ColumnOf(red, 71).empty());
    // The first position above 0 connects from the last point at 0.
    EXPECT_EQ(ColumnOf(red, 72), std::vector<int>{105});
    EXPECT_EQ(ColumnOf(red, 73).back(), FoldY(10'000, 105));
}

TEST(DistanceGraph, NoDataShowsTheGridOnly) {
    TestDay day;
    day.Set(0, 1000, 1000);
    DistanceGraphInput input = DistanceInput(day, 0, Time(0, 0, 0));
    input.frame.hasData = false;
    input.frame.cursorX = 300;
    const DrawList list = BuildDistanceGraph(input);
    EXPECT_TRUE(PixelsOf(list, kTraceColour).empty());
    EXPECT_TRUE(PixelsOf(list, kCursorColour).empty());
    EXPECT_FALSE(PixelsOf(list, kGridColour).empty());
}

}  // namespace
}  // namespace vantrel
