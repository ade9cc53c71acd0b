// SPDX-License-Identifier: GPL-3.0-or-later
// DayAnalyser on hand-made days whose events and rule violations are known by construction:
// thresholds just met and just missed, a speeding run one second short of long, gaps inside
// runs and drives, rests one minute short, split breaks in both orders, and midnight.
#include <gtest/gtest.h>

#include <functional>

#include "core/analysis/DayAnalyser.h"
#include "tests/core/analysis/AnalysisTestDays.h"

namespace vantrel::analysis {
namespace {

using test::At;
using test::Day;
using test::EmptyDay;
using test::Fill;
using test::HalfTime;
using test::k72Kmh;
using test::kHour;
using test::kMinute;
using test::Midnight;

AnalysisProfile Truck() {
    return ProfileFile().Profile(VehicleClass::Truck);
}

std::vector<DayResult> Analyse(const std::vector<std::pair<std::string, Day>>& days,
                               const AnalysisProfile& profile = Truck()) {
    DayAnalyser analyser(profile);
    for (const auto& [date, samples] : days) {
        analyser.AddDay(Midnight(date), samples);
    }
    analyser.Finish();
    return analyser.TakeDays();
}

double Speed(std::uint16_t sample) {
    return SampleSpeedKmhSingle(sample);
}

// The smallest sample whose speed is at least `change` above (or below, negative) `from`'s.
std::uint16_t SampleChangedBy(std::uint16_t from, double change) {
    if (change > 0) {
        for (std::uint32_t s = from;; ++s) {
            if (Speed(static_cast<std::uint16_t>(s)) - Speed(from) >= change) {
                return static_cast<std::uint16_t>(s);
            }
        }
    }
    for (std::int32_t s = from;; --s) {
        if (Speed(from) - Speed(static_cast<std::uint16_t>(s)) >= -change) {
            return static_cast<std::uint16_t>(s);
        }
    }
}

struct Expected {
    EventKind kind;
    std::size_t start;  // index in the day
    std::size_t end;
    double peak;
};

struct EventCase {
    const char* name;
    std::function<Day()> build;
    std::vector<Expected> expected;
};

constexpr std::size_t kT0 = At(10, 1);  // where the change happens in the cases below

// Constant `before` for a minute, then `after` for a minute, then no samples.
Day Step(std::uint16_t before, std::uint16_t after) {
    Day day = EmptyDay();
    Fill(day, kT0 - kMinute, kMinute, before);
    Fill(day, kT0, kMinute, after);
    return day;
}

// Samples from kT0 on: each a value and a count.
Day Speeding(const std::vector<std::pair<std::uint16_t, std::size_t>>& parts) {
    Day day = EmptyDay();
    std::size_t from = kT0;
    for (const auto& [value, count] : parts) {
        Fill(day, from, count, value);
        from += count;
    }
    return day;
}

// 72 km/h, from kT0 `plateau` samples of 78 km/h, then 84 km/h.
Day Plateau(std::size_t plateau) {
    Day day = Step(1000, 1168);
    Fill(day, kT0, plateau, 1084);
    return day;
}

TEST(DayAnalyserEvents, TableOfHandMadeDays) {
    // Truck: speeding above 80 + 20 km/h, long from 180 s, acceleration 5 from >= 6 km/h,
    // start 6 from <= 5, deceleration 8 to >= 6, stop 8 to <= 5.
    const std::uint16_t accelMeets = SampleChangedBy(k72Kmh, 5.0);
    const std::uint16_t startMeets = SampleChangedBy(0, 6.0);
    const std::uint16_t decelMeets = SampleChangedBy(k72Kmh, -8.0);
    const std::uint16_t stopFrom = SampleChangedBy(0, 8.0);  // stopping from here meets 8
    std::uint16_t fast = 0;                                  // the slowest sample over 100 km/h
    while (Speed(fast) <= 100.0) {
        ++fast;
    }
    ASSERT_GT(Speed(fast), 100.0);
    ASSERT_LE(Speed(fast - 1), 100.0);
    const std::uint16_t dip = fast - 20;
    const std::uint16_t over = fast + 30;

    const std::vector<EventCase> cases{
        {"acceleration just meets",
         [&] { return Step(k72Kmh, accelMeets); },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 2, Speed(accelMeets) - Speed(k72Kmh)}}},
        {"acceleration just misses", [&] { return Step(k72Kmh, accelMeets - 1); }, {}},
        {"start from standstill just meets",
         [&] { return Step(0, startMeets); },
         {{EventKind::SuddenStart, kT0 - 2, kT0 + 2, Speed(startMeets)}}},
        {"start just misses", [&] { return Step(0, startMeets - 1); }, {}},
        {"deceleration just meets",
         [&] { return Step(k72Kmh, decelMeets); },
         {{EventKind::SuddenDeceleration, kT0 - 2, kT0 + 2, Speed(k72Kmh) - Speed(decelMeets)}}},
        {"deceleration just misses", [&] { return Step(k72Kmh, decelMeets + 1); }, {}},
        {"stop just meets",
         [&] { return Step(stopFrom, 0); },
         {{EventKind::SuddenStop, kT0 - 2, kT0 + 2, Speed(stopFrom)}}},
        {"stop just misses", [&] { return Step(stopFrom - 1, 0); }, {}},
        {"speeding just over the limit",
         [&] { return Step(k72Kmh, fast); },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 2, Speed(fast) - Speed(k72Kmh)},
          {EventKind::Speeding, kT0, kT0 + kMinute, Speed(fast)}}},
        {"speeding at the limit is none", [&] { return Step(fast - 1, fast - 1); }, {}},
        {"speeding one second short of long",
         [&] {
             Day day = EmptyDay();
             Fill(day, kT0, 179 * 2, fast);
             return day;
         },
         {{EventKind::Speeding, kT0, kT0 + 358, Speed(fast)}}},
        {"speeding of exactly the long time",
         [&] {
             Day day = EmptyDay();
             Fill(day, kT0, 180 * 2, fast);
             return day;
         },
         {{EventKind::Speeding, kT0, kT0 + 360, Speed(fast)},
          {EventKind::LongSpeeding, kT0, kT0 + 360, Speed(fast)}}},
        {"a gap ends a speeding run",
         [&] {
             Day day = EmptyDay();
             Fill(day, kT0, 20, fast);
             Fill(day, kT0 + 21, 20, fast + 100);
             return day;
         },
         {{EventKind::Speeding, kT0, kT0 + 20, Speed(fast)},
          {EventKind::Speeding, kT0 + 21, kT0 + 41, Speed(fast + 100)}}},
        // The truck's dip time is 3 s (6 samples); `dip` is 1.4 km/h under the threshold and
        // `over` 2.2 km/h over `fast`, too little a change for any sudden event.
        {"a dip half a second shorter than the dip time is part of the run",
         [&] {
             return Speeding({{fast, 20}, {dip, 5}, {over, 20}});
         },
         {{EventKind::Speeding, kT0, kT0 + 45, Speed(over)}}},
        {"a dip of the dip time ends the run",
         [&] {
             return Speeding({{fast, 20}, {dip, 6}, {over, 20}});
         },
         {{EventKind::Speeding, kT0, kT0 + 20, Speed(fast)},
          {EventKind::Speeding, kT0 + 26, kT0 + 46, Speed(over)}}},
        {"runs joined across a dip make a long speeding",
         [&] {
             return Speeding({{over, 200}, {dip, 5}, {fast, 155}});
         },
         {{EventKind::Speeding, kT0, kT0 + 360, Speed(over)},
          {EventKind::LongSpeeding, kT0, kT0 + 360, Speed(over)}}},
        {"a gap inside a dip ends the run",
         [&] {
             return Speeding({{fast, 20}, {dip, 2}, {kNoSample, 1}, {dip, 2}, {over, 20}});
         },
         {{EventKind::Speeding, kT0, kT0 + 20, Speed(fast)},
          {EventKind::Speeding, kT0 + 25, kT0 + 45, Speed(over)}}},
        {"a dip at the end does not lengthen the run",
         [&] {
             return Speeding({{over, 20}, {dip, 4}, {kNoSample, 1}, {dip, 20}});
         },
         {{EventKind::Speeding, kT0, kT0 + 20, Speed(over)}}},
        {"a dip running into the end of the samples",
         [&] {
             Day day = EmptyDay();
             Fill(day, kSamplesPerDay - 25, 20, fast);
             Fill(day, kSamplesPerDay - 5, 5, dip);
             return day;
         },
         {{EventKind::Speeding, kSamplesPerDay - 25, kSamplesPerDay - 5, Speed(fast)}}},
        {"no acceleration across a gap",
         [&] {
             Day day = Step(k72Kmh, accelMeets + 50);
             day[kT0 - 1] = kNoSample;
             return day;
         },
         {}},
        {"missing samples alone give nothing", [] { return EmptyDay(); }, {}},
        {"a launch is one sudden start",
         [] {
             Day day = Step(0, 168);
             Fill(day, kT0, 2, 84);
             return day;
         },
         {{EventKind::SuddenStart, kT0 - 2, kT0 + 4,
           std::max(Speed(84) - Speed(0), Speed(168) - Speed(84))}}},
        {"braking to standstill is one sudden stop",
         [] {
             Day day = Step(k72Kmh, 0);
             Fill(day, kT0, 2, 800);
             return day;
         },
         {{EventKind::SuddenStop, kT0 - 2, kT0 + 4, Speed(800)}}},
        {"overlapping runs of one kind are one event",
         [] {
             Day day = Step(1000, 1168);
             Fill(day, kT0, 3, 1084);
             return day;
         },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 5,
           std::max(Speed(1084) - Speed(1000), Speed(1168) - Speed(1084))}}},
        // Two steps of 6 km/h with a plateau of n samples between: the condition fails for
        // n - 2 samples; the sudden dip time of the truck is 3 s (6 samples).
        {"runs of one kind that only touch are one event",
         [] { return Plateau(4); },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 6,
           std::max(Speed(1084) - Speed(1000), Speed(1168) - Speed(1084))}}},
        {"a dip half a second shorter than the sudden dip time is part of the event",
         [] { return Plateau(7); },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 9,
           std::max(Speed(1084) - Speed(1000), Speed(1168) - Speed(1084))}}},
        {"a dip of the sudden dip time parts two events",
         [] { return Plateau(8); },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 2, Speed(1084) - Speed(1000)},
          {EventKind::SuddenAcceleration, kT0 + 6, kT0 + 10, Speed(1168) - Speed(1084)}}},
        {"a gap in the dip parts two events",
         [] {
             Day day = Plateau(7);
             day[kT0 + 3] = kNoSample;
             return day;
         },
         {{EventKind::SuddenAcceleration, kT0 - 2, kT0 + 2, Speed(1084) - Speed(1000)},
          {EventKind::SuddenAcceleration, kT0 + 5, kT0 + 9, Speed(1168) - Speed(1084)}}},
    };
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<DayResult> days = Analyse({{"20150302", c.build()}});
        ASSERT_EQ(days.size(), 1u);
        const std::int64_t m = Midnight("20150302");
        const std::vector<DrivingEvent>& events = days[0].events;
        ASSERT_EQ(events.size(), c.expected.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(EventKindName(events[i].kind), EventKindName(c.expected[i].kind));
            EXPECT_EQ(events[i].start, HalfTime(m, c.expected[i].start));
            EXPECT_EQ(events[i].end, HalfTime(m, c.expected[i].end));
            EXPECT_NEAR(events[i].peak, c.expected[i].peak, 1e-9);
        }
    }
}

