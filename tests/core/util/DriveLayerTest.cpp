// SPDX-License-Identifier: GPL-3.0-or-later
// The drive layer and the folder rules built on it, against fixture mount tables and block
// device folders: which mount holds a folder, how its device is classed, when its medium
// counts as present, and IsFolderUnusable for card readers (with and without a card), fixed
// disks, network shares and optical drives with UDF media of either revision.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/util/DriveLayer.h"
#include "core/util/FolderUtil.h"
#include "tests/core/util/DriveFixture.h"
#include "tests/core/util/UdfImage.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::DriveFixture;
using test::UdfImage;

TEST(DriveLayer, ReadsTheMountTableWithEscapesAndOptionalFields) {
    DriveFixture fx;
    test::UtilTestFolder::Write(
        fx.MountInfo(),
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "90 27 8:17 / /media/user/MY\\040CARD rw,nosuid shared:7 master:2 - vfat /dev/sdb1 rw\n"
        "broken line\n"
        "91 27 0:50 / /srv/share rw - nfs4 server:/export rw,vers=4.2\n");
    const std::vector<MountEntry> mounts = fx.Layer().ReadMounts();
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[1].mountPoint, "/media/user/MY CARD");
    EXPECT_EQ(mounts[1].fsType, "vfat");
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_EQ(mounts[1].major, 8u);
    EXPECT_EQ(mounts[1].minor, 17u);
    EXPECT_EQ(mounts[2].fsType, "nfs4");
    EXPECT_EQ(mounts[2].source, "server:/export");

    EXPECT_TRUE(DriveLayer({fx.Place("no-such-file"), fx.SysBlock()}).ReadMounts().empty());
}

TEST(DriveLayer, TheLongestMountPointPrefixHoldsTheFolder) {
    DriveFixture fx;
    fx.AddFixedRoot();
    fx.AddDisk("sdb", "8:16", true);
    fx.AddPartition("sdb", "sdb1", "8:17");
    fx.AddMount("/media/card", "8:17", "vfat", "/dev/sdb1", false);
    const DriveLayer layer = fx.Layer();

    EXPECT_EQ(layer.GetDriveType("/media/card/dtacho/"), DriveType::Removable);
    EXPECT_EQ(layer.GetDriveType("/media/card"), DriveType::Removable);
    EXPECT_EQ(layer.GetDrive("/media/card/").mount.mountPoint, "/media/card");
    EXPECT_EQ(layer.GetDrive("/media/card/x").blockDevice, "sdb1");
    // A prefix counts only up to a whole component.
    EXPECT_EQ(layer.GetDriveType("/media/cardboard/x"), DriveType::Fixed);
    EXPECT_EQ(layer.GetDriveType("/media/card/../other"), DriveType::Fixed);
    EXPECT_EQ(layer.GetDriveType(""), DriveType::NoRootDir);

    // A later mount on the same point covers the earlier one.
    fx.AddMount("/media/card", "0:60", "tmpfs", "tmpfs", false);
    EXPECT_EQ(layer.GetDriveType("/media/card/dtacho/"), DriveType::RamDisk);
}

TEST(DriveLayer, NoMountAtAllMeansNoRootDirectory) {
    DriveFixture fx;
    EXPECT_EQ(fx.Layer().GetDriveType("/home/user/"), DriveType::NoRootDir);
    fx.AddMount("/elsewhere", "0:60", "tmpfs", "tmpfs", false);
    EXPECT_EQ(fx.Layer().GetDriveType("/home/user/"), DriveType::NoRootDir);
}

struct ClassCase {
    const char* fsType;
    const char* number;  // "" for a mount without a block device of the fixture
    const char* source;
    DriveType type;
};

class DriveLayerClassTest : public testing::TestWithParam<ClassCase> {};

// The fixture holds: vda fixed, sdb1 on a removable sdb, sr0 an optical drive, mmcblk0p1 on
// an SD card without removable flag, mmcblk1p1 on soldered eMMC, ram0, nvme0n1p2 fixed.
TEST_P(DriveLayerClassTest, ClassesTheDriveOfAMount) {
    DriveFixture fx;
    fx.AddFixedRoot();
    fx.AddDisk("sdb", "8:16", true);
    fx.AddPartition("sdb", "sdb1", "8:17");
    fx.AddDisk("sr0", "11:0", true, "1000", "5");
    fx.AddDisk("mmcblk0", "179:0", false, "1000", "SD");
    fx.AddPartition("mmcblk0", "mmcblk0p1", "179:1");
    fx.AddDisk("mmcblk1", "179:8", false, "1000", "MMC");
    fx.AddPartition("mmcblk1", "mmcblk1p1", "179:9");
    fx.AddDisk("ram0", "1:0", false, "1000", "");
    fx.AddDisk("nvme0n1", "259:0", false, "1000", "");
    fx.AddPartition("nvme0n1", "nvme0n1p2", "259:2");
    const ClassCase& c = GetParam();
    fx.AddMount("/mnt/x", c.number, c.fsType, c.source, false);
    EXPECT_EQ(fx.Layer().GetDriveType("/mnt/x/data/"), c.type) << c.fsType << " " << c.source;
}

