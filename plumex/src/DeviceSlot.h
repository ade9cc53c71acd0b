// SPDX-License-Identifier: GPL-3.0-or-later
// One opened recorder: its libusb handle, the claimed interface, its bulk IN and OUT pipes and
// their time-outs, and the steps that open, prepare and close it.
#pragma once

#include <libusb.h>

#include <cstddef>
#include <cstdint>

namespace plumex {

inline constexpr unsigned kOpenTimeoutMs = 1000;
inline constexpr unsigned kStreamTimeoutMs = 30000;
inline constexpr std::size_t kBlockSize = 5120;

struct DeviceSlot {
    std::int32_t opened = 0;
    // Non-null while the slot is in use; one libusb handle stands for both the device file and
    // the generic-driver interface handle.
    libusb_device_handle* usbHandle = nullptr;
    int interfaceNumber = 0;
    char devicePath[260] = {};
    std::uint8_t pipeIds[2] = {};  // bulk IN, bulk OUT
    unsigned timeoutMs[2] = {kOpenTimeoutMs, kOpenTimeoutMs};
};

// Finds recorder memberIndex, opens it and claims its interface. 0 on success, else a libusb
// error code (negative) with noDevice telling whether the recorder is simply absent.
int OpenSlot(DeviceSlot& slot, unsigned memberIndex, bool& noDevice);

// Releases the interface and the handle; the slot is free afterwards.
void CloseSlot(DeviceSlot& slot);

// Reads the device descriptor, the speed and the endpoints (with their trace lines), sets both
// time-outs to 1000 ms and drains what the device still had queued. False on failure, after
// its trace line.
bool PreparePipes(DeviceSlot& slot);

// Sets the time-out of the IN pipe, then of the OUT pipe.
void SetTimeouts(DeviceSlot& slot, unsigned timeoutMs);

// Bytes received from the IN pipe (possibly fewer than length); -1 on failure or time-out with
// nothing received.
int ReadPipe(DeviceSlot& slot, void* buffer, std::size_t length);

// Writes the whole buffer to the OUT pipe with the "Wrote to pipe" trace; on failure prints
// "Error : Write Bulk EndPoint" and returns 0.
int WritePipe(DeviceSlot& slot, const void* buffer, std::size_t length);

// Ends the library's use of libusb; open slots must have been closed.
void ShutdownUsb();

}  // namespace plumex
