// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting a record's own files and its emptied import folder.
#include "core/store/RecordDeletion.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/app/TextCase.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

bool EightDigits(std::string_view text) {
    if (text.size() != 8) {
        return false;
    }
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

}  // namespace

bool IsRecordOwnFile(std::string_view fileName, std::string_view title) {
    if (fileName.size() < title.size() + 4 ||
        !EqualsNoCase(fileName.substr(0, title.size()), title)) {
        return false;
    }
    const std::string_view rest = fileName.substr(title.size());
    if (rest.size() == 4) {
        return EqualsNoCase(rest, ".dat");
    }
    if (rest.size() != 13 || rest[0] != '_' || !EightDigits(rest.substr(1, 8))) {
        return false;
    }
    const std::string_view extension = rest.substr(9);
    return EqualsNoCase(extension, ".cda") || EqualsNoCase(extension, ".dat");
}

DeleteOutcome DeleteRecordFiles(const std::string& recordPath, const std::string& importRoot) {
    DeleteOutcome outcome;
    const fs::path record(recordPath);
    const fs::path folder = record.parent_path();
    const std::string title = record.stem().string();
    if (title.empty()) {
        return outcome;
    }
    std::vector<fs::path> own;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_directory(typeEc) && IsRecordOwnFile(it->path().filename().string(), title)) {
            own.push_back(it->path());
        }
    }
    for (const fs::path& file : own) {
        std::error_code removeEc;
        if (fs::remove(file, removeEc)) {
            outcome.deleted.push_back(file.string());
        } else if (removeEc) {
            outcome.failed.push_back(file.string());
        }
    }
    if (!outcome.deleted.empty() && SameFolder(folder.parent_path(), importRoot)) {
        std::error_code emptyEc;
        // remove() takes a folder only when it is empty, so a file that arrived meanwhile
        // keeps it.
        if (fs::is_empty(folder, emptyEc) && !emptyEc) {
            outcome.folderRemoved = fs::remove(folder, emptyEc);
        }
    }
    return outcome;
}

}  // namespace vantrel