TEST(DayAnalyserEvents, TheDipTimesAreTheProfiles) {
    // 10 s over, 2 s at 100 km/h (a threshold of 80 + 20), 10 s over.
    const Day day = Speeding({{1500, 20}, {1380, 4}, {1500, 20}});
    ASSERT_LE(Speed(1380), 100.0);
    const auto speedings = [&](int dipSeconds) {
        AnalysisProfile profile = Truck();
        profile.events.speedingDipSeconds = dipSeconds;
        const std::vector<DayResult> days = Analyse({{"20150302", day}}, profile);
        return days.at(0).eventCounts[static_cast<std::size_t>(EventKind::Speeding)];
    };
    EXPECT_EQ(speedings(0), 2);  // no tolerance: the first sample at the threshold ends a run
    EXPECT_EQ(speedings(2), 2);
    EXPECT_EQ(speedings(3), 1);

    // The plateau of 78 km/h fails the acceleration for 2 samples.
    const auto accelerations = [](int dipSeconds) {
        AnalysisProfile profile = Truck();
        profile.events.suddenDipSeconds = dipSeconds;
        const std::vector<DayResult> days = Analyse({{"20150302", Plateau(4)}}, profile);
        return days.at(0).eventCounts[static_cast<std::size_t>(EventKind::SuddenAcceleration)];
    };
    EXPECT_EQ(accelerations(0), 2);
    EXPECT_EQ(accelerations(1), 2);
    EXPECT_EQ(accelerations(2), 1);
}

