// SPDX-License-Identifier: GPL-3.0-or-later
// Checks "Initialize SD Card" offscreen. The card is a removable disk of a fixture drive tree
// mounted at a fixture folder; its format goes to a sparse image (the real initialisation,
// only the device path replaced), read back with fsck.fat and mtools. Covers the refusal of
// a drive that is not removable, a successful run (OK, driverid.ini holds the edit's text),
// a failed run ("Format error", Start and Close enabled again, Cancel disabled), a dialog
// that cannot be closed while the format runs, and the wait box closing in every order of
// events, including a format that ends before the box is shown.
#include "ui/dialogs/DlgFormatSD.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

#include "ModalWatcher.h"
#include "tests/core/sdcard/SdImage.h"
#include "tests/core/util/DriveFixture.h"
#include "tests/support/TempFolder.h"
#include "ui/controls/DlgMessage.h"

namespace {

using vantrel::SdFormatOutcome;
using vantrel::SdFormatRequest;

class DlgFormatSDTest : public ::testing::Test {
protected:
    DlgFormatSDTest() {
        m_fixture.AddFixedRoot();
        m_fixture.AddDisk("sdz", "240:77", true, std::to_string(4000 * 2048), "SD");
        m_fixture.AddPartition("sdz", "sdz1", "240:78", std::to_string(3999 * 2048));
        m_fixture.AddMount(m_fixture.Place("media/CARD"), "240:78", "vfat", "/dev/sdz1");
        m_image = m_tmp.Folder() + "card.img";
        EXPECT_TRUE(vantrel::test::MakeSparseImage(m_image, 4000 * vantrel::test::kMiB));
    }
    QString MountPoint() const {
        return QString::fromStdString(m_fixture.Place("media/CARD").string());
    }
    vantrel::DriveLayer::Roots Roots() const {
        return {m_fixture.MountInfo(), m_fixture.SysBlock()};
    }
    // The real initialisation, on the image instead of the device.
    CDlgFormatSD::Formatter OnImage() {
        return [this](const SdFormatRequest& request) {
            m_strTarget = request.target;
            m_strDriver = request.driverText;
            SdFormatRequest onImage = request;
            onImage.target = m_image;
            onImage.roots = {};
            return vantrel::FormatSdCard(onImage);
        };
    }

    vantrel::test::TempFolder m_tmp;
    vantrel::test::DriveFixture m_fixture;
    std::string m_image;
    std::string m_strTarget;
    std::string m_strDriver;
};

TEST_F(DlgFormatSDTest, NotRemovableShowsInvalidDriveAndCancels) {
    m_fixture.AddDisk("sdy", "8:32", false);
    m_fixture.AddMount(m_fixture.Place("mnt/disk"), "8:32", "ext4", "/dev/sdy");
    QStringList messages;
    ModalWatcher<QMessageBox> watcher([&messages](QMessageBox* box) {
        messages << box->windowTitle() + "|" + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    CDlgFormatSD dialog(QString::fromStdString(m_fixture.Place("mnt/disk").string()), {}, nullptr,
                        Roots(), OnImage());
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(messages, QStringList{"Initialize SD Card|Invalid SD card drive"});
    EXPECT_TRUE(m_strTarget.empty()) << "nothing formatted";
}

TEST_F(DlgFormatSDTest, StartFormatsPreparesAndEndsWithOk) {
    CDlgFormatSD dialog(MountPoint(), QStringLiteral("김철수"), nullptr, Roots(), OnImage());
    EXPECT_EQ(dialog.windowTitle(), "Initialize SD Card");
    EXPECT_EQ(dialog.DeviceText(), "/dev/sdz1");
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    dialog.DriverEdit()->setText(QStringLiteral("김철수 01"));
    dialog.show();
    QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.StartButton()->isEnabled());
    EXPECT_FALSE(dialog.CloseButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 20000));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.WaitDialog()->isVisible());
    EXPECT_EQ(m_strTarget, "/dev/sdz1");
    EXPECT_EQ(m_strDriver, "김철수 01");
    EXPECT_EQ(vantrel::test::Fsck(m_image).exitCode, 0);
    EXPECT_EQ(vantrel::test::Mtools("mtype", m_image, "::/dvr_config/driverid.ini").output,
              "김철수 01");
}

TEST_F(DlgFormatSDTest, FailureShowsFormatErrorAndAllowsAnotherStart) {
    int runs = 0;
    CDlgFormatSD dialog(MountPoint(), {}, nullptr, Roots(), [&runs](const SdFormatRequest&) {
        ++runs;
        SdFormatOutcome outcome;
        outcome.status = SdFormatOutcome::Status::Failed;
        outcome.message = "mkfs.fat failed (exit 1)";
        return outcome;
    });
    QStringList messages;
    ModalWatcher<QMessageBox> watcher([&messages](QMessageBox* box) {
        messages << box->windowTitle() + "|" + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    dialog.show();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == attempt; }, 20000));
        QTest::qWait(20);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.StartButton()->isEnabled());
        EXPECT_TRUE(dialog.CloseButton()->isEnabled());
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        EXPECT_FALSE(dialog.WaitDialog()->isVisible());
    }
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(messages.front(), "Initialize SD Card|Format error");
    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(DlgFormatSDTest, WhileFormattingTheWaitBoxShowsAndTheDialogStays) {
    std::atomic<bool> release{false};
    CDlgFormatSD dialog(MountPoint(), {}, nullptr, Roots(), [&](const SdFormatRequest& request) {
        while (!release) {
            QThread::msleep(5);
        }
        return OnImage()(request);
    });
    dialog.show();
    QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.WaitDialog()->isVisible(); }, 20000));
    EXPECT_EQ(dialog.WaitDialog()->windowTitle(), "Initialize SD Card");
    dialog.reject();  // Esc
    dialog.close();   // the close box
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsFormatting());
    release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 20000));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.WaitDialog()->isVisible());
}

TEST_F(DlgFormatSDTest, AResultBeforeTheWaitRequestLeavesNoWaitBox) {
    CDlgFormatSD dialog(MountPoint(), {}, nullptr, Roots(), OnImage());
    dialog.show();
    // The end arrives first; the wait request that follows must not open the box.
    QMetaObject::invokeMethod(&dialog, "OnFormatResult", Q_ARG(bool, true),
                              Q_ARG(QString, QString()));
    QMetaObject::invokeMethod(&dialog, "OnFormatWait");
    QTest::qWait(20);
    EXPECT_FALSE(dialog.WaitDialog()->isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DlgFormatSDTest, AFormatThatEndsAtOnceLeavesNoWaitBox) {
    CDlgFormatSD dialog(MountPoint(), {}, nullptr, Roots(), [](const SdFormatRequest&) {
        SdFormatOutcome outcome;
        outcome.status = SdFormatOutcome::Status::Done;
        outcome.prepared = true;
        return outcome;
    });
    dialog.show();
    QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 20000));
    QTest::qWait(20);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.WaitDialog()->isVisible());
}

}  // namespace
