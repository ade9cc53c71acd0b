// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/AppContext.h"

#include "core/analysis/AnalysisProfile.h"
#include "core/app/Accounts.h"
#include "ui/app/VantrelApp.h"

namespace vantrel::ui {

QFont NormalFont() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_fontNormal : QFont();
}

QFont LargeFont() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_fontLarge : QFont();
}

QFont SmallFont() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_fontSmall : QFont();
}

int UserLevel() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_settings.m_nUserLevel : kUserLevelGuest;
}

QString UserName() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? QString::fromStdString(app->UserName()) : QString();
}

std::string AccountIniPath() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_settings.m_strAccountIni : std::string();
}

std::string BackupFolder() {
    const CVantrelApp* app = GetVantrelApp();
    return app != nullptr ? app->m_settings.m_strBackupFolder : std::string();
}

std::string AnalysisProfilePath() {
    const CVantrelApp* app = GetVantrelApp();
    if (app == nullptr || app->m_settings.m_strAppIni.empty()) {
        return {};
    }
    return vantrel::analysis::ProfilePathBeside(app->m_settings.m_strAppIni);
}

}  // namespace vantrel::ui
