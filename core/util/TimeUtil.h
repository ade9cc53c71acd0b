// SPDX-License-Identifier: GPL-3.0-or-later
// Time values of the driving data and their texts. The recorder stores local time in seconds
// since 1970 and every conversion uses the UTC calendar only: no time-zone or daylight rule of
// the computer ever enters, so 1,426,155,330 always reads 2015-03-12 10:15:30.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// A calendar time in the field order of the recorder's platform; all zero means no time.
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;      // 1-12
    std::uint16_t wDayOfWeek = 0;  // 0 is Sunday
    std::uint16_t wDay = 0;        // 1-31
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    bool IsZero() const { return *this == SystemTime{}; }
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// Valid time values lie in [900,000,000, 5,000,000,000] seconds (1998-07-09 16:00:00 to
// 2128-06-11 08:53:20); millisecond values in the same window times 1000.
inline constexpr std::int64_t kMinValidSeconds = 900'000'000;
inline constexpr std::int64_t kMaxValidSeconds = 5'000'000'000;

// Calendar fields of a time value; all zero outside the validity window.
SystemTime SecondsToSystemTime(std::int64_t seconds);
// The same for milliseconds; the milliseconds field is the value mod 1000.
SystemTime MillisecondsToSystemTime(std::int64_t milliseconds);
// Time value of calendar fields (day of week and milliseconds ignored); out-of-range fields
// roll over as the C runtime's inverse UTC conversion does (minute 60 is the next hour, month
// 13 January of the next year, day 0 the previous month's last day). -1 when the rolled-over
// date lies outside 1970-01-01 00:00:00 to 3000-12-31 23:59:59, the range of that conversion;
// so the all-zero record (month 0 of year 0) gives -1, and -1 never stands for a date.
std::int64_t SystemTimeToSeconds(SystemTime time);

// Calendar time read from fixed slices of a text (C wide-string-to-integer rules: optional
// blanks and sign, then leading digits, 0 when none; slices past the end give 0).
// Positions count characters (code points), not bytes. The fields are 16-bit: a negative
// slice such as "-1" wraps as the platform's record would hold it.
// Layout 1: device file listing entries; 2: `.dtc` titles xxxxxxxxxx_YYYYMMDD_hhmmss;
// any other (callers pass 0): time stamps YYYYMMDDhhmmss, also YYYYMMDD.cda.
SystemTime ParseTimeStamp(std::string_view text, int layout);

// "2015.03.12 10:15:30", "2015.03.12 10:15:30.5" or, time only, "10:15:30(.5)" of a
// YYYYMMDDhhmmss[.f...] stamp; empty for an empty stamp. Only the first fraction digit shows.
std::string FormatTimeStamp(std::string_view stamp, bool timeOnly);
// "%d:%02d:%02d.%d" of a half-second count: 7201 reads "1:00:00.5".
std::string FormatHalfSeconds(std::uint32_t halfSeconds);

}  // namespace vantrel
