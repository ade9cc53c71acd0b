// SPDX-License-Identifier: GPL-3.0-or-later
// A year of one recorder (365 daily .dtc files from the generator, on disk as an SD card):
// reading the raw files alone, decoding them (ReadFiles), and decoding plus converting them
// into record files (ReadFiles + Convert). Throughput is in bytes of .dtc input; PeakRSS is
// the process's peak resident memory (getrusage) after the run. Times are wall-clock: the
// conversion flushes its record files to disk (in a few batches) before renaming them into
// place.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/data/DtcFileList.h"
#include "core/data/InfoDtcFile.h"
#include "tools/datagen/CardWriter.h"

namespace {

using namespace vantrel;

struct YearCard {
    std::filesystem::path root;
    std::vector<std::string> paths;
    std::string deviceId;
    std::size_t bytes = 0;

    YearCard() {
        root = std::filesystem::temp_directory_path() /
               ("vantrel-bench-" + std::to_string(std::random_device()()));
        const datagen::CardData card = *datagen::GenerateCard(*datagen::NamedScenario("year"), 1);
        const datagen::WriteResult written = datagen::WriteSdCard(card, root / "card");
        paths = written.dtcPaths;
        deviceId = card.DeviceIdText();
        bytes = card.TotalDtcBytes();
        std::filesystem::create_directories(root / "backup" / deviceId);
    }
    ~YearCard() {
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }
};

const YearCard& Year() {
    static const YearCard year;
    return year;
}

void ReportMemory(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["PeakRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["Files"] = static_cast<double>(Year().paths.size());
}

void BM_ReadRawYear(benchmark::State& state) {
    const YearCard& year = Year();
    std::vector<char> buffer;
    for (auto _ : state) {
        for (const std::string& path : year.paths) {
            std::ifstream file(path, std::ios::binary | std::ios::ate);
            buffer.resize(static_cast<std::size_t>(file.tellg()));
            file.seekg(0);
            file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    ReportMemory(state, year.bytes);
}
BENCHMARK(BM_ReadRawYear)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeYear(benchmark::State& state) {
    const YearCard& year = Year();
    for (auto _ : state) {
        CDtcFileList list;
        for (const std::string& path : year.paths) {
            list.AddFileName(path);
        }
        if (!list.ReadFiles(false)) {
            state.SkipWithError("ReadFiles failed");
        }
        benchmark::DoNotOptimize(list.m_aFileInfos.data());
    }
    ReportMemory(state, year.bytes);
}
BENCHMARK(BM_DecodeYear)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeAndConvertYear(benchmark::State& state) {
    const YearCard& year = Year();
    CInfoDtcFile converter;
    converter.m_strBackupFolder = (year.root / "backup").string() + "/";
    converter.m_strSourceRoot = (year.root / "card").string() + "/";
    converter.m_stSaveTime = SystemTime{2016, 1, 5, 1, 12, 0, 0, 0};
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::filesystem::path output = year.root / "backup" / "cda" / std::to_string(run++);
        std::filesystem::create_directories(output);
        converter.m_strOutputFolder = output.string() + "/";
        state.ResumeTiming();

        CDtcFileList list;
        for (const std::string& path : year.paths) {
            list.AddFileName(path);
        }
        converter.m_pFileList = &list;
        if (!list.ReadFiles(false) || !converter.Convert(1) || converter.m_nWriteFailures != 0) {
            state.SkipWithError("conversion failed");
        }
        converter.m_pFileList = nullptr;

        state.PauseTiming();
        std::filesystem::remove_all(output);
        state.ResumeTiming();
    }
    ReportMemory(state, year.bytes);
}
BENCHMARK(BM_DecodeAndConvertYear)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
