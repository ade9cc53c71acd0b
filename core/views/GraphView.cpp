// SPDX-License-Identifier: GPL-3.0-or-later
// The time window and cursor of the graph area.
#include "core/views/GraphView.h"

#include <algorithm>

namespace vantrel {

std::int64_t WindowSeconds(int scale) {
    switch (scale) {
        case 1:
            return 28'800;
        case 2:
            return 720;
        case 3:
            return 360;
        case 4:
            return 240;
        default:
            return kDaySeconds;
    }
}

int ScrollStep(int scale) {
    switch (scale) {
        case 1:
            return 7200;
        case 2:
        case 3:
        case 4:
            return 240;
        default:
            return 1;
    }
}

int WindowSamples(int scale) {
    return static_cast<int>(WindowSeconds(scale) * 2);
}

std::int64_t MillisecondValue(const SystemTime& time) {
    return SystemTimeToSeconds(time) * 1000 + time.wMilliseconds;
}

int TimeOfDay(const SystemTime& time) {
    return time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

int SampleIndexOf(const SystemTime& time) {
    return (time.wHour * 60 + time.wMinute) * 120 + 2 * time.wSecond +
           (time.wMilliseconds > 0 ? 1 : 0);
}

void ResetToDay(GraphViewState& state, const SystemTime& day) {
    state.m_nCursorX = kPlotLeft;
    state.m_nScrollPos = 0;
    state.m_stDay = day;
    state.m_stWindowStart = day;
    state.m_stCursor = day;
}

void ComputeWindowStart(GraphViewState& state, int scale) {
    if (!state.HasDay()) {
        state.m_stWindowStart = state.m_stDay;
        return;
    }
    const std::int64_t day = SystemTimeToSeconds(state.m_stDay);
    const std::int64_t length = WindowSeconds(scale);
    std::int64_t start = day;
    if (scale >= 1 && scale <= 4) {
        start = SystemTimeToSeconds(state.m_stCursor) - length / 2;
        // Time values hold local time on the UTC calendar, so whole hours and minutes are
        // whole multiples of 3600 and 60.
        const std::int64_t unit = scale == 1 ? 3600 : 60;
        start -= ((start % unit) + unit) % unit;
    }
    start = std::max(start, day);
    if (start + length > day + kDaySeconds) {
        start = day + kDaySeconds - length;
    }
    state.m_stWindowStart = SecondsToSystemTime(start);
}

void CursorTimeToX(GraphViewState& state, int scale) {
    const int d = TimeOfDay(state.m_stCursor) - TimeOfDay(state.m_stWindowStart);
    switch (scale) {
        case 1:
            state.m_nCursorX = kPlotLeft + d / 40;
            break;
        case 2:
            state.m_nCursorX = kPlotLeft + d;
            break;
        case 3:
            state.m_nCursorX = kPlotLeft + 2 * d;
            break;
        case 4:
            // Three pixels per second through the factor 0.333, as the columns have always
            // been placed: 150 s lands on column 520, not 519.
            state.m_nCursorX = static_cast<int>(static_cast<float>(d) / 0.333f + 70.0f);
            break;
        default:
            state.m_nCursorX = kPlotLeft + d / 120;
            break;
    }
    state.m_nScrollPos = 2 * TimeOfDay(state.m_stCursor);
}

void CursorXToTime(GraphViewState& state, int scale) {
    if (!state.HasDay()) {
        return;
    }
    const auto x = static_cast<std::uint32_t>(state.m_nCursorX);
    const auto k = static_cast<std::uint32_t>(WindowSeconds(scale));
    const std::uint32_t offset = (x * k - 70u * k) / static_cast<std::uint32_t>(kPlotWidth);
    std::uint16_t half = 0;
    if ((scale == 3 && x % 2 == 1) || (scale == 4 && (x - 70u) % 3 != 0)) {
        half = 500;
    }
    state.m_stCursor = MillisecondsToSystemTime(MillisecondValue(state.m_stWindowStart) +
                                                std::int64_t{offset} * 1000 + half);
    state.m_stCursor.wMilliseconds = half;
    state.m_nScrollPos = 2 * TimeOfDay(state.m_stCursor) + (half == 500 ? 1 : 0);
    if (scale != 0) {
        state.m_nScrollBarPos = std::clamp(state.m_nScrollPos, 0, kScrollMax);
    }
}

namespace {

// The scroll bar's new position for a request; false when the request changes nothing.
bool NewScrollPosition(int position, int step, ScrollRequest request, int thumbPos, int& out) {
    switch (request) {
        case ScrollRequest::LineLeft:
            out = position - step;
            return true;
        case ScrollRequest::LineRight:
            out = position + step;
            return true;
        case ScrollRequest::PageLeft:
            out = position - 3 * step;
            return true;
        case ScrollRequest::PageRight:
            out = position + 3 * step;
            return true;
        case ScrollRequest::Thumb:
            out = thumbPos;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool Scroll(GraphViewState& state, int scale, ScrollRequest request, int thumbPos) {
    int wanted = 0;
    if (!state.m_bScrollEnabled ||
        !NewScrollPosition(state.m_nScrollBarPos, ScrollStep(scale), request, thumbPos, wanted)) {
        return false;
    }
    state.m_nScrollBarPos = std::clamp(wanted, 0, kScrollMax);
    const int p = state.m_nScrollBarPos;
    if (!state.HasDay()) {
        return true;
    }
    const std::int64_t remembered = MillisecondValue(state.m_stCursor);
    SystemTime target = SecondsToSystemTime(SystemTimeToSeconds(state.m_stDay) + p / 2);
    target.wMilliseconds = p % 2 == 1 ? 500 : 0;
    state.m_stCursor = target;
    ComputeWindowStart(state, scale);
    CursorXToTime(state, scale);
    if (MillisecondValue(state.m_stCursor) == remembered) {
        // The window is held at the day's start or end: the cursor moves instead.
        state.m_stCursor = target;
        if (p == kScrollMax) {
            state.m_nCursorX = kLastColumn;
        } else {
            CursorTimeToX(state, scale);
        }
        CursorXToTime(state, scale);
    }
    return true;
}

void ApplyScale(GraphViewState& state, int scale) {
    ComputeWindowStart(state, scale);
    CursorTimeToX(state, scale);
    if (scale != 0) {
        state.m_bScrollEnabled = true;
        state.m_nScrollBarPos = std::clamp(state.m_nScrollPos, 0, kScrollMax);
    } else {
        state.m_bScrollEnabled = false;
    }
    CursorXToTime(state, scale);
}

void Click(GraphViewState& state, int scale, int x) {
    state.m_nCursorX = std::clamp(x, kPlotLeft, kLastColumn);
    CursorXToTime(state, scale);
}

bool StepBack(GraphViewState& state, int scale) {
    if (state.m_nCursorX <= kPlotLeft) {
        return false;
    }
    --state.m_nCursorX;
    CursorXToTime(state, scale);
    return true;
}

bool StepForward(GraphViewState& state, int scale) {
    if (state.m_nCursorX - kPlotLeft >= kPlotWidth - 1) {
        return false;
    }
    ++state.m_nCursorX;
    CursorXToTime(state, scale);
    return true;
}

}  // namespace vantrel
