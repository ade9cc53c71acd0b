// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's settings, read from environment variables each time the device is opened, so
// a test can change the recorder's behaviour between two exchanges without reloading it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>

namespace vantrel::emulator {

struct EmulatorConfig {
    std::filesystem::path storage;  // the recorder's storage folder (dtacho/, log/)
    bool present = false;           // a recorder is attached: storage names a folder
    std::string deviceId;           // identity override, empty: from the .dtc files
    std::size_t lineBytes = 768;    // raw bytes per Base64 data line (a multiple of 3)
    int chunkLines = 8;             // data lines per chunk
    long silentAfterLines = -1;     // fall silent after this many lines (-1: never)
    std::string cutFile;            // the transfer of this file stops mid-way
    long cutBytes = -1;             // ... after this many bytes (-1: half the file)
    std::string endFirstFile;       // answers for this file start with "#END"
    int endFirstRepeats = 0;        // ... this many times (0: for ever)
    std::set<std::string> hostile;  // malformed or hostile listing lines to add
    bool formatSilent = false;      // "#FORMAT" gets no answer
    std::string commandLog;         // file that receives every command, one per line
    std::string time;               // "#TIME" answer, empty: the current local time
    unsigned silenceMs = 0;         // how long a read waits when nothing is queued
};

EmulatorConfig ReadConfig();

// True when path names the configured file: equal, or ending in "/" + pattern; "*" matches
// every .dtc file.
bool MatchesFile(const std::string& pattern, const std::string& path);

}  // namespace vantrel::emulator
