// SPDX-License-Identifier: GPL-3.0-or-later
// The device-link library bound by name at run time: its four byte-stream functions, all of
// them or none. The program runs without the library; every device operation then fails at
// once, as if no recorder were attached.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// The byte-stream functions of the device-link library.
struct UsbFunctions {
    using OpenFn = std::int32_t (*)(std::uint32_t deviceIndex);
    using ReadFn = std::int32_t (*)(void* buffer, std::uint32_t length, std::int32_t handle);
    using WriteFn = std::int32_t (*)(const void* buffer, std::uint32_t length, std::int32_t handle);
    using CloseFn = std::int32_t (*)(std::int32_t handle);

    OpenFn m_pfnUsbOpen = nullptr;
    ReadFn m_pfnUsbRead = nullptr;
    WriteFn m_pfnUsbWrite = nullptr;
    CloseFn m_pfnUsbClose = nullptr;

    bool IsBound() const {
        return m_pfnUsbOpen != nullptr && m_pfnUsbRead != nullptr && m_pfnUsbWrite != nullptr &&
               m_pfnUsbClose != nullptr;
    }
};

// The environment variable that names the library file to load instead of the default names.
inline constexpr const char* kPlumexEnvironment = "VANTREL_PLUMEX";

// Owns the loaded module; the functions are valid while it lives.
class PlumexBinding {
public:
    PlumexBinding() = default;
    ~PlumexBinding();
    PlumexBinding(const PlumexBinding&) = delete;
    PlumexBinding& operator=(const PlumexBinding&) = delete;

    // Loads the file that VANTREL_PLUMEX names when it is set and not empty (and nothing else
    // then), else "libPlumex.so.1", else "libPlumex.so" through the loader's search path.
    // True when all four functions were found.
    bool Bind();
    // Loads exactly this file (a path, or a name for the loader's search path).
    bool Bind(const std::string& library);
    // Clears the functions and unloads the module.
    void Release();

    const UsbFunctions& Functions() const { return m_functions; }
    bool IsBound() const { return m_functions.IsBound(); }
    // Why the last Bind failed: the loader's message or the missing function's name.
    const std::string& Error() const { return m_strError; }

private:
    void* m_hModule = nullptr;
    UsbFunctions m_functions;
    std::string m_strError;
};

}  // namespace vantrel
