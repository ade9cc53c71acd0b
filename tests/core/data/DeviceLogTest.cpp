// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's event log: where it is found for each read type, the two sizes, the header
// checks, which records count as clock adjustments (codes 10 and 16, marker, checksum), the
// day of the time before or after, and the lists in the summaries of a conversion.
#include <gtest/gtest.h>

#include <limits>

#include "ConvertTestSupport.h"
#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

using test::DeviceTime;
using test::DtcBuilder;
using test::LocalHeader;
using test::LogEventSpec;
using test::Seconds;
using test::Time32;

constexpr std::int16_t kZone = 540;

LogEventSpec Adjust(std::int64_t localBefore, std::int64_t localAfter, std::uint32_t code = 10,
                    std::int16_t zone = kZone) {
    LogEventSpec e;
    e.code = code;
    e.zone = zone;
    e.before = localBefore - std::int64_t{zone} * 60;
    e.after = localAfter - std::int64_t{zone} * 60;
    return e;
}

class DeviceLog : public test::ConvertFixture {
protected:
    void WriteLog(const std::vector<std::uint8_t>& bytes, int readType = 1) {
        test::WriteBytes(
            readType == 0 ? m_backup + "VQ0A1B2C/system.log" : m_card + "log/system.log", bytes);
    }
    // Looks the adjustments of a local day up.
    bool Load(int y, int mo, int d, int readType = 1) {
        m_converter.m_nReadType = readType;
        m_converter.m_strDeviceId = "VQ0A1B2C";
        m_converter.m_nZoneMinutes = kZone;
        m_converter.m_nFileStart = DeviceTime(Time32(y, mo, d, 12));
        return m_converter.LoadTimeAdjustments();
    }
};

struct LogPlace {
    int readType;
    std::size_t slots;
};

class DeviceLogPlaces : public DeviceLog, public ::testing::WithParamInterface<LogPlace> {};

