// SPDX-License-Identifier: GPL-3.0-or-later
// Finds recorder number n among the USB devices present: a device is a recorder when its
// vendor/product ids are configured (PLUMEX_USB_IDS) or when it announces the recorder's
// interface GUID through Microsoft OS descriptors. Recorders are counted in the order of their
// place on the buses (bus, port path, address).
#pragma once

#include <libusb.h>

namespace plumex {

struct FoundDevice {
    libusb_device* device = nullptr;  // one reference held for the caller
    int interfaceNumber = 0;          // the interface whose bulk pipes carry the protocol
};

// 0 and the device on success; otherwise a libusb error code, with noDevice set when there are
// fewer than memberIndex + 1 recorders.
int FindRecorder(libusb_context* context, unsigned memberIndex, FoundDevice& found, bool& noDevice);

}  // namespace plumex
