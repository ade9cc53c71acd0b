// SPDX-License-Identifier: GPL-3.0-or-later
// What every command of vantrel-cli works with: the output streams, the global options, and the
// per-user settings of the program (App.ini's backup folder, export folder and language), read
// the first time a command needs them.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel {
class AppSettings;
class CMgrLanguage;
}  // namespace vantrel

namespace vantrel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

class CliContext {
public:
    CliContext(std::ostream& out, std::ostream& err, bool progressOnStderr);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    std::ostream& out;
    std::ostream& err;
    const bool progress;  // draw a progress bar on stderr (it is a terminal)

    // Global options.
    std::optional<std::string> backupOption;
    std::optional<int> languageOption;
    std::string userName;  // saved as "SaveUserName"; empty for a guest
    bool demo = false;     // --demo: the demo's settings, backup folder, card and recorder

    // For --demo: builds the demo when there is no complete one (a running demo's is used as
    // it is) and points the settings, the device library and the emulator at it.
    int PrepareDemo();

    // Reads the settings and activates the language table (once). The backup folder is the
    // --backup folder when given, made absolute and ending in '/'.
    void LoadSettings();
    const std::string& BackupFolder();
    const std::string& ExportFolder();
    // The driving analysis' profile file beside App.ini; empty without a configuration folder.
    std::string AnalysisProfilePath();

    // "vantrel-cli: <text>" on stderr; the usage variant adds where to find help.
    int Fail(const std::string& text);
    int Usage(const std::string& text, const std::string& command = {});

private:
    bool m_bLoaded = false;
    std::string m_strDemoRoot;  // the demo folder once PrepareDemo succeeded
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<CMgrLanguage> m_language;
    std::string m_strBackup;
    std::string m_strExport;
};

// An absolute path text of a path given on the command line.
std::string AbsolutePath(const std::string& path);

}  // namespace vantrel::cli
