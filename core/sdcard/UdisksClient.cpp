// SPDX-License-Identifier: GPL-3.0-or-later
// udisks2 through sd-bus: every call allows interactive authorisation, so that polkit can ask
// the user, and waits long enough for the user to answer.
#include "core/sdcard/UdisksClient.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vantrel {
namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kManagerObject = "/org/freedesktop/UDisks2/Manager";
constexpr const char* kManager = "org.freedesktop.UDisks2.Manager";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";
constexpr const char* kPartition = "org.freedesktop.UDisks2.Partition";
constexpr const char* kPartitionTable = "org.freedesktop.UDisks2.PartitionTable";
// Long enough for the user to read polkit's question and type a password.
constexpr std::uint64_t kCallTimeoutMicroseconds = 5ull * 60 * 1000 * 1000;

// Frees an sd-bus message, error or string at the end of the scope.
struct Message {
    sd_bus_message* m = nullptr;
    ~Message() { sd_bus_message_unref(m); }
};
struct Error {
    sd_bus_error e = SD_BUS_ERROR_NULL;
    ~Error() { sd_bus_error_free(&e); }
};

std::string Describe(const std::string& what, const Error& error, int r) {
    std::string text = "the disk service (udisks2) could not " + what + ": ";
    if (error.e.message != nullptr) {
        text += error.e.message;
    } else {
        text += std::strerror(-r);
    }
    if (error.e.name != nullptr && std::strstr(error.e.name, "NotAuthorized") != nullptr) {
        text += " (not authorised)";
    }
    return text;
}

}  // namespace

struct UdisksClient::Bus {
    sd_bus* bus = nullptr;
    ~Bus() { sd_bus_flush_close_unref(bus); }

    // A method call to the service, with interactive authorisation allowed.
    int NewCall(const std::string& object, const char* interface, const char* member,
                Message* call) {
        const int r = sd_bus_message_new_method_call(bus, &call->m, kService, object.c_str(),
                                                     interface, member);
        return r < 0 ? r : sd_bus_message_set_allow_interactive_authorization(call->m, 1);
    }
    int Call(Message& call, Error* error, Message* reply) {
        return sd_bus_call(bus, call.m, kCallTimeoutMicroseconds, &error->e, &reply->m);
    }
};

UdisksClient::UdisksClient(std::unique_ptr<Bus> bus) : m_bus(std::move(bus)) {}
UdisksClient::~UdisksClient() = default;

std::unique_ptr<UdisksClient> UdisksClient::Connect(std::string* error) {
    auto bus = std::make_unique<Bus>();
    const int r = sd_bus_open_system(&bus->bus);
    if (r < 0) {
        *error = std::string("the system bus cannot be reached: ") + std::strerror(-r);
        return nullptr;
    }
    return std::unique_ptr<UdisksClient>(new UdisksClient(std::move(bus)));
}

std::string UdisksClient::ResolveDevice(const std::string& devicePath, std::string* error) {
    Message call;
    Message reply;
    Error failure;
    int r = m_bus->NewCall(kManagerObject, kManager, "ResolveDevice", &call);
    if (r >= 0) {
        r = sd_bus_message_append(call.m, "a{sv}a{sv}", 1, "path", "s", devicePath.c_str(), 0);
    }
    if (r >= 0) {
        r = m_bus->Call(call, &failure, &reply);
    }
    std::vector<std::string> objects;
    if (r >= 0) {
        r = sd_bus_message_enter_container(reply.m, 'a', "o");
    }
    const char* object = nullptr;
    while (r >= 0 && (r = sd_bus_message_read(reply.m, "o", &object)) > 0) {
        objects.emplace_back(object);
    }
    if (r < 0) {
        *error = Describe("find " + devicePath, failure, r);
        return {};
    }
    if (objects.empty()) {
        *error = "the disk service (udisks2) does not know " + devicePath;
        return {};
    }
    return objects.front();
}

bool UdisksClient::Unmount(const std::string& object, std::string* error) {
    Message call;
    Message reply;
    Error failure;
    int r = m_bus->NewCall(object, kFilesystem, "Unmount", &call);
    if (r >= 0) {
        r = sd_bus_message_append(call.m, "a{sv}", 0);
    }
    if (r >= 0) {
        r = m_bus->Call(call, &failure, &reply);
    }
    if (r < 0) {
        *error = Describe("unmount the card", failure, r);
        return false;
    }
    return true;
}

int UdisksClient::OpenDevice(const std::string& object, std::string* error) {
    Message call;
    Message reply;
    Error failure;
    int r = m_bus->NewCall(object, kBlock, "OpenDevice", &call);
    if (r >= 0) {
        r = sd_bus_message_append(call.m, "sa{sv}", "rw", 1, "flags", "i", O_EXCL);
    }
    if (r >= 0) {
        r = m_bus->Call(call, &failure, &reply);
    }
    int received = -1;
    if (r >= 0) {
        r = sd_bus_message_read(reply.m, "h", &received);
    }
    if (r < 0) {
        *error = Describe("open the card's device", failure, r);
        return -1;
    }
    // The message owns the descriptor it carries.
    const int fd = ::fcntl(received, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        *error = std::string("the card's device descriptor: ") + std::strerror(errno);
    }
    return fd;
}

bool UdisksClient::SetMbrPartitionType(const std::string& object, const std::string& type,
                                       std::string* error) {
    Error failure;
    Message tableReply;
    const char* table = nullptr;
    int r = sd_bus_get_property(m_bus->bus, kService, object.c_str(), kPartition, "Table",
                                &failure.e, &tableReply.m, "o");
    if (r >= 0) {
        r = sd_bus_message_read(tableReply.m, "o", &table);
    }
    char* scheme = nullptr;
    char* current = nullptr;
    if (r >= 0) {
        r = sd_bus_get_property_string(m_bus->bus, kService, table, kPartitionTable, "Type",
                                       &failure.e, &scheme);
    }
    if (r >= 0) {
        r = sd_bus_get_property_string(m_bus->bus, kService, object.c_str(), kPartition, "Type",
                                       &failure.e, &current);
    }
    const bool change = r >= 0 && std::strcmp(scheme, "dos") == 0 && type != current;
    std::free(scheme);
    std::free(current);
    if (r < 0) {
        *error = Describe("read the card's partition table", failure, r);
        return false;
    }
    if (!change) {
        return true;
    }
    Message call;
    Message reply;
    r = m_bus->NewCall(object, kPartition, "SetType", &call);
    if (r >= 0) {
        r = sd_bus_message_append(call.m, "sa{sv}", type.c_str(), 0);
    }
    if (r >= 0) {
        r = m_bus->Call(call, &failure, &reply);
    }
    if (r < 0) {
        *error = Describe("set the partition's type", failure, r);
        return false;
    }
    return true;
}

}  // namespace vantrel
