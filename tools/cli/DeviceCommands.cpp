// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli import-usb and format-device.
#include "tools/cli/DeviceCommands.h"

#include <iostream>

#include "core/lang/MgrLanguage.h"
#include "core/store/MgrTachoDB.h"
#include "device/DeviceLink.h"
#include "device/PlumexBinding.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"

namespace vantrel::cli {

const std::string_view kImportUsbHelp = R"(Usage: vantrel-cli [GLOBAL OPTIONS] import-usb

Downloads the recorder's new .dtc files over USB into the backup folder (<ID>/usbdtc/YYYYMM/,
with the recorder's log as <ID>/system.log) and imports them as the SD card import does.
A file is new when its record time is later than the recorder's last import; the newest file
of an import that was cut short is fetched again. A download that stops short imports
nothing, so the next one fetches the same files again.

The device-link library is libPlumex.so.1 (or libPlumex.so) from the loader's search path,
or the file that the environment variable VANTREL_PLUMEX names.

Exit status: 0 when the import ran (also when nothing was new), 1 when the download or the
import failed.
)";

const std::string_view kFormatDeviceHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] format-device [--yes]

Orders the recorder attached over USB to format its internal eMMC storage: every file the
recorder keeps is erased. Records already imported stay. The command asks for confirmation
on standard input (answer y or yes) unless --yes is given.

The device-link library is found as for import-usb (VANTREL_PLUMEX names another file).

Exit status: 0 when the recorder took the command, 1 when it did not or when the
confirmation was not given.
)";

namespace {

// Binds the library and says why when it cannot; the operations then fail as without a
// recorder.
void BindLibrary(CliContext& context, PlumexBinding& binding) {
    if (!binding.Bind()) {
        context.err << "vantrel-cli: the device-link library could not be loaded: "
                    << binding.Error() << "\n";
    }
}

bool Confirmed(CliContext& context) {
    context.out << GetLangText("MESSAGE", "WARNINGFORMAT",
                               "WARNING: Formatting erases all data in the eMMC.\n\n"
                               "               Click 「Yes」 to format the eMMC, or\n"
                               "              「No」 to cancel")
                << "\nFormat the recorder's eMMC? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

}  // namespace

int RunImportUsb(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "import-usb");
    }
    if (!parsed.positional.empty()) {
        return context.Usage("import-usb takes no arguments", "import-usb");
    }
    CMgrTachoDB store(context.BackupFolder());
    store.SetUserName(context.userName);
    PlumexBinding binding;
    BindLibrary(context, binding);
    CDeviceLink link(binding.Functions(), store.GetBackupFolder());
    ImportResult result;
    {
        ProgressBar bar(context.err, context.progress, "Downloading");
        result =
            store.ImportFromDevice(link.Download(), [&bar](int percent) { bar.Update(percent); });
    }
    for (const UserMessage& message : result.messages) {
        PrintMessage(context.out, message);
    }
    switch (result.status) {
        case ImportStatus::NothingNew:
            context.err << "vantrel-cli: nothing new on the recorder\n";
            return kExitOk;
        case ImportStatus::Completed:
            context.err << "vantrel-cli: " << result.converted.size() << " file"
                        << (result.converted.size() == 1 ? "" : "s") << " imported into "
                        << result.importFolder << "\n";
            return result.unreadable.empty() ? kExitOk : kExitFailure;
        default:
            return kExitFailure;
    }
}

int RunFormatDevice(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--yes", false}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "format-device");
    }
    if (!parsed.positional.empty()) {
        return context.Usage("format-device takes no arguments", "format-device");
    }
    context.LoadSettings();
    if (!parsed.Has("--yes") && !Confirmed(context)) {
        context.err << "vantrel-cli: the recorder was not formatted\n";
        return kExitFailure;
    }
    PlumexBinding binding;
    BindLibrary(context, binding);
    CDeviceLink link(binding.Functions(), {});
    const bool sent = link.FormatDevice();
    context.out << (sent ? GetLangText("MESSAGE", "EMMCFORMATCOMPLETE", "Has been complete")
                         : GetLangText("MESSAGE", "EMMCFORMATFAIL", "Failed."))
                << "\n";
    return sent ? kExitOk : kExitFailure;
}

}  // namespace vantrel::cli
