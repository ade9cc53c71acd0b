// SPDX-License-Identifier: GPL-3.0-or-later
// Fixtures of the store, export and command-line tests (with the shared temporary folder):
// writers of the record files in the layout the converter leaves (record
// summary, day summary and day sample files in an import folder below <backup>cda/).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace vantrel::test {

// An INI file of one section, keys in the given order.
inline std::string IniText(const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text = "[" + section + "]\n";
    for (const auto& [key, value] : keys) {
        text += key + "=" + value + "\n";
    }
    return text;
}

// A day image with the given samples placed (index -> centimetres), the rest no sample.
inline std::string DayImage(const std::map<std::size_t, std::uint16_t>& samples) {
    std::string image(345'600, '\xFF');
    for (const auto& [index, value] : samples) {
        image[2 * index] = static_cast<char>(value & 0xFF);
        image[2 * index + 1] = static_cast<char>(value >> 8);
    }
    return image;
}

struct RecordFixture {
    std::string saveDateTime = "20160315101112";
    std::string saveUser;
    std::string drid = "VQ0A1B2C";
    std::string driver = "Driver";
    std::string vehicle = "12A3456";
    std::string stamp = "20160315081200";  // the record stamp naming the files
    std::vector<std::string> days{"20160315"};
    std::string readType = "SD";
    bool withDayFiles = true;
};

// Writes a record into <backup>cda/<importFolder>/ and returns its summary file's path.
inline std::string WriteRecord(const std::string& backup, const std::string& importFolder,
                               const RecordFixture& r) {
    const std::string folder = backup + "cda/" + importFolder + "/";
    const std::string base = folder + r.stamp + "_" + r.drid;
    std::string dates;
    for (const std::string& day : r.days) {
        dates += day + ",";
    }
    TempFolder::Write(base + ".dat",
                      IniText("RECORDINFO", {{"SaveDateTime", r.saveDateTime},
                                             {"SaveUserName", r.saveUser},
                                             {"DRID", r.drid},
                                             {"DriverName", r.driver},
                                             {"VehicleNo", r.vehicle},
                                             {"RecordStart", r.days.front() + "081200"},
                                             {"RecordStop", r.days.back() + "172000"},
                                             {"DrivingCM", "123.4"},
                                             {"DrivingTime", "7201"},
                                             {"MaxContinueDrivingTime", "3600"},
                                             {"MaxSpeed", "64.8"},
                                             {"MaxSpeedDateTime", r.days.front() + "101530.500"},
                                             {"IdlingDrivingStart", ""},
                                             {"DrivingArea", ""},
                                             {"DrivingDate", dates},
                                             {"DrivingDateCount", std::to_string(r.days.size())},
                                             {"IsAdjustTime", "X"},
                                             {"ReadType", r.readType}}));
    if (r.withDayFiles) {
        for (const std::string& day : r.days) {
            TempFolder::Write(base + "_" + day + ".cda", DayImage({{0, 1}}));
            TempFolder::Write(base + "_" + day + ".dat",
                              IniText("CDA", {{"DrivingDate", day},
                                              {"DrivingCM", "0.0"},
                                              {"DrivingTime", "1"},
                                              {"MaxSpeed", "0.1"},
                                              {"MaxSpeedDateTime", day + "000000.0"}}));
        }
    }
    return base + ".dat";
}

}  // namespace vantrel::test
