// SPDX-License-Identifier: GPL-3.0-or-later
// The speed graph as a draw list: grid with speed and time labels, the idle-start and
// maximum-speed markers, the red trace (by columns at scales 0 to 2, point by point at 3 and
// 4) and the cursor line, over the loaded day.
#pragma once

#include <cstdint>
#include <vector>

#include "core/views/DrawList.h"
#include "core/views/GraphGrid.h"
#include "core/views/LoadedDay.h"

namespace vantrel {

inline constexpr int kSpeedGraphWidth = 824;
inline constexpr int kSpeedGraphHeight = 338;
inline constexpr std::uint32_t kMinRows = 6;
inline constexpr std::uint32_t kMaxRows = 20;
inline constexpr std::uint32_t kDefaultRows = 14;

// Speed of a raw sample in tenths of km/h, to the nearest tenth (halves up).
std::uint32_t SpeedTenths(std::uint16_t sample);
// Height of a speed on an axis of vmax tenths; a speed above the axis is held at 24, one
// pixel above the plot's top edge.
int SpeedY(std::uint32_t tenths, std::uint32_t vmax, int bottom);

struct SpeedGraphInput {
    GraphFrame frame;
    LoadedDay day;
    std::uint32_t rows = kDefaultRows;   // 10 km/h each, 6..20
    std::vector<SystemTime> idleStarts;  // as stored, the empty last field included
    SystemTime maxSpeed;                 // all zero when the day has none
    int width = kSpeedGraphWidth;
    int height = kSpeedGraphHeight;
};

PlotRect SpeedPlotRect(int width, int height);

struct SpeedMarker {
    bool isMax = false;  // U+25BC at the maximum speed; else U+25B2 at an idle start
    int x = 0;           // top-left point of the glyph
    int y = 0;
};

// The markers as they are drawn, in drawing order (idle starts, then the maximum speed, at
// scales 0 to 2; in time order at scales 3 and 4).
std::vector<SpeedMarker> SpeedMarkers(const SpeedGraphInput& input);

// The whole paint.
DrawList BuildSpeedGraph(const SpeedGraphInput& input);

// The trace alone, appended to a list.
void AddSpeedTraceByColumns(DrawList& list, const SpeedGraphInput& input, const PlotRect& plot);
void AddSpeedTraceByPoints(DrawList& list, const SpeedGraphInput& input, const PlotRect& plot);

}  // namespace vantrel
