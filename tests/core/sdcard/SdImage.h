// SPDX-License-Identifier: GPL-3.0-or-later
// Sparse card images and the FAT tools that read them back: fsck.fat, mdir and mtype.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/log/TraceLog.h"
#include "core/sdcard/ChildProcess.h"

namespace vantrel::test {

inline constexpr std::uint64_t kMiB = 1048576;

// A sparse image of the size (ftruncate writes no data).
inline bool MakeSparseImage(const std::string& path, std::uint64_t bytes) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

inline std::vector<std::uint8_t> ReadSector(const std::string& path, std::uint64_t sector,
                                            std::size_t size = 512) {
    std::vector<std::uint8_t> data(size, 0);
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        if (::pread(fd, data.data(), size, static_cast<off_t>(sector * size)) !=
            static_cast<ssize_t>(size)) {
            data.clear();
        }
        ::close(fd);
    }
    return data;
}

inline std::uint32_t Le16(const std::vector<std::uint8_t>& d, std::size_t at) {
    return d[at] | (std::uint32_t{d[at + 1]} << 8);
}
inline std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return Le16(d, at) | (Le16(d, at + 2) << 16);
}
inline std::string Text(const std::vector<std::uint8_t>& d, std::size_t at, std::size_t size) {
    return std::string(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + size));
}

inline ProcessResult Fsck(const std::string& image) {
    return RunProgram({"fsck.fat", "-n", image});
}
inline ProcessResult Mtools(const std::string& tool, const std::string& image,
                            const std::string& path) {
    return RunProgram({tool, "-i", image, path}, {"MTOOLS_SKIP_CHECK=1"});
}

// Collects the trace while it lives.
class TraceCapture {
public:
    TraceCapture() {
        m_previous = SetTraceSink(
            [this](const TraceMessage& m) { m_lines.push_back(m.location + ": " + m.message); });
    }
    ~TraceCapture() { SetTraceSink(m_previous); }
    std::string All() const {
        std::string all;
        for (const std::string& line : m_lines) {
            all += line + "\n";
        }
        return all;
    }

private:
    TraceSink m_previous;
    std::vector<std::string> m_lines;
};

}  // namespace vantrel::test
