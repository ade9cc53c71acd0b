// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder emulator behind the device-link library's eight exports, so that a program loads
// it by name exactly as it loads Plumex. One recorder is attached (device index 0) when
// VANTREL_EMU_STORAGE names a folder; it answers the line protocol from that folder.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "plumex/include/plumex/Plumex.h"
#include "plumex/src/ResponseReader.h"
#include "tools/emulator/EmulatorConfig.h"
#include "tools/emulator/RecorderSession.h"
#include "tools/emulator/RecorderStorage.h"

namespace {

using vantrel::emulator::EmulatorConfig;
using vantrel::emulator::RecorderSession;

struct ReportMode {
    const char* command;
    std::size_t capacity;
    std::string answer;
    std::size_t position = 0;
    bool open = false;
};

std::unique_ptr<RecorderSession> g_session;  // the open device, handle 1
unsigned g_silenceMs = 0;
std::string g_identity;  // kept once known: a formatted recorder still knows who it is
ReportMode g_modes[3] = {
    {"#24H\r\n", 4194304, {}},
    {"#52W\r\n", 4194304, {}},
    {"#TIME\r\n", 102400, {}},
};

std::string Identity(const EmulatorConfig& config) {
    if (!config.deviceId.empty()) {
        return config.deviceId;
    }
    if (std::string fromFiles =
            vantrel::emulator::RecorderStorage(config.storage).IdentityFromFiles();
        !fromFiles.empty()) {
        g_identity = fromFiles;
    }
    return g_identity.empty() ? "VQ000000" : g_identity;
}

std::unique_ptr<RecorderSession> NewSession(const EmulatorConfig& config) {
    return std::make_unique<RecorderSession>(config, Identity(config));
}

ReportMode* OpenMode(std::int32_t mode) {
    if (mode < 1 || mode > 3 || !g_modes[mode - 1].open) {
        return nullptr;
    }
    return &g_modes[mode - 1];
}

}  // namespace

extern "C" {

PLUMEX_API std::int32_t VQusbOpen(std::uint32_t deviceIndex) {
    const EmulatorConfig config = vantrel::emulator::ReadConfig();
    if (deviceIndex != 0 || !config.present) {
        return 0;
    }
    g_silenceMs = config.silenceMs;
    g_session = NewSession(config);
    return 1;
}

PLUMEX_API std::int32_t VQusbRead(void* buffer, std::uint32_t length, std::int32_t handle) {
    if (handle != 1 || !g_session || buffer == nullptr) {
        return 0;
    }
    const std::size_t got = g_session->Send(static_cast<char*>(buffer), length);
    if (got == 0 && g_silenceMs > 0) {
        // Nothing to say: a real read would wait for its time-out.
        std::this_thread::sleep_for(std::chrono::milliseconds(g_silenceMs));
    }
    return static_cast<std::int32_t>(got);
}

PLUMEX_API std::int32_t VQusbWrite(const void* buffer, std::uint32_t length, std::int32_t handle) {
    if (handle != 1 || !g_session || buffer == nullptr) {
        return 0;
    }
    g_session->Receive(std::string_view(static_cast<const char*>(buffer), length));
    return static_cast<std::int32_t>(length);
}

PLUMEX_API std::int32_t VQusbClose(std::int32_t handle) {
    if (handle != 1 || !g_session) {
        return 0;
    }
    g_session.reset();
    return 1;
}

PLUMEX_API std::int32_t VQopen(std::int32_t modeArgument) {
    const std::int32_t mode = static_cast<std::uint16_t>(modeArgument);
    const EmulatorConfig config = vantrel::emulator::ReadConfig();
    if (mode < 1 || mode > 3 || !config.present) {
        return -1;
    }
    ReportMode& report = g_modes[mode - 1];
    report.answer = NewSession(config)->Run(report.command);
    if (report.answer.size() > report.capacity) {
        report.answer.resize(report.capacity);
    }
    report.position = 0;
    report.open = true;
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
    return plumex::ReadResponseLine(report->answer, report->position, line, size, result);
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
    report->open = false;
    return 1;
}

}  // extern "C"
