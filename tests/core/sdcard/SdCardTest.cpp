// SPDX-License-Identifier: GPL-3.0-or-later
// The whole initialisation on sparse image files: the route by size at every boundary, the
// file system mkfs.fat or the FAT32 writer made (FAT32, 64 sectors of 512 bytes per cluster,
// AVFILE3, clean for fsck.fat), the folders and driverid.ini read back with mtools, and the
// refusals that must leave the card untouched. Block devices are played by fixture trees of
// the drive layer and a device node without a device behind it.
#include "core/sdcard/SdCard.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <csignal>

#include "tests/core/sdcard/SdImage.h"
#include "tests/core/util/DriveFixture.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::kMiB;
using Status = SdFormatOutcome::Status;

TEST(SdFormatRoute, ChosenBySize) {
    const struct {
        std::uint64_t mib;
        SdFormatRoute route;
    } cases[] = {
        {3000, SdFormatRoute::Command}, {7000, SdFormatRoute::Command},
        {7001, SdFormatRoute::Command}, {56300, SdFormatRoute::Command},
        {56301, SdFormatRoute::Raw},    {65536, SdFormatRoute::Raw},
        {2000000, SdFormatRoute::Raw},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseSdFormatRoute(c.mib), c.route) << c.mib;
    }
}

TEST(SdFormatCommand, Fat32With32KiBClustersForEverySize) {
    SdTarget target;
    target.path = "/tmp/card.img";
    for (const std::uint64_t mib : {3000ull, 7000ull, 7001ull, 56300ull}) {
        target.geometry.lengthBytes = mib * kMiB;
        const std::vector<std::string> args = FormatCommandArguments(target, 0xABCD0123);
        const std::vector<std::string> expected{
            "mkfs.fat", "-F",       "32", "-S",     "512", "-s", "64",      "-n", "AVFILE3",
            "-i",       "ABCD0123", "-g", "255/63", "-h",  "0",  "--mbr=n", "-I", "/tmp/card.img"};
        EXPECT_EQ(args, expected);
    }
}

class SdCardImage : public ::testing::Test {
protected:
    std::string Image() const { return m_tmp.Folder() + "card.img"; }
    SdFormatOutcome Format(const std::string& driver,
                           std::optional<SdFormatRoute> route = std::nullopt) {
        SdFormatRequest request;
        request.target = Image();
        request.driverText = driver;
        request.route = route;
        request.confirm = [this](const SdTarget& target, SdFormatRoute) {
            m_asked = target.path;
            return true;
        };
        return FormatSdCard(request);
    }
    std::string m_asked;
    test::TempFolder m_tmp;
};

