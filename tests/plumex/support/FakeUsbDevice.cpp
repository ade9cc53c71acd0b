// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/plumex/support/FakeUsbDevice.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace plumex_test {
namespace {

constexpr std::uint8_t kMsOs20VendorCode = 0x20;
constexpr std::uint8_t kMsOs10VendorCode = 0x21;

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Set16(std::vector<std::uint8_t>& out, std::size_t at, unsigned value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// ASCII text as UTF-16LE with terminating NULs (extraNul adds the list end of REG_MULTI_SZ).
std::vector<std::uint8_t> Utf16(const std::string& text, bool extraNul) {
    std::vector<std::uint8_t> out;
    for (const char c : text) {
        Put16(out, static_cast<unsigned char>(c));
    }
    Put16(out, 0);
    if (extraNul) {
        Put16(out, 0);
    }
    return out;
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

std::vector<std::uint8_t> MsOs20Property(const std::string& name, const std::string& guid,
                                         bool multi) {
    const auto nameBytes = Utf16(name, false);
    const auto data = Utf16(guid, multi);
    std::vector<std::uint8_t> out;
    Put16(out, static_cast<unsigned>(10 + nameBytes.size() + data.size()));
    Put16(out, 4);              // registry property
    Put16(out, multi ? 7 : 1);  // REG_MULTI_SZ or REG_SZ
    Put16(out, static_cast<unsigned>(nameBytes.size()));
    Append(out, nameBytes);
    Put16(out, static_cast<unsigned>(data.size()));
    Append(out, data);
    return out;
}

}  // namespace

FakeUsbDevice::FakeUsbDevice(FakeDeviceSpec spec)
    : m_spec(std::move(spec)), m_handler(umockdev_ioctl_base_new()) {
    g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(&FakeUsbDevice::OnIoctl), this);
    g_signal_connect(m_handler, "client-connected", G_CALLBACK(&FakeUsbDevice::OnConnected), this);
}

FakeUsbDevice::~FakeUsbDevice() {
    g_signal_handlers_disconnect_by_data(m_handler, this);
    for (auto* queue : {&m_pendingIn, &m_completed}) {
        for (Urb& urb : *queue) {
            g_object_unref(urb.buffer);
            g_object_unref(urb.urb);
        }
    }
    g_object_unref(m_handler);
}

std::vector<std::uint8_t> FakeUsbDevice::SysfsDescriptors() const {
    const unsigned bcdUsb = m_spec.announcement == Announcement::MsOs20Device ||
                                    m_spec.announcement == Announcement::MsOs20Function
                                ? 0x0210
                                : 0x0200;
    std::vector<std::uint8_t> out = {18, 1};
    Put16(out, bcdUsb);
    out.insert(out.end(), {0, 0, 0, 64});
    Put16(out, m_spec.vendor);
    Put16(out, m_spec.product);
    Put16(out, 0x0100);
    out.insert(out.end(), {1, 2, 3, 1});
    Append(out, Configuration());
    return out;
}

std::vector<std::uint8_t> FakeUsbDevice::Configuration() const {
    std::vector<std::uint8_t> out = {9, 2, 32, 0, 1, 1, 0, 0x80, 50};
    out.insert(out.end(), {9, 4, 0, 0, 2, m_spec.interfaceClass, 0, 0, 0});
    out.insert(out.end(), {7, 5, m_spec.inEndpoint, 2, 0x00, 0x02, 0});
    out.insert(out.end(), {7, 5, m_spec.outEndpoint, 2, 0x00, 0x02, 0});
    return out;
}

std::vector<std::uint8_t> FakeUsbDevice::Bos() const {
    static const std::uint8_t kUuid[16] = {0xDF, 0x60, 0xDD, 0xD8, 0x89, 0x45, 0xC7, 0x4C,
                                           0x9C, 0xD2, 0x65, 0x9D, 0x9E, 0x64, 0x8A, 0x9F};
    std::vector<std::uint8_t> out = {5, 0x0F, 0, 0, 1, 28, 0x10, 0x05, 0};
    out.insert(out.end(), std::begin(kUuid), std::end(kUuid));
    Put32(out, 0x06030000);
    Put16(out, static_cast<unsigned>(MsOs20Set().size()));
    out.insert(out.end(), {kMsOs20VendorCode, 0});
    Set16(out, 2, static_cast<unsigned>(out.size()));
    return out;
}

std::vector<std::uint8_t> FakeUsbDevice::MsOs20Set() const {
    std::vector<std::uint8_t> out;
    Put16(out, 10);
    Put16(out, 0);
    Put32(out, 0x06030000);
    Put16(out, 0);  // total length, set below
    if (m_spec.announcement == Announcement::MsOs20Function) {
        const auto property = MsOs20Property("DeviceInterfaceGUID", m_spec.guid, false);
        const unsigned function = static_cast<unsigned>(8 + property.size());
        Put16(out, 8);
        Put16(out, 1);  // configuration subset
        out.insert(out.end(), {0, 0});
        Put16(out, 8 + function);
        Put16(out, 8);
        Put16(out, 2);  // function subset
        out.insert(out.end(), {0, 0});
        Put16(out, function);
        Append(out, property);
    } else {
        Append(out, MsOs20Property("DeviceInterfaceGUIDs", m_spec.guid, true));
    }
    Set16(out, 8, static_cast<unsigned>(out.size()));
    return out;
}

std::vector<std::uint8_t> FakeUsbDevice::MsOs10String() const {
    return {0x12, 0x03, 'M', 0, 'S', 0, 'F', 0, 'T', 0, '1', 0, '0', 0, '0', 0, kMsOs10VendorCode,
            0};
}

std::vector<std::uint8_t> FakeUsbDevice::MsOs10ExtendedProperties() const {
    const auto name = Utf16("DeviceInterfaceGUIDs", false);
    const auto data = Utf16(m_spec.guid, true);
    std::vector<std::uint8_t> out;
    Put32(out, static_cast<unsigned>(10 + 14 + name.size() + data.size()));
    Put16(out, 0x0100);
    Put16(out, 5);
    Put16(out, 1);
    Put32(out, static_cast<unsigned>(14 + name.size() + data.size()));
    Put32(out, 7);
    Put16(out, static_cast<unsigned>(name.size()));
    Append(out, name);
    Put32(out, static_cast<unsigned>(data.size()));
    Append(out, data);
    return out;
}

void FakeUsbDevice::SetResponder(Responder responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void FakeUsbDevice::QueueIn(const std::string& transfer) {
    std::lock_guard lock(m_mutex);
    m_inQueue.push_back(transfer);
    FeedPendingIn();
}

void FakeUsbDevice::StallIn(bool stall) {
    std::lock_guard lock(m_mutex);
    m_stallIn = stall;
    FeedPendingIn();
}

void FakeUsbDevice::StallOut(bool stall) {
    std::lock_guard lock(m_mutex);
    m_stallOut = stall;
}

std::vector<std::string> FakeUsbDevice::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

int FakeUsbDevice::Connections() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

std::size_t FakeUsbDevice::QueuedInBytes() const {
    std::lock_guard lock(m_mutex);
    std::size_t total = 0;
    for (const std::string& t : m_inQueue) {
        total += t.size();
    }
    return total;
}

gboolean FakeUsbDevice::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<FakeUsbDevice*>(self)->HandleIoctl(client);
    return TRUE;
}

void FakeUsbDevice::OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient*, gpointer self) {
    auto* device = static_cast<FakeUsbDevice*>(self);
    std::lock_guard lock(device->m_mutex);
    ++device->m_connections;
}

