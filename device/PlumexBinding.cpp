// SPDX-License-Identifier: GPL-3.0-or-later
// Run-time binding of the device-link library with the dynamic loader.
#include "device/PlumexBinding.h"

#include <dlfcn.h>

#include <cstdlib>

namespace vantrel {
namespace {

template <typename Fn>
bool Lookup(void* module, const char* name, Fn& target, std::string& error) {
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        error = std::string("the library has no function ") + name;
        return false;
    }
    target = reinterpret_cast<Fn>(symbol);
    return true;
}

}  // namespace

PlumexBinding::~PlumexBinding() {
    Release();
}

bool PlumexBinding::Bind() {
    const char* named = std::getenv(kPlumexEnvironment);
    if (named != nullptr && *named != '\0') {
        return Bind(named);
    }
    return Bind("libPlumex.so.1") || Bind("libPlumex.so");
}

bool PlumexBinding::Bind(const std::string& library) {
    Release();
    m_strError.clear();
    m_hModule = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hModule == nullptr) {
        const char* reason = dlerror();
        m_strError = reason != nullptr ? reason : "the library could not be loaded";
        return false;
    }
    UsbFunctions functions;
    if (Lookup(m_hModule, "VQusbOpen", functions.m_pfnUsbOpen, m_strError) &&
        Lookup(m_hModule, "VQusbRead", functions.m_pfnUsbRead, m_strError) &&
        Lookup(m_hModule, "VQusbWrite", functions.m_pfnUsbWrite, m_strError) &&
        Lookup(m_hModule, "VQusbClose", functions.m_pfnUsbClose, m_strError)) {
        m_functions = functions;
        return true;
    }
    // Some functions without the others are no usable library.
    Release();
    return false;
}

void PlumexBinding::Release() {
    m_functions = {};
    if (m_hModule != nullptr) {
        dlclose(m_hModule);
        m_hModule = nullptr;
    }
}

}  // namespace vantrel
