// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar arithmetic of the generator. Time values are seconds since 1970 read with the UTC
// calendar only (the recorder's local time, no daylight rule), computed here on their own so
// the generated data never leans on the code it is meant to check.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::datagen {

// Recorder times below this are an unset clock; the converter treats them as no time.
inline constexpr std::int64_t kFirstValidTime = 900'000'000;
inline constexpr std::int64_t kLastValidTime = 5'000'000'000;

struct CivilDate {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// A calendar time with milliseconds (0 or 500 for sample times); all zero means no time.
struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    CivilDate Date() const { return {year, month, day}; }
    bool IsZero() const { return *this == CivilTime{}; }
    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Days since 1970-01-01 of a date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(CivilDate date);
CivilDate CivilFromDays(std::int64_t days);

// Seconds of local midnight of a date.
inline std::int64_t MidnightOf(CivilDate date) {
    return DaysFromCivil(date) * 86400;
}

// Calendar time of a time value, whatever its size (names of files of an unset clock).
CivilTime ToCivil(std::int64_t seconds);
// The converter's reading: all zero outside [900,000,000, 5,000,000,000].
CivilTime ToValidCivil(std::int64_t seconds);

// "YYYYMMDDhhmmss"; "YYYYMMDDhhmmss.<ms>" with the milliseconds as "%d" (".500", ".0");
// "YYYY/MM/DD hh:mm:ss"; "YYYYMMDD".
std::string FormatStamp(const CivilTime& time);
std::string FormatStampMs(const CivilTime& time);
std::string FormatSlashed(const CivilTime& time);
std::string FormatDate(CivilDate date);

}  // namespace vantrel::datagen
