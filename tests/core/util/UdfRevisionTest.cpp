// SPDX-License-Identifier: GPL-3.0-or-later
// The UDF revision reader on built medium images: the revisions as recorded, other sector
// sizes, the newest of several logical volume descriptors, the reserve sequence, and media
// that are damaged, foreign or missing.
#include <gtest/gtest.h>

#include "core/util/UdfRevision.h"
#include "tests/core/util/UdfImage.h"
#include "tests/core/util/UtilTestFolder.h"

namespace vantrel {
namespace {

using test::UdfImage;
using test::UtilTestFolder;

int Revision(const UdfImage& image) {
    UtilTestFolder tmp;
    image.Save(tmp.Path() / "medium.img");
    return ReadUdfRevision(tmp.Path() / "medium.img");
}

TEST(UdfRevision, ReadsTheRevisionAsRecorded) {
    EXPECT_EQ(Revision(UdfImage(2048, 0x0250)), 0x0250);
    EXPECT_EQ(Revision(UdfImage(2048, 0x0102)), 0x0102);
    EXPECT_EQ(Revision(UdfImage(512, 0x0201)), 0x0201);
    EXPECT_EQ(Revision(UdfImage(4096, 0x0260)), 0x0260);
}

TEST(UdfRevision, TheHighestSequenceNumberWins) {
    UdfImage image(2048, 0x0150);
    image.WriteLogicalVolume(UdfImage::kMainSequence + 1, 0x0201, 2);
    image.WriteTag(UdfImage::kMainSequence + 2, 8);
    image.Seal(UdfImage::kMainSequence + 2);
    EXPECT_EQ(Revision(image), 0x0201);
}

TEST(UdfRevision, FallsBackToTheReserveSequence) {
    UdfImage image(2048, 0x0250);
    image.At(UdfImage::kMainSequence)[4] ^= 0xFF;  // main descriptor's checksum broken
    EXPECT_EQ(Revision(image), 0x0250);
    image.At(UdfImage::kReserveSequence)[4] ^= 0xFF;
    EXPECT_EQ(Revision(image), -1);
}

TEST(UdfRevision, RejectsDamagedForeignAndMissingMedia) {
    UdfImage badAnchor;
    badAnchor.At(256)[4] ^= 0x01;
    EXPECT_EQ(Revision(badAnchor), -1);

    UdfImage misplaced;  // an anchor that names another sector is a stale copy
    misplaced.At(256)[12] = 7;
    misplaced.Seal(256);
    EXPECT_EQ(Revision(misplaced), -1);

    UdfImage foreign;  // plain ECMA-167 without the UDF domain
    for (const std::uint32_t sector : {UdfImage::kMainSequence, UdfImage::kReserveSequence}) {
        foreign.WriteLogicalVolume(sector, 0x0250, 1, "*Other Domain");
    }
    EXPECT_EQ(Revision(foreign), -1);

    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / "short.img", std::string(4096, '\0'));
    EXPECT_EQ(ReadUdfRevision(tmp.Path() / "short.img"), -1);
    EXPECT_EQ(ReadUdfRevision(tmp.Path() / "missing.img"), -1);
    EXPECT_EQ(ReadUdfRevision(tmp.Path()), -1);  // a folder
}

}  // namespace
}  // namespace vantrel
