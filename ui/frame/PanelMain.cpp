// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/PanelMain.h"

#include <QPaintEvent>
#include <QPainter>

#include "ui/frame/PanelToolMenu.h"
#include "ui/frame/WndStatus.h"
#include "ui/views/DrivingInfo.h"

namespace {

const QColor kBackground(200, 200, 200);

}  // namespace

CPanelMain::CPanelMain(int userLevel, CPanelToolMenu* toolMenu, QWidget* parent)
    : QWidget(parent), m_pToolMenu(toolMenu) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Created in the order of the frame's layout: list, driving information, graph, status.
    m_pRecordList = new QWidget(this);
    m_pDrivingInfo = new CWndDrivingInfo(this);
    m_pGraphArea = new QWidget(this);
    m_pStatus = new CWndStatus(userLevel, this);
    PlaceChildren();
    ShowByMode();
}

void CPanelMain::PlaceChildren() {
    const int w = width();
    m_pRecordList->setGeometry(rect());
    m_pDrivingInfo->setGeometry(DrivingInfoRect(w));
    m_pGraphArea->setGeometry(GraphRect(w));
    m_pStatus->setGeometry(StatusRect(w));
}

void CPanelMain::ShowByMode() {
    m_pDrivingInfo->setVisible(!m_bListMode);
    m_pGraphArea->setVisible(!m_bListMode);
    m_pStatus->setVisible(!m_bListMode);
    m_pRecordList->setVisible(m_bListMode);
}

void CPanelMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void CPanelMain::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
}

void CPanelMain::ToggleListMode() {
    if (m_pToolMenu != nullptr) {
        m_pToolMenu->ToggleListMode();
    }
    m_bListMode = !m_bListMode;
    ShowByMode();
    emit ListModeChanged(m_bListMode);
    emit ScaleApplied(m_nScale);
    m_pGraphArea->update();
    m_pStatus->update();
}

void CPanelMain::ClearViews() {
    m_pDrivingInfo->Clear();
    emit ViewsCleared();
    m_pDrivingInfo->update();
    m_pGraphArea->update();
}

void CPanelMain::ApplyScale(int scale) {
    if (scale < 0 || scale > 4) {
        return;
    }
    m_nScale = static_cast<std::uint8_t>(scale);
    emit ScaleApplied(m_nScale);
}

QWidget* CPanelMain::ReplaceChild(QWidget* old, QWidget* replacement) {
    if (replacement == nullptr || replacement == old) {
        return old;
    }
    replacement->setParent(this);
    replacement->setGeometry(old->geometry());
    replacement->stackUnder(old);
    delete old;
    return replacement;
}

void CPanelMain::SetGraphArea(QWidget* graphArea) {
    m_pGraphArea = ReplaceChild(m_pGraphArea, graphArea);
    ShowByMode();
}

void CPanelMain::SetRecordList(QWidget* recordList) {
    m_pRecordList = ReplaceChild(m_pRecordList, recordList);
    ShowByMode();
}
