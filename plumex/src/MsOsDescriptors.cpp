// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/MsOsDescriptors.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace plumex {
namespace {

// {D8DD60DF-4589-4CC7-9CD2-659D9E648A9F} in the byte order it travels in.
constexpr std::array<std::uint8_t, 16> kMsOs20PlatformUuid = {
    0xDF, 0x60, 0xDD, 0xD8, 0x89, 0x45, 0xC7, 0x4C, 0x9C, 0xD2, 0x65, 0x9D, 0x9E, 0x64, 0x8A, 0x9F};

constexpr std::uint8_t kBosType = 0x0F;
constexpr std::uint8_t kDeviceCapabilityType = 0x10;
constexpr std::uint8_t kPlatformCapability = 0x05;

constexpr std::uint16_t kSubsetHeaderFunction = 2;
constexpr std::uint16_t kFeatureRegProperty = 4;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegMultiSz = 7;

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// UTF-16LE text as narrow text: GUIDs and property names are ASCII, anything else becomes '?'.
// Splits at NUL characters and drops empty pieces, which serves REG_SZ and REG_MULTI_SZ alike.
std::vector<std::string> Utf16Strings(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> out;
    std::string current;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::uint16_t unit = Le16(bytes, i);
        if (unit == 0) {
            if (!current.empty()) {
                out.push_back(current);
            }
            current.clear();
        } else {
            current.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
    }
    if (!current.empty()) {
        out.push_back(current);
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsGuidPropertyName(std::span<const std::uint8_t> name) {
    const std::vector<std::string> parts = Utf16Strings(name);
    return parts.size() == 1 && (EqualsNoCase(parts[0], "DeviceInterfaceGUIDs") ||
                                 EqualsNoCase(parts[0], "DeviceInterfaceGUID"));
}

// Name and data of one registry property, already cut to their spans; empty when the
// property is not an interface-GUID property.
std::vector<std::string> GuidsOfProperty(std::uint32_t dataType, std::span<const std::uint8_t> name,
                                         std::span<const std::uint8_t> data) {
    if ((dataType != kRegSz && dataType != kRegMultiSz) || !IsGuidPropertyName(name)) {
        return {};
    }
    return Utf16Strings(data);
}

// One MS OS 2.0 registry property feature descriptor (the whole descriptor, header included).
std::vector<std::string> GuidsOfMsOs20Property(std::span<const std::uint8_t> desc) {
    if (desc.size() < 8) {
        return {};
    }
    const std::uint16_t dataType = Le16(desc, 4);
    const std::size_t nameLength = Le16(desc, 6);
    if (8 + nameLength + 2 > desc.size()) {
        return {};
    }
    const std::size_t dataLength = Le16(desc, 8 + nameLength);
    const std::size_t dataStart = 8 + nameLength + 2;
    if (dataStart + dataLength > desc.size()) {
        return {};
    }
    return GuidsOfProperty(dataType, desc.subspan(8, nameLength),
                           desc.subspan(dataStart, dataLength));
}

void AddAnnouncement(std::vector<GuidAnnouncement>& out, int interfaceNumber,
                     std::vector<std::string> guids) {
    if (!guids.empty()) {
        out.push_back({interfaceNumber, std::move(guids)});
    }
}

}  // namespace

bool IsRecorderGuid(std::string_view text) {
    std::string_view bare = kRecorderInterfaceGuid.substr(1, kRecorderInterfaceGuid.size() - 2);
    if (text.size() == bare.size() + 2 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, text.size() - 2);
    }
    return EqualsNoCase(text, bare);
}

std::optional<MsOs20Location> FindMsOs20Capability(std::span<const std::uint8_t> bos) {
    if (bos.size() < 5 || bos[1] != kBosType) {
        return std::nullopt;
    }
    const std::size_t total = std::min<std::size_t>(Le16(bos, 2), bos.size());
    std::size_t at = bos[0];
    while (at + 3 <= total) {
        const std::size_t length = bos[at];
        if (length < 3 || at + length > total) {
            break;
        }
        const auto cap = bos.subspan(at, length);
        // UUID at 4, then the first descriptor set information: Windows version (4 bytes),
        // set length (2) and vendor code (1), alternate enumeration code (1).
        if (cap[1] == kDeviceCapabilityType && cap[2] == kPlatformCapability && length >= 28 &&
            std::equal(kMsOs20PlatformUuid.begin(), kMsOs20PlatformUuid.end(), cap.begin() + 4)) {
            return MsOs20Location{cap[26], Le16(cap, 24)};
        }
        at += length;
    }
    return std::nullopt;
}

std::vector<GuidAnnouncement> ParseMsOs20DescriptorSet(std::span<const std::uint8_t> set) {
    std::vector<GuidAnnouncement> out;
    if (set.size() < 10 || Le16(set, 0) != 10 || Le16(set, 2) != 0) {
        return out;
    }
    const std::size_t total = std::min<std::size_t>(Le16(set, 8), set.size());
    int interfaceNumber = -1;
    std::size_t functionEnd = 0;
    std::size_t at = 10;
    while (at + 4 <= total) {
        const std::size_t length = Le16(set, at);
        if (length < 4 || at + length > total) {
            break;
        }
        if (at >= functionEnd) {
            interfaceNumber = -1;
        }
        const auto desc = set.subspan(at, length);
        const std::uint16_t type = Le16(desc, 2);
        if (type == kSubsetHeaderFunction && length >= 8) {
            interfaceNumber = desc[4];
            functionEnd = at + Le16(desc, 6);
        } else if (type == kFeatureRegProperty) {
            AddAnnouncement(out, interfaceNumber, GuidsOfMsOs20Property(desc));
        }
        at += length;
    }
    return out;
}

std::optional<std::uint8_t> ParseMsOs10String(std::span<const std::uint8_t> descriptor) {
    constexpr std::array<std::uint8_t, 14> kSignature = {'M', 0,   'S', 0,   'F', 0,   'T',
                                                         0,   '1', 0,   '0', 0,   '0', 0};
    if (descriptor.size() < 18 || descriptor[0] < 18 || descriptor[1] != 0x03 ||
        !std::equal(kSignature.begin(), kSignature.end(), descriptor.begin() + 2)) {
        return std::nullopt;
    }
    return descriptor[16];
}

std::vector<std::string> ParseMsOs10ExtendedProperties(std::span<const std::uint8_t> descriptor) {
    std::vector<std::string> guids;
    if (descriptor.size() < 10 || Le16(descriptor, 6) != kMsOs10ExtendedPropertiesIndex) {
        return guids;
    }
    const std::size_t total = std::min<std::size_t>(Le32(descriptor, 0), descriptor.size());
    const std::size_t count = Le16(descriptor, 8);
    std::size_t at = 10;
    for (std::size_t i = 0; i < count && at + 14 <= total; ++i) {
        const std::size_t size = Le32(descriptor, at);
        if (size < 14 || size > total - at) {
            break;
        }
        const auto section = descriptor.subspan(at, size);
        const std::uint32_t dataType = Le32(section, 4);
        const std::size_t nameLength = Le16(section, 8);
        if (10 + nameLength + 4 <= size) {
            const std::size_t dataLength = Le32(section, 10 + nameLength);
            const std::size_t dataStart = 10 + nameLength + 4;
            if (dataLength <= size - dataStart) {
                for (auto& guid : GuidsOfProperty(dataType, section.subspan(10, nameLength),
                                                  section.subspan(dataStart, dataLength))) {
                    guids.push_back(std::move(guid));
                }
            }
        }
        at += size;
    }
    return guids;
}

}  // namespace plumex
