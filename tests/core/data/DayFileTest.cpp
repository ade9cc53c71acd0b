// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a day sample file for the views: the samples, the cumulative distance (modulo 2^32,
// flat across gaps), the times of the first and last sample, short and long files.
#include <gtest/gtest.h>

#include <algorithm>

#include "ConvertTestSupport.h"
#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

using test::DayImage;
using test::Seconds;

class LoadDayFile : public test::ConvertFixture {
protected:
    std::string Path(const std::string& date = "20150312") const {
        return m_output + "20150312080102_VQ0A1B2C_" + date + ".cda";
    }
};

TEST_F(LoadDayFile, SamplesDistanceAndTimes) {
    DayImage image;
    image.Set(10, 0, 1, 100);  // 10:00:00.5
    image.Set(10, 0, 2, 0);
    image.Set(10, 0, 5, 50);
    image.Set(23, 59, 119, 7);  // 23:59:59.5
    test::WriteBytes(Path(), image.Bytes());
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_EQ(m_converter.m_daySamples[DaySampleIndex(10, 0, 1)], 100);
    EXPECT_EQ(m_converter.m_daySamples[DaySampleIndex(10, 0, 3)], kNoSample);
    EXPECT_EQ(m_converter.m_dayDistance[DaySampleIndex(10, 0, 0)], 0u);
    EXPECT_EQ(m_converter.m_dayDistance[DaySampleIndex(10, 0, 1)], 100u);
    EXPECT_EQ(m_converter.m_dayDistance[DaySampleIndex(10, 0, 4)], 100u);  // a gap keeps it
    EXPECT_EQ(m_converter.m_dayDistance[DaySampleIndex(10, 0, 5)], 150u);
    EXPECT_EQ(m_converter.m_dayDistance.back(), 157u);
    // Whole seconds: the half-second is not part of the times.
    EXPECT_EQ(m_converter.m_nFirstSampleMs, Seconds(2015, 3, 12, 10, 0, 0) * 1000);
    EXPECT_EQ(m_converter.m_nLastSampleMs, Seconds(2015, 3, 12, 23, 59, 59) * 1000);
}

TEST_F(LoadDayFile, EmptyDay) {
    test::WriteBytes(Path(), DayImage().Bytes());
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_TRUE(std::all_of(m_converter.m_dayDistance.begin(), m_converter.m_dayDistance.end(),
                            [](std::uint32_t d) { return d == 0; }));
    EXPECT_EQ(m_converter.m_nFirstSampleMs, 0);
    EXPECT_EQ(m_converter.m_nLastSampleMs, Seconds(2015, 3, 12) * 1000);
}

TEST_F(LoadDayFile, DistanceWrapsAtThirtyTwoBits) {
    std::vector<std::uint8_t> full(345'600);
    for (std::size_t i = 0; i < full.size(); i += 2) {
        full[i] = 0xFE;  // 0xFFFE in every half-second
        full[i + 1] = 0xFF;
    }
    test::WriteBytes(Path(), full);
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_EQ(m_converter.m_dayDistance.back(), static_cast<std::uint32_t>(172'800ull * 0xFFFEull));
}

TEST_F(LoadDayFile, ShortAndLongFiles) {
    // 3 bytes: one sample and the low byte of the next, read over 0xFF.
    test::WriteBytes(Path(), {0x10, 0x00, 0x20});
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_EQ(m_converter.m_daySamples[0], 0x0010);
    EXPECT_EQ(m_converter.m_daySamples[1], 0xFF20);
    EXPECT_EQ(m_converter.m_daySamples[2], kNoSample);
    EXPECT_EQ(m_converter.m_dayDistance.back(), 0x10u + 0xFF20u);

    // Only one day image is read from a longer file.
    std::vector<std::uint8_t> longer = DayImage().Bytes();
    longer.resize(345'600 + 1000, 0x01);
    test::WriteBytes(Path(), longer);
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_EQ(m_converter.m_dayDistance.back(), 0u);
}

TEST_F(LoadDayFile, MissingFileChangesNothing) {
    DayImage image;
    image.Set(1, 2, 3, 44);
    test::WriteBytes(Path(), image.Bytes());
    ASSERT_TRUE(m_converter.LoadDayFile(Path()));
    EXPECT_FALSE(m_converter.LoadDayFile(Path("20150313")));
    EXPECT_EQ(m_converter.m_daySamples[DaySampleIndex(1, 2, 3)], 44);
    EXPECT_EQ(m_converter.m_nFirstSampleMs, Seconds(2015, 3, 12, 1, 2, 1) * 1000);
}

TEST_F(LoadDayFile, DayWithoutDateCountsFromZero) {
    DayImage image;
    image.Set(0, 1, 0, 5);
    test::WriteBytes(Path("00000000"), image.Bytes());
    ASSERT_TRUE(m_converter.LoadDayFile(Path("00000000")));
    EXPECT_EQ(m_converter.m_nFirstSampleMs, 60'000);
    EXPECT_EQ(m_converter.m_nLastSampleMs, 60'000);
}

}  // namespace
}  // namespace vantrel
