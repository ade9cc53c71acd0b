// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the CSV export dialog offscreen over records in a temporary backup folder: the files
// of two records are those the core's writer gives for them, the buttons of the idle and the
// exporting state, that Close, Escape and the close box cannot end the dialog while the
// worker runs, the three result messages (a failure names the output that could not be
// written), a dialog destroyed while its worker runs, the folder picker's choice (stored in
// the settings, a separator appended) and an unusable configured folder (the default is shown
// and created, the settings keep the configured one).
#include "ui/dialogs/DlgExport.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ModalWatcher.h"
#include "core/export/CsvExport.h"
#include "tests/core/store/StoreFixtures.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/controls/PathDialog.h"

namespace {

namespace fs = std::filesystem;
using vantrel::test::DayImage;
using vantrel::test::RecordFixture;
using vantrel::test::TempFolder;

constexpr std::size_t Index(int h, int m, int k) {
    return static_cast<std::size_t>((h * 60 + m) * 120 + k);
}

// The files of a folder, by name, with their contents.
std::map<std::string, std::string> FilesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        files[entry.path().filename().string()] = TempFolder::Read(entry.path().string());
    }
    return files;
}

class DlgExportTest : public ::testing::Test {
protected:
    DlgExportTest() {
        fs::create_directories(Out());
        m_app.App().m_settings.m_strExportFolder = Out();
    }

    // A record of the given days, each with a few samples, under the fixture's backup folder.
    QString Record(const std::string& stamp, const std::vector<std::string>& days,
                   bool withDayFiles = true) {
        RecordFixture r;
        r.stamp = stamp;
        r.days = days;
        r.withDayFiles = withDayFiles;
        const std::string path =
            vantrel::test::WriteRecord(m_app.BackupFolder(), "20160316090000", r);
        if (withDayFiles) {
            // Samples of our own, so the rows are not the fixture's only.
            for (const std::string& day : days) {
                TempFolder::Write(vantrel::RecordDayFilePath(path, day, ".cda"),
                                  DayImage({{Index(8, 30, 25), 57}, {Index(23, 59, 119), 9}}));
            }
        }
        return QString::fromStdString(path);
    }
    std::string Out() const { return m_tmp.Folder("out"); }

    // Starts the export and answers its result message; returns "caption|text".
    QString RunExport(CDlgExport& dialog) {
        QString shown;
        ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
            shown = box->windowTitle() + "|" + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QSignalSpy finished(&dialog, &CDlgExport::ExportFinished);
        dialog.StartButton()->click();
        if (finished.isEmpty()) {  // a result without a worker comes at once
            EXPECT_TRUE(finished.wait(30000));
        }
        return shown;
    }

    TempFolder m_tmp;
    vantrel::test::UiAppFixture m_app;
};

TEST_F(DlgExportTest, OpensIdleWithTheTextsAndTheConfiguredFolder) {
    CDlgExport dialog;
    EXPECT_EQ(dialog.windowTitle(), "Export to CSV");
    EXPECT_EQ(dialog.FolderLabel()->text(), "Select Folder");
    EXPECT_EQ(dialog.StartButton()->text(), "Start");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");
    EXPECT_EQ(dialog.CloseButton()->text(), "Close");
    EXPECT_EQ(dialog.FolderLine()->text().toStdString(), Out());
    EXPECT_TRUE(dialog.FolderLine()->isReadOnly());
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    EXPECT_TRUE(dialog.StartButton()->isEnabled());
    EXPECT_TRUE(dialog.BrowseButton()->isEnabled());
    EXPECT_TRUE(dialog.CloseButton()->isEnabled());
}

TEST_F(DlgExportTest, AnUnusableFolderShowsTheDefaultForThisOpeningOnly) {
    const std::string configured = m_tmp.Folder("gone");
    fs::remove(configured);
    m_app.App().m_settings.m_strExportFolder = configured;
    CDlgExport dialog;
    const std::string expected = m_app.Path("docs").toStdString() + "/Halvik/Korvut/export/";
    EXPECT_EQ(dialog.FolderLine()->text().toStdString(), expected);
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_EQ(m_app.App().m_settings.m_strExportFolder, configured);
}

