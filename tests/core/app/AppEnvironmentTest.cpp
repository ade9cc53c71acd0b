// SPDX-License-Identifier: GPL-3.0-or-later
// Checks how the configuration and documents folders are found from the XDG environment and
// user-dirs.dirs, and the order in which the resource folders are searched.
#include "core/app/AppEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::TempFolder;

EnvironmentLookup LookupFrom(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const std::string& name) {
        const auto it = variables.find(name);
        return it == variables.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

struct FolderCase {
    const char* description;
    std::map<std::string, std::string> variables;
    const char* userDirs;  // content of <config>/user-dirs.dirs, nullptr for none
    const char* configHome;
    const char* documents;
};

class AppEnvironmentFolders : public ::testing::TestWithParam<FolderCase> {};

// "@" in the expectations and variables stands for the fixture folder.
std::string Expand(const std::string& text, const std::string& root) {
    std::string out;
    for (const char c : text) {
        out += c == '@' ? root : std::string(1, c);
    }
    return out;
}

TEST_P(AppEnvironmentFolders, ResolvesXdgFolders) {
    const FolderCase& param = GetParam();
    TempFolder temp;
    std::string root = temp.Folder();
    root.pop_back();
    std::map<std::string, std::string> variables;
    for (const auto& [name, value] : param.variables) {
        variables[name] = Expand(value, root);
    }
    const std::string expectedConfig = Expand(param.configHome, root);
    if (param.userDirs != nullptr) {
        TempFolder::Write(expectedConfig + "user-dirs.dirs", Expand(param.userDirs, root));
    }
    const AppEnvironment env = ResolveAppEnvironment("/opt/v/bin", LookupFrom(variables));
    EXPECT_EQ(env.configHome, expectedConfig) << param.description;
    EXPECT_EQ(env.documentsFolder, Expand(param.documents, root)) << param.description;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppEnvironmentFolders,
    ::testing::Values(
        FolderCase{"home only", {{"HOME", "@/h"}}, nullptr, "@/h/.config/", "@/h/Documents/"},
        FolderCase{"config home set",
                   {{"HOME", "@/h"}, {"XDG_CONFIG_HOME", "@/cfg/"}},
                   nullptr,
                   "@/cfg/",
                   "@/h/Documents/"},
        FolderCase{"relative config home is ignored",
                   {{"HOME", "@/h"}, {"XDG_CONFIG_HOME", "cfg"}},
                   nullptr,
                   "@/h/.config/",
                   "@/h/Documents/"},
        FolderCase{"documents from the environment",
                   {{"HOME", "@/h"}, {"XDG_DOCUMENTS_DIR", "@/docs"}},
                   nullptr,
                   "@/h/.config/",
                   "@/docs/"},
        FolderCase{"documents from user-dirs.dirs with $HOME",
                   {{"HOME", "@/h"}},
                   "# written by xdg-user-dirs\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n"
                   "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
                   "@/h/.config/",
                   "@/h/Dokumente/"},
        FolderCase{"documents from user-dirs.dirs, absolute",
                   {{"HOME", "@/h"}, {"XDG_CONFIG_HOME", "@/cfg"}},
                   "XDG_DOCUMENTS_DIR=\"@/papers\"\n",
                   "@/cfg/",
                   "@/papers/"},
        FolderCase{"unquoted user-dirs value falls back to ~/Documents",
                   {{"HOME", "@/h"}},
                   "XDG_DOCUMENTS_DIR=$HOME/x\n",
                   "@/h/.config/",
                   "@/h/Documents/"},
        FolderCase{"no home at all", {}, nullptr, "", ""},
        FolderCase{
            "no home, config home set", {{"XDG_CONFIG_HOME", "@/cfg"}}, nullptr, "@/cfg/", ""}));

TEST(AppEnvironment, DerivedPathsAndTheirAbsence) {
    AppEnvironment env;
    env.configHome = "/c/";
    env.documentsFolder = "/d/";
    EXPECT_EQ(env.UserAppIni(), "/c/Halvik/Korvut/App.ini");
    EXPECT_EQ(env.UserAccountIni(), "/c/Halvik/Korvut/Account.ini");
    EXPECT_EQ(env.DefaultBackupFolder(), "/d/Halvik/Korvut/dtacho/");
    EXPECT_EQ(env.DefaultExportFolder(), "/d/Halvik/Korvut/export/");
    const AppEnvironment none;
    EXPECT_EQ(none.UserAppIni(), "");
    EXPECT_EQ(none.UserAccountIni(), "");
    EXPECT_EQ(none.DefaultBackupFolder(), "");
    EXPECT_EQ(none.DefaultExportFolder(), "");
}

TEST(AppEnvironment, ExecutableFolderComesFirstThenInstalledData) {
    const std::string installed = InstalledDataFolder();
    ASSERT_FALSE(installed.empty());
    EXPECT_EQ(installed.back(), '/');
    // The installed prefix's own bin folder (the build's prefix) names that folder once.
    std::string prefixBin =
        installed.substr(0, installed.size() - std::string("share/vantrel/").size());
    prefixBin += "bin";
    struct Case {
        std::string exe;
        std::vector<std::string> folders;
    } const cases[] = {
        {"/opt/v/bin/", {"/opt/v/bin/", "/opt/v/share/vantrel/", installed}},
        {"/usr/bin", {"/usr/bin/", "/usr/share/vantrel/", installed}},
        {"/opt/v/tools", {"/opt/v/tools/", installed}},
        {"/opt/vbin", {"/opt/vbin/", installed}},
        {prefixBin, {prefixBin + "/", installed}},
    };
    for (const Case& c : cases) {
        const AppEnvironment env = ResolveAppEnvironment(c.exe, LookupFrom({}));
        EXPECT_EQ(env.resourceFolders, c.folders) << c.exe;
    }
    EXPECT_EQ(ResolveAppEnvironment("/opt/v/bin/", LookupFrom({})).exeFolder, "/opt/v/bin");
    EXPECT_EQ(DataFolderBesideBin("/bin"), "");
}

TEST(AppEnvironment, FindResourceFileTakesTheFirstFolderThatHasIt) {
    TempFolder temp;
    AppEnvironment env;
    env.resourceFolders = {temp.Folder("exe"), temp.Folder("share")};
    TempFolder::Write(temp.Folder("share") + "App.ini", "[GUI]\n");
    TempFolder::Write(temp.Folder("share") + "Account.ini", "[ACCOUNT]\n");
    TempFolder::Write(temp.Folder("exe") + "Account.ini", "[ACCOUNT]\n");
    EXPECT_EQ(env.FindResourceFile("Account.ini"), temp.Folder("exe") + "Account.ini");
    EXPECT_EQ(env.FindResourceFile("App.ini"), temp.Folder("share") + "App.ini");
    EXPECT_EQ(env.FindResourceFile("lang_en.ini"), "");
}

TEST(AppEnvironment, JoinPathAndTrailingSeparator) {
    EXPECT_EQ(JoinPath("/a", "b.ini"), "/a/b.ini");
    EXPECT_EQ(JoinPath("/a/", "/b.ini"), "/a/b.ini");
    EXPECT_EQ(WithTrailingSeparator("/a//"), "/a/");
    EXPECT_EQ(WithTrailingSeparator("/"), "/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(AppEnvironment, ExecutableFolderOfThisTest) {
    EXPECT_EQ(ExecutableFolder(), std::filesystem::canonical(VANTREL_BIN_DIR).generic_string());
}

}  // namespace
}  // namespace vantrel
