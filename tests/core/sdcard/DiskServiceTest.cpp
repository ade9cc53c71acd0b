// SPDX-License-Identifier: GPL-3.0-or-later
// Initialising a card through the disk service, as a user who may not open the device: the
// stand-in service on a private bus unmounts and opens the "device" (a junk-filled image
// behind a fixture device node), and the file system staged in a temporary image must land
// on it whole: clean for fsck.fat, with the folders and driverid.ini, whatever junk the card
// held. Also the staging copy's system area and the choice of the way to the device.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/sdcard/SdCard.h"
#include "core/sdcard/StagedCard.h"
#include "tests/core/sdcard/SdImage.h"
#include "tests/core/sdcard/StandInDiskService.h"
#include "tests/core/util/DriveFixture.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::kMiB;
using Status = SdFormatOutcome::Status;

constexpr const char* kDiskObject = "/org/freedesktop/UDisks2/block_devices/sdz";
constexpr const char* kPartitionObject = "/org/freedesktop/UDisks2/block_devices/sdz1";
constexpr std::uint64_t kJunkBytes = 24 * kMiB;  // past both FATs and the first folders

// The image as a card that held something else: junk over its first megabytes.
void FillWithJunk(const std::string& image) {
    std::string junk(kJunkBytes, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<char>(0xA5 ^ (i * 7));
    }
    const int fd = ::open(image.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, junk.data(), junk.size(), 0), static_cast<ssize_t>(junk.size()));
    ::close(fd);
}

std::string Head(const std::string& image) {
    std::ifstream in(image, std::ios::binary);
    std::string head(kJunkBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    return head;
}

class SdCardDiskService : public ::testing::Test {
protected:
    void SetUp() override {
        m_disk = m_tmp.Folder() + "sdz";
        m_partition = m_tmp.Folder() + "sdz1";
        if (::mknod(m_disk.c_str(), S_IFBLK | 0600, makedev(240, 77)) != 0 ||
            ::mknod(m_partition.c_str(), S_IFBLK | 0600, makedev(240, 78)) != 0) {
            GTEST_SKIP() << "cannot make a device node here";
        }
        m_bus = std::make_unique<test::PrivateBus>(m_tmp.Folder() + "dbus");
        ASSERT_TRUE(m_bus->Running()) << "dbus-daemon did not start";
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus->Address().c_str(), 1);
        // The staging image goes to the temporary folder; this one is watched.
        std::filesystem::create_directories(m_tmp.Folder("staging"));
        m_previousTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        ::setenv("TMPDIR", m_tmp.Folder("staging").c_str(), 1);
        m_fixture.AddFixedRoot();
        ASSERT_TRUE(test::MakeSparseImage(Image(), 8000 * kMiB));
        FillWithJunk(Image());
    }
    void TearDown() override {
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        if (m_previousTmp.empty()) {
            ::unsetenv("TMPDIR");
        } else {
            ::setenv("TMPDIR", m_previousTmp.c_str(), 1);
        }
    }
    std::string Image() const { return m_tmp.Folder() + "card.img"; }
    std::string Sectors(std::uint64_t mib) const { return std::to_string(mib * 2048); }

    // The service knows the whole card and its partition by their nodes and /dev names.
    void StartService() {
        const test::StandInDevice disk{kDiskObject, Image(), "", ""};
        const test::StandInDevice partition{kPartitionObject, Image(), "0x07", kDiskObject};
        m_service = std::make_unique<test::StandInDiskService>(
            m_bus->Address(), std::map<std::string, test::StandInDevice>{{m_disk, disk},
                                                                         {"/dev/sdz", disk},
                                                                         {m_partition, partition},
                                                                         {"/dev/sdz1", partition}});
        ASSERT_TRUE(m_service->Serving());
    }

    SdFormatOutcome Format(const std::string& node, SdFormatRoute route,
                           const std::string& driver = "") {
        SdFormatRequest request;
        request.target = node;
        request.driverText = driver;
        request.route = route;
        request.access = SdDeviceAccess::DiskService;
        request.roots = {m_fixture.MountInfo(), m_fixture.SysBlock()};
        request.confirm = [](const SdTarget&, SdFormatRoute) { return true; };
        return FormatSdCard(request);
    }

    bool StagingIsEmpty() const { return std::filesystem::is_empty(m_tmp.Folder("staging")); }

    test::TempFolder m_tmp;
    test::DriveFixture m_fixture;
    std::unique_ptr<test::PrivateBus> m_bus;
    std::unique_ptr<test::StandInDiskService> m_service;
    std::string m_disk;
    std::string m_partition;
    std::string m_previousTmp;
};

