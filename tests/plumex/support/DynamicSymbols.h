// SPDX-License-Identifier: GPL-3.0-or-later
// The functions a shared library exports, as `nm -D --defined-only` lists them.
#pragma once

#include <cstdio>
#include <set>
#include <string>

namespace plumex_test {

inline std::set<std::string> ExportedFunctions(const std::string& library) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        char type = 0;
        char name[400] = {};
        if (std::sscanf(line, "%*s %c %399s", &type, name) == 2) {
            names.insert(name);
        }
    }
    pclose(pipe);
    return names;
}

inline const std::set<std::string> kDeviceLinkExports = {"VQusbOpen",  "VQusbRead", "VQusbWrite",
                                                         "VQusbClose", "VQopen",    "VQgets",
                                                         "VQrewind",   "VQclose"};

}  // namespace plumex_test
