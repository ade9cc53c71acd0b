// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the SD card import started from the main window against a generated card in a
// temporary folder: it runs off the interface thread while the window keeps repainting but
// takes no input, the progress window moves and hides at the end, the import's message is
// shown, the store's rows are there afterwards, and a record opened from them fills the
// driving information strip, whose saved driving area reaches the store's rows.
#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

#include "core/store/MgrTachoDB.h"
#include "tests/ui/dialogs/ModalWatcher.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"
#include "ui/controls/VQButton.h"
#include "ui/controls/VQEdit.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/frame/PanelToolMenu.h"
#include "ui/frame/WndProgress.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/WndGraph.h"

namespace {

TEST(MainFrameImport, SdCardImportRunsOffTheInterfaceThread) {
    vantrel::test::UiAppFixture app(0, "Administrator");
    std::string error;
    const auto card =
        vantrel::datagen::GenerateCard(vantrel::datagen::NamedScenario("small").value(), 7, &error);
    ASSERT_TRUE(card) << error;
    const std::string root = app.Path("card").toStdString();
    vantrel::datagen::WriteSdCard(*card, root);

    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_TRUE(frame.Store().GetRows().empty());

    // Seen from the interface thread while the import runs.
    std::vector<int> positions;
    bool inputBlocked = true;
    bool progressShown = true;
    const auto uiThread = std::this_thread::get_id();
    bool progressOnUiThread = true;
    QObject::connect(frame.Progress()->Bar(), &QProgressBar::valueChanged, [&](int value) {
        positions.push_back(value);
        inputBlocked = inputBlocked && !frame.ToolMenu()->isEnabled() &&
                       !frame.PanelMain()->isEnabled() && frame.IsImporting();
        progressShown = progressShown && frame.Progress()->isVisible();
        progressOnUiThread = progressOnUiThread && std::this_thread::get_id() == uiThread;
    });
    QSignalSpy changed(&frame, &CMainFrame::RecordsChanged);
    QStringList shown;
    vantrel::ImportResult result;
    {
        ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
            shown << box->text();
            box->button(QMessageBox::Ok)->click();
        });
        result = frame.ImportSdCard(QString::fromStdString(root));
    }

    ASSERT_EQ(result.status, vantrel::ImportStatus::Completed);
    EXPECT_EQ(shown, QStringList{"SD Card reading has been complete"});
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
    EXPECT_TRUE(inputBlocked);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(progressOnUiThread);
    EXPECT_FALSE(frame.Progress()->isVisible());
    EXPECT_TRUE(frame.ToolMenu()->isEnabled());
    EXPECT_FALSE(frame.IsImporting());
    EXPECT_EQ(changed.count(), 1);
    const std::vector<vantrel::RecordRow>& rows = frame.Store().GetRows();
    ASSERT_FALSE(rows.empty());

    // Open the newest record as the list does and save its driving area.
    const vantrel::RecordRow row = rows.front();
    frame.Store().SelectRecord(row.RecordPath());
    frame.OpenSelectedRecord();
    CWndDrivingInfo& info = *frame.PanelMain()->DrivingInfo();
    EXPECT_TRUE(info.IsLoaded());
    EXPECT_EQ(info.m_strVehicleNo.toStdString(), row.columns[vantrel::kColVehicleNo]);
    ASSERT_NE(frame.Graph(), nullptr);
    EXPECT_GT(frame.Graph()->m_wndInfo->DaySelector()->count(), 0) << "the record's days";
    EXPECT_EQ(frame.PanelMain()->m_nScale, 0);
    ASSERT_FALSE(info.AreaEdit()->isHidden());
    info.AreaEdit()->setText("Incheon");
    {
        ModalWatcher<QMessageBox> yes(
            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QTest::mouseClick(info.SaveButton(), Qt::LeftButton);
    }
    EXPECT_EQ(changed.count(), 2);
    bool found = false;
    for (const vantrel::RecordRow& each : frame.Store().GetRows()) {
        if (each.RecordPath() == row.RecordPath()) {
            found = true;
            EXPECT_EQ(each.columns[vantrel::kColDrivingArea], "Incheon");
        }
    }
    EXPECT_TRUE(found);

    // The next import clears the views first.
    ModalWatcher<QMessageBox> ok([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    frame.ImportSdCard(QString::fromStdString(root));
    EXPECT_FALSE(info.IsLoaded());
}

TEST(MainFrameImport, ReadDeviceDownloadsFromTheEmulatedRecorder) {
    vantrel::test::UiAppFixture app(0, "Administrator");
    std::string error;
    const auto card =
        vantrel::datagen::GenerateCard(vantrel::datagen::NamedScenario("small").value(), 5, &error);
    ASSERT_TRUE(card) << error;
    const QString storage = app.Path("recorder");
    vantrel::datagen::WriteRecorderStorage(*card, storage.toStdString());
    qputenv("VANTREL_EMU_STORAGE", storage.toUtf8());

    CMainFrame frame;
    frame.BindDeviceLibrary(std::string(VANTREL_BIN_DIR) + "/libVantrelRecorderEmulator.so");
    ASSERT_TRUE(frame.IsDeviceBound());
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QStringList shown;
    {
        ModalWatcher<QMessageBox> watcher([&shown](QMessageBox* box) {
            shown << box->text();
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
        });
        QTest::mouseClick(frame.ToolMenu()->ReadDeviceButton(), Qt::LeftButton);
    }
    qunsetenv("VANTREL_EMU_STORAGE");
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "Do you want to Read from USB Device?");
    EXPECT_EQ(shown[1], "Device reading has been complete");
    EXPECT_FALSE(frame.Store().GetRows().empty());
    EXPECT_EQ(frame.Store().GetRows()[0].columns[vantrel::kColReadType], "USB");
    EXPECT_FALSE(frame.Progress()->isVisible());

    frame.BindDeviceLibrary(app.Path("no-such-library.so").toStdString());
    EXPECT_FALSE(frame.ToolMenu()->ReadDeviceButton()->isVisible());
}

}  // namespace
