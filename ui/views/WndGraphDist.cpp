// SPDX-License-Identifier: GPL-3.0-or-later
// The distance graph window.
#include "ui/views/WndGraphDist.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/views/WndGraph.h"

CWndGraphDist::CWndGraphDist(const CWndGraph& graph, const GraphFonts& fonts, QWidget* parent)
    : QWidget(parent), m_graph(graph), m_fonts(fonts) {
    setObjectName(QStringLiteral("WndGraphDist"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

vantrel::DistanceGraphInput CWndGraphDist::Input() const {
    vantrel::DistanceGraphInput input;
    input.frame = vantrel::FrameOf(m_graph.m_view, m_nScale, m_bHasData != 0);
    input.day = m_graph.Day();
    input.width = width();
    input.height = height();
    return input;
}

QImage CWndGraphDist::Render() const {
    return RenderDrawList(vantrel::BuildDistanceGraph(Input()), m_fonts);
}

void CWndGraphDist::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

void CWndGraphDist::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bHasData != 0) {
        emit CursorClicked(event->position().toPoint().x());
    }
    QWidget::mouseReleaseEvent(event);
}
