// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers of the record model.
#include "core/data/RecordModel.h"

#include <cstdio>
#include <limits>

namespace vantrel {

std::string DeviceIdText(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    char text[16];
    std::snprintf(text, sizeof text, "VQ%02X%02X%02X", b0, b1, b2);
    return text;
}

std::uint32_t LocalTimeValue(std::int64_t deviceTime, std::int32_t zoneMinutes) {
    const std::int64_t local = deviceTime + static_cast<std::int64_t>(zoneMinutes) * 60;
    if (local < 0 || local > std::numeric_limits<std::uint32_t>::max()) {
        return 0;
    }
    return static_cast<std::uint32_t>(local);
}

}  // namespace vantrel