void FakeUsbDevice::HandleIoctl(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    switch (request) {
        case USBDEVFS_SUBMITURB:
            Submit(client, arg);
            return;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            Reap(client, arg);
            return;
        case USBDEVFS_DISCARDURB:
            Discard(client, arg);
            return;
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP:
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        default:
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
            return;
    }
}

void FakeUsbDevice::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    GError* error = nullptr;
    UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), &error);
    if (urbData == nullptr) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
        urbData, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(urb->buffer_length), &error);
    if (buffer == nullptr) {
        g_clear_error(&error);
        g_object_unref(urbData);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    urb->status = 0;
    urb->actual_length = 0;
    Urb pending{client, urbData, buffer};
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        const int got = Control(buffer->data, urb->buffer_length);
        urb->status = got < 0 ? -EPIPE : 0;
        urb->actual_length = got < 0 ? 0 : got;
        std::lock_guard lock(m_mutex);
        m_completed.push_back(pending);
    } else if ((urb->endpoint & 0x80) != 0) {
        std::lock_guard lock(m_mutex);
        m_pendingIn.push_back(pending);
        FeedPendingIn();
    } else {
        Responder responder;
        const std::string command(reinterpret_cast<const char*>(buffer->data),
                                  static_cast<std::size_t>(urb->buffer_length));
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(command);
            if (m_stallOut) {
                urb->status = -EPIPE;
            } else {
                urb->actual_length = urb->buffer_length;
                responder = m_responder;
            }
            m_completed.push_back(pending);
        }
        const std::vector<std::string> answer =
            responder ? responder(command) : std::vector<std::string>{};
        std::lock_guard lock(m_mutex);
        m_inQueue.insert(m_inQueue.end(), answer.begin(), answer.end());
        FeedPendingIn();
    }
    umockdev_ioctl_client_complete(client, 0, 0);
}