TEST_P(DeviceLogPlaces, ListsTheDaysAdjustments) {
    const LogPlace p = GetParam();
    std::vector<LogEventSpec> events(p.slots - 1, Adjust(0, 0, 1));  // other events
    events.push_back(Adjust(Seconds(2015, 3, 12, 9, 0, 0), Seconds(2015, 3, 12, 9, 30, 0)));
    WriteLog(test::BuildDeviceLog(events, p.slots), p.readType);
    ASSERT_TRUE(Load(2015, 3, 12, p.readType));
    EXPECT_EQ(m_converter.m_strAdjustOld, "2015/03/12 09:00:00,");
    EXPECT_EQ(m_converter.m_strAdjustNew, "2015/03/12 09:30:00,");
    EXPECT_EQ(m_converter.m_bTimeAdjusted, 1);
    // The other read type looks in the other place.
    EXPECT_FALSE(Load(2015, 3, 12, 1 - p.readType));
    EXPECT_EQ(m_converter.m_strAdjustOld, "");
    EXPECT_EQ(m_converter.m_bTimeAdjusted, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeviceLogPlaces,
                         ::testing::Values(LogPlace{0, 1000}, LogPlace{1, 1000}, LogPlace{0, 10000},
                                           LogPlace{1, 10000}),
                         [](const auto& info) {
                             return std::string(info.param.readType == 0 ? "Usb" : "Sd") +
                                    std::to_string(info.param.slots);
                         });

TEST_F(DeviceLog, AdjustmentOverMidnightBelongsToBothDays) {
    WriteLog(test::BuildDeviceLog(
        {Adjust(Seconds(2015, 3, 11, 23, 59, 0), Seconds(2015, 3, 12, 0, 1, 0))}));
    for (int day : {11, 12}) {
        ASSERT_TRUE(Load(2015, 3, day));
        EXPECT_EQ(m_converter.m_strAdjustOld, "2015/03/11 23:59:00,") << day;
        EXPECT_EQ(m_converter.m_strAdjustNew, "2015/03/12 00:01:00,") << day;
    }
    ASSERT_TRUE(Load(2015, 3, 13));
    EXPECT_EQ(m_converter.m_strAdjustOld, "");
    EXPECT_EQ(m_converter.m_bTimeAdjusted, 0);
}

TEST_F(DeviceLog, OnlyIntactClockRecordsCount) {
    const std::int64_t t = Seconds(2015, 3, 12, 8, 0, 0);
    LogEventSpec otherCode = Adjust(t, t + 60, 11);
    LogEventSpec noMarker = Adjust(t, t + 120);
    noMarker.marker = "KCCD";
    LogEventSpec badCrc = Adjust(t, t + 180);
    badCrc.badCrc = true;
    WriteLog(test::BuildDeviceLog(
        {Adjust(t, t + 3600, 10), otherCode, noMarker, badCrc, Adjust(t + 7200, t + 7000, 16)}));
    ASSERT_TRUE(Load(2015, 3, 12));
    EXPECT_EQ(m_converter.m_strAdjustOld, "2015/03/12 08:00:00,2015/03/12 10:00:00,");
    EXPECT_EQ(m_converter.m_strAdjustNew, "2015/03/12 09:00:00,2015/03/12 09:56:40,");
    EXPECT_EQ(m_converter.m_bTimeAdjusted, 1);
    ASSERT_FALSE(m_traces.empty());
    EXPECT_EQ(m_traces.back().message, "1 clock adjustments of the device log left out: bad CRC");
}

TEST_F(DeviceLog, NegativeZoneMovesBothTimesBack) {
    LogEventSpec e;
    e.code = 10;
    e.zone = -300;
    e.before = Seconds(2015, 3, 12, 3, 0, 0);  // device times: local is five hours earlier
    e.after = Seconds(2015, 3, 12, 3, 30, 0);
    WriteLog(test::BuildDeviceLog({e}));
    ASSERT_TRUE(Load(2015, 3, 11));
    EXPECT_EQ(m_converter.m_strAdjustOld, "2015/03/11 22:00:00,");
    EXPECT_EQ(m_converter.m_strAdjustNew, "2015/03/11 22:30:00,");
    ASSERT_TRUE(Load(2015, 3, 12));
    EXPECT_EQ(m_converter.m_bTimeAdjusted, 0);
}

TEST_F(DeviceLog, AdjustmentFromAnUnsetClockShowsZeros) {
    LogEventSpec e = Adjust(90'000, Seconds(2015, 3, 12, 10, 0, 0));
    LogEventSpec huge = Adjust(0, 0);
    huge.before = std::numeric_limits<std::int64_t>::max();
    huge.after = std::numeric_limits<std::int64_t>::min();
    WriteLog(test::BuildDeviceLog({e, huge}));
    ASSERT_TRUE(Load(2015, 3, 12));
    EXPECT_EQ(m_converter.m_strAdjustOld, "0000/00/00 00:00:00,");
    EXPECT_EQ(m_converter.m_strAdjustNew, "2015/03/12 10:00:00,");
}

TEST_F(DeviceLog, UnusableLogsGiveNoAdjustments) {
    const std::int64_t t = Seconds(2015, 3, 12, 8, 0, 0);
    const std::vector<std::uint8_t> good = test::BuildDeviceLog({Adjust(t, t + 60)});
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    std::vector<std::uint8_t> magic = good;
    magic[2] = 0xFF;
    std::vector<std::uint8_t> flagged = good;
    flagged[17] = 1;
    for (const auto& bytes : {longer, magic, flagged}) {
        WriteLog(good);
        ASSERT_TRUE(Load(2015, 3, 12));
        WriteLog(bytes);
        EXPECT_FALSE(Load(2015, 3, 12));
        EXPECT_EQ(m_converter.m_strAdjustOld, "");
        EXPECT_EQ(m_converter.m_strAdjustNew, "");
        EXPECT_EQ(m_converter.m_bTimeAdjusted, 0);
    }
    std::filesystem::remove(m_card + "log/system.log");
    EXPECT_FALSE(Load(2015, 3, 12));
}

class ConvertAdjustments : public test::ConvertFixture,
                           public ::testing::WithParamInterface<int> {};

TEST_P(ConvertAdjustments, ListedOnBothDaysAndFlaggedOnTheRecord) {
    const int readType = GetParam();
    test::WriteBytes(
        readType == 0 ? m_backup + "VQ0A1B2C/system.log" : m_card + "log/system.log",
        test::BuildDeviceLog(
            {Adjust(Seconds(2015, 3, 11, 23, 59, 0), Seconds(2015, 3, 12, 0, 1, 0))}, 10000));
    const std::uint32_t stampA = Time32(2015, 3, 11, 20, 0, 0);
    const std::uint32_t stampB = Time32(2015, 3, 13, 7, 0, 0);
    for (auto [start, stamp] :
         {std::pair{Time32(2015, 3, 11, 20), stampA}, std::pair{Time32(2015, 3, 12, 7), stampA},
          std::pair{Time32(2015, 3, 13, 7), stampB}}) {
        DtcBuilder dtc;
        dtc.Header(LocalHeader(start, stamp)).Minute(DeviceTime(start), 100);
        Add(dtc);
    }
    Run(readType);
    const std::string a = "20150311200000_VQ0A1B2C";
    const std::string b = "20150313070000_VQ0A1B2C";
    for (const std::string& day : {a + "_20150311.dat", a + "_20150312.dat"}) {
        EXPECT_EQ(Day(day, "AdjustOldTime"), "2015/03/11 23:59:00,") << day;
        EXPECT_EQ(Day(day, "AdjustNewTime"), "2015/03/12 00:01:00,") << day;
    }
    EXPECT_EQ(Record(a + ".dat", "IsAdjustTime"), "O");
    EXPECT_EQ(Day(b + "_20150313.dat", "AdjustOldTime"), "");
    EXPECT_EQ(Day(b + "_20150313.dat", "AdjustNewTime"), "");
    EXPECT_EQ(Record(b + ".dat", "IsAdjustTime"), "X");
    EXPECT_EQ(Record(b + ".dat", "ReadType"), readType == 0 ? "USB" : "SD");
}

INSTANTIATE_TEST_SUITE_P(ReadTypes, ConvertAdjustments, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Usb" : "Sd"; });

}  // namespace
}  // namespace vantrel
