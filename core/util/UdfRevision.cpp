// SPDX-License-Identifier: GPL-3.0-or-later
// Volume descriptor walk of a UDF medium, read-only and bounded: a damaged or foreign medium
// ends the walk at the first descriptor whose tag does not check out.
#include "core/util/UdfRevision.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vantrel {
namespace {

constexpr std::uint32_t kAnchorSector = 256;
constexpr std::uint16_t kTagAnchor = 2;
constexpr std::uint16_t kTagLogicalVolume = 6;
constexpr std::uint16_t kTagTerminating = 8;
// A volume descriptor sequence is at least 16 sectors; real ones hold a handful of entries.
constexpr std::uint32_t kMaxSequenceSectors = 64;
constexpr std::array<std::size_t, 3> kSectorSizes{2048, 512, 4096};

// Logical volume descriptor: domain identifier (a 32-byte entity id) at 216, its identifier
// text at 217 and its suffix, starting with the 16-bit revision, at 240.
constexpr std::size_t kVdsNumberOffset = 16;
constexpr std::size_t kDomainIdOffset = 217;
constexpr std::size_t kRevisionOffset = 240;
constexpr char kDomainId[] = "*OSTA UDF Compliant";

std::uint32_t Le16(const unsigned char* p) {
    return p[0] | (std::uint32_t{p[1]} << 8);
}

std::uint32_t Le32(const unsigned char* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}

class Medium {
public:
    explicit Medium(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Medium() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    bool ReadSector(std::uint64_t sector, std::size_t size, std::vector<unsigned char>& out) const {
        out.assign(size, 0);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(m_fd, out.data() + done, size - done,
                                        static_cast<off_t>(sector * size + done));
            if (got <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

// A descriptor counts only when its tag checksum holds and it names the sector it sits in.
bool IsTag(const std::vector<unsigned char>& sector, std::uint32_t location) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        sum += i == 4 ? 0 : sector[i];
    }
    return (sum & 0xFF) == sector[4] && Le32(&sector[12]) == location;
}

struct Extent {
    std::uint32_t length;
    std::uint32_t location;
};

// The revision of the logical volume descriptor with the highest sequence number.
int WalkSequence(const Medium& medium, std::size_t sectorSize, Extent extent) {
    std::vector<unsigned char> sector;
    const std::uint32_t count =
        std::min<std::uint32_t>(extent.length / sectorSize, kMaxSequenceSectors);
    int revision = -1;
    std::uint32_t bestNumber = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t location = extent.location + i;
        if (!medium.ReadSector(location, sectorSize, sector) || !IsTag(sector, location)) {
            break;
        }
        const std::uint32_t tag = Le16(sector.data());
        if (tag == kTagTerminating) {
            break;
        }
        const bool isUdf =
            std::memcmp(&sector[kDomainIdOffset], kDomainId, sizeof kDomainId - 1) == 0;
        const std::uint32_t number = Le32(&sector[kVdsNumberOffset]);
        if (tag == kTagLogicalVolume && isUdf && (revision < 0 || number >= bestNumber)) {
            revision = static_cast<int>(Le16(&sector[kRevisionOffset]));
            bestNumber = number;
        }
    }
    return revision;
}

// Main sequence first, the reserve copy when the main one is unreadable.
int ReadWithSectorSize(const Medium& medium, std::size_t sectorSize) {
    std::vector<unsigned char> anchor;
    if (!medium.ReadSector(kAnchorSector, sectorSize, anchor) || !IsTag(anchor, kAnchorSector) ||
        Le16(anchor.data()) != kTagAnchor) {
        return -1;
    }
    const int main = WalkSequence(medium, sectorSize, {Le32(&anchor[16]), Le32(&anchor[20])});
    if (main >= 0) {
        return main;
    }
    return WalkSequence(medium, sectorSize, {Le32(&anchor[24]), Le32(&anchor[28])});
}

}  // namespace

int ReadUdfRevision(const std::filesystem::path& medium) {
    const Medium file(medium);
    if (!file.IsOpen()) {
        return -1;
    }
    for (const std::size_t sectorSize : kSectorSizes) {
        const int revision = ReadWithSectorSize(file, sectorSize);
        if (revision >= 0) {
            return revision;
        }
    }
    return -1;
}

}  // namespace vantrel
