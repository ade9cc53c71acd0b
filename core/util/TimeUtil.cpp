// SPDX-License-Identifier: GPL-3.0-or-later
// Time values and their texts. The calendar arithmetic is done here on 64-bit integers
// instead of through localtime/mktime/timegm: the recorder's values hold local time already,
// so any time-zone or daylight rule of the computer would shift them.
#include "core/util/TimeUtil.h"

#include <cstdio>

#include "core/util/TextSlice.h"

namespace vantrel {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
// The range of the C runtime's 64-bit inverse UTC conversion: 1970-01-01 00:00:00 to
// 3000-12-31 23:59:59. Keeping results inside it leaves -1 free as the "no date" answer.
constexpr std::int64_t kMaxConvertibleSeconds = 32'535'215'999;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    return a - FloorDiv(a, b) * b;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12, any day count). The year
// is shifted to start in March so that the leap day falls at the end of it.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate CivilFromDays(std::int64_t days) {
    days += 719'468;
    const std::int64_t era = FloorDiv(days, 146'097);
    const std::int64_t dayOfEra = days - era * 146'097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const auto month =
        static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Callers have checked the validity window, so every field fits its 16 bits.
SystemTime SplitSeconds(std::int64_t seconds) {
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t secondOfDay = seconds - days * kSecondsPerDay;
    const CivilDate date = CivilFromDays(days);
    SystemTime time;
    time.wYear = static_cast<std::uint16_t>(date.year);
    time.wMonth = static_cast<std::uint16_t>(date.month);
    // 1970-01-01 was a Thursday.
    time.wDayOfWeek = static_cast<std::uint16_t>(FloorMod(days + 4, 7));
    time.wDay = static_cast<std::uint16_t>(date.day);
    time.wHour = static_cast<std::uint16_t>(secondOfDay / 3600);
    time.wMinute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
    time.wSecond = static_cast<std::uint16_t>(secondOfDay % 60);
    return time;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The C runtime's string-to-integer rules confined to one slice: blanks, an optional sign,
// then the leading digits; 0 when there are none. Slices are at most four characters, so the
// value never overflows.
long SliceValue(std::string_view text, std::size_t start, std::size_t count) {
    const std::string_view slice = SliceChars(text, start, count);
    std::size_t i = 0;
    while (i < slice.size() && IsBlank(slice[i])) {
        ++i;
    }
    bool negative = false;
    if (i < slice.size() && (slice[i] == '+' || slice[i] == '-')) {
        negative = slice[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < slice.size() && slice[i] >= '0' && slice[i] <= '9'; ++i) {
        value = value * 10 + (slice[i] - '0');
    }
    return negative ? -value : value;
}

// Start and length of each field's slice: year, month, day, hour, minute, second.
struct Layout {
    std::size_t start[6];
    std::size_t length[6];
};

constexpr Layout kDeviceListing{{26, 30, 32, 35, 37, 39}, {4, 2, 2, 2, 2, 2}};
constexpr Layout kDtcTitle{{11, 15, 17, 20, 22, 24}, {4, 2, 2, 2, 2, 2}};
constexpr Layout kTimeStamp{{0, 4, 6, 8, 10, 12}, {4, 2, 2, 2, 2, 2}};

std::string Chars(std::string_view text, std::size_t start, std::size_t count) {
    return std::string(SliceChars(text, start, count));
}

}  // namespace

SystemTime SecondsToSystemTime(std::int64_t seconds) {
    if (seconds < kMinValidSeconds || seconds > kMaxValidSeconds) {
        return {};
    }
    return SplitSeconds(seconds);
}

SystemTime MillisecondsToSystemTime(std::int64_t milliseconds) {
    if (milliseconds < kMinValidSeconds * 1000 || milliseconds > kMaxValidSeconds * 1000) {
        return {};
    }
    SystemTime time = SplitSeconds(milliseconds / 1000);
    time.wMilliseconds = static_cast<std::uint16_t>(milliseconds % 1000);
    return time;
}

std::int64_t SystemTimeToSeconds(SystemTime time) {
    // Months roll into years first, then every smaller field is a plain offset, which is how
    // the inverse UTC conversion normalises: month 13 is January of the next year, day 0 the
    // last day of the previous month, minute 60 the next hour.
    const std::int64_t monthCount = std::int64_t{time.wYear} * 12 + time.wMonth - 1;
    const std::int64_t year = FloorDiv(monthCount, 12);
    const std::int64_t month = monthCount - year * 12 + 1;
    const std::int64_t days = DaysFromCivil(year, month, 1) + time.wDay - 1;
    const std::int64_t seconds = days * kSecondsPerDay + std::int64_t{time.wHour} * 3600 +
                                 std::int64_t{time.wMinute} * 60 + time.wSecond;
    // Before 1970 or after the year 3000 the fields form no date of a time value; the all-zero
    // "no time" record lands here too (month -1 of year 0).
    if (seconds < 0 || seconds > kMaxConvertibleSeconds) {
        return -1;
    }
    return seconds;
}

SystemTime ParseTimeStamp(std::string_view text, int layout) {
    const Layout& slices = layout == 1 ? kDeviceListing : layout == 2 ? kDtcTitle : kTimeStamp;
    std::uint16_t fields[6];
    for (int i = 0; i < 6; ++i) {
        // The fields are 16-bit like the platform's calendar record: a negative slice wraps,
        // and the conversion to seconds then rejects the date.
        fields[i] = static_cast<std::uint16_t>(SliceValue(text, slices.start[i], slices.length[i]));
    }
    SystemTime time;
    time.wYear = fields[0];
    time.wMonth = fields[1];
    time.wDay = fields[2];
    time.wHour = fields[3];
    time.wMinute = fields[4];
    time.wSecond = fields[5];
    return time;
}

std::string FormatTimeStamp(std::string_view stamp, bool timeOnly) {
    if (stamp.empty()) {
        return {};
    }
    // Only the first digit of the fraction after the point at position 14 is shown.
    const std::string tenth = Chars(stamp, 15, 1);
    std::string text;
    if (!timeOnly) {
        text = Chars(stamp, 0, 4) + "." + Chars(stamp, 4, 2) + "." + Chars(stamp, 6, 2) + " ";
    }
    text += Chars(stamp, 8, 2) + ":" + Chars(stamp, 10, 2) + ":" + Chars(stamp, 12, 2);
    if (!tenth.empty()) {
        text += "." + tenth;
    }
    return text;
}

std::string FormatHalfSeconds(std::uint32_t halfSeconds) {
    const std::uint32_t secondOfHour = halfSeconds / 2 % 3600;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%u", halfSeconds / 7200, secondOfHour / 60,
                  secondOfHour % 60, (halfSeconds % 2) * 5);
    return text;
}

}  // namespace vantrel
