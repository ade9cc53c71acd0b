// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the Microsoft OS descriptors through which a device names the interface class GUID
// that its driver registers: version 2.0 (a BOS platform capability pointing to a descriptor
// set fetched by vendor request) and version 1.0 (string descriptor 0xEE, then the extended
// properties OS feature descriptor). Every parser takes bytes straight from the device and
// never reads past the span it is given, whatever lengths the device claims.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plumex {

inline constexpr std::string_view kRecorderInterfaceGuid = "{61A613D9-2167-42AA-9244-E47BFEC6D01D}";

// True for the recorder's GUID in any letter case, with or without its braces.
bool IsRecorderGuid(std::string_view text);

// Where the MS OS 2.0 descriptor set is fetched: control IN, vendor request vendorCode,
// wValue 0, wIndex 7, totalLength bytes.
struct MsOs20Location {
    std::uint8_t vendorCode = 0;
    std::uint16_t totalLength = 0;
};
inline constexpr std::uint16_t kMsOs20DescriptorIndex = 7;

// The first MS OS 2.0 platform capability of a whole BOS descriptor, if any.
std::optional<MsOs20Location> FindMsOs20Capability(std::span<const std::uint8_t> bos);

// Interface GUIDs a descriptor announces, for one interface or (interfaceNumber -1) for the
// whole device.
struct GuidAnnouncement {
    int interfaceNumber = -1;
    std::vector<std::string> guids;
};

// The "DeviceInterfaceGUIDs" (REG_MULTI_SZ) and "DeviceInterfaceGUID" registry properties of an
// MS OS 2.0 descriptor set, with the interface whose function subset holds each.
std::vector<GuidAnnouncement> ParseMsOs20DescriptorSet(std::span<const std::uint8_t> set);

// The vendor code of an MS OS 1.0 string descriptor ("MSFT100"), if it is one.
std::optional<std::uint8_t> ParseMsOs10String(std::span<const std::uint8_t> descriptor);

// The extended properties OS feature descriptor is requested with wIndex 5.
inline constexpr std::uint16_t kMsOs10ExtendedPropertiesIndex = 5;
inline constexpr std::uint8_t kMsOs10StringIndex = 0xEE;

// The GUIDs of the interface-GUID properties of an MS OS 1.0 extended properties descriptor.
std::vector<std::string> ParseMsOs10ExtendedProperties(std::span<const std::uint8_t> descriptor);

}  // namespace plumex
