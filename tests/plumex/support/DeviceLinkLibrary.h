// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a device-link library (Plumex or the recorder emulator) at run time and looks up its
// eight exports by their plain names, as the program does.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>

namespace plumex_test {

class DeviceLinkLibrary {
public:
    using UsbOpen = std::int32_t (*)(std::uint32_t);
    using UsbRead = std::int32_t (*)(void*, std::uint32_t, std::int32_t);
    using UsbWrite = std::int32_t (*)(const void*, std::uint32_t, std::int32_t);
    using UsbClose = std::int32_t (*)(std::int32_t);
    using Open = std::int32_t (*)(std::int32_t);
    using Gets = std::int32_t (*)(char*, std::int32_t, std::int32_t, std::int32_t*);
    using Mode = std::int32_t (*)(std::int32_t);

    explicit DeviceLinkLibrary(const std::string& path) : m_path(path) {
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            m_error = dlerror();
            return;
        }
        Bind(usbOpen, "VQusbOpen");
        Bind(usbRead, "VQusbRead");
        Bind(usbWrite, "VQusbWrite");
        Bind(usbClose, "VQusbClose");
        Bind(open, "VQopen");
        Bind(gets, "VQgets");
        Bind(rewind, "VQrewind");
        Bind(close, "VQclose");
    }
    ~DeviceLinkLibrary() { Unload(); }
    DeviceLinkLibrary(const DeviceLinkLibrary&) = delete;
    DeviceLinkLibrary& operator=(const DeviceLinkLibrary&) = delete;

    bool Loaded() const { return m_handle != nullptr && m_error.empty(); }
    const std::string& Error() const { return m_error; }

    // Unloads the library; true when it is really gone from the process afterwards.
    bool Unload() {
        if (m_handle != nullptr) {
            dlclose(m_handle);
            m_handle = nullptr;
        }
        void* still = dlopen(m_path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (still != nullptr) {
            dlclose(still);
            return false;
        }
        return true;
    }

    UsbOpen usbOpen = nullptr;
    UsbRead usbRead = nullptr;
    UsbWrite usbWrite = nullptr;
    UsbClose usbClose = nullptr;
    Open open = nullptr;
    Gets gets = nullptr;
    Mode rewind = nullptr;
    Mode close = nullptr;

private:
    template <typename F>
    void Bind(F& function, const char* name) {
        function = reinterpret_cast<F>(dlsym(m_handle, name));
        if (function == nullptr) {
            m_error += std::string("missing ") + name + "; ";
        }
    }

    std::string m_path;
    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace plumex_test
