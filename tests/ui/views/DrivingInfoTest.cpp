// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the driving information strip offscreen against record summary files in a temporary
// folder: the values and their formats, the white value boxes read back from the rendering
// (only for a loaded record), who sees the driving area editor, and the save flow (Yes, No,
// empty text, a record whose summary file has gone or cannot be written: the failure is
// said, the editor keeps the text and the file stays as it was).
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "tests/ui/dialogs/ModalWatcher.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/controls/VQEdit.h"
#include "ui/views/DrivingInfo.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Summary(const std::string& saveUser, const std::string& area) {
    return "[RECORDINFO]\nSaveDateTime=20250301101530\nSaveUserName=" + saveUser +
           "\nVehicleNo=B-KV 4417\nDRID=VQ0A1B2C\nDriverName=Lee Min\n"
           "RecordStart=20250228060000\nRecordStop=20250228183015.5\nDrivingCM=312.45\n"
           "DrivingTime=7201\nMaxContinueDrivingTime=14400\nMaxSpeed=96.5\n"
           "MaxSpeedDateTime=20250228101112\nDrivingArea=" +
           area + "\n";
}

class DrivingInfoTest : public ::testing::Test {
protected:
    explicit DrivingInfoTest(const std::string& user = "Kim") : m_app(3, user) {
        m_info.resize(1200, 134);
        m_info.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_info));
    }
    std::string WriteRecord(const std::string& saveUser, const std::string& area,
                            const std::string& name = "rec.dat") {
        const std::string path = m_app.BackupFolder() + "cda/" + name;
        std::ofstream(path, std::ios::binary) << Summary(saveUser, area);
        return path;
    }
    // Types the area, presses Save and answers the question; returns the boxes' texts.
    QStringList SaveArea(const QString& area, QMessageBox::StandardButton answer) {
        QStringList shown;
        ModalWatcher<QMessageBox> watcher([&](QMessageBox* box) {
            shown << box->text();
            QAbstractButton* button = box->button(answer);
            (button != nullptr ? button : box->button(QMessageBox::Ok))->click();
        });
        m_info.AreaEdit()->setText(area);
        QTest::mouseClick(m_info.SaveButton(), Qt::LeftButton);
        return shown;
    }

    vantrel::test::UiAppFixture m_app;
    CWndDrivingInfo m_info;
};

TEST_F(DrivingInfoTest, LoadsAndFormatsTheThirteenValues) {
    m_info.LoadRecord(WriteRecord("Kim", "Busan"));
    EXPECT_TRUE(m_info.IsLoaded());
    EXPECT_EQ(m_info.m_strSaveDateTime, "2025.03.01 10:15:30");
    EXPECT_EQ(m_info.m_strSaveUserName, "Kim");
    EXPECT_EQ(m_info.m_strVehicleNo, "B-KV 4417");
    EXPECT_EQ(m_info.m_strDrid, "VQ0A1B2C");
    EXPECT_EQ(m_info.m_strDriverName, "Lee Min");
    EXPECT_EQ(m_info.m_strRecordStart, "2025.02.28 06:00:00");
    EXPECT_EQ(m_info.m_strRecordStop, "2025.02.28 18:30:15.5");
    EXPECT_EQ(m_info.m_strDrivingDistance, "312.45 km");
    EXPECT_EQ(m_info.m_strDrivingTime, "1:00:00.5");
    EXPECT_EQ(m_info.m_strMaxContDrivingTime, "2:00:00.0");
    EXPECT_EQ(m_info.m_strMaxSpeed, "96.5 km/h");
    EXPECT_EQ(m_info.m_strMaxSpeedTime, "2025.02.28 10:11:12");
    EXPECT_EQ(m_info.m_strDrivingArea, "Busan");

    // Stamps too short for their fixed positions give what they hold, never a read past
    // their end.
    const std::string shortStamps = m_app.BackupFolder() + "cda/short.dat";
    std::ofstream(shortStamps, std::ios::binary)
        << "[RECORDINFO]\nRecordStart=2015\nSaveDateTime=1\nMaxSpeedDateTime=\n";
    m_info.LoadRecord(shortStamps);
    EXPECT_TRUE(m_info.m_strMaxSpeedTime.isEmpty());
    m_info.repaint();

    // A missing file: empty texts and zero durations, not loaded.
    m_info.LoadRecord(m_app.BackupFolder() + "cda/none.dat");
    EXPECT_FALSE(m_info.IsLoaded());
    EXPECT_EQ(m_info.m_strDrivingTime, "0:00:00.0");
    EXPECT_EQ(m_info.m_strVehicleNo, "");
}

