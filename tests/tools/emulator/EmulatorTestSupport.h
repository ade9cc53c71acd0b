// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the emulator tests: a storage folder filled by the data generator, the emulator
// loaded by dlopen, and a client that speaks the line protocol as the program does (lines of
// up to 4096 bytes per read, collected up to CR LF).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/plumex/support/DeviceLinkLibrary.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace emulator_test {

namespace fs = std::filesystem;

inline const char* const kEnvironment[] = {
    "VANTREL_EMU_STORAGE",     "VANTREL_EMU_DEVICE_ID",    "VANTREL_EMU_LINE_BYTES",
    "VANTREL_EMU_CHUNK_LINES", "VANTREL_EMU_SILENT_AFTER", "VANTREL_EMU_CUT_FILE",
    "VANTREL_EMU_END_FIRST",   "VANTREL_EMU_HOSTILE",      "VANTREL_EMU_FORMAT_SILENT",
    "VANTREL_EMU_COMMAND_LOG", "VANTREL_EMU_TIME",         "VANTREL_EMU_SILENCE_MS"};

inline std::string DecodeBase64(const std::string& text) {
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        int v = -1;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        if (c == '+')
            v = 62;
        if (c == '/')
            v = 63;
        if (v < 0) {
            continue;
        }
        value = value << 6 | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((value >> bits) & 0xFF));
        }
    }
    return out;
}

inline std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Splits a protocol line (with its CR LF) at commas.
inline std::vector<std::string> Fields(std::string line) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        line.resize(line.size() - 2);
    }
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t comma = line.find(',', pos);
        fields.push_back(line.substr(pos, comma - pos));
        if (comma == std::string::npos) {
            return fields;
        }
        pos = comma + 1;
    }
}

class EmulatorTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kEnvironment) {
            unsetenv(name);
        }
        std::random_device seed;
        m_root = fs::temp_directory_path() / ("vantrel_emulator_" + std::to_string(seed()));
        m_storage = m_root / "storage";
        fs::create_directories(m_storage);
        setenv("VANTREL_EMU_STORAGE", m_storage.c_str(), 1);
    }

    void TearDown() override {
        if (m_library) {
            EXPECT_TRUE(m_library->Unload());
        }
        for (const char* name : kEnvironment) {
            unsetenv(name);
        }
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    // Eight days from 28 January 2024: files in two month folders, and a system log.
    const vantrel::datagen::CardData& FillStorage() {
        vantrel::datagen::Scenario scenario = *vantrel::datagen::NamedScenario("small");
        scenario.startDate = {2024, 1, 28};
        scenario.days = 8;
        auto card = vantrel::datagen::GenerateCard(scenario, 7);
        EXPECT_TRUE(card.has_value());
        m_card = std::move(*card);
        const auto written = vantrel::datagen::WriteRecorderStorage(m_card, m_storage);
        EXPECT_TRUE(written.ok) << written.error;
        return m_card;
    }

    plumex_test::DeviceLinkLibrary& Emulator() {
        if (!m_library) {
            m_library = std::make_unique<plumex_test::DeviceLinkLibrary>(
                VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so");
        }
        EXPECT_TRUE(m_library->Loaded()) << m_library->Error();
        return *m_library;
    }

    bool Send(const std::string& command, std::int32_t handle = 1) {
        return Emulator().usbWrite(command.data(), static_cast<std::uint32_t>(command.size()),
                                   handle) == static_cast<std::int32_t>(command.size());
    }

    // One line through its CR LF, as the program reads it; nothing when the recorder is silent.
    std::optional<std::string> ReadLine(std::int32_t handle = 1) {
        std::string text;
        while (text.find("\r\n") == std::string::npos) {
            char buffer[4096];
            const std::int32_t got = Emulator().usbRead(buffer, sizeof buffer, handle);
            if (got <= 0) {
                return std::nullopt;
            }
            text.append(buffer, static_cast<std::size_t>(got));
        }
        EXPECT_EQ(text.find("\r\n"), text.size() - 2) << "bytes after the line end";
        return text;
    }

    // All lines of one answer, "#END" line included; stops early when the recorder falls silent.
    std::vector<std::string> Answer(const std::string& command) {
        EXPECT_TRUE(Send(command)) << command;
        std::vector<std::string> lines;
        for (int guard = 0; guard < 1000000; ++guard) {
            const auto line = ReadLine();
            if (!line) {
                break;
            }
            lines.push_back(*line);
            if (*line == "#END\r\n") {
                break;
            }
        }
        return lines;
    }

    // Fetches a file as the program does: "#FILE", then "#NEXT" until the data line without
    // the comma. Returns the decoded bytes and whether that last line came.
    std::pair<std::string, bool> Fetch(const std::string& path) {
        std::string data;
        std::string command = "#FILE " + path + "\r\n";
        for (int chunk = 0; chunk < 100000; ++chunk) {
            const std::vector<std::string> lines = Answer(command);
            command = "#NEXT\r\n";
            const bool ended = !lines.empty() && lines.back() == "#END\r\n";
            const std::size_t dataEnd = ended ? lines.size() - 1 : lines.size();
            for (std::size_t i = 3; i < dataEnd; ++i) {
                const std::string& line = lines[i];
                EXPECT_EQ(line.front(), '#');
                const bool more =
                    line.size() >= 3 && line.compare(line.size() - 3, 3, ",\r\n") == 0;
                data += DecodeBase64(line.substr(1, line.size() - (more ? 4 : 3)));
                if (!more) {
                    EXPECT_EQ(i + 1, dataEnd) << "data after the last data line";
                    return {data, true};
                }
            }
            if (!ended) {
                return {data, false};  // fell silent
            }
        }
        return {data, false};
    }

    fs::path m_root;
    fs::path m_storage;
    vantrel::datagen::CardData m_card;
    std::unique_ptr<plumex_test::DeviceLinkLibrary> m_library;
};

}  // namespace emulator_test
