// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/PanelToolMenu.h"

#include <QPainter>

#include "core/app/Accounts.h"
#include "ui/app/LangText.h"
#include "ui/controls/ButtonArt.h"
#include "ui/controls/VQButton.h"

using vantrel::ui::ButtonArt;
using vantrel::ui::ButtonStrip;

namespace {

const QColor kBackground(5, 18, 35);

// "Read Device" sits right of the list/graph switch, so it never covers "Read SD Card".
const QRect kReadDeviceRect(430, 10, 200, 30);
const QRect kReadSdCardRect(10, 10, 200, 30);
const QRect kSwitchRect(220, 10, 200, 30);

}  // namespace

CPanelToolMenu::CPanelToolMenu(int userLevel, QWidget* parent)
    : QWidget(parent), m_nUserLevel(userLevel) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QPixmap wide = ButtonStrip(ButtonArt::Wide);
    m_pReadDevice = MakeButton(kCmdReadDevice, kReadDeviceRect);
    m_pReadDevice->SetStrip(wide);
    m_pReadSdCard = MakeButton(kCmdReadSdCard, kReadSdCardRect);
    m_pReadSdCard->SetStrip(wide);
    m_pShowList = MakeButton(kCmdToggleList, kSwitchRect);
    m_pShowList->SetStrip(wide);
    m_pShowGraph = MakeButton(kCmdToggleList, kSwitchRect);
    m_pShowGraph->SetStrip(wide);
    m_pSettings = MakeButton(kCmdSettings, {});
    m_pSettings->SetStrip(ButtonStrip(ButtonArt::Settings));
    m_pPrint = MakeButton(kCmdPrint, {});
    m_pPrint->SetStrip(ButtonStrip(ButtonArt::Print));
    m_pAccounts = MakeButton(kCmdAccounts, {});
    m_pAccounts->SetStrip(ButtonStrip(ButtonArt::Accounts));
    m_pAnalysis = MakeButton(kCmdAnalysis, {});
    m_pAnalysis->SetStrip(wide);
    m_pFleetSummary = MakeButton(kCmdFleetSummary, {});
    m_pFleetSummary->SetStrip(wide);
    SetCaptions();

    m_pReadDevice->hide();
    m_pShowGraph->hide();
    m_pFleetSummary->hide();
    m_pAccounts->setVisible(MayManageAccounts());
    // The symbol-only buttons say what they do when the mouse rests on them.
    m_pSettings->setToolTip(LangText("GUI", "SETTING", "Setting"));
    m_pPrint->setToolTip(LangText("GUI", "PRINT", "Print"));
    m_pAccounts->setToolTip(LangText("GUI", "ACCOUNT", "Account"));
    setFixedHeight(kHeight);
}

CVQButton* CPanelToolMenu::MakeButton(int command, const QRect& geometry) {
    auto* button = new CVQButton(this);
    button->setGeometry(geometry);
    // The buttons never take the keyboard focus: the arrow keys belong to the graph.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, command] { emit Command(command); });
    return button;
}

bool CPanelToolMenu::MayManageAccounts() const {
    return m_nUserLevel == vantrel::kUserLevelAdministrator ||
           m_nUserLevel == vantrel::kUserLevelService;
}

void CPanelToolMenu::PlaceRightButtons() {
    const int w = width();
    m_pSettings->setGeometry(w - 80, 10, 70, 30);
    m_pPrint->setGeometry(w - 160, 10, 70, 30);
    m_pAccounts->setGeometry(w - 240, 10, 70, 30);
    // Left of the accounts button, which a guest does not have, so the place never moves.
    const QRect analysis(w - 450, 10, 200, 30);
    m_pAnalysis->setGeometry(analysis);
    m_pFleetSummary->setGeometry(analysis);
}

void CPanelToolMenu::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceRightButtons();
}

void CPanelToolMenu::ToggleListMode() {
    const bool recordView = m_bListMode;  // the view being switched to
    m_pShowList->setVisible(recordView);
    m_pPrint->setVisible(recordView);
    m_pSettings->setVisible(recordView);
    m_pAnalysis->setVisible(recordView);
    if (MayManageAccounts()) {
        m_pAccounts->setVisible(recordView);
    }
    m_bListMode = !m_bListMode;
    m_pShowGraph->setVisible(m_bListMode);
    m_pFleetSummary->setVisible(m_bListMode);
}

void CPanelToolMenu::SetDeviceBound(bool bound) {
    m_bDeviceBound = bound;
    m_pReadDevice->setVisible(bound);
}

void CPanelToolMenu::SetCaptions() {
    m_pReadDevice->setText(LangText("GUI", "READUSB", "Read USB"));
    m_pReadSdCard->setText(LangText("GUI", "READSDCARD", "Read SD Card"));
    m_pShowList->setText(LangText("GUI", "DISPLAYLIST", "Display List"));
    m_pShowGraph->setText(LangText("GUI", "DISPLAYGRAPH", "Display Graph"));
    m_pAnalysis->setText(LangText("GUI", "ANALYSIS", "Analysis"));
    m_pFleetSummary->setText(LangText("GUI", "FLEETSUMMARY", "Fleet Summary"));
}

void CPanelToolMenu::paintEvent(QPaintEvent* /*event*/) {
    SetCaptions();
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
}
