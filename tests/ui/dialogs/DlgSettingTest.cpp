// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the settings dialog offscreen over an application object in a temporary folder: its
// texts, the language entries and which one a stored number selects (a number set by hand
// selects none, and OK then stores -1), OK writing App.ini at once and Cancel writing nothing,
// an unusable backup folder (the default is shown, the application's folder changes only on
// OK), the SD card rules (removable mount point, 3000 MiB, a size that cannot be asked) and
// the format handler, and in the main frame the language switch (tool strip, list filters and
// buttons read back in the new language) and the export dialog opened for the checked records.
#include "ui/dialogs/DlgSetting.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "ModalWatcher.h"
#include "core/ini/IniFile.h"
#include "tests/core/util/DriveFixture.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/controls/PathDialog.h"
#include "ui/controls/VQButton.h"
#include "ui/dialogs/DlgExport.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/frame/PanelToolMenu.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/WndList.h"

namespace {

namespace fs = std::filesystem;
using SdCheck = CDlgSetting::SdCheck;
using vantrel::DriveType;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class DlgSettingTest : public ::testing::Test {
protected:
    DlgSettingTest() {
        // App.ini is written only after the settings were loaded.
        App().LoadSettings();
        App().m_settings.m_strBackupFolder = m_app.Path("backup").toStdString() + "/";
        App().m_settings.m_nLanguage = 0;
    }
    CVantrelApp& App() { return m_app.App(); }
    std::string AppIni() { return App().m_settings.m_strAppIni; }
    vantrel::ini::IniFile Saved() { return vantrel::ini::IniFile::Load(AppIni()); }

    vantrel::test::UiAppFixture m_app;
};

TEST_F(DlgSettingTest, ShowsTheTextsTheFolderAndTheLanguages) {
    App().m_settings.m_nLanguage = 1;
    CDlgSetting dialog;
    EXPECT_EQ(dialog.windowTitle(), "Setting");
    EXPECT_EQ(dialog.BackupLabel()->text(), "Backup Folder");
    EXPECT_EQ(dialog.LanguageLabel()->text(), "Language");
    EXPECT_EQ(dialog.InitSdButton()->text(), "Initialize SD Card");
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");
    EXPECT_TRUE(dialog.BackupLine()->isReadOnly());
    EXPECT_EQ(dialog.BackupLine()->text().toStdString(), App().m_settings.m_strBackupFolder);
    ASSERT_EQ(dialog.LanguageBox()->count(), 3);
    const char* texts[] = {"English", "Korean", "Japanese"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.LanguageBox()->itemText(i), texts[i]);
        EXPECT_EQ(dialog.LanguageBox()->itemData(i).toInt(), i);
    }
    EXPECT_EQ(dialog.LanguageBox()->currentIndex(), 1);
}

TEST_F(DlgSettingTest, TheStoredNumberSelectsItsEntryAndOkStoresTheSelection) {
    const struct {
        int stored;
        int selected;  // entry index, -1 for none
        int afterOk;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {5, -1, -1}, {-1, -1, -1}, {29, -1, -1}};
    for (const auto& c : cases) {
        App().m_settings.m_nLanguage = c.stored;
        CDlgSetting dialog;
        EXPECT_EQ(dialog.LanguageBox()->currentIndex(), c.selected) << c.stored;
        dialog.OkButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(App().m_settings.m_nLanguage, c.afterOk) << c.stored;
        // As written; a reader of private-profile integers takes "-1" as 0, English too.
        EXPECT_EQ(Saved().GetString("GUI", "LANGUAGE", ""), std::to_string(c.afterOk)) << c.stored;
        EXPECT_EQ(dialog.LanguageChanged(), c.stored != c.afterOk) << c.stored;
    }
    // -1 reads the English file.
    EXPECT_EQ(fs::path(App().m_language.GetPath()).filename(), "lang_en.ini");
}