TEST_F(SdCardImage, FormatsAndPreparesAtEveryRouteBoundary) {
    const struct {
        std::uint64_t mib;
        SdFormatRoute route;
        const char* driver;
    } cases[] = {
        {3000, SdFormatRoute::Command, "홍길동 D-01"},
        {7000, SdFormatRoute::Command, "D7000"},
        {7001, SdFormatRoute::Command, ""},
        {16384, SdFormatRoute::Command, "16"},
        {56300, SdFormatRoute::Command, "56300"},
        {56301, SdFormatRoute::Raw, "56301"},
        {32768, SdFormatRoute::Raw, "forced raw"},  // a forced route below the boundary
        {65536, SdFormatRoute::Raw, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mib);
        ASSERT_TRUE(test::MakeSparseImage(Image(), c.mib * kMiB));
        const bool forced = c.mib == 32768;
        const SdFormatOutcome outcome =
            Format(c.driver, forced ? std::optional<SdFormatRoute>(c.route) : std::nullopt);
        ASSERT_EQ(outcome.status, Status::Done) << outcome.message;
        EXPECT_EQ(outcome.route, c.route);
        EXPECT_EQ(outcome.sizeMiB, c.mib);
        EXPECT_TRUE(outcome.prepared);
        EXPECT_EQ(m_asked, Image());

        const ProcessResult fsck = test::Fsck(Image());
        EXPECT_EQ(fsck.exitCode, 0) << fsck.output;
        const std::vector<std::uint8_t> boot = test::ReadSector(Image(), 0);
        EXPECT_EQ(test::Le16(boot, 11), 512u);
        EXPECT_EQ(boot[13], 64);  // 32 KiB clusters
        EXPECT_EQ(test::Text(boot, 82, 8), "FAT32   ");
        EXPECT_EQ(test::Text(boot, 71, 11), "AVFILE3    ");
        EXPECT_EQ(test::Le16(boot, 24), 63u);
        EXPECT_EQ(test::Le16(boot, 26), 255u);
        EXPECT_EQ(test::Le32(boot, 28), 0u);

        const ProcessResult root = test::Mtools("mdir", Image(), "::/");
        EXPECT_NE(root.output.find("Volume in drive : is AVFILE3"), std::string::npos)
            << root.output;
        std::size_t at = 0;
        for (const char* folder : {"media ", "driving ", "log ", "dvr_config"}) {
            const std::size_t found = root.output.find(folder, at);
            EXPECT_NE(found, std::string::npos) << folder << "\n" << root.output;
            at = found == std::string::npos ? at : found;
        }
        const ProcessResult driver = test::Mtools("mtype", Image(), "::/dvr_config/driverid.ini");
        if (*c.driver != '\0') {
            EXPECT_EQ(driver.exitCode, 0);
            EXPECT_EQ(driver.output, c.driver);  // no byte-order mark, no line end
        } else {
            EXPECT_NE(driver.exitCode, 0) << "no driverid.ini without a driver";
        }
    }
}

TEST_F(SdCardImage, PreparingAgainReplacesTheDriverFile) {
    ASSERT_TRUE(test::MakeSparseImage(Image(), 3000 * kMiB));
    ASSERT_EQ(Format("first driver name").status, Status::Done);
    std::string error;
    // The folders exist now: mmd fails, as on a card prepared before.
    EXPECT_FALSE(PrepareSdCard(Image(), "second", &error));
    const ProcessResult copy =
        RunProgram({"mcopy", "-o", "-i", Image(), "/dev/null", "::/dvr_config/driverid.ini"},
                   {"MTOOLS_SKIP_CHECK=1"});
    ASSERT_EQ(copy.exitCode, 0) << copy.output;
    EXPECT_EQ(test::Mtools("mtype", Image(), "::/dvr_config/driverid.ini").output, "");
}

