// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, checking, unmounting and opening the card's device.
#include "core/sdcard/SdCardDevice.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/sdcard/ChildProcess.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string ReadWord(const fs::path& path) {
    std::ifstream file(path);
    std::string word;
    file >> word;
    return word;
}

std::uint64_t ReadNumber(const fs::path& path) {
    const std::string word = ReadWord(path);
    return word.empty() ? 0 : std::strtoull(word.c_str(), nullptr, 10);
}

// The block folder of a device number, found by its "dev" file.
std::string SysNameOf(const fs::path& sysBlock, unsigned major, unsigned minor) {
    const std::string number = std::to_string(major) + ":" + std::to_string(minor);
    std::error_code ec;
    for (fs::directory_iterator it(sysBlock, ec), end; !ec && it != end; it.increment(ec)) {
        if (ReadWord(it->path() / "dev") == number) {
            return it->path().filename().string();
        }
    }
    return {};
}

// The device numbers of the block folder and, for a whole disk, of its partitions.
std::vector<std::string> DeviceNumbers(const fs::path& sysBlock, const std::string& name) {
    std::vector<std::string> numbers{ReadWord(sysBlock / name / "dev")};
    std::error_code ec;
    const fs::path folder = fs::canonical(sysBlock / name, ec);
    if (ec) {
        return numbers;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (fs::exists(it->path() / "partition", ec)) {
            numbers.push_back(ReadWord(it->path() / "dev"));
        }
    }
    return numbers;
}

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

bool InspectSdTarget(const std::string& path, const DriveLayer::Roots& roots, SdTarget* target,
                     std::string* error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        *error = Errno(path);
        return false;
    }
    SdTarget found;
    found.path = path;
    if (S_ISREG(info.st_mode)) {
        found.geometry.lengthBytes = static_cast<std::uint64_t>(info.st_size);
        *target = found;
        return true;
    }
    if (!S_ISBLK(info.st_mode)) {
        *error = path + " is neither a block device nor an image file";
        return false;
    }
    found.blockDevice = true;
    found.sysName = SysNameOf(roots.sysBlock, major(info.st_rdev), minor(info.st_rdev));
    if (found.sysName.empty()) {
        *error = path + ": the device is not listed in " + roots.sysBlock.string();
        return false;
    }
    if (ClassifyBlockDevice(roots.sysBlock, found.sysName) != DriveType::Removable) {
        *error = path + " is not a removable drive";
        return false;
    }
    const fs::path folder = roots.sysBlock / found.sysName;
    const std::uint64_t logical =
        ReadNumber(BlockDiskFolder(roots.sysBlock, found.sysName) / "queue" / "logical_block_size");
    found.geometry.bytesPerSector = logical >= 512 ? static_cast<std::uint32_t>(logical) : 512;
    // sysfs counts sizes and starts in 512-byte units whatever the sector size.
    found.geometry.lengthBytes = ReadNumber(folder / "size") * 512;
    found.geometry.hiddenSectors = static_cast<std::uint32_t>(ReadNumber(folder / "start") * 512 /
                                                              found.geometry.bytesPerSector);
    found.partitionNumber = static_cast<unsigned>(ReadNumber(folder / "partition"));
    if (found.partitionNumber != 0) {
        found.diskPath =
            "/dev/" + BlockDiskFolder(roots.sysBlock, found.sysName).filename().string();
    }
    if (found.geometry.lengthBytes == 0) {
        *error = path + ": no card in the drive";
        return false;
    }
    *target = found;
    return true;
}

std::string BlockDeviceOfFolder(const std::string& folder, const DriveLayer& layer) {
    const DriveInfo drive = layer.GetDrive(folder);
    return drive.blockDevice.empty() ? std::string() : "/dev/" + drive.blockDevice;
}

std::vector<MountEntry> MountsOfTarget(const SdTarget& target, const DriveLayer::Roots& roots) {
    std::vector<MountEntry> mounts;
    if (!target.blockDevice) {
        return mounts;
    }
    const std::vector<std::string> numbers = DeviceNumbers(roots.sysBlock, target.sysName);
    for (const MountEntry& mount : DriveLayer(roots).ReadMounts()) {
        const std::string number = std::to_string(mount.major) + ":" + std::to_string(mount.minor);
        if (std::find(numbers.begin(), numbers.end(), number) != numbers.end()) {
            mounts.push_back(mount);
        }
    }
    std::stable_sort(mounts.begin(), mounts.end(), [](const MountEntry& a, const MountEntry& b) {
        return a.mountPoint.size() > b.mountPoint.size();
    });
    return mounts;
}

bool IsSystemFolder(const std::string& mountPoint) {
    static constexpr std::array<std::string_view, 14> kSystemFolders{
        "/",    "/boot", "/boot/efi", "/efi", "/usr",  "/var", "/home",
        "/etc", "/opt",  "/srv",      "/bin", "/sbin", "/lib", "/root"};
    std::string point = mountPoint;
    while (point.size() > 1 && point.back() == '/') {
        point.pop_back();
    }
    return std::find(kSystemFolders.begin(), kSystemFolders.end(), point) != kSystemFolders.end();
}