TEST_F(DlgSettingTest, OkWritesAppIniAtOnceAndCancelLeavesEverything) {
    const std::string chosen = m_app.Path("elsewhere").toStdString() + "/";
    fs::create_directories(chosen);
    {
        CDlgSetting dialog;
        dialog.TakeChosenFolder(QString::fromStdString(chosen).chopped(1));
        dialog.LanguageBox()->setCurrentIndex(2);
        EXPECT_EQ(dialog.BackupLine()->text().toStdString(), chosen);
        // Nothing changes before OK.
        EXPECT_NE(App().m_settings.m_strBackupFolder, chosen);
        dialog.CancelButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_NE(App().m_settings.m_strBackupFolder, chosen);
    EXPECT_EQ(App().m_settings.m_nLanguage, 0);
    const std::string beforeOk = ReadFile(AppIni());
    EXPECT_EQ(beforeOk.find(chosen), std::string::npos);

    CDlgSetting dialog;
    dialog.TakeChosenFolder(QString::fromStdString(chosen));
    dialog.LanguageBox()->setCurrentIndex(2);
    dialog.OkButton()->click();
    EXPECT_EQ(App().m_settings.m_strBackupFolder, chosen);
    EXPECT_EQ(App().m_settings.m_nLanguage, 2);
    EXPECT_TRUE(dialog.LanguageChanged());
    EXPECT_EQ(Saved().GetString("PATH", "BACKUP", ""), chosen);
    EXPECT_EQ(Saved().GetInt("GUI", "LANGUAGE", 0), 2);
}

TEST_F(DlgSettingTest, AnAppIniThatCannotBeWrittenIsReported) {
    // A file where App.ini's folder should be: no process, root included, can write there.
    const std::string blocker = m_app.Path("blocker").toStdString();
    std::ofstream(blocker) << "x";
    App().m_settings.m_strAppIni = blocker + "/App.ini";
    QString shown;
    ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
        shown = box->windowTitle() + "|" + box->text();
        box->close();
    });
    CDlgSetting dialog;
    dialog.LanguageBox()->setCurrentIndex(1);
    dialog.OkButton()->click();
    EXPECT_EQ(shown, "Setting|The settings could not be saved");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(App().m_settings.m_nLanguage, 1);
}

