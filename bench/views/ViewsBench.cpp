// SPDX-License-Identifier: GPL-3.0-or-later
// The graphs' draw lists at scale 0 over a full day of samples, and the readout's scan.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/views/ViewsBenchDay.h"
#include "core/views/CursorReadout.h"
#include "core/views/DistanceGraph.h"
#include "core/views/SpeedGraph.h"

#ifdef VANTREL_BENCH_PAINT
#include <QGuiApplication>
#endif

namespace {

using vantrel::bench::FullDay;

void BM_SpeedGraphDrawList(benchmark::State& state) {
    FullDay& day = FullDay::Get();
    vantrel::SpeedGraphInput input;
    input.frame = day.Frame(static_cast<int>(state.range(0)));
    input.day = day.View();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantrel::BuildSpeedGraph(input));
    }
}
BENCHMARK(BM_SpeedGraphDrawList)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_DistanceGraphDrawList(benchmark::State& state) {
    FullDay& day = FullDay::Get();
    vantrel::DistanceGraphInput input;
    input.frame = day.Frame(static_cast<int>(state.range(0)));
    input.day = day.View();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantrel::BuildDistanceGraph(input));
    }
}
BENCHMARK(BM_DistanceGraphDrawList)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_ReadoutTexts(benchmark::State& state) {
    FullDay& day = FullDay::Get();
    const vantrel::ReadoutInput input{day.Frame(0).windowStart, static_cast<int>(state.range(0)),
                                      day.View()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantrel::ReadoutTexts(input));
    }
}
BENCHMARK(BM_ReadoutTexts)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
#ifdef VANTREL_BENCH_PAINT
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
