// SPDX-License-Identifier: GPL-3.0-or-later
// The application's settings and logged-in user, shared by the Qt program and the command-line
// tool: seeding the per-user App.ini and Account.ini from the templates on first start,
// reading the language number and the backup and export folders, and writing them back.
//
// App.ini: [GUI] LANGUAGE (decimal, 0 English), [PATH] BACKUP and [PATH] EXPORT (folders that
// end in '/'; empty or missing values take the defaults below the documents folder).
#pragma once

#include <string>
#include <utility>

#include "core/app/Accounts.h"
#include "core/app/AppEnvironment.h"

namespace vantrel {

class CMgrLanguage;

class AppSettings {
public:
    explicit AppSettings(AppEnvironment environment);

    // Finds the per-user files (seeding them from the templates when they cannot be read),
    // reads App.ini, creates a defaulted backup or export folder, chooses the language file
    // and resets the user to a guest without a name. Meant to run once at start-up.
    void LoadSettings(CMgrLanguage& language);
    // Writes [GUI] LANGUAGE, [PATH] BACKUP and [PATH] EXPORT into m_strAppIni. Writes nothing
    // before LoadSettings has run (a second copy, an aborted start-up) or without a per-user
    // App.ini path, so a template is never overwritten; false then or when the write fails.
    bool SaveSettings() const;
    bool IsLoaded() const { return m_bLoaded; }

    const AppEnvironment& Environment() const { return m_environment; }

    // The logged-in user's name as stored with saved records (empty for a guest).
    void SetUserName(std::string name) { m_strUserName = std::move(name); }
    const std::string& UserName() const { return m_strUserName; }

    // Rights of the logged-in user: kUserLevelAdministrator ... kUserLevelAccount.
    int m_nUserLevel = kUserLevelGuest;
    int m_nLanguage = 0;
    std::string m_strExeFolder;     // without a trailing '/'
    std::string m_strAppIni;        // empty until LoadSettings found the per-user file
    std::string m_strAccountIni;    // empty without a per-user configuration folder
    std::string m_strBackupFolder;  // ends in '/'
    std::string m_strExportFolder;  // ends in '/'

private:
    AppEnvironment m_environment;
    std::string m_strUserName;
    bool m_bLoaded = false;
};

}  // namespace vantrel
