// SPDX-License-Identifier: GPL-3.0-or-later
// An application object over a fresh temporary folder for the window tests: a language file
// that tests may rewrite, a per-user Account.ini path and a backup folder, and the logged-in
// user's level and name set directly (no login dialog runs).
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <string>

#include "core/app/AppEnvironment.h"
#include "core/lang/MgrLanguage.h"
#include "ui/app/VantrelApp.h"

namespace vantrel::test {

class UiAppFixture {
public:
    explicit UiAppFixture(int userLevel = 2, const std::string& userName = "") {
        QDir().mkpath(Path("exe"));
        QDir().mkpath(Path("locks"));
        QDir().mkpath(Path("config/Halvik/Korvut"));
        QDir().mkpath(Path("backup/cda"));
        WriteLanguage("");
        AppEnvironment env;
        env.exeFolder = Path("exe").toStdString();
        env.resourceFolders = {env.exeFolder + "/"};
        env.configHome = Path("config").toStdString() + "/";
        env.documentsFolder = Path("docs").toStdString() + "/";
        m_app = std::make_unique<CVantrelApp>(env, Path("locks"));
        m_app->m_language.SetLanguage(0);
        SetActiveLanguageTable(&m_app->m_language);
        m_app->m_settings.m_nUserLevel = userLevel;
        m_app->SetUserName(userName);
        m_app->m_settings.m_strAccountIni = AccountIni();
        m_app->m_settings.m_strBackupFolder = Path("backup").toStdString() + "/";
    }

    QString Path(const QString& sub) const { return m_dir.filePath(sub); }
    std::string AccountIni() const {
        return Path("config/Halvik/Korvut/Account.ini").toStdString();
    }
    std::string BackupFolder() const { return m_app->m_settings.m_strBackupFolder; }
    // Replaces the English language file (the table notices the change at the next lookup).
    void WriteLanguage(const std::string& text) const {
        std::ofstream(Path("exe/lang_en.ini").toStdString(), std::ios::binary | std::ios::trunc)
            << text;
    }
    CVantrelApp& App() const { return *m_app; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CVantrelApp> m_app;
};

}  // namespace vantrel::test
