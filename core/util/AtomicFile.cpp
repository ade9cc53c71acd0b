// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic file replacement on POSIX: temporary file beside the target, fsync, rename, fsync of
// the folder. A reader sees the old file or the new one, never a part of either.
#include "core/util/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty() || !path.has_filename()) {
        return false;
    }
    const std::filesystem::path target = ResolveTarget(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
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

}  // namespace vantrel
