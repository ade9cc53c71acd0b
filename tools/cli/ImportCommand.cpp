// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli import-sd: the SD card import of the record store.
#include <filesystem>
#include <system_error>

#include "core/store/MgrTachoDB.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {

int RunImportSd(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "import-sd");
    }
    if (parsed.positional.size() != 1) {
        return context.Usage("import-sd needs the card's root folder", "import-sd");
    }
    const std::string root = AbsolutePath(parsed.positional[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        return context.Fail("'" + parsed.positional[0] + "' is not a folder");
    }
    CMgrTachoDB store(context.BackupFolder());
    store.SetUserName(context.userName);
    ImportResult result;
    {
        ProgressBar bar(context.err, context.progress, "Importing");
        result = store.ImportFromSdCard(root, [&bar](int percent) { bar.Update(percent); });
    }
    for (const UserMessage& message : result.messages) {
        PrintMessage(context.out, message);
    }
    switch (result.status) {
        case ImportStatus::NoCardFolder:
            return context.Fail("'" + root +
                                "' holds no dtacho folder: it is not a recorder's SD card root");
        case ImportStatus::NothingNew:
            context.err << "vantrel-cli: nothing new on the card\n";
            return kExitOk;
        case ImportStatus::Completed:
            context.err << "vantrel-cli: " << result.converted.size() << " file"
                        << (result.converted.size() == 1 ? "" : "s") << " imported into "
                        << result.importFolder << "\n";
            break;
        default:
            return context.Fail("nothing was imported");
    }
    const bool leftOut = !result.unreadable.empty() || !result.notCopied.empty();
    return leftOut ? kExitFailure : kExitOk;
}

}  // namespace vantrel::cli
