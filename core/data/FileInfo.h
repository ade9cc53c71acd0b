// SPDX-License-Identifier: GPL-3.0-or-later
// stFileInfo: the content of one .dtc file placed on the day grid, a fixed record of 372,085
// bytes held as a byte buffer with little-endian accessors (the layout is the contract, so no
// packed struct stands in for it):
//   0        218 bytes  file header
//   218 + h * 15,494    hour record of hour h (254 bytes), followed by its 60 minute records
//                       (254 bytes each; time at offset 10, 120 samples at offset 14)
//   372,074  u32        local start time       372,078  u32  local end time
//   372,082  u8         day index              372,083  u8   record index
//   372,084  u8         closed-normally flag
// A new record is all zero except the 240 sample bytes of every minute record, which are 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/data/LittleEndian.h"

namespace vantrel {

struct stFileInfo {
    static constexpr std::size_t kSize = 372'085;
    static constexpr std::size_t kHeaderSize = 218;
    static constexpr std::size_t kRowSize = 254;             // hour or minute record
    static constexpr std::size_t kHourSize = 61 * kRowSize;  // 15,494
    static constexpr std::size_t kRecordTimeOffset = 10;     // in hour and minute records
    static constexpr std::size_t kMinuteSampleOffset = 14;   // 120 samples, 240 bytes
    static constexpr std::size_t kStartTimeOffset = 372'074;
    static constexpr std::size_t kEndTimeOffset = 372'078;
    static constexpr std::size_t kDayIndexOffset = 372'082;
    static constexpr std::size_t kRecordIndexOffset = 372'083;
    static constexpr std::size_t kClosedNormallyOffset = 372'084;

    // Header fields (offsets inside the header).
    static constexpr std::size_t kHdrFileStart = 12;    // u32, device time
    static constexpr std::size_t kHdrRecordStart = 16;  // u32, device time
    static constexpr std::size_t kHdrZoneMinutes = 20;  // i16
    static constexpr std::size_t kHdrRecordStamp = 24;  // u32
    static constexpr std::size_t kHdrDeviceId = 77;     // 3 bytes
    static constexpr std::size_t kHdrVehicleNo = 90;    // 32 UTF-16 units, zero-terminated
    static constexpr std::size_t kHdrDriverName = 154;  // 32 UTF-16 units, zero-terminated

    stFileInfo();

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    static constexpr std::size_t size() { return kSize; }

    static constexpr std::size_t HourRecordOffset(int hour) {
        return kHeaderSize + static_cast<std::size_t>(hour) * kHourSize;
    }
    static constexpr std::size_t MinuteRecordOffset(int hour, int minute) {
        return HourRecordOffset(hour) + static_cast<std::size_t>(minute + 1) * kRowSize;
    }

    // The header as read.
    std::uint32_t FileStart() const { return U32(kHdrFileStart); }
    std::uint32_t RecordStart() const { return U32(kHdrRecordStart); }
    std::int16_t ZoneMinutes() const { return le::GetI16(data() + kHdrZoneMinutes); }
    std::uint32_t RecordStamp() const { return U32(kHdrRecordStamp); }
    std::string DeviceId() const;  // "VQ0A1B2C"
    // UTF-8 of the names (at most 31 UTF-16 units, control characters as blanks).
    std::string VehicleNo() const;
    std::string DriverName() const;

    std::uint32_t HourTime(int hour) const { return U32(HourRecordOffset(hour) + 10); }
    std::uint32_t MinuteTime(int hour, int minute) const {
        return U32(MinuteRecordOffset(hour, minute) + kRecordTimeOffset);
    }
    std::uint16_t Sample(int hour, int minute, int halfSecond) const {
        return le::GetU16(MinuteSamples(hour, minute) + 2 * static_cast<std::size_t>(halfSecond));
    }
    // The 240 little-endian sample bytes of one minute.
    const std::uint8_t* MinuteSamples(int hour, int minute) const {
        return data() + MinuteRecordOffset(hour, minute) + kMinuteSampleOffset;
    }

    std::uint32_t StartTime() const { return U32(kStartTimeOffset); }
    std::uint32_t EndTime() const { return U32(kEndTimeOffset); }
    std::uint8_t DayIndex() const { return m_bytes[kDayIndexOffset]; }
    std::uint8_t RecordIndex() const { return m_bytes[kRecordIndexOffset]; }
    bool ClosedNormally() const { return m_bytes[kClosedNormallyOffset] != 0; }

    void SetStartTime(std::uint32_t value) { le::PutU32(data() + kStartTimeOffset, value); }
    void SetEndTime(std::uint32_t value) { le::PutU32(data() + kEndTimeOffset, value); }
    void SetDayIndex(std::uint8_t value) { m_bytes[kDayIndexOffset] = value; }
    void SetRecordIndex(std::uint8_t value) { m_bytes[kRecordIndexOffset] = value; }
    void SetClosedNormally(bool value) { m_bytes[kClosedNormallyOffset] = value ? 1 : 0; }

private:
    std::uint32_t U32(std::size_t offset) const { return le::GetU32(data() + offset); }

    std::vector<std::uint8_t> m_bytes;
};

// UTF-8 of a zero-terminated UTF-16LE text of at most maxUnits units; unpaired surrogates
// become U+FFFD, and control characters and line separators (which could end an INI line)
// blanks.
std::string Utf16LeToUtf8(const std::uint8_t* units, std::size_t maxUnits);

}  // namespace vantrel
