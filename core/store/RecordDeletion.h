// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting one record: exactly its own files, then its import folder once that is empty.
// A record's files are its summary "<title>.dat" and its day files "<title>_<YYYYMMDD>.cda"
// and ".dat" in the same folder; a file whose name merely begins with the title (another
// record whose title extends this one, a file someone put there) is not the record's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct DeleteOutcome {
    std::vector<std::string> deleted;  // files removed
    std::vector<std::string> failed;   // files of the record that could not be removed
    bool folderRemoved = false;        // the import folder went with its last file
};

// True when fileName is the summary or a day file of the record titled title (letter case of
// the name ignored, as the recorder's platform matches names).
bool IsRecordOwnFile(std::string_view fileName, std::string_view title);

// Removes the record's files. The folder that held them is removed when it has become empty
// and lies directly in importRoot (the store's "cda" folder), which itself always stays.
DeleteOutcome DeleteRecordFiles(const std::string& recordPath, const std::string& importRoot);

}  // namespace vantrel
