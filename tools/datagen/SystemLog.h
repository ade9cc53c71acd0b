// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's event log "system.log": a 64-byte header (magic 0xFEFEFEFE, byte 17 zero)
// and 1,000 or 10,000 slots of 64 bytes. A slot that holds an event starts with "KCCC" and
// ends with the CRC-16/X-25 of its first 62 bytes; empty slots are all zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel::datagen {

inline constexpr std::uint32_t kLogMagic = 0xFEFEFEFE;
inline constexpr std::size_t kLogHeaderSize = 64;
inline constexpr std::size_t kLogRecordSize = 64;
inline constexpr int kLogSlotsSmall = 1000;   // file of 64,064 bytes
inline constexpr int kLogSlotsLarge = 10000;  // file of 640,064 bytes

// Event codes. 10 and 16 are the clock adjustments the converter looks for; the others are
// what else a recorder logs, and must be ignored by it (11 looks close on purpose).
inline constexpr std::uint32_t kEventPowerOn = 1;
inline constexpr std::uint32_t kEventPowerOff = 2;
inline constexpr std::uint32_t kEventCardInserted = 3;
inline constexpr std::uint32_t kEventClockSet = 10;
inline constexpr std::uint32_t kEventClockCheck = 11;
inline constexpr std::uint32_t kEventClockSync = 16;
inline constexpr std::uint32_t kEventSensorFault = 20;

inline bool IsClockAdjustment(std::uint32_t code) {
    return code == kEventClockSet || code == kEventClockSync;
}

struct LogEvent {
    std::uint32_t code = 0;
    std::int16_t zoneMinutes = 0;
    std::int64_t timeBefore = 0;  // device time; for other events the time of the event
    std::int64_t timeAfter = 0;   // device time after a clock adjustment
    bool badCrc = false;          // written with a checksum that does not match
};

// CRC-16/X-25: reflected polynomial 0x1021 (0x8408), initial 0xFFFF, final inversion.
std::uint16_t Crc16X25(const std::uint8_t* data, std::size_t size);

// The whole log file: slots is kLogSlotsSmall or kLogSlotsLarge. When there are more events
// than slots, the oldest ones are left out, as a full log keeps the newest.
std::vector<std::uint8_t> EncodeSystemLog(const std::vector<LogEvent>& events, int slots);

}  // namespace vantrel::datagen
