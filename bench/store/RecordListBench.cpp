// SPDX-License-Identifier: GPL-3.0-or-later
// The record list over a large backup folder: a generated folder of 10,000 or 100,000 records
// (ten records per import folder, each with one day, summary files as the conversion writes
// them) is scanned and turned into all its rows, and for comparison the same record summary
// files are just read (what cat of them costs). Both run warm, one after the other in the same
// process. The goal is that the list costs little more than reading its bytes.
//
// Run: build/<preset>/bin/bench_store (the folders are made in the temporary folder once per
// size and removed at the end).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/store/BackupLayout.h"
#include "core/store/MgrTachoDB.h"

namespace {

namespace fs = std::filesystem;

std::string Two(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// One generated backup folder, made on first use and removed when the program ends.
class BackupFolder {
public:
    explicit BackupFolder(int records) {
        m_root = fs::temp_directory_path() / ("vantrel-bench-store-" + std::to_string(records));
        fs::remove_all(m_root);
        for (int i = 0; i < records; ++i) {
            WriteRecord(i);
        }
    }
    ~BackupFolder() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    std::string Folder() const { return m_root.string() + "/"; }
    const std::vector<std::string>& RecordFiles() const { return m_aRecords; }
    std::uintmax_t RecordBytes() const { return m_nBytes; }

private:
    void WriteRecord(int i) {
        const int importNo = i / 10;
        const std::string importFolder = "2015" + Two(1 + importNo / 2500 % 12) +
                                         Two(1 + importNo / 100 % 28) + Two(importNo / 4 % 24) +
                                         Two(importNo % 60) + Two(importNo / 60 % 60);
        const std::string folder = Folder() + "cda/" + importFolder + "/";
        fs::create_directories(folder);
        const std::string day = "201503" + Two(1 + i % 28);
        const std::string device = "VQ0A1B" + Two(i % 7);
        const std::string base = folder + "20150301" + Two(i % 24) + "0000_" + device;
        const std::string text =
            "[RECORDINFO]\nSaveDateTime=" + importFolder +
            "\nSaveUserName=operator\nDRID=" + device + "\nDriverName=Driver " +
            std::to_string(i % 13) + "\nVehicleNo=12A" + std::to_string(3400 + i % 29) +
            "\nRecordStart=" + day + "081200\nRecordStop=" + day +
            "172000\nDrivingCM=123.4\nDrivingTime=7201\nMaxContinueDrivingTime=3600"
            "\nMaxSpeed=64.8\nMaxSpeedDateTime=" +
            day + "101530.500\nIdlingDrivingStart=\nDrivingArea=\nDrivingDate=" + day +
            ",\nDrivingDateCount=1\nIsAdjustTime=X\nReadType=SD\n";
        std::ofstream(base + ".dat", std::ios::binary) << text;
        std::ofstream(base + "_" + day + ".dat", std::ios::binary)
            << "[CDA]\nDrivingDate=" << day
            << "\nDrivingCM=123.4\nDrivingTime=7201\nMaxSpeed=64.8\nMaxSpeedDateTime=" << day
            << "101530.500\nIdlingDrivingStart=\nAdjustOldTime=\nAdjustNewTime=\n";
        m_aRecords.push_back(base + ".dat");
        m_nBytes += text.size();
    }

    fs::path m_root;
    std::vector<std::string> m_aRecords;
    std::uintmax_t m_nBytes = 0;
};

const BackupFolder& Folder(int records) {
    static std::map<int, std::unique_ptr<BackupFolder>> folders;
    auto& folder = folders[records];
    if (!folder) {
        folder = std::make_unique<BackupFolder>(records);
    }
    return *folder;
}

void SetCounters(benchmark::State& state, const BackupFolder& folder) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(folder.RecordBytes()));
    // Seconds of processor time per 10,000 records.
    state.counters["per_10k"] = benchmark::Counter(
        static_cast<double>(state.range(0)) / 10'000.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// RefreshRecordList: the scan of the import folders and every row, all filters at "All".
void BM_ScanAndAllRows(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    vantrel::CMgrTachoDB store(folder.Folder());
    for (auto _ : state) {
        store.RefreshRecordList();
        benchmark::DoNotOptimize(store.GetRows().data());
    }
    if (store.GetRows().size() != static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("not every record became a row");
    }
    SetCounters(state, folder);
}

// The scan alone: the import folders listed, no summary file read.
void BM_ScanRecordsOnly(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    vantrel::CMgrTachoDB store(folder.Folder());
    for (auto _ : state) {
        store.ScanRecords(vantrel::CdaFolder(folder.Folder()));
        benchmark::DoNotOptimize(store.m_aRecordFiles.data());
    }
    SetCounters(state, folder);
}

// What start-up does: the filter lists (a scan and a read of every record) and the rows.
void BM_StartUpFiltersAndRows(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    vantrel::CMgrTachoDB store(folder.Folder());
    for (auto _ : state) {
        store.RebuildFilterLists();
        store.RefreshRecordList();
        benchmark::DoNotOptimize(store.GetRows().data());
    }
    SetCounters(state, folder);
}

// The bytes alone: every record summary file opened, read whole and closed, as cat does.
void BM_ReadSummaryFilesOnly(benchmark::State& state) {
    const BackupFolder& folder = Folder(static_cast<int>(state.range(0)));
    std::vector<char> buffer(65536);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::string& path : folder.RecordFiles()) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr) {
                state.SkipWithError("a summary file went missing");
                return;
            }
            for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
                total += n;
            }
            std::fclose(file);
        }
        benchmark::DoNotOptimize(total);
    }
    SetCounters(state, folder);
}

BENCHMARK(BM_ReadSummaryFilesOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanRecordsOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanAndAllRows)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpFiltersAndRows)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
