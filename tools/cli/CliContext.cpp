// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool's settings and its error reports.
#include "tools/cli/CliContext.h"

#include <filesystem>
#include <system_error>

#include "core/analysis/AnalysisProfile.h"
#include "core/app/AppEnvironment.h"
#include "core/app/AppSettings.h"
#include "core/lang/MgrLanguage.h"
#include "tools/demo/DemoEnvironment.h"

namespace vantrel::cli {

CliContext::CliContext(std::ostream& outStream, std::ostream& errStream, bool progressOnStderr)
    : out(outStream), err(errStream), progress(progressOnStderr) {}

CliContext::~CliContext() {
    if (m_language && GetActiveLanguageTable() == m_language.get()) {
        SetActiveLanguageTable(nullptr);
    }
}

void CliContext::LoadSettings() {
    if (m_bLoaded) {
        return;
    }
    m_bLoaded = true;
    EnvironmentLookup lookup = SystemEnvironment();
    if (!m_strDemoRoot.empty()) {
        lookup = demo::DemoEnvironmentLookup(demo::DemoPathsFor(lookup), lookup);
    }
    AppEnvironment environment = ResolveAppEnvironment(ExecutableFolder(), lookup);
    m_language = std::make_unique<CMgrLanguage>(environment.resourceFolders);
    m_settings = std::make_unique<AppSettings>(std::move(environment));
    m_settings->LoadSettings(*m_language);
    if (languageOption) {
        m_language->SetLanguage(*languageOption);
    }
    SetActiveLanguageTable(m_language.get());
    m_strBackup = backupOption ? WithTrailingSeparator(AbsolutePath(*backupOption))
                               : m_settings->m_strBackupFolder;
    m_strExport = m_settings->m_strExportFolder;
}

int CliContext::PrepareDemo() {
    const demo::DemoPaths paths = demo::DemoPathsFor(SystemEnvironment());
    if (paths.root.empty()) {
        return Fail("there is no cache folder for the demo (HOME is not set)");
    }
    if (!demo::IsDemoComplete(paths)) {
        const demo::DemoLock lock(paths);
        if (!lock.IsHeld()) {
            return Fail("the demo is being prepared by another program; try again");
        }
        err << "vantrel-cli: preparing the demo in " << paths.root << "\n";
        const demo::DemoResult built = demo::CreateDemo(paths);
        if (!built.ok) {
            return Fail("the demo could not be prepared: " + built.error);
        }
    }
    demo::ExportDemoEnvironment(paths, demo::FindEmulatorLibrary(ExecutableFolder()));
    m_strDemoRoot = paths.root;
    return kExitOk;
}

const std::string& CliContext::BackupFolder() {
    LoadSettings();
    return m_strBackup;
}

const std::string& CliContext::ExportFolder() {
    LoadSettings();
    return m_strExport;
}

std::string CliContext::AnalysisProfilePath() {
    LoadSettings();
    const std::string appIni = m_settings->m_strAppIni.empty()
                                   ? m_settings->Environment().UserAppIni()
                                   : m_settings->m_strAppIni;
    return analysis::ProfilePathBeside(appIni);
}

int CliContext::Fail(const std::string& text) {
    err << "vantrel-cli: " << text << "\n";
    return kExitFailure;
}

int CliContext::Usage(const std::string& text, const std::string& command) {
    err << "vantrel-cli: " << text << "\n"
        << "Try 'vantrel-cli " << (command.empty() ? "" : command + " ") << "--help'.\n";
    return kExitUsage;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace vantrel::cli
