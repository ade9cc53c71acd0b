// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/WndStatus.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>

#include "core/app/Accounts.h"
#include "ui/controls/AppContext.h"

CWndStatus::CWndStatus(int userLevel, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pFormatButton = new QPushButton(this);
    m_pFormatButton->setObjectName(QStringLiteral("1045"));
    m_pFormatButton->setFont(vantrel::ui::NormalFont());
    m_pFormatButton->setFocusPolicy(Qt::NoFocus);
    m_pFormatButton->setVisible(userLevel == vantrel::kUserLevelService);
    connect(m_pFormatButton, &QPushButton::clicked, this, &CWndStatus::FormatRequested);
}

void CWndStatus::SetPainter(Painter painter) {
    m_painter = std::move(painter);
    update();
}

void CWndStatus::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // right - 18, top + 2 to right - 2, bottom - 2
    m_pFormatButton->setGeometry(width() - 18, 2, 16, height() - 4);
}

void CWndStatus::paintEvent(QPaintEvent* /*event*/) {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    if (m_painter) {
        QPainter offscreen(&image);
        m_painter(offscreen, size());
    }
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}