TEST_F(DrivingInfoTest, ValueBoxesOnlyForALoadedRecord) {
    const QPoint insideBoxes[] = {{150, 8},   {309, 27}, {200, 123}, {470, 8},
                                  {629, 123}, {790, 56}, {949, 75}};
    const QPoint outside[] = {{149, 8}, {310, 8}, {200, 28}, {790, 80}, {630, 8}};
    QImage empty = m_info.grab().toImage();
    for (const QPoint& p : insideBoxes) {
        EXPECT_EQ(QColor(empty.pixel(p)), QColor(160, 160, 160)) << p.x() << "," << p.y();
    }
    m_info.LoadRecord(WriteRecord("Kim", "Busan"));
    const QImage loaded = m_info.grab().toImage();
    for (const QPoint& p : insideBoxes) {
        EXPECT_EQ(QColor(loaded.pixel(p)), QColor(Qt::white)) << p.x() << "," << p.y();
    }
    for (const QPoint& p : outside) {
        EXPECT_EQ(QColor(loaded.pixel(p)), QColor(160, 160, 160)) << p.x() << "," << p.y();
    }
    // The model captions are drawn in red at the right.
    int red = 0;
    for (int y = 74; y < 134; ++y) {
        for (int x = 1000; x < 1190; ++x) {
            red += QColor(loaded.pixel(x, y)) == QColor(228, 29, 36) ? 1 : 0;
        }
    }
    EXPECT_GT(red, 0);
}

struct EditorCase {
    const char* user;
    const char* saveUser;
    const char* area;
    bool editor;
};

class DrivingInfoEditor : public ::testing::TestWithParam<EditorCase> {};

