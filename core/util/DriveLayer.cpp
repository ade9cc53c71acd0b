// SPDX-License-Identifier: GPL-3.0-or-later
// The drive layer on Linux: /proc/self/mountinfo says which mount holds a folder, the block
// device folder (/sys/class/block) says what kind of device backs that mount.
#include "core/util/DriveLayer.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/util/UdfRevision.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 17> kNetworkFileSystems{
    "nfs",        "nfs4",       "cifs",      "smb3",        "smbfs",
    "ncpfs",      "afs",        "ceph",      "9p",          "glusterfs",
    "fuse.sshfs", "sshfs",      "fuse.s3fs", "fuse.rclone", "fuse.glusterfs",
    "davfs",      "fuse.davfs2"};
constexpr std::array<std::string_view, 2> kRamFileSystems{"tmpfs", "ramfs"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The first line of a small kernel file without its line end; empty when unreadable.
std::string ReadWord(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// Mount points escape blanks, tabs, line ends and backslashes as \ooo octal.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool octal = text[i] == '\\' && i + 3 < text.size() &&
                           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                       text.begin() + static_cast<std::ptrdiff_t>(i + 4),
                                       [](char c) { return c >= '0' && c <= '7'; });
        if (octal) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// "36 35 98:0 /root /mnt rw,noatime master:1 - ext3 /dev/sda1 rw": the optional fields end
// at the lone "-", after which come the file system type and the source.
std::optional<MountEntry> ParseMountLine(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> fields;
    for (std::string field; stream >> field;) {
        fields.push_back(std::move(field));
    }
    const auto dash = std::find(fields.begin() + std::min<std::ptrdiff_t>(6, fields.size()),
                                fields.end(), std::string("-"));
    if (fields.size() < 6 || fields.end() - dash < 3) {
        return std::nullopt;
    }
    MountEntry entry;
    entry.mountPoint = Unescape(fields[4]);
    entry.fsType = *(dash + 1);
    entry.source = Unescape(*(dash + 2));
    if (std::sscanf(fields[2].c_str(), "%u:%u", &entry.major, &entry.minor) != 2) {
        return std::nullopt;
    }
    return entry;
}

bool IsUnder(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") {
        return !path.empty() && path.front() == '/';
    }
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The absolute spelling of the folder with its symbolic links resolved as far as it exists,
// without a trailing separator (except for the root itself).
std::string AbsoluteFolder(std::string_view folder) {
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(folder), ec);
    if (ec) {
        return {};
    }
    fs::path resolved = fs::weakly_canonical(path, ec);
    std::string text = (ec ? path.lexically_normal() : resolved).generic_string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

}  // namespace

const DriveLayer& DriveLayer::System() {
    static const DriveLayer layer = [] {
        Roots roots;
        // NOLINTBEGIN(concurrency-mt-unsafe): read once, before the first drive question.
        if (const char* mountInfo = std::getenv(kMountInfoEnvironment); mountInfo && *mountInfo) {
            roots.mountInfo = mountInfo;
        }
        if (const char* sysBlock = std::getenv(kSysBlockEnvironment); sysBlock && *sysBlock) {
            roots.sysBlock = sysBlock;
        }
        // NOLINTEND(concurrency-mt-unsafe)
        return DriveLayer(roots);
    }();
    return layer;
}

std::vector<MountEntry> DriveLayer::ReadMounts() const {
    std::vector<MountEntry> mounts;
    std::ifstream file(m_roots.mountInfo);
    for (std::string line; std::getline(file, line);) {
        if (std::optional<MountEntry> entry = ParseMountLine(line)) {
            mounts.push_back(std::move(*entry));
        }
    }
    return mounts;
}

namespace {

// The block folder's name of a mount's device: by device number, which also finds devices
// named through /dev/disk/by-* or /dev/mapper links; by the source's own name for file
// systems (such as btrfs) that report an anonymous device number.
std::string FindBlockDevice(const fs::path& sysBlock, const MountEntry& mount) {
    std::error_code ec;
    if (mount.major != 0) {
        const std::string number = std::to_string(mount.major) + ":" + std::to_string(mount.minor);
        // Stepping with an error code: a folder that fails mid-listing ends the search
        // instead of throwing.
        for (fs::directory_iterator it(sysBlock, ec), end; !ec && it != end; it.increment(ec)) {
            if (ReadWord(it->path() / "dev") == number) {
                return it->path().filename().string();
            }
        }
        return {};
    }
    if (mount.source.empty() || mount.source.front() != '/') {
        return {};
    }
    const std::string name = fs::weakly_canonical(mount.source, ec).filename().string();
    return !ec && !name.empty() && fs::exists(sysBlock / name, ec) ? name : std::string();
}

}  // namespace

