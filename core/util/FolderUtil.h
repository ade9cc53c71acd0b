// SPDX-License-Identifier: GPL-3.0-or-later
// Folder and file helpers shared by the store, the imports, the export and the settings.
// Folder texts that other code joins names to end in a separator ('/').
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

class DriveLayer;

// Creates every folder along the path whose prefix ends in a separator: "a/b/" creates a/ and
// a/b/, "a/b" only a/. True when all of them exist afterwards as folders (a file or a dangling
// link in the way fails); an empty path succeeds. Paths of any length work. Folders created
// before a failure stay.
bool CreateFolderPath(std::string_view path);
// True when the folder or its drive cannot be used; without skipExistence a folder that does
// not exist (or is not a folder) is unusable too. The folder text may end in a separator.
// Drive rules: removable and network drives need a readable medium; optical drives are usable
// only with a UDF medium of major revision 2 or more (unreadable revision: unusable); fixed,
// RAM and unclassified drives are usable; a folder that no mount holds is unusable.
// The first form asks DriveLayer::System().
bool IsFolderUnusable(std::string_view folder, bool skipExistence);
bool IsFolderUnusable(std::string_view folder, bool skipExistence, const DriveLayer& drives);
// True when the folder (ending in a separator) holds no entry; false when it cannot be listed
// (missing, no permission), since nothing can be said about its contents then.
bool IsFolderEmpty(std::string_view folder);
// Removes every subfolder of the folder with its contents; files directly in it stay.
void DeleteSubfolders(std::string_view folder);
// Removes the folder with everything in it; true when something could not be removed. A link
// is removed as a link, never followed; a file system root is never removed (true).
bool DeleteFolderTree(std::string_view folder);
// Title (name without extension) of the last entry that the path or wildcard pattern matches;
// empty when none matches. An exact path names its own entry (file or folder, matched with
// the file system's letter case). Wildcards '*' and '?' in the last component match without
// regard to ASCII case; entries are taken in name order with ASCII letters folded to
// capitals (byte order between names that fold alike), so "last" is the greatest name.
std::string GetFileTitleOf(std::string_view pathOrPattern);
// The six characters after the first underscore of the file's title (the YYYYMM of a `.dtc`);
// the title's first six without an underscore; empty when the file does not exist.
std::string GetMonthFolderName(std::string_view dtcPath);

}  // namespace vantrel
