// SPDX-License-Identifier: GPL-3.0-or-later
// A USB device for the umockdev testbed, driven through the kernel's usbfs interface exactly as
// libusb drives a real one: control requests on endpoint 0 answer its descriptors (device,
// configuration, BOS, Microsoft OS 1.0 and 2.0), bulk URBs on its IN and OUT endpoints carry
// the byte stream. IN URBs wait until data is queued or libusb discards them at its time-out.
#pragma once

#include <umockdev.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace plumex_test {

enum class Announcement {
    None,            // no Microsoft OS descriptors at all
    MsOs20Device,    // MS OS 2.0 set, GUID property for the whole device
    MsOs20Function,  // MS OS 2.0 set, GUID property inside a function subset for interface 0
    MsOs10,          // string 0xEE and extended properties for interface 0
};

struct FakeDeviceSpec {
    std::uint16_t vendor = 0x1234;
    std::uint16_t product = 0x5678;
    Announcement announcement = Announcement::MsOs20Device;
    std::string guid = "{61A613D9-2167-42AA-9244-E47BFEC6D01D}";
    std::uint8_t interfaceClass = 0xFF;
    std::uint8_t inEndpoint = 0x81;
    std::uint8_t outEndpoint = 0x02;
    int speedMbps = 480;
};

class FakeUsbDevice {
public:
    // Given each command the device receives on its OUT pipe, the transfers it answers with.
    using Responder = std::function<std::vector<std::string>(const std::string& command)>;

    explicit FakeUsbDevice(FakeDeviceSpec spec);
    ~FakeUsbDevice();
    FakeUsbDevice(const FakeUsbDevice&) = delete;
    FakeUsbDevice& operator=(const FakeUsbDevice&) = delete;

    const FakeDeviceSpec& Spec() const { return m_spec; }
    // The sysfs "descriptors" attribute: device descriptor followed by the configuration.
    std::vector<std::uint8_t> SysfsDescriptors() const;
    // The descriptors it answers with, as they travel.
    std::vector<std::uint8_t> Configuration() const;
    std::vector<std::uint8_t> Bos() const;
    std::vector<std::uint8_t> MsOs20Set() const;
    std::vector<std::uint8_t> MsOs10String() const;
    std::vector<std::uint8_t> MsOs10ExtendedProperties() const;

    void SetResponder(Responder responder);
    // Bytes the device holds for the IN pipe before anyone asked (one transfer each).
    void QueueIn(const std::string& transfer);
    // From now on every bulk transfer on the IN (or OUT) pipe fails with a stall.
    void StallIn(bool stall);
    void StallOut(bool stall);

    std::vector<std::string> Commands() const;  // OUT transfers received, in order
    int Connections() const;                    // how often the device node was opened
    std::size_t QueuedInBytes() const;

    UMockdevIoctlBase* Handler() const { return m_handler; }

private:
    // A URB belongs to the open file that submitted it: libusb reaps on every open handle of
    // the device, and each must get back only its own.
    struct Urb {
        UMockdevIoctlClient* client = nullptr;
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
    };

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient*, gpointer self);
    void HandleIoctl(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    int Control(std::uint8_t* setupAndData, int bufferLength);
    bool FillIn(Urb& urb);  // with m_mutex held
    void FeedPendingIn();   // with m_mutex held

    FakeDeviceSpec m_spec;
    UMockdevIoctlBase* m_handler = nullptr;
    mutable std::mutex m_mutex;
    Responder m_responder;
    std::deque<std::string> m_inQueue;
    std::deque<Urb> m_pendingIn;  // submitted IN URBs waiting for data
    std::deque<Urb> m_completed;  // URBs ready to be reaped
    std::vector<std::string> m_commands;
    bool m_stallIn = false;
    bool m_stallOut = false;
    int m_connections = 0;
};

}  // namespace plumex_test
