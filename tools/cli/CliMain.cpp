// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli's global options, the command table and the dispatch.
#include <cctype>

#include "core/Version.h"
#include "core/lang/MgrLanguage.h"
#include "tools/cli/Commands.h"
#include "tools/cli/DeviceCommands.h"
#include "tools/cli/HelpTexts.h"
#include "tools/cli/render/RenderCommand.h"

namespace vantrel::cli {
namespace {

// A language by its two-letter code (en, kr, jp, ...) or its number; nullopt when neither.
std::optional<int> ParseLanguage(const std::string& text) {
    if (!text.empty() && text.size() <= 2 &&
        std::isdigit(static_cast<unsigned char>(text[0])) != 0 &&
        std::isdigit(static_cast<unsigned char>(text.back())) != 0) {
        const int number = std::stoi(text);
        return number < kLanguageCount ? std::optional<int>(number) : std::nullopt;
    }
    for (int number = 0; number < kLanguageCount; ++number) {
        if (LanguageCode(number) == text) {
            return number;
        }
    }
    return std::nullopt;
}

int ShowHelp(CliContext& context, const std::vector<std::string>& topics) {
    if (topics.empty()) {
        context.out << MainHelp();
        return kExitOk;
    }
    const Command* command = FindCommand(topics.front());
    if (command == nullptr) {
        return context.Usage("no command '" + topics.front() + "'");
    }
    context.out << command->help;
    return kExitOk;
}

}  // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands{
        {"import-sd", kImportSdHelp, &RunImportSd},
        {"import-usb", kImportUsbHelp, &RunImportUsb},
        {"list", kListHelp, &RunList},
        {"show", kShowHelp, &RunShow},
        {"export", kExportHelp, &RunExport},
        {"delete", kDeleteHelp, &RunDelete},
        {"analyse", kAnalyseHelp, &RunAnalyse},
        {"summary", kSummaryHelp, &RunSummary},
        {"vehicle-class", kVehicleClassHelp, &RunVehicleClass},
        {"dump", kDumpHelp, &RunDump},
        {"format-device", kFormatDeviceHelp, &RunFormatDevice},
        {"format-sd", kFormatSdHelp, &RunFormatSd},
        {"render", kRenderHelp, &RunRender},
        {"print", kPrintHelp, &RunPrint},
    };
    return commands;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& command : AllCommands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressOnStderr) {
    CliContext context(out, err, progressOnStderr);
    std::size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& arg = args[i];
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name == "-h" || name == "--help") {
            out << MainHelp();
            return kExitOk;
        }
        if (name == "--version") {
            out << "vantrel-cli " << VersionString() << "\n";
            return kExitOk;
        }
        if (name == "--demo") {
            context.demo = true;
            continue;
        }
        if (name != "--backup" && name != "--user" && name != "--lang") {
            return context.Usage("unknown option '" + name + "'");
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return context.Usage("option '" + name + "' needs a value");
        }
        if (name == "--backup") {
            if (value.empty()) {
                return context.Usage("--backup needs a folder");
            }
            context.backupOption = value;
        } else if (name == "--user") {
            context.userName = value;
        } else {
            context.languageOption = ParseLanguage(value);
            if (!context.languageOption) {
                return context.Usage("unknown language '" + value + "' (use en, kr or jp)");
            }
        }
    }
    if (i == args.size()) {
        err << MainHelp();
        return kExitUsage;
    }
    const std::string& name = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    if (name == "help") {
        return ShowHelp(context, rest);
    }
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        return context.Usage("no command '" + name + "'");
    }
    for (const std::string& arg : rest) {
        if (arg == "--") {
            break;
        }
        if (arg == "-h" || arg == "--help") {
            out << command->help;
            return kExitOk;
        }
    }
    if (context.demo) {
        if (const int prepared = context.PrepareDemo(); prepared != kExitOk) {
            return prepared;
        }
    }
    return command->run(context, rest);
}

}  // namespace vantrel::cli
