// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's disk service, udisks2, on the system bus. It lets the user at the machine
// unmount a removable card and open its device for writing without being root: polkit asks
// the user (or an administrator) to agree. The bus is the one DBUS_SYSTEM_BUS_ADDRESS names,
// else the system's.
#pragma once

#include <memory>
#include <string>

namespace vantrel {

class UdisksClient {
public:
    // Connects to the system bus; null with the reason when there is none.
    static std::unique_ptr<UdisksClient> Connect(std::string* error);
    ~UdisksClient();
    UdisksClient(const UdisksClient&) = delete;
    UdisksClient& operator=(const UdisksClient&) = delete;

    // The service's object of a device node ("/dev/sdb1"); empty with the reason when the
    // service does not know it.
    std::string ResolveDevice(const std::string& devicePath, std::string* error);
    // Unmounts the file system of the object (polkit may ask).
    bool Unmount(const std::string& object, std::string* error);
    // Opens the object's device for reading and writing, exclusively (polkit may ask). The
    // descriptor is the caller's; -1 with the reason on failure.
    int OpenDevice(const std::string& object, std::string* error);
    // Gives a partition of an MBR ("dos") table the type (such as "0x0c"); a partition of
    // another table or one that has the type already is left alone and counts as done.
    bool SetMbrPartitionType(const std::string& object, const std::string& type,
                             std::string* error);

    struct Bus;

private:
    explicit UdisksClient(std::unique_ptr<Bus> bus);
    std::unique_ptr<Bus> m_bus;
};

}  // namespace vantrel
