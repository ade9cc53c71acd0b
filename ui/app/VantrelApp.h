// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: guards the single instance, loads and saves the settings, owns the
// language table, the three shared fonts and the logged-in user for the whole run, runs the
// login and creates the main frame. Every window reaches it through GetVantrelApp().
#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

#include "core/app/AppSettings.h"
#include "core/lang/MgrLanguage.h"
#include "ui/app/SingleInstanceGuard.h"

class CMainFrame;

class CVantrelApp : public QObject {
    Q_OBJECT

public:
    // The environment names the folders (tests pass fixture folders); the lock folder holds
    // the single-instance lock file.
    CVantrelApp(const vantrel::AppEnvironment& environment, const QString& lockFolder,
                QObject* parent = nullptr);
    ~CVantrelApp() override;

    // Start-up: single-instance lock, settings, login, fonts, main frame. False means the
    // program ends at once (a second copy, or the login was left without logging in).
    bool InitInstance();
    // Shut-down: releases the lock, closes a frame still open and saves the settings when
    // they were loaded. Returns the exit code it is given. Safe to call more than once.
    int ExitInstance(int exitCode);

    void LoadSettings();
    bool SaveSettings();

    // The logged-in user's name; the login sets it, record summaries read it.
    void SetUserName(const std::string& name) { m_settings.SetUserName(name); }
    const std::string& UserName() const { return m_settings.UserName(); }

    // The demo (vantrel --demo): the window title says so.
    void SetDemo(bool demo) { m_bDemo = demo; }
    bool IsDemo() const { return m_bDemo; }

    // The main frame while it exists (it destroys itself when closed).
    CMainFrame* MainFrame() const;

    // Settings, paths and the user level (m_settings.m_nUserLevel, m_nLanguage, the folders).
    vantrel::AppSettings m_settings;
    vantrel::CMgrLanguage m_language;
    QFont m_fontSmall;   // 15 px "Calibri": graphs and the status strip
    QFont m_fontNormal;  // 17 px "MS Shell Dlg": buttons, lists and labels
    QFont m_fontLarge;   // 25 px "MS Shell Dlg": large captions

private:
    void CreateFonts();

    SingleInstanceGuard m_instanceGuard;
    QPointer<CMainFrame> m_pMainFrame;
    bool m_bDemo = false;
};

// The one application object; null before it is constructed and after it is destroyed.
CVantrelApp* GetVantrelApp();
