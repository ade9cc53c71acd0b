// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/plumex/support/UsbTestbed.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace plumex_test {

UsbTestbed::UsbTestbed() : m_testbed(umockdev_testbed_new()) {}

UsbTestbed::~UsbTestbed() {
    for (const std::string& node : m_nodes) {
        umockdev_testbed_detach_ioctl(m_testbed, node.c_str(), nullptr);
    }
    g_object_unref(m_testbed);
    m_devices.clear();
}

FakeUsbDevice& UsbTestbed::AddDevice(FakeDeviceSpec spec) {
    auto device = std::make_unique<FakeUsbDevice>(std::move(spec));
    const int port = static_cast<int>(m_devices.size()) + 1;
    char node[64];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", port + 1);
    std::string hex;
    for (const std::uint8_t byte : device->SysfsDescriptors()) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    char ids[64];
    std::snprintf(ids, sizeof ids, "A: idVendor=%04x\nA: idProduct=%04x\n", device->Spec().vendor,
                  device->Spec().product);
    const std::string description =
        "P: /devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port) + "\n" +
        "N: " + std::string(node + 5) + "\n" + "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" +
        "E: DEVNAME=" + node + "\n" + "E: BUSNUM=001\nE: DEVNUM=" + std::string(node + 17) + "\n" +
        "A: busnum=1\nA: devnum=" + std::to_string(port + 1) + "\n" +
        "A: speed=" + std::to_string(device->Spec().speedMbps) + "\n" + ids +
        "A: bConfigurationValue=1\nA: bNumConfigurations=1\n" + "H: descriptors=" + hex + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, description.c_str(), &error) ||
        !umockdev_testbed_attach_ioctl(m_testbed, node, device->Handler(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("umockdev: " + message);
    }
    m_nodes.emplace_back(node);
    m_devices.push_back(std::move(device));
    return *m_devices.back();
}

}  // namespace plumex_test
