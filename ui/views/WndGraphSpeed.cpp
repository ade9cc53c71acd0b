// SPDX-License-Identifier: GPL-3.0-or-later
// The speed graph window.
#include "ui/views/WndGraphSpeed.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "ui/views/WndGraph.h"

CWndGraphSpeed::CWndGraphSpeed(const CWndGraph& graph, const GraphFonts& fonts, QWidget* parent)
    : QWidget(parent), m_graph(graph), m_fonts(fonts) {
    setObjectName(QStringLiteral("WndGraphSpeed"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pRangeUp = new QPushButton(QString::fromUtf8("\u25B2"), this);
    m_pRangeUp->setGeometry(5, 100, 34, 30);
    m_pRangeDown = new QPushButton(QString::fromUtf8("\u25BC"), this);
    m_pRangeDown->setGeometry(5, 190, 34, 30);
    m_pRangeUp->setFocusPolicy(Qt::NoFocus);
    m_pRangeDown->setFocusPolicy(Qt::NoFocus);
    connect(m_pRangeUp, &QPushButton::clicked, this, [this] { RangeUp(); });
    connect(m_pRangeDown, &QPushButton::clicked, this, [this] { RangeDown(); });
}

bool CWndGraphSpeed::RangeUp() {
    if (m_nRows >= vantrel::kMaxRows) {
        return false;
    }
    m_nRows += 2;
    update();
    return true;
}

bool CWndGraphSpeed::RangeDown() {
    if (m_nRows <= vantrel::kMinRows) {
        return false;
    }
    m_nRows -= 2;
    update();
    return true;
}

vantrel::SpeedGraphInput CWndGraphSpeed::Input() const {
    vantrel::SpeedGraphInput input;
    input.frame = vantrel::FrameOf(m_graph.m_view, m_nScale, m_bHasData != 0);
    input.day = m_graph.Day();
    input.rows = m_nRows;
    input.idleStarts = m_aIdleStarts;
    input.maxSpeed = m_stMaxSpeed;
    input.width = width();
    input.height = height();
    return input;
}

QImage CWndGraphSpeed::Render() const {
    return RenderDrawList(vantrel::BuildSpeedGraph(Input()), m_fonts);
}

void CWndGraphSpeed::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

void CWndGraphSpeed::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bHasData != 0) {
        emit CursorClicked(event->position().toPoint().x());
    }
    QWidget::mouseReleaseEvent(event);
}