TEST_F(DlgExportTest, TwoRecordsGiveTheFilesOfTheCoreWriter) {
    const QString first = Record("20160315081200", {"20160315", "20160316"});
    const QString second = Record("20160317070000", {"20160317"});
    CDlgExport dialog;
    dialog.AddRecordPath(first);
    dialog.AddRecordPath(second);
    dialog.show();
    EXPECT_EQ(RunExport(dialog), "Export to CSV|The export was completed");
    EXPECT_EQ(dialog.LastResultCode(), vantrel::kExportCompleted);

    std::atomic<int> cancel{0};
    const std::string reference = m_tmp.Folder("reference");
    fs::create_directories(reference);
    ASSERT_EQ(
        vantrel::ExportRecordsToCsv({first.toStdString(), second.toStdString()}, reference, cancel)
            .code,
        vantrel::kExportCompleted);
    const auto written = FilesOf(Out());
    EXPECT_EQ(written.size(), 3U);
    EXPECT_EQ(written, FilesOf(reference));
    EXPECT_NE(written.at("20160315081200_VQ0A1B2C_20160316.csv")
                  .find(", 2016.03.16, 23:59:59.500, 9\r\n"),
              std::string::npos);
    // The end step: idle buttons, the counter cleared, the bar back at 0.
    EXPECT_TRUE(dialog.Counter()->text().isEmpty());
    EXPECT_EQ(dialog.Progress()->value(), 0);
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    EXPECT_TRUE(dialog.StartButton()->isEnabled());
    EXPECT_TRUE(dialog.BrowseButton()->isEnabled());
    EXPECT_TRUE(dialog.CloseButton()->isEnabled());
    EXPECT_FALSE(dialog.IsExporting());
    // A second export in the same opening overwrites the files.
    EXPECT_EQ(RunExport(dialog), "Export to CSV|The export was completed");
    EXPECT_EQ(FilesOf(Out()), FilesOf(reference));
}

TEST_F(DlgExportTest, WhileExportingOnlyCancelIsEnabledAndNothingClosesTheDialog) {
    CDlgExport dialog;
    dialog.AddRecordPath(Record("20160315081200", {"20160315"}));
    dialog.show();
    QSignalSpy finished(&dialog, &CDlgExport::ExportFinished);
    QString shown;
    // No event is handled before the checks below: the worker waits for its first report, so
    // it is still running while they are made.
    dialog.StartButton()->click();
    ASSERT_TRUE(dialog.IsExporting());
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());
    EXPECT_FALSE(dialog.StartButton()->isEnabled());
    EXPECT_FALSE(dialog.BrowseButton()->isEnabled());
    EXPECT_FALSE(dialog.CloseButton()->isEnabled());

    dialog.accept();  // Close
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.close());  // the close box
    EXPECT_TRUE(dialog.isVisible());

    ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(shown, "The export was completed");
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DlgExportTest, CancelBeforeTheFirstDayWritesNothing) {
    CDlgExport dialog;
    dialog.AddRecordPath(Record("20160315081200", {"20160315", "20160316"}));
    dialog.show();
    QString shown;
    ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    QSignalSpy finished(&dialog, &CDlgExport::ExportFinished);
    dialog.StartButton()->click();
    dialog.CancelButton()->click();  // before the worker's first report is taken
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(shown, "The export was canceled");
    EXPECT_EQ(finished.at(0).at(0).toInt(), vantrel::kExportCanceled);
    EXPECT_TRUE(FilesOf(Out()).empty());
}

