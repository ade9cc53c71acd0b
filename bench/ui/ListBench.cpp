// SPDX-License-Identifier: GPL-3.0-or-later
// The record list window over a large backup folder: a generated folder of 10,000 or
// 100,000 record summary files (ten per import folder) is scanned by the store, then the
// window takes the store's rows (model reset and column fitting) and paints for the first
// time, offscreen. For comparison the store's scan and rows alone. The goal is that the
// window adds little to the scan.
//
// Run: QT_QPA_PLATFORM=offscreen build/<preset>/bin/bench_ui_list (the folders are made in the
// temporary folder once per size and removed at the end).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTableView>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "core/store/MgrTachoDB.h"
#include "ui/views/WndList.h"

namespace {

namespace fs = std::filesystem;

std::string Two(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

class BackupFolder {
public:
    explicit BackupFolder(int records) {
        m_root = fs::temp_directory_path() / ("vantrel-bench-list-" + std::to_string(records));
        fs::remove_all(m_root);
        for (int i = 0; i < records; ++i) {
            const int importNo = i / 10;
            const std::string import = "2015" + Two(1 + importNo / 2500 % 12) +
                                       Two(1 + importNo / 100 % 28) + Two(importNo / 4 % 24) +
                                       Two(importNo % 60) + Two(importNo / 60 % 60);
            const std::string folder = Folder() + "cda/" + import + "/";
            fs::create_directories(folder);
            const std::string day = "201503" + Two(1 + i % 28);
            const std::string device = "VQ0A1B" + Two(i % 7);
            std::ofstream(folder + "20150301" + Two(i % 24) + Two(i % 60) + "00_" + device + ".dat",
                          std::ios::binary)
                << "[RECORDINFO]\nSaveDateTime=" << import
                << "\nSaveUserName=operator\nDRID=" << device << "\nDriverName=Driver " << i % 13
                << "\nVehicleNo=12A" << 3400 + i % 29 << "\nRecordStart=" << day
                << "081200\nRecordStop=" << day
                << "172000\nDrivingCM=123.4\nDrivingTime=7201\nMaxContinueDrivingTime=3600"
                   "\nMaxSpeed=64.8\nMaxSpeedDateTime="
                << day << "101530.500\nDrivingArea=\nIsAdjustTime=X\nReadType=SD\n";
        }
    }
    ~BackupFolder() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    std::string Folder() const { return m_root.string() + "/"; }

private:
    fs::path m_root;
};

const BackupFolder& Folder(int records) {
    static std::map<int, std::unique_ptr<BackupFolder>> folders;
    auto& folder = folders[records];
    if (!folder) {
        folder = std::make_unique<BackupFolder>(records);
    }
    return *folder;
}

// The store's part: the scan and every row.
void BM_StoreScanAndRows(benchmark::State& state) {
    vantrel::CMgrTachoDB store(Folder(static_cast<int>(state.range(0))).Folder());
    for (auto _ : state) {
        store.RefreshRecordList();
        benchmark::DoNotOptimize(store.GetRows().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The window's part after the scan: the rows into the model, the columns fitted, the first
// paint of the whole list window.
void BM_ListFillAndFirstPaint(benchmark::State& state) {
    vantrel::CMgrTachoDB store(Folder(static_cast<int>(state.range(0))).Folder());
    store.RefreshRecordList();
    CWndList list(store, 0);
    list.resize(1200, 641);
    for (auto _ : state) {
        list.RefillRows();
        const QImage image = list.grab().toImage();
        benchmark::DoNotOptimize(image.constBits());
    }
    if (list.Table()->model()->rowCount() != state.range(0)) {
        state.SkipWithError("not every record became a row");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_StoreScanAndRows)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFillAndFirstPaint)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