TEST_F(SdCardDiskService, BothRoutesLandWholeOnAJunkFilledCard) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000), "SD");
    StartService();
    for (const SdFormatRoute route : {SdFormatRoute::Command, SdFormatRoute::Raw}) {
        SCOPED_TRACE(SdFormatRouteName(route));
        FillWithJunk(Image());
        const SdFormatOutcome outcome = Format(m_disk, route, "홍길동 운전자");
        ASSERT_EQ(outcome.status, Status::Done) << outcome.message;
        EXPECT_TRUE(outcome.formatted && outcome.prepared);
        EXPECT_EQ(outcome.sizeMiB, 8000u);

        const ProcessResult fsck = test::Fsck(Image());
        EXPECT_EQ(fsck.exitCode, 0) << fsck.output;
        const ProcessResult root = test::Mtools("mdir", Image(), "::/");
        for (const char* folder : {"media ", "driving ", "log ", "dvr_config"}) {
            EXPECT_NE(root.output.find(folder), std::string::npos) << folder << "\n" << root.output;
        }
        EXPECT_EQ(test::Mtools("mtype", Image(), "::/dvr_config/driverid.ini").output,
                  "홍길동 운전자");
        EXPECT_TRUE(StagingIsEmpty()) << "the staging image must be removed";
    }
    const auto record = m_service->Recorded();
    EXPECT_EQ(record.openMode, "rw");
    EXPECT_EQ(record.openFlags & O_EXCL, O_EXCL);
    EXPECT_TRUE(record.interactive) << "polkit must be allowed to ask";
    EXPECT_TRUE(record.setType.empty()) << "a whole card has no partition entry";
}

TEST_F(SdCardDiskService, AMountedPartitionIsUnmountedAndTypedByTheService) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8001), "SD");
    m_fixture.AddPartition("sdz", "sdz1", "240:78", Sectors(8000));
    const std::string mountInfo = m_fixture.MountInfo().string();
    m_fixture.AddMount(m_fixture.Place("media/CARD"), "240:78", "exfat", "/dev/sdz1");
    StartService();
    m_service->OnUnmount([mountInfo](const std::string&) {
        std::ifstream in(mountInfo);
        std::string kept;
        for (std::string line; std::getline(in, line);) {
            if (line.find("/dev/sdz1") == std::string::npos) {
                kept += line + "\n";
            }
        }
        in.close();
        std::ofstream(mountInfo) << kept;
    });
    const SdFormatOutcome outcome = Format(m_partition, SdFormatRoute::Command);
    ASSERT_EQ(outcome.status, Status::Done) << outcome.message;
    const auto record = m_service->Recorded();
    const std::vector<std::string> expected{
        std::string("ResolveDevice /org/freedesktop/UDisks2/Manager"),
        std::string("Unmount ") + kPartitionObject,
        std::string("ResolveDevice /org/freedesktop/UDisks2/Manager"),
        std::string("OpenDevice ") + kPartitionObject, std::string("SetType ") + kPartitionObject};
    EXPECT_EQ(record.calls, expected);
    EXPECT_EQ(record.setType, "0x0c");
    EXPECT_EQ(test::Fsck(Image()).exitCode, 0);
}

TEST_F(SdCardDiskService, ARefusedOpeningWritesNothing) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000), "SD");
    StartService();
    m_service->RefuseOpening();
    const std::string before = Head(Image());
    test::TraceCapture trace;
    const SdFormatOutcome outcome = Format(m_disk, SdFormatRoute::Raw);
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_FALSE(outcome.formatted);
    EXPECT_NE(outcome.message.find("not authorised"), std::string::npos) << outcome.message;
    EXPECT_NE(trace.All().find("Failed to open device"), std::string::npos) << trace.All();
    EXPECT_TRUE(Head(Image()) == before) << "the card must be untouched";
    EXPECT_TRUE(StagingIsEmpty());
}

TEST_F(SdCardDiskService, NoServiceOnTheBusIsAClearFailure) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000), "SD");
    const std::string before = Head(Image());
    const SdFormatOutcome outcome = Format(m_disk, SdFormatRoute::Raw);
    EXPECT_NE(outcome.status, Status::Done);
    EXPECT_NE(outcome.message.find("udisks2"), std::string::npos) << outcome.message;
    EXPECT_TRUE(Head(Image()) == before);
}