TEST_F(DlgExportTest, AnOutputThatCannotBeWrittenIsReportedAsAFailure) {
    // A record whose first day has no sample file (skipped silently), then one whose output
    // name is taken by a folder: no process, root included, can create that file.
    const QString missing = Record("20160314060000", {"20160314"}, false);
    const QString blocked = Record("20160315081200", {"20160315"});
    const std::string target = Out() + "20160315081200_VQ0A1B2C_20160315.csv";
    fs::create_directories(target);
    CDlgExport dialog;
    dialog.SetRecordPaths({missing, blocked});
    dialog.show();
    const QString shown = RunExport(dialog);
    EXPECT_TRUE(
        shown.startsWith("Export to CSV|The export failed\n" + QString::fromStdString(target)))
        << shown.toStdString();
    EXPECT_EQ(dialog.LastResultCode(), vantrel::kExportFailed);
    EXPECT_TRUE(dialog.LastResult().writtenFiles.empty());
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(dialog.StartButton()->isEnabled());
    EXPECT_TRUE(dialog.CloseButton()->isEnabled());

    // A disk that fills while the file is written: a failure, and nothing of the file stays.
    fs::remove(target);
    fs::create_symlink("/dev/full", target);
    EXPECT_TRUE(RunExport(dialog).startsWith("Export to CSV|The export failed\n"));
    EXPECT_EQ(dialog.LastResultCode(), vantrel::kExportFailed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));

    // Without the blocked record the missing day alone still completes.
    dialog.SetRecordPaths({missing});
    EXPECT_EQ(RunExport(dialog), "Export to CSV|The export was completed");
    EXPECT_TRUE(FilesOf(Out()).empty());
}

TEST_F(DlgExportTest, WithoutAnyFolderNothingIsWrittenToTheWorkingFolder) {
    // No usable export folder and no documents folder to default to.
    m_app.App().m_settings.m_strExportFolder = m_tmp.Folder("gone");
    fs::remove(m_app.App().m_settings.m_strExportFolder);
    // The fixture's environment is the application's own (not a const object).
    const_cast<vantrel::AppEnvironment&>(m_app.App().m_settings.Environment())
        .documentsFolder.clear();
    const fs::path work = m_tmp.Folder("work");
    fs::create_directories(work);
    const fs::path before = fs::current_path();
    fs::current_path(work);
    CDlgExport dialog;
    dialog.AddRecordPath(Record("20160315081200", {"20160315"}));
    dialog.show();
    EXPECT_TRUE(dialog.FolderLine()->text().isEmpty());
    EXPECT_EQ(RunExport(dialog), "Export to CSV|The export failed");
    fs::current_path(before);
    EXPECT_TRUE(FilesOf(work.string()).empty());
    EXPECT_TRUE(dialog.StartButton()->isEnabled());
    EXPECT_FALSE(dialog.IsExporting());
}

TEST_F(DlgExportTest, ADialogDestroyedWhileExportingWaitsForItsWorker) {
    auto dialog = std::make_unique<CDlgExport>();
    dialog->AddRecordPath(Record("20160315081200", {"20160315", "20160316"}));
    dialog->show();
    ModalWatcher<QMessageBox> watcher([](QMessageBox* box) { box->close(); });
    dialog->StartButton()->click();
    ASSERT_TRUE(dialog->IsExporting());
    dialog.reset();  // returns only once the worker has ended; shows no message
    EXPECT_EQ(watcher.Seen(), 0);
}

TEST_F(DlgExportTest, ThePickedFolderIsShownWithItsSeparatorAndStored) {
    const std::string picked = m_tmp.Folder("picked");
    fs::create_directories(picked);
    CDlgExport dialog;
    dialog.show();
    {
        ModalWatcher<CPathDialog> watcher([&](CPathDialog* picker) {
            picker->SelectPath(QString::fromStdString(picked).chopped(1));
            if (picker->OkButton()->isEnabled()) {
                picker->OkButton()->click();
            } else {
                picker->reject();
            }
        });
        dialog.BrowseButton()->click();
        EXPECT_EQ(watcher.Seen(), 1);
    }
    EXPECT_EQ(dialog.FolderLine()->text().toStdString(), picked);
    EXPECT_EQ(m_app.App().m_settings.m_strExportFolder, picked);

    // Leaving the picker without a choice changes nothing.
    ModalWatcher<CPathDialog> cancel([](CPathDialog* picker) { picker->reject(); });
    dialog.BrowseButton()->click();
    EXPECT_EQ(dialog.FolderLine()->text().toStdString(), picked);
    EXPECT_EQ(m_app.App().m_settings.m_strExportFolder, picked);
}

TEST(FolderWithSeparator, AppendsOneUnlessThePathEndsInOne) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"/", "/"}, {"/media/card", "/media/card/"}, {"/a/b/", "/a/b/"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FolderWithSeparator(c.in), c.out) << c.in;
    }
}

}  // namespace
