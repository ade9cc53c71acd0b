// SPDX-License-Identifier: GPL-3.0-or-later
// The options of one command: "--name VALUE", "--name=VALUE", flags, "--" before arguments
// that begin with a dash, and the positional arguments in order.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vantrel::cli {

struct OptionSpec {
    std::string name;  // with the dashes: "--out"
    bool takesValue = false;
};

struct ParsedArgs {
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::vector<std::string> positional;
    std::string error;  // set when the arguments do not fit the specs
    bool help = false;  // -h or --help was given

    bool Has(const std::string& name) const {
        return flags.count(name) != 0 || values.count(name) != 0;
    }
    std::optional<std::string> Value(const std::string& name) const;
};

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

}  // namespace vantrel::cli