TEST_P(DrivingInfoEditor, ShownOnlyToTheSaverOrTheAdministratorWithoutAnArea) {
    const EditorCase& c = GetParam();
    vantrel::test::UiAppFixture app(3, c.user);
    const std::string path = app.BackupFolder() + "cda/r.dat";
    std::ofstream(path, std::ios::binary) << Summary(c.saveUser, c.area);
    CWndDrivingInfo info;
    info.LoadRecord(path);
    EXPECT_EQ(!info.AreaEdit()->isHidden(), c.editor) << c.user << " / " << c.saveUser;
    EXPECT_EQ(!info.SaveButton()->isHidden(), c.editor);
    info.Clear();
    EXPECT_TRUE(info.AreaEdit()->isHidden());
    EXPECT_TRUE(info.SaveButton()->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Users, DrivingInfoEditor,
                         ::testing::Values(EditorCase{"", "", "", true},
                                           EditorCase{"", "Kim", "", false},
                                           EditorCase{"kim", "KIM", "", true},
                                           EditorCase{"Lee", "Kim", "", false},
                                           EditorCase{"ADMINISTRATOR", "Kim", "", true},
                                           EditorCase{"Administrator", "", "", true},
                                           EditorCase{"Kim", "Kim", "Seoul", false}));

TEST_F(DrivingInfoTest, YesWritesOnlyTheAreaAndHidesTheEditor) {
    const std::string path = WriteRecord("Kim", "");
    m_info.LoadRecord(path);
    ASSERT_FALSE(m_info.AreaEdit()->isHidden());
    EXPECT_EQ(m_info.AreaEdit()->maxLength(), 10);
    QSignalSpy saved(&m_info, &CWndDrivingInfo::DrivingAreaSaved);
    const QStringList shown = SaveArea("Gyeonggi", QMessageBox::Yes);
    EXPECT_EQ(shown, QStringList{"Do you want to save?\nYou can not change after save"});
    EXPECT_EQ(ReadFile(path), Summary("Kim", "Gyeonggi"));
    EXPECT_EQ(m_info.m_strDrivingArea, "Gyeonggi");
    EXPECT_TRUE(m_info.AreaEdit()->isHidden());
    EXPECT_TRUE(m_info.SaveButton()->isHidden());
    EXPECT_EQ(saved.count(), 1);
    m_info.LoadRecord(path);
    EXPECT_EQ(m_info.m_strDrivingArea, "Gyeonggi");
    EXPECT_TRUE(m_info.AreaEdit()->isHidden());
}

TEST_F(DrivingInfoTest, NoAndEmptyTextChangeNothing) {
    const std::string path = WriteRecord("Kim", "");
    m_info.LoadRecord(path);
    EXPECT_EQ(SaveArea("Seoul", QMessageBox::No).size(), 1);
    EXPECT_EQ(ReadFile(path), Summary("Kim", ""));
    EXPECT_EQ(m_info.AreaEdit()->text(), "Seoul");
    EXPECT_FALSE(m_info.SaveButton()->isHidden());
    EXPECT_TRUE(SaveArea("", QMessageBox::Yes).isEmpty()) << "nothing is asked";
    EXPECT_EQ(ReadFile(path), Summary("Kim", ""));
}

TEST_F(DrivingInfoTest, AFailedWriteIsSaidAndKeepsTheEditor) {
    const std::string path = WriteRecord("Kim", "");
    m_info.LoadRecord(path);
    // The record was deleted meanwhile: no summary file holding only the area appears.
    std::filesystem::remove(path);
    QStringList shown = SaveArea("Daegu", QMessageBox::Yes);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1], "The driving area could not be saved");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(m_info.AreaEdit()->text(), "Daegu");
    EXPECT_FALSE(m_info.AreaEdit()->isHidden());
    EXPECT_TRUE(m_info.m_strDrivingArea.isEmpty());

    // A summary file in a folder that cannot be written.
    const std::string folder = m_app.BackupFolder() + "ro";
    std::filesystem::create_directories(folder);
    const std::string locked = folder + "/rec.dat";
    std::ofstream(locked, std::ios::binary) << Summary("Kim", "");
    m_info.LoadRecord(locked);
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool enforced = ::access(folder.c_str(), W_OK) != 0;
    if (enforced) {
        shown = SaveArea("Daegu", QMessageBox::Yes);
        EXPECT_EQ(shown.size(), 2);
        EXPECT_EQ(ReadFile(locked), Summary("Kim", ""));
        EXPECT_FALSE(m_info.SaveButton()->isHidden());
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    if (!enforced) {
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
}

TEST(CWndDrivingInfo, WritesOnlyIntoASummaryFile) {
    vantrel::test::UiAppFixture app;
    const std::string other = app.BackupFolder() + "other.ini";
    std::ofstream(other, std::ios::binary) << "[GUI]\nLANGUAGE=0\n";
    EXPECT_FALSE(CWndDrivingInfo::WriteDrivingArea(other, "x"));
    EXPECT_EQ(ReadFile(other), "[GUI]\nLANGUAGE=0\n");
    EXPECT_FALSE(CWndDrivingInfo::WriteDrivingArea("", "x"));
    const std::string record = app.BackupFolder() + "r.dat";
    std::ofstream(record, std::ios::binary) << Summary("", "");
    QString stored;
    EXPECT_TRUE(CWndDrivingInfo::WriteDrivingArea(record, "'Ulsan'", &stored));
    EXPECT_EQ(stored, "Ulsan") << "what a later read gives";
}

}  // namespace
