// SPDX-License-Identifier: GPL-3.0-or-later
// What the speed and the distance graph share: the plot rectangle, the frame of a paint (the
// container's window, cursor and scale), the pixels per half-second of the column traces,
// the point-by-point step, the vertical time grid with its labels and the cursor line.
#pragma once

#include <cstdint>

#include "core/util/TimeUtil.h"
#include "core/views/DrawList.h"
#include "core/views/GraphView.h"

namespace vantrel {

struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The container's values a graph reads at each paint.
struct GraphFrame {
    SystemTime windowStart;
    int cursorX = kPlotLeft;
    bool showCursor = true;
    int scale = 0;
    bool hasData = false;
};

GraphFrame FrameOf(const GraphViewState& state, int scale, bool hasData);

inline constexpr int kGridColumns = 24;

// Pixels per half-second at scales 0, 1 and 2 (single precision, as the columns are placed).
float PixelsPerHalfSecond(int scale, const PlotRect& plot);
// Pixel step of the n-th sample (from 0) of the point-by-point walk: 1 at scale 3, 1 and 2
// in turn at scale 4 (three pixels per two samples).
inline int PointStep(int scale, int n) {
    return scale == 4 && n % 2 == 1 ? 2 : 1;
}
// Millisecond time of the sample at an index of the day that starts at dayMs.
inline std::int64_t SampleMs(std::int64_t dayMs, int index) {
    return dayMs + std::int64_t{index / 2} * 1000 + (index % 2) * 500;
}
// Millisecond value of the midnight that starts the day of a time.
std::int64_t DayStartMs(const SystemTime& time);

// The 25 vertical lines with their time labels (tops at labelTop) and, at scales 0 and 1,
// "(H)" centred at (width - 10, unitTop).
void AddVerticalGrid(DrawList& list, const PlotRect& plot, int scale, const SystemTime& windowStart,
                     int labelTop, int unitTop);
// The blue cursor line, both ends included, when it is shown and inside the plot.
void AddCursorLine(DrawList& list, const PlotRect& plot, const GraphFrame& frame);

}  // namespace vantrel
