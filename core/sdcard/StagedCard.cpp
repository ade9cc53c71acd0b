// SPDX-License-Identifier: GPL-3.0-or-later
// Staging a card's file system in a sparse image and copying it onto the card.
#include "core/sdcard/StagedCard.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace vantrel {
namespace {

constexpr std::size_t kCopyChunk = 1 << 20;

std::uint32_t Le16(const std::uint8_t* d) {
    return d[0] | (std::uint32_t{d[1]} << 8);
}
std::uint32_t Le32(const std::uint8_t* d) {
    return Le16(d) | (Le16(d + 2) << 16);
}

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Copies [from, to) of the image onto the card at the same offsets.
bool CopyRange(int imageFd, int cardFd, std::uint64_t from, std::uint64_t to,
               std::vector<char>& buffer, std::string* error) {
    while (from < to) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(to - from, kCopyChunk));
        const ssize_t got = ::pread(imageFd, buffer.data(), want, static_cast<off_t>(from));
        if (got <= 0) {
            *error = got == 0 ? std::string("the staged card image ends early")
                              : Errno("reading the staged card image");
            return false;
        }
        std::size_t done = 0;
        while (done < static_cast<std::size_t>(got)) {
            const ssize_t put =
                ::pwrite(cardFd, buffer.data() + done, static_cast<std::size_t>(got) - done,
                         static_cast<off_t>(from + done));
            if (put <= 0) {
                *error = put == 0 ? std::string("the card took no more data")
                                  : Errno("writing the card");
                return false;
            }
            done += static_cast<std::size_t>(put);
        }
        from += static_cast<std::uint64_t>(got);
    }
    return true;
}

}  // namespace

std::string MakeStagingImage(std::uint64_t bytes, std::string* error) {
    std::error_code ec;
    std::string path = (std::filesystem::temp_directory_path(ec) / "vantrel-card-XXXXXX").string();
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = Errno("no staging image for the card in the temporary folder");
        return {};
    }
    const bool sized = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    if (!sized) {
        *error = Errno("the staging image for the card");
    }
    ::close(fd);
    if (!sized) {
        ::unlink(path.c_str());
        return {};
    }
    return path;
}

std::uint64_t Fat32SystemAreaBytes(const std::uint8_t (&boot)[512], std::uint64_t volumeBytes) {
    const std::uint32_t bytesPerSector = Le16(boot + 11);
    const std::uint32_t sectorsPerCluster = boot[13];
    const std::uint32_t reserved = Le16(boot + 14);
    const std::uint32_t fats = boot[16];
    const std::uint32_t rootEntries = Le16(boot + 17);
    const std::uint32_t fatSectors = Le32(boot + 36);
    const std::uint32_t rootCluster = Le32(boot + 44);
    const bool fat32 = boot[510] == 0x55 && boot[511] == 0xAA && rootEntries == 0 &&
                       Le16(boot + 22) == 0 && fatSectors != 0 && fats != 0 && reserved != 0 &&
                       sectorsPerCluster != 0 && rootCluster >= 2 &&
                       (bytesPerSector == 512 || bytesPerSector == 1024 || bytesPerSector == 2048 ||
                        bytesPerSector == 4096);
    if (!fat32) {
        return 0;
    }
    const std::uint64_t clusterBytes = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    const std::uint64_t dataStart =
        (std::uint64_t{reserved} + std::uint64_t{fats} * fatSectors) * bytesPerSector;
    const std::uint64_t end = dataStart + (std::uint64_t{rootCluster} - 1) * clusterBytes;
    return end <= volumeBytes ? end : 0;
}

bool CopyStagedCard(const std::string& imagePath, int cardFd, std::string* error) {
    const int imageFd = ::open(imagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (imageFd < 0) {
        *error = Errno(imagePath);
        return false;
    }
    const off_t length = ::lseek(imageFd, 0, SEEK_END);
    std::uint8_t boot[512]{};
    std::uint64_t systemArea = 0;
    if (length > 0 && ::pread(imageFd, boot, sizeof boot, 0) == static_cast<ssize_t>(sizeof boot)) {
        systemArea = Fat32SystemAreaBytes(boot, static_cast<std::uint64_t>(length));
    }
    if (systemArea == 0) {
        ::close(imageFd);
        *error = "the staged card image holds no FAT32 file system";
        return false;
    }
    std::vector<char> buffer(kCopyChunk);
    bool ok = CopyRange(imageFd, cardFd, 0, systemArea, buffer, error);
    // Beyond the system area only what mtools wrote matters; the holes are clusters nobody
    // uses.
    off_t at = static_cast<off_t>(systemArea);
    while (ok && at < length) {
        const off_t data = ::lseek(imageFd, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break;  // no data after at
            }
            // A temporary folder that cannot tell holes: copy the rest whole.
            ok = CopyRange(imageFd, cardFd, static_cast<std::uint64_t>(at),
                           static_cast<std::uint64_t>(length), buffer, error);
            break;
        }
        off_t hole = ::lseek(imageFd, data, SEEK_HOLE);
        if (hole < 0) {
            hole = length;
        }
        ok = CopyRange(imageFd, cardFd, static_cast<std::uint64_t>(data),
                       static_cast<std::uint64_t>(hole), buffer, error);
        at = hole;
    }
    ::close(imageFd);
    if (ok && ::fsync(cardFd) != 0 && errno != EINVAL) {
        *error = Errno("flushing the card");
        ok = false;
    }
    return ok;
}

}  // namespace vantrel