TEST(DayAnalyserEvents, ASpeedingRunAcrossMidnightBelongsToItsFirstDay) {
    Day first = EmptyDay();
    Day second = EmptyDay();
    Fill(first, At(23, 59, 50), 20, 1500);
    Fill(second, 0, 20, 1500);
    const std::vector<DayResult> days = Analyse({{"20150302", first}, {"20150303", second}});
    ASSERT_EQ(days.size(), 2u);
    ASSERT_EQ(days[0].events.size(), 1u);
    EXPECT_TRUE(days[1].events.empty());
    EXPECT_EQ(days[0].events[0].start, HalfTime(Midnight("20150302"), At(23, 59, 50)));
    EXPECT_EQ(days[0].events[0].end, HalfTime(Midnight("20150303"), At(0, 0, 10)));
    EXPECT_EQ(FormatHalfSecondTime(days[0].events[0].end), "2015-03-03 00:00:10.000");

    // A dip at midnight joins the run on both sides; on a day that does not follow, it ends
    // the run at the end of the samples. (The dip from 108 km/h is also a sudden deceleration
    // and its end a sudden acceleration: only the speedings are looked at.)
    Fill(first, At(23, 59, 59), 2, 1380);
    const auto speedings = [](const DayResult& day) {
        std::vector<DrivingEvent> found;
        for (const DrivingEvent& event : day.events) {
            if (event.kind == EventKind::Speeding) {
                found.push_back(event);
            }
        }
        return found;
    };
    const std::vector<DayResult> joined = Analyse({{"20150302", first}, {"20150303", second}});
    ASSERT_EQ(joined.size(), 2u);
    ASSERT_EQ(speedings(joined[0]).size(), 1u);
    EXPECT_TRUE(speedings(joined[1]).empty());
    EXPECT_EQ(FormatHalfSecondTime(speedings(joined[0])[0].start), "2015-03-02 23:59:50.000");
    EXPECT_EQ(FormatHalfSecondTime(speedings(joined[0])[0].end), "2015-03-03 00:00:10.000");
    const std::vector<DayResult> apart = Analyse({{"20150302", first}, {"20150304", second}});
    ASSERT_EQ(apart.size(), 2u);
    ASSERT_EQ(speedings(apart[0]).size(), 1u);
    EXPECT_EQ(FormatHalfSecondTime(speedings(apart[0])[0].end), "2015-03-02 23:59:59.000");
    EXPECT_EQ(speedings(apart[1]).size(), 1u);
}

