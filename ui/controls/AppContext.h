// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows read from the application object (fonts, the logged-in user, the INI
// paths), with sound answers while no application object exists, so every window can also be
// made on its own (the tests do).
#pragma once

#include <QFont>
#include <QString>

#include <string>

namespace vantrel::ui {

QFont NormalFont();  // m_fontNormal
QFont LargeFont();   // m_fontLarge
QFont SmallFont();   // m_fontSmall
// m_nUserLevel; a guest while there is no application object.
int UserLevel();
// m_strUserName (empty for a guest).
QString UserName();
// m_strAccountIni and m_strBackupFolder; empty while unknown.
std::string AccountIniPath();
std::string BackupFolder();
// The analysis profile file beside m_strAppIni; empty while unknown (the built-in defaults).
std::string AnalysisProfilePath();

}  // namespace vantrel::ui
