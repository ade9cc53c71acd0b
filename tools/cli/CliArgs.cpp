// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing the options of a command.
#include "tools/cli/CliArgs.h"

namespace vantrel::cli {
namespace {

const OptionSpec* FindSpec(const std::vector<OptionSpec>& specs, const std::string& name) {
    for (const OptionSpec& spec : specs) {
        if (spec.name == name) {
            return &spec;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
    const auto it = values.find(name);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* spec = FindSpec(specs, name);
        if (spec == nullptr) {
            parsed.error = "unknown option '" + name + "'";
            return parsed;
        }
        if (!spec->takesValue) {
            if (equals != std::string::npos) {
                parsed.error = "option '" + name + "' takes no value";
                return parsed;
            }
            parsed.flags.insert(name);
        } else if (equals != std::string::npos) {
            parsed.values[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.values[name] = args[++i];
        } else {
            parsed.error = "option '" + name + "' needs a value";
            return parsed;
        }
    }
    return parsed;
}

}  // namespace vantrel::cli
