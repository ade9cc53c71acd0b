// SPDX-License-Identifier: GPL-3.0-or-later
// A vehicle driven through a trip, half-second by half-second: it pulls away at 1-3 m/s^2,
// cruises with some noise around a speed that suits the road, brakes (now and then hard),
// waits at lights, sometimes stands for more than ten minutes, sometimes speeds. All in
// integers (millimetres per second), so the samples are the same on every machine.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/Prng.h"

namespace vantrel::datagen {

struct DriveStyle {
    int speedLimitKmh = 100;          // limit of the fastest roads; speeding legs go above it
    int speedingPermille = 120;       // share of fast-road legs driven above the limit
    int hardBrakePermille = 40;       // stops braked at 6-8 m/s^2
    int longStopPermille = 40;        // stops of more than ten minutes with the recorder on
    int dropoutPermille = 40;         // legs with a few seconds without samples while moving
    int recorderOffPermille = 30;     // stops with the recorder off: 0xFFFF, missing minutes
    int endStandstillPermille = 100;  // trips that end with over ten minutes standing
};

enum class TripEnding {
    ByChance,    // by the style's end-standstill share
    Short,       // stands less than a minute at the end
    Standstill,  // stands at least 1,230 half-seconds at the end, recorder on
};

// Fastest speed the model ever reaches: 190 km/h, in mm/s.
inline constexpr int kModelMaxSpeed = 52'777;

// Samples (centimetres per half-second, 0xFFFF for none) from the moment the recorder starts.
// The vehicle starts and ends standing; the drive lasts at least minimumSeconds unless that is 0.
std::vector<std::uint16_t> DriveTrip(Prng& rng, int minimumSeconds, const DriveStyle& style,
                                     TripEnding ending);

}  // namespace vantrel::datagen
