// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's raw .dtc file as the generator writes it: a 36-byte preamble (magic and 32
// bytes the reader ignores), one TF block with the 218-byte file header, then TH (hour) and TM
// (minute) blocks of 254 bytes each. All numbers are little-endian; block times are device
// times, local time being device time + zone minutes * 60.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::datagen {

inline constexpr std::uint32_t kDtcMagic = 0xF5EF00AA;  // bytes AA 00 EF F5
inline constexpr std::size_t kDtcPreambleSize = 36;
inline constexpr std::uint16_t kTagFile = 0x4654;    // "TF"
inline constexpr std::uint16_t kTagHour = 0x4854;    // "TH"
inline constexpr std::uint16_t kTagMinute = 0x4D54;  // "TM"
inline constexpr std::size_t kFileHeaderSize = 218;
inline constexpr std::size_t kTimeRecordSize = 254;
inline constexpr std::size_t kRecordTimeOffset = 10;    // in TH and TM data
inline constexpr std::size_t kMinuteSampleOffset = 14;  // in TM data

// Header field offsets inside the TF data.
inline constexpr std::size_t kHdrFileStart = 12;
inline constexpr std::size_t kHdrRecordStart = 16;
inline constexpr std::size_t kHdrZoneMinutes = 20;
inline constexpr std::size_t kHdrRecordStamp = 24;
inline constexpr std::size_t kHdrDeviceId = 77;
inline constexpr std::size_t kHdrVehicleNo = 90;
inline constexpr std::size_t kHdrDriverName = 154;
inline constexpr std::size_t kHdrNameChars = 32;  // wide characters, terminator included

// One half-second of no recording; 0 is standing still with the recorder on.
inline constexpr std::uint16_t kNoSample = 0xFFFF;
inline constexpr int kSamplesPerMinute = 120;

using DeviceId = std::array<std::uint8_t, 3>;
using MinuteSamples = std::array<std::uint16_t, kSamplesPerMinute>;

// "VQ%02X%02X%02X": the eight-character id that names the recorder's folders.
std::string DeviceIdText(const DeviceId& id);

// UTF-16 of a UTF-8 text; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

struct DtcHeader {
    std::uint32_t fileStart = 0;    // device time
    std::uint32_t recordStart = 0;  // device time
    std::int16_t zoneMinutes = 0;
    std::uint32_t recordStamp = 0;
    DeviceId deviceId{};
    std::string vehicleNo;   // UTF-8; stored as UTF-16, cut to 31 units (never inside a
                             // surrogate pair) + terminator
    std::string driverName;  // likewise
    // Fields the reader does not interpret, filled as a recorder would.
    std::uint32_t fileSequence = 0;
    std::uint32_t odometerMetres = 0;
};

// A TH or TM block. Hour blocks carry only their time; their samples are ignored.
struct DtcBlock {
    std::uint16_t tag = kTagMinute;
    std::uint32_t deviceTime = 0;
    MinuteSamples samples{};
};

struct DtcFile {
    DtcHeader header;
    std::vector<DtcBlock> blocks;  // written after the TF block, in this order

    std::size_t EncodedSize() const;
    std::vector<std::uint8_t> Encode() const;
};

}  // namespace vantrel::datagen
