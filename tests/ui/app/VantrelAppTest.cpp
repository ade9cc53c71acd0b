// SPDX-License-Identifier: GPL-3.0-or-later
// Checks start-up and shut-down of the application object against fixture folders: a second
// copy ends at once and writes nothing, a guest login opens the main frame with the shared
// fonts and the exit saves App.ini, leaving the login ends the program but still saves the
// settings as loaded, and the login dialog already speaks the language of App.ini.
#include "ui/app/VantrelApp.h"

#include <QDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../dialogs/ModalWatcher.h"
#include "core/ini/IniFile.h"
#include "ui/dialogs/DlgLogin.h"
#include "ui/frame/MainFrame.h"

namespace {

void WriteFile(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

std::string ReadFile(const QString& path) {
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class VantrelAppTest : public ::testing::Test {
protected:
    VantrelAppTest() {
        QDir().mkpath(Exe());
        QDir().mkpath(m_dir.filePath("locks"));
        WriteFile(Exe() + "/App.ini", kAppTemplate);
        WriteFile(Exe() + "/Account.ini", "[ACCOUNT]\nPW=\nCOUNT=0\n");
        m_env.exeFolder = Exe().toStdString();
        m_env.resourceFolders = {Exe().toStdString() + "/"};
        m_env.configHome = m_dir.filePath("config").toStdString() + "/";
        m_env.documentsFolder = m_dir.filePath("docs").toStdString() + "/";
    }

    QString Exe() const { return m_dir.filePath("exe"); }
    QString Locks() const { return m_dir.filePath("locks"); }
    QString UserAppIni() const { return m_dir.filePath("config/Halvik/Korvut/App.ini"); }

    static constexpr const char* kAppTemplate = "[GUI]\nLANGUAGE=0\n[PATH]\nBACKUP=\nEXPORT=\n";
    QTemporaryDir m_dir;
    vantrel::AppEnvironment m_env;
};

TEST_F(VantrelAppTest, SecondCopyEndsAtOnceAndWritesNothing) {
    SingleInstanceGuard firstCopy(Locks());
    ASSERT_TRUE(firstCopy.TryAcquire());
    ModalWatcher<QDialog> watcher([](QDialog* dialog) { dialog->reject(); });
    {
        CVantrelApp app(m_env, Locks());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.ExitInstance(0), 0);
        EXPECT_EQ(app.MainFrame(), nullptr);
    }
    EXPECT_EQ(watcher.Seen(), 0);  // no login, no message
    EXPECT_FALSE(QFileInfo::exists(UserAppIni()));
    EXPECT_EQ(ReadFile(Exe() + "/App.ini"), kAppTemplate);
    EXPECT_TRUE(firstCopy.IsHeld());  // the first copy keeps its lock
    SingleInstanceGuard third(Locks());
    EXPECT_FALSE(third.TryAcquire());
}

TEST_F(VantrelAppTest, GuestLoginOpensTheFrameAndExitSavesTheSettings) {
    ModalWatcher<CDlgLogin> watcher([](CDlgLogin* login) { login->OkButton()->click(); });
    CVantrelApp app(m_env, Locks());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(GetVantrelApp(), &app);
    EXPECT_EQ(watcher.Seen(), 1);
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_EQ(GetMainFrame(), app.MainFrame());
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(app.m_settings.m_nUserLevel, vantrel::kUserLevelGuest);
    EXPECT_EQ(app.UserName(), "");

    EXPECT_EQ(app.m_fontSmall.pixelSize(), 15);
    EXPECT_EQ(app.m_fontSmall.family(), "Calibri");
    EXPECT_EQ(app.m_fontNormal.pixelSize(), 17);
    EXPECT_EQ(app.m_fontNormal.family(), "MS Shell Dlg");
    EXPECT_EQ(app.m_fontLarge.pixelSize(), 25);
    EXPECT_EQ(app.m_fontLarge.weight(), QFont::Normal);
    // Carlito stands in for Calibri (the build dependencies install it).
    EXPECT_EQ(QFontInfo(app.m_fontSmall).family(), "Carlito");
    EXPECT_NE(QFontInfo(app.m_fontNormal).family(), "Carlito");

    SingleInstanceGuard other(Locks());
    EXPECT_FALSE(other.TryAcquire());

    app.MainFrame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_EQ(app.ExitInstance(0), 0);
    const vantrel::ini::IniFile saved = vantrel::ini::IniFile::Load(UserAppIni().toStdString());
    EXPECT_EQ(saved.GetString("PATH", "BACKUP", ""),
              m_env.documentsFolder + "Halvik/Korvut/dtacho/");
    EXPECT_TRUE(other.TryAcquire());  // released at exit
    EXPECT_EQ(ReadFile(Exe() + "/App.ini"), kAppTemplate);
}

TEST_F(VantrelAppTest, LeavingTheLoginEndsButSavesTheLoadedSettings) {
    ModalWatcher<CDlgLogin> watcher([](CDlgLogin* login) { login->reject(); });
    CVantrelApp app(m_env, Locks());
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_EQ(app.ExitInstance(0), 0);
    EXPECT_EQ(app.ExitInstance(0), 0);  // a second shut-down is harmless
    const vantrel::ini::IniFile saved = vantrel::ini::IniFile::Load(UserAppIni().toStdString());
    EXPECT_EQ(saved.GetString("PATH", "EXPORT", ""),
              m_env.documentsFolder + "Halvik/Korvut/export/");
}

TEST_F(VantrelAppTest, TheLoginSpeaksTheLanguageOfAppIni) {
    WriteFile(Exe() + "/lang_en.ini", "[GUI]\nLOGIN=Login\n");
    WriteFile(Exe() + "/lang_kr.ini", "[GUI]\nLOGIN=로그인\n");
    QDir().mkpath(m_dir.filePath("config/Halvik/Korvut"));
    WriteFile(UserAppIni(), "[GUI]\nLANGUAGE=1\n");
    QString title;
    ModalWatcher<CDlgLogin> watcher([&title](CDlgLogin* login) {
        title = login->windowTitle();
        login->reject();
    });
    CVantrelApp app(m_env, Locks());
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(title, QString::fromUtf8("로그인"));
    EXPECT_EQ(app.m_settings.m_nLanguage, 1);
    app.ExitInstance(0);
}

}  // namespace
