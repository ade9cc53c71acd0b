// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/core/sdcard/StandInDiskService.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

extern char** environ;

namespace vantrel::test {
namespace {

using DeviceSlot = StandInDiskService::Slot;

int OnResolve(sd_bus_message* m, void* userdata, sd_bus_error* error) {
    return static_cast<StandInDiskService*>(userdata)->Resolve(m, error);
}
int OnOpen(sd_bus_message* m, void* userdata, sd_bus_error* error) {
    auto* slot = static_cast<DeviceSlot*>(userdata);
    return slot->service->Open(m, *slot->device, error);
}
int OnUnmount(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* slot = static_cast<DeviceSlot*>(userdata);
    return slot->service->Unmount(m, *slot->device);
}
int OnSetType(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* slot = static_cast<DeviceSlot*>(userdata);
    return slot->service->SetType(m, *slot->device);
}
int GetPartitionType(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                     void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s",
                                 static_cast<DeviceSlot*>(userdata)->device->partitionType.c_str());
}
int GetTable(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
             sd_bus_error*) {
    return sd_bus_message_append(reply, "o",
                                 static_cast<DeviceSlot*>(userdata)->device->tableObject.c_str());
}
int GetTableType(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                 sd_bus_error*) {
    return sd_bus_message_append(reply, "s", "dos");
}

const sd_bus_vtable kManagerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("ResolveDevice", "a{sv}a{sv}", "ao", OnResolve, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};
const sd_bus_vtable kBlockTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("OpenDevice", "sa{sv}", "h", OnOpen, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};
const sd_bus_vtable kFilesystemTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Unmount", "a{sv}", "", OnUnmount, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};
const sd_bus_vtable kPartitionTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("SetType", "sa{sv}", "", OnSetType, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("Type", "s", GetPartitionType, 0, 0),
    SD_BUS_PROPERTY("Table", "o", GetTable, 0, 0), SD_BUS_VTABLE_END};
const sd_bus_vtable kTableTable[] = {
    SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("Type", "s", GetTableType, 0, 0), SD_BUS_VTABLE_END};

// Skips an a{sv} argument, returning the int32 "flags" entry when there is one.
int ReadOptions(sd_bus_message* m, int* flags) {
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        r = sd_bus_message_read(m, "s", &key);
        if (r >= 0 && flags != nullptr && std::string(key) == "flags") {
            r = sd_bus_message_read(m, "v", "i", flags);
        } else if (r >= 0) {
            r = sd_bus_message_skip(m, "v");
        }
        if (r >= 0) {
            r = sd_bus_message_exit_container(m);
        }
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

}  // namespace

PrivateBus::PrivateBus(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string socket = folder + "/bus";
    const std::string address = "--address=unix:path=" + socket;
    const char* argv[] = {"dbus-daemon", "--session",     "--nofork",
                          "--nopidfile", address.c_str(), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "dbus-daemon", nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0) {
        return;
    }
    m_pid = pid;
    // Until the socket is there, or the daemon gave up.
    for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        ::usleep(25'000);
    }
    if (std::filesystem::exists(socket)) {
        m_address = "unix:path=" + socket;
    }
}

PrivateBus::~PrivateBus() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

StandInDiskService::StandInDiskService(const std::string& busAddress,
                                       std::map<std::string, StandInDevice> paths)
    : m_paths(std::move(paths)) {
    for (const auto& [path, device] : m_paths) {
        m_objects[device.object] = device;
    }
    if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, busAddress.c_str()) < 0 ||
        sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0) {
        return;
    }
    sd_bus_add_object_vtable(m_bus, nullptr, "/org/freedesktop/UDisks2/Manager",
                             "org.freedesktop.UDisks2.Manager", kManagerTable, this);
    m_slots.reserve(m_objects.size());
    for (auto& [object, device] : m_objects) {
        m_slots.push_back({this, &device});
        void* slot = &m_slots.back();
        sd_bus_add_object_vtable(m_bus, nullptr, object.c_str(), "org.freedesktop.UDisks2.Block",
                                 kBlockTable, slot);
        sd_bus_add_object_vtable(m_bus, nullptr, object.c_str(),
                                 "org.freedesktop.UDisks2.Filesystem", kFilesystemTable, slot);
        if (!device.partitionType.empty()) {
            sd_bus_add_object_vtable(m_bus, nullptr, object.c_str(),
                                     "org.freedesktop.UDisks2.Partition", kPartitionTable, slot);
        } else {
            sd_bus_add_object_vtable(m_bus, nullptr, object.c_str(),
                                     "org.freedesktop.UDisks2.PartitionTable", kTableTable, slot);
        }
    }
    if (sd_bus_request_name(m_bus, "org.freedesktop.UDisks2", 0) < 0) {
        return;
    }
    m_serving = true;
    m_thread = std::thread([this] { Serve(); });
}

