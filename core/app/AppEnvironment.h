// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds its files: the executable's folder, the folders that hold the
// language files and the INI templates, the per-user configuration folder and the documents
// folder. Everything comes from an environment lookup that tests replace, so no test ever
// touches the real user's home.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Looks an environment variable up; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The process environment (getenv).
EnvironmentLookup SystemEnvironment();

struct AppEnvironment {
    // Folder of the executable, without a trailing separator.
    std::string exeFolder;
    // Folders searched for language files and templates, each ending in '/': the
    // executable's folder first, then "<exe>/../share/vantrel/" when the executable lies in a
    // "bin" folder, then the data folder of the build's install prefix.
    std::vector<std::string> resourceFolders;
    // $XDG_CONFIG_HOME (default ~/.config), ending in '/'; empty when there is none.
    std::string configHome;
    // The XDG documents folder, ending in '/'; empty when there is none.
    std::string documentsFolder;

    // Path of the first resource folder's file of that name; empty when no folder has it.
    std::string FindResourceFile(std::string_view name) const;

    // "<config>/Halvik/Korvut/App.ini" and ".../Account.ini"; empty without a config folder.
    std::string UserAppIni() const;
    std::string UserAccountIni() const;
    // "<documents>/Halvik/Korvut/dtacho/" and ".../export/"; empty without a documents folder.
    std::string DefaultBackupFolder() const;
    std::string DefaultExportFolder() const;
};

// Resolves the folders from the environment: XDG_CONFIG_HOME (an absolute path) or
// $HOME/.config; XDG_DOCUMENTS_DIR from the environment, else from
// <config>/user-dirs.dirs, else $HOME/Documents. exeFolder may end in a separator or not.
AppEnvironment ResolveAppEnvironment(std::string_view exeFolder, const EnvironmentLookup& env);

// The running executable's folder, without a trailing separator; empty when unknown.
std::string ExecutableFolder();
// "<prefix>/share/vantrel/" of an executable folder "<prefix>/bin"; empty for other folders.
std::string DataFolderBesideBin(std::string_view exeFolder);
// The data folder of an installed build ("<prefix>/share/vantrel/" of the build's prefix).
std::string InstalledDataFolder();

// Joins a folder and a name with exactly one '/' between them.
std::string JoinPath(std::string_view folder, std::string_view name);
// The folder text with one trailing '/' (unchanged when empty).
std::string WithTrailingSeparator(std::string_view folder);

}  // namespace vantrel
