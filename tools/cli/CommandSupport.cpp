// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the commands.
#include "tools/cli/CommandSupport.h"

#include <filesystem>
#include <system_error>

#include "core/ini/IniFile.h"

namespace vantrel::cli {

void PrintMessage(std::ostream& out, const UserMessage& message) {
    out << message.text << "\n";
    for (const std::string& file : message.files) {
        out << "  " << file << "\n";
    }
}

std::optional<std::string> CheckRecordPath(CliContext& context, const std::string& path) {
    const std::string absolute = AbsolutePath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(absolute, ec)) {
        context.Fail("no record file '" + path + "'");
        return std::nullopt;
    }
    if (!ini::IniFile::Load(absolute).HasSection("RECORDINFO")) {
        context.Fail("'" + path + "' is not a record summary file (no [RECORDINFO] section)");
        return std::nullopt;
    }
    return absolute;
}

}  // namespace vantrel::cli