TEST_F(SdCardImage, RefusalsLeaveTheImageUntouched) {
    const std::string marker = "recorder data that must survive";
    const struct {
        std::uint64_t bytes;
        std::optional<SdFormatRoute> route;
        Status status;
        const char* message;
    } cases[] = {
        {2999 * kMiB, std::nullopt, Status::Refused, "at least 3000 MiB"},
        {3000 * kMiB - 1, std::nullopt, Status::Refused, "at least 3000 MiB"},
        // 2 TiB is more than FAT32 with 512-byte sectors holds: the writer refuses before
        // it writes anything.
        {2048 * 1024 * kMiB, std::nullopt, Status::Failed, "could not be written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        test::TraceCapture trace;
        ASSERT_TRUE(test::MakeSparseImage(Image(), c.bytes));
        {
            const int fd = ::open(Image().c_str(), O_WRONLY);
            ASSERT_EQ(::pwrite(fd, marker.data(), marker.size(), 0),
                      static_cast<ssize_t>(marker.size()));
            ::close(fd);
        }
        const SdFormatOutcome outcome = Format("x", c.route);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_NE(outcome.message.find(c.message), std::string::npos) << outcome.message;
        const std::vector<std::uint8_t> first = test::ReadSector(Image(), 0);
        EXPECT_EQ(test::Text(first, 0, marker.size()), marker);
        if (c.status == Status::Failed) {
            EXPECT_NE(trace.All().find("829 line in DlgFormatSD.cpp"), std::string::npos)
                << trace.All();
        }
    }
}

// A file size limit below the system area makes every write past it fail, in this process
// and in mkfs.fat, which inherits the limit: both routes report the failure.
TEST_F(SdCardImage, AFailingWriteFailsBothRoutes) {
    for (const SdFormatRoute route : {SdFormatRoute::Command, SdFormatRoute::Raw}) {
        SCOPED_TRACE(SdFormatRouteName(route));
        ASSERT_TRUE(test::MakeSparseImage(Image(), 3000 * kMiB));
        test::TraceCapture trace;
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = 64 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const SdFormatOutcome outcome = Format("x", route);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_EQ(outcome.status, Status::Failed);
        EXPECT_FALSE(outcome.formatted);
        EXPECT_FALSE(outcome.prepared);
        if (route == SdFormatRoute::Command) {
            EXPECT_NE(outcome.message.find("mkfs.fat failed"), std::string::npos)
                << outcome.message;
        } else {
            EXPECT_NE(trace.All().find("615 line in DlgFormatSD.cpp: Failed to write"),
                      std::string::npos)
                << trace.All();
        }
    }
}

TEST_F(SdCardImage, DeclinedMeansNothingWritten) {
    ASSERT_TRUE(test::MakeSparseImage(Image(), 3000 * kMiB));
    SdFormatRequest request;
    request.target = Image();
    request.confirm = [](const SdTarget&, SdFormatRoute) { return false; };
    EXPECT_EQ(FormatSdCard(request).status, Status::Declined);
    const std::vector<std::uint8_t> first = test::ReadSector(Image(), 0);
    EXPECT_EQ(first, std::vector<std::uint8_t>(512, 0));
}

TEST_F(SdCardImage, NeitherDeviceNorFileIsRefused) {
    SdFormatRequest request;
    request.target = m_tmp.Folder();
    EXPECT_EQ(FormatSdCard(request).status, Status::Refused);
    request.target = m_tmp.Folder() + "missing.img";
    EXPECT_EQ(FormatSdCard(request).status, Status::Refused);
}

// A block device node of a number that no driver serves: the checks see it through the
// fixture's block folder, and opening it fails, so nothing real is ever written.
class SdCardDeviceNode : public ::testing::Test {
protected:
    void SetUp() override {
        m_node = m_tmp.Folder() + "sdz";
        if (::mknod(m_node.c_str(), S_IFBLK | 0600, makedev(240, 77)) != 0) {
            GTEST_SKIP() << "cannot make a device node here";
        }
        m_fixture.AddFixedRoot();
    }
    SdFormatOutcome Format(bool* asked) {
        SdFormatRequest request;
        request.target = m_node;
        request.roots = {m_fixture.MountInfo(), m_fixture.SysBlock()};
        request.confirm = [asked](const SdTarget&, SdFormatRoute) {
            *asked = true;
            return true;
        };
        return FormatSdCard(request);
    }
    std::string Sectors(std::uint64_t mib) const { return std::to_string(mib * 2048); }
    test::TempFolder m_tmp;
    test::DriveFixture m_fixture;
    std::string m_node;
};

TEST_F(SdCardDeviceNode, NotRemovableIsRefusedBeforeTheQuestion) {
    m_fixture.AddDisk("sdz", "240:77", false, Sectors(8000));
    bool asked = false;
    const SdFormatOutcome outcome = Format(&asked);
    EXPECT_EQ(outcome.status, Status::Refused);
    EXPECT_NE(outcome.message.find("not a removable drive"), std::string::npos);
    EXPECT_FALSE(asked);
}

TEST_F(SdCardDeviceNode, SmallCardIsRefused) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(2999));
    bool asked = false;
    const SdFormatOutcome outcome = Format(&asked);
    EXPECT_EQ(outcome.status, Status::Refused);
    EXPECT_EQ(outcome.sizeMiB, 2999u);
    EXPECT_FALSE(asked);
}

TEST_F(SdCardDeviceNode, SystemFolderOnAPartitionIsRefused) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000), "SD");
    m_fixture.AddPartition("sdz", "sdz1", "240:78", Sectors(7999));
    m_fixture.AddMount("/boot", "240:78", "vfat", "/dev/sdz1", false);
    bool asked = false;
    const SdFormatOutcome outcome = Format(&asked);
    EXPECT_EQ(outcome.status, Status::Refused);
    EXPECT_NE(outcome.message.find("system folder /boot"), std::string::npos) << outcome.message;
    EXPECT_FALSE(asked);
}

