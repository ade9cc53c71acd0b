// SPDX-License-Identifier: GPL-3.0-or-later
// The vocabulary of driving data. A sample is the centimetres covered in one half-second
// (0xFFFF: no sample, 0: standing with the recorder running). A calendar day is a grid of
// 24 x 60 x 120 = 172,800 samples at index (hour * 60 + minute) * 120 + half-second; on disk
// the day image is those samples little-endian in index order, 345,600 bytes, and an empty day
// is all 0xFF bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

inline constexpr std::uint16_t kNoSample = 0xFFFF;
inline constexpr int kHoursPerDay = 24;
inline constexpr int kMinutesPerHour = 60;
inline constexpr int kSamplesPerMinute = 120;
inline constexpr std::size_t kSamplesPerDay = 172'800;
inline constexpr std::size_t kDayImageBytes = kSamplesPerDay * 2;  // 345,600
inline constexpr std::uint32_t kStandstillSamples = 1200;          // ten minutes of zeros

constexpr std::size_t DaySampleIndex(int hour, int minute, int halfSecond) {
    return (static_cast<std::size_t>(hour) * kMinutesPerHour + static_cast<std::size_t>(minute)) *
               kSamplesPerMinute +
           static_cast<std::size_t>(halfSecond);
}

// Speed of one sample in km/h: sample x 0.036 x 2 (a sample of 1000 is 72 km/h).
inline double SampleSpeedKmh(std::uint16_t sample) {
    return sample * 0.036 * 2.0;
}

// The speed of one sample as the graphs, the cursor readout and the driving analysis use it:
// the product sample x 0.036 rounded to single precision, then doubled in single precision.
inline float SampleSpeedKmhSingle(std::uint16_t sample) {
    return static_cast<float>(sample * 0.036) * 2.0f;
}

// The maximum speed as the record files state it: the sample as single precision times
// 0.036, rounded to single precision, then doubled (900 gives 64.8 km/h).
inline double MaxSpeedKmh(std::uint32_t largestSample) {
    const float product =
        static_cast<float>(static_cast<double>(static_cast<float>(largestSample)) * 0.036);
    return static_cast<double>(product) * 2.0;
}

// "VQ%02X%02X%02X" of the three id bytes of a recorder: eight characters such as VQ0A1B2C.
std::string DeviceIdText(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);

// A device time plus the recorder's zone offset, as a local time value. The sum is taken in
// full width: a sum outside 0..2^32-1 (an unset clock near 0 with a negative offset) is no
// time (0) instead of wrapping round to a time in 2106.
std::uint32_t LocalTimeValue(std::int64_t deviceTime, std::int32_t zoneMinutes);

}  // namespace vantrel
