// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the main window's panels offscreen with real widgets: which tool buttons and panel
// children each user level sees in record and list mode, the button 1045 rule, the colours
// and rectangles read back from the rendered window, the progress window's place, the
// "Read Device" button beside "Read SD Card", captions re-read from the language file at
// every paint, and the Left/Right keys (a focused text field keeps its own).
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/dialogs/ModalWatcher.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "ui/controls/VQButton.h"
#include "ui/dialogs/DlgSetting.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/frame/PanelToolMenu.h"
#include "ui/frame/WndProgress.h"
#include "ui/frame/WndStatus.h"
#include "ui/print/DlgPrint.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/WndGraph.h"

namespace {

// The buttons visible on the tool strip, by their command and caption ("1000 Read SD Card";
// the symbol buttons have no caption).
QStringList VisibleTools(const CPanelToolMenu& menu) {
    QStringList tools;
    const std::pair<const char*, CVQButton*> buttons[] = {
        {"read device", menu.ReadDeviceButton()}, {"read sd", menu.ReadSdCardButton()},
        {"list", menu.ShowListButton()},          {"graph", menu.ShowGraphButton()},
        {"settings", menu.SettingsButton()},      {"print", menu.PrintButton()},
        {"accounts", menu.AccountsButton()}};
    for (const auto& [name, button] : buttons) {
        if (button->isVisible()) {
            tools << name;
        }
    }
    return tools;
}

QString Rgb(QRgb pixel) {
    return QString("%1,%2,%3").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

struct LevelCase {
    int level;
    QStringList recordTools;
    bool formatButton;
};

class FrameByLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(FrameByLevel, ToolsAndPanelsFollowLevelAndMode) {
    const LevelCase& c = GetParam();
    vantrel::test::UiAppFixture app(c.level);
    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CPanelMain& panel = *frame.PanelMain();

    EXPECT_EQ(VisibleTools(*frame.ToolMenu()), c.recordTools) << "level " << c.level;
    EXPECT_TRUE(panel.DrivingInfo()->isVisible());
    EXPECT_TRUE(panel.GraphArea()->isVisible());
    EXPECT_TRUE(panel.Status()->isVisible());
    EXPECT_FALSE(panel.RecordList()->isVisible());
    EXPECT_EQ(panel.Status()->FormatButton()->isVisible(), c.formatButton);

    QTest::mouseClick(frame.ToolMenu()->ShowListButton(), Qt::LeftButton);
    EXPECT_TRUE(panel.IsListMode());
    EXPECT_EQ(VisibleTools(*frame.ToolMenu()), (QStringList{"read sd", "graph"}))
        << "level " << c.level;
    EXPECT_FALSE(panel.DrivingInfo()->isVisible());
    EXPECT_FALSE(panel.GraphArea()->isVisible());
    EXPECT_FALSE(panel.Status()->isVisible());
    EXPECT_TRUE(panel.RecordList()->isVisible());

    QTest::mouseClick(frame.ToolMenu()->ShowGraphButton(), Qt::LeftButton);
    EXPECT_FALSE(panel.IsListMode());
    EXPECT_EQ(VisibleTools(*frame.ToolMenu()), c.recordTools) << "level " << c.level;
    EXPECT_TRUE(panel.DrivingInfo()->isVisible());
    EXPECT_FALSE(panel.RecordList()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    AllLevels, FrameByLevel,
    ::testing::Values(LevelCase{0, {"read sd", "list", "settings", "print", "accounts"}, false},
                      LevelCase{1, {"read sd", "list", "settings", "print", "accounts"}, true},
                      LevelCase{2, {"read sd", "list", "settings", "print"}, false},
                      LevelCase{3, {"read sd", "list", "settings", "print"}, false}));

class MainFrameLayout : public ::testing::Test {
protected:
    MainFrameLayout() : m_app(0, "Administrator") {
        m_frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_frame));
    }
    QImage Render() { return m_frame.ClientArea()->grab().toImage(); }

    vantrel::test::UiAppFixture m_app;
    CMainFrame m_frame;
};

TEST_F(MainFrameLayout, RectanglesOfStripPanelAndChildren) {
    EXPECT_EQ(m_frame.ToolMenu()->geometry(), QRect(0, 0, 1200, 50));
    EXPECT_EQ(m_frame.PanelMain()->geometry(), QRect(0, 50, 1200, 641));
    CPanelMain& panel = *m_frame.PanelMain();
    EXPECT_EQ(panel.DrivingInfo()->geometry(), QRect(0, 1, 1200, 134));
    EXPECT_EQ(panel.GraphArea()->geometry(), QRect(0, 136, 1200, 484));
    EXPECT_EQ(panel.Status()->geometry(), QRect(0, 620, 1200, 21));
    EXPECT_EQ(panel.RecordList()->geometry(), QRect(0, 0, 1200, 641));
    EXPECT_EQ(panel.Status()->FormatButton()->geometry(), QRect(1182, 2, 16, 17));

    const CPanelToolMenu& menu = *m_frame.ToolMenu();
    EXPECT_EQ(menu.ReadSdCardButton()->geometry(), QRect(10, 10, 200, 30));
    EXPECT_EQ(menu.ShowListButton()->geometry(), QRect(220, 10, 200, 30));
    EXPECT_EQ(menu.ShowGraphButton()->geometry(), QRect(220, 10, 200, 30));
    EXPECT_EQ(menu.SettingsButton()->geometry(), QRect(1120, 10, 70, 30));
    EXPECT_EQ(menu.PrintButton()->geometry(), QRect(1040, 10, 70, 30));
    EXPECT_EQ(menu.AccountsButton()->geometry(), QRect(960, 10, 70, 30));
    EXPECT_EQ(menu.ReadSdCardButton()->StateWidth(), 200);
    EXPECT_EQ(menu.PrintButton()->StateWidth(), 70);

    EXPECT_EQ(m_frame.Progress()->geometry(), QRect(430, 330, 340, 30));
    EXPECT_FALSE(m_frame.Progress()->isVisible());
}

TEST_F(MainFrameLayout, ColoursReadBack) {
    const QImage image = Render();
    // Tool strip between and beside the buttons, the panel's one-pixel lines above the driving
    // information and between it and the graph area, the driving information's grey.
    const std::pair<QPoint, QString> probes[] = {
        {{5, 5}, "5,18,35"},         {{215, 25}, "5,18,35"},      {{700, 45}, "5,18,35"},
        {{600, 50}, "200,200,200"},  {{600, 185}, "200,200,200"}, {{5, 60}, "160,160,160"},
        {{1195, 180}, "160,160,160"}};
    for (const auto& [point, colour] : probes) {
        EXPECT_EQ(Rgb(image.pixel(point)), colour) << "at " << point.x() << "," << point.y();
    }
    // A state picture, not the strip, shows on the buttons.
    EXPECT_NE(Rgb(image.pixel(110, 12)), "5,18,35");
    EXPECT_NE(Rgb(image.pixel(1155, 25)), "5,18,35");
}

TEST_F(MainFrameLayout, ReadDeviceIsOfferedBesideReadSdCardWhenBound) {
    CPanelToolMenu& menu = *m_frame.ToolMenu();
    EXPECT_FALSE(menu.ReadDeviceButton()->isVisible());
    m_frame.SetDeviceBound(true);
    EXPECT_TRUE(menu.ReadDeviceButton()->isVisible());
    EXPECT_FALSE(
        menu.ReadDeviceButton()->geometry().intersects(menu.ReadSdCardButton()->geometry()));
    EXPECT_FALSE(menu.ReadDeviceButton()->geometry().intersects(menu.ShowListButton()->geometry()));
    // Still there in list mode, where "Read SD Card" stays too.
    m_frame.OnCommand(CPanelToolMenu::kCmdToggleList);
    EXPECT_TRUE(menu.ReadDeviceButton()->isVisible());
    m_frame.SetDeviceBound(false);
    EXPECT_FALSE(menu.ReadDeviceButton()->isVisible());
}

TEST_F(MainFrameLayout, CaptionsFollowTheLanguageFileAtTheNextPaint) {
    CPanelToolMenu& menu = *m_frame.ToolMenu();
    EXPECT_EQ(menu.ReadSdCardButton()->text(), "Read SD Card");
    EXPECT_EQ(menu.ReadDeviceButton()->text(), "Read USB");
    m_app.WriteLanguage(
        "[GUI]\nREADSDCARD=SD-Karte lesen\nDISPLAYLIST=Liste zeigen\nREADUSB=Gerät lesen\n"
        "DISPLAYGRAPH=Grafik zeigen\n");
    menu.repaint();
    EXPECT_EQ(menu.ReadSdCardButton()->text(), "SD-Karte lesen");
    EXPECT_EQ(menu.ShowListButton()->text(), "Liste zeigen");
    EXPECT_EQ(menu.ShowGraphButton()->text(), "Grafik zeigen");
    EXPECT_EQ(menu.ReadDeviceButton()->text(), "Gerät lesen");
}

TEST_F(MainFrameLayout, ArrowKeysStepTheGraphUnlessATextFieldHasThem) {
    QSignalSpy steps(&m_frame, &CMainFrame::GraphStep);
    QTest::keyClick(&m_frame, Qt::Key_Left);
    QTest::keyClick(&m_frame, Qt::Key_Right);
    QTest::keyClick(&m_frame, Qt::Key_Right);
    ASSERT_EQ(steps.count(), 3);
    EXPECT_EQ(steps[0][0].toInt(), -1);
    EXPECT_EQ(steps[1][0].toInt(), 1);

    auto* field = new QLineEdit("abc");
    m_frame.PanelMain()->SetGraphArea(field);
    field->setFocus();
    field->setCursorPosition(3);
    QTest::keyClick(field, Qt::Key_Left);
    EXPECT_EQ(field->cursorPosition(), 2);
    EXPECT_EQ(steps.count(), 3);
    EXPECT_EQ(m_frame.PanelMain()->GraphArea()->geometry(), QRect(0, 136, 1200, 484));
}

TEST_F(MainFrameLayout, CommandsOfOtherModulesLeaveAsSignals) {
    QSignalSpy print(&m_frame, &CMainFrame::PrintRequested);
    QSignalSpy settings(&m_frame, &CMainFrame::SettingsRequested);
    QSignalSpy format(&m_frame, &CMainFrame::FormatDeviceRequested);
    // Print opens the print dialog, with the graphs' cursor line hidden while it is open.
    bool cursorShownInDialog = true;
    ModalWatcher<CDlgPrint> closePrint([&](CDlgPrint* dialog) {
        cursorShownInDialog = m_frame.Graph()->m_view.m_bShowCursor;
        dialog->reject();
    });
    QTest::mouseClick(m_frame.ToolMenu()->PrintButton(), Qt::LeftButton);
    EXPECT_EQ(closePrint.Seen(), 1);
    EXPECT_FALSE(cursorShownInDialog);
    EXPECT_TRUE(m_frame.Graph()->m_view.m_bShowCursor);
    {
        // Setting opens the settings dialog; Cancel changes nothing.
        ModalWatcher<CDlgSetting> closeSetting([](CDlgSetting* dialog) { dialog->reject(); });
        QTest::mouseClick(m_frame.ToolMenu()->SettingsButton(), Qt::LeftButton);
        EXPECT_EQ(closeSetting.Seen(), 1);
    }
    m_frame.PanelMain()->Status()->FormatButton()->click();
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(settings.count(), 1);
    EXPECT_EQ(format.count(), 1);
}

TEST_F(MainFrameLayout, ScaleTravelsWithTheModeSwitchAndClearEmptiesTheViews) {
    CPanelMain& panel = *m_frame.PanelMain();
    QSignalSpy scales(&panel, &CPanelMain::ScaleApplied);
    QSignalSpy cleared(&panel, &CPanelMain::ViewsCleared);
    panel.ApplyScale(3);
    panel.ApplyScale(7);  // no such scale
    EXPECT_EQ(panel.m_nScale, 3);
    panel.ToggleListMode();
    ASSERT_EQ(scales.count(), 2);
    EXPECT_EQ(scales[1][0].toInt(), 3);
    panel.ClearViews();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_FALSE(panel.DrivingInfo()->IsLoaded());
}

}  // namespace
