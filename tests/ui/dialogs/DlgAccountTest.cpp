// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the account dialog offscreen over an Account.ini in a temporary folder: the rows as
// loaded (administrator first, masked passwords, no tick box for it), the Apply rules as one
// table (what is shown and what the file holds afterwards), editing after rows went (the
// remembered cell is forgotten; passwords stay with their rows), the file's mode 0600, no
// write without a per-user path, and Return in the login's identifier box.
#include "ui/dialogs/DlgAccount.h"

#include <sys/stat.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ModalWatcher.h"
#include "core/app/Accounts.h"
#include "core/app/AppSettings.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/controls/VQEdit.h"
#include "ui/dialogs/DlgLogin.h"

namespace {

constexpr const char* kTwoAccounts =
    "[ACCOUNT]\nPW=Secret\nCOUNT=2\nID1=kim\nPW1=Abc1\nNAME1=Kim Chul\nID2=lee\nPW2=Xy9\n"
    "NAME2=Lee Min\n";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Types into the cell's editor and commits it as a focus change would.
void EditCell(CDlgAccount& dialog, int row, int column, const QString& text) {
    ASSERT_TRUE(dialog.OpenEditor(row, column)) << row << "," << column;
    dialog.Editor(column)->setText(text);
    dialog.CommitEditor();
}
// Clicks Apply; returns the texts of the message boxes shown.
QStringList Apply(CDlgAccount& dialog) {
    QStringList shown;
    ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
        shown << box->windowTitle() + "|" + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    dialog.ApplyButton()->click();
    return shown;
}
QString Cell(const CDlgAccount& dialog, int row, int column) {
    return dialog.List()->item(row, column)->text();
}

class DlgAccountTest : public ::testing::Test {
protected:
    DlgAccountTest() { std::ofstream(m_app.AccountIni(), std::ios::binary) << kTwoAccounts; }

    vantrel::test::UiAppFixture m_app{0, "Administrator"};
};

TEST_F(DlgAccountTest, RowsAsLoaded) {
    CDlgAccount dialog(m_app.AccountIni());
    QTableWidget& list = *dialog.List();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.horizontalHeaderItem(3)->text(), "User Name");
    EXPECT_EQ(list.columnWidth(0), 75);
    EXPECT_EQ(list.columnWidth(3), 145);
    EXPECT_EQ(Cell(dialog, 0, 1), "Admin");
    EXPECT_EQ(Cell(dialog, 0, 2), QString(6, QChar(0x25CF)));
    EXPECT_EQ(Cell(dialog, 0, 3), "Administrator");
    EXPECT_FALSE(list.item(0, 0)->flags().testFlag(Qt::ItemIsUserCheckable));
    EXPECT_EQ(Cell(dialog, 2, 0), "2");
    EXPECT_EQ(Cell(dialog, 2, 2), QString(3, QChar(0x25CF)));
    EXPECT_EQ(dialog.Passwords(), (std::vector<QString>{"Secret", "Abc1", "Xy9"}));
    EXPECT_FALSE(dialog.OpenEditor(0, 1)) << "the administrator's identifier";
    EXPECT_FALSE(dialog.OpenEditor(0, 3)) << "the administrator's name";
    EXPECT_FALSE(dialog.OpenEditor(1, 0));
    EXPECT_TRUE(dialog.OpenEditor(0, 2));
    EXPECT_EQ(dialog.Editor(1)->FilterMode(), 7);
    EXPECT_EQ(dialog.Editor(1)->maxLength(), 12);
    EXPECT_EQ(dialog.Editor(2)->maxLength(), 12);
    EXPECT_EQ(dialog.Editor(3)->FilterMode(), 6);
    EXPECT_EQ(dialog.Editor(3)->maxLength(), 20);
}

// One Apply case: the edits made on a fresh dialog, the message shown (empty: none) and the
// file afterwards (empty: unchanged).
struct ApplyCase {
    const char* name;
    std::function<void(CDlgAccount&)> edit;
    QString message;
    std::string file;
};

