// SPDX-License-Identifier: GPL-3.0-or-later
// The card to be initialised: a removable block device (the whole card or one partition) or an
// image file, whose size is the card's size. Block devices are found through the kernel's
// block device folder and the mount table of the drive layer; both roots can be pointed at
// fixture trees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/sdcard/Fat32Writer.h"
#include "core/util/DriveLayer.h"

namespace vantrel {

struct SdTarget {
    std::string path;  // the device node or the image file
    bool blockDevice = false;
    std::string sysName;  // the block folder's name ("sdb", "mmcblk0p1"); empty for an image
    // For a partition: its number and its disk's device node ("/dev/sdb"); 0 and empty else.
    unsigned partitionNumber = 0;
    std::string diskPath;
    RawGeometry geometry;
    std::uint64_t SizeMiB() const { return geometry.lengthBytes / 1048576; }
};

// Looks the target up without opening it. An image file gets 512-byte sectors, 63 sectors per
// track, 255 heads and no hidden sectors. False with the reason when the path names neither a
// block device nor a regular file, or when a block device is not removable.
bool InspectSdTarget(const std::string& path, const DriveLayer::Roots& roots, SdTarget* target,
                     std::string* error);

// The block device that holds a mounted folder ("/dev/sdb1"), through the drive layer; empty
// when the folder is not on a block device.
std::string BlockDeviceOfFolder(const std::string& folder, const DriveLayer& layer);

// The mounts of the device and of its partitions, deepest mount point first.
std::vector<MountEntry> MountsOfTarget(const SdTarget& target, const DriveLayer::Roots& roots);

// The folders a running system lives in ("/", "/usr", "/home", "/boot", ...): a device that
// holds one of them is never formatted.
bool IsSystemFolder(const std::string& mountPoint);

// Unmounts every mount of the target (umount2, then the umount program, which can also undo
// a user mount, then udisksctl for a desktop's automount); false with the reason when one
// stays.
bool UnmountTarget(const SdTarget& target, const DriveLayer::Roots& roots, std::string* error);

// Opens the target for reading and writing, a block device exclusively, and refreshes its
// geometry from the device (sector size, size, heads and sectors per track). -1 with the
// reason on failure.
int OpenSdTarget(SdTarget& target, std::string* error);

// Refreshes the target's geometry from an open block device (sector size, size, heads and
// sectors per track); what the device does not report stays as it was.
void ReadDeviceGeometry(int fd, SdTarget& target);

// Sets the type byte of a primary partition in the disk's MBR (0x0C: FAT32 with LBA), after
// checking that the entry starts at startSector. A GPT disk (protective entry 0xEE), a
// logical partition or a disk without MBR signature is left alone and counts as done. False
// when the disk cannot be read or written, or the entry does not match.
bool SetMbrPartitionType(const std::string& diskPath, unsigned partitionNumber,
                         std::uint64_t startSector, std::uint8_t type, std::string* error);

// Asks the kernel to read the partition table of a whole card again after a format replaced
// it; nothing for images and partitions.
void RereadPartitions(const SdTarget& target);

}  // namespace vantrel
