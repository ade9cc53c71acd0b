// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's random numbers: xoshiro256** seeded through splitmix64, with integer-only
// helpers, so one seed yields the same bytes with every compiler and standard library.
#pragma once

#include <cstdint>

namespace vantrel::datagen {

// One step of splitmix64; also used to mix several numbers into one seed.
inline std::uint64_t SplitMix64(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A seed for one part of a scenario (a day, a trip), so that parts stay independent: changing
// one trip does not change the random numbers of any other.
inline std::uint64_t MixSeed(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0) {
    std::uint64_t state = seed;
    std::uint64_t mixed = SplitMix64(state);
    state ^= a * 0xD1B54A32D192ED03ull;
    mixed ^= SplitMix64(state);
    state ^= b * 0x8CB92BA72F3D8DD7ull;
    return mixed ^ SplitMix64(state);
}

class Prng {
public:
    explicit Prng(std::uint64_t seed) {
        std::uint64_t state = seed;
        for (auto& word : m_state) {
            word = SplitMix64(state);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotl(m_state[3], 45);
        return result;
    }

    // Uniform integer in [lo, hi] (both included; hi >= lo), without modulo bias.
    std::int64_t Uniform(std::int64_t lo, std::int64_t hi) {
        const std::uint64_t range = static_cast<std::uint64_t>(hi - lo) + 1;
        if (range == 0) {
            return static_cast<std::int64_t>(Next());
        }
        const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % range);
        std::uint64_t value = Next();
        while (value >= limit) {
            value = Next();
        }
        return lo + static_cast<std::int64_t>(value % range);
    }

    // True with a probability of permille / 1000.
    bool Chance(int permille) { return Uniform(0, 999) < permille; }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t m_state[4];
};

}  // namespace vantrel::datagen
