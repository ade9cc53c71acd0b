// SPDX-License-Identifier: GPL-3.0-or-later
// The distance graph as a draw list: the day's cumulative distance folded into a zig-zag
// on a fixed axis of 0 to 5 km (climbing, then falling over the next 5 km, and so on), by
// columns at scales 0 to 2 and point by point at scales 3 and 4, with the cursor line.
#pragma once

#include <cstdint>

#include "core/views/DrawList.h"
#include "core/views/GraphGrid.h"
#include "core/views/LoadedDay.h"

namespace vantrel {

inline constexpr int kDistanceGraphWidth = 824;
inline constexpr int kDistanceGraphHeight = 125;
inline constexpr std::int64_t kFoldCm = 500'000;  // half-period of the fold: 5 km

// Position of a cumulative distance on the 0..5 km axis: climbing on even multiples of
// 5 km, falling on odd ones (an exact odd multiple sits at the top).
std::int64_t FoldPosition(std::uint32_t distanceCm);
// Height of a position: the plot's bottom for 0, its top edge (25) for 5 km.
int FoldY(std::int64_t position, int bottom);

struct DistanceGraphInput {
    GraphFrame frame;
    LoadedDay day;
    int width = kDistanceGraphWidth;
    int height = kDistanceGraphHeight;
};

PlotRect DistancePlotRect(int width, int height);

DrawList BuildDistanceGraph(const DistanceGraphInput& input);

void AddDistanceTraceByColumns(DrawList& list, const DistanceGraphInput& input,
                               const PlotRect& plot);
void AddDistanceTraceByPoints(DrawList& list, const DistanceGraphInput& input,
                              const PlotRect& plot);

}  // namespace vantrel