// A partition's removable flag and device type belong to its disk, the folder above the
// partition's own in the device tree.
fs::path BlockDiskFolder(const fs::path& sysBlock, const std::string& name) {
    const fs::path folder = sysBlock / name;
    std::error_code ec;
    if (!fs::exists(folder / "partition", ec)) {
        return folder;
    }
    const fs::path disk = fs::canonical(folder, ec).parent_path();
    return !ec && fs::exists(disk / "dev", ec) ? disk : folder;
}

DriveType ClassifyBlockDevice(const fs::path& sysBlock, const std::string& name) {
    const fs::path disk = BlockDiskFolder(sysBlock, name);
    const std::string diskName = disk.filename().string();
    const std::string deviceType = ReadWord(disk / "device" / "type");
    if (diskName.rfind("ram", 0) == 0 || diskName.rfind("zram", 0) == 0) {
        return DriveType::RamDisk;
    }
    // SCSI peripheral type 5 is a CD/DVD device; the sr driver handles only those.
    if (diskName.rfind("sr", 0) == 0 || deviceType == "5") {
        return DriveType::Optical;
    }
    // SD cards in a built-in MMC slot carry no removable flag; their card type tells.
    if (ReadWord(disk / "removable") == "1" || deviceType == "SD") {
        return DriveType::Removable;
    }
    return DriveType::Fixed;
}

DriveInfo DriveLayer::GetDrive(std::string_view folder) const {
    DriveInfo drive;
    const std::string path = folder.empty() ? std::string() : AbsoluteFolder(folder);
    if (path.empty()) {
        return drive;
    }
    const MountEntry* best = nullptr;
    const std::vector<MountEntry> mounts = ReadMounts();
    for (const MountEntry& mount : mounts) {
        // ">=": a later mount on the same point covers the earlier one.
        if (IsUnder(path, mount.mountPoint) &&
            (best == nullptr || mount.mountPoint.size() >= best->mountPoint.size())) {
            best = &mount;
        }
    }
    if (best == nullptr) {
        return drive;
    }
    drive.mount = *best;
    if (Contains(kNetworkFileSystems, best->fsType)) {
        drive.type = DriveType::Network;
    } else if (Contains(kRamFileSystems, best->fsType)) {
        drive.type = DriveType::RamDisk;
    } else {
        drive.blockDevice = FindBlockDevice(m_roots.sysBlock, *best);
        drive.type = drive.blockDevice.empty()
                         ? DriveType::Unknown
                         : ClassifyBlockDevice(m_roots.sysBlock, drive.blockDevice);
    }
    return drive;
}

std::optional<VolumeInfo> DriveLayer::GetVolumeInformation(const DriveInfo& drive) const {
    if (drive.type == DriveType::NoRootDir || drive.mount.mountPoint.empty()) {
        return std::nullopt;
    }
    // A mount left behind by a card pulled from its reader sits on a device of size 0.
    if (!drive.blockDevice.empty() &&
        ReadWord(m_roots.sysBlock / drive.blockDevice / "size") == "0") {
        return std::nullopt;
    }
    struct statvfs stats {};
    if (::statvfs(drive.mount.mountPoint.c_str(), &stats) != 0) {
        return std::nullopt;
    }
    VolumeInfo info;
    info.fileSystemName = drive.mount.fsType;
    std::transform(info.fileSystemName.begin(), info.fileSystemName.end(),
                   info.fileSystemName.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    info.totalBytes = std::uint64_t{stats.f_blocks} * stats.f_frsize;
    info.freeBytes = std::uint64_t{stats.f_bavail} * stats.f_frsize;
    return info;
}

int DriveLayer::GetUdfMajorVersion(const DriveInfo& drive) const {
    fs::path medium = drive.mount.source;
    if (!medium.is_absolute()) {
        if (drive.blockDevice.empty()) {
            return -1;
        }
        medium = fs::path("/dev") / drive.blockDevice;
    }
    const int revision = ReadUdfRevision(medium);
    return revision < 0 ? -1 : revision >> 8;
}

}  // namespace vantrel
