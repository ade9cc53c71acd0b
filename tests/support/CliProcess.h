// SPDX-License-Identifier: GPL-3.0-or-later
// Runs vantrel-cli of the build as a user runs it, in a clean environment (only PATH, TZ and
// what the test names), and collects its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace vantrel::test {

struct CliRun {
    int status = -1;  // the exit status; -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// The text in single quotes for the shell.
inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// environment: "NAME=value" entries (HOME, XDG_CONFIG_HOME, ...); args: after the program
// name; input: what is typed on standard input, none for end of input at once. The output
// files go to scratch (a folder with a trailing '/').
inline CliRun RunVantrelCli(const std::string& scratch, const std::vector<std::string>& environment,
                            const std::vector<std::string>& args,
                            const std::optional<std::string>& input = std::nullopt) {
    std::string command = "env -i PATH=/usr/bin:/bin TZ=Europe/Berlin";
    for (const std::string& entry : environment) {
        command += " " + ShellQuote(entry);
    }
    command += " " + ShellQuote(std::string(VANTREL_BIN_DIR) + "/vantrel-cli");
    for (const std::string& arg : args) {
        command += " " + ShellQuote(arg);
    }
    const std::string in = scratch + "stdin.txt";
    const std::string out = scratch + "stdout.txt";
    const std::string err = scratch + "stderr.txt";
    TempFolder::Write(in, input.value_or(""));
    command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err) + " <" + ShellQuote(in);
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::Read(out),
            TempFolder::Read(err)};
}

}  // namespace vantrel::test
