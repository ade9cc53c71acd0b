// SPDX-License-Identifier: GPL-3.0-or-later
// Checks loading and saving of App.ini against fixture folders: an executable folder with the
// templates (and language files), a configuration folder and a documents folder, all below a
// fresh temporary folder.
#include "core/app/AppSettings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::TempFolder;

class AppSettingsTest : public ::testing::Test {
protected:
    AppSettingsTest() {
        m_env.exeFolder = m_temp.Folder("exe");
        m_env.exeFolder.pop_back();
        m_env.resourceFolders = {m_temp.Folder("exe")};
        m_env.configHome = m_temp.Folder("config");
        m_env.documentsFolder = m_temp.Folder("docs");
    }

    std::string Exe(const std::string& name) const { return m_temp.Folder("exe") + name; }
    std::string UserIni(const std::string& name) const {
        return m_temp.Folder("config") + "Halvik/Korvut/" + name;
    }
    std::string Docs(const std::string& sub) const { return m_temp.Folder("docs") + sub; }

    // A start: settings loaded with a language table over the executable folder.
    AppSettings Start() {
        AppSettings settings(m_env);
        settings.LoadSettings(m_language);
        return settings;
    }

    TempFolder m_temp;
    AppEnvironment m_env;
    CMgrLanguage m_language{std::vector<std::string>{}};
};

