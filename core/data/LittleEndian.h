// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian reads and writes of the recorder's binary layouts, byte by byte, so they hold
// on any host and never read through a misaligned pointer.
#pragma once

#include <cstdint>

namespace vantrel::le {

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t GetI16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(GetU16(p));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int64_t GetI64(const std::uint8_t* p) {
    const std::uint64_t low = GetU32(p);
    const std::uint64_t high = GetU32(p + 4);
    return static_cast<std::int64_t>(low | (high << 32));
}
inline void PutU16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace vantrel::le
