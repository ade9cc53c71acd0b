// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's event log "system.log": a 64-byte header (magic 0xFEFEFEFE, byte 17 zero)
// and 1,000 or 10,000 records of 64 bytes, so exactly 64,064 or 640,064 bytes. A record that
// holds an event starts with "KCCC"; codes 10 and 16 are clock adjustments with the signed
// zone offset (minutes) at 16 and the clock times before and after (signed 64-bit seconds,
// device time) at 20 and 28; bytes 62-63 hold the CRC-16/X-25 of bytes 0-61.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

inline constexpr std::size_t kDeviceLogHeaderSize = 64;
inline constexpr std::size_t kDeviceLogSmallSize = 64 + 1'000 * 64;   // 64,064
inline constexpr std::size_t kDeviceLogLargeSize = 64 + 10'000 * 64;  // 640,064
inline constexpr std::uint32_t kEventClockSet = 10;
inline constexpr std::uint32_t kEventClockSync = 16;

// CRC-16/X-25: reflected polynomial 0x1021 (0x8408), initial value 0xFFFF, final inversion.
// "123456789" gives 0x906E.
std::uint16_t Crc16X25(const std::uint8_t* data, std::size_t size);

}  // namespace vantrel
