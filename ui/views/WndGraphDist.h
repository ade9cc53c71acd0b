// SPDX-License-Identifier: GPL-3.0-or-later
// CWndGraphDist: the lower graph of the graph area, 824 x 125: the loaded day's distance
// folded on a 0 to 5 km axis across the container's window, with the cursor line. A
// left-button release while it has data moves the container's cursor.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "core/views/DistanceGraph.h"
#include "ui/views/GraphPainter.h"

class CWndGraph;

class CWndGraphDist : public QWidget {
    Q_OBJECT

public:
    CWndGraphDist(const CWndGraph& graph, const GraphFonts& fonts, QWidget* parent = nullptr);

    vantrel::DistanceGraphInput Input() const;
    QImage Render() const;

    int m_bHasData = 0;
    std::uint8_t m_nScale = 0;

signals:
    void CursorClicked(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const CWndGraph& m_graph;
    GraphFonts m_fonts;
};
