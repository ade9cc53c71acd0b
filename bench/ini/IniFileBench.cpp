// SPDX-License-Identifier: GPL-3.0-or-later
// The record list opens thousands of record summary files and reads about 16 keys of each: this
// measures one such file loaded from disk and read in full, and the lookups alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ini/IniFile.h"

namespace {

constexpr std::array<const char*, 18> kKeys = {"SaveDateTime",
                                               "SaveUserName",
                                               "DRID",
                                               "DriverName",
                                               "VehicleNo",
                                               "RecordStart",
                                               "RecordStop",
                                               "DrivingCM",
                                               "DrivingTime",
                                               "MaxContinueDrivingTime",
                                               "MaxSpeed",
                                               "MaxSpeedDateTime",
                                               "IdlingDrivingStart",
                                               "DrivingArea",
                                               "DrivingDate",
                                               "DrivingDateCount",
                                               "IsAdjustTime",
                                               "ReadType"};

// The 16 keys that a list row shows or filters by.
constexpr std::array<const char*, 16> kRowKeys = {
    "SaveDateTime", "SaveUserName",     "DRID",        "DriverName",       "VehicleNo",
    "RecordStart",  "RecordStop",       "DrivingCM",   "DrivingTime",      "MaxContinueDrivingTime",
    "MaxSpeed",     "MaxSpeedDateTime", "DrivingArea", "DrivingDateCount", "IsAdjustTime",
    "ReadType"};

std::string SummaryText() {
    const std::array<const char*, kKeys.size()> values = {
        "20240312101530",
        "Administrator",
        "VQ0A1B2C",
        "Hong Gildong",
        "12GA3456",
        "20240311060000",
        "20240311183012",
        "412.7",
        "61234",
        "14400",
        "98.3",
        "20240311101212.5",
        "20240311060000-20240311061500,20240311120000-20240311130000,",
        "",
        "20240311,",
        "1",
        "X",
        "SD"};
    std::string text = "[RECORDINFO]\r\n";
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        text += std::string(kKeys[i]) + "=" + values[i] + "\r\n";
    }
    return text;
}

class SummaryFile : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        m_path = std::filesystem::temp_directory_path() /
                 ("vantrel-bench-summary-" + std::to_string(::getpid()) + ".dat");
        std::ofstream(m_path, std::ios::binary) << SummaryText();
    }
    void TearDown(const benchmark::State&) override { std::filesystem::remove(m_path); }

protected:
    std::filesystem::path m_path;
};

BENCHMARK_F(SummaryFile, LoadAndRead16Keys)(benchmark::State& state) {
    for (auto _ : state) {
        const vantrel::ini::IniFile file = vantrel::ini::IniFile::Load(m_path);
        for (const char* key : kRowKeys) {
            benchmark::DoNotOptimize(file.GetString("RECORDINFO", key, ""));
        }
    }
}

BENCHMARK_F(SummaryFile, Read16KeysOfLoadedFile)(benchmark::State& state) {
    const vantrel::ini::IniFile file = vantrel::ini::IniFile::Load(m_path);
    for (auto _ : state) {
        for (const char* key : kRowKeys) {
            benchmark::DoNotOptimize(file.GetString("RECORDINFO", key, ""));
        }
    }
}

}  // namespace
