// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic file replacement on POSIX: temporary file beside the target, fsync, rename, fsync of
// the folder. A reader sees the old file or the new one, never a part of either. The batch
// defers the flush so that hundreds of files cost one journal commit instead of one each.
#include "core/util/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace vantrel {
namespace {

// Writing through a symbolic link replaces the file it names, not the link itself.
std::filesystem::path ResolveTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        std::filesystem::path resolved = std::filesystem::canonical(path, ec);
        if (!ec) {
            return resolved;
        }
    }
    return path;
}

// A name no other writer uses: process id, a per-process counter and the clock, and O_EXCL
// on creation catches what is left.
std::string TempName(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter.fetch_add(1));
    name += '-';
    name += std::to_string(ticks & 0xFFFFFF);
    return name;
}

int CreateTemp(const std::filesystem::path& folder, const std::filesystem::path& target,
               std::filesystem::path& tempPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = folder / TempName(target);
        // 0666 under the umask, as a newly created file would get.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// An existing target keeps its permission bits (a private Account.ini stays private).
bool KeepMode(int fd, const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    return ::fchmod(fd, info.st_mode & 07777) == 0;
}

// The rename is only durable once the folder entry is on disk. Some file systems cannot sync
// a folder; the new file is in place by then, so this step is best effort and not a failure.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::filesystem::path FolderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// Writes the bytes to a new temporary file beside the target, without flushing them; false
// (and no temporary file left) when any step fails.
bool WriteTemp(const std::filesystem::path& folder, const std::filesystem::path& target,
               std::string_view bytes, std::filesystem::path& tempPath) {
    const int fd = CreateTemp(folder, target, tempPath);
    if (fd < 0) {
        return false;
    }
    bool ok = KeepMode(fd, target) && WriteAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(tempPath.c_str());
    }
    return ok;
}

bool SyncFileData(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fdatasync(fd) == 0;
    return (::close(fd) == 0) && ok;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty() || !path.has_filename()) {
        return false;
    }
    const std::filesystem::path target = ResolveTarget(path);
    const std::filesystem::path folder = FolderOf(target);
    std::filesystem::path tempPath;
    const int fd = CreateTemp(folder, target, tempPath);
    if (fd < 0) {
        return false;
    }
    bool ok = KeepMode(fd, target) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(tempPath.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

AtomicWriteBatch::AtomicWriteBatch(FlushMode mode) : m_mode(mode) {}

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Entry& entry : m_entries) {
        ::unlink(entry.temp.c_str());
    }
    CloseFolders();
}

bool AtomicWriteBatch::Add(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty() || !path.has_filename()) {
        return false;
    }
    const std::filesystem::path target = ResolveTarget(path);
    const std::filesystem::path folder = FolderOf(target);
    // The folder is opened before the first write into it, so that a later syncfs on it
    // reports every write-back error of these files.
    const std::size_t folderIndex = FolderIndex(folder);
    std::filesystem::path tempPath;
    if (!WriteTemp(folder, target, bytes, tempPath)) {
        return false;
    }
    // Only the newest bytes of a target are renamed; the earlier ones stay pending until the
    // new temporary file is complete, so a failed write keeps them.
    const auto earlier = std::find_if(m_entries.begin(), m_entries.end(),
                                      [&](const Entry& entry) { return entry.target == target; });
    if (earlier != m_entries.end()) {
        ::unlink(earlier->temp.c_str());
        m_entries.erase(earlier);
    }
    m_entries.push_back(Entry{path.string(), target, tempPath, folderIndex});
    return true;
}

bool AtomicWriteBatch::Commit() {
    m_failed.clear();
    bool ok = true;
    if (!FlushAll()) {
        DiscardAll();
        ok = false;
    } else {
        // Every new file is on disk by now: a target that cannot be replaced (a folder in its
        // place, no permission) fails alone, and the others still go in, in the order added.
        for (const Entry& entry : m_entries) {
            if (::rename(entry.temp.c_str(), entry.target.c_str()) != 0) {
                ::unlink(entry.temp.c_str());
                m_failed.push_back(entry.requested);
                ok = false;
            } else {
                m_folders[entry.folder].renamedInto = true;
            }
        }
        SyncFolders();
    }
    m_entries.clear();
    CloseFolders();
    return ok;
}

std::size_t AtomicWriteBatch::FolderIndex(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i].path == folder) {
            return i;
        }
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_folders.push_back(Folder{folder, fd, false});
    return m_folders.size() - 1;
}

// One syncfs per file system writes all files of the batch with a single journal commit.
// Files whose folder could not be opened, and all files where syncfs is unavailable, are
// flushed one by one.
bool AtomicWriteBatch::FlushAll() {
    std::vector<bool> flushed(m_folders.size(), false);
    if (m_mode == FlushMode::kSyncFileSystem) {
        std::vector<dev_t> devices;
        for (std::size_t i = 0; i < m_folders.size(); ++i) {
            struct stat info {};
            if (m_folders[i].fd < 0 || ::fstat(m_folders[i].fd, &info) != 0) {
                continue;
            }
            if (std::find(devices.begin(), devices.end(), info.st_dev) != devices.end()) {
                flushed[i] = true;
            } else if (::syncfs(m_folders[i].fd) == 0) {
                devices.push_back(info.st_dev);
                flushed[i] = true;
            } else if (errno != ENOSYS) {
                return false;  // a write-back error: some data may not be on disk
            }
        }
    }
    for (const Entry& entry : m_entries) {
        if (!flushed[entry.folder] && !SyncFileData(entry.temp)) {
            return false;
        }
    }
    return true;
}

// Best effort, as for a single file: the renames have happened by then.
void AtomicWriteBatch::SyncFolders() {
    for (const Folder& folder : m_folders) {
        if (folder.renamedInto && folder.fd >= 0) {
            ::fsync(folder.fd);
        }
    }
}

void AtomicWriteBatch::DiscardAll() {
    for (const Entry& entry : m_entries) {
        ::unlink(entry.temp.c_str());
        m_failed.push_back(entry.requested);
    }
}

void AtomicWriteBatch::CloseFolders() {
    for (const Folder& folder : m_folders) {
        if (folder.fd >= 0) {
            ::close(folder.fd);
        }
    }
    m_folders.clear();
}

}  // namespace vantrel
