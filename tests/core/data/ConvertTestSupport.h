// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion fixture: a backup folder with the recorder's device folder, an import folder,
// a card root, and helpers to add .dtc files, run ReadFiles and Convert, and read the results.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "core/data/DtcFileList.h"
#include "core/data/InfoDtcFile.h"
#include "core/ini/IniFile.h"
#include "core/log/TraceLog.h"

namespace vantrel::test {

inline constexpr std::int16_t kKst = 540;

// A header whose file and record start at a local time, for a record stamp that reads as
// the given local time.
inline HeaderSpec LocalHeader(std::uint32_t localStart, std::uint32_t localStamp,
                              std::int16_t zone = kKst) {
    HeaderSpec h;
    h.zone = zone;
    h.fileStart = localStart - static_cast<std::uint32_t>(zone * 60);
    h.recordStart = h.fileStart;
    h.stamp = localStamp - static_cast<std::uint32_t>(zone * 60);
    return h;
}
inline std::uint32_t DeviceTime(std::uint32_t local, std::int16_t zone = kKst) {
    return local - static_cast<std::uint32_t>(zone * 60);
}

// An empty day image with samples placed by hand, as the day sample file must read.
class DayImage {
public:
    DayImage() : m_bytes(345'600, 0xFF) {}
    void Set(int h, int m, int k, std::uint16_t value) {
        const std::size_t i =
            (static_cast<std::size_t>(h) * 60 + static_cast<std::size_t>(m)) * 120 +
            static_cast<std::size_t>(k);
        m_bytes[2 * i] = static_cast<std::uint8_t>(value);
        m_bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

class ConvertFixture : public ::testing::Test {
protected:
    ConvertFixture() {
        m_backup = m_temp.Folder("backup");
        m_output = m_temp.Folder("backup/cda/20150320120000");
        m_card = m_temp.Folder("card");
        m_temp.Folder("backup/VQ0A1B2C");
        m_converter.m_strBackupFolder = m_backup;
        m_converter.m_strOutputFolder = m_output;
        m_converter.m_strSourceRoot = m_card;
        m_converter.m_stSaveTime = SystemTime{2015, 3, 5, 20, 12, 0, 0, 0};
        m_converter.m_strSaveUser = "admin";
        m_previousSink = SetTraceSink([this](const TraceMessage& m) { m_traces.push_back(m); });
    }
    ~ConvertFixture() override { SetTraceSink(m_previousSink); }

    void Add(const DtcBuilder& dtc) {
        const std::string name =
            m_card + "dtacho/f" + std::to_string(100 + m_files.size()) + ".dtc";
        m_files.push_back(dtc.WriteTo(name));
        m_list.AddFileName(name);
    }
    void Run(int readType = 1) {
        ASSERT_TRUE(m_list.ReadFiles(false));
        m_converter.m_pFileList = &m_list;
        ASSERT_TRUE(m_converter.Convert(readType));
    }
    ini::IniFile Ini(const std::string& name) const { return ini::IniFile::Load(m_output + name); }
    std::string Value(const std::string& name, const char* section, const char* key) const {
        return Ini(name).GetString(section, key, "<missing>", ini::kUnlimited);
    }
    std::string Day(const std::string& name, const char* key) const {
        return Value(name, "CDA", key);
    }
    std::string Record(const std::string& name, const char* key) const {
        return Value(name, "RECORDINFO", key);
    }
    std::set<std::string> OutputFiles() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_output)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    std::string LastTimeIni() const { return m_backup + "VQ0A1B2C/LastTime.ini"; }

    TempFolder m_temp;
    std::string m_backup;
    std::string m_output;
    std::string m_card;
    std::vector<std::string> m_files;
    CDtcFileList m_list;
    CInfoDtcFile m_converter;
    std::vector<TraceMessage> m_traces;
    TraceSink m_previousSink;
};

}  // namespace vantrel::test