TEST(DayAnalyserEvents, AStartAtMidnightUsesTheSamplesBeforeIt) {
    Day first = EmptyDay();
    Day second = EmptyDay();
    Fill(first, At(23, 59), kMinute, 0);  // standing until midnight
    Fill(second, 0, kMinute, 168);        // 12 km/h from 00:00:00
    const std::vector<DayResult> days = Analyse({{"20150302", first}, {"20150303", second}});
    ASSERT_EQ(days.size(), 2u);
    ASSERT_EQ(days[0].events.size(), 1u);
    EXPECT_TRUE(days[1].events.empty());
    EXPECT_EQ(days[0].events[0].kind, EventKind::SuddenStart);
    EXPECT_EQ(FormatHalfSecondTime(days[0].events[0].start), "2015-03-02 23:59:59.000");
    EXPECT_EQ(FormatHalfSecondTime(days[0].events[0].end), "2015-03-03 00:00:01.000");

    // Without the day before, the day's first samples have nothing to compare with.
    const std::vector<DayResult> alone = Analyse({{"20150303", second}});
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_TRUE(alone[0].events.empty());
}

// A day of drives and stops from 06:00: each segment is a sample value and a length.
struct Segment {
    std::uint16_t value;
    std::size_t samples;
};

Day Drives(const std::vector<Segment>& segments, std::size_t from = At(6, 0)) {
    Day day = EmptyDay();
    for (const Segment& segment : segments) {
        Fill(day, from, segment.samples, segment.value);
        from += segment.samples;
    }
    return day;
}

struct ExpectedViolation {
    std::string rule;
    std::size_t start;
    std::size_t end;
    std::int64_t seconds;
};

struct RuleCase {
    const char* name;
    std::vector<Segment> segments;
    std::vector<ExpectedViolation> expected;
};

