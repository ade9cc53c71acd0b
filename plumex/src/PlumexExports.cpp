// SPDX-License-Identifier: GPL-3.0-or-later
// The library's exported functions and the state they share: 16 device slots plus the
// temporary slot of the report commands, and the three report answer buffers, all allocated
// when the library is loaded and freed when it is unloaded.
#include <cstring>
#include <new>

#include "plumex/include/plumex/Plumex.h"
#include "plumex/src/DeviceSlot.h"
#include "plumex/src/ResponseReader.h"
#include "plumex/src/Trace.h"

namespace {

using plumex::DeviceSlot;

constexpr unsigned kSlotCount = 16;
constexpr unsigned kTemporarySlot = kSlotCount;  // the report commands' own slot

struct ReportMode {
    const char* command;
    std::size_t capacity;
    char* buffer = nullptr;
    std::size_t length = 0;  // bytes the device sent
    std::size_t position = 0;
    int open = 0;
};

DeviceSlot* g_slots = nullptr;
ReportMode g_modes[3] = {
    {"#24H\r\n", 4194304},
    {"#52W\r\n", 4194304},
    {"#TIME\r\n", 102400},
};

__attribute__((constructor)) void LoadLibraryState() {
    g_slots = new (std::nothrow) DeviceSlot[kSlotCount + 1];
    for (ReportMode& mode : g_modes) {
        mode.buffer = new (std::nothrow) char[mode.capacity];
    }
}

// libusb goes away with the library, so devices still open are closed here: a handle that
// outlived the library could only crash its host.
__attribute__((destructor)) void UnloadLibraryState() {
    if (g_slots != nullptr) {
        for (unsigned i = 0; i <= kSlotCount; ++i) {
            plumex::CloseSlot(g_slots[i]);
        }
    }
    plumex::ShutdownUsb();
    delete[] g_slots;
    g_slots = nullptr;
    for (ReportMode& mode : g_modes) {
        delete[] mode.buffer;
        mode.buffer = nullptr;
        mode.open = 0;
    }
}

// The slot of a handle that VQusbOpen returned; null for anything else, so that a stray handle
// can never index outside the table.
DeviceSlot* SlotOfHandle(std::int32_t handle) {
    if (g_slots == nullptr || handle < 1 || handle > static_cast<std::int32_t>(kSlotCount)) {
        return nullptr;
    }
    DeviceSlot* slot = &g_slots[handle - 1];
    return slot->usbHandle != nullptr ? slot : nullptr;
}

ReportMode* OpenMode(std::int32_t mode) {
    if (mode < 1 || mode > 3 || g_modes[mode - 1].buffer == nullptr ||
        g_modes[mode - 1].open == 0) {
        return nullptr;
    }
    return &g_modes[mode - 1];
}

// Opens a slot on recorder memberIndex and prepares its pipes; on failure the slot is free.
bool OpenAndPrepare(DeviceSlot& slot, unsigned memberIndex) {
    bool noDevice = false;
    const int code = plumex::OpenSlot(slot, memberIndex, noDevice);
    if (code != 0) {
        if (noDevice) {
            plumex::Trace("Device not connected or driver not installed\n");
        } else {
            plumex::Trace("Failed looking for device, HRESULT 0x%x\n", static_cast<unsigned>(code));
        }
        slot.usbHandle = nullptr;
        return false;
    }
    if (!plumex::PreparePipes(slot)) {
        plumex::CloseSlot(slot);
        return false;
    }
    return true;
}

// The answer fills the buffer until the device falls silent for a time-out, and never beyond
// the buffer's end.
void ReadAnswer(DeviceSlot& slot, ReportMode& mode) {
    std::memset(mode.buffer, 0, mode.capacity);
    mode.length = 0;
    while (mode.length < mode.capacity) {
        const std::size_t room = mode.capacity - mode.length;
        const int got = plumex::ReadPipe(slot, mode.buffer + mode.length,
                                         room < plumex::kBlockSize ? room : plumex::kBlockSize);
        if (got <= 0) {
            break;
        }
        mode.length += static_cast<std::size_t>(got);
    }
}

}  // namespace

extern "C" {

PLUMEX_API std::int32_t VQusbOpen(std::uint32_t deviceIndex) {
    if (deviceIndex >= kSlotCount || g_slots == nullptr) {
        return 0;
    }
    DeviceSlot& slot = g_slots[deviceIndex];
    // Opening an index that is still open starts afresh instead of leaking the old handle.
    plumex::CloseSlot(slot);
    if (!OpenAndPrepare(slot, deviceIndex)) {
        return 0;
    }
    plumex::SetTimeouts(slot, plumex::kStreamTimeoutMs);
    return static_cast<std::int32_t>(deviceIndex + 1);
}

PLUMEX_API std::int32_t VQusbRead(void* buffer, std::uint32_t length, std::int32_t handle) {
    DeviceSlot* slot = SlotOfHandle(handle);
    if (slot == nullptr || buffer == nullptr) {
        return 0;
    }
    const int got = plumex::ReadPipe(*slot, buffer, length);
    if (got < 0) {
        plumex::Trace("Error : Read Bulk EndPoint\n");
        return 0;
    }
    return got;
}

PLUMEX_API std::int32_t VQusbWrite(const void* buffer, std::uint32_t length, std::int32_t handle) {
    DeviceSlot* slot = SlotOfHandle(handle);
    if (slot == nullptr || buffer == nullptr) {
        return 0;
    }
    return plumex::WritePipe(*slot, buffer, length);
}

PLUMEX_API std::int32_t VQusbClose(std::int32_t handle) {
    DeviceSlot* slot = SlotOfHandle(handle);
    if (slot == nullptr) {
        return 0;
    }
    plumex::CloseSlot(*slot);
    return 1;
}

PLUMEX_API std::int32_t VQopen(std::int32_t modeArgument) {
    const std::int32_t mode = static_cast<std::uint16_t>(modeArgument);
    if (mode < 1 || mode > 3 || g_slots == nullptr) {
        return -1;
    }
    for (const ReportMode& m : g_modes) {
        if (m.buffer == nullptr) {
            return -1;
        }
    }
    DeviceSlot& slot = g_slots[kTemporarySlot];
    if (!OpenAndPrepare(slot, 0)) {
        return -1;
    }
    ReportMode& report = g_modes[mode - 1];
    if (plumex::WritePipe(slot, report.command, std::strlen(report.command)) == 0) {
        plumex::CloseSlot(slot);
        return -1;
    }
    ReadAnswer(slot, report);
    report.position = 0;
    report.open = 1;
    plumex::CloseSlot(slot);
    return mode;
}

PLUMEX_API std::int32_t VQgets(char* line, std::int32_t size, std::int32_t mode,
                               std::int32_t* status) {
    std::int32_t ignored = 0;
    std::int32_t& result = status != nullptr ? *status : ignored;
    ReportMode* report = OpenMode(mode);
    if (report == nullptr) {
        result = -1;
        return 0;
    }
    return plumex::ReadResponseLine({report->buffer, report->length}, report->position, line, size,
                                    result);
}

PLUMEX_API std::int32_t VQrewind(std::int32_t mode) {
    ReportMode* report = OpenMode(mode);
    if (report == nullptr) {
        return 0;
    }
    report->position = 0;
    return 1;
}

PLUMEX_API std::int32_t VQclose(std::int32_t mode) {
    ReportMode* report = OpenMode(mode);
    if (report == nullptr) {
        return 0;
    }
    report->position = 0;
    report->open = 0;
    return 1;
}

}  // extern "C"
