// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/DeviceFinder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "plumex/src/MsOsDescriptors.h"
#include "plumex/src/UsbIds.h"

namespace plumex {
namespace {

// Short, so that one device that ignores a descriptor request cannot stall the search.
constexpr unsigned kProbeTimeoutMs = 1000;
constexpr std::uint8_t kVendorSpecificClass = 0xFF;
constexpr std::uint8_t kVendorDeviceIn = 0xC0;     // IN, vendor request, to the device
constexpr std::uint8_t kVendorInterfaceIn = 0xC1;  // IN, vendor request, to an interface

using Bytes = std::vector<std::uint8_t>;

bool HasBulkPair(const libusb_interface_descriptor& setting) {
    bool in = false;
    bool out = false;
    for (int e = 0; e < setting.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = setting.endpoint[e];
        if ((ep.bmAttributes & 0x03) == LIBUSB_TRANSFER_TYPE_BULK) {
            ((ep.bEndpointAddress & 0x80) != 0 ? in : out) = true;
        }
    }
    return in && out;
}

// Interfaces (setting 0) with a bulk IN and a bulk OUT endpoint; with vendorOnly, only those of
// the vendor-specific class, as the recorder's generic-driver interface is.
std::vector<int> BulkInterfaces(libusb_device* device, bool vendorOnly) {
    std::vector<int> numbers;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0) {
        return numbers;
    }
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        if (config->interface[i].num_altsetting < 1) {
            continue;
        }
        const libusb_interface_descriptor& setting = config->interface[i].altsetting[0];
        if (HasBulkPair(setting) &&
            (!vendorOnly || setting.bInterfaceClass == kVendorSpecificClass)) {
            numbers.push_back(setting.bInterfaceNumber);
        }
    }
    libusb_free_config_descriptor(config);
    return numbers;
}

Bytes ControlIn(libusb_device_handle* handle, std::uint8_t requestType, std::uint8_t request,
                std::uint16_t value, std::uint16_t index, std::uint16_t length) {
    Bytes bytes(length);
    const int got = libusb_control_transfer(handle, requestType, request, value, index,
                                            bytes.data(), length, kProbeTimeoutMs);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

Bytes GetDescriptor(libusb_device_handle* handle, std::uint8_t type, std::uint8_t index,
                    std::uint16_t length) {
    return ControlIn(handle, LIBUSB_ENDPOINT_IN, LIBUSB_REQUEST_GET_DESCRIPTOR,
                     static_cast<std::uint16_t>(type << 8 | index), 0, length);
}

bool AnyRecorderGuid(const std::vector<std::string>& guids) {
    return std::any_of(guids.begin(), guids.end(),
                       [](const std::string& g) { return IsRecorderGuid(g); });
}

// MS OS 2.0: the BOS platform capability names the vendor request for the descriptor set.
std::optional<int> MatchMsOs20(libusb_device_handle* handle, const std::vector<int>& candidates) {
    const Bytes head = GetDescriptor(handle, LIBUSB_DT_BOS, 0, 5);
    if (head.size() < 5) {
        return std::nullopt;
    }
    const Bytes bos =
        GetDescriptor(handle, LIBUSB_DT_BOS, 0, static_cast<std::uint16_t>(head[2] | head[3] << 8));
    const auto location = FindMsOs20Capability(bos);
    if (!location) {
        return std::nullopt;
    }
    const Bytes set = ControlIn(handle, kVendorDeviceIn, location->vendorCode, 0,
                                kMsOs20DescriptorIndex, location->totalLength);
    for (const GuidAnnouncement& a : ParseMsOs20DescriptorSet(set)) {
        if (!AnyRecorderGuid(a.guids)) {
            continue;
        }
        if (a.interfaceNumber < 0) {
            return candidates.front();  // said of the whole device
        }
        if (std::find(candidates.begin(), candidates.end(), a.interfaceNumber) !=
            candidates.end()) {
            return a.interfaceNumber;
        }
    }
    return std::nullopt;
}

// MS OS 1.0: string 0xEE gives the vendor code; the extended properties are asked per interface
// (interface number in the low byte of wValue, page 0 in the high byte).
std::optional<int> MatchMsOs10(libusb_device_handle* handle, const std::vector<int>& candidates) {
    const auto vendorCode =
        ParseMsOs10String(GetDescriptor(handle, LIBUSB_DT_STRING, kMsOs10StringIndex, 18));
    if (!vendorCode) {
        return std::nullopt;
    }
    for (const int number : candidates) {
        const auto value = static_cast<std::uint16_t>(number);
        const Bytes head = ControlIn(handle, kVendorInterfaceIn, *vendorCode, value,
                                     kMsOs10ExtendedPropertiesIndex, 10);
        if (head.size() < 10) {
            continue;
        }
        const std::uint32_t total =
            head[0] | head[1] << 8 | head[2] << 16 | static_cast<std::uint32_t>(head[3]) << 24;
        const auto length = static_cast<std::uint16_t>(std::min<std::uint32_t>(total, 0xFFFF));
        const Bytes whole = ControlIn(handle, kVendorInterfaceIn, *vendorCode, value,
                                      kMsOs10ExtendedPropertiesIndex, length);
        if (AnyRecorderGuid(ParseMsOs10ExtendedProperties(whole))) {
            return number;
        }
    }
    return std::nullopt;
}

// Only devices with a vendor-specific bulk interface are asked for OS descriptors: string 0xEE
// is a request that some devices handle badly, so nothing else is probed.
std::optional<int> MatchByGuid(libusb_device* device) {
    const std::vector<int> candidates = BulkInterfaces(device, true);
    if (candidates.empty()) {
        return std::nullopt;
    }
    libusb_device_descriptor desc{};
    libusb_get_device_descriptor(device, &desc);
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) != 0) {
        return std::nullopt;  // not ours to read, e.g. no udev rule grants access
    }
    std::optional<int> match;
    if (desc.bcdUSB >= 0x0201) {
        match = MatchMsOs20(handle, candidates);
    }
    if (!match) {
        match = MatchMsOs10(handle, candidates);
    }
    libusb_close(handle);
    return match;
}

