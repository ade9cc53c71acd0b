// SPDX-License-Identifier: GPL-3.0-or-later
// Record files into analysed days (real files in a temporary folder), the day sample reader's
// refusal of cut files, the daily limit with its extended days per week, and the aggregates.
#include <gtest/gtest.h>

#include "core/analysis/RecordAnalysis.h"
#include "tests/core/analysis/AnalysisTestDays.h"
#include "tests/core/store/StoreFixtures.h"

namespace vantrel::analysis {
namespace {

using test::At;
using test::Day;
using test::EmptyDay;
using test::Fill;
using test::k72Kmh;
using test::kHour;
using test::kMinute;
using test::TempFolder;

std::string Image(const Day& day) {
    std::string bytes(kDayImageBytes, '\0');
    for (std::size_t i = 0; i < day.size(); ++i) {
        bytes[2 * i] = static_cast<char>(day[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(day[i] >> 8);
    }
    return bytes;
}

// Writes a record whose days hold the given samples; returns its summary path.
std::string WriteRecord(const std::string& backup, const std::string& driver,
                        const std::string& vehicle, const std::string& stamp,
                        const std::vector<std::pair<std::string, Day>>& days) {
    test::RecordFixture fixture;
    fixture.driver = driver;
    fixture.vehicle = vehicle;
    fixture.stamp = stamp;
    fixture.days.clear();
    for (const auto& [date, samples] : days) {
        fixture.days.push_back(date);
    }
    const std::string record = test::WriteRecord(backup, stamp, fixture);
    for (const auto& [date, samples] : days) {
        TempFolder::Write(record.substr(0, record.size() - 4) + "_" + date + ".cda",
                          Image(samples));
    }
    return record;
}

TEST(DaySampleReader, ReadsOneDayImageAndRefusesCutFiles) {
    TempFolder tmp;
    DaySampleReader reader;
    std::string error;
    Day day = EmptyDay();
    day[0] = 7;
    day[kSamplesPerDay - 1] = 9;

    TempFolder::Write(tmp.Folder() + "long.cda", Image(day) + std::string(1000, '\x01'));
    ASSERT_TRUE(reader.Read(tmp.Folder() + "long.cda", &error)) << error;
    EXPECT_EQ(reader.Samples()[0], 7);
    EXPECT_EQ(reader.Samples()[kSamplesPerDay - 1], 9);

    TempFolder::Write(tmp.Folder() + "cut.cda", Image(day).substr(0, 345'599));
    EXPECT_FALSE(reader.Read(tmp.Folder() + "cut.cda", &error));
    EXPECT_NE(error.find("truncated (345599 of 345600 bytes)"), std::string::npos) << error;

    EXPECT_FALSE(reader.Read(tmp.Folder() + "none.cda", &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

TEST(AnalyseRecord, ReadsTheDaysOfARecordAndReportsTheOnesItCannot) {
    TempFolder tmp;
    Day first = EmptyDay();
    Fill(first, At(23, 0), kHour, k72Kmh);
    Day second = EmptyDay();
    Fill(second, 0, kHour + 30 * kMinute, k72Kmh);
    Fill(second, At(2, 0), 60, 1500);  // 108 km/h: speeding for a truck, not for a bus
    const std::string record = WriteRecord(tmp.Folder(), "Kim", "12A3456", "20150302230000",
                                           {{"20150302", first}, {"20150303", second}});
    ProfileFile profiles;
    DaySampleReader reader;
    const RecordAnalysis truck = AnalyseRecord(record, profiles, std::nullopt, reader);
    EXPECT_EQ(truck.vehicleClass, VehicleClass::Truck);
    EXPECT_EQ(truck.info.driverName, "Kim");
    EXPECT_EQ(truck.info.vehicleNo, "12A3456");
    ASSERT_EQ(truck.days.size(), 2u);
    EXPECT_TRUE(truck.errors.empty());
    EXPECT_EQ(truck.days[1].date, "20150303");
    ASSERT_EQ(truck.days[1].result.violations.size(), 1u);  // the drive across midnight
    EXPECT_EQ(truck.days[1].result.violations[0].secondsOver, 1800);
    ASSERT_EQ(truck.days[1].result.events.size(), 1u);
    EXPECT_EQ(truck.days[1].result.events[0].kind, EventKind::Speeding);

    const RecordAnalysis bus = AnalyseRecord(record, profiles, VehicleClass::Bus, reader);
    ASSERT_EQ(bus.days.size(), 2u);
    EXPECT_TRUE(bus.days[1].result.events.empty());

    // A cut day file is an error, the other day is still analysed.
    TempFolder::Write(record.substr(0, record.size() - 4) + "_20150303.cda", "\x01\x02");
    const RecordAnalysis cut = AnalyseRecord(record, profiles, std::nullopt, reader);
    ASSERT_EQ(cut.days.size(), 1u);
    ASSERT_EQ(cut.errors.size(), 1u);
    EXPECT_NE(cut.errors[0].find("truncated"), std::string::npos);
}

// One record day of a driver with `driving` of continuous driving from 04:00.
RecordAnalysis DriverDays(const std::string& driver,
                          const std::vector<std::pair<std::string, std::size_t>>& days) {
    RecordAnalysis record;
    record.info.driverName = driver;
    DayAnalyser analyser(ProfileFile().Profile(VehicleClass::Truck));
    for (const auto& [date, driving] : days) {
        Day day = EmptyDay();
        Fill(day, At(4, 0), driving, k72Kmh);
        analyser.AddDay(test::Midnight(date), day);
        record.info.dates.push_back(date);
    }
    analyser.Finish();
    std::vector<DayResult> results = analyser.TakeDays();
    for (std::size_t i = 0; i < results.size(); ++i) {
        record.days.push_back({days[i].first, std::move(results[i])});
    }
    return record;
}

std::vector<std::int64_t> DailySeconds(const RecordAnalysis& record) {
    std::vector<std::int64_t> seconds;
    for (const AnalysedDay& day : record.days) {
        std::int64_t over = 0;
        for (const RuleViolation& v : day.result.violations) {
            if (v.rule == kDailyRuleName) {
                over += v.secondsOver;
            }
        }
        seconds.push_back(over);
    }
    return seconds;
}

TEST(ApplyDailyLimits, TwoExtendedDaysAWeekThenTheLimit) {
    const std::size_t h9 = 9 * kHour;
    const std::size_t h9m30 = 9 * kHour + 30 * kMinute;
    // 2015-03-02 is a Monday; 2015-03-09 the next one.
    std::vector<RecordAnalysis> records{
        DriverDays("Kim", {{"20150302", h9m30},
                           {"20150303", h9m30},
                           {"20150304", h9m30},
                           {"20150305", h9},
                           {"20150306", 10 * kHour + 30 * kMinute},
                           {"20150309", h9m30}}),
        DriverDays("Lee", {{"20150304", h9m30}}),
        // Two records of one driver on one day add up: 5 h + 5 h 30 min, first in the week.
        DriverDays("Park", {{"20150304", 5 * kHour}}),
        DriverDays("Park", {{"20150304", 5 * kHour + 30 * kMinute}}),
        DriverDays("Park", {{"20150305", 11 * kHour}}),
    };
    ApplyDailyLimits(records, DailyLimit{});
    EXPECT_EQ(DailySeconds(records[0]), (std::vector<std::int64_t>{0, 0, 1800, 0, 5400, 0}));
    EXPECT_EQ(DailySeconds(records[1]), (std::vector<std::int64_t>{0}));
    EXPECT_EQ(DailySeconds(records[2])[0] + DailySeconds(records[3])[0], 1800);
    EXPECT_EQ(DailySeconds(records[4]), (std::vector<std::int64_t>{3600}));

    // The daily violation starts first: the driving day began before the other rules broke.
    const RuleViolation& wednesday = records[0].days[2].result.violations.front();
    EXPECT_EQ(wednesday.rule, kDailyRuleName);
    EXPECT_EQ(FormatHalfSecondTime(wednesday.start), "2015-03-04 04:00:00.000");
    EXPECT_EQ(FormatHalfSecondTime(wednesday.end), "2015-03-04 13:30:00.000");
}

TEST(AnalyseRecords, EachRecordOnceWithTheDailyLimitAndCancellation) {
    TempFolder tmp;
    Day day = EmptyDay();
    Fill(day, At(3, 59), kMinute, 0);  // standing, then a sudden start
    Fill(day, At(4, 0), 5 * kHour, k72Kmh);
    const std::string a =
        WriteRecord(tmp.Folder(), "Kim", "12A3456", "20150302040000", {{"20150302", day}});
    const std::string b =
        WriteRecord(tmp.Folder(), "Kim", "34B5678", "20150302120000", {{"20150302", day}});
    const ProfileFile profiles;
    // 5 h + 5 h on one day: the week's first extended day, no daily violation. Named twice,
    // a record's driving would be counted three times.
    std::vector<std::pair<std::size_t, std::size_t>> calls;
    const std::vector<RecordAnalysis> records = AnalyseRecords(
        {a, b, a}, profiles, std::nullopt, [&calls](std::size_t done, std::size_t all) {
            calls.emplace_back(done, all);
            return true;
        });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(calls.back(), (std::pair<std::size_t, std::size_t>{3, 3}));
    for (const RecordAnalysis& record : records) {
        for (const RuleViolation& v : record.days[0].result.violations) {
            EXPECT_NE(v.rule, kDailyRuleName);
        }
    }

    // Counts only: the same sums without the lists.
    const std::vector<RecordAnalysis> counted =
        AnalyseRecords({a, b}, profiles, std::nullopt, {}, nullptr, EventDetail::CountsOnly);
    ASSERT_EQ(counted.size(), 2u);
    EXPECT_TRUE(counted[0].days[0].result.events.empty());
    Totals full;
    Totals counts;
    Summarise(records, GroupBy::Driver, {}, &full);
    Summarise(counted, GroupBy::Driver, {}, &counts);
    EXPECT_EQ(counts.events, full.events);
    EXPECT_GT(full.EventCount(), 0);

    bool cancelled = false;
    const std::vector<RecordAnalysis> first = AnalyseRecords(
        {a, b}, profiles, std::nullopt, [](std::size_t, std::size_t) { return false; }, &cancelled);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(first.size(), 1u);
}

TEST(Summarise, GroupsAndFilters) {
    TempFolder tmp;
    Day day = EmptyDay();
    Fill(day, At(8, 0), kHour, k72Kmh);   // 72 km
    Fill(day, At(9, 0), 60, 1500);        // speeding for 30 s, 3 km more
    Fill(day, At(9, 0, 30), 60, k72Kmh);  // sudden acceleration and deceleration, 36 km/h/s
    const std::string a = WriteRecord(tmp.Folder(), "Kim", "12A3456", "20150302080000",
                                      {{"20150302", day}, {"20150401", day}});
    const std::string b =
        WriteRecord(tmp.Folder(), "Lee", "34B5678", "20150303080000", {{"20150303", day}});
    ProfileFile profiles;
    DaySampleReader reader;
    std::vector<RecordAnalysis> records{AnalyseRecord(a, profiles, std::nullopt, reader),
                                        AnalyseRecord(b, profiles, std::nullopt, reader)};
    ASSERT_EQ(records[0].days.size(), 2u);
    const DayResult& one = records[0].days[0].result;
    ASSERT_EQ(one.events.size(), 3u);
    EXPECT_EQ(one.events[0].kind, EventKind::SuddenAcceleration);
    EXPECT_EQ(one.events[1].kind, EventKind::Speeding);
    EXPECT_EQ(one.events[2].kind, EventKind::SuddenDeceleration);

    Totals total;
    const std::vector<SummaryRow> byDriver = Summarise(records, GroupBy::Driver, {}, &total);
    ASSERT_EQ(byDriver.size(), 2u);
    EXPECT_EQ(byDriver[0].key, "Kim");
    EXPECT_EQ(byDriver[0].totals.records, 1);
    EXPECT_EQ(byDriver[0].totals.days, 2);
    EXPECT_EQ(byDriver[0].totals.distanceCm, 2 * one.distanceCm);
    EXPECT_EQ(byDriver[0].totals.events[static_cast<std::size_t>(EventKind::Speeding)], 2);
    EXPECT_EQ(byDriver[1].key, "Lee");
    EXPECT_EQ(total.records, 2);
    EXPECT_EQ(total.days, 3);
    EXPECT_EQ(total.EventCount(), 9);
    EXPECT_NEAR(total.EventsPer100Km(), 9 * 100.0 / (3 * one.DistanceKm()), 1e-9);

    const std::vector<SummaryRow> byMonth = Summarise(records, GroupBy::Month, {});
    ASSERT_EQ(byMonth.size(), 2u);
    EXPECT_EQ(byMonth[0].key, "201503");
    EXPECT_EQ(byMonth[0].totals.records, 2);
    EXPECT_EQ(byMonth[1].key, "201504");
    EXPECT_EQ(byMonth[1].totals.days, 1);

    SummaryFilter march;
    march.month = "201503";
    march.vehicle = "12A3456";
    Totals filtered;
    const std::vector<SummaryRow> rows = Summarise(records, GroupBy::Record, march, &filtered);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].key, a);
    EXPECT_EQ(filtered.days, 1);
    EXPECT_EQ(filtered.records, 1);

    EXPECT_DOUBLE_EQ(Totals{}.EventsPer100Km(), 0.0);
}

}  // namespace
}  // namespace vantrel::analysis
