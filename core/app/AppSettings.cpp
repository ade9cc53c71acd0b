// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/app/AppSettings.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "core/util/FolderUtil.h"

namespace vantrel {
namespace {

bool CanOpenForReading(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

// First start: the per-user file begins as a copy of the template. A missing template or a
// failed copy leaves no file; the settings then take their defaults. Account.ini holds
// passwords as plain text, so its copy is readable by its owner only.
void SeedFromTemplate(const std::string& userFile, const std::string& templateFile,
                      bool ownerOnly) {
    if (CanOpenForReading(userFile) || templateFile.empty()) {
        return;
    }
    std::error_code error;
    std::filesystem::copy_file(templateFile, userFile,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error && ownerOnly) {
        std::filesystem::permissions(
            userFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            error);
    }
}

// A folder that App.ini names is taken as it stands (the import and the settings dialog create
// it when they need it); only the default is created here.
std::string ReadFolderSetting(const std::string& value, const std::string& defaultFolder) {
    if (!value.empty()) {
        return value;
    }
    if (!defaultFolder.empty()) {
        CreateFolderPath(defaultFolder);
    }
    return defaultFolder;
}

}  // namespace

AppSettings::AppSettings(AppEnvironment environment)
    : m_strExeFolder(environment.exeFolder), m_environment(std::move(environment)) {}

void AppSettings::LoadSettings(CMgrLanguage& language) {
    const std::string userAppIni = m_environment.UserAppIni();
    if (!userAppIni.empty()) {
        CreateFolderPath(userAppIni);
        SeedFromTemplate(userAppIni, m_environment.FindResourceFile("App.ini"), false);
        m_strAccountIni = m_environment.UserAccountIni();
        SeedFromTemplate(m_strAccountIni, m_environment.FindResourceFile("Account.ini"), true);
    }
    m_strAppIni = userAppIni;

    const ini::IniFile appIni =
        m_strAppIni.empty() ? ini::IniFile() : ini::IniFile::Load(m_strAppIni);
    m_nLanguage = appIni.GetInt("GUI", "LANGUAGE", 0);
    m_strBackupFolder = ReadFolderSetting(appIni.GetString("PATH", "BACKUP", ""),
                                          m_environment.DefaultBackupFolder());
    m_strExportFolder = ReadFolderSetting(appIni.GetString("PATH", "EXPORT", ""),
                                          m_environment.DefaultExportFolder());
    language.SetLanguage(m_nLanguage);
    m_nUserLevel = kUserLevelGuest;
    m_strUserName.clear();
    m_bLoaded = true;
}

bool AppSettings::SaveSettings() const {
    if (!m_bLoaded || m_strAppIni.empty()) {
        return false;
    }
    ini::IniFile appIni = ini::IniFile::Load(m_strAppIni);
    appIni.Set("GUI", "LANGUAGE", std::to_string(m_nLanguage));
    appIni.Set("PATH", "BACKUP", m_strBackupFolder);
    appIni.Set("PATH", "EXPORT", m_strExportFolder);
    return appIni.Save(m_strAppIni);
}

}  // namespace vantrel
