// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding of the recorder's event log.
#include "tools/datagen/SystemLog.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "tools/datagen/LittleEndian.h"

namespace vantrel::datagen {

namespace {

const char* EventText(std::uint32_t code) {
    switch (code) {
        case kEventPowerOn:
            return "POWER ON";
        case kEventPowerOff:
            return "POWER OFF";
        case kEventCardInserted:
            return "SD CARD MOUNTED";
        case kEventClockSet:
            return "RTC SET BY USER";
        case kEventClockCheck:
            return "RTC CHECK";
        case kEventClockSync:
            return "RTC SYNC GPS";
        case kEventSensorFault:
            return "SPEED SENSOR FAULT";
        default:
            return "EVENT";
    }
}

void EncodeRecord(const LogEvent& event, std::uint32_t sequence, std::uint8_t* out) {
    constexpr std::string_view kMarker = "KCCC";
    std::copy(kMarker.begin(), kMarker.end(), out);
    PutU32(out + 4, sequence);
    PutU32(out + 8, event.code);
    PutU32(out + 12, 1);  // event source: main unit
    PutU16(out + 16, static_cast<std::uint16_t>(event.zoneMinutes));
    PutU64(out + 20, static_cast<std::uint64_t>(event.timeBefore));
    PutU64(out + 28, static_cast<std::uint64_t>(event.timeAfter));
    const std::string_view text = EventText(event.code);  // 26 bytes at most, zero-padded
    std::copy(text.begin(), text.end(), out + 36);
    std::uint16_t crc = Crc16X25(out, 62);
    if (event.badCrc) {
        crc ^= 0x5A5A;
    }
    PutU16(out + 62, crc);
}

}  // namespace

std::uint16_t Crc16X25(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return static_cast<std::uint16_t>(~crc);
}

std::vector<std::uint8_t> EncodeSystemLog(const std::vector<LogEvent>& events, int slots) {
    const std::size_t slotCount = slots > 0 ? static_cast<std::size_t>(slots) : 0;
    std::vector<std::uint8_t> bytes(kLogHeaderSize + slotCount * kLogRecordSize, 0);
    PutU32(bytes.data(), kLogMagic);
    PutU16(bytes.data() + 4, 0x0103);  // log format version
    PutU32(bytes.data() + 8, static_cast<std::uint32_t>(slotCount));
    std::memcpy(bytes.data() + 20, "SYSTEM EVENT LOG", 16);
    // Byte 17 stays 0: a log with anything else there is not used.
    const std::size_t first = events.size() > slotCount ? events.size() - slotCount : 0;
    for (std::size_t i = first; i < events.size(); ++i) {
        EncodeRecord(events[i], static_cast<std::uint32_t>(i + 1),
                     bytes.data() + kLogHeaderSize + (i - first) * kLogRecordSize);
    }
    return bytes;
}

}  // namespace vantrel::datagen
