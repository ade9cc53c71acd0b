// SPDX-License-Identifier: GPL-3.0-or-later
// The driving analysis over a large backup folder: 10,000 generated records of one day each
// (ten records per import folder, 13 drivers, 29 vehicles) are scanned, every day sample file
// is read and analysed, the daily limit is checked and the days are summed per driver, as
// `vantrel-cli summary --by driver` does. For comparison the same day files are only read,
// and one day is analysed in memory. The goal: the summary costs about one read and one pass
// over each day's 172,800 samples.
//
// The day files are hard links to eight synthetic days (drives with ramps, cruising with
// jitter, stops and gaps), so the folder takes 3 MB instead of 3.4 GB and the runs are warm:
// they measure the analysis and the file system calls, not the disk.
//
// Run: build/<preset>/bin/bench_analysis (the folder is made in the temporary folder once
// and removed at the end).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/analysis/RecordAnalysis.h"
#include "core/data/RecordModel.h"
#include "core/store/BackupLayout.h"
#include "core/store/MgrTachoDB.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel;
using namespace vantrel::analysis;

std::string Two(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// A day of driving from 06:00 to about 18:00: 40-minute drives between 10-minute stops, each
// drive ramping up to a cruising speed with jitter and down again, and a gap at noon.
std::vector<std::uint16_t> SyntheticDay(unsigned seed) {
    std::vector<std::uint16_t> day(kSamplesPerDay, kNoSample);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-3.0, 3.0);
    std::uniform_real_distribution<double> cruise(60.0, 112.0);
    std::uniform_real_distribution<double> ramp(3.0, 12.0);  // km/h per second
    std::size_t i = DaySampleIndex(6, 0, 0);
    while (i < DaySampleIndex(18, 0, 0)) {
        const double target = cruise(random);
        const double up = ramp(random);
        const double down = ramp(random);
        const std::size_t driveEnd = i + 40 * 120;
        double speed = 0.0;
        for (; i < driveEnd; ++i) {
            const std::size_t left = driveEnd - i;
            if (speed < target && left * down / 2 > speed) {
                speed = std::min(target, speed + up / 2);
            } else if (left * down / 2 <= speed) {
                speed = std::max(0.0, speed - down / 2);
            } else {
                speed = std::clamp(speed + jitter(random) / 4, target - 5, target + 5);
            }
            day[i] = static_cast<std::uint16_t>(std::lround(std::max(0.0, speed) / 0.072));
        }
        for (const std::size_t stopEnd = i + 10 * 120; i < stopEnd; ++i) {
            day[i] = 0;
        }
    }
    std::fill(day.begin() + static_cast<long>(DaySampleIndex(12, 0, 0)),
              day.begin() + static_cast<long>(DaySampleIndex(12, 20, 0)), kNoSample);
    return day;
}

void WriteImage(const std::string& path, const std::vector<std::uint16_t>& day) {
    std::string bytes(kDayImageBytes, '\0');
    for (std::size_t i = 0; i < day.size(); ++i) {
        bytes[2 * i] = static_cast<char>(day[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(day[i] >> 8);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

constexpr int kDistinctDays = 8;

class BackupFolder {
public:
    explicit BackupFolder(int records) {
        m_root = fs::temp_directory_path() / ("vantrel-bench-analysis-" + std::to_string(records));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "days");
        for (int d = 0; d < kDistinctDays; ++d) {
            WriteImage((m_root / "days" / (std::to_string(d) + ".cda")).string(),
                       SyntheticDay(static_cast<unsigned>(d + 1)));
        }
        for (int i = 0; i < records; ++i) {
            WriteRecord(i);
        }
    }
    ~BackupFolder() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    std::string Folder() const { return m_root.string() + "/"; }
    const std::vector<std::string>& DayFiles() const { return m_aDayFiles; }

private:
    void WriteRecord(int i) {
        const int importNo = i / 10;
        const std::string importFolder = "2015" + Two(1 + importNo / 84 % 12) +
                                         Two(1 + importNo % 28) + Two(importNo / 28 % 24) +
                                         Two(importNo % 60) + Two(importNo / 60 % 60);
        const std::string folder = Folder() + "cda/" + importFolder + "/";
        fs::create_directories(folder);
        // Days spread over a year, so a driver's days rarely repeat.
        const std::string day = "2015" + Two(1 + i / 840 % 12) + Two(1 + i / 30 % 28);
        const std::string device = "VQ0A1B" + Two(i % 7);
        const std::string base = folder + day + Two(i % 24) + "0000_" + device;
        std::ofstream(base + ".dat", std::ios::binary)
            << "[RECORDINFO]\nSaveDateTime=" << importFolder << "\nDRID=" << device
            << "\nDriverName=Driver " << i % 13 << "\nVehicleNo=12A" << 3400 + i % 29
            << "\nDrivingDate=" << day << ",\nDrivingDateCount=1\nReadType=SD\n";
        const std::string dayFile = base + "_" + day + ".cda";
        fs::create_hard_link(m_root / "days" / (std::to_string(i % kDistinctDays) + ".cda"),
                             dayFile);
        m_aDayFiles.push_back(dayFile);
    }

    fs::path m_root;
    std::vector<std::string> m_aDayFiles;
};

const BackupFolder& Folder(int records) {
    static std::map<int, std::unique_ptr<BackupFolder>> folders;
    auto& folder = folders[records];
    if (!folder) {
        folder = std::make_unique<BackupFolder>(records);
    }
    return *folder;
}

void SetCounters(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) *
                            static_cast<std::int64_t>(kDayImageBytes));
}

// summary --by driver: scan, read and analyse every day, daily limit, sums.
void BM_SummaryByDriver(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    const ProfileFile profiles;
    std::int64_t events = 0;
    for (auto _ : state) {
        CMgrTachoDB store(folder.Folder());
        store.ScanRecords(CdaFolder(folder.Folder()));
        const std::vector<RecordAnalysis> records = AnalyseRecords(
            store.m_aRecordFiles, profiles, std::nullopt, {}, nullptr, EventDetail::CountsOnly);
        Totals total;
        const std::vector<SummaryRow> rows = Summarise(records, GroupBy::Driver, {}, &total);
        benchmark::DoNotOptimize(rows.data());
        events = total.EventCount();
        if (total.days != state.range(0)) {
            state.SkipWithError("not every day was analysed");
        }
    }
    state.counters["events"] = static_cast<double>(events);
    SetCounters(state);
}

// The bytes alone: every day sample file read into one buffer.
void BM_ReadDayFilesOnly(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    DaySampleReader reader;
    std::string error;
    for (auto _ : state) {
        for (const std::string& path : folder.DayFiles()) {
            if (!reader.Read(path, &error)) {
                state.SkipWithError(error.c_str());
            }
            benchmark::DoNotOptimize(reader.Samples().data());
        }
    }
    SetCounters(state);
}

// One day in memory: the pass over its samples alone.
void BM_AnalyseOneDay(benchmark::State& state) {
    const std::vector<std::uint16_t> day = SyntheticDay(1);
    const AnalysisProfile profile = ProfileFile().Profile(VehicleClass::Truck);
    for (auto _ : state) {
        DayAnalyser analyser(profile);
        analyser.AddDay(1'425'254'400, day);  // 2015-03-02
        analyser.Finish();
        benchmark::DoNotOptimize(analyser.Days().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSamplesPerDay));
}

}  // namespace

BENCHMARK(BM_SummaryByDriver)->Arg(10'000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadDayFilesOnly)->Arg(10'000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AnalyseOneDay)->Unit(benchmark::kMicrosecond);
