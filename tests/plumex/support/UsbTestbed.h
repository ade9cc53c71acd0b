// SPDX-License-Identifier: GPL-3.0-or-later
// A umockdev testbed holding fake USB devices: libusb in this process then enumerates and opens
// them through sysfs and /dev/bus/usb as it would real ones. The process must run with the
// umockdev preload library (see UmockdevTestMain.cpp).
#pragma once

#include <umockdev.h>

#include <memory>
#include <vector>

#include "tests/plumex/support/FakeUsbDevice.h"

namespace plumex_test {

class UsbTestbed {
public:
    UsbTestbed();
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Devices enumerate in the order they were added (bus 1, ports 1, 2, ...).
    FakeUsbDevice& AddDevice(FakeDeviceSpec spec = {});

private:
    UMockdevTestbed* m_testbed = nullptr;
    std::vector<std::unique_ptr<FakeUsbDevice>> m_devices;
    std::vector<std::string> m_nodes;
};

}  // namespace plumex_test
