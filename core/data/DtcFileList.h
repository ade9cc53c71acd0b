// SPDX-License-Identifier: GPL-3.0-or-later
// CDtcFileList: the .dtc files of one conversion run, their names in conversion order (sorted
// by name, which is time order within one recorder) and, once read, their decoded contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/data/FileInfo.h"

namespace vantrel {

class CDtcFileList {
public:
    // Progress of a full read, 20 to 80 percent of the import.
    using Progress = std::function<void(int percent)>;

    // Files larger than this are not recorder files and are refused without being read.
    static constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

    // Empties both arrays; the current index becomes 0.
    void Clear();
    void AddFileName(std::string path) { m_aFileNames.push_back(std::move(path)); }

    // Reads and decodes every named file, in order, appending to the decoded files; the day
    // and record numbering runs over the whole call. True when every file was read and
    // decoded; false for an empty name list, and at once for a file that cannot be opened,
    // is empty, reads short or lacks the magic (the files decoded before it stay). Each
    // file's raw content is let go as soon as it is decoded.
    bool ReadFiles(bool headersOnly, const Progress& progress = {});

    std::size_t FileCount() const { return m_aFileNames.size(); }
    std::size_t InfoCount() const { return m_aFileInfos.size(); }
    // Index arguments must lie inside the arrays (checked in debug builds; outside them the
    // result is empty).
    const std::string& GetFileName(std::size_t index) const;
    std::string GetDeviceId(std::size_t index) const;
    const stFileInfo& GetFileInfo(std::size_t index) const;

    std::int32_t m_nCurrentIndex = 0;       // the file being converted (set by the converter)
    std::vector<std::string> m_aFileNames;  // full paths, in conversion order
    std::vector<stFileInfo> m_aFileInfos;   // decoded files, same order
};

}  // namespace vantrel
