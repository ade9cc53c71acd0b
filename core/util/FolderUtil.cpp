// SPDX-License-Identifier: GPL-3.0-or-later
// Folder helpers on POSIX. Folders are created one component at a time relative to an open
// handle of their parent, so a path is never limited by the system's path length.
#include "core/util/FolderUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "core/util/DriveLayer.h"
#include "core/util/TextSlice.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class FolderHandle {
public:
    explicit FolderHandle(int fd) : m_fd(fd) {}
    ~FolderHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    int Get() const { return m_fd; }
    void Reset(int fd) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

// O_PATH: a folder the user may enter but not list is still a folder to walk through.
int OpenFolderAt(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Enters the folder name below parent, creating it when it is missing. A file, a dangling
// link or a folder that cannot be created ends the walk.
int EnterOrCreate(int parent, const std::string& name) {
    int fd = OpenFolderAt(parent, name);
    if (fd >= 0 || errno != ENOENT) {
        return fd;
    }
    if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
        return -1;
    }
    return OpenFolderAt(parent, name);
}

std::string TrimSeparators(std::string_view folder) {
    std::string text(folder);
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::string Title(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The platform's wildcard match: '*' any run of characters, '?' one character, letters
// compared without regard to ASCII case; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") {
        pattern = "*";
    }
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = NextCharOffset(name, n);
        } else if (p < pattern.size() && FoldAscii(pattern[p]) == FoldAscii(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            starName = NextCharOffset(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// Enumeration order for "the last entry": names compared with ASCII letters folded to
// capitals (the order NTFS lists a folder in), byte order between names that fold alike.
bool ListsBefore(const std::string& a, const std::string& b) {
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) {
        return false;
    }
    return a < b;
}

}  // namespace

bool CreateFolderPath(std::string_view path) {
    // Only the prefixes that end in a separator are folders to create.
    const std::size_t last = path.rfind('/');
    if (last == std::string_view::npos) {
        return true;
    }
    const std::string_view folders = path.substr(0, last + 1);
    FolderHandle current(OpenFolderAt(AT_FDCWD, folders.front() == '/' ? "/" : "."));
    std::size_t start = folders.front() == '/' ? 1 : 0;
    while (current.Get() >= 0 && start < folders.size()) {
        const std::size_t end = folders.find('/', start);
        const std::string name(folders.substr(start, end - start));
        start = end + 1;
        if (!name.empty()) {
            current.Reset(EnterOrCreate(current.Get(), name));
        }
    }
    return current.Get() >= 0;
}

bool IsFolderUnusable(std::string_view folder, bool skipExistence) {
    return IsFolderUnusable(folder, skipExistence, DriveLayer::System());
}

bool IsFolderUnusable(std::string_view folder, bool skipExistence, const DriveLayer& drives) {
    std::error_code ec;
    if (!skipExistence && (folder.empty() || !fs::is_directory(fs::path(folder), ec))) {
        return true;
    }
    const DriveInfo drive = drives.GetDrive(folder);
    switch (drive.type) {
        case DriveType::Removable:
        case DriveType::Network:
            return !drives.GetVolumeInformation(drive).has_value();
        case DriveType::Optical: {
            // Only a UDF 2 medium can take files written by the program.
            const std::optional<VolumeInfo> volume = drives.GetVolumeInformation(drive);
            return !volume || volume->fileSystemName != "UDF" ||
                   drives.GetUdfMajorVersion(drive) < 2;
        }
        case DriveType::NoRootDir:
            return true;
        case DriveType::Unknown:
        case DriveType::Fixed:
        case DriveType::RamDisk:
            return false;
    }
    return false;
}

bool IsFolderEmpty(std::string_view folder) {
    std::error_code ec;
    const fs::directory_iterator entries(fs::path(folder), ec);
    return !ec && entries == fs::directory_iterator();
}

void DeleteSubfolders(std::string_view folder) {
    std::error_code ec;
    std::vector<fs::path> subfolders;
    // Stepping with an error code: a listing that fails midway ends quietly, never throws.
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        // A link to a folder lists as a folder; DeleteFolderTree removes only the link.
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            subfolders.push_back(it->path());
        }
    }
    for (const fs::path& subfolder : subfolders) {
        DeleteFolderTree(subfolder.string());
    }
}

bool DeleteFolderTree(std::string_view folder) {
    if (folder.empty()) {
        return false;
    }
    // Without its trailing separator a link to a folder names the link, not its target.
    const fs::path path = TrimSeparators(folder);
    if (path == path.root_path()) {
        return true;  // never a whole file system
    }
    std::error_code ec;
    fs::remove_all(path, ec);
    std::error_code statusError;
    return ec || fs::exists(fs::symlink_status(path, statusError));
}

std::string GetFileTitleOf(std::string_view pathOrPattern) {
    const std::size_t slash = pathOrPattern.rfind('/');
    const std::string name(slash == std::string_view::npos ? pathOrPattern
                                                           : pathOrPattern.substr(slash + 1));
    if (name.empty()) {
        return {};
    }
    const fs::path folder = slash == std::string_view::npos
                                ? fs::path(".")
                                : fs::path(std::string(pathOrPattern.substr(0, slash + 1)));
    std::error_code ec;
    if (name.find_first_of("*?") == std::string::npos) {
        return fs::exists(fs::symlink_status(folder / name, ec)) ? Title(name) : std::string();
    }
    std::string lastName;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entryName = it->path().filename().string();
        if (MatchesWildcard(name, entryName) &&
            (lastName.empty() || ListsBefore(lastName, entryName))) {
            lastName = entryName;
        }
    }
    return lastName.empty() ? std::string() : Title(lastName);
}

std::string GetMonthFolderName(std::string_view dtcPath) {
    const std::string title = GetFileTitleOf(dtcPath);
    const std::size_t underscore = title.find('_');
    const std::size_t start = underscore == std::string::npos ? 0 : underscore + 1;
    return std::string(SliceChars(std::string_view(title).substr(start), 0, 6));
}

}  // namespace vantrel
