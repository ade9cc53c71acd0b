// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for programs that need the umockdev preload library: the program starts itself
// again with it in LD_PRELOAD, so ctest and a developer can run it directly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kMarker = "VANTREL_UMOCKDEV_PRELOADED";

void Prepend(const char* name, const std::string& value, char separator) {
    const char* old = std::getenv(name);
    const std::string text = old != nullptr && *old != '\0' ? value + separator + old : value;
    setenv(name, text.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv(kMarker) == nullptr) {
        setenv(kMarker, "1", 1);
        Prepend("LD_PRELOAD", "libumockdev-preload.so.0", ':');
        // Under AddressSanitizer the preload library comes first in the list, which is harmless.
        Prepend("ASAN_OPTIONS", "verify_asan_link_order=0", ':');
        execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