class DlgAccountApply : public DlgAccountTest, public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(DlgAccountApply, ChecksEveryRowBeforeWriting) {
    const ApplyCase& c = GetParam();
    CDlgAccount dialog(m_app.AccountIni());
    c.edit(dialog);
    const QStringList shown = Apply(dialog);
    if (c.message.isEmpty()) {
        EXPECT_TRUE(shown.isEmpty()) << shown.join("; ").toStdString();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    } else {
        EXPECT_EQ(shown, QStringList{"Account|" + c.message});
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ReadFile(m_app.AccountIni()), c.file.empty() ? std::string(kTwoAccounts) : c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DlgAccountApply,
    ::testing::Values(
        ApplyCase{"Unchanged", [](CDlgAccount&) {}, "",
                  "[ACCOUNT]\nPW=Secret\nCOUNT=2\nID1=kim\nPW1=Abc1\nNAME1=Kim Chul\nID2=lee\n"
                  "PW2=Xy9\nNAME2=Lee Min\n"},
        ApplyCase{"EmptyAddedRowDropped",
                  [](CDlgAccount& d) {
                      d.OnAdd();
                      d.CommitEditor();
                  },
                  "", ""},
        ApplyCase{"AddedAccount",
                  [](CDlgAccount& d) {
                      d.OnAdd();
                      EditCell(d, 3, 1, "park");
                      EditCell(d, 3, 2, "Pw77");
                      EditCell(d, 3, 3, "Park Ji");
                  },
                  "",
                  "[ACCOUNT]\nPW=Secret\nCOUNT=3\nID1=kim\nPW1=Abc1\nNAME1=Kim Chul\nID2=lee\n"
                  "PW2=Xy9\nNAME2=Lee Min\nID3=park\nPW3=Pw77\nNAME3=Park Ji\n"},
        ApplyCase{"OnlyAnIdentifier",
                  [](CDlgAccount& d) {
                      d.OnAdd();
                      EditCell(d, 3, 1, "park");
                  },
                  "ID, Password or Name has not entered", ""},
        ApplyCase{"GuestAsIdentifier", [](CDlgAccount& d) { EditCell(d, 2, 1, "GUEST"); },
                  "\"Admin\" and \"Guest\" can not used as ID", ""},
        ApplyCase{"AdminAsIdentifier", [](CDlgAccount& d) { EditCell(d, 1, 1, "admin"); },
                  "\"Admin\" and \"Guest\" can not used as ID", ""},
        ApplyCase{"UnchangedCirclesKeepThePassword",
                  [](CDlgAccount& d) { EditCell(d, 1, 2, QString(4, QChar(0x25CF))); }, "",
                  "[ACCOUNT]\nPW=Secret\nCOUNT=2\nID1=kim\nPW1=Abc1\nNAME1=Kim Chul\nID2=lee\n"
                  "PW2=Xy9\nNAME2=Lee Min\n"},
        ApplyCase{"NewAdministratorPassword", [](CDlgAccount& d) { EditCell(d, 0, 2, "5831"); }, "",
                  "[ACCOUNT]\nPW=5831\nCOUNT=2\nID1=kim\nPW1=Abc1\nNAME1=Kim Chul\nID2=lee\n"
                  "PW2=Xy9\nNAME2=Lee Min\n"},
        ApplyCase{"DeleteTicked",
                  [](CDlgAccount& d) {
                      d.List()->item(1, 0)->setCheckState(Qt::Checked);
                      d.OnDelete();
                  },
                  "", "[ACCOUNT]\nPW=Secret\nCOUNT=1\nID1=lee\nPW1=Xy9\nNAME1=Lee Min\n"}),
    [](const ::testing::TestParamInfo<ApplyCase>& info) { return info.param.name; });

TEST_F(DlgAccountTest, EditingAfterDeleteUsesTheRowsThatAreLeft) {
    CDlgAccount dialog(m_app.AccountIni());
    dialog.show();
    // An editor opened on the last row, then that row is ticked and deleted.
    ASSERT_TRUE(dialog.OpenEditor(2, 2));
    dialog.Editor(2)->setText("Changed");
    dialog.List()->item(2, 0)->setCheckState(Qt::Checked);
    dialog.OnDelete();
    EXPECT_EQ(dialog.EditRow(), -1);
    EXPECT_EQ(dialog.List()->rowCount(), 2);
    EXPECT_EQ(dialog.Passwords().size(), 2u);
    // F2 on a cell that is gone opens nothing; the rows left edit as they should.
    dialog.CommitEditor();
    EXPECT_FALSE(dialog.OpenEditor(2, 2));
    dialog.List()->setCurrentCell(1, 2);
    QTest::keyClick(dialog.List(), Qt::Key_F2);
    EXPECT_FALSE(dialog.Editor(2)->isHidden());
    dialog.Editor(2)->setText("New1");
    dialog.CommitEditor();
    EXPECT_EQ(dialog.Passwords(), (std::vector<QString>{"Secret", "New1"}));
    EXPECT_EQ(Cell(dialog, 1, 2), QString(4, QChar(0x25CF)));

    // Empty rows removed by Apply's check forget the cell too.
    dialog.OnAdd();
    dialog.OnAdd();
    EXPECT_EQ(dialog.Passwords().size(), 4u);
    EXPECT_TRUE(Apply(dialog).isEmpty());
    EXPECT_EQ(dialog.List()->rowCount(), 2);
    EXPECT_EQ(dialog.Passwords().size(), 2u);
    EXPECT_EQ(dialog.EditRow(), -1);
    EXPECT_EQ(ReadFile(m_app.AccountIni()),
              "[ACCOUNT]\nPW=Secret\nCOUNT=1\nID1=kim\nPW1=New1\nNAME1=Kim Chul\n");
}

TEST_F(DlgAccountTest, SavedFileIsPrivate) {
    ::chmod(m_app.AccountIni().c_str(), 0644);
    CDlgAccount dialog(m_app.AccountIni());
    EXPECT_TRUE(Apply(dialog).isEmpty());
    struct stat info {};
    ASSERT_EQ(::stat(m_app.AccountIni().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::string fresh = m_app.Path("config/Halvik/Korvut/New.ini").toStdString();
    CDlgAccount created(fresh);
    EXPECT_TRUE(Apply(created).isEmpty());
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(fresh), "[ACCOUNT]\nPW=5830\nCOUNT=0\n");
}

TEST_F(DlgAccountTest, NoPerUserPathSaysItCouldNotSave) {
    CDlgAccount dialog("");
    EXPECT_EQ(Apply(dialog), QStringList{"Account|The accounts could not be saved"});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(m_app.AccountIni()), kTwoAccounts);
}

TEST(DlgLoginReturn, ReturnInTheIdentifierBoxLogsIn) {
    vantrel::test::UiAppFixture app;
    vantrel::AppSettings& settings = app.App().m_settings;
    settings.m_nUserLevel = vantrel::kUserLevelAdministrator;
    CDlgLogin dialog(settings);
    dialog.show();
    ASSERT_EQ(dialog.IdCombo()->currentText(), "Guest");
    dialog.IdCombo()->lineEdit()->setFocus();
    QTest::keyClick(dialog.IdCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.m_nUserLevel, vantrel::kUserLevelGuest);
}

}  // namespace
