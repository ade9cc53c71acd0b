// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis windows offscreen, over hand-made records whose events are known: a day with
// ten seconds at 108 km/h at 10:00 (speeding for a truck, not for a bus) and 2 h 10 min at
// 72 km/h from 12:00 without rest (ten minutes over the short rule). The record's window lists
// them by start and a click puts the main window's graph cursor at the start; the vehicle's
// class is stored and changes the events; the fleet summary groups, sorts by numbers and
// saves what it shows as CSV.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <fstream>
#include <map>
#include <sstream>

#include "core/store/MgrTachoDB.h"
#include "tests/core/store/StoreFixtures.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/analysis/DlgAnalysis.h"
#include "ui/analysis/DlgFleetSummary.h"
#include "ui/controls/VQButton.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelToolMenu.h"
#include "ui/views/WndGraph.h"
#include "ui/views/WndGraphInfo.h"

namespace {

using vantrel::analysis::GroupBy;
using vantrel::analysis::VehicleClass;
using vantrel::test::TempFolder;

constexpr int At(int hour, int minute) {
    return (hour * 60 + minute) * 120;
}

// Samples from..from+count at value, the rest missing.
std::string Day(const std::vector<std::array<int, 3>>& runs) {
    std::map<std::size_t, std::uint16_t> samples;
    for (const auto& [from, count, value] : runs) {
        for (int i = from; i < from + count; ++i) {
            samples[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(value);
        }
    }
    return vantrel::test::DayImage(samples);
}

const std::string kKnownDay = Day({{At(10, 0), 20, 1500}, {At(12, 0), 130 * 120, 1000}});

class AnalysisWindows : public ::testing::Test {
protected:
    std::string Record(const std::string& driver, const std::string& vehicle,
                       const std::string& stamp, const std::string& date,
                       const std::string& image) {
        vantrel::test::RecordFixture fixture;
        fixture.driver = driver;
        fixture.vehicle = vehicle;
        fixture.stamp = stamp;
        fixture.days = {date};
        const std::string record =
            vantrel::test::WriteRecord(m_app.BackupFolder(), "20150310080000", fixture);
        TempFolder::Write(record.substr(0, record.size() - 4) + "_" + date + ".cda", image);
        return record;
    }
    std::string Profile() const { return m_app.Path("config/Analysis.ini").toStdString(); }
    static QStringList Column(const QTableWidget* table, int column) {
        QStringList texts;
        for (int r = 0; r < table->rowCount(); ++r) {
            texts << table->item(r, column)->text();
        }
        return texts;
    }

    vantrel::test::UiAppFixture m_app;
};

TEST_F(AnalysisWindows, TheDaysEventsAndViolationsByStartWithTheClassStored) {
    const std::string record = Record("Kim", "12A3456", "20150302100000", "20150302", kKnownDay);
    CDlgAnalysis dialog(record, "20150302", Profile());
    const QTableWidget* table = dialog.Table();
    ASSERT_EQ(table->rowCount(), 2) << dialog.Summary()->text().toStdString();
    EXPECT_EQ(Column(table, 0), (QStringList{"Speeding", "Driving rule short"}));
    EXPECT_EQ(Column(table, 1), (QStringList{"10:00:00.0", "14:00:00.0"}));
    EXPECT_EQ(Column(table, 2), (QStringList{"10:00:10.0", "14:10:00.0"}));
    EXPECT_EQ(Column(table, 3), (QStringList{"108.0 km/h", "+0:10:00"}));
    EXPECT_EQ(dialog.RowHalfSecond(0), At(10, 0));
    EXPECT_EQ(dialog.RowHalfSecond(1), At(14, 0));
    EXPECT_EQ(dialog.RowHalfSecond(2), -1);
    EXPECT_EQ(dialog.ClassChoice()->currentText(), "Truck") << "the default class";
    EXPECT_TRUE(dialog.Summary()->text().startsWith(
        "156.3 km, driving 2:10:10, 1 events (0.6 per 100 km), 1 rule"))
        << dialog.Summary()->text().toStdString();

    dialog.ChooseClass(VehicleClass::Bus);
    EXPECT_EQ(Column(table, 0), QStringList{"Driving rule short"})
        << "108 km/h is no speeding for a bus";
    EXPECT_EQ(dialog.ClassChoice()->currentText(), "Bus");
    CDlgAnalysis again(record, "20150302", Profile());
    EXPECT_EQ(again.ClassChoice()->currentText(), "Bus") << "the class is kept for the vehicle";
}

TEST_F(AnalysisWindows, ADayTheRecordDoesNotHoldShowsItsFirstDay) {
    const std::string record = Record("Kim", "12A3456", "20150302100000", "20150302", kKnownDay);
    CDlgAnalysis dialog(record, "20991231", Profile());
    EXPECT_EQ(dialog.Day(), "20150302");
    EXPECT_EQ(dialog.Table()->rowCount(), 2);
}

TEST_F(AnalysisWindows, AClickMovesTheGraphCursorToTheStart) {
    const std::string record = Record("Kim", "12A3456", "20150302100000", "20150302", kKnownDay);
    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Store().SelectRecord(record);
    frame.OpenSelectedRecord();
    ASSERT_NE(frame.Graph(), nullptr);
    ASSERT_TRUE(frame.ToolMenu()->AnalysisButton()->isVisible());
    frame.ToolMenu()->AnalysisButton()->click();
    CDlgAnalysis* dialog = frame.AnalysisWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QTableWidget* table = dialog->Table();
    ASSERT_EQ(table->rowCount(), 2);
    const QRect cell = table->visualItemRect(table->item(1, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    const vantrel::GraphViewState& view = frame.Graph()->m_view;
    EXPECT_EQ(view.m_stCursor.wHour, 14);
    EXPECT_EQ(view.m_stCursor.wMinute, 0);
    EXPECT_EQ(view.m_nScrollPos, At(14, 0));

    // Opening a record again closes the window of the old one.
    QPointer<CDlgAnalysis> old(dialog);
    frame.OpenSelectedRecord();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
}

TEST_F(AnalysisWindows, TheWindowFollowsTheDayOfTheGraphs) {
    vantrel::test::RecordFixture fixture;
    fixture.stamp = "20150302100000";
    fixture.days = {"20150302", "20150303"};
    const std::string record =
        vantrel::test::WriteRecord(m_app.BackupFolder(), "20150310080000", fixture);
    const std::string base = record.substr(0, record.size() - 4);
    TempFolder::Write(base + "_20150302.cda", kKnownDay);
    TempFolder::Write(base + "_20150303.cda", Day({{At(9, 0), 20, 1500}}));
    CMainFrame frame;
    frame.Store().SelectRecord(record);
    frame.OpenSelectedRecord();
    ASSERT_NE(frame.Graph(), nullptr);
    frame.OnCommand(CPanelToolMenu::kCmdAnalysis);
    CDlgAnalysis* dialog = frame.AnalysisWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Day(), "20150302");
    EXPECT_EQ(dialog->Table()->rowCount(), 2);

    CWndGraphInfo* info = frame.Graph()->m_wndInfo;
    ASSERT_EQ(info->DaySelector()->count(), 2);
    info->DaySelector()->setCurrentIndex(1);
    info->LoadDay();
    EXPECT_EQ(dialog->Day(), "20150303");
    ASSERT_EQ(dialog->Table()->rowCount(), 1);
    EXPECT_EQ(dialog->Table()->item(0, 1)->text(), "09:00:00.0");
}

TEST_F(AnalysisWindows, TheFleetSummaryGroupsSortsAndSavesWhatItShows) {
    const std::string kim = Record("Kim", "12A3456", "20150302100000", "20150302", kKnownDay);
    // Lee: one hour at 72 km/h, no event; the next month.
    const std::string lee =
        Record("Lee", "34B5678", "20150401100000", "20150401", Day({{At(9, 0), 120 * 60, 1000}}));
    CDlgFleetSummary dialog({kim, lee}, Profile());
    QSignalSpy finished(&dialog, &CDlgFleetSummary::AnalysisFinished);
    ASSERT_TRUE(finished.wait(20000));
    QTableWidget* table = dialog.Table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Column(table, 0), (QStringList{"Kim", "Lee"}));
    EXPECT_EQ(Column(table, 3), (QStringList{"156.3", "72.0"}));
    EXPECT_TRUE(dialog.Total()->text().startsWith(
        "All: 2 records, 2 days, 228.3 km, driving 3:10:10, 1 events"))
        << dialog.Total()->text().toStdString();

    // Distance rising: a text sort would put 156.3 before 72.0.
    table->sortItems(3, Qt::AscendingOrder);
    EXPECT_EQ(Column(table, 0), (QStringList{"Lee", "Kim"}));
    const std::string csv = m_app.Path("summary.csv").toStdString();
    std::string error;
    ASSERT_TRUE(dialog.SaveCsv(csv, &error)) << error;
    std::istringstream lines(TempFolder::Read(csv));
    std::string heading, first, second;
    std::getline(lines, heading);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(heading,
              "driver,records,days,distanceKm,drivingSeconds,events,eventsPer100Km,speeding,"
              "long-speeding,sudden-acceleration,sudden-start,sudden-deceleration,sudden-stop,"
              "violations,violationSeconds");
    EXPECT_EQ(first, "Lee,1,1,72.0,3600,0,0.00,0,0,0,0,0,0,0,0");
    EXPECT_EQ(second, "Kim,1,1,156.3,7810,1,0.64,1,0,0,0,0,0,1,600");

    dialog.ShowGroup(GroupBy::Month);
    EXPECT_EQ(Column(table, 0), (QStringList{"2015/04", "2015/03"})) << "still by distance";
    table->sortItems(0, Qt::AscendingOrder);
    EXPECT_EQ(Column(table, 0), (QStringList{"2015/03", "2015/04"}));
    EXPECT_FALSE(dialog.SaveCsv(m_app.Path("no/such/folder/x.csv").toStdString(), &error));
    EXPECT_NE(error.find("could not be written"), std::string::npos);
}

TEST_F(AnalysisWindows, TheButtonsFollowTheMode) {
    CPanelToolMenu menu(2);
    menu.resize(1200, CPanelToolMenu::kHeight);
    menu.show();
    EXPECT_TRUE(menu.AnalysisButton()->isVisible());
    EXPECT_FALSE(menu.FleetSummaryButton()->isVisible());
    EXPECT_EQ(menu.AnalysisButton()->geometry(), QRect(750, 10, 200, 30));
    menu.ToggleListMode();
    EXPECT_FALSE(menu.AnalysisButton()->isVisible());
    EXPECT_TRUE(menu.FleetSummaryButton()->isVisible());
    EXPECT_EQ(menu.FleetSummaryButton()->text(), "Fleet Summary");
}

}  // namespace
