// SPDX-License-Identifier: GPL-3.0-or-later
// The distance graph's grid and folded traces.
#include "core/views/DistanceGraph.h"

#include <algorithm>

#include "core/data/RecordModel.h"
#include "core/lang/MgrLanguage.h"

namespace vantrel {

namespace {

constexpr int kDaySamples = static_cast<int>(kSamplesPerDay);
constexpr std::uint32_t kRows = 5;
constexpr int kMinuteSamples = 120;

void AddHorizontalGrid(DrawList& list, const PlotRect& plot) {
    const float gy = static_cast<float>(plot.Height()) / static_cast<float>(kRows);
    for (std::uint32_t j = 0; j <= kRows; ++j) {
        const int y = static_cast<int>(static_cast<float>(plot.top) + static_cast<float>(j) * gy);
        list.Line(plot.left, y, plot.right, y, kGridColour, j != 0 && j != kRows);
    }
    const float above = static_cast<float>(plot.bottom) - static_cast<float>(kRows) * gy;
    list.Text(plot.left - 5, static_cast<int>(static_cast<double>(above) - 7.0), TextAlign::Right,
              FontId::Small, kBlack, "5");
    list.Text(5, 17, TextAlign::Left, FontId::Small, kBlack, "(km)");
}

// Whether any minute after the window (its first sample) holds a sample.
bool DataAfter(const LoadedDay& day, int firstPast) {
    for (int m = (firstPast / kMinuteSamples + 1) * kMinuteSamples; m < kDaySamples;
         m += kMinuteSamples) {
        if (day.samples[static_cast<std::size_t>(m)] != kNoSample) {
            return true;
        }
    }
    return false;
}

// The column trace's running state.
struct ColumnTrace {
    std::int64_t position = 0;  // P on 0..5 km
    bool climbing = true;
    Point last;
    bool started = false;
};

// Moves P by a column's centimetres, turning at 0 and 5 km; returns the position drawn.
std::int64_t Advance(ColumnTrace& trace, std::int64_t added) {
    std::int64_t next = trace.climbing ? trace.position + added : trace.position - added;
    std::int64_t drawn = next;
    if (next > kFoldCm) {
        drawn = kFoldCm;
    } else if (next < 0) {
        drawn = 0;
    }
    // Reflect until inside (more than one turn only for a corrupt day of huge samples).
    while (next > kFoldCm || next < 0) {
        next = next > kFoldCm ? 2 * kFoldCm - next : -next;
        trace.climbing = !trace.climbing;
    }
    trace.position = next;
    return drawn;
}

void DrawColumnPoint(DrawList& list, ColumnTrace& trace, const PlotRect& plot, Point point) {
    if (!trace.started && point.x != plot.left) {
        list.Line(point.x, plot.bottom, point.x, point.y, kTraceColour);
    } else {
        if (trace.last.x + 1 != point.x) {
            list.Line(trace.last.x, trace.last.y, point.x - 1, trace.last.y, kTraceColour);
            trace.last.x = point.x - 1;
        }
        list.Line(trace.last.x, trace.last.y, point.x, point.y, kTraceColour);
    }
    list.Pixel(point.x, point.y, kTraceColour);
    trace.started = true;
    trace.last = point;
}

}  // namespace

std::int64_t FoldPosition(std::uint32_t distanceCm) {
    const std::int64_t q = distanceCm / kFoldCm;
    const std::int64_t r = distanceCm % kFoldCm;
    return q % 2 == 0 ? r : kFoldCm - r;
}

int FoldY(std::int64_t position, int bottom) {
    return static_cast<int>(bottom - (std::int64_t{bottom} - 25) * position / kFoldCm);
}

PlotRect DistancePlotRect(int width, int height) {
    return PlotRect{70, 25, width - 34, height - 20};
}

void AddDistanceTraceByColumns(DrawList& list, const DistanceGraphInput& input,
                               const PlotRect& plot) {
    const float k = PixelsPerHalfSecond(input.frame.scale, plot);
    const int start = SampleIndexOf(input.frame.windowStart);
    const int count = WindowSamples(input.frame.scale);
    const std::uint32_t d0 = input.day.distance[static_cast<std::size_t>(start)];
    ColumnTrace trace;
    trace.climbing = (d0 / kFoldCm) % 2 == 0;
    trace.last = {plot.left, plot.bottom - 1};
    if (d0 % kFoldCm != 0 || !trace.climbing) {
        // An exact odd multiple of 5 km is the top of a falling half, as the fold puts it.
        trace.position = FoldPosition(d0);
        trace.last = {plot.left, FoldY(trace.position, plot.bottom)};
        trace.started = true;
    }
    const bool startedAtStart = trace.started;
    std::int64_t added = 0;
    bool pending = false;
    bool closedAny = false;
    bool dataAfter = false;
    int column = 69;
    for (int c = 0; start + c < kDaySamples; ++c) {
        const int index = start + c;
        if (c > count) {
            dataAfter = DataAfter(input.day, index);
            break;
        }
        const std::uint16_t r = input.day.samples[static_cast<std::size_t>(index)];
        const int x = static_cast<int>(69.0f + static_cast<float>(c + 1) * k);
        if (r == kNoSample) {
            if (!closedAny) {
                column = x;
            }
            continue;
        }
        added += r;
        pending = true;
        if (x == column) {
            continue;
        }
        column = x;
        const std::int64_t drawn = Advance(trace, added);
        DrawColumnPoint(list, trace, plot, {x, FoldY(drawn, plot.bottom)});
        added = 0;
        pending = false;
        closedAny = true;
    }
    if (startedAtStart && dataAfter) {
        list.Line(trace.last.x, trace.last.y, plot.right, trace.last.y, kTraceColour);
    }
    if (pending) {
        const std::int64_t open = std::clamp<std::int64_t>(
            trace.climbing ? trace.position + added : trace.position - added, 0, kFoldCm);
        list.Pixel(column + 1, FoldY(open, plot.bottom), kTraceColour);
    }
}

void AddDistanceTraceByPoints(DrawList& list, const DistanceGraphInput& input,
                              const PlotRect& plot) {
    const std::int64_t dayMs = DayStartMs(input.frame.windowStart);
    Point prev;
    bool havePrev = false;
    int p = 0;
    for (int index = SampleIndexOf(input.frame.windowStart), n = 0; index < kDaySamples;
         ++index, ++n) {
        if (p >= kPlotWidth) {
            break;
        }
        p += PointStep(input.frame.scale, n);
        const int x = 69 + p;
        const auto at = static_cast<std::size_t>(index);
        if (input.day.samples[at] == kNoSample &&
            SampleMs(dayMs, index) + 360'000 > input.day.lastSampleMs) {
            havePrev = false;  // near the end of the day's data a gap stays empty
            continue;
        }
        const std::int64_t position = FoldPosition(input.day.distance[at]);
        const int y = FoldY(position, plot.bottom);
        if (position > 0) {
            if (havePrev) {
                list.Line(prev.x, prev.y, x, y, kTraceColour);
            }
            list.Pixel(x, y, kTraceColour);
        }
        prev = {x, y};
        havePrev = true;
    }
}

DrawList BuildDistanceGraph(const DistanceGraphInput& input) {
    DrawList list;
    list.width = input.width;
    list.height = input.height;
    list.ops.reserve(2048);
    list.Fill(kWhite);
    list.Text(5, 0, TextAlign::Left, FontId::Small, kBlack,
              GetLangText("GUI", "DISTANCE", "Distance"));
    const PlotRect plot = DistancePlotRect(input.width, input.height);
    AddVerticalGrid(list, plot, input.frame.scale, input.frame.windowStart, plot.bottom,
                    plot.bottom);
    AddHorizontalGrid(list, plot);
    if (input.frame.hasData && input.day.IsComplete()) {
        if (input.frame.scale >= 3) {
            AddDistanceTraceByPoints(list, input, plot);
        } else {
            AddDistanceTraceByColumns(list, input, plot);
        }
        AddCursorLine(list, plot, input.frame);
    }
    return list;
}

}  // namespace vantrel