TEST_F(DlgSettingTest, AnUnusableBackupFolderIsReplacedOnlyInTheDialogUntilOk) {
    const std::string gone = m_app.Path("gone").toStdString() + "/";
    App().m_settings.m_strBackupFolder = gone;
    const std::string fallback = m_app.Path("docs").toStdString() + "/Halvik/Korvut/dtacho/";
    {
        CDlgSetting dialog;
        EXPECT_EQ(dialog.BackupLine()->text().toStdString(), fallback);
        EXPECT_TRUE(fs::is_directory(fallback));
        EXPECT_EQ(App().m_settings.m_strBackupFolder, gone);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(App().m_settings.m_strBackupFolder, gone);
    CDlgSetting dialog;
    dialog.OkButton()->click();
    EXPECT_EQ(App().m_settings.m_strBackupFolder, fallback);
    EXPECT_EQ(Saved().GetString("PATH", "BACKUP", ""), fallback);
}

TEST_F(DlgSettingTest, TheFolderPickerChoiceIsShownWithItsSeparator) {
    const std::string chosen = m_app.Path("picked").toStdString();
    fs::create_directories(chosen);
    CDlgSetting dialog;
    dialog.show();
    ModalWatcher<CPathDialog> watcher([&](CPathDialog* picker) {
        picker->SelectPath(QString::fromStdString(chosen));
        if (picker->OkButton()->isEnabled()) {
            picker->OkButton()->click();
        } else {
            picker->reject();
        }
    });
    dialog.BrowseButton()->click();
    EXPECT_EQ(watcher.Seen(), 1);
    EXPECT_EQ(dialog.BackupLine()->text().toStdString(), chosen + "/");
    EXPECT_NE(App().m_settings.m_strBackupFolder, chosen + "/");
}

TEST(DlgSettingSdCheck, RemovableMountPointsOfAtLeast3000MiB) {
    constexpr std::uint64_t kMiB = 1'048'576;
    const struct {
        DriveType type;
        bool mountPoint;
        std::optional<std::uint64_t> bytes;
        SdCheck expected;
    } cases[] = {
        {DriveType::Removable, true, 3000 * kMiB, SdCheck::Ok},
        {DriveType::Removable, true, 3000 * kMiB - 1, SdCheck::TooSmall},
        {DriveType::Removable, true, 2'000'000'000, SdCheck::TooSmall},
        {DriveType::Removable, true, 32'000'000'000, SdCheck::Ok},
        {DriveType::Removable, true, std::nullopt, SdCheck::Ok},  // unformatted: let through
        {DriveType::Removable, false, 32'000'000'000, SdCheck::NotSdDrive},
        {DriveType::Fixed, true, 32'000'000'000, SdCheck::NotSdDrive},
        {DriveType::Network, true, std::nullopt, SdCheck::NotSdDrive},
        {DriveType::NoRootDir, false, std::nullopt, SdCheck::NotSdDrive},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CDlgSetting::CheckSdCard(c.type, c.mountPoint, c.bytes), c.expected)
            << static_cast<int>(c.type) << " " << c.mountPoint << " " << c.bytes.value_or(0);
    }
}

// A fixture system: a fixed root, a card reader with a card mounted at card/ (its size cannot
// be asked: the block device reports 0 sectors) and a fixed disk mounted at disk/.
class DlgSettingSdCard : public ::testing::Test {
protected:
    DlgSettingSdCard() {
        m_fx.AddFixedRoot();
        m_fx.AddDisk("sdb", "8:16", true, "0");
        m_fx.AddPartition("sdb", "sdb1", "8:17", "0");
        m_fx.AddMount(Card(), "8:17", "vfat", "/dev/sdb1");
        m_fx.AddDisk("sdc", "8:32", false);
        m_fx.AddMount(m_fx.Place("disk"), "8:32", "ext4", "/dev/sdc");
        fs::create_directories(Card() + "/dtacho");
    }
    std::string Card() const { return m_fx.Place("card").string(); }

    vantrel::test::UiAppFixture m_app;
    vantrel::test::DriveFixture m_fx;
    vantrel::DriveLayer m_layer = m_fx.Layer();
};

TEST_F(DlgSettingSdCard, TheLayerDecidesWhatIsACard) {
    EXPECT_EQ(CDlgSetting::CheckSdCard(QString::fromStdString(Card()), m_layer), SdCheck::Ok);
    EXPECT_EQ(CDlgSetting::CheckSdCard(QString::fromStdString(Card() + "/"), m_layer), SdCheck::Ok);
    EXPECT_EQ(CDlgSetting::CheckSdCard(QString::fromStdString(Card() + "/dtacho"), m_layer),
              SdCheck::NotSdDrive);
    EXPECT_EQ(
        CDlgSetting::CheckSdCard(QString::fromStdString(m_fx.Place("disk").string()), m_layer),
        SdCheck::NotSdDrive);
    EXPECT_EQ(CDlgSetting::CheckSdCard(QString(), m_layer), SdCheck::NotSdDrive);
}

TEST_F(DlgSettingSdCard, APickedCardGoesToTheFormatHandler) {
    CDlgSetting dialog(nullptr, m_layer);
    dialog.show();
    QStringList handed;
    dialog.SetFormatSdHandler([&handed](QWidget* owner, const QString& mountPoint) {
        EXPECT_NE(owner, nullptr);
        handed << mountPoint;
    });
    int messages = 0;
    auto boxes = std::make_unique<ModalWatcher<QMessageBox>>([&messages](QMessageBox* box) {
        ++messages;
        box->close();
    });
    {
        ModalWatcher<CPathDialog> picker([this](CPathDialog* p) {
            p->SelectPath(QString::fromStdString(Card()));
            if (p->OkButton()->isEnabled()) {
                p->OkButton()->click();
            } else {
                p->reject();
            }
        });
        dialog.InitSdButton()->click();
        EXPECT_EQ(picker.Seen(), 1);
    }
    EXPECT_EQ(handed, QStringList{QString::fromStdString(Card())});
    EXPECT_EQ(messages, 0);

    // Leaving the picker hands nothing on; without a handler a card gets nothing more.
    {
        ModalWatcher<CPathDialog> picker([](CPathDialog* p) { p->reject(); });
        dialog.InitSdButton()->click();
    }
    dialog.SetFormatSdHandler({});
    {
        ModalWatcher<CPathDialog> picker([this](CPathDialog* p) {
            p->SelectPath(QString::fromStdString(Card()));
            p->OkButton()->click();
        });
        dialog.InitSdButton()->click();
    }
    EXPECT_EQ(handed.size(), 1);
    EXPECT_EQ(messages, 0);
    boxes.reset();
    // The handler's report of a finished initialisation.
    QString shown;
    ModalWatcher<QMessageBox> report([&shown](QMessageBox* box) {
        shown = box->windowTitle() + "|" + box->text();
        box->close();
    });
    CDlgSetting::ReportSdInitialized(&dialog);
    EXPECT_EQ(shown, "Setting|SD Card Initialized");
}

// The frame: Setting with a new language rebuilds the list and repaints in that language.
class FrameDialogsTest : public DlgSettingTest {
protected:
    FrameDialogsTest() {
        std::ofstream(m_app.Path("exe/lang_kr.ini").toStdString(), std::ios::binary)
            << "[GUI]\nREADSDCARD=SD 카드 읽기\nALL=전체\nEXPORTCSV=CSV로 내보내기\nSAVE=저장\n";
    }
};

TEST_F(FrameDialogsTest, ANewLanguageRepaintsTheToolStripAndRebuildsTheList) {
    auto* frame = new CMainFrame;
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->OnCommand(CPanelToolMenu::kCmdToggleList);  // the list shows in the main panel
    frame->grab();
    EXPECT_EQ(frame->ToolMenu()->ReadSdCardButton()->text(), "Read SD Card");
    EXPECT_EQ(frame->RecordList()->ExportButton()->text(), "Export to CSV");
    EXPECT_EQ(frame->RecordList()->Filter(0)->itemText(0), "All");

    {
        // The same language again rebuilds nothing.
        ModalWatcher<CDlgSetting> same([](CDlgSetting* dialog) { dialog->OkButton()->click(); });
        frame->OnCommand(CPanelToolMenu::kCmdSettings);
        ASSERT_EQ(same.Seen(), 1);
    }
    EXPECT_EQ(frame->RecordList()->Filter(0)->itemText(0), "All");

    ModalWatcher<CDlgSetting> korean([](CDlgSetting* dialog) {
        dialog->LanguageBox()->setCurrentIndex(1);
        dialog->OkButton()->click();
    });
    frame->OnCommand(CPanelToolMenu::kCmdSettings);
    ASSERT_EQ(korean.Seen(), 1);
    EXPECT_EQ(Saved().GetInt("GUI", "LANGUAGE", 0), 1);
    EXPECT_EQ(frame->RecordList()->Filter(0)->itemText(0), QString::fromUtf8("전체"));
    // The repaint the frame asked for sets the captions (no grab here); the platform
    // delivers it at its next update, as QTRY_COMPARE would wait for it.
    const QString caption = QString::fromUtf8("SD 카드 읽기");
    const QString exportCaption = QString::fromUtf8("CSV로 내보내기");
    for (int i = 0; i < 500 && (frame->ToolMenu()->ReadSdCardButton()->text() != caption ||
                                frame->RecordList()->ExportButton()->text() != exportCaption);
         ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(frame->RecordList()->ExportButton()->text(), exportCaption);
    EXPECT_EQ(frame->ToolMenu()->ReadSdCardButton()->text(), QString::fromUtf8("SD 카드 읽기"));
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(FrameDialogsTest, ANewLanguageRepaintsThePanelsInRecordMode) {
    auto* frame = new CMainFrame;
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->grab();
    QPushButton* save = frame->PanelMain()->DrivingInfo()->SaveButton();
    EXPECT_EQ(save->text(), "Save");
    ModalWatcher<CDlgSetting> korean([](CDlgSetting* dialog) {
        dialog->LanguageBox()->setCurrentIndex(1);
        dialog->OkButton()->click();
    });
    frame->OnCommand(CPanelToolMenu::kCmdSettings);
    ASSERT_EQ(korean.Seen(), 1);
    // The driving information re-reads its captions when it paints; no grab here, so only
    // the repaint the frame asks for can change them.
    const QString caption = QString::fromUtf8("저장");
    for (int i = 0; i < 500 && save->text() != caption; ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(save->text(), caption);
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(FrameDialogsTest, TheListsExportOpensTheExportDialogWithItsRecords) {
    auto* frame = new CMainFrame;
    QStringList seen;
    ModalWatcher<CDlgExport> watcher([&seen](CDlgExport* dialog) {
        seen = dialog->RecordPaths();
        dialog->CloseButton()->click();
    });
    emit frame->RecordList()->ExportRequested({"/a/one.dat", "/a/two.dat"});
    EXPECT_EQ(watcher.Seen(), 1);
    EXPECT_EQ(seen, (QStringList{"/a/one.dat", "/a/two.dat"}));
    delete frame;
}

}  // namespace
