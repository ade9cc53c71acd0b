// SPDX-License-Identifier: GPL-3.0-or-later
// Line pixels as a list.
#include "core/views/DrawList.h"

namespace vantrel {

std::vector<Point> LinePixels(const DrawLine& line) {
    std::vector<Point> pixels;
    RasterizeLine(line, [&pixels](int x, int y) { pixels.push_back({x, y}); });
    return pixels;
}

}  // namespace vantrel
