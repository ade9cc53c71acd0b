// SPDX-License-Identifier: GPL-3.0-or-later
// The graph area's time window and cursor as plain state: the five time scales, the window
// that follows the cursor, the conversions between the cursor's pixel column and its time,
// the scroll bar, scale changes, clicks and the step keys. Both graphs, the readout, the
// window and the command-line renderer drive the same functions.
#pragma once

#include <cstdint>

#include "core/util/TimeUtil.h"

namespace vantrel {

// The plot's columns in both graphs: x = 70 up to, not including, 790.
inline constexpr int kPlotLeft = 70;
inline constexpr int kPlotRight = 790;
inline constexpr int kPlotWidth = kPlotRight - kPlotLeft;  // 720
inline constexpr int kLastColumn = kPlotRight - 1;         // 789
inline constexpr int kScaleCount = 5;
inline constexpr int kScrollMax = 172'799;  // one position per half-second of the day
inline constexpr std::int64_t kDaySeconds = 86'400;

// Window length in seconds (86,400, 28,800, 720, 360, 240; a scale outside 0..4 as 0).
std::int64_t WindowSeconds(int scale);
// Scroll step in half-seconds (1, 7,200, 240, 240, 240; 1 for any other value).
int ScrollStep(int scale);
// Half-second samples walked by the column traces (the window's half-seconds).
int WindowSamples(int scale);

// Time value × 1000 plus the milliseconds; -1000 for the all-zero time.
std::int64_t MillisecondValue(const SystemTime& time);
// hour × 3600 + minute × 60 + second.
int TimeOfDay(const SystemTime& time);
// Index of the half-second sample of a time on the day grid (odd for .5).
int SampleIndexOf(const SystemTime& time);

struct GraphViewState {
    int m_nCursorX = kPlotLeft;  // cursor column in both graphs
    int m_nScrollPos = 0;        // cursor position in half-seconds since the day's midnight
    bool m_bShowCursor = true;   // cleared while printing
    SystemTime m_stDay;          // the loaded day at midnight; all zero while none
    SystemTime m_stWindowStart;  // first instant both graphs show
    SystemTime m_stCursor;       // milliseconds 0 or 500
    // The scroll bar's own state (0..172,799; disabled until a scale change to 1..4).
    int m_nScrollBarPos = 0;
    bool m_bScrollEnabled = false;

    bool HasDay() const { return !m_stDay.IsZero(); }
};

// The cursor at the day's midnight, column 70; the scroll bar keeps its state.
void ResetToDay(GraphViewState& state, const SystemTime& day);

// Centres the window on the cursor, moved back to a whole hour or minute, held inside the day.
void ComputeWindowStart(GraphViewState& state, int scale);
// Cursor column (and scroll position) from the cursor time; the scroll bar is not touched.
void CursorTimeToX(GraphViewState& state, int scale);
// Cursor time (snapped to the column's start) and scroll position from the column; the
// scroll bar follows unless at scale 0.
void CursorXToTime(GraphViewState& state, int scale);

enum class ScrollRequest {
    LineLeft,
    LineRight,
    PageLeft,
    PageRight,
    Thumb,
    FarLeft,
    FarRight,
    End
};

// A scroll-bar request (thumbPos for Thumb); false when nothing changed (a disabled bar, the
// end of a scroll, the far ends). The caller repaints the readout and both graphs after true.
bool Scroll(GraphViewState& state, int scale, ScrollRequest request, int thumbPos = 0);
// The scale change's steps on the view: window, column, scroll bar, snap of the cursor time.
void ApplyScale(GraphViewState& state, int scale);
// A left-button release at column x of either graph. Columns outside the plot are taken as
// its nearest column, so the cursor time stays inside the window.
void Click(GraphViewState& state, int scale, int x);
// The graph step keys, one column at a time between 70 and 789; false when at the end.
bool StepBack(GraphViewState& state, int scale);
bool StepForward(GraphViewState& state, int scale);

}  // namespace vantrel
