// SPDX-License-Identifier: GPL-3.0-or-later
// Durable writes of a year's record files of one recorder (365 day images of 345,600 bytes and
// 365 small summaries): each file flushed on its own, the batch with one syncfs, the batch with
// an fdatasync per file, and plain writes without any flush as the floor. Times are
// wall-clock; the disk is shared with whatever else runs, so compare runs made side by side.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/util/AtomicFile.h"

namespace {

using namespace vantrel;

constexpr int kDays = 365;
const std::string kImage(345'600, '\x01');
const std::string kSummary(400, 'k');

std::filesystem::path FreshFolder() {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("vantrel-bench-write-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(path);
    return path;
}

std::string FileName(const std::filesystem::path& folder, int day, const char* extension) {
    return (folder / ("day" + std::to_string(day) + extension)).string();
}

template <typename WriteYear>
void RunYear(benchmark::State& state, WriteYear writeYear) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::filesystem::path folder = FreshFolder();
        state.ResumeTiming();
        if (!writeYear(folder)) {
            state.SkipWithError("write failed");
        }
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(kImage.size() + kSummary.size()) * kDays *
                            state.iterations());
    state.counters["Files"] = 2.0 * kDays;
}

void BM_EachFileAtomically(benchmark::State& state) {
    RunYear(state, [](const std::filesystem::path& folder) {
        bool ok = true;
        for (int day = 0; day < kDays; ++day) {
            ok = WriteFileAtomically(FileName(folder, day, ".cda"), kImage) && ok;
            ok = WriteFileAtomically(FileName(folder, day, ".dat"), kSummary) && ok;
        }
        return ok;
    });
}
BENCHMARK(BM_EachFileAtomically)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Batch(benchmark::State& state) {
    const auto mode = static_cast<AtomicWriteBatch::FlushMode>(state.range(0));
    state.SetLabel(mode == AtomicWriteBatch::FlushMode::kSyncFileSystem ? "syncfs" : "fdatasync");
    RunYear(state, [mode](const std::filesystem::path& folder) {
        AtomicWriteBatch batch(mode);
        bool ok = true;
        for (int day = 0; day < kDays; ++day) {
            ok = batch.Add(FileName(folder, day, ".cda"), kImage) && ok;
            ok = batch.Add(FileName(folder, day, ".dat"), kSummary) && ok;
        }
        return batch.Commit() && ok;
    });
}
BENCHMARK(BM_Batch)
    ->Arg(static_cast<int>(AtomicWriteBatch::FlushMode::kSyncFileSystem))
    ->Arg(static_cast<int>(AtomicWriteBatch::FlushMode::kSyncEachFile))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_PlainWriteNoFlush(benchmark::State& state) {
    RunYear(state, [](const std::filesystem::path& folder) {
        bool ok = true;
        for (int day = 0; day < kDays; ++day) {
            std::ofstream(FileName(folder, day, ".cda"), std::ios::binary) << kImage;
            std::ofstream(FileName(folder, day, ".dat"), std::ios::binary) << kSummary;
            ok = ok && std::filesystem::exists(FileName(folder, day, ".dat"));
        }
        return ok;
    });
}
BENCHMARK(BM_PlainWriteNoFlush)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