bool FakeUsbDevice::FillIn(Urb& pending) {
    auto* urb = reinterpret_cast<usbdevfs_urb*>(pending.urb->data);
    if (m_stallIn) {
        urb->status = -EPIPE;
        return true;
    }
    if (m_inQueue.empty()) {
        return false;
    }
    // One queued transfer per URB, as a device ends each transfer with a short packet.
    std::string& front = m_inQueue.front();
    const std::size_t count = std::min<std::size_t>(front.size(), urb->buffer_length);
    std::memcpy(pending.buffer->data, front.data(), count);
    urb->actual_length = static_cast<int>(count);
    front.erase(0, count);
    if (front.empty()) {
        m_inQueue.pop_front();
    }
    return true;
}

void FakeUsbDevice::FeedPendingIn() {
    while (!m_pendingIn.empty() && FillIn(m_pendingIn.front())) {
        m_completed.push_back(m_pendingIn.front());
        m_pendingIn.pop_front();
    }
}

void FakeUsbDevice::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb done;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_completed.begin(), m_completed.end(),
                                     [&](const Urb& u) { return u.client == client; });
        if (it != m_completed.end()) {
            done = *it;
            m_completed.erase(it);
        }
    }
    if (done.urb == nullptr) {
        // libusb polls the device node, which is always ready here: a short pause keeps its
        // event loop from spinning while a transfer waits for data or its time-out.
        g_usleep(1000);
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
        return;
    }
    GError* error = nullptr;
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), &error);
    if (slot == nullptr) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
    } else {
        umockdev_ioctl_data_set_ptr(slot, 0, done.urb);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(slot);
    }
    g_object_unref(done.buffer);
    g_object_unref(done.urb);
}

void FakeUsbDevice::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    const gulong address = *reinterpret_cast<const gulong*>(arg->data);
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_pendingIn.begin(), m_pendingIn.end(), [&](const Urb& u) {
        return u.client == client && u.urb->client_addr == address;
    });
    if (it == m_pendingIn.end()) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    reinterpret_cast<usbdevfs_urb*>(it->urb->data)->status = -ENOENT;
    m_completed.push_back(*it);
    m_pendingIn.erase(it);
    umockdev_ioctl_client_complete(client, 0, 0);
}

int FakeUsbDevice::Control(std::uint8_t* setup, int bufferLength) {
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const unsigned value = setup[2] | setup[3] << 8;
    const unsigned index = setup[4] | setup[5] << 8;
    const int length = std::min(setup[6] | setup[7] << 8, bufferLength - 8);
    std::vector<std::uint8_t> answer;
    const Announcement a = m_spec.announcement;
    const bool msOs20 = a == Announcement::MsOs20Device || a == Announcement::MsOs20Function;
    if (requestType == 0x80 && request == 6) {
        const unsigned type = value >> 8;
        if (type == 1) {
            const auto all = SysfsDescriptors();
            answer.assign(all.begin(), all.begin() + 18);
        } else if (type == 2) {
            answer = Configuration();
        } else if (type == 0x0F && msOs20) {
            answer = Bos();
        } else if (type == 3 && (value & 0xFF) == 0xEE && a == Announcement::MsOs10) {
            answer = MsOs10String();
        }
    } else if (requestType == 0xC0 && request == kMsOs20VendorCode && index == 7 && msOs20) {
        answer = MsOs20Set();
    } else if (requestType == 0xC1 && request == kMsOs10VendorCode && index == 5 && value == 0 &&
               a == Announcement::MsOs10) {
        answer = MsOs10ExtendedProperties();
    }
    if (answer.empty()) {
        return -1;  // stall, as a device does for a request it does not know
    }
    const int count = std::min<int>(length, static_cast<int>(answer.size()));
    std::memcpy(setup + 8, answer.data(), static_cast<std::size_t>(count));
    return count;
}

}  // namespace plumex_test
