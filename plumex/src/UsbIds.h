// SPDX-License-Identifier: GPL-3.0-or-later
// Vendor/product id pairs that the user declares to be recorders, for devices that do not
// announce the recorder's interface GUID through Microsoft OS descriptors.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace plumex {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

// The environment variable that lists the ids: "1234:5678,abcd:ef01" (hexadecimal).
inline constexpr const char* kUsbIdsVariable = "PLUMEX_USB_IDS";

// Parses "vvvv:pppp" pairs separated by commas, semicolons or blanks. Malformed entries are
// skipped, so one typing error does not hide the other recorders.
std::vector<UsbId> ParseUsbIds(std::string_view text);

// The ids of kUsbIdsVariable, empty when it is unset.
std::vector<UsbId> ConfiguredUsbIds();

}  // namespace plumex