StandInDiskService::~StandInDiskService() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    sd_bus_flush_close_unref(m_bus);
}

void StandInDiskService::Serve() {
    while (!m_stop) {
        const int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            break;
        }
        if (r == 0) {
            sd_bus_wait(m_bus, 50'000);
        }
    }
}

StandInDiskService::Record StandInDiskService::Recorded() const {
    std::lock_guard lock(m_mutex);
    Record record = m_record;
    record.interactive = m_allInteractive && !record.calls.empty();
    return record;
}

void StandInDiskService::Note(sd_bus_message* m, const std::string& call) {
    std::lock_guard lock(m_mutex);
    m_record.calls.push_back(call + " " + sd_bus_message_get_path(m));
    m_allInteractive =
        m_allInteractive && sd_bus_message_get_allow_interactive_authorization(m) > 0;
}

int StandInDiskService::Resolve(sd_bus_message* m, sd_bus_error* error) {
    Note(m, "ResolveDevice");
    std::string path;
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        const char* value = nullptr;
        r = sd_bus_message_read(m, "sv", &key, "s", &value);
        if (r >= 0 && std::string(key) == "path") {
            path = value;
        }
        if (r >= 0) {
            r = sd_bus_message_exit_container(m);
        }
    }
    if (r < 0) {
        return r;
    }
    sd_bus_message* reply = nullptr;
    r = sd_bus_message_new_method_return(m, &reply);
    const auto found = m_paths.find(path);
    if (r >= 0) {
        r = found == m_paths.end()
                ? sd_bus_message_append(reply, "ao", 0)
                : sd_bus_message_append(reply, "ao", 1, found->second.object.c_str());
    }
    if (r >= 0) {
        r = sd_bus_send(nullptr, reply, nullptr);
    }
    sd_bus_message_unref(reply);
    (void)error;
    return r;
}

int StandInDiskService::Open(sd_bus_message* m, const StandInDevice& device, sd_bus_error* error) {
    Note(m, "OpenDevice");
    const char* mode = nullptr;
    int flags = 0;
    int r = sd_bus_message_read(m, "s", &mode);
    if (r >= 0) {
        r = ReadOptions(m, &flags);
    }
    if (r < 0) {
        return r;
    }
    {
        std::lock_guard lock(m_mutex);
        m_record.openMode = mode;
        m_record.openFlags = flags;
    }
    if (m_refuseOpening) {
        return sd_bus_error_set(error, "org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain",
                                "Not authorized to perform operation");
    }
    const int fd = ::open(device.image.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return sd_bus_error_set_errno(error, errno);
    }
    r = sd_bus_reply_method_return(m, "h", fd);
    ::close(fd);
    return r;
}

int StandInDiskService::Unmount(sd_bus_message* m, const StandInDevice& device) {
    Note(m, "Unmount");
    const int r = ReadOptions(m, nullptr);
    if (r < 0) {
        return r;
    }
    if (m_onUnmount) {
        m_onUnmount(device.object);
    }
    return sd_bus_reply_method_return(m, "");
}

int StandInDiskService::SetType(sd_bus_message* m, StandInDevice& device) {
    Note(m, "SetType");
    const char* type = nullptr;
    int r = sd_bus_message_read(m, "s", &type);
    if (r >= 0) {
        r = ReadOptions(m, nullptr);
    }
    if (r < 0) {
        return r;
    }
    {
        std::lock_guard lock(m_mutex);
        m_record.setType = type;
    }
    device.partitionType = type;
    return sd_bus_reply_method_return(m, "");
}

}  // namespace vantrel::test
