// SPDX-License-Identifier: GPL-3.0-or-later
// Whole paints as the windows do them: the draw list built and painted into an image.
#include <benchmark/benchmark.h>

#include "bench/views/ViewsBenchDay.h"
#include "core/views/CursorReadout.h"
#include "core/views/DistanceGraph.h"
#include "core/views/SpeedGraph.h"
#include "ui/views/GraphPainter.h"

namespace {

using vantrel::bench::FullDay;

void BM_SpeedGraphPaint(benchmark::State& state) {
    const GraphFonts fonts = GraphFonts::Standard();
    vantrel::SpeedGraphInput input;
    input.frame = FullDay::Get().Frame(static_cast<int>(state.range(0)));
    input.day = FullDay::Get().View();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderDrawList(vantrel::BuildSpeedGraph(input), fonts));
    }
}
BENCHMARK(BM_SpeedGraphPaint)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_DistanceGraphPaint(benchmark::State& state) {
    const GraphFonts fonts = GraphFonts::Standard();
    vantrel::DistanceGraphInput input;
    input.frame = FullDay::Get().Frame(static_cast<int>(state.range(0)));
    input.day = FullDay::Get().View();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderDrawList(vantrel::BuildDistanceGraph(input), fonts));
    }
}
BENCHMARK(BM_DistanceGraphPaint)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_ReadoutPaint(benchmark::State& state) {
    const GraphFonts fonts = GraphFonts::Standard();
    const vantrel::ReadoutInput input{FullDay::Get().Frame(0).windowStart, 0,
                                      FullDay::Get().View()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderDrawList(vantrel::BuildReadout(input, 1200, 21), fonts));
    }
}
BENCHMARK(BM_ReadoutPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
