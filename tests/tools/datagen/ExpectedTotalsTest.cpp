// SPDX-License-Identifier: GPL-3.0-or-later
// The expected conversion figures: hand-made cards whose figures are worked out by hand
// (records A, A, B; the 900 cm maximum at 10:15:30.5; standstills of 1199 and 1200 zeros;
// runs across hours; files across midnight, header-only, not closed, with an unset clock;
// adjustments listed on both days), and generated cards cross-checked against a plain scan
// of their encoded bytes.
#include <gtest/gtest.h>

#include "tests/tools/datagen/DtcTestReader.h"
#include "tools/datagen/ExpectedTotals.h"

namespace vantrel::datagen {
namespace {

constexpr std::int16_t kZone = 540;
constexpr std::uint32_t kStampA = 1'426'147'200 - 32'400;  // 2015-03-12 08:00 local
constexpr std::uint32_t kStampB = 1'426'233'600 - 32'400;  // 2015-03-13 08:00 local

std::int64_t Local(int day, int hour, int minute, int second = 0) {
    return MidnightOf({2015, 3, day}) + hour * 3600 + minute * 60 + second;
}

MinuteSamples Filled(std::uint16_t value) {
    MinuteSamples samples;
    samples.fill(value);
    return samples;
}

class CardMaker {
public:
    CardMaker() { m_card.scenario.zoneMinutes = kZone; }

    // A file starting at local time start; minutes are added with Minute().
    CardMaker& File(std::int64_t start, std::uint32_t stamp) {
        GeneratedFile file;
        file.dtc.header.fileStart = static_cast<std::uint32_t>(start - kZone * 60);
        file.dtc.header.recordStart = file.dtc.header.fileStart;
        file.dtc.header.recordStamp = stamp;
        file.dtc.header.zoneMinutes = kZone;
        file.dtc.header.deviceId = {0x0A, 0x1B, 0x2C};
        file.dtc.header.driverName = "김민준";
        m_card.files.push_back(file);
        return *this;
    }

    CardMaker& Minute(std::int64_t localTime, const MinuteSamples& samples) {
        DtcBlock block;
        block.deviceTime = static_cast<std::uint32_t>(localTime - kZone * 60);
        block.samples = samples;
        m_card.files.back().dtc.blocks.push_back(block);
        return *this;
    }

    CardMaker& Event(std::uint32_t code, std::int64_t localBefore, std::int64_t localAfter,
                     bool badCrc = false) {
        m_card.logEvents.push_back(
            {code, kZone, localBefore - kZone * 60, localAfter - kZone * 60, badCrc});
        return *this;
    }

    const CardData& Card() const { return m_card; }

private:
    CardData m_card;
};

TEST(ExpectedTotals, RecordsAADaysAndMaximum) {
    MinuteSamples peak = Filled(500);
    peak[61] = 900;   // 10:15:30.5
    peak[100] = 900;  // the same value later keeps the earlier time
    CardMaker m;
    m.File(Local(12, 8, 0), kStampA).Minute(Local(12, 8, 0), Filled(800));
    m.File(Local(12, 10, 15), kStampA).Minute(Local(12, 10, 15), peak);
    m.File(Local(13, 9, 0), kStampB).Minute(Local(13, 9, 0), Filled(700));
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());

