// SPDX-License-Identifier: GPL-3.0-or-later
// Grid, labels and cursor line shared by the graphs.
#include "core/views/GraphGrid.h"

#include <cstdio>
#include <string>

namespace vantrel {

GraphFrame FrameOf(const GraphViewState& state, int scale, bool hasData) {
    return GraphFrame{state.m_stWindowStart, state.m_nCursorX, state.m_bShowCursor, scale, hasData};
}

float PixelsPerHalfSecond(int scale, const PlotRect& plot) {
    switch (scale) {
        case 1:
            return static_cast<float>(plot.Width() * 0.125 / 7200);
        case 2:
            return 0.5f;
        default:
            return static_cast<float>(plot.Width()) / static_cast<float>(kGridColumns) / 7200.0f;
    }
}

std::int64_t DayStartMs(const SystemTime& time) {
    SystemTime day;
    day.wYear = time.wYear;
    day.wMonth = time.wMonth;
    day.wDay = time.wDay;
    return MillisecondValue(day);
}

namespace {

std::string Format(const char* format, int a, int b = 0) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Scales 2 to 4: every d-th line is solid and carries the minute it stands for.
int MinuteLineSpacing(int scale) {
    return scale == 2 ? 2 : (scale == 3 ? 4 : 6);
}

}  // namespace

void AddVerticalGrid(DrawList& list, const PlotRect& plot, int scale, const SystemTime& windowStart,
                     int labelTop, int unitTop) {
    const float gx = static_cast<float>(plot.Width()) / static_cast<float>(kGridColumns);
    const bool hours = scale == 0 || scale == 1;
    const int spacing = hours ? 3 : MinuteLineSpacing(scale);
    for (int i = 0; i <= kGridColumns; ++i) {
        const int x = static_cast<int>(static_cast<float>(plot.left) + static_cast<float>(i) * gx);
        const bool solid = i % spacing == 0;
        list.Line(x, plot.top, x, plot.bottom, kGridColour, !solid);
        if (scale == 0) {
            list.Text(x, labelTop, TextAlign::Center, FontId::Small, kBlack, Format("%d", i));
        } else if (solid && scale == 1) {
            list.Text(x, labelTop, TextAlign::Center, FontId::Small, kBlack,
                      Format("%d", windowStart.wHour + i / 3));
        } else if (solid) {
            const int minutes = windowStart.wHour * 60 + windowStart.wMinute + i / spacing;
            list.Text(x, labelTop, TextAlign::Center, FontId::Small, kBlack,
                      Format("%02d:%02d", (minutes / 60) % 24, minutes % 60));
        }
    }
    if (hours) {
        list.Text(list.width - 10, unitTop, TextAlign::Center, FontId::Small, kBlack, "(H)");
    }
}

void AddCursorLine(DrawList& list, const PlotRect& plot, const GraphFrame& frame) {
    if (frame.showCursor && frame.cursorX >= kPlotLeft && frame.cursorX <= kLastColumn) {
        list.Line(frame.cursorX, plot.top, frame.cursorX, plot.bottom + 1, kCursorColour);
    }
}

}  // namespace vantrel
