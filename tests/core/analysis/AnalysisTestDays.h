// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made days for the analysis tests: a day of no samples, runs of one sample value placed
// at clock times, and the half-second times of those clock times.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/data/RecordModel.h"
#include "core/util/TimeUtil.h"

namespace vantrel::test {

using Day = std::vector<std::uint16_t>;

inline Day EmptyDay() {
    return Day(kSamplesPerDay, kNoSample);
}

// Half-second index of a clock time within the day.
constexpr std::size_t At(int hour, int minute, int second = 0, int half = 0) {
    return DaySampleIndex(hour, minute, second * 2 + half);
}

// Sets `count` samples from `from` (an index) to `value`.
inline void Fill(Day& day, std::size_t from, std::size_t count, std::uint16_t value) {
    for (std::size_t i = from; i < from + count && i < day.size(); ++i) {
        day[i] = value;
    }
}

// Midnight of a YYYYMMDD date as a time value.
inline std::int64_t Midnight(const std::string& date) {
    return SystemTimeToSeconds(ParseTimeStamp(date + "000000", 0));
}

// The half-second time of an index of the day of that midnight.
inline std::int64_t HalfTime(std::int64_t midnight, std::size_t index) {
    return midnight * 2 + static_cast<std::int64_t>(index);
}

inline constexpr std::size_t kMinute = 120;  // samples
inline constexpr std::size_t kHour = 60 * kMinute;
inline constexpr std::uint16_t k72Kmh = 1000;  // a sample of 1000 is 72 km/h

}  // namespace vantrel::test
