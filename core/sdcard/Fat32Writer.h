// SPDX-License-Identifier: GPL-3.0-or-later
// The card's own FAT32 writer: 64-sector clusters, 32 reserved sectors, two FATs, the root
// directory in cluster 2 holding the volume label. It writes only the system area (reserved
// sectors, both FATs and the root cluster), never the data area, so a large card is done in a
// moment. Every failure is traced with the formatter's message and source line.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace vantrel {

inline constexpr std::uint32_t kFat32ReservedSectors = 32;
inline constexpr std::uint32_t kFat32SectorsPerCluster = 64;
inline constexpr std::uint32_t kFat32MinClusters = 65536;
inline constexpr std::uint32_t kFat32MaxClusters = 0x0FFFFFFF;

// What the volume sits on: the drive geometry and the partition.
struct RawGeometry {
    std::uint32_t bytesPerSector = 512;
    std::uint16_t sectorsPerTrack = 63;
    std::uint16_t heads = 255;
    std::uint32_t hiddenSectors = 0;
    std::uint64_t lengthBytes = 0;  // the partition's (or whole card's) length
};

struct Fat32Layout {
    std::uint32_t totalSectors = 0;
    std::uint32_t fatSectors = 0;  // of one FAT
    std::uint32_t clusterCount = 0;
    std::uint32_t FirstDataSector() const { return kFat32ReservedSectors + 2 * fatSectors; }
};

// The layout for a volume, or nullopt after tracing why none fits (too small, too big, too
// many or too few clusters). The FAT is the smallest one that holds an entry for every
// cluster plus the two reserved entries.
std::optional<Fat32Layout> ComputeFat32Layout(const RawGeometry& geometry);

// The volume serial number of a local time: low half = day + month * 256 + milliseconds / 10
// + second * 256, high half = minute + hour * 256 + year (both mod 65536). tm_mon is 0-based,
// the month counted here 1-based; tm_year counts from 1900, the year here is the full year.
std::uint32_t VolumeSerialFromTime(const std::tm& local, int milliseconds);
// The serial of the current local time.
std::uint32_t CurrentVolumeSerial();

// Writes the file system on the open descriptor (read-write) and flushes it. label is up to
// 11 characters, written in capitals in the boot sector and the root directory's volume
// entry. False after tracing the failure.
bool WriteFat32(int fd, const RawGeometry& geometry, std::uint32_t serial, const std::string& label,
                Fat32Layout* layoutOut = nullptr);

}  // namespace vantrel
