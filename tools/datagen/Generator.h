// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a scenario and a seed into the recorder's data: .dtc files with their names and month
// folders, and the event log. The same scenario and seed always give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/datagen/DtcFile.h"
#include "tools/datagen/Scenario.h"
#include "tools/datagen/SystemLog.h"

namespace vantrel::datagen {

struct GeneratedFile {
    std::string name;         // "<prefix>_YYYYMMDD_hhmmss.dtc" of the local start (30 chars)
    std::string monthFolder;  // "YYYYMM" of the local start (characters 11-16 of the name)
    TripRef trip;             // the trip of the scenario that produced it
    int record = 0;           // the scenario's record number, 0-based, in time order
    DtcFile dtc;

    // Header start + zone * 60 in 32-bit arithmetic, as the reader computes it.
    std::uint32_t LocalStart() const;
    std::vector<std::uint8_t> Encode() const { return dtc.Encode(); }
};

struct CardData {
    Scenario scenario;
    std::uint64_t seed = 0;
    // Sorted by name, the order in which an import converts them. After a clock was set back
    // this differs from the order in which they were recorded.
    std::vector<GeneratedFile> files;
    std::vector<LogEvent> logEvents;  // in log order (as recorded), oldest first

    std::vector<std::uint8_t> EncodeSystemLog() const;
    std::string DeviceIdText() const;
    std::size_t TotalDtcBytes() const;
};

// Nullopt (and the reason in *error) when the scenario does not validate.
std::optional<CardData> GenerateCard(const Scenario& scenario, std::uint64_t seed,
                                     std::string* error = nullptr);

}  // namespace vantrel::datagen
