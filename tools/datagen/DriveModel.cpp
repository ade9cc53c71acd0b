// SPDX-License-Identifier: GPL-3.0-or-later
// The trip model: legs of pull-away, cruise and braking, separated by stops.
#include "tools/datagen/DriveModel.h"

#include <algorithm>

#include "tools/datagen/DtcFile.h"

namespace vantrel::datagen {

namespace {

int KmhToMms(int kmh) {
    return kmh * 2500 / 9;
}

struct RoadClass {
    int minKmh;
    int maxKmh;
    int minCruiseSeconds;
    int maxCruiseSeconds;
};

class TripBuilder {
public:
    TripBuilder(Prng& rng, const DriveStyle& style) : m_rng(rng), m_style(style) {}

    std::vector<std::uint16_t> Take() { return std::move(m_samples); }
    std::size_t Size() const { return m_samples.size(); }

    // One half-second at the given acceleration (mm/s^2). The distance is the mean of the
    // speeds at both ends times half a second; the remainder below a centimetre carries over.
    void Step(int accel) {
        const int next = std::clamp(m_speed + accel / 2, 0, kModelMaxSpeed);
        m_carry += m_speed + next;  // quarter millimetres
        const int sample = m_carry / 40;
        m_carry %= 40;
        m_speed = next;
        m_samples.push_back(m_dropout > 0 ? kNoSample : static_cast<std::uint16_t>(sample));
        if (m_dropout > 0) {
            --m_dropout;
        }
    }

    void Accelerate(int target) {
        const int accel = static_cast<int>(m_rng.Uniform(1000, 3000));
        while (m_speed < target) {
            // Ease off over the last few km/h, as a driver does.
            Step(std::min(accel, (target - m_speed) * 2 + 300));
        }
    }

    void Cruise(int target, int lo, int hi, int halfSeconds) {
        int jitter = 0;
        // A loose sensor contact: a few seconds without samples while the vehicle moves on.
        const int dropoutAt = m_rng.Chance(m_style.dropoutPermille)
                                  ? static_cast<int>(m_rng.Uniform(0, halfSeconds - 1))
                                  : -1;
        for (int i = 0; i < halfSeconds; ++i) {
            if (i == dropoutAt) {
                m_dropout = static_cast<int>(m_rng.Uniform(2, 30));
            }
            if (i % 8 == 0) {
                jitter = static_cast<int>(m_rng.Uniform(-350, 350));
            }
            if (i % 40 == 39) {
                target = std::clamp(target + static_cast<int>(m_rng.Uniform(-1200, 1200)), lo, hi);
            }
            Step(std::clamp((target - m_speed) / 3, -600, 600) + jitter);
        }
    }

    void Brake(bool hard) {
        const int decel =
            static_cast<int>(hard ? m_rng.Uniform(6000, 8000) : m_rng.Uniform(1500, 3000));
        while (m_speed > 0) {
            Step(-decel);
        }
        m_carry = 0;
    }

    void Stand(int halfSeconds, bool recorderOn) {
        for (int i = 0; i < halfSeconds; ++i) {
            m_samples.push_back(recorderOn ? 0 : kNoSample);
        }
    }

    void Leg(int remainingHalfSeconds) {
        static constexpr RoadClass kCity{30, 55, 20, 120};
        static constexpr RoadClass kRoad{60, 85, 60, 400};
        const int pick = static_cast<int>(m_rng.Uniform(0, 9));
        RoadClass road = pick < 5 ? kCity : pick < 8 ? kRoad : RoadClass{0, 0, 120, 900};
        if (pick >= 8) {
            const int limit = m_style.speedLimitKmh;
            road.minKmh = limit - 15;
            road.maxKmh = limit + 5;
            if (m_rng.Chance(m_style.speedingPermille)) {
                road.minKmh = limit + 10;
                road.maxKmh = limit + 35;
            }
        }
        const int lo = KmhToMms(std::max(road.minKmh, 10));
        const int hi = std::min(KmhToMms(std::max(road.maxKmh, 15)), kModelMaxSpeed);
        const int target = static_cast<int>(m_rng.Uniform(lo, hi));
        Accelerate(target);
        const int cruise = static_cast<int>(m_rng.Uniform(std::int64_t{road.minCruiseSeconds} * 2,
                                                          std::int64_t{road.maxCruiseSeconds} * 2));
        Cruise(target, lo, hi, std::max(20, std::min(cruise, remainingHalfSeconds)));
        Brake(m_rng.Chance(m_style.hardBrakePermille));
    }

    // A stop between legs: at lights, a standstill of over ten minutes, or engine off.
    void Stop() {
        if (m_rng.Chance(m_style.longStopPermille)) {
            Stand(static_cast<int>(m_rng.Uniform(1250, 2400)), true);
        } else if (m_rng.Chance(m_style.recorderOffPermille)) {
            Stand(static_cast<int>(m_rng.Uniform(4, 20)), true);
            Stand(static_cast<int>(m_rng.Uniform(240, 960)), false);
        } else {
            Stand(static_cast<int>(m_rng.Uniform(16, 180)), true);
        }
    }

private:
    Prng& m_rng;
    const DriveStyle& m_style;
    std::vector<std::uint16_t> m_samples;
    int m_speed = 0;  // mm/s
    int m_carry = 0;
    int m_dropout = 0;
};

}  // namespace

std::vector<std::uint16_t> DriveTrip(Prng& rng, int minimumSeconds, const DriveStyle& style,
                                     TripEnding ending) {
    if (ending == TripEnding::ByChance) {
        ending =
            rng.Chance(style.endStandstillPermille) ? TripEnding::Standstill : TripEnding::Short;
    }
    TripBuilder trip(rng, style);
    trip.Stand(static_cast<int>(rng.Uniform(4, 40)), true);
    const auto wanted = static_cast<std::size_t>(std::max(minimumSeconds, 0)) * 2;
    while (trip.Size() < wanted) {
        trip.Leg(static_cast<int>(wanted - trip.Size()));
        if (trip.Size() < wanted) {
            trip.Stop();
        }
    }
    if (ending == TripEnding::Standstill) {
        trip.Stand(static_cast<int>(rng.Uniform(1230, 1800)), true);
    } else {
        trip.Stand(static_cast<int>(rng.Uniform(4, 100)), true);
    }
    return trip.Take();
}

}  // namespace vantrel::datagen
