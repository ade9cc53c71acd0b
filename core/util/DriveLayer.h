// SPDX-License-Identifier: GPL-3.0-or-later
// What kind of drive a folder lives on and whether its medium can be read, answered from the
// mount table and the kernel's block device folder. Both roots can be pointed elsewhere, so
// tests describe card readers, optical drives and network shares with small fixture trees.
//
// The drive of a folder is the mount whose mount point is the longest prefix of the folder's
// absolute path (the last one listed wins when mounts are stacked on the same point). Every
// query reads the mount table afresh: cards come and go while the program runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// The drive classes of the folder rules; the numbers are the platform's drive type codes.
enum class DriveType : int {
    Unknown = 0,    // mounted, but not a block device we can classify (overlay, fuse, ...)
    NoRootDir = 1,  // no mount holds the folder at all
    Removable = 2,  // card readers, USB sticks, SD slots
    Fixed = 3,
    Network = 4,  // nfs, cifs/smb, sshfs and the like
    Optical = 5,  // CD/DVD/BD drives
    RamDisk = 6,  // tmpfs, ramfs, ram block devices
};

// One line of the mount table.
struct MountEntry {
    std::string mountPoint;  // unescaped absolute path
    std::string fsType;      // "vfat", "udf", "fuse.sshfs", ...
    std::string source;      // "/dev/sdb1", "server:/share", ...
    unsigned major = 0;
    unsigned minor = 0;
};

struct DriveInfo {
    DriveType type = DriveType::NoRootDir;
    MountEntry mount;         // empty for NoRootDir
    std::string blockDevice;  // the block folder's name ("sdb1"); empty when not block-backed
};

struct VolumeInfo {
    std::string fileSystemName;  // the mount's file system type in capitals: "UDF", "VFAT"
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;  // available to an unprivileged user
};

inline constexpr const char* kMountInfoEnvironment = "VANTREL_MOUNTINFO";
inline constexpr const char* kSysBlockEnvironment = "VANTREL_SYS_BLOCK";

// The disk folder of a block device below the sysfs block root: a partition's removable flag
// and device type belong to its disk.
std::filesystem::path BlockDiskFolder(const std::filesystem::path& sysBlock,
                                      const std::string& name);
// The drive type of a block device by its sysfs entries.
DriveType ClassifyBlockDevice(const std::filesystem::path& sysBlock, const std::string& name);

class DriveLayer {
public:
    struct Roots {
        std::filesystem::path mountInfo{"/proc/self/mountinfo"};
        std::filesystem::path sysBlock{"/sys/class/block"};
    };

    DriveLayer() = default;
    explicit DriveLayer(Roots roots) : m_roots(std::move(roots)) {}

    // The layer of the running system: /proc/self/mountinfo and /sys/class/block, or the
    // files that VANTREL_MOUNTINFO and VANTREL_SYS_BLOCK name when they are set (the demo
    // describes its SD card folder as a removable drive that way). Read at the first call.
    static const DriveLayer& System();

    // The mount table in its listed order; empty when it cannot be read.
    std::vector<MountEntry> ReadMounts() const;
    DriveInfo GetDrive(std::string_view folder) const;
    DriveType GetDriveType(std::string_view folder) const { return GetDrive(folder).type; }

    // Volume information of the drive: present when the drive is mounted, its block device
    // (if any) holds a medium and the mount point answers statvfs.
    std::optional<VolumeInfo> GetVolumeInformation(const DriveInfo& drive) const;
    // The UDF revision's major number recorded on the drive's medium (2 for UDF 2.01 and
    // 2.50); -1 when the medium is not UDF or cannot be read.
    int GetUdfMajorVersion(const DriveInfo& drive) const;

private:
    Roots m_roots;
};

}  // namespace vantrel