std::optional<int> MatchByIds(libusb_device* device, const std::vector<UsbId>& ids) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(device, &desc) != 0 ||
        std::find(ids.begin(), ids.end(), UsbId{desc.idVendor, desc.idProduct}) == ids.end()) {
        return std::nullopt;
    }
    const std::vector<int> candidates = BulkInterfaces(device, false);
    // Without a bulk pair the pipe set-up reports the missing endpoints.
    return candidates.empty() ? 0 : candidates.front();
}

// Bus, port path and address: libusb lists devices in no particular order, so recorders are
// counted by where they are plugged in, and one that stays plugged in keeps its number.
std::vector<int> TopologyKey(libusb_device* device) {
    std::uint8_t ports[8] = {};
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    std::vector<int> key = {libusb_get_bus_number(device)};
    key.insert(key.end(), ports, ports + (depth > 0 ? depth : 0));
    key.push_back(-1);  // a hub comes before the devices behind it
    key.push_back(libusb_get_device_address(device));
    return key;
}

}  // namespace

int FindRecorder(libusb_context* context, unsigned memberIndex, FoundDevice& found,
                 bool& noDevice) {
    noDevice = false;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    if (count < 0) {
        return static_cast<int>(count);
    }
    std::vector<libusb_device*> devices(list, list + count);
    std::sort(devices.begin(), devices.end(),
              [](libusb_device* a, libusb_device* b) { return TopologyKey(a) < TopologyKey(b); });
    const std::vector<UsbId> ids = ConfiguredUsbIds();
    unsigned seen = 0;
    int result = LIBUSB_ERROR_NOT_FOUND;
    for (libusb_device* device : devices) {
        std::optional<int> match = MatchByIds(device, ids);
        if (!match) {
            match = MatchByGuid(device);
        }
        if (match && seen++ == memberIndex) {
            found.device = libusb_ref_device(device);
            found.interfaceNumber = *match;
            result = 0;
            break;
        }
    }
    libusb_free_device_list(list, 1);
    noDevice = result != 0;
    return result;
}

}  // namespace plumex