    ASSERT_EQ(t.records.size(), 2u);
    ASSERT_EQ(t.days.size(), 2u);
    EXPECT_EQ(t.days[0].files.size(), 2u);
    EXPECT_EQ(t.days[0].totals.sum, 120u * 800 + 118u * 500 + 2u * 900);
    EXPECT_EQ(t.days[0].totals.count, 240u);
    EXPECT_EQ(t.days[0].totals.maxSample, 900);
    EXPECT_EQ(FormatStampMs(t.days[0].totals.maxTime), "20150312101530.500");
    EXPECT_EQ(FormatStampMs(t.records[0].totals.maxTime), "20150312101530.500");
    EXPECT_EQ(t.records[0].drivingDates, "20150312,");
    EXPECT_EQ(t.records[1].drivingDates, "20150313,");
    EXPECT_EQ(t.records[1].dayCount, 1);
    EXPECT_EQ(t.records[1].totals.sum, 120u * 700);
    EXPECT_EQ(FormatStamp(t.records[0].stampTime), "20150312080000");
    EXPECT_EQ(FormatStamp(t.records[0].recordStop), "20150312101559");
    EXPECT_EQ(t.records[0].deviceId, "VQ0A1B2C");
    EXPECT_EQ(t.files[2].recordIndex, 1);
    EXPECT_EQ(t.files[2].dayIndex, 1);
}

class Standstill : public ::testing::TestWithParam<int> {};

// zeroMinutes minutes of zeros plus a part minute end the first file; the next file is
// marked when at least 1200 zero samples (0xFFFF skipped) end the first.
TEST_P(Standstill, MarksTheNextFileFromTwelveHundredZeros) {
    const int zeros = GetParam();
    CardMaker m;
    m.File(Local(12, 8, 0), kStampA).Minute(Local(12, 8, 0), Filled(600));
    int left = zeros;
    for (int minute = 1; left > 0; ++minute) {
        MinuteSamples s = Filled(kNoSample);
        for (int k = 0; k < 100 && left > 0; ++k, --left) {
            s[static_cast<std::size_t>(k)] = 0;  // the last 20 of each minute stay 0xFFFF
        }
        m.Minute(Local(12, 8, minute), s);
    }
    m.File(Local(12, 11, 0, 5), kStampA).Minute(Local(12, 11, 0, 5), Filled(600));
    m.File(Local(13, 9, 0), kStampB).Minute(Local(13, 9, 0), Filled(600));
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    const bool marked = zeros >= 1200;
    EXPECT_EQ(t.files[0].trailingZeros, static_cast<std::uint32_t>(zeros));
    EXPECT_EQ(t.files[0].endsInStandstill, marked);
    EXPECT_EQ(t.days[0].standstills, marked ? "20150312110005.0," : "");
    EXPECT_EQ(t.records[0].standstills, t.days[0].standstills);
    EXPECT_EQ(t.records[1].standstills, "");
}

INSTANTIATE_TEST_SUITE_P(Counts, Standstill, ::testing::Values(1199, 1200, 1500));

TEST(ExpectedTotals, RunsCrossHoursButNotGaps) {
    MinuteSamples broken = Filled(1000);
    broken[30] = kNoSample;
    CardMaker m;
    m.File(Local(12, 10, 59), kStampA)
        .Minute(Local(12, 10, 59), Filled(1000))
        .Minute(Local(12, 11, 0), Filled(1000))
        .Minute(Local(12, 11, 1), broken);
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    EXPECT_EQ(t.files[0].totals.longestRun, 270u);  // 120 + 120 + 30
    EXPECT_EQ(t.files[0].totals.count, 359u);
    EXPECT_EQ(t.records[0].totals.longestRun, 270u);
}

TEST(ExpectedTotals, AcrossMidnightScansTheMorningFirst) {
    MinuteSamples late = Filled(100);
    MinuteSamples early = Filled(100);
    early[3] = 200;
    late[7] = 200;
    CardMaker m;
    m.File(Local(12, 23, 50), kStampA)
        .Minute(Local(12, 23, 50), late)
        .Minute(Local(13, 0, 10), early);
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    ASSERT_EQ(t.days.size(), 1u);
    EXPECT_EQ(t.days[0].date, (CivilDate{2015, 3, 12}));
    EXPECT_EQ(FormatStampMs(t.files[0].totals.maxTime), "20150312001001.500");
    EXPECT_EQ(FormatStamp(t.files[0].lastSample), "20150312235059");
    EXPECT_TRUE(t.files[0].closedNormally);
    EXPECT_EQ(t.files[0].totals.count, 240u);
}

TEST(ExpectedTotals, HeaderOnlyNotClosedAndUnsetClockFiles) {
    CardMaker m;
    m.File(Local(12, 8, 0), kStampA).Minute(Local(12, 8, 0), Filled(300));
    m.File(Local(12, 9, 0), kStampA);  // header only
    m.File(Local(12, 10, 0), kStampB)
        .Minute(Local(12, 10, 0), Filled(300))
        .Minute(Local(12, 9, 30), Filled(400));  // clock set back: earlier than the start
    m.File(Local(12, 11, 0), kStampB + 1);       // a record with nothing in it
    m.File(86400 + 3600, 86400).Minute(86400 + 3600, Filled(50)).Minute(86400 + 3660, Filled(60));
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    ASSERT_EQ(t.records.size(), 4u);
    EXPECT_FALSE(t.files[1].closedNormally);
    EXPECT_EQ(t.files[1].localEnd, 0u);
    EXPECT_EQ(FormatStamp(t.records[0].recordStop), "20150312080059");
    EXPECT_FALSE(t.files[2].closedNormally);
    EXPECT_EQ(t.files[2].localEnd, static_cast<std::uint32_t>(Local(12, 9, 30)));
    EXPECT_TRUE(t.records[2].recordStop.IsZero());
    EXPECT_TRUE(t.records[2].totals.maxTime.IsZero());
    EXPECT_EQ(t.records[2].drivingDates, "20150312,");
    // Invalid times: zero date, every minute record in slot 0:00, the last one wins.
    EXPECT_TRUE(t.files[4].start.IsZero());
    EXPECT_EQ(t.files[4].totals.sum, 120u * 60);
    EXPECT_EQ(t.records[3].drivingDates, "00000000,");
    EXPECT_TRUE(t.records[3].stampTime.IsZero());
}

TEST(ExpectedTotals, FirstFileOpensARecordWhateverItsStamp) {
    CardMaker m;
    m.File(Local(12, 8, 0), 0).Minute(Local(12, 8, 0), Filled(300));
    m.File(Local(12, 9, 0), 0).Minute(Local(12, 9, 0), Filled(300));
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_EQ(t.records[0].totals.count, 240u);
    EXPECT_EQ(t.files[0].recordIndex, 0);
}

TEST(ExpectedTotals, AdjustmentsOnBothDaysAndBadChecksums) {
    CardMaker m;
    m.File(Local(11, 8, 0), kStampA).Minute(Local(11, 8, 0), Filled(300));
    m.File(Local(12, 8, 0), kStampA).Minute(Local(12, 8, 0), Filled(300));
    m.Event(kEventClockSet, Local(11, 23, 59), Local(12, 0, 1));
    m.Event(kEventClockCheck, Local(12, 7, 0), Local(12, 7, 0));
    m.Event(kEventClockSync, Local(12, 12, 0), Local(12, 12, 0, 37), true);
    const ExpectedTotals t = ComputeExpectedTotals(m.Card());
    ASSERT_EQ(t.days.size(), 2u);
    EXPECT_EQ(t.days[0].adjustOld, "2015/03/11 23:59:00,");
    EXPECT_EQ(t.days[0].adjustNew, "2015/03/12 00:01:00,");
    EXPECT_EQ(t.days[1].adjustOld, "2015/03/11 23:59:00,");
    EXPECT_TRUE(t.records[0].adjusted);
    const ExpectedTotals withBad = ComputeExpectedTotals(m.Card(), {true});
    EXPECT_EQ(withBad.days[1].adjustOld, "2015/03/11 23:59:00,2015/03/12 12:00:00,");
    EXPECT_EQ(withBad.days[1].adjustNew, "2015/03/12 00:01:00,2015/03/12 12:00:37,");
    EXPECT_EQ(withBad.days[0].adjustOld, t.days[0].adjustOld);
}

// Sum, count, largest sample and longest run of every generated file, scanned straight from
// its encoded bytes in time order; the time of the largest sample for files within one day.
TEST(ExpectedTotals, AgreeWithTheEncodedFiles) {
    for (const char* name : {"features", "month", "unset-clock", "west"}) {
        const CardData card = *GenerateCard(*NamedScenario(name), 11);
        const ExpectedTotals t = ComputeExpectedTotals(card);
        ASSERT_EQ(t.files.size(), card.files.size());
        std::uint64_t all = 0;
        for (const FileTotals& f : t.files) {
            const auto d = testing::ParseDtc(card.files[f.file].Encode());
            std::uint64_t sum = 0;
            std::uint32_t count = 0, run = 0, longest = 0;
            std::uint16_t max = 0;
            std::int64_t maxAt = 0, previousAt = -2;
            bool oneDay = f.localStart >= kFirstValidTime;
            for (const auto& b : d.blocks) {
                if (b.tag != kTagMinute) {
                    continue;
                }
                const std::uint32_t local = b.time + static_cast<std::uint32_t>(d.zone * 60);
                oneDay = oneDay && local >= f.localStart && local / 86400 == f.localStart / 86400;
                for (std::size_t k = 0; k < 120; ++k) {
                    const std::int64_t at = (local - local % 60) * 2LL + static_cast<int>(k);
                    const std::uint16_t s = b.samples[k];
                    if (s == kNoSample) {
                        continue;
                    }
                    run = at == previousAt + 1 ? run + 1 : 1;
                    longest = std::max(longest, run);
                    previousAt = at;
                    sum += s;
                    ++count;
                    if (s > max) {
                        max = s;
                        maxAt = at;
                    }
                }
            }
            all += f.totals.sum;
            if (f.localStart < kFirstValidTime) {
                continue;  // everything lands in slot 0:00; covered by the hand-made case
            }
            EXPECT_EQ(f.totals.sum, sum) << card.files[f.file].name;
            EXPECT_EQ(f.totals.count, count);
            EXPECT_EQ(f.totals.maxSample, max);
            if (oneDay) {
                EXPECT_EQ(f.totals.longestRun, longest) << card.files[f.file].name;
                CivilTime expected;  // no time without a positive sample
                if (max > 0) {
                    expected = ToCivil(maxAt / 2);
                    expected.millisecond = static_cast<int>(maxAt % 2) * 500;
                }
                EXPECT_EQ(FormatStampMs(f.totals.maxTime), FormatStampMs(expected));
            }
        }
        std::uint64_t days = 0, records = 0;
        for (const DayTotals& d : t.days) {
            days += d.totals.sum;
        }
        for (const RecordTotals& r : t.records) {
            records += r.totals.sum;
        }
        EXPECT_EQ(days, all) << name;
        EXPECT_EQ(records, all) << name;
    }
}

}  // namespace
}  // namespace vantrel::datagen
