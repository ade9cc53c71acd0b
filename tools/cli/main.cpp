// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli: the record store and the imports for scripts and headless import stations.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "tools/cli/Commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vantrel::cli::RunCli(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
