// SPDX-License-Identifier: GPL-3.0-or-later
// A private message bus (dbus-daemon on a socket in a temporary folder) and a stand-in for the
// disk service on it, serving the few udisks2 calls the card initialisation makes: device
// lookup, unmount, opening the device (an image file here) and the partition type. It runs
// its own connection on a thread and records what it was asked.
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {

// dbus-daemon with the session bus rules (anyone may own a name) on folder/bus.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& folder);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    bool Running() const { return m_pid > 0 && !m_address.empty(); }
    const std::string& Address() const { return m_address; }

private:
    int m_pid = -1;
    std::string m_address;
};

struct StandInDevice {
    std::string object;         // "/org/freedesktop/UDisks2/block_devices/sdz1"
    std::string image;          // the file OpenDevice opens
    std::string partitionType;  // empty for a whole disk
    std::string tableObject;    // the disk's object, for a partition
};

class StandInDiskService {
public:
    // Every device node path (there may be several per device) maps to a device.
    StandInDiskService(const std::string& busAddress, std::map<std::string, StandInDevice> paths);
    ~StandInDiskService();
    StandInDiskService(const StandInDiskService&) = delete;
    StandInDiskService& operator=(const StandInDiskService&) = delete;

    bool Serving() const { return m_serving; }
    // OpenDevice then answers as polkit does when the user declines.
    void RefuseOpening() { m_refuseOpening = true; }
    // Called with the object on Unmount (the test removes the mount from its mount table).
    void OnUnmount(std::function<void(const std::string&)> handler) {
        m_onUnmount = std::move(handler);
    }

    struct Record {
        std::vector<std::string> calls;  // "OpenDevice /org/...", "Unmount /org/..."
        std::string openMode;
        int openFlags = 0;
        bool interactive = false;  // every call allowed interactive authorisation
        std::string setType;
    };
    Record Recorded() const;

    // The sd-bus handlers; public so the C vtables can reach them.
    int Resolve(sd_bus_message* m, sd_bus_error* error);
    int Open(sd_bus_message* m, const StandInDevice& device, sd_bus_error* error);
    int Unmount(sd_bus_message* m, const StandInDevice& device);
    int SetType(sd_bus_message* m, StandInDevice& device);

    // What a device object's handlers get as their user data.
    struct Slot {
        StandInDiskService* service;
        StandInDevice* device;
    };

private:
    void Note(sd_bus_message* m, const std::string& call);
    void Serve();

    sd_bus* m_bus = nullptr;
    std::map<std::string, StandInDevice> m_paths;
    std::map<std::string, StandInDevice> m_objects;
    std::vector<Slot> m_slots;  // reserved up front: the vtables keep pointers into it
    std::atomic<bool> m_serving{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_refuseOpening{false};
    std::function<void(const std::string&)> m_onUnmount;
    mutable std::mutex m_mutex;
    Record m_record;
    bool m_allInteractive = true;
    std::thread m_thread;
};

}  // namespace vantrel::test
