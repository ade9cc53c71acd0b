// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces several commands share: printing the system's messages and checking that a
// path names a record summary file.
#pragma once

#include <optional>
#include <string>

#include "core/store/ImportResult.h"
#include "tools/cli/CliContext.h"

namespace vantrel::cli {

// The message's text, then each file it names on a line of its own, indented.
void PrintMessage(std::ostream& out, const UserMessage& message);

// The absolute path of a record summary file (a file with section "RECORDINFO"); nullopt
// after an error report when the path names no such file.
std::optional<std::string> CheckRecordPath(CliContext& context, const std::string& path);

}  // namespace vantrel::cli
