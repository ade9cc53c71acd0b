// SPDX-License-Identifier: GPL-3.0-or-later
// The speed graph's grid, markers and traces.
#include "core/views/SpeedGraph.h"

#include <algorithm>
#include <cstdio>

#include "core/data/RecordModel.h"
#include "core/lang/MgrLanguage.h"

namespace vantrel {

namespace {

constexpr int kTopHold = 24;
constexpr const char* kIdleGlyph = "\u25B2";
constexpr const char* kMaxGlyph = "\u25BC";
constexpr int kDaySamples = static_cast<int>(kSamplesPerDay);

void AddHorizontalGrid(DrawList& list, const PlotRect& plot, std::uint32_t rows) {
    const float gy = static_cast<float>(plot.Height()) / static_cast<float>(rows);
    for (std::uint32_t j = 0; j <= rows; ++j) {
        const int y = static_cast<int>(static_cast<float>(plot.top) + static_cast<float>(j) * gy);
        list.Line(plot.left, y, plot.right, y, kGridColour, j % 2 == 1);
        if (j >= 2 && j % 2 == 0) {
            char text[16];
            std::snprintf(text, sizeof text, "%u", 10 * j);
            const float above = static_cast<float>(plot.bottom) - static_cast<float>(j) * gy;
            const int top = static_cast<int>(static_cast<double>(above) - 7.0);
            list.Text(plot.left - 5, top, TextAlign::Right, FontId::Small, kBlack, text);
        }
    }
    list.Text(5, 17, TextAlign::Left, FontId::Small, kBlack, "(km/h)");
}

// The stored idle starts that mark something: the empty field after the final comma and any
// field that did not parse to a time are left out.
std::vector<SystemTime> MarkedIdleStarts(const std::vector<SystemTime>& stored) {
    std::vector<SystemTime> marked;
    for (std::size_t i = 0; i + 1 < stored.size(); ++i) {
        if (!stored[i].IsZero()) {
            marked.push_back(stored[i]);
        }
    }
    return marked;
}

int MarkerColumn(int delta, float k) {
    return static_cast<int>(static_cast<double>(static_cast<float>(delta) * k) + 69.0 + k - 4.0);
}

void ColumnMarkers(const SpeedGraphInput& input, const PlotRect& plot,
                   std::vector<SpeedMarker>& markers) {
    const float k = PixelsPerHalfSecond(input.frame.scale, plot);
    const int b = 2 * TimeOfDay(input.frame.windowStart);
    for (const SystemTime& idle : MarkedIdleStarts(input.idleStarts)) {
        markers.push_back({false, MarkerColumn(2 * TimeOfDay(idle) - b, k), plot.bottom - 3});
    }
    if (!input.maxSpeed.IsZero()) {
        markers.push_back(
            {true, MarkerColumn(2 * TimeOfDay(input.maxSpeed) - b, k), plot.top - 12});
    }
}

void PointMarkers(const SpeedGraphInput& input, const PlotRect& plot,
                  std::vector<SpeedMarker>& markers) {
    std::vector<std::int64_t> idle;
    for (const SystemTime& time : MarkedIdleStarts(input.idleStarts)) {
        idle.push_back(MillisecondValue(time));
    }
    const std::int64_t maxMs = input.maxSpeed.IsZero() ? -1 : MillisecondValue(input.maxSpeed);
    const std::int64_t dayMs = DayStartMs(input.frame.windowStart);
    const int start = SampleIndexOf(input.frame.windowStart);
    std::size_t pending = idle.size();
    int p = 0;
    int offset = 69;
    for (int index = start, n = 0; index < kDaySamples; ++index, ++n) {
        const std::int64_t ms = SampleMs(dayMs, index);
        if (index == start) {
            pending = static_cast<std::size_t>(
                std::find_if(idle.begin(), idle.end(), [ms](std::int64_t t) { return t >= ms; }) -
                idle.begin());
        }
        if (ms == maxMs) {
            markers.push_back({true, offset + p - 4, plot.top - 12});
        }
        if (pending < idle.size() && ms == idle[pending]) {
            offset = input.day.samples[static_cast<std::size_t>(index)] == kNoSample ? 70 : 69;
            markers.push_back({false, offset + p - 4, plot.bottom - 3});
            ++pending;
        }
        if (p >= kPlotWidth) {
            break;
        }
        p += PointStep(input.frame.scale, n);
    }
}

}  // namespace

namespace {

std::uint32_t ComputeSpeedTenths(std::uint16_t sample) {
    const float kmh = SampleSpeedKmhSingle(sample);
    return static_cast<std::uint32_t>((kmh * 100.0f + 5.0f) / 10.0f);
}

// Every paint converts up to a whole day of samples: the conversion of each possible raw
// value is made once, with exactly the same single-precision steps.
const std::vector<std::uint16_t>& SpeedTenthsTable() {
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> values(65'536);
        for (std::uint32_t r = 0; r < values.size(); ++r) {
            values[r] =
                static_cast<std::uint16_t>(ComputeSpeedTenths(static_cast<std::uint16_t>(r)));
        }
        return values;
    }();
    return table;
}

}  // namespace

std::uint32_t SpeedTenths(std::uint16_t sample) {
    return SpeedTenthsTable()[sample];
}

int SpeedY(std::uint32_t tenths, std::uint32_t vmax, int bottom) {
    // Signed, so a speed far above the axis cannot wrap round into the label band.
    const std::int64_t y = std::int64_t{bottom} - (std::int64_t{bottom} - kTopHold) *
                                                      std::int64_t{tenths} / std::int64_t{vmax};
    return static_cast<int>(std::max<std::int64_t>(y, kTopHold));
}

PlotRect SpeedPlotRect(int width, int height) {
    return PlotRect{70, 25, width - 34, height - 34};
}

std::vector<SpeedMarker> SpeedMarkers(const SpeedGraphInput& input) {
    std::vector<SpeedMarker> markers;
    if (!input.frame.hasData || !input.day.IsComplete()) {
        return markers;
    }
    const PlotRect plot = SpeedPlotRect(input.width, input.height);
    if (input.frame.scale >= 3) {
        PointMarkers(input, plot, markers);
    } else {
        ColumnMarkers(input, plot, markers);
    }
    return markers;
}

void AddSpeedTraceByColumns(DrawList& list, const SpeedGraphInput& input, const PlotRect& plot) {
    const float k = PixelsPerHalfSecond(input.frame.scale, plot);
    const std::uint32_t vmax = input.rows * 100;
    const int start = SampleIndexOf(input.frame.windowStart);
    const int count = WindowSamples(input.frame.scale);
    std::uint32_t high = 0;
    std::uint32_t low = 9999;
    bool present = false;
    int prevX = 69;
    std::uint32_t prevHigh = 0;
    std::uint32_t prevLow = 9999;
    std::uint16_t prevLast = kNoSample;
    const std::vector<std::uint16_t>& tenths = SpeedTenthsTable();
    for (int c = 0; c <= count && start + c < kDaySamples; ++c) {
        const std::uint16_t r = input.day.samples[static_cast<std::size_t>(start + c)];
        const float xf = 69.0f + static_cast<float>(c + 1) * k;
        if (r != kNoSample) {
            const std::uint32_t v = tenths[r];
            high = std::max(high, v);
            low = std::min(low, v);
            present = true;
        }
        const int x = static_cast<int>(xf);
        if (x == prevX) {
            continue;
        }
        const bool joinable = prevX > plot.left;
        if (prevLast == kNoSample) {
            if (r != kNoSample && joinable) {
                low = 0;  // the trace rises from the bottom after a gap
            }
        } else {
            if (prevLow > high && joinable) {
                high = prevLow;
            }
            if (prevHigh < low && joinable) {
                low = prevHigh;
            }
        }
        const int yTop = SpeedY(high, vmax, plot.bottom);
        const int yBottom = SpeedY(low, vmax, plot.bottom);
        if (present) {
            list.Line(x, yBottom, x, yTop, kTraceColour);
            list.Pixel(x, yTop, kTraceColour);
        }
        prevHigh = high;
        prevLow = low;
        high = 0;
        low = 9999;
        present = false;
        prevX = x;
        prevLast = r;
    }
}

void AddSpeedTraceByPoints(DrawList& list, const SpeedGraphInput& input, const PlotRect& plot) {
    const std::uint32_t vmax = input.rows * 100;
    Point prev{69, plot.bottom - 1};
    bool havePrev = false;
    int p = 0;
    for (int index = SampleIndexOf(input.frame.windowStart), n = 0; index < kDaySamples;
         ++index, ++n) {
        if (p >= kPlotWidth) {
            break;
        }
        p += PointStep(input.frame.scale, n);
        const int x = 69 + p;
        const std::uint16_t r = input.day.samples[static_cast<std::size_t>(index)];
        if (r == kNoSample) {
            havePrev = false;
            continue;
        }
        const std::uint32_t v = SpeedTenths(r);
        int y = kTopHold;
        if (v <= vmax) {
            y = v == vmax ? kTopHold + 1 : SpeedY(v, vmax, plot.bottom);
            if (!havePrev && x > plot.left) {
                list.Line(x, plot.bottom, x, y, kTraceColour);
            }
        }
        if (havePrev) {
            list.Line(prev.x, prev.y, x, y, kTraceColour);
        }
        list.Pixel(x, y, kTraceColour);
        prev = {x, y};
        havePrev = true;
    }
}

DrawList BuildSpeedGraph(const SpeedGraphInput& given) {
    SpeedGraphInput input = given;
    input.rows = std::clamp(input.rows, kMinRows, kMaxRows);
    DrawList list;
    list.width = input.width;
    list.height = input.height;
    list.ops.reserve(2048);
    list.Fill(kWhite);
    const PlotRect plot = SpeedPlotRect(input.width, input.height);
    const bool drawData = input.frame.hasData && input.day.IsComplete();
    for (const SpeedMarker& marker : SpeedMarkers(input)) {
        list.Text(marker.x, marker.y, TextAlign::Left, FontId::Small, kCursorColour,
                  marker.isMax ? kMaxGlyph : kIdleGlyph);
    }
    list.Text(5, 0, TextAlign::Left, FontId::Small, kBlack, GetLangText("GUI", "SPEED", "Speed"));
    const bool hours = input.frame.scale == 0 || input.frame.scale == 1;
    AddVerticalGrid(list, plot, input.frame.scale, input.frame.windowStart, plot.bottom + 9,
                    hours ? plot.bottom + 8 : 0);
    AddHorizontalGrid(list, plot, input.rows);
    if (drawData) {
        AddCursorLine(list, plot, input.frame);
        if (input.frame.scale >= 3) {
            AddSpeedTraceByPoints(list, input, plot);
        } else {
            AddSpeedTraceByColumns(list, input, plot);
        }
    }
    return list;
}

}  // namespace vantrel
