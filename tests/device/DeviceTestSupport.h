// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the device tests: a temporary recorder storage and backup folder, the recorder
// emulator bound by name through VANTREL_PLUMEX, and helpers to fill the storage by hand or
// with the data generator.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "device/DeviceLink.h"
#include "device/PlumexBinding.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace device_test {

namespace fs = std::filesystem;

inline const char* const kEmulatorEnvironment[] = {
    "VANTREL_EMU_STORAGE",     "VANTREL_EMU_DEVICE_ID",    "VANTREL_EMU_LINE_BYTES",
    "VANTREL_EMU_CHUNK_LINES", "VANTREL_EMU_SILENT_AFTER", "VANTREL_EMU_CUT_FILE",
    "VANTREL_EMU_END_FIRST",   "VANTREL_EMU_HOSTILE",      "VANTREL_EMU_FORMAT_SILENT",
    "VANTREL_EMU_COMMAND_LOG", "VANTREL_EMU_TIME",         "VANTREL_EMU_SILENCE_MS",
    "VANTREL_PLUMEX"};

inline std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every regular file below the folder, as paths relative to it, in name order.
inline std::vector<std::string> FilesBelow(const fs::path& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file()) {
            files.push_back(fs::relative(it->path(), folder).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

class DeviceTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kEmulatorEnvironment) {
            unsetenv(name);
        }
        std::random_device seed;
        m_root = fs::temp_directory_path() / ("vantrel_device_" + std::to_string(seed()));
        m_storage = m_root / "storage";
        m_backup = m_root / "backup";
        fs::create_directories(m_storage);
        fs::create_directories(m_backup);
        setenv("VANTREL_EMU_STORAGE", m_storage.c_str(), 1);
        setenv("VANTREL_EMU_COMMAND_LOG", (m_root / "commands.txt").c_str(), 1);
        setenv("VANTREL_PLUMEX", VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so", 1);
        ASSERT_TRUE(m_binding.Bind()) << m_binding.Error();
    }

    void TearDown() override {
        m_binding.Release();
        for (const char* name : kEmulatorEnvironment) {
            unsetenv(name);
        }
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    std::string Backup() const { return m_backup.string() + "/"; }
    vantrel::CDeviceLink Link() const { return {m_binding.Functions(), Backup()}; }

    // A .dtc file in the storage with made-up content; the download does not decode it.
    std::string AddStorageFile(const std::string& name, const std::string& bytes = {}) {
        const std::string month = name.substr(11, 6);
        WriteWholeFile(m_storage / "dtacho" / month / name, bytes.empty() ? "data:" + name : bytes);
        return name;
    }

    // Eight generated days from 28 January 2024 in two month folders, with a system log.
    void FillGenerated(int days = 8) {
        vantrel::datagen::Scenario scenario = *vantrel::datagen::NamedScenario("small");
        scenario.startDate = {2024, 1, 28};
        scenario.days = days;
        auto card = vantrel::datagen::GenerateCard(scenario, 7);
        ASSERT_TRUE(card.has_value());
        m_card = std::move(*card);
        const auto written = vantrel::datagen::WriteRecorderStorage(m_card, m_storage);
        ASSERT_TRUE(written.ok) << written.error;
        m_storageFiles = written.dtcPaths;
    }

    void WriteMarker(const std::string& folder, const std::string& lastTime,
                     const std::string& normalClose) {
        std::string text = "[BACKUPINFO]\nLastTime=" + lastTime + "\n";
        if (!normalClose.empty()) {
            text += "NormalClose=" + normalClose + "\n";
        }
        WriteWholeFile(m_backup / folder / "LastTime.ini", text);
    }

    // The commands the emulator received since the last call, without CR LF.
    std::vector<std::string> TakeCommands() {
        std::vector<std::string> commands;
        std::ifstream in(m_root / "commands.txt");
        for (std::string line; std::getline(in, line);) {
            commands.push_back(line);
        }
        in.close();
        fs::remove(m_root / "commands.txt");
        return commands;
    }

    // The file names of the download's output list.
    static std::vector<std::string> Names(const std::vector<std::string>& paths) {
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            names.push_back(fs::path(path).filename().string());
        }
        return names;
    }

    fs::path m_root;
    fs::path m_storage;
    fs::path m_backup;
    vantrel::PlumexBinding m_binding;
    vantrel::datagen::CardData m_card;
    std::vector<std::string> m_storageFiles;
};

}  // namespace device_test
