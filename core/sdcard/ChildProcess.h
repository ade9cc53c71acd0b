// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program as a child process without a shell (fork and exec): the arguments go to the
// program as they are, so no file name can be read as shell syntax.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// The program's full path: searched in PATH, then in /usr/sbin and /sbin (where mkfs.fat lives
// but an ordinary user's PATH may not reach); empty when not found.
std::string FindProgram(const std::string& name);

struct ProcessResult {
    int exitCode = -1;   // -1 when the program could not be started or did not exit normally
    std::string output;  // standard output and standard error together
};

// Runs the program (argv[0] a path or a name looked up with FindProgram) with the current
// environment plus the given "NAME=value" entries, waits for it and returns its exit code.
ProcessResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment = {});

}  // namespace vantrel
