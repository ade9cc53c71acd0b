// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli format-sd: the SD card initialisation on a card's block device or an image file.
#include <iostream>

#include "core/sdcard/SdCard.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {
namespace {

// The question names what is erased; only y or yes goes on, end of input is a no.
bool AskToErase(CliContext& context, const SdTarget& target, SdFormatRoute route) {
    context.err << "All data on " << target.path << " (" << target.SizeMiB()
                << " MiB) will be erased; it becomes the FAT32 volume " << kSdVolumeLabel << " ("
                << SdFormatRouteName(route) << " route).\nErase " << target.path << "? [y/N] "
                << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        context.err << "\n";
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

}  // namespace

int RunFormatSd(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--driver", true},
                                               {"--route", true},
                                               {"--access", true},
                                               {"--yes", false},
                                               {"--json", false}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "format-sd");
    }
    if (parsed.positional.size() != 1) {
        return context.Usage("format-sd takes one TARGET (a block device or an image file)",
                             "format-sd");
    }
    SdFormatRequest request;
    request.target = parsed.positional.front();
    request.driverText = parsed.Value("--driver").value_or("");
    const std::string route = parsed.Value("--route").value_or("auto");
    if (route == "command") {
        request.route = SdFormatRoute::Command;
    } else if (route == "raw") {
        request.route = SdFormatRoute::Raw;
    } else if (route != "auto") {
        return context.Usage("unknown route '" + route + "' (use auto, command or raw)",
                             "format-sd");
    }
    const std::string access = parsed.Value("--access").value_or("auto");
    if (access == "direct") {
        request.access = SdDeviceAccess::Direct;
    } else if (access == "udisks") {
        request.access = SdDeviceAccess::DiskService;
    } else if (access != "auto") {
        return context.Usage("unknown access '" + access + "' (use auto, direct or udisks)",
                             "format-sd");
    }
    if (!parsed.Has("--yes")) {
        request.confirm = [&context](const SdTarget& target, SdFormatRoute chosen) {
            return AskToErase(context, target, chosen);
        };
    }
    const SdFormatOutcome outcome = FormatSdCard(request);
    if (outcome.status != SdFormatOutcome::Status::Done) {
        return context.Fail(outcome.formatted ? "formatted, but not prepared: " + outcome.message
                                              : outcome.message);
    }
    if (parsed.Has("--json")) {
        JsonWriter json(context.out);
        json.BeginObject();
        json.String("route", SdFormatRouteName(outcome.route));
        json.Number("sizeMiB", static_cast<std::int64_t>(outcome.sizeMiB));
        json.String("fat", "FAT32");
        json.Number("clusterBytes", kSdClusterBytes);
        json.String("label", kSdVolumeLabel);
        json.Bool("prepared", outcome.prepared);
        json.EndObject();
    } else {
        context.out << request.target << ": FAT32, 32 KiB clusters, label " << kSdVolumeLabel
                    << ", " << outcome.sizeMiB << " MiB (" << SdFormatRouteName(outcome.route)
                    << " route); folders media, driving, log, dvr_config"
                    << (request.driverText.empty() ? "" : " and dvr_config/driverid.ini")
                    << " made\n";
    }
    return kExitOk;
}

}  // namespace vantrel::cli