TEST_F(AppSettingsTest, FirstStartSeedsCopiesAndLaterTemplateChangesHaveNoEffect) {
    const std::string appTemplate = "[GUI]\nLANGUAGE=1\n[PATH]\nBACKUP=/srv/backup/\nEXPORT=\n";
    const std::string accountTemplate = "[ACCOUNT]\nPW=\nCOUNT=0\n";
    TempFolder::Write(Exe("App.ini"), appTemplate);
    TempFolder::Write(Exe("Account.ini"), accountTemplate);

    AppSettings first = Start();
    EXPECT_EQ(first.m_strAppIni, UserIni("App.ini"));
    EXPECT_EQ(first.m_strAccountIni, UserIni("Account.ini"));
    EXPECT_EQ(TempFolder::Read(UserIni("App.ini")), appTemplate);
    EXPECT_EQ(TempFolder::Read(UserIni("Account.ini")), accountTemplate);
    // The accounts' plain-text passwords are for their owner's eyes only.
    EXPECT_EQ(
        std::filesystem::status(UserIni("Account.ini")).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(first.m_nLanguage, 1);
    EXPECT_EQ(first.m_strBackupFolder, "/srv/backup/");
    EXPECT_EQ(first.m_strExeFolder, m_env.exeFolder);

    TempFolder::Write(Exe("App.ini"), "[GUI]\nLANGUAGE=2\n");
    TempFolder::Write(Exe("Account.ini"), "[ACCOUNT]\nPW=changed\n");
    const AppSettings second = Start();
    EXPECT_EQ(second.m_nLanguage, 1);
    EXPECT_EQ(TempFolder::Read(UserIni("Account.ini")), accountTemplate);
}

TEST_F(AppSettingsTest, EmptyFoldersTakeTheDefaultsWhichAreCreatedAndWrittenBack) {
    TempFolder::Write(UserIni("App.ini"), "[GUI]\nLANGUAGE=0\n[PATH]\nBACKUP=\nEXPORT=\n");
    AppSettings settings = Start();
    EXPECT_EQ(settings.m_strBackupFolder, Docs("Halvik/Korvut/dtacho/"));
    EXPECT_EQ(settings.m_strExportFolder, Docs("Halvik/Korvut/export/"));
    EXPECT_TRUE(std::filesystem::is_directory(settings.m_strBackupFolder));
    EXPECT_TRUE(std::filesystem::is_directory(settings.m_strExportFolder));

    ASSERT_TRUE(settings.SaveSettings());
    const ini::IniFile saved = ini::IniFile::Load(UserIni("App.ini"));
    EXPECT_EQ(saved.GetString("PATH", "BACKUP", ""), Docs("Halvik/Korvut/dtacho/"));
    EXPECT_EQ(saved.GetString("PATH", "EXPORT", ""), Docs("Halvik/Korvut/export/"));
    EXPECT_EQ(saved.GetString("GUI", "LANGUAGE", ""), "0");
}

TEST_F(AppSettingsTest, NamedFoldersAreTakenAsTheyStandAndNotCreated) {
    const std::string backup = m_temp.Folder("elsewhere/backup");
    TempFolder::Write(UserIni("App.ini"),
                      "[PATH]\nBACKUP=" + backup + "\nEXPORT=" + backup + "x/\n");
    const AppSettings settings = Start();
    EXPECT_EQ(settings.m_strBackupFolder, backup);
    EXPECT_EQ(settings.m_strExportFolder, backup + "x/");
    EXPECT_FALSE(std::filesystem::exists(backup));
    EXPECT_EQ(settings.m_nLanguage, 0);  // LANGUAGE missing
}

TEST_F(AppSettingsTest, LanguageTwoChoosesTheJapaneseFile) {
    m_language.SetResourceFolders(m_env.resourceFolders);
    TempFolder::Write(Exe("lang_en.ini"), "[GUI]\nLOGIN=Login\n");
    TempFolder::Write(Exe("lang_jp.ini"), "[GUI]\nLOGIN=ログイン\n");
    TempFolder::Write(UserIni("App.ini"), "[GUI]\nLANGUAGE=2\n");
    const AppSettings settings = Start();
    EXPECT_EQ(settings.m_nLanguage, 2);
    EXPECT_EQ(m_language.GetPath(), Exe("lang_jp.ini"));
    EXPECT_EQ(m_language.GetText("GUI", "LOGIN", "Login"), "ログイン");
}

TEST_F(AppSettingsTest, MissingTemplatesGiveDefaultsAndTheFirstSaveCreatesAppIni) {
    AppSettings settings = Start();
    EXPECT_FALSE(std::filesystem::exists(UserIni("App.ini")));
    EXPECT_FALSE(std::filesystem::exists(UserIni("Account.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(m_temp.Folder("config") + "Halvik/Korvut"));
    EXPECT_EQ(settings.m_nLanguage, 0);
    EXPECT_EQ(settings.m_strBackupFolder, Docs("Halvik/Korvut/dtacho/"));
    EXPECT_EQ(settings.m_nUserLevel, kUserLevelGuest);
    EXPECT_EQ(settings.UserName(), "");

    settings.m_nLanguage = 1;
    ASSERT_TRUE(settings.SaveSettings());
    const ini::IniFile saved = ini::IniFile::Load(UserIni("App.ini"));
    EXPECT_EQ(saved.GetInt("GUI", "LANGUAGE", -1), 1);
    EXPECT_EQ(saved.GetString("PATH", "BACKUP", ""), Docs("Halvik/Korvut/dtacho/"));
}

TEST_F(AppSettingsTest, SaveKeepsOtherKeysOfAppIni) {
    TempFolder::Write(UserIni("App.ini"), "[GUI]\nLANGUAGE=2\nTHEME=dark\n[PATH]\nBACKUP=/b/\n");
    AppSettings settings = Start();
    settings.m_nLanguage = 0;
    ASSERT_TRUE(settings.SaveSettings());
    const ini::IniFile saved = ini::IniFile::Load(UserIni("App.ini"));
    EXPECT_EQ(saved.GetString("GUI", "THEME", ""), "dark");
    EXPECT_EQ(saved.GetString("GUI", "LANGUAGE", ""), "0");
    EXPECT_EQ(saved.GetString("PATH", "BACKUP", ""), "/b/");
}

// A second copy ends before its settings are loaded: its shut-down must write nothing, least
// of all into the template beside the executable.
TEST_F(AppSettingsTest, WithoutLoadSettingsNothingIsWritten) {
    const std::string appTemplate = "[GUI]\nLANGUAGE=1\n";
    TempFolder::Write(Exe("App.ini"), appTemplate);
    AppSettings settings(m_env);
    EXPECT_FALSE(settings.IsLoaded());
    EXPECT_EQ(settings.m_strAppIni, "");
    EXPECT_FALSE(settings.SaveSettings());
    EXPECT_EQ(TempFolder::Read(Exe("App.ini")), appTemplate);
    EXPECT_FALSE(std::filesystem::exists(m_temp.Folder("config") + "Halvik"));
}

TEST_F(AppSettingsTest, WithoutConfigurationFolderEverythingTakesItsDefault) {
    TempFolder::Write(Exe("App.ini"), "[GUI]\nLANGUAGE=1\n");
    m_env.configHome.clear();
    m_env.documentsFolder.clear();
    AppSettings settings = Start();
    EXPECT_TRUE(settings.IsLoaded());
    EXPECT_EQ(settings.m_strAppIni, "");
    EXPECT_EQ(settings.m_strAccountIni, "");
    EXPECT_EQ(settings.m_nLanguage, 0);
    EXPECT_EQ(settings.m_strBackupFolder, "");
    EXPECT_EQ(settings.m_strExportFolder, "");
    EXPECT_FALSE(settings.SaveSettings());
    EXPECT_EQ(TempFolder::Read(Exe("App.ini")), "[GUI]\nLANGUAGE=1\n");
}

TEST_F(AppSettingsTest, LoadResetsTheUser) {
    AppSettings settings(m_env);
    settings.m_nUserLevel = kUserLevelAdministrator;
    settings.SetUserName("Administrator");
    settings.LoadSettings(m_language);
    EXPECT_EQ(settings.m_nUserLevel, kUserLevelGuest);
    EXPECT_EQ(settings.UserName(), "");
}

}  // namespace
}  // namespace vantrel
