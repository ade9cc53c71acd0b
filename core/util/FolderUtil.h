// SPDX-License-Identifier: GPL-3.0-or-later
// Folder and file helpers shared by the store, the imports, the export and the settings.
// Folder texts that other code joins names to end in a separator ('/').
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

class DriveLayer;

// Creates every folder along the path whose prefix ends in a separator: "a/b/" creates a/ and
// a/b/, "a/b" only a/. True when all of them exist afterwards; an empty path succeeds.
bool CreateFolderPath(std::string_view path);
// True when the folder or its drive cannot be used (see DriveLayer for the drive rules);
// without skipExistence a folder that does not exist is unusable too.
bool IsFolderUnusable(std::string_view folder, bool skipExistence);
bool IsFolderUnusable(std::string_view folder, bool skipExistence, const DriveLayer& drives);
// True when the folder (ending in a separator) holds no entry.
bool IsFolderEmpty(std::string_view folder);
// Removes every subfolder of the folder with its contents; files directly in it stay.
void DeleteSubfolders(std::string_view folder);
// Removes the folder with everything in it; true when something could not be removed.
bool DeleteFolderTree(std::string_view folder);
// Title (name without extension) of the last entry that the path or wildcard pattern matches;
// empty when none matches.
std::string GetFileTitleOf(std::string_view pathOrPattern);
// The six characters after the first underscore of the file's title (the YYYYMM of a `.dtc`).
std::string GetMonthFolderName(std::string_view dtcPath);

}  // namespace vantrel