bool UnmountTarget(const SdTarget& target, const DriveLayer::Roots& roots, std::string* error) {
    for (const MountEntry& mount : MountsOfTarget(target, roots)) {
        if (IsSystemFolder(mount.mountPoint)) {
            *error = target.path + " holds the system folder " + mount.mountPoint;
            return false;
        }
        if (::umount2(mount.mountPoint.c_str(), 0) == 0) {
            continue;
        }
        ProcessResult run = RunProgram({"umount", mount.mountPoint});
        // A desktop's automount belongs to udisks, which lets the user who sits at the
        // machine undo it.
        if (run.exitCode != 0 && !FindProgram("udisksctl").empty() &&
            RunProgram({"udisksctl", "unmount", "--no-user-interaction", "-b", mount.source})
                    .exitCode == 0) {
            continue;
        }
        if (run.exitCode != 0) {
            *error = "cannot unmount " + mount.mountPoint + ": " + run.output;
            while (!error->empty() && error->back() == '\n') {
                error->pop_back();
            }
            return false;
        }
    }
    if (!MountsOfTarget(target, roots).empty()) {
        *error = target.path + " is still mounted";
        return false;
    }
    return true;
}

int OpenSdTarget(SdTarget& target, std::string* error) {
    const int flags = O_RDWR | O_CLOEXEC | (target.blockDevice ? O_EXCL : 0);
    const int fd = ::open(target.path.c_str(), flags);
    if (fd < 0) {
        const int openError = errno;
        *error = Errno(target.path);
        if (openError == EACCES && target.blockDevice) {
            *error += " (writing a card's device needs root or membership of its group)";
        }
        return -1;
    }
    if (target.blockDevice) {
        ReadDeviceGeometry(fd, target);
    }
    return fd;
}

void ReadDeviceGeometry(int fd, SdTarget& target) {
    std::uint64_t bytes = 0;
    int sectorSize = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) == 0 && bytes > 0) {
        target.geometry.lengthBytes = bytes;
    }
    if (::ioctl(fd, BLKSSZGET, &sectorSize) == 0 && sectorSize >= 512) {
        target.geometry.bytesPerSector = static_cast<std::uint32_t>(sectorSize);
    }
    // Card readers seldom report a geometry; 63 sectors per track and 255 heads otherwise.
    struct hd_geometry geometry {};
    if (::ioctl(fd, HDIO_GETGEO, &geometry) == 0 && geometry.sectors != 0 && geometry.heads != 0) {
        target.geometry.sectorsPerTrack = geometry.sectors;
        target.geometry.heads = geometry.heads;
    }
}

bool SetMbrPartitionType(const std::string& diskPath, unsigned partitionNumber,
                         std::uint64_t startSector, std::uint8_t type, std::string* error) {
    const int fd = ::open(diskPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        *error = Errno(diskPath);
        return false;
    }
    std::array<std::uint8_t, 512> mbr{};
    bool ok = ::pread(fd, mbr.data(), mbr.size(), 0) == static_cast<ssize_t>(mbr.size());
    if (!ok) {
        *error = Errno(diskPath);
    } else if (mbr[510] == 0x55 && mbr[511] == 0xAA && partitionNumber >= 1 &&
               partitionNumber <= 4) {
        bool gpt = false;
        for (std::size_t entry = 0; entry < 4; ++entry) {
            gpt = gpt || mbr[446 + 16 * entry + 4] == 0xEE;
        }
        const std::size_t at = 446 + 16 * (partitionNumber - 1);
        const std::uint64_t start = mbr[at + 8] | (std::uint64_t{mbr[at + 9]} << 8) |
                                    (std::uint64_t{mbr[at + 10]} << 16) |
                                    (std::uint64_t{mbr[at + 11]} << 24);
        if (!gpt && start != startSector) {
            *error = diskPath + ": partition " + std::to_string(partitionNumber) +
                     " does not start at sector " + std::to_string(startSector);
            ok = false;
        } else if (!gpt && mbr[at + 4] != type) {
            mbr[at + 4] = type;
            ok = ::pwrite(fd, mbr.data(), mbr.size(), 0) == static_cast<ssize_t>(mbr.size()) &&
                 (::fsync(fd) == 0 || errno == EINVAL);
            if (!ok) {
                *error = Errno(diskPath);
            }
        }
    }
    ::close(fd);
    return ok;
}

void RereadPartitions(const SdTarget& target) {
    if (!target.blockDevice || target.partitionNumber != 0) {
        return;
    }
    const int fd = ::open(target.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::ioctl(fd, BLKRRPART);  // a failure leaves the old view; the card still works
        ::close(fd);
    }
}

}  // namespace vantrel
