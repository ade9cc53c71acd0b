// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded-file record and the text fields of its header.
#include "core/data/FileInfo.h"

#include <cstring>

#include "core/data/RecordModel.h"
#include "core/util/Utf8.h"

namespace vantrel {
namespace {

constexpr std::size_t kNameUnits = 31;  // 32 wide characters, the last one the terminator

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

stFileInfo::stFileInfo() : m_bytes(kSize, 0) {
    for (int h = 0; h < kHoursPerDay; ++h) {
        for (int m = 0; m < kMinutesPerHour; ++m) {
            std::memset(data() + MinuteRecordOffset(h, m) + kMinuteSampleOffset, 0xFF,
                        std::size_t{2} * kSamplesPerMinute);
        }
    }
}

std::string stFileInfo::DeviceId() const {
    const std::uint8_t* id = data() + kHdrDeviceId;
    return DeviceIdText(id[0], id[1], id[2]);
}

std::string stFileInfo::VehicleNo() const {
    return Utf16LeToUtf8(data() + kHdrVehicleNo, kNameUnits);
}

std::string stFileInfo::DriverName() const {
    return Utf16LeToUtf8(data() + kHdrDriverName, kNameUnits);
}

std::string Utf16LeToUtf8(const std::uint8_t* units, std::size_t maxUnits) {
    std::string out;
    for (std::size_t i = 0; i < maxUnits; ++i) {
        char32_t c = le::GetU16(units + 2 * i);
        if (c == 0) {
            break;
        }
        if (IsHighSurrogate(c) && i + 1 < maxUnits) {
            const char32_t low = le::GetU16(units + 2 * (i + 1));
            if (IsLowSurrogate(low)) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = 0xFFFD;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
            c = ' ';
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace vantrel
