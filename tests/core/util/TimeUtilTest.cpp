// SPDX-License-Identifier: GPL-3.0-or-later
// Time values, calendar fields and their texts: the validity windows, the rolling over of
// out-of-range fields, the fixed-position parsing of stamps and titles, the display formats,
// and that no time-zone or daylight rule of the computer enters any conversion (the tests run
// with TZ=Europe/Berlin; one test also switches zones while it runs).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <ostream>
#include <string>

#include "core/util/TimeUtil.h"

namespace vantrel {

void PrintTo(const SystemTime& t, std::ostream* os) {
    *os << t.wYear << "-" << t.wMonth << "-" << t.wDay << " " << t.wHour << ":" << t.wMinute << ":"
        << t.wSecond << "." << t.wMilliseconds << " dow " << t.wDayOfWeek;
}

namespace {

SystemTime Calendar(int year, int month, int day, int hour, int minute, int second,
                    int dayOfWeek = 0, int milliseconds = 0) {
    SystemTime t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    t.wMilliseconds = static_cast<std::uint16_t>(milliseconds);
    return t;
}

struct SecondsCase {
    std::int64_t seconds;
    SystemTime calendar;
};

class SecondsToSystemTimeTest : public testing::TestWithParam<SecondsCase> {};

TEST_P(SecondsToSystemTimeTest, SplitsWithTheUtcCalendar) {
    EXPECT_EQ(SecondsToSystemTime(GetParam().seconds), GetParam().calendar);
}

INSTANTIATE_TEST_SUITE_P(
    TimeUtil, SecondsToSystemTimeTest,
    testing::Values(SecondsCase{899'999'999, {}}, SecondsCase{0, {}}, SecondsCase{-1, {}},
                    SecondsCase{INT64_MIN, {}}, SecondsCase{INT64_MAX, {}},
                    SecondsCase{5'000'000'001, {}},
                    SecondsCase{900'000'000, Calendar(1998, 7, 9, 16, 0, 0, 4)},
                    SecondsCase{1'426'155'330, Calendar(2015, 3, 12, 10, 15, 30, 4)},
                    SecondsCase{5'000'000'000, Calendar(2128, 6, 11, 8, 53, 20, 5)},
                    SecondsCase{951'782'400, Calendar(2000, 2, 29, 0, 0, 0, 2)},
                    SecondsCase{4'107'542'400, Calendar(2100, 3, 1, 0, 0, 0, 1)},
                    SecondsCase{4'107'542'399, Calendar(2100, 2, 28, 23, 59, 59, 0)},
                    // Local times that do not exist or exist twice in Berlin read plainly.
                    SecondsCase{1'427'596'200, Calendar(2015, 3, 29, 2, 30, 0, 0)},
                    SecondsCase{1'445'740'200, Calendar(2015, 10, 25, 2, 30, 0, 0)}));

TEST(TimeUtil, MillisecondsKeepTheirRemainderInsideTheirOwnWindow) {
    EXPECT_EQ(MillisecondsToSystemTime(1'426'155'330'999),
              Calendar(2015, 3, 12, 10, 15, 30, 4, 999));
    EXPECT_EQ(MillisecondsToSystemTime(900'000'000'000), Calendar(1998, 7, 9, 16, 0, 0, 4));
    EXPECT_EQ(MillisecondsToSystemTime(5'000'000'000'000), Calendar(2128, 6, 11, 8, 53, 20, 5));
    EXPECT_TRUE(MillisecondsToSystemTime(899'999'999'999).IsZero());
    EXPECT_TRUE(MillisecondsToSystemTime(5'000'000'000'001).IsZero());
    // A second value is far below the millisecond window.
    EXPECT_TRUE(MillisecondsToSystemTime(1'426'155'330).IsZero());
    EXPECT_TRUE(MillisecondsToSystemTime(INT64_MIN).IsZero());
}

struct InverseCase {
    SystemTime calendar;
    std::int64_t seconds;
};

class SystemTimeToSecondsTest : public testing::TestWithParam<InverseCase> {};

TEST_P(SystemTimeToSecondsTest, RollsOverLikeTheInverseUtcConversion) {
    EXPECT_EQ(SystemTimeToSeconds(GetParam().calendar), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    TimeUtil, SystemTimeToSecondsTest,
    testing::Values(InverseCase{Calendar(2015, 3, 12, 10, 15, 30), 1'426'155'330},
                    // Day of week and milliseconds do not count.
                    InverseCase{Calendar(2015, 3, 12, 10, 15, 30, 6, 999), 1'426'155'330},
                    InverseCase{Calendar(1970, 1, 1, 0, 0, 0), 0},
                    InverseCase{Calendar(2015, 3, 12, 10, 60, 30), 1'426'158'030},  // minute 60
                    InverseCase{Calendar(2015, 3, 12, 10, 15, 60), 1'426'155'360},  // second 60
                    InverseCase{Calendar(2015, 3, 12, 24, 0, 0), 1'426'204'800},    // hour 24
                    InverseCase{Calendar(2015, 13, 1, 0, 0, 0), 1'451'606'400},     // 2016-01-01
                    InverseCase{Calendar(2016, 0, 1, 0, 0, 0), 1'448'928'000},      // 2015-12-01
                    InverseCase{Calendar(2016, 3, 0, 0, 0, 0), 1'456'704'000},      // 2016-02-29
                    InverseCase{Calendar(2015, 3, 0, 0, 0, 0), 1'425'081'600},      // 2015-02-28
                    InverseCase{Calendar(2015, 1, 32, 0, 0, 0), 1'422'748'800},     // 2015-02-01
                    InverseCase{Calendar(2015, 2, 29, 0, 0, 0), 1'425'168'000},     // 2015-03-01
                    InverseCase{Calendar(3000, 12, 31, 23, 59, 59),
                                32'535'215'999},  // the last one
                    // No date: the all-zero record, before 1970, past 3000, far out of range.
                    InverseCase{SystemTime{}, -1},
                    InverseCase{Calendar(1969, 12, 31, 23, 59, 59), -1},
                    InverseCase{Calendar(1970, 1, 0, 0, 0, 0), -1},
                    InverseCase{Calendar(1970, 0, 1, 0, 0, 0), -1},
                    InverseCase{Calendar(3001, 1, 1, 0, 0, 0), -1},
                    InverseCase{Calendar(65535, 65535, 65535, 65535, 65535, 65535), -1},
                    // Far-out fields that still land inside the range roll all the way.
                    InverseCase{Calendar(1970, 1, 1, 0, 0, 65535), 65'535},
                    InverseCase{Calendar(1969, 13, 1, 0, 0, 0), 0}));

TEST(TimeUtil, SecondsSurviveTheRoundTripAcrossTheWindow) {
    // A step that is no multiple of a day, month or year visits every time of day and date
    // pattern, leap days and century years included.
    for (std::int64_t t = kMinValidSeconds; t <= kMaxValidSeconds; t += 86'400 * 13 + 4'567) {
        ASSERT_EQ(SystemTimeToSeconds(SecondsToSystemTime(t)), t) << t;
    }
    EXPECT_EQ(SystemTimeToSeconds(SecondsToSystemTime(kMaxValidSeconds)), kMaxValidSeconds);
}

// Switching zones while the process runs would move any conversion that used the C
// runtime's local time; these values must not move.
TEST(TimeUtil, NoTimeZoneEntersAnyConversion) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    for (const char* zone :
         {"Europe/Berlin", "Asia/Seoul", "America/St_Johns", "Pacific/Kiritimati", "UTC"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(SecondsToSystemTime(1'427'596'200), Calendar(2015, 3, 29, 2, 30, 0, 0)) << zone;
        EXPECT_EQ(SystemTimeToSeconds(Calendar(2015, 3, 29, 2, 30, 0)), 1'427'596'200) << zone;
        EXPECT_EQ(SystemTimeToSeconds(Calendar(2015, 10, 25, 2, 30, 0)), 1'445'740'200) << zone;
        EXPECT_EQ(SystemTimeToSeconds(ParseTimeStamp("20150312101530", 0)), 1'426'155'330) << zone;
    }
    if (previous) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

struct ParseCase {
    const char* text;
    int layout;
    SystemTime calendar;
};

class ParseTimeStampTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTimeStampTest, ReadsFixedSlices) {
    EXPECT_EQ(ParseTimeStamp(GetParam().text, GetParam().layout), GetParam().calendar)
        << GetParam().text << " layout " << GetParam().layout;
}

INSTANTIATE_TEST_SUITE_P(
    TimeUtil, ParseTimeStampTest,
    testing::Values(ParseCase{"20150312101530", 0, Calendar(2015, 3, 12, 10, 15, 30)},
                    ParseCase{"20150312101530.500", 0, Calendar(2015, 3, 12, 10, 15, 30)},
                    // A day sample file name: the time slices read ".c", "da" and nothing.
                    ParseCase{"20150312.cda", 0, Calendar(2015, 3, 12, 0, 0, 0)},
                    ParseCase{"20150312101530", 7, Calendar(2015, 3, 12, 10, 15, 30)},
                    ParseCase{"", 0, SystemTime{}},
                    ParseCase{"2015", 0, Calendar(2015, 0, 0, 0, 0, 0)},
                    ParseCase{"VQ0A1B2C00_20150312_101530", 2, Calendar(2015, 3, 12, 10, 15, 30)},
                    ParseCase{"VQ0A1B2C00_20150312_101530.dtc", 2,
                              Calendar(2015, 3, 12, 10, 15, 30)},
                    // Positions count characters: two-byte letters in the first ten change nothing.
                    ParseCase{"ÄÖÜäöüßéèê_20150312_101530", 2, Calendar(2015, 3, 12, 10, 15, 30)},
                    ParseCase{"/dtacho/201503/VQ0A1B2C00_20150312_101530.dtc", 1,
                              Calendar(2015, 3, 12, 10, 15, 30)},
                    ParseCase{"/dtacho/201503/VQ0A1B2C00_2015", 1, Calendar(2015, 0, 0, 0, 0, 0)},
                    // Integer rules per slice: blanks and a sign before digits, digits up to the
                    // first other character, 0 without digits, a negative value wraps to 16 bits.
                    ParseCase{"2015 3+4\t5 6 7", 0, Calendar(2015, 3, 4, 5, 6, 7)},
                    ParseCase{"20151a1x0b..59", 0, Calendar(2015, 1, 1, 0, 0, 59)},
                    ParseCase{"  1503-1", 0, Calendar(15, 3, 65535, 0, 0, 0)},
                    ParseCase{"+001-2", 0, Calendar(1, 65534, 0, 0, 0, 0)}));

struct FormatCase {
    const char* stamp;
    bool timeOnly;
    const char* text;
};

class FormatTimeStampTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTimeStampTest, ShowsTheStampWithOneFractionDigit) {
    EXPECT_EQ(FormatTimeStamp(GetParam().stamp, GetParam().timeOnly), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    TimeUtil, FormatTimeStampTest,
    testing::Values(FormatCase{"", false, ""}, FormatCase{"", true, ""},
                    FormatCase{"20150312101530", false, "2015.03.12 10:15:30"},
                    FormatCase{"20150312101530.500", false, "2015.03.12 10:15:30.5"},
                    FormatCase{"20150312101530.0", false, "2015.03.12 10:15:30.0"},
                    FormatCase{"20150312101530.987", false, "2015.03.12 10:15:30.9"},
                    FormatCase{"20150312101530", true, "10:15:30"},
                    FormatCase{"20150312101530.500", true, "10:15:30.5"},
                    // A point without a digit shows no fraction; a short stamp short parts.
                    FormatCase{"20150312101530.", false, "2015.03.12 10:15:30"},
                    FormatCase{"2015031210", false, "2015.03.12 10::"},
                    FormatCase{"2015031210", true, "10::"}));

struct HalfSecondsCase {
    std::uint32_t halfSeconds;
    const char* text;
};

class FormatHalfSecondsTest : public testing::TestWithParam<HalfSecondsCase> {};

TEST_P(FormatHalfSecondsTest, ShowsHoursMinutesSecondsAndTheHalf) {
    EXPECT_EQ(FormatHalfSeconds(GetParam().halfSeconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(TimeUtil, FormatHalfSecondsTest,
                         testing::Values(HalfSecondsCase{0, "0:00:00.0"},
                                         HalfSecondsCase{1, "0:00:00.5"},
                                         HalfSecondsCase{7199, "0:59:59.5"},
                                         HalfSecondsCase{7201, "1:00:00.5"},
                                         HalfSecondsCase{172'800, "24:00:00.0"},
                                         HalfSecondsCase{4'294'967'295, "596523:14:07.5"}));

}  // namespace
}  // namespace vantrel
