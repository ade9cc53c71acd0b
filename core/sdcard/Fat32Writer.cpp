// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT32 writer. All fields little-endian; every sector buffer is one sector long and zero
// except for the fields set here.
#include "core/sdcard/Fat32Writer.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/log/TraceLog.h"

namespace vantrel {
namespace {

// The trace carries the formatter's source lines so reports match across versions.
TraceLocation At(int line) {
    return TraceLocation{0, line, "DlgFormatSD.cpp", {}};
}

void Put16(std::vector<std::uint8_t>& buffer, std::size_t at, std::uint32_t value) {
    buffer[at] = static_cast<std::uint8_t>(value);
    buffer[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& buffer, std::size_t at, std::uint32_t value) {
    Put16(buffer, at, value & 0xFFFF);
    Put16(buffer, at + 2, value >> 16);
}

void PutText(std::vector<std::uint8_t>& buffer, std::size_t at, const std::string& text) {
    std::memcpy(buffer.data() + at, text.data(), text.size());
}

// Eleven characters in capitals, blank-padded, as a FAT label is stored.
std::string LabelField(const std::string& label) {
    std::string field = label.substr(0, 11);
    for (char& c : field) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    field.resize(11, ' ');
    return field;
}

void PutSignature(std::vector<std::uint8_t>& sector) {
    sector[510] = 0x55;
    sector[511] = 0xAA;
    if (sector.size() > 512) {
        sector[sector.size() - 2] = 0x55;
        sector[sector.size() - 1] = 0xAA;
    }
}

// The whole buffer at the sector, retrying short writes.
bool WriteAt(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

// FAT time and date of a local time.
std::uint16_t FatTime(const std::tm& t) {
    return static_cast<std::uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
}
std::uint16_t FatDate(const std::tm& t) {
    const int year = t.tm_year + 1900 < 1980 ? 0 : t.tm_year + 1900 - 1980;
    return static_cast<std::uint16_t>((year << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
}

}  // namespace

std::optional<Fat32Layout> ComputeFat32Layout(const RawGeometry& geometry) {
    const std::uint64_t bytesPerSector = geometry.bytesPerSector;
    if (bytesPerSector < 512 || (bytesPerSector & (bytesPerSector - 1)) != 0) {
        TraceLog(At(764), "Failed to get device geometry");
        return std::nullopt;
    }
    const std::uint64_t total = geometry.lengthBytes / bytesPerSector;
    if (total < 65536) {
        TraceLog(At(817),
                 "This drive is too small for FAT32 - there must be at least 64K clusters\n");
        return std::nullopt;
    }
    if (total >= 0xFFFFFFFFull) {
        TraceLog(At(829), "This drive is too big for FAT32 - max 2TB supported\n");
        return std::nullopt;
    }
    // A first estimate, then grown until the FAT has an entry for every cluster and the two
    // reserved ones: the estimate alone falls one sector short for some sizes (16, 32 and
    // 64 GiB among them). Growing the FAT only shrinks the cluster count, so this ends.
    std::uint64_t fat = 4 * (total - kFat32ReservedSectors) / (64 * bytesPerSector + 8) + 1;
    std::uint64_t clusters = 0;
    for (;;) {
        clusters = (total - kFat32ReservedSectors - 2 * fat) / kFat32SectorsPerCluster;
        const std::uint64_t needed = ((clusters + 2) * 4 + bytesPerSector - 1) / bytesPerSector;
        if (needed <= fat) {
            break;
        }
        fat = needed;
    }
    if (clusters > kFat32MaxClusters) {
        TraceLog(At(940),
                 "This drive has more than 2^28 clusters, try to specify a larger cluster size "
                 "or use the default (i.e. don't use -cXX)\n");
        return std::nullopt;
    }
    if (clusters < kFat32MinClusters) {
        TraceLog(At(948),
                 "FAT32 must have at least 65536 clusters, try to specify a smaller cluster "
                 "size or use the default (i.e. don't use -cXX)\n");
        return std::nullopt;
    }
    if ((clusters + 2) * 4 > fat * bytesPerSector) {
        TraceLog(At(961),
                 "This drive is too big for this version of fat32format, check for an upgrade\n");
        return std::nullopt;
    }
    Fat32Layout layout;
    layout.totalSectors = static_cast<std::uint32_t>(total);
    layout.fatSectors = static_cast<std::uint32_t>(fat);
    layout.clusterCount = static_cast<std::uint32_t>(clusters);
    return layout;
}

std::uint32_t VolumeSerialFromTime(const std::tm& local, int milliseconds) {
    const std::uint32_t month = static_cast<std::uint32_t>(local.tm_mon) + 1;
    const std::uint32_t year = static_cast<std::uint32_t>(local.tm_year) + 1900;
    const std::uint32_t low = (static_cast<std::uint32_t>(local.tm_mday) + month * 256 +
                               static_cast<std::uint32_t>(milliseconds) / 10 +
                               static_cast<std::uint32_t>(local.tm_sec) * 256) %
                              65536;
    const std::uint32_t high = (static_cast<std::uint32_t>(local.tm_min) +
                                static_cast<std::uint32_t>(local.tm_hour) * 256 + year) %
                               65536;
    return high * 65536 + low;
}

std::uint32_t CurrentVolumeSerial() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const int millis = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return VolumeSerialFromTime(local, millis);
}

bool WriteFat32(int fd, const RawGeometry& geometry, std::uint32_t serial, const std::string& label,
                Fat32Layout* layoutOut) {
    if (fd < 0) {
        TraceLog(At(726),
                 "Failed to open device - close any files before formatting and make sure you "
                 "have Admin rights when using fat32format\n Are you SURE you're formatting the "
                 "RIGHT DRIVE!!!");
        return false;
    }
    const std::optional<Fat32Layout> layout = ComputeFat32Layout(geometry);
    if (!layout) {
        return false;
    }
    const std::size_t bps = geometry.bytesPerSector;
    const std::string labelField = LabelField(label);

    std::vector<std::uint8_t> boot(bps, 0);
    boot[0] = 0xEB;
    boot[1] = 0x58;
    boot[2] = 0x90;
    PutText(boot, 3, "MSWIN4.1");
    Put16(boot, 11, geometry.bytesPerSector);
    boot[13] = static_cast<std::uint8_t>(kFat32SectorsPerCluster);
    Put16(boot, 14, kFat32ReservedSectors);
    boot[16] = 2;
    boot[21] = 0xF8;
    Put16(boot, 24, geometry.sectorsPerTrack);
    Put16(boot, 26, geometry.heads);
    Put32(boot, 28, geometry.hiddenSectors);
    Put32(boot, 32, layout->totalSectors);
    Put32(boot, 36, layout->fatSectors);
    Put32(boot, 44, 2);
    Put16(boot, 48, 1);
    Put16(boot, 50, 6);
    boot[64] = 0x80;
    boot[66] = 0x29;
    Put32(boot, 67, serial);
    PutText(boot, 71, labelField);
    PutText(boot, 82, "FAT32   ");
    PutSignature(boot);

    std::vector<std::uint8_t> fsInfo(bps, 0);
    Put32(fsInfo, 0, 0x41615252);
    Put32(fsInfo, 484, 0x61417272);
    Put32(fsInfo, 488, layout->clusterCount - 1);  // the root directory holds one
    Put32(fsInfo, 492, 3);
    Put32(fsInfo, 508, 0xAA550000);

    std::vector<std::uint8_t> fat(bps, 0);
    Put32(fat, 0, 0x0FFFFFF8);
    Put32(fat, 4, 0x0FFFFFFF);
    Put32(fat, 8, 0x0FFFFFFF);  // cluster 2, the root directory, is a one-cluster chain

    // The root directory's first sector: the volume label entry.
    std::vector<std::uint8_t> root(bps, 0);
    PutText(root, 0, labelField);
    root[11] = 0x08;
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        Put16(root, 22, FatTime(local));
        Put16(root, 24, FatDate(local));
    }

    // Zero the system area in writes of at most 128 sectors from one buffer.
    const std::uint64_t systemSectors =
        std::uint64_t{layout->FirstDataSector()} + kFat32SectorsPerCluster;
    const std::vector<std::uint8_t> zeros(128 * bps, 0);
    for (std::uint64_t sector = 0; sector < systemSectors; sector += 128) {
        const std::uint64_t count = std::min<std::uint64_t>(128, systemSectors - sector);
        if (!WriteAt(fd, zeros.data(), count * bps, sector * bps)) {
            TraceLog(At(615), "Failed to write");
            return false;
        }
    }
    const struct {
        const std::vector<std::uint8_t>* data;
        std::uint64_t sector;
    } sectors[] = {
        {&boot, 0},
        {&fsInfo, 1},
        {&boot, 6},
        {&fsInfo, 7},
        {&fat, kFat32ReservedSectors},
        {&fat, kFat32ReservedSectors + std::uint64_t{layout->fatSectors}},
        {&root, layout->FirstDataSector()},
    };
    for (const auto& item : sectors) {
        if (!WriteAt(fd, item.data->data(), bps, item.sector * bps)) {
            TraceLog(At(573), "Failed to write");
            return false;
        }
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        TraceLog(At(573), "Failed to write");
        return false;
    }
    if (layoutOut != nullptr) {
        *layoutOut = *layout;
    }
    return true;
}

}  // namespace vantrel
