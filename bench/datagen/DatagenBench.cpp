// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the generator makes a year of one recorder (365 daily files, the input of the
// conversion benchmark): planning and driving alone, and with every file encoded to bytes.
#include <benchmark/benchmark.h>

#include "tools/datagen/ExpectedTotals.h"
#include "tools/datagen/Generator.h"

namespace {

using namespace vantrel::datagen;

void BM_GenerateYear(benchmark::State& state) {
    const Scenario year = *NamedScenario("year");
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::optional<CardData> card = GenerateCard(year, 1);
        bytes = card->TotalDtcBytes();
        benchmark::DoNotOptimize(card);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_GenerateYear)->Unit(benchmark::kMillisecond);

void BM_GenerateAndEncodeYear(benchmark::State& state) {
    const Scenario year = *NamedScenario("year");
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<CardData> card = GenerateCard(year, 1);
        bytes = 0;
        for (const GeneratedFile& file : card->files) {
            bytes += file.Encode().size();
        }
        bytes += card->EncodeSystemLog().size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_GenerateAndEncodeYear)->Unit(benchmark::kMillisecond);

void BM_ExpectedTotalsYear(benchmark::State& state) {
    const CardData card = *GenerateCard(*NamedScenario("year"), 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeExpectedTotals(card));
    }
}
BENCHMARK(BM_ExpectedTotalsYear)->Unit(benchmark::kMillisecond);

}  // namespace
