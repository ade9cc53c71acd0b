// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli export and delete: the CSV export of records and their deletion.
#include <atomic>
#include <csignal>
#include <filesystem>
#include <system_error>

#include "core/app/AppEnvironment.h"
#include "core/export/CsvExport.h"
#include "core/store/BackupLayout.h"
#include "core/store/MgrTachoDB.h"
#include "core/util/FolderUtil.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

// Set by Ctrl-C during an export; the export stops after the day being written.
std::atomic<int> g_cancelExport{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int /*signal*/) {
    g_cancelExport.store(1);
}

// Ctrl-C requests the export's cancellation while it runs.
class InterruptAsCancel {
public:
    InterruptAsCancel() : m_previous(std::signal(SIGINT, &OnInterrupt)) {}
    ~InterruptAsCancel() { std::signal(SIGINT, m_previous); }
    InterruptAsCancel(const InterruptAsCancel&) = delete;
    InterruptAsCancel& operator=(const InterruptAsCancel&) = delete;

private:
    void (*m_previous)(int);
};

std::optional<std::vector<std::string>> CheckRecords(CliContext& context,
                                                     const std::vector<std::string>& paths) {
    std::vector<std::string> records;
    for (const std::string& path : paths) {
        const std::optional<std::string> record = CheckRecordPath(context, path);
        if (!record) {
            return std::nullopt;
        }
        records.push_back(*record);
    }
    return records;
}

// The output folder, created when missing; empty after an error report.
std::string OutputFolder(CliContext& context, const ParsedArgs& parsed) {
    const std::optional<std::string> option = parsed.Value("--out");
    const std::string folder =
        WithTrailingSeparator(option ? AbsolutePath(*option) : context.ExportFolder());
    if (folder.empty() || !CreateFolderPath(folder)) {
        context.Fail("cannot create the output folder '" + folder + "'");
        return {};
    }
    return folder;
}

bool InImportFolder(const std::string& record, const std::string& backup) {
    std::error_code ec;
    return fs::equivalent(fs::path(record).parent_path().parent_path(), CdaFolder(backup), ec);
}

}  // namespace

int RunExport(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--out", true}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "export");
    }
    if (parsed.positional.empty()) {
        return context.Usage("export needs at least one record file", "export");
    }
    context.LoadSettings();
    const std::optional<std::vector<std::string>> records =
        CheckRecords(context, parsed.positional);
    if (!records) {
        return kExitFailure;
    }
    const std::string folder = OutputFolder(context, parsed);
    if (folder.empty()) {
        return kExitFailure;
    }
    CsvExportResult result;
    {
        ProgressBar bar(context.err, context.progress, "Exporting");
        std::uint32_t dayCount = 0;
        CsvExportCallbacks callbacks;
        callbacks.onRecord = [&](int number, int count, std::uint32_t days) {
            dayCount = days;
            bar.Update((number - 1) * 100 / count);
        };
        callbacks.onDay = [&](std::uint32_t position, int number, int count) {
            const double done = (number - 1) + (dayCount == 0 ? 1.0 : double(position) / dayCount);
            bar.Update(static_cast<int>(done * 100 / count));
        };
        g_cancelExport.store(0);
        InterruptAsCancel interrupt;
        result = ExportRecordsToCsv(*records, folder, g_cancelExport, callbacks);
        if (result.code == kExportCompleted) {
            bar.Update(100);
        }
    }
    for (const std::string& file : result.writtenFiles) {
        context.out << file << "\n";
    }
    context.out << ExportResultText(result.code) << "\n";
    if (result.code == kExportFailed) {
        context.Fail("cannot use '" + result.failedFile + "': " + result.failure);
    }
    return result.code == kExportCompleted ? kExitOk : kExitFailure;
}

int RunDelete(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "delete");
    }
    if (parsed.positional.empty()) {
        return context.Usage("delete needs at least one record file", "delete");
    }
    const std::optional<std::vector<std::string>> records =
        CheckRecords(context, parsed.positional);
    if (!records) {
        return kExitFailure;
    }
    const std::string& backup = context.BackupFolder();
    for (const std::string& record : *records) {
        if (!InImportFolder(record, backup)) {
            return context.Fail("'" + record + "' is not a record of the backup folder " + backup);
        }
    }
    CMgrTachoDB store(backup);
    int status = kExitOk;
    for (const std::string& record : *records) {
        const DeleteOutcome outcome = store.DeleteRecordFiles(record);
        context.out << "deleted " << record << " (" << outcome.deleted.size() << " file"
                    << (outcome.deleted.size() == 1 ? "" : "s") << ")\n";
        if (outcome.folderRemoved) {
            context.out << "removed the emptied import folder "
                        << fs::path(record).parent_path().string() << "/\n";
        }
        for (const std::string& file : outcome.failed) {
            status = context.Fail("cannot delete '" + file + "'");
        }
    }
    return status;
}

}  // namespace vantrel::cli
