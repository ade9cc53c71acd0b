// SPDX-License-Identifier: GPL-3.0-or-later
// The totals of one decoded file (count, sum, largest sample and its time, longest run) and
// its last sample with the ten-minute standstill rule.
#include <gtest/gtest.h>

#include "DataTestSupport.h"
#include "core/data/FileTotals.h"
#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

void SetSample(stFileInfo& info, int h, int m, int k, std::uint16_t value) {
    std::uint8_t* p = info.data() + stFileInfo::MinuteRecordOffset(h, m) + 14 + 2 * k;
    le::PutU16(p, value);
}

// Sets `count` consecutive half-seconds from h:m:k on.
void SetRun(stFileInfo& info, int h, int m, int k, int count, std::uint16_t value) {
    std::size_t index = DaySampleIndex(h, m, k);
    for (int i = 0; i < count; ++i, ++index) {
        const int minuteOfDay = static_cast<int>(index / 120);
        SetSample(info, minuteOfDay / 60, minuteOfDay % 60, static_cast<int>(index % 120), value);
    }
}

const SystemTime kDate{2015, 3, 4, 12, 0, 0, 0, 0};

TEST(ScanFileTotals, EmptyFileHasNoTotals) {
    const FileTotals t = ScanFileTotals(stFileInfo(), kDate);
    EXPECT_EQ(t.count, 0u);
    EXPECT_EQ(t.sum, 0u);
    EXPECT_EQ(t.largest, 0);
    EXPECT_TRUE(t.largestTime.IsZero());
    EXPECT_EQ(t.longestRun, 0u);
}

TEST(ScanFileTotals, OneHourOfSeventyTwoKmh) {
    stFileInfo info;
    SetRun(info, 14, 0, 0, 7200, 1000);
    const FileTotals t = ScanFileTotals(info, kDate);
    EXPECT_EQ(t.sum, 7'200'000u);
    EXPECT_EQ(t.count, 7200u);
    EXPECT_EQ(t.longestRun, 7200u);
    EXPECT_EQ(t.largest, 1000);
    EXPECT_EQ(t.largestTime, (SystemTime{2015, 3, 4, 12, 14, 0, 0, 0}));
}

TEST(ScanFileTotals, LargestKeepsTheFirstTimeAndItsHalfSecond) {
    stFileInfo info;
    SetSample(info, 10, 15, 61, 900);  // 10:15:30.5
    SetSample(info, 12, 0, 0, 900);    // as large, later: not taken
    SetSample(info, 9, 0, 0, 899);
    SetSample(info, 23, 59, 119, 0);
    const FileTotals t = ScanFileTotals(info, kDate);
    EXPECT_EQ(t.largest, 900);
    EXPECT_EQ(t.largestTime, (SystemTime{2015, 3, 4, 12, 10, 15, 30, 500}));
    EXPECT_EQ(t.count, 4u);
    EXPECT_EQ(t.sum, 2699u);

    stFileInfo last;
    SetSample(last, 23, 59, 119, 5);
    EXPECT_EQ(ScanFileTotals(last, kDate).largestTime,
              (SystemTime{2015, 3, 4, 12, 23, 59, 59, 500}));
}

TEST(ScanFileTotals, RunsCrossHoursAndEndAtAGap) {
    stFileInfo info;
    SetRun(info, 10, 59, 100, 50, 0);  // 10:59:50 to 11:00:14.5, zeros included
    SetRun(info, 12, 0, 0, 40, 7);
    SetSample(info, 12, 0, 20, kNoSample);
    const FileTotals t = ScanFileTotals(info, kDate);
    EXPECT_EQ(t.longestRun, 50u);
    EXPECT_EQ(t.count, 89u);
    // The run at the very end of the day counts too.
    stFileInfo tail;
    SetRun(tail, 23, 0, 0, 60 * 120, 1);
    SetRun(tail, 1, 0, 0, 10, 1);
    EXPECT_EQ(ScanFileTotals(tail, kDate).longestRun, 7200u);
}

TEST(ScanFileTotals, SumWrapsAtThirtyTwoBits) {
    stFileInfo info;
    SetRun(info, 0, 0, 0, 70'000, 65'534);
    const FileTotals t = ScanFileTotals(info, kDate);
    EXPECT_EQ(t.sum, static_cast<std::uint32_t>(70'000ull * 65'534ull));
}

struct StandstillCase {
    const char* name;
    int driving;     // samples of 300 first
    int zeros;       // then zero samples
    bool gapInside;  // a gap of 0xFFFF between the zeros
    bool expected;
};

class FindLastSampleStandstill : public ::testing::TestWithParam<StandstillCase> {};

TEST_P(FindLastSampleStandstill, CountsTheTrailingZeros) {
    const StandstillCase& c = GetParam();
    stFileInfo info;
    SetRun(info, 8, 0, 0, c.driving, 300);
    std::size_t at = DaySampleIndex(8, 0, 0) + static_cast<std::size_t>(c.driving);
    if (c.gapInside) {
        at += 500;  // half-seconds without samples are skipped, not counted
    }
    const int half = c.zeros / 2;
    for (int i = 0; i < c.zeros; ++i) {
        const std::size_t index =
            at + static_cast<std::size_t>(i) + (c.gapInside && i >= half ? 500u : 0u);
        const int minuteOfDay = static_cast<int>(index / 120);
        SetSample(info, minuteOfDay / 60, minuteOfDay % 60, static_cast<int>(index % 120), 0);
    }
    EXPECT_EQ(FindLastSample(info).standstill, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindLastSampleStandstill,
                         ::testing::Values(StandstillCase{"TenMinutes", 100, 1200, false, true},
                                           StandstillCase{"OneShort", 100, 1199, false, false},
                                           StandstillCase{"WithGap", 100, 1200, true, true},
                                           StandstillCase{"NoZeros", 100, 0, false, false},
                                           StandstillCase{"OnlyZeros", 0, 3000, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindLastSample, TimeOfTheLastSampleOnTheStartDate) {
    stFileInfo info;
    info.SetStartTime(test::Time32(2015, 3, 12, 9, 0, 0));
    SetSample(info, 9, 30, 0, 100);
    SetSample(info, 10, 15, 61, 0);  // 10:15:30.5, the last one
    const LastSample last = FindLastSample(info);
    EXPECT_TRUE(last.found);
    EXPECT_EQ(last.time.wYear, 2015);
    EXPECT_EQ(last.time.wMonth, 3);
    EXPECT_EQ(last.time.wDay, 12);
    EXPECT_EQ(last.time.wHour, 10);
    EXPECT_EQ(last.time.wMinute, 15);
    EXPECT_EQ(last.time.wSecond, 30);
    EXPECT_EQ(last.time.wMilliseconds, 0);

    const LastSample none = FindLastSample(stFileInfo());
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.time.IsZero());
    EXPECT_FALSE(none.standstill);
}

}  // namespace
}  // namespace vantrel