TEST(DayAnalyserRules, TableOfDrivesAndRests) {
    // Driving at 72 km/h (1000), standing (0) and missing samples; short: 2 h / 15 min,
    // eu: 4 h 30 min / 45 min or 15 + 30 min.
    constexpr std::uint16_t D = k72Kmh;
    constexpr std::uint16_t S = 0;
    constexpr std::uint16_t G = kNoSample;
    const std::vector<RuleCase> cases{
        {"two hours exactly", {{D, 2 * kHour}}, {}},
        {"ten minutes over the short rule",
         {{D, 2 * kHour + 10 * kMinute}},
         {{"short", At(8, 0), At(8, 10), 600}}},
        {"a rest one minute short of the rule",
         {{D, kHour}, {S, 14 * kMinute}, {D, kHour + 10 * kMinute}},
         {{"short", At(8, 14), At(8, 24), 600}}},
        {"a rest of the rule's minimum",
         {{D, kHour}, {S, 15 * kMinute}, {D, kHour + 10 * kMinute}},
         {}},
        {"missing samples of the rule's minimum are a rest",
         {{D, kHour}, {G, 15 * kMinute}, {D, kHour + 10 * kMinute}},
         {}},
        {"a gap inside a drive is no rest",
         {{D, kHour}, {G, 1}, {D, kHour + 10 * kMinute}},
         {{"short", At(8, 0, 0, 1), At(8, 10, 0, 1), 600}}},
        {"split break 15 then 30",
         {{D, 2 * kHour}, {S, 15 * kMinute}, {D, 2 * kHour}, {S, 30 * kMinute}, {D, 2 * kHour}},
         {}},
        {"split break in the wrong order, 30 then 15",
         {{D, 2 * kHour}, {S, 30 * kMinute}, {D, 2 * kHour}, {S, 15 * kMinute}, {D, kHour}},
         {{"eu", At(11, 15), At(11, 45), 1800}}},
        {"four and a half hours, then the full break",
         {{D, 4 * kHour + 30 * kMinute}, {S, 45 * kMinute}, {D, kHour}},
         {{"short", At(8, 0), At(10, 30), 9000}}},
        {"a break of 44 minutes is only the first part",
         {{D, 2 * kHour}, {S, 44 * kMinute}, {D, 2 * kHour}, {S, 14 * kMinute}, {D, 31 * kMinute}},
         {{"short", At(10, 58), At(11, 29), 1860}, {"eu", At(11, 28), At(11, 29), 60}}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<DayResult> days = Analyse({{"20150302", Drives(c.segments)}});
        ASSERT_EQ(days.size(), 1u);
        const std::int64_t m = Midnight("20150302");
        const std::vector<RuleViolation>& violations = days[0].violations;
        ASSERT_EQ(violations.size(), c.expected.size());
        for (std::size_t i = 0; i < violations.size(); ++i) {
            EXPECT_EQ(violations[i].rule, c.expected[i].rule);
            EXPECT_EQ(FormatHalfSecondTime(violations[i].start),
                      FormatHalfSecondTime(HalfTime(m, c.expected[i].start)));
            EXPECT_EQ(FormatHalfSecondTime(violations[i].end),
                      FormatHalfSecondTime(HalfTime(m, c.expected[i].end)));
            EXPECT_EQ(violations[i].secondsOver, c.expected[i].seconds);
        }
    }
}

TEST(DayAnalyserRules, DrivingCarriesAcrossMidnightOnlyIntoTheNextDay) {
    Day evening = EmptyDay();
    Fill(evening, At(23, 0), kHour, k72Kmh);
    Day morning = EmptyDay();
    Fill(morning, 0, kHour + 30 * kMinute, k72Kmh);

    const std::vector<DayResult> next = Analyse({{"20150302", evening}, {"20150303", morning}});
    ASSERT_EQ(next.size(), 2u);
    EXPECT_TRUE(next[0].violations.empty());
    ASSERT_EQ(next[1].violations.size(), 1u);
    EXPECT_EQ(next[1].violations[0].rule, "short");
    EXPECT_EQ(FormatHalfSecondTime(next[1].violations[0].start), "2015-03-03 01:00:00.000");
    EXPECT_EQ(FormatHalfSecondTime(next[1].violations[0].end), "2015-03-03 01:30:00.000");
    EXPECT_EQ(next[1].violations[0].secondsOver, 1800);

    // A day later the night between held no samples: a fresh start.
    const std::vector<DayResult> later = Analyse({{"20150302", evening}, {"20150304", morning}});
    ASSERT_EQ(later.size(), 2u);
    EXPECT_TRUE(later[0].violations.empty());
    EXPECT_TRUE(later[1].violations.empty());
}

TEST(DayAnalyserTotals, DistanceAndDrivingOfTheDay) {
    Day day = EmptyDay();
    Fill(day, At(8, 0), kHour, k72Kmh);    // 72 km in an hour
    Fill(day, At(9, 0), 10 * kMinute, 0);  // standing: recorded, not driving
    Fill(day, At(23, 59, 59, 1), 1, 500);  // the last half-second of the day
    const std::vector<DayResult> days = Analyse({{"20150302", day}});
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].distanceCm, 7'200'500u);
    EXPECT_EQ(days[0].drivingHalfSeconds, 7201);
    EXPECT_EQ(FormatHalfSecondTime(days[0].firstDriving), "2015-03-02 08:00:00.000");
    EXPECT_EQ(FormatHalfSecondTime(days[0].lastDriving), "2015-03-02 23:59:59.500");
}

}  // namespace
}  // namespace vantrel::analysis
