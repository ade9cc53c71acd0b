// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the login dialog offscreen: its texts come from the active language file, OK with
// "Guest" logs in, a refused login keeps the dialog open and shows the message titled "Login"
// (message boxes are closed by a watcher), Esc leaves without logging in.
#include "ui/dialogs/DlgLogin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

#include "ModalWatcher.h"
#include "core/app/AppSettings.h"
#include "core/lang/MgrLanguage.h"

namespace {

void WriteFile(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

// Language file and Account.ini in a temporary folder, settings loaded from it.
class DlgLoginTest : public ::testing::Test {
protected:
    DlgLoginTest() {
        const QString exe = m_dir.filePath("exe");
        const QString config = m_dir.filePath("config/Halvik/Korvut");
        QDir().mkpath(exe);
        QDir().mkpath(config);
        WriteFile(exe + "/lang_en.ini",
                  "[GUI]\nLOGIN=Anmeldung\nID=Kennung\nPASSWORD=Kennwort\nOK=Weiter\n"
                  "[MESSAGE]\nINVALIDPASSWORD=Falsches Kennwort\n");
        WriteFile(config + "/Account.ini",
                  "[ACCOUNT]\nPW=Secret\nCOUNT=1\nID1=kim\nPW1=Abc123\nNAME1=Kim Chul\n");
        vantrel::AppEnvironment env;
        env.exeFolder = exe.toStdString();
        env.resourceFolders = {exe.toStdString() + "/"};
        env.configHome = m_dir.filePath("config").toStdString() + "/";
        env.documentsFolder = m_dir.filePath("docs").toStdString() + "/";
        m_language.SetResourceFolders(env.resourceFolders);
        m_settings = std::make_unique<vantrel::AppSettings>(env);
        m_settings->LoadSettings(m_language);
        vantrel::SetActiveLanguageTable(&m_language);
    }
    ~DlgLoginTest() override { vantrel::SetActiveLanguageTable(nullptr); }

    // Types the identifier and password and clicks OK; returns the texts of the message boxes
    // shown meanwhile as "title|text".
    QStringList Submit(CDlgLogin& dialog, const QString& id, const QString& password) {
        QStringList messages;
        ModalWatcher<QMessageBox> watcher([&messages](QMessageBox* box) {
            messages << box->windowTitle() + "|" + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        dialog.IdCombo()->setEditText(id);
        dialog.PasswordEdit()->setText(password);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        return messages;
    }

    QTemporaryDir m_dir;
    vantrel::CMgrLanguage m_language;
    std::unique_ptr<vantrel::AppSettings> m_settings;
};

TEST_F(DlgLoginTest, ShowsTheActiveLanguageAndTheLoginList) {
    CDlgLogin dialog(*m_settings);
    EXPECT_EQ(dialog.windowTitle(), "Anmeldung");
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("Kennung"));
    EXPECT_TRUE(labels.contains("Kennwort"));
    EXPECT_EQ(dialog.OkButton()->text(), "Weiter");
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1);  // no Cancel

    QStringList entries;
    for (int i = 0; i < dialog.IdCombo()->count(); ++i) {
        entries << dialog.IdCombo()->itemText(i);
    }
    EXPECT_EQ(entries, (QStringList{"Guest", "kim", "Admin"}));
    EXPECT_EQ(dialog.IdCombo()->currentText(), "Guest");
    EXPECT_TRUE(dialog.IdCombo()->isEditable());
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
}

TEST_F(DlgLoginTest, OkWithGuestLogsIn) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_settings->m_nUserLevel, vantrel::kUserLevelGuest);
    EXPECT_EQ(m_settings->UserName(), "");
}

TEST_F(DlgLoginTest, AccountLoginSetsLevelAndName) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    EXPECT_TRUE(Submit(dialog, "KIM", "abc123").isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_settings->m_nUserLevel, vantrel::kUserLevelAccount);
    EXPECT_EQ(m_settings->UserName(), "Kim Chul");
}

TEST_F(DlgLoginTest, WrongAdminPasswordKeepsTheDialogOpen) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QStringList messages = Submit(dialog, "Admin", "5830");
    EXPECT_EQ(messages, (QStringList{"Anmeldung|Falsches Kennwort"}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.PasswordEdit()->selectedText(), "5830");
    EXPECT_EQ(dialog.focusWidget(), dialog.PasswordEdit());
    EXPECT_EQ(m_settings->m_nUserLevel, vantrel::kUserLevelGuest);
    EXPECT_EQ(m_settings->UserName(), "");
}

TEST_F(DlgLoginTest, MissingInputShowsItsMessageWithTheDefaultText) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    EXPECT_EQ(Submit(dialog, "", "x"), (QStringList{"Anmeldung|Please, Input ID"}));
    EXPECT_EQ(Submit(dialog, "kim", ""), (QStringList{"Anmeldung|Please, Input Password"}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.IdCombo()->count(), 3);  // typed identifiers are not added to the list
}

TEST_F(DlgLoginTest, EnterInThePasswordEditIsOk) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.IdCombo()->setEditText("admin");
    dialog.PasswordEdit()->setText("SECRET");
    dialog.PasswordEdit()->setFocus();
    QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_settings->m_nUserLevel, vantrel::kUserLevelAdministrator);
    EXPECT_EQ(m_settings->UserName(), "Administrator");
}

TEST_F(DlgLoginTest, EscapeLeavesWithoutLoggingIn) {
    CDlgLogin dialog(*m_settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_settings->m_nUserLevel, vantrel::kUserLevelGuest);
}

}  // namespace
