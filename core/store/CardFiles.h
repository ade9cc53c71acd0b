// SPDX-License-Identifier: GPL-3.0-or-later
// File work of the imports on the card and in the backup folder: the device id in a .dtc
// file's header, the copy into the backup folder that is checked before anything relies on it,
// and the card cleanup that removes only what is safely in the backup folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The device id text of a .dtc file: bytes 77-79 of its TF block's data (file offset 38);
// nullopt when the file cannot be read that far.
std::optional<std::string> ReadDtcDeviceId(const std::string& path);

// Copies source to target, replacing an existing copy: the bytes go through a temporary file
// that is flushed to disk and renamed over the target, and the target is read back and
// compared. False, with the old target untouched or absent, when any step fails.
bool CopyFileVerified(const std::string& source, const std::string& target);

// True when both files can be read and hold the same bytes.
bool FilesIdentical(const std::string& a, const std::string& b);

// Where the backup folder holds the copy of a card's .dtc file:
// <backup><id>/dtc/<YYYYMM>/<title>.dtc; empty when the file's header cannot be read.
std::string BackupCopyPath(std::string_view backup, const std::string& cardFile);

// Cleans the card's dtacho folder after an import: in every subfolder (at any depth) each file
// with an identical copy in the backup folder is deleted, every other file stays, and a folder
// goes only once it is empty. Files directly in the dtacho folder stay. The result lists the
// files that were kept, in name order.
std::vector<std::string> CleanCardFolder(const std::string& dtachoFolder, std::string_view backup);

}  // namespace vantrel
