// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/DeviceSlot.h"

#include <climits>
#include <cstdio>

#include "plumex/src/DeviceFinder.h"
#include "plumex/src/Trace.h"

namespace plumex {
namespace {

// Created at the first open rather than at load, so that loading the library costs nothing
// and starts no thread in a program that never talks to the recorder.
libusb_context* g_context = nullptr;

// A device that keeps sending is drained for at most this much, then the open goes on.
constexpr std::size_t kDrainLimit = std::size_t{4} * 1024 * 1024;

int AcquireContext(libusb_context*& context) {
    if (g_context == nullptr) {
        const int error = libusb_init(&g_context);
        if (error != 0) {
            g_context = nullptr;
            return error;
        }
    }
    context = g_context;
    return 0;
}

bool ReadDeviceDescriptor(DeviceSlot& slot) {
    unsigned char desc[18] = {};
    const int got = libusb_get_descriptor(slot.usbHandle, LIBUSB_DT_DEVICE, 0, desc, sizeof desc);
    if (got != static_cast<int>(sizeof desc)) {
        Trace("Error among LastError %d or lengthReceived %d\n", got < 0 ? got : 0,
              got < 0 ? 0 : got);
        return false;
    }
    Trace("Device found: VID_%04X&PID_%04X; bcdUsb %04X\n", desc[8] | desc[9] << 8,
          desc[10] | desc[11] << 8, desc[2] | desc[3] << 8);
    return true;
}

void ReportSpeed(DeviceSlot& slot) {
    static const char* const kNames[] = {"Low", "Full", "High"};
    const int speed = libusb_get_device_speed(libusb_get_device(slot.usbHandle));
    if (speed >= LIBUSB_SPEED_LOW && speed <= LIBUSB_SPEED_HIGH) {
        Trace("Device speed: %d (%s speed).\n", speed, kNames[speed - LIBUSB_SPEED_LOW]);
    }
}

void ReportEndpoint(DeviceSlot& slot, int index, const libusb_endpoint_descriptor& ep) {
    const int id = ep.bEndpointAddress;
    switch (ep.bmAttributes & 0x03) {
        case LIBUSB_TRANSFER_TYPE_CONTROL:
            Trace("Endpoint index: %d Pipe type: Control Pipe ID: %d.\n", index, id);
            break;
        case LIBUSB_TRANSFER_TYPE_ISOCHRONOUS:
            Trace("Endpoint index: %d Pipe type: Isochronous Pipe ID: %d.\n", index, id);
            break;
        case LIBUSB_TRANSFER_TYPE_BULK:
            if ((id & 0x80) != 0) {
                Trace("Endpoint index: %d Pipe type: Bulk Pipe IN ID: %d.\n", index, id);
                slot.pipeIds[0] = static_cast<std::uint8_t>(id);
            } else {
                Trace("Endpoint index: %d Pipe type: Bulk Pipe OUT ID: %d.\n", index, id);
                slot.pipeIds[1] = static_cast<std::uint8_t>(id);
            }
            break;
        default:
            Trace("Endpoint index: %d Pipe type: Interrupt Pipe ID: %d.\n", index, id);
            break;
    }
}

const libusb_interface_descriptor* FindSetting(const libusb_config_descriptor* config,
                                               int interfaceNumber) {
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& intf = config->interface[i];
        if (intf.num_altsetting > 0 && intf.altsetting[0].bInterfaceNumber == interfaceNumber) {
            return &intf.altsetting[0];
        }
    }
    return nullptr;
}

// Both pipes are required: bulk traffic on a missing pipe would go to endpoint 0.
bool FindPipes(DeviceSlot& slot) {
    slot.pipeIds[0] = 0;
    slot.pipeIds[1] = 0;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(libusb_get_device(slot.usbHandle), &config) != 0) {
        Trace("Error : Get EndPoint\n");
        return false;
    }
    const libusb_interface_descriptor* setting = FindSetting(config, slot.interfaceNumber);
    for (int e = 0; setting != nullptr && e < setting->bNumEndpoints; ++e) {
        ReportEndpoint(slot, e, setting->endpoint[e]);
    }
    libusb_free_config_descriptor(config);
    if (setting == nullptr || slot.pipeIds[0] == 0 || slot.pipeIds[1] == 0) {
        Trace("Error : Get EndPoint\n");
        return false;
    }
    return true;
}