TEST_F(SdCardDeviceNode, AMountThatCannotBeUndoneIsRefused) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000));
    m_fixture.AddPartition("sdz", "sdz1", "240:78", Sectors(7999));
    // Listed in the fixture's mount table only: no unmount can remove it.
    m_fixture.AddMount(m_fixture.Place("media/CARD"), "240:78", "vfat", "/dev/sdz1");
    bool asked = false;
    const SdFormatOutcome outcome = Format(&asked);
    EXPECT_EQ(outcome.status, Status::Refused);
    EXPECT_NE(outcome.message.find("unmount"), std::string::npos) << outcome.message;
    EXPECT_TRUE(asked);
}

TEST_F(SdCardDeviceNode, AnUnopenableDeviceFailsWithTheOpenTrace) {
    m_fixture.AddDisk("sdz", "240:77", true, Sectors(8000), "SD");
    test::TraceCapture trace;
    bool asked = false;
    const SdFormatOutcome outcome = Format(&asked);
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_FALSE(outcome.formatted);
    EXPECT_EQ(outcome.sizeMiB, 8000u);
    EXPECT_NE(trace.All().find("726 line in DlgFormatSD.cpp: Failed to open device"),
              std::string::npos)
        << trace.All();
}

TEST(SdCardFolder, BlockDeviceOfAMountedFolder) {
    test::DriveFixture fixture;
    fixture.AddFixedRoot();
    fixture.AddDisk("sdb", "8:16", true);
    fixture.AddPartition("sdb", "sdb1", "8:17");
    fixture.AddMount(fixture.Place("media/CARD"), "8:17", "vfat", "/dev/sdb1");
    EXPECT_EQ(BlockDeviceOfFolder(fixture.Place("media/CARD").string(), fixture.Layer()),
              "/dev/sdb1");
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// An MBR whose first entry is the given type and start, the signature optional.
std::vector<std::uint8_t> Mbr(std::uint8_t type, std::uint32_t start, bool signature = true) {
    std::vector<std::uint8_t> mbr(512, 0);
    mbr[446 + 4] = type;
    for (int i = 0; i < 4; ++i) {
        mbr[446 + 8 + i] = static_cast<std::uint8_t>(start >> (8 * i));
    }
    mbr[446 + 12] = 0x10;  // some length, kept as it is
    if (signature) {
        mbr[510] = 0x55;
        mbr[511] = 0xAA;
    }
    return mbr;
}

TEST(SdCardPartitionType, PrimaryEntryBecomesFat32Lba) {
    const struct {
        std::vector<std::uint8_t> before;
        unsigned number;
        bool ok;
        std::uint8_t typeAfter;
    } cases[] = {
        {Mbr(0x07, 2048), 1, true, 0x0C},         // exFAT type of an SDXC card
        {Mbr(0x0C, 2048), 1, true, 0x0C},         // already right
        {Mbr(0x07, 4096), 1, false, 0x07},        // the entry is not our partition
        {Mbr(0xEE, 1), 1, true, 0xEE},            // GPT: no MBR types
        {Mbr(0x07, 2048, false), 1, true, 0x07},  // no partition table
        {Mbr(0x07, 2048), 5, true, 0x07},         // a logical partition
    };
    test::TempFolder tmp;
    const std::string disk = tmp.Folder() + "disk.img";
    for (const auto& c : cases) {
        test::TempFolder::Write(
            disk, std::string(c.before.begin(), c.before.end()) + std::string(4096, '\0'));
        std::string error;
        EXPECT_EQ(SetMbrPartitionType(disk, c.number, 2048, 0x0C, &error), c.ok) << error;
        std::vector<std::uint8_t> after = test::ReadSector(disk, 0);
        EXPECT_EQ(after[446 + 4], c.typeAfter);
        after[446 + 4] = c.before[446 + 4];
        EXPECT_EQ(after, c.before) << "only the type byte may change";
    }
}

}  // namespace
}  // namespace vantrel
