// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT32 writer: its layout (the FAT holds every cluster, for every size, the exact 16,
// 32 and 64 GiB cards included), the serial number, every field of the boot, FSInfo, FAT and
// root sectors on sparse images that fsck.fat must find clean, and the failures it traces.
#include "core/sdcard/Fat32Writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "tests/core/sdcard/SdImage.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::kMiB;

// The estimate alone: 4 x (total - 32) / (64 x bytes per sector + 8) + 1.
std::uint64_t EstimatedFat(std::uint64_t total, std::uint64_t bps) {
    return 4 * (total - 32) / (64 * bps + 8) + 1;
}

TEST(Fat32Layout, FatHoldsEveryClusterAndIsTheSmallestThatDoes) {
    const struct {
        std::uint64_t bytes;
        std::uint32_t bps;
        bool estimateShort;  // the estimate alone leaves the FAT a sector short
    } cases[] = {
        {16 * 1024 * kMiB, 512, true},       {32 * 1024 * kMiB, 512, true},
        {64 * 1024 * kMiB, 512, true},       {56301 * kMiB, 512, false},
        {3000 * kMiB, 512, false},           {64 * 1024 * kMiB, 4096, false},
        {1953525168ull * 512, 512, false},  // a "1 TB" card
        {(0xFFFFFFFEull) * 512, 512, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes, " + std::to_string(c.bps));
        RawGeometry geometry;
        geometry.bytesPerSector = c.bps;
        geometry.lengthBytes = c.bytes;
        const std::optional<Fat32Layout> layout = ComputeFat32Layout(geometry);
        ASSERT_TRUE(layout);
        const std::uint64_t total = c.bytes / c.bps;
        EXPECT_EQ(layout->totalSectors, total);
        EXPECT_EQ(layout->clusterCount, (total - 32 - 2ull * layout->fatSectors) / 64);
        EXPECT_GE(std::uint64_t{layout->fatSectors} * c.bps / 4,
                  std::uint64_t{layout->clusterCount} + 2);
        // One sector less would not hold the clusters of its own layout.
        const std::uint64_t smaller = layout->fatSectors - 1;
        EXPECT_LT(smaller * c.bps / 4, (total - 32 - 2 * smaller) / 64 + 2);
        const std::uint64_t estimate = EstimatedFat(total, c.bps);
        EXPECT_EQ(estimate < layout->fatSectors, c.estimateShort) << estimate;
    }
}

TEST(Fat32Layout, RefusesWhatFat32CannotHold) {
    const struct {
        std::uint64_t bytes;
        int line;
    } cases[] = {
        {65535ull * 512, 817},       // fewer than 65,536 sectors
        {0xFFFFFFFFull * 512, 829},  // 2 TiB and more
        {1024 * kMiB, 948},          // 32,000-odd clusters of 32 KiB
    };
    for (const auto& c : cases) {
        test::TraceCapture trace;
        RawGeometry geometry;
        geometry.lengthBytes = c.bytes;
        EXPECT_FALSE(ComputeFat32Layout(geometry));
        EXPECT_NE(trace.All().find(std::to_string(c.line) + " line in DlgFormatSD.cpp"),
                  std::string::npos)
            << trace.All();
    }
}

TEST(Fat32Serial, FromTheLocalTime) {
    std::tm t{};
    t.tm_year = 2016 - 1900;
    t.tm_mon = 2;  // March
    t.tm_mday = 15;
    t.tm_hour = 8;
    t.tm_min = 12;
    t.tm_sec = 30;
    // low = 15 + 3*256 + 456/10 + 30*256 = 8508; high = 12 + 8*256 + 2016 = 4076
    EXPECT_EQ(VolumeSerialFromTime(t, 456), 4076u * 65536 + 8508);
}

class Fat32Image : public ::testing::Test {
protected:
    std::string Image() const { return m_tmp.Folder() + "card.img"; }
    test::TempFolder m_tmp;
};

TEST_F(Fat32Image, WritesTheSystemAreaThatFsckFindsClean) {
    const std::uint64_t sizes[] = {56301 * kMiB, 16 * 1024 * kMiB, 32 * 1024 * kMiB,
                                   64 * 1024 * kMiB};
    for (const std::uint64_t bytes : sizes) {
        SCOPED_TRACE(bytes / kMiB);
        ASSERT_TRUE(test::MakeSparseImage(Image(), bytes));
        RawGeometry geometry;
        geometry.lengthBytes = bytes;
        Fat32Layout layout;
        const int fd = ::open(Image().c_str(), O_RDWR);
        ASSERT_TRUE(WriteFat32(fd, geometry, 0x12345678, "avfile3", &layout));
        ::close(fd);
        const ProcessResult fsck = test::Fsck(Image());
        EXPECT_EQ(fsck.exitCode, 0) << fsck.output;

        const std::vector<std::uint8_t> boot = test::ReadSector(Image(), 0);
        ASSERT_EQ(boot.size(), 512u);
        EXPECT_EQ(test::Text(boot, 0, 3), "\xEB\x58\x90");
        EXPECT_EQ(test::Text(boot, 3, 8), "MSWIN4.1");
        EXPECT_EQ(test::Le16(boot, 11), 512u);
        EXPECT_EQ(boot[13], 64);
        EXPECT_EQ(test::Le16(boot, 14), 32u);
        EXPECT_EQ(boot[16], 2);
        EXPECT_EQ(test::Le16(boot, 17), 0u);
        EXPECT_EQ(test::Le16(boot, 19), 0u);
        EXPECT_EQ(boot[21], 0xF8);
        EXPECT_EQ(test::Le16(boot, 22), 0u);
        EXPECT_EQ(test::Le16(boot, 24), 63u);
        EXPECT_EQ(test::Le16(boot, 26), 255u);
        EXPECT_EQ(test::Le32(boot, 28), 0u);
        EXPECT_EQ(test::Le32(boot, 32), bytes / 512);
        EXPECT_EQ(test::Le32(boot, 36), layout.fatSectors);
        EXPECT_EQ(test::Le32(boot, 44), 2u);
        EXPECT_EQ(test::Le16(boot, 48), 1u);
        EXPECT_EQ(test::Le16(boot, 50), 6u);
        EXPECT_EQ(boot[64], 0x80);
        EXPECT_EQ(boot[66], 0x29);
        EXPECT_EQ(test::Le32(boot, 67), 0x12345678u);
        EXPECT_EQ(test::Text(boot, 71, 11), "AVFILE3    ");
        EXPECT_EQ(test::Text(boot, 82, 8), "FAT32   ");
        EXPECT_EQ(test::Le16(boot, 510), 0xAA55u);
        EXPECT_EQ(test::ReadSector(Image(), 6), boot);

        const std::vector<std::uint8_t> info = test::ReadSector(Image(), 1);
        EXPECT_EQ(test::Le32(info, 0), 0x41615252u);
        EXPECT_EQ(test::Le32(info, 484), 0x61417272u);
        EXPECT_EQ(test::Le32(info, 488), layout.clusterCount - 1);
        EXPECT_EQ(test::Le32(info, 492), 3u);
        EXPECT_EQ(test::Le32(info, 508), 0xAA550000u);
        EXPECT_EQ(test::ReadSector(Image(), 7), info);

        for (const std::uint64_t fatStart : {32ull, 32ull + layout.fatSectors}) {
            const std::vector<std::uint8_t> fat = test::ReadSector(Image(), fatStart);
            EXPECT_EQ(test::Le32(fat, 0), 0x0FFFFFF8u);
            EXPECT_EQ(test::Le32(fat, 4), 0x0FFFFFFFu);
            EXPECT_EQ(test::Le32(fat, 8), 0x0FFFFFFFu);
            EXPECT_EQ(test::Le32(fat, 12), 0u);
        }
        const std::vector<std::uint8_t> root = test::ReadSector(Image(), layout.FirstDataSector());
        EXPECT_EQ(test::Text(root, 0, 11), "AVFILE3    ");
        EXPECT_EQ(root[11], 0x08);
        const ProcessResult dir = test::Mtools("mdir", Image(), "::/");
        EXPECT_NE(dir.output.find("Volume in drive : is AVFILE3"), std::string::npos) << dir.output;
        EXPECT_NE(dir.output.find("Volume Serial Number is 1234-5678"), std::string::npos);
    }
}

TEST_F(Fat32Image, LongSectorsCarryTheSignatureInTheirLastBytesToo) {
    const std::uint64_t bytes = 64 * 1024 * kMiB;
    ASSERT_TRUE(test::MakeSparseImage(Image(), bytes));
    RawGeometry geometry;
    geometry.bytesPerSector = 4096;
    geometry.lengthBytes = bytes;
    const int fd = ::open(Image().c_str(), O_RDWR);
    ASSERT_TRUE(WriteFat32(fd, geometry, 1, "AVFILE3"));
    ::close(fd);
    const std::vector<std::uint8_t> boot = test::ReadSector(Image(), 0, 4096);
    EXPECT_EQ(test::Le16(boot, 11), 4096u);
    EXPECT_EQ(test::Le16(boot, 510), 0xAA55u);
    EXPECT_EQ(test::Le16(boot, 4094), 0xAA55u);
    const ProcessResult fsck = test::Fsck(Image());
    EXPECT_EQ(fsck.exitCode, 0) << fsck.output;
}

TEST_F(Fat32Image, AFailingWriteIsTracedAndReported) {
    ASSERT_TRUE(test::MakeSparseImage(Image(), 3000 * kMiB));
    RawGeometry geometry;
    geometry.lengthBytes = 3000 * kMiB;
    {
        // A descriptor open for reading only: the very first write fails.
        test::TraceCapture trace;
        const int fd = ::open(Image().c_str(), O_RDONLY);
        EXPECT_FALSE(WriteFat32(fd, geometry, 1, "AVFILE3"));
        ::close(fd);
        EXPECT_NE(trace.All().find("615 line in DlgFormatSD.cpp: Failed to write"),
                  std::string::npos)
            << trace.All();
    }
    {
        // No descriptor at all: the open failed.
        test::TraceCapture trace;
        EXPECT_FALSE(WriteFat32(-1, geometry, 1, "AVFILE3"));
        EXPECT_NE(trace.All().find("726 line in DlgFormatSD.cpp: Failed to open device"),
                  std::string::npos);
    }
    {
        // A file size limit below the system area: a write stops half-way.
        test::TraceCapture trace;
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = 64 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const int fd = ::open(Image().c_str(), O_RDWR);
        const bool written = WriteFat32(fd, geometry, 1, "AVFILE3");
        ::close(fd);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(written);
        EXPECT_NE(trace.All().find("615 line in DlgFormatSD.cpp: Failed to write"),
                  std::string::npos)
            << trace.All();
    }
}

}  // namespace
}  // namespace vantrel
