// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/views/GraphView.h"

#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace vantrel {
namespace {

using testing::Time;

GraphViewState DayState() {
    GraphViewState state;
    ResetToDay(state, Time(0, 0, 0));
    return state;
}

struct WindowCase {
    int scale;
    SystemTime cursor;
    SystemTime start;
};

class GraphViewWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(GraphViewWindow, CentresOnTheCursorInsideTheDay) {
    GraphViewState state = DayState();
    state.m_stCursor = GetParam().cursor;
    ComputeWindowStart(state, GetParam().scale);
    EXPECT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(GetParam().start));
}

INSTANTIATE_TEST_SUITE_P(GraphView, GraphViewWindow,
                         ::testing::Values(WindowCase{1, Time(2, 30, 0), Time(0, 0, 0)},
                                           WindowCase{1, Time(13, 45, 10), Time(9, 0, 0)},
                                           WindowCase{1, Time(21, 0, 0), Time(16, 0, 0)},
                                           WindowCase{2, Time(23, 59, 59, 500), Time(23, 48, 0)},
                                           WindowCase{3, Time(23, 59, 0), Time(23, 54, 0)},
                                           WindowCase{4, Time(23, 59, 0), Time(23, 56, 0)},
                                           WindowCase{4, Time(10, 0, 30), Time(9, 58, 0)},
                                           WindowCase{0, Time(15, 0, 0), Time(0, 0, 0)}));

TEST(GraphView, ScaleFourColumnThroughTheFactor) {
    GraphViewState state = DayState();
    state.m_stCursor = Time(10, 0, 30);
    ComputeWindowStart(state, 4);
    CursorTimeToX(state, 4);
    EXPECT_EQ(state.m_nCursorX, 520);  // 150 / 0.333 = 450.45
    CursorXToTime(state, 4);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(10, 0, 30)));

    state.m_stCursor = Time(10, 0, 30, 500);
    ApplyScale(state, 4);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(10, 0, 30)));
    EXPECT_EQ(state.m_nScrollPos, 2 * 36030);
    EXPECT_EQ(state.m_nScrollBarPos, 2 * 36030);
    EXPECT_TRUE(state.m_bScrollEnabled);
}

struct ColumnCase {
    int scale;
    int x;
    int offsetMs;
};

class GraphViewColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(GraphViewColumn, ColumnToTimeFromTheWindowStart) {
    GraphViewState state = DayState();
    state.m_stWindowStart = Time(10, 0, 0);
    state.m_nCursorX = GetParam().x;
    CursorXToTime(state, GetParam().scale);
    EXPECT_EQ(MillisecondValue(state.m_stCursor) - MillisecondValue(Time(10, 0, 0)),
              GetParam().offsetMs);
    EXPECT_EQ(state.m_stCursor.wMilliseconds, GetParam().offsetMs % 1000);
    EXPECT_EQ(state.m_nScrollPos, 72000 + GetParam().offsetMs / 500);
}

INSTANTIATE_TEST_SUITE_P(GraphView, GraphViewColumn,
                         ::testing::Values(ColumnCase{3, 70, 0}, ColumnCase{3, 71, 500},
                                           ColumnCase{3, 72, 1000}, ColumnCase{3, 73, 1500},
                                           ColumnCase{4, 70, 0}, ColumnCase{4, 71, 500},
                                           ColumnCase{4, 72, 500}, ColumnCase{4, 73, 1000},
                                           ColumnCase{2, 789, 719000}, ColumnCase{1, 71, 40000},
                                           ColumnCase{0, 71, 120000}));