INSTANTIATE_TEST_SUITE_P(
    DriveLayer, DriveLayerClassTest,
    testing::Values(ClassCase{"vfat", "8:17", "/dev/sdb1", DriveType::Removable},
                    ClassCase{"exfat", "8:16", "/dev/sdb", DriveType::Removable},
                    ClassCase{"udf", "11:0", "/dev/sr0", DriveType::Optical},
                    ClassCase{"vfat", "179:1", "/dev/mmcblk0p1", DriveType::Removable},
                    ClassCase{"ext4", "179:9", "/dev/mmcblk1p1", DriveType::Fixed},
                    ClassCase{"ext2", "1:0", "/dev/ram0", DriveType::RamDisk},
                    ClassCase{"ext4", "254:0", "/dev/disk/by-uuid/1234", DriveType::Fixed},
                    // btrfs reports an anonymous device number: the source names the device.
                    ClassCase{"btrfs", "0:45", "/dev/nvme0n1p2", DriveType::Fixed},
                    ClassCase{"nfs4", "0:50", "server:/export", DriveType::Network},
                    ClassCase{"cifs", "0:51", "//server/share", DriveType::Network},
                    ClassCase{"smb3", "0:51", "//server/share", DriveType::Network},
                    ClassCase{"fuse.sshfs", "0:52", "user@host:", DriveType::Network},
                    ClassCase{"tmpfs", "0:53", "tmpfs", DriveType::RamDisk},
                    ClassCase{"ramfs", "0:54", "ramfs", DriveType::RamDisk},
                    ClassCase{"overlay", "0:55", "overlay", DriveType::Unknown},
                    ClassCase{"ext4", "8:99", "/dev/sdz9", DriveType::Unknown}));

TEST(DriveLayer, VolumeInformationNeedsAMediumAndAnAnsweringMountPoint) {
    DriveFixture fx;
    fx.AddFixedRoot();
    fx.AddDisk("sdb", "8:16", true);
    fx.AddPartition("sdb", "sdb1", "8:17");
    fx.AddMount(fx.Place("card"), "8:17", "vfat", "/dev/sdb1");
    fx.AddDisk("sdc", "8:32", true, "0");
    fx.AddMount(fx.Place("stale"), "8:32", "vfat", "/dev/sdc");
    fx.AddMount(fx.Place("gone"), "0:50", "nfs4", "server:/x", false);
    const DriveLayer layer = fx.Layer();

    const std::optional<VolumeInfo> card =
        layer.GetVolumeInformation(layer.GetDrive(fx.Place("card").string()));
    ASSERT_TRUE(card.has_value());
    EXPECT_EQ(card->fileSystemName, "VFAT");
    EXPECT_GT(card->totalBytes, 0u);
    EXPECT_FALSE(layer.GetVolumeInformation(layer.GetDrive(fx.Place("stale").string())));
    EXPECT_FALSE(layer.GetVolumeInformation(layer.GetDrive(fx.Place("gone").string())));
    EXPECT_FALSE(layer.GetVolumeInformation(DriveInfo{}));
}

// Folder rules on a fixture with a fixed root disk, a card reader holding a card, a card
// reader slot without a card (and one whose mount outlived its card), a network share and
// one whose server went away.
class IsFolderUnusableTest : public testing::Test {
protected:
    void SetUp() override {
        fx.AddFixedRoot();
        fx.AddDisk("sdb", "8:16", true);
        fx.AddPartition("sdb", "sdb1", "8:17");
        fx.AddMount(fx.Place("card"), "8:17", "vfat", "/dev/sdb1");
        fs::create_directories(fx.Place("card/dtacho"));
        fx.AddDisk("sdc", "8:32", true, "0");  // empty slot: present, size 0, not mounted
        fx.AddDisk("sdd", "8:48", true, "0");
        fx.AddMount(fx.Place("stale"), "8:48", "vfat", "/dev/sdd");
        fx.AddMount(fx.Place("share"), "0:50", "nfs4", "server:/export");
        fx.AddMount(fx.Place("lost"), "0:51", "cifs", "//server/gone", false);
        fs::create_directories(fx.Place("home/data"));
    }

