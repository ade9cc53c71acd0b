// SPDX-License-Identifier: GPL-3.0-or-later
// A fixture system for the drive layer: a mount table and a block device folder laid out
// like the kernel's (device folders under devices/, class/block entries as links to them,
// partitions inside their disk's folder), all inside a temporary folder.
#pragma once

#include <filesystem>
#include <string>

#include "core/util/DriveLayer.h"
#include "tests/core/util/UtilTestFolder.h"

namespace vantrel::test {

class DriveFixture {
public:
    DriveFixture() { UtilTestFolder::Write(MountInfo(), ""); }

    std::filesystem::path MountInfo() const { return m_root.Path() / "proc/mountinfo"; }
    std::filesystem::path SysBlock() const { return m_root.Path() / "sys/class/block"; }
    // A place for mount points and media inside the fixture, canonical like the layer sees it.
    std::filesystem::path Place(const std::string& sub) const { return m_root.Path() / sub; }
    DriveLayer Layer() const { return DriveLayer({MountInfo(), SysBlock()}); }

    // A disk such as sdb with its removable flag, size in sectors and device type
    // ("0" disk, "5" CD/DVD, "SD", "MMC"; empty for none).
    void AddDisk(const std::string& name, const std::string& number, bool removable,
                 const std::string& size = "1000", const std::string& deviceType = "0") {
        const std::filesystem::path folder = DeviceFolder() / name;
        UtilTestFolder::Write(folder / "dev", number + "\n");
        UtilTestFolder::Write(folder / "removable", removable ? "1\n" : "0\n");
        UtilTestFolder::Write(folder / "size", size + "\n");
        if (!deviceType.empty()) {
            UtilTestFolder::Write(folder / "device/type", deviceType + "\n");
        }
        Link(name, folder);
    }

    void AddPartition(const std::string& disk, const std::string& name, const std::string& number,
                      const std::string& size = "900") {
        const std::filesystem::path folder = DeviceFolder() / disk / name;
        UtilTestFolder::Write(folder / "dev", number + "\n");
        UtilTestFolder::Write(folder / "partition", "1\n");
        UtilTestFolder::Write(folder / "size", size + "\n");
        Link(name, folder);
    }

    // One mount table line; the mount point folder is created unless told otherwise.
    void AddMount(const std::filesystem::path& mountPoint, const std::string& number,
                  const std::string& fsType, const std::string& source,
                  bool createMountPoint = true) {
        if (createMountPoint) {
            std::filesystem::create_directories(mountPoint);
        }
        m_lines += std::to_string(++m_id) + " 1 " + number + " / " + Escape(mountPoint.string()) +
                   " rw,relatime shared:1 - " + fsType + " " + source + " rw\n";
        UtilTestFolder::Write(MountInfo(), m_lines);
    }

    // The usual base: the root file system on a fixed virtual disk.
    void AddFixedRoot() {
        AddDisk("vda", "254:0", false);
        AddMount("/", "254:0", "ext4", "/dev/vda", false);
    }

private:
    std::filesystem::path DeviceFolder() const {
        return m_root.Path() / "sys/devices/pci0000:00/host0/block";
    }
    void Link(const std::string& name, const std::filesystem::path& folder) {
        std::filesystem::create_directories(SysBlock());
        std::filesystem::create_directory_symlink(folder, SysBlock() / name);
    }
    static std::string Escape(const std::string& path) {
        std::string out;
        for (const char c : path) {
            out += c == ' ' ? std::string("\\040") : std::string(1, c);
        }
        return out;
    }

    UtilTestFolder m_root;
    std::string m_lines;
    int m_id = 20;
};

}  // namespace vantrel::test
