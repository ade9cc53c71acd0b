// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of vantrel-cli and the table that names them. A command gets its arguments
// after its name and returns the exit status (0 success, 1 failure, 2 wrong usage).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/CliContext.h"

namespace vantrel::cli {

struct Command {
    std::string_view name;
    std::string_view help;  // the command's whole help text
    int (*run)(CliContext& context, const std::vector<std::string>& args);
};

// In the order the main help lists them.
const std::vector<Command>& AllCommands();
const Command* FindCommand(std::string_view name);

int RunImportSd(CliContext& context, const std::vector<std::string>& args);
int RunList(CliContext& context, const std::vector<std::string>& args);
int RunShow(CliContext& context, const std::vector<std::string>& args);
int RunExport(CliContext& context, const std::vector<std::string>& args);
int RunDelete(CliContext& context, const std::vector<std::string>& args);
int RunDump(CliContext& context, const std::vector<std::string>& args);
int RunAnalyse(CliContext& context, const std::vector<std::string>& args);
int RunSummary(CliContext& context, const std::vector<std::string>& args);
int RunVehicleClass(CliContext& context, const std::vector<std::string>& args);
int RunFormatSd(CliContext& context, const std::vector<std::string>& args);

// The whole tool: global options, then the command. args excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressOnStderr);

}  // namespace vantrel::cli
