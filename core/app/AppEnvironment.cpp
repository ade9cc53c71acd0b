// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/app/AppEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantrel {
namespace {

constexpr std::string_view kCompanyFolder = "Halvik/Korvut/";

std::string Variable(const EnvironmentLookup& env, const std::string& name) {
    const std::optional<std::string> value = env(name);
    return value ? *value : std::string();
}

bool IsAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

// A value of user-dirs.dirs: a quoted path that is absolute or starts with $HOME.
std::string ExpandUserDirValue(std::string_view value, const std::string& home) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return {};
    }
    value = value.substr(1, value.size() - 2);
    constexpr std::string_view kHome = "$HOME";
    if (value.substr(0, kHome.size()) == kHome &&
        (value.size() == kHome.size() || value[kHome.size()] == '/')) {
        return home.empty() ? std::string() : home + std::string(value.substr(kHome.size()));
    }
    return IsAbsolute(value) ? std::string(value) : std::string();
}

// XDG_DOCUMENTS_DIR as xdg-user-dirs writes it into <config>/user-dirs.dirs.
std::string DocumentsFromUserDirs(const std::string& configHome, const std::string& home) {
    if (configHome.empty()) {
        return {};
    }
    std::ifstream file(configHome + "user-dirs.dirs");
    std::string line;
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    while (std::getline(file, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) {
            continue;
        }
        std::string_view value(line);
        value.remove_prefix(start + kKey.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
            value.remove_suffix(1);
        }
        return ExpandUserDirValue(value, home);
    }
    return {};
}

std::string ResolveConfigHome(const EnvironmentLookup& env, const std::string& home) {
    const std::string configured = Variable(env, "XDG_CONFIG_HOME");
    if (IsAbsolute(configured)) {
        return WithTrailingSeparator(configured);
    }
    return home.empty() ? std::string() : JoinPath(home, ".config/");
}

std::string ResolveDocuments(const EnvironmentLookup& env, const std::string& home,
                             const std::string& configHome) {
    std::string documents = Variable(env, "XDG_DOCUMENTS_DIR");
    if (!IsAbsolute(documents)) {
        documents = DocumentsFromUserDirs(configHome, home);
    }
    if (!IsAbsolute(documents) && !home.empty()) {
        documents = JoinPath(home, "Documents");
    }
    return IsAbsolute(documents) ? WithTrailingSeparator(documents) : std::string();
}

std::string BelowCompanyFolder(const std::string& root, std::string_view name) {
    return root.empty() ? std::string() : root + std::string(kCompanyFolder) + std::string(name);
}

}  // namespace

EnvironmentLookup SystemEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());  // NOLINT(concurrency-mt-unsafe)
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
}

std::string AppEnvironment::FindResourceFile(std::string_view name) const {
    for (const std::string& folder : resourceFolders) {
        std::string path = JoinPath(folder, name);
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            return path;
        }
    }
    return {};
}

std::string AppEnvironment::UserAppIni() const {
    return BelowCompanyFolder(configHome, "App.ini");
}

std::string AppEnvironment::UserAccountIni() const {
    return BelowCompanyFolder(configHome, "Account.ini");
}

std::string AppEnvironment::DefaultBackupFolder() const {
    return BelowCompanyFolder(documentsFolder, "dtacho/");
}

std::string AppEnvironment::DefaultExportFolder() const {
    return BelowCompanyFolder(documentsFolder, "export/");
}

AppEnvironment ResolveAppEnvironment(std::string_view exeFolder, const EnvironmentLookup& env) {
    AppEnvironment result;
    result.exeFolder = std::string(exeFolder);
    while (result.exeFolder.size() > 1 && result.exeFolder.back() == '/') {
        result.exeFolder.pop_back();
    }
    if (!result.exeFolder.empty()) {
        result.resourceFolders.push_back(WithTrailingSeparator(result.exeFolder));
    }
    // An installed program finds its files through its own location first, so a package
    // installed under another prefix than the build's still finds them.
    const auto add = [&result](const std::string& folder) {
        if (!folder.empty() &&
            std::find(result.resourceFolders.begin(), result.resourceFolders.end(), folder) ==
                result.resourceFolders.end()) {
            result.resourceFolders.push_back(folder);
        }
    };
    add(DataFolderBesideBin(result.exeFolder));
    add(InstalledDataFolder());
    std::string home = Variable(env, "HOME");
    if (!IsAbsolute(home)) {
        home.clear();
    }
    result.configHome = ResolveConfigHome(env, home);
    result.documentsFolder = ResolveDocuments(env, home, result.configHome);
    return result;
}

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return exe.parent_path().generic_string();
}

std::string DataFolderBesideBin(std::string_view exeFolder) {
    std::string folder(exeFolder);
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    constexpr std::string_view kBin = "/bin";
    if (folder.size() <= kBin.size() ||
        folder.compare(folder.size() - kBin.size(), kBin.size(), kBin) != 0) {
        return {};
    }
    folder.resize(folder.size() - kBin.size());
    return folder + "/share/vantrel/";
}

std::string InstalledDataFolder() {
#ifdef VANTREL_DATA_DIR
    return WithTrailingSeparator(VANTREL_DATA_DIR);
#else
    return {};
#endif
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    while (!name.empty() && name.front() == '/') {
        name.remove_prefix(1);
    }
    return WithTrailingSeparator(folder) + std::string(name);
}

std::string WithTrailingSeparator(std::string_view folder) {
    std::string result(folder);
    if (result.empty()) {
        return result;
    }
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    if (result.back() != '/') {
        result += '/';
    }
    return result;
}

}  // namespace vantrel