// Whatever the device still had queued from an earlier exchange is read and thrown away, in
// blocks into a scratch area of its own so that no buffered answer is touched.
void Drain(DeviceSlot& slot) {
    static unsigned char scratch[kBlockSize];
    std::size_t total = 0;
    while (total < kDrainLimit) {
        const int got = ReadPipe(slot, scratch, sizeof scratch);
        if (got <= 0) {
            break;
        }
        total += static_cast<std::size_t>(got);
    }
}

}  // namespace

int OpenSlot(DeviceSlot& slot, unsigned memberIndex, bool& noDevice) {
    slot.opened = 0;
    noDevice = false;
    libusb_context* context = nullptr;
    if (const int error = AcquireContext(context); error != 0) {
        noDevice = true;  // no USB file system: as good as no device
        return error;
    }
    FoundDevice found;
    if (const int error = FindRecorder(context, memberIndex, found, noDevice); error != 0) {
        return error;
    }
    std::snprintf(slot.devicePath, sizeof slot.devicePath, "/dev/bus/usb/%03u/%03u",
                  libusb_get_bus_number(found.device), libusb_get_device_address(found.device));
    libusb_device_handle* handle = nullptr;
    int error = libusb_open(found.device, &handle);
    libusb_unref_device(found.device);
    if (error != 0) {
        return error;
    }
    error = libusb_claim_interface(handle, found.interfaceNumber);
    if (error != 0) {
        libusb_close(handle);
        return error;
    }
    slot.usbHandle = handle;
    slot.interfaceNumber = found.interfaceNumber;
    slot.timeoutMs[0] = slot.timeoutMs[1] = kOpenTimeoutMs;
    slot.opened = 1;
    return 0;
}

void CloseSlot(DeviceSlot& slot) {
    if (slot.opened != 0 && slot.usbHandle != nullptr) {
        libusb_release_interface(slot.usbHandle, slot.interfaceNumber);
        libusb_close(slot.usbHandle);
    }
    slot.usbHandle = nullptr;
    slot.opened = 0;
}

bool PreparePipes(DeviceSlot& slot) {
    if (!ReadDeviceDescriptor(slot)) {
        return false;
    }
    ReportSpeed(slot);
    if (!FindPipes(slot)) {
        return false;
    }
    SetTimeouts(slot, kOpenTimeoutMs);
    Drain(slot);
    return true;
}

void SetTimeouts(DeviceSlot& slot, unsigned timeoutMs) {
    // libusb takes the time-out with every transfer, so setting it cannot fail.
    slot.timeoutMs[0] = timeoutMs;
    slot.timeoutMs[1] = timeoutMs;
}

int ReadPipe(DeviceSlot& slot, void* buffer, std::size_t length) {
    int got = 0;
    const int error = libusb_bulk_transfer(
        slot.usbHandle, slot.pipeIds[0], static_cast<unsigned char*>(buffer),
        static_cast<int>(length > INT_MAX ? INT_MAX : length), &got, slot.timeoutMs[0]);
    // Bytes that arrived before a time-out are data all the same.
    return error == 0 || got > 0 ? got : -1;
}

int WritePipe(DeviceSlot& slot, const void* buffer, std::size_t length) {
    int sent = 0;
    const int count = static_cast<int>(length > INT_MAX ? INT_MAX : length);
    // libusb does not write through the pointer of an OUT transfer.
    auto* bytes = const_cast<unsigned char*>(static_cast<const unsigned char*>(buffer));
    if (libusb_bulk_transfer(slot.usbHandle, slot.pipeIds[1], bytes, count, &sent,
                             slot.timeoutMs[1]) != 0) {
        Trace("Error : Write Bulk EndPoint\n");
        return 0;
    }
    // The buffer is no C string (commands go without NUL): print exactly the bytes sent.
    Trace("Wrote to pipe %d: %.*s[%d]\n\n", slot.pipeIds[1], count,
          static_cast<const char*>(buffer), sent);
    return sent;
}

void ShutdownUsb() {
    if (g_context != nullptr) {
        libusb_exit(g_context);
        g_context = nullptr;
    }
}

}  // namespace plumex
