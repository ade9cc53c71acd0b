// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's building blocks: random numbers, calendar, UTF-16 names, the .dtc encoding
// of a hand-made file and the system.log encoding with its CRC-16/X-25.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/tools/datagen/DtcTestReader.h"
#include "tools/datagen/Calendar.h"
#include "tools/datagen/DtcFile.h"
#include "tools/datagen/Prng.h"
#include "tools/datagen/SystemLog.h"

namespace vantrel::datagen {
namespace {

using testing::ParseDtc;
using testing::U16;
using testing::U32;

TEST(Prng, SameSeedSameSequenceAndBoundsHold) {
    Prng a(42);
    Prng b(42);
    Prng c(43);
    bool differs = false;
    std::set<std::int64_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::uint64_t x = a.Next();
        EXPECT_EQ(x, b.Next());
        differs = differs || x != c.Next();
        const std::int64_t u = a.Uniform(-3, 3);
        b.Uniform(-3, 3);
        ASSERT_GE(u, -3);
        ASSERT_LE(u, 3);
        seen.insert(u);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(seen.size(), 7u);  // both ends are reached
    EXPECT_EQ(a.Uniform(5, 5), 5);
}

TEST(Calendar, KnownTimesAndValidityWindow) {
    const CivilTime t = ToValidCivil(1'426'155'330);
    EXPECT_EQ(FormatStamp(t), "20150312101530");
    EXPECT_EQ(FormatSlashed(t), "2015/03/12 10:15:30");
    EXPECT_TRUE(ToValidCivil(899'999'999).IsZero());
    EXPECT_EQ(FormatStamp(ToValidCivil(900'000'000)), "19980709160000");
    EXPECT_EQ(FormatStamp(ToCivil(86400 + 9 * 3600)), "19700102090000");
    EXPECT_EQ(FormatStampMs({2015, 3, 12, 10, 15, 30, 500}), "20150312101530.500");
    EXPECT_EQ(FormatStampMs({2015, 3, 12, 10, 15, 30, 0}), "20150312101530.0");
    for (std::int64_t days : {-1000LL, 0LL, 10'957LL, 16'506LL, 16'860LL, 47'482LL}) {
        EXPECT_EQ(DaysFromCivil(CivilFromDays(days)), days);
    }
    EXPECT_EQ(CivilFromDays(DaysFromCivil({2016, 2, 29}) + 1), (CivilDate{2016, 3, 1}));
}

TEST(Utf8ToUtf16, KoreanAstralAndMalformed) {
    EXPECT_EQ(Utf8ToUtf16("12가3456"), u"12가3456");
    EXPECT_EQ(Utf8ToUtf16("Díaz"), u"Díaz");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x9A\x9A"), u"\U0001F69A");  // one surrogate pair
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFD"
              "b");
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80"), u"\uFFFD\uFFFD");  // cut short at the end
}

TEST(DtcFile, HandMadeFileHasTheStatedLayout) {
    DtcFile f;
    f.header.fileStart = 0x55000001;
    f.header.recordStart = 0x55000000;
    f.header.zoneMinutes = -300;
    f.header.recordStamp = 0x54FFFFF0;
    f.header.deviceId = {0x0A, 0x1B, 0x2C};
    f.header.vehicleNo = "12가3456";
    f.header.driverName = std::string(40, 'x');  // longer than 31 characters
    DtcBlock th;
    th.tag = kTagHour;
    th.deviceTime = 0x55000001;
    DtcBlock tm;
    tm.deviceTime = 0x55000001;
    tm.samples.fill(kNoSample);
    tm.samples[119] = 900;
    f.blocks = {th, tm};
    const std::vector<std::uint8_t> bytes = f.Encode();
    ASSERT_EQ(bytes.size(), 36u + 220u + 2u * 256u);
    EXPECT_EQ(bytes.size(), f.EncodedSize());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<std::uint8_t>{0xAA, 0x00, 0xEF, 0xF5}));
    EXPECT_EQ(bytes[36], 0x54);
    EXPECT_EQ(bytes[37], 0x46);
    EXPECT_EQ(U16(bytes, 38 + 20), 0xFED4);  // -300
    EXPECT_EQ(bytes[38 + 77], 0x0A);
    EXPECT_EQ(bytes[38 + 79], 0x2C);
    EXPECT_EQ(U16(bytes, 256), kTagHour);
    EXPECT_EQ(U16(bytes, 512), kTagMinute);
    EXPECT_EQ(U32(bytes, 512 + 2 + 10), 0x55000001u);
    EXPECT_EQ(U16(bytes, 512 + 2 + 14 + 2 * 119), 900);
    const auto read = ParseDtc(bytes);
    ASSERT_TRUE(read.ok) << read.problem;
    EXPECT_EQ(read.vehicle, u"12가3456");
    EXPECT_EQ(read.driver, std::u16string(31, u'x'));
    EXPECT_TRUE(read.nameTerminated);
    EXPECT_EQ(read.stamp, 0x54FFFFF0u);
    EXPECT_EQ(read.recordStart, 0x55000000u);
    EXPECT_EQ(DeviceIdText(f.header.deviceId), "VQ0A1B2C");

