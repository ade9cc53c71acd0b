// SPDX-License-Identifier: GPL-3.0-or-later
// First step of the generation: when each trip runs (true local time, as the vehicle lived
// it), what the vehicle did in it, which record it belongs to, and the clock adjustments that
// the special cases add. Device clocks and file layout come afterwards (Generator.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/Scenario.h"

namespace vantrel::datagen {

struct PlannedTrip {
    TripRef ref;
    std::int64_t start = 0;              // true local seconds
    std::vector<std::uint16_t> samples;  // one per half-second from start
    bool headerOnly = false;
    int record = 0;
    int driver = 0;

    std::int64_t End() const { return start + static_cast<std::int64_t>((samples.size() + 1) / 2); }
};

struct PlannedAdjustment {
    std::int64_t at = 0;  // true local seconds, on a minute boundary
    ClockAdjustment spec;
};

struct TripPlan {
    std::vector<PlannedTrip> trips;              // in time order
    std::vector<PlannedAdjustment> adjustments;  // in time order
};

// The scenario must have passed Validate.
TripPlan PlanTrips(const Scenario& scenario, std::uint64_t seed);

}  // namespace vantrel::datagen
