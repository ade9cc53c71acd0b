// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduling of the trips of a scenario and their records.
#include "tools/datagen/TripPlanner.h"

#include <algorithm>
#include <limits>

#include "tools/datagen/Prng.h"

namespace vantrel::datagen {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kLatestOrdinaryStart = 22 * kHour + 1800;

class DayPlanner {
public:
    DayPlanner(const Scenario& s, std::uint64_t seed, TripPlan& plan)
        : m_s(s), m_seed(seed), m_plan(plan) {}

    void PlanDay(int day) {
        Prng rng(MixSeed(m_seed, 1, static_cast<std::uint64_t>(day)));
        const std::int64_t midnight = MidnightOf(m_s.startDate) + day * 86400LL;
        int count = static_cast<int>(rng.Uniform(m_s.minTripsPerDay, m_s.maxTripsPerDay));
        const int forced = ForcedTrips(day);
        if (rng.Chance(m_s.restDayPermille)) {
            count = 0;
        }
        count = std::max(count, forced);
        for (int i = 0; i < count; ++i) {
            if (m_s.Has({day, i}, FileQuirk::CrossesMidnight)) {
                count = i + 1;
            }
        }
        if (count == 0) {
            return;
        }
        std::int64_t start = std::max(midnight + rng.Uniform(19800, 32400), m_earliest);
        // Shorter trips on busy days, so that ordinary trips end well before midnight.
        const std::int64_t budget =
            (midnight + 22 * kHour - start - (count - 1) * kHour) / 60 / count - 20;
        const int maxMinutes =
            static_cast<int>(std::clamp<std::int64_t>(budget, 5, m_s.maxTripMinutes));
        const int minMinutes = std::min(m_s.minTripMinutes, maxMinutes);
        for (int i = 0; i < count; ++i) {
            const TripRef ref{day, i};
            Prng tripRng(MixSeed(m_seed, 2, static_cast<std::uint64_t>(day) * 16 + i));
            const bool crossing = m_s.Has(ref, FileQuirk::CrossesMidnight);
            if (i > 0) {
                start = m_s.Has(ref, FileQuirk::SharesMinute)
                            ? m_plan.trips.back().End() + 20
                            : m_plan.trips.back().End() + tripRng.Uniform(600, kHour);
            }
            if (crossing) {
                start = std::max(start, midnight + 23 * kHour + 900 + tripRng.Uniform(0, 1800));
            } else if (i >= forced && start > midnight + kLatestOrdinaryStart) {
                break;
            }
            int seconds = static_cast<int>(tripRng.Uniform(minMinutes, maxMinutes)) * 60;
            if (crossing) {
                seconds = std::max<int>(seconds, static_cast<int>(midnight + 86400 - start) + 600);
            }
            AddTrip(ref, start, seconds, tripRng, i + 1 < count);
            m_earliest = m_plan.trips.back().End() + 1800;
        }
    }

private:
    int ForcedTrips(int day) const {
        int forced = 0;
        for (const QuirkSpec& q : m_s.quirks) {
            forced = q.trip.day == day ? std::max(forced, q.trip.trip + 1) : forced;
        }
        for (const RecordBreak& b : m_s.recordBreaks) {
            forced = b.first.day == day ? std::max(forced, b.first.trip + 1) : forced;
        }
        return forced;
    }

    TripEnding EndingOf(TripRef ref) const {
        if (m_s.Has(ref, FileQuirk::EndsInStandstill)) {
            return TripEnding::Standstill;
        }
        return m_s.Has(ref, FileQuirk::EndsShort) ? TripEnding::Short : TripEnding::ByChance;
    }

    void AddTrip(TripRef ref, std::int64_t start, int seconds, Prng& rng, bool hasNext) {
        PlannedTrip trip;
        trip.ref = ref;
        trip.start = start;
        trip.headerOnly = m_s.Has(ref, FileQuirk::HeaderOnly);
        if (!trip.headerOnly) {
            trip.samples = DriveTrip(rng, seconds, m_s.style, EndingOf(ref));
        }
        if (hasNext && !trip.headerOnly &&
            m_s.Has({ref.day, ref.trip + 1}, FileQuirk::SharesMinute)) {
            // Stand on until second 20 of a minute; the next trip starts at second 40.
            while (trip.samples.size() % 2 != 0 || (trip.End() % 60) != 20) {
                trip.samples.push_back(0);
            }
        }
        if (!trip.headerOnly && m_s.Has(ref, FileQuirk::NotClosedNormally)) {
            AddSetBack(trip);
        }
        m_plan.trips.push_back(std::move(trip));
    }

    // The clock is set back mid-trip by more than the whole trip lasts, so every later minute
    // record of the file is earlier than its start.
    void AddSetBack(const PlannedTrip& trip) {
        const std::int64_t middle = trip.start + (trip.End() - trip.start) / 2;
        std::int64_t at = middle - middle % 60 + 60;
        if (at >= trip.End()) {
            at = trip.start - trip.start % 60 + 60;
        }
        const std::int64_t length = trip.End() - trip.start;
        ClockAdjustment spec;
        spec.eventCode = kEventClockSet;
        spec.shiftSeconds = -((length + 59) / 60 * 60 + 600);
        m_plan.adjustments.push_back({at, spec});
    }

    const Scenario& m_s;
    std::uint64_t m_seed;
    TripPlan& m_plan;
    std::int64_t m_earliest = std::numeric_limits<std::int64_t>::min();
};

const RecordBreak* BreakAt(const Scenario& s, TripRef ref) {
    for (const RecordBreak& b : s.recordBreaks) {
        if (b.first == ref) {
            return &b;
        }
    }
    return nullptr;
}

void AssignRecords(const Scenario& s, std::vector<PlannedTrip>& trips) {
    int record = -1;
    int driver = 0;
    int nextAutoDay = s.newRecordEveryDays;
    for (PlannedTrip& trip : trips) {
        const RecordBreak* brk = BreakAt(s, trip.ref);
        const bool autoBreak = s.newRecordEveryDays > 0 && trip.ref.day >= nextAutoDay;
        if (autoBreak) {
            nextAutoDay = (trip.ref.day / s.newRecordEveryDays + 1) * s.newRecordEveryDays;
        }
        if (record < 0 || brk != nullptr || autoBreak) {
            if (brk != nullptr) {
                driver = brk->driver;
            } else if (record >= 0) {
                driver = (driver + 1) % static_cast<int>(s.drivers.size());
            }
            ++record;
        }
        trip.record = record;
        trip.driver = driver;
    }
}

}  // namespace

TripPlan PlanTrips(const Scenario& scenario, std::uint64_t seed) {
    TripPlan plan;
    DayPlanner planner(scenario, seed, plan);
    for (int day = 0; day < scenario.days; ++day) {
        planner.PlanDay(day);
    }
    AssignRecords(scenario, plan.trips);
    const std::int64_t firstMidnight = MidnightOf(scenario.startDate);
    for (const ClockAdjustment& a : scenario.clockAdjustments) {
        plan.adjustments.push_back({firstMidnight + a.day * 86400LL + a.minuteOfDay * 60LL, a});
    }
    std::stable_sort(
        plan.adjustments.begin(), plan.adjustments.end(),
        [](const PlannedAdjustment& a, const PlannedAdjustment& b) { return a.at < b.at; });
    return plan;
}

}  // namespace vantrel::datagen