TEST(SdDeviceAccess, DirectUnlessABlockDeviceTheUserMayNotWrite) {
    SdTarget image;
    image.path = "/nonexistent/card.img";
    EXPECT_FALSE(UsesDiskService(SdDeviceAccess::Auto, image));
    EXPECT_FALSE(UsesDiskService(SdDeviceAccess::DiskService, image)) << "an image is a file";
    SdTarget device;
    device.path = "/nonexistent/sdz";
    device.blockDevice = true;
    EXPECT_FALSE(UsesDiskService(SdDeviceAccess::Direct, device));
    EXPECT_TRUE(UsesDiskService(SdDeviceAccess::DiskService, device));
    EXPECT_EQ(UsesDiskService(SdDeviceAccess::Auto, device), ::geteuid() != 0);
}

TEST(StagedCard, SystemAreaEndsAfterTheRootCluster) {
    test::TempFolder tmp;
    const std::string image = tmp.Folder() + "card.img";
    ASSERT_TRUE(test::MakeSparseImage(image, 8000 * kMiB));
    RawGeometry geometry;
    geometry.lengthBytes = 8000 * kMiB;
    Fat32Layout layout;
    const int fd = ::open(image.c_str(), O_RDWR);
    ASSERT_TRUE(WriteFat32(fd, geometry, 0x12345678, kSdVolumeLabel, &layout));
    ::close(fd);
    std::uint8_t boot[512];
    const std::vector<std::uint8_t> sector = test::ReadSector(image, 0);
    std::copy(sector.begin(), sector.end(), boot);
    EXPECT_EQ(Fat32SystemAreaBytes(boot, geometry.lengthBytes),
              std::uint64_t{layout.FirstDataSector()} * 512 + kSdClusterBytes);
    EXPECT_EQ(Fat32SystemAreaBytes(boot, 1 * kMiB), 0u) << "an area past the volume";
    boot[510] = 0;
    EXPECT_EQ(Fat32SystemAreaBytes(boot, geometry.lengthBytes), 0u) << "no boot signature";
    std::string error;
    EXPECT_FALSE(CopyStagedCard(tmp.Folder() + "missing.img", fd, &error));
}

TEST(StagedCard, CopiesTheWholeSystemAreaAndOnlyTheDataBeyond) {
    test::TempFolder tmp;
    RawGeometry geometry;
    geometry.lengthBytes = 8000 * kMiB;
    // A staged image whose FATs are holes (nothing wrote their zeros) and one data stretch.
    const std::string formatted = tmp.Folder() + "formatted.img";
    ASSERT_TRUE(test::MakeSparseImage(formatted, geometry.lengthBytes));
    int fd = ::open(formatted.c_str(), O_RDWR);
    ASSERT_TRUE(WriteFat32(fd, geometry, 1, kSdVolumeLabel));
    ::close(fd);
    const std::vector<std::uint8_t> boot = test::ReadSector(formatted, 0);
    const std::string staged = tmp.Folder() + "staged.img";
    ASSERT_TRUE(test::MakeSparseImage(staged, geometry.lengthBytes));
    const std::string data(4096, 'D');
    const off_t dataAt = 20 * kMiB;
    fd = ::open(staged.c_str(), O_RDWR);
    ASSERT_EQ(::pwrite(fd, boot.data(), boot.size(), 0), 512);
    ASSERT_EQ(::pwrite(fd, data.data(), data.size(), dataAt), 4096);
    ::close(fd);
    std::uint8_t sector[512];
    std::copy(boot.begin(), boot.end(), sector);
    const std::uint64_t systemArea = Fat32SystemAreaBytes(sector, geometry.lengthBytes);
    ASSERT_GT(systemArea, 512u);
    ASSERT_LT(systemArea, static_cast<std::uint64_t>(dataAt));

    const std::string card = tmp.Folder() + "card.img";
    ASSERT_TRUE(test::MakeSparseImage(card, geometry.lengthBytes));
    FillWithJunk(card);
    const std::string junk = Head(card);
    fd = ::open(card.c_str(), O_RDWR);
    std::string error;
    EXPECT_TRUE(CopyStagedCard(staged, fd, &error)) << error;
    ::close(fd);
    const std::string after = Head(card);
    EXPECT_EQ(after.substr(512, systemArea - 512), std::string(systemArea - 512, '\0'))
        << "old FAT entries must not survive";
    EXPECT_EQ(after.substr(static_cast<std::size_t>(dataAt), data.size()), data);
    EXPECT_TRUE(after.substr(systemArea, 1 * kMiB) == junk.substr(systemArea, 1 * kMiB))
        << "unused clusters are not written";
}

}  // namespace
}  // namespace vantrel
