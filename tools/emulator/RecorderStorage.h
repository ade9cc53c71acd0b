// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's own storage as a folder: dtacho/<YYYYMM>/*.dtc and log/system.log. Reads what
// the protocol asks for, never outside the folder, and erases it on "#FORMAT".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::emulator {

class RecorderStorage {
public:
    struct Entry {
        std::string name;
        bool isFile = false;
        std::uintmax_t size = 0;
    };

    explicit RecorderStorage(std::filesystem::path root) : m_root(std::move(root)) {}

    // The folders of dtacho, sorted by name.
    std::vector<std::string> Months() const;
    // Files and folders of one month folder, sorted by name; empty when it does not exist.
    std::vector<Entry> MonthEntries(const std::string& month) const;
    // The bytes of a file named relative to the root ("dtacho/202401/x.dtc", "log/system.log");
    // nothing for a missing file or a path that would leave the storage.
    std::optional<std::string> ReadFile(const std::string& relativePath) const;
    // "VQ%02X%02X%02X" of the device id bytes of the first .dtc file in listing order; empty
    // when no file has a readable header.
    std::string IdentityFromFiles() const;
    // Empties dtacho and log (the two folders stay); false when something could not go.
    bool Format() const;

private:
    std::filesystem::path m_root;
};

// A relative path of plain names: no root, no empty, "." or ".." part, no backslash.
bool IsSafeRelativePath(const std::string& path);

}  // namespace vantrel::emulator