    // A pair that would straddle the cut is dropped whole.
    f.header.driverName = std::string(30, 'y') + "\xF0\x9F\x9A\x9A";
    EXPECT_EQ(ParseDtc(f.Encode()).driver, std::u16string(30, u'y'));
    f.header.driverName = std::string(29, 'y') + "\xF0\x9F\x9A\x9A";
    EXPECT_EQ(ParseDtc(f.Encode()).driver, std::u16string(29, u'y') + u"\U0001F69A");
}

TEST(Crc16X25, CheckValueAndReference) {
    const char* check = "123456789";
    EXPECT_EQ(Crc16X25(reinterpret_cast<const std::uint8_t*>(check), 9), 0x906E);
    EXPECT_EQ(testing::ReferenceCrc(reinterpret_cast<const std::uint8_t*>(check), 9), 0x906E);
    EXPECT_EQ(Crc16X25(nullptr, 0), 0x0000);
    std::uint8_t data[62];
    for (int i = 0; i < 62; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    EXPECT_EQ(Crc16X25(data, 62), testing::ReferenceCrc(data, 62));
}

class SystemLogSize : public ::testing::TestWithParam<int> {};

TEST_P(SystemLogSize, HeaderRecordsCrcAndEmptySlots) {
    const int slots = GetParam();
    std::vector<LogEvent> events;
    events.push_back({kEventClockSet, 540, 1'426'114'740, 1'426'114'860, false});
    events.push_back({kEventClockCheck, 540, 1'426'114'000, 1'426'114'000, false});
    events.push_back({kEventClockSync, -300, 1'426'200'000, 1'426'200'037, true});
    const std::vector<std::uint8_t> log = EncodeSystemLog(events, slots);
    ASSERT_EQ(log.size(), 64u + 64u * static_cast<std::size_t>(slots));
    EXPECT_EQ(U32(log, 0), 0xFEFEFEFEu);
    EXPECT_EQ(log[17], 0);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const std::size_t at = 64 + 64 * i;
        EXPECT_EQ(std::memcmp(&log[at], "KCCC", 4), 0);
        EXPECT_EQ(U32(log, at + 8), events[i].code);
        EXPECT_EQ(static_cast<std::int16_t>(U16(log, at + 16)), events[i].zoneMinutes);
        EXPECT_EQ(testing::I64(log, at + 20), events[i].timeBefore);
        EXPECT_EQ(testing::I64(log, at + 28), events[i].timeAfter);
        const bool crcMatches = U16(log, at + 62) == testing::ReferenceCrc(&log[at], 62);
        EXPECT_EQ(crcMatches, !events[i].badCrc) << "slot " << i;
    }
    for (std::size_t at = 64 + 64 * events.size(); at < log.size(); ++at) {
        ASSERT_EQ(log[at], 0) << "byte " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SystemLogSize, ::testing::Values(kLogSlotsSmall, kLogSlotsLarge));

TEST(SystemLog, FullLogKeepsTheNewestEvents) {
    std::vector<LogEvent> events;
    for (int i = 0; i < kLogSlotsSmall + 5; ++i) {
        events.push_back({kEventPowerOn, 0, 1'000'000'000LL + i, 1'000'000'000LL + i, false});
    }
    const std::vector<std::uint8_t> log = EncodeSystemLog(events, kLogSlotsSmall);
    ASSERT_EQ(log.size(), 64'064u);
    EXPECT_EQ(testing::I64(log, 64 + 20), 1'000'000'005);
    EXPECT_EQ(testing::I64(log, log.size() - 64 + 20), 1'000'001'004);
}

}  // namespace
}  // namespace vantrel::datagen