    bool Unusable(const std::string& sub, bool skipExistence) const {
        return IsFolderUnusable(fx.Place(sub).string() + "/", skipExistence, fx.Layer());
    }

    DriveFixture fx;
};

TEST_F(IsFolderUnusableTest, FixedDiskFoldersAreUsableWhenTheyExist) {
    EXPECT_FALSE(Unusable("home/data", false));
    EXPECT_TRUE(Unusable("home/missing", false));
    EXPECT_FALSE(Unusable("home/missing", true));
    // A file is no folder to use.
    test::UtilTestFolder::Write(fx.Place("home/file"), "x");
    EXPECT_TRUE(Unusable("home/file", false));
    EXPECT_TRUE(IsFolderUnusable("", false, fx.Layer()));
    EXPECT_TRUE(IsFolderUnusable("", true, fx.Layer()));
}

TEST_F(IsFolderUnusableTest, CardReadersNeedACard) {
    EXPECT_FALSE(Unusable("card", false));
    EXPECT_FALSE(Unusable("card/dtacho", false));
    EXPECT_FALSE(Unusable("card", true));
    // The empty slot has no mount: its folder does not exist.
    EXPECT_TRUE(Unusable("slot", false));
    // A mount left behind by a pulled card: no medium, unusable even by the drive alone.
    EXPECT_TRUE(Unusable("stale", false));
    EXPECT_TRUE(Unusable("stale", true));
}

TEST_F(IsFolderUnusableTest, NetworkSharesMustAnswer) {
    EXPECT_FALSE(Unusable("share", false));
    EXPECT_TRUE(Unusable("lost", true));
}

TEST_F(IsFolderUnusableTest, AFolderNoMountHoldsIsUnusable) {
    DriveFixture bare;
    bare.AddMount(bare.Place("only"), "0:60", "tmpfs", "tmpfs");
    fs::create_directories(bare.Place("other"));
    EXPECT_TRUE(IsFolderUnusable(bare.Place("other").string() + "/", false, bare.Layer()));
    EXPECT_FALSE(IsFolderUnusable(bare.Place("only").string() + "/", false, bare.Layer()));
}

struct OpticalCase {
    const char* fsType;
    int revision;  // -1: no medium image at all
    const char* size;
    bool unusable;
};

class IsFolderUnusableOpticalTest : public testing::TestWithParam<OpticalCase> {};

TEST_P(IsFolderUnusableOpticalTest, OpticalDrivesNeedUdf2) {
    const OpticalCase& c = GetParam();
    DriveFixture fx;
    fx.AddFixedRoot();
    fx.AddDisk("sr0", "11:0", true, c.size, "5");
    const fs::path image = fx.Place("sr0.img");
    if (c.revision >= 0) {
        UdfImage(2048, static_cast<std::uint16_t>(c.revision)).Save(image);
    }
    fx.AddMount(fx.Place("disc"), "11:0", c.fsType, image.string());
    const DriveLayer layer = fx.Layer();
    EXPECT_EQ(layer.GetDriveType(fx.Place("disc").string()), DriveType::Optical);
    EXPECT_EQ(IsFolderUnusable(fx.Place("disc").string() + "/", false, layer), c.unusable);
    EXPECT_EQ(IsFolderUnusable(fx.Place("disc").string() + "/", true, layer), c.unusable);
}

INSTANTIATE_TEST_SUITE_P(DriveLayer, IsFolderUnusableOpticalTest,
                         testing::Values(OpticalCase{"udf", 0x0250, "1000", false},
                                         OpticalCase{"udf", 0x0201, "1000", false},
                                         OpticalCase{"udf", 0x0150, "1000", true},
                                         OpticalCase{"udf", 0x0102, "1000", true},
                                         OpticalCase{"iso9660", 0x0250, "1000", true},
                                         OpticalCase{"udf", -1, "1000", true},
                                         OpticalCase{"udf", 0x0250, "0", true}));

TEST(DriveLayer, TheRunningSystemHoldsTheTemporaryFolder) {
    const std::string temp = fs::canonical(fs::temp_directory_path()).string() + "/";
    EXPECT_NE(DriveLayer::System().GetDriveType(temp), DriveType::NoRootDir);
    EXPECT_FALSE(IsFolderUnusable(temp, false));
    EXPECT_TRUE(IsFolderUnusable(temp + "vantrel-no-such-folder/", false));
}

}  // namespace
}  // namespace vantrel