TEST(GraphView, ScrollMidDayMovesTheWindowAndKeepsTheColumn) {
    GraphViewState state = DayState();
    state.m_stCursor = Time(12, 0, 0);
    ApplyScale(state, 2);
    const int column = state.m_nCursorX;
    ASSERT_TRUE(Scroll(state, 2, ScrollRequest::LineRight));
    EXPECT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(Time(11, 56, 0)));
    EXPECT_EQ(state.m_nCursorX, column);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(12, 2, 0)));
    ASSERT_TRUE(Scroll(state, 2, ScrollRequest::PageLeft));
    EXPECT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(Time(11, 50, 0)));
    EXPECT_EQ(state.m_nCursorX, column);
    EXPECT_EQ(state.m_nScrollBarPos, 2 * (11 * 3600 + 56 * 60));
    EXPECT_FALSE(Scroll(state, 2, ScrollRequest::End));
    EXPECT_FALSE(Scroll(state, 2, ScrollRequest::FarRight));
}

TEST(GraphView, ScrollAtTheDaysEndMovesTheCursor) {
    GraphViewState state = DayState();
    state.m_stCursor = Time(23, 56, 0);
    ApplyScale(state, 2);
    ASSERT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(Time(23, 48, 0)));
    const int column = state.m_nCursorX;
    ASSERT_TRUE(Scroll(state, 2, ScrollRequest::LineRight));
    EXPECT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(Time(23, 48, 0)));
    EXPECT_EQ(state.m_nCursorX, column + 120);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(23, 58, 0)));
    ASSERT_TRUE(Scroll(state, 2, ScrollRequest::Thumb, 200'000));
    // The cursor lands on the last column, the whole second of its time; the bar follows it.
    EXPECT_EQ(state.m_nScrollBarPos, kScrollMax - 1);
    EXPECT_EQ(state.m_nCursorX, kLastColumn);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(23, 59, 59)));
}

TEST(GraphView, ScaleZeroDisablesScrollingAndSnapsTheCursor) {
    GraphViewState state = DayState();
    state.m_stCursor = Time(10, 3, 10);
    ApplyScale(state, 2);
    ApplyScale(state, 0);
    EXPECT_FALSE(state.m_bScrollEnabled);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(10, 2, 0)));
    EXPECT_EQ(state.m_nCursorX, 70 + 301);
    const int barBefore = state.m_nScrollBarPos;
    EXPECT_FALSE(Scroll(state, 0, ScrollRequest::LineRight));
    EXPECT_EQ(state.m_nScrollBarPos, barBefore);
    ApplyScale(state, 3);
    EXPECT_EQ(MillisecondValue(state.m_stWindowStart), MillisecondValue(Time(9, 59, 0)));
}

TEST(GraphView, ClicksOutsideThePlotTakeTheNearestColumn) {
    GraphViewState state = DayState();
    ApplyScale(state, 2);
    Click(state, 2, 10);
    EXPECT_EQ(state.m_nCursorX, 70);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(0, 0, 0)));
    Click(state, 2, 900);
    EXPECT_EQ(state.m_nCursorX, 789);
    EXPECT_EQ(MillisecondValue(state.m_stCursor), MillisecondValue(Time(0, 11, 59)));
}

TEST(GraphView, StepKeysStayInsideThePlot) {
    GraphViewState state = DayState();
    ApplyScale(state, 3);
    EXPECT_FALSE(StepBack(state, 3));
    EXPECT_TRUE(StepForward(state, 3));
    EXPECT_EQ(state.m_nCursorX, 71);
    EXPECT_EQ(state.m_stCursor.wMilliseconds, 500);
    state.m_nCursorX = 789;
    EXPECT_FALSE(StepForward(state, 3));
    EXPECT_TRUE(StepBack(state, 3));
    EXPECT_EQ(state.m_nCursorX, 788);
}

TEST(GraphView, NoDayLeavesTheTimesZero) {
    GraphViewState state;
    ApplyScale(state, 2);
    Click(state, 2, 300);
    EXPECT_TRUE(state.m_stCursor.IsZero());
    EXPECT_TRUE(state.m_stWindowStart.IsZero());
}

}  // namespace
}  // namespace vantrel
