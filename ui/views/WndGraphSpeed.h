// SPDX-License-Identifier: GPL-3.0-or-later
// CWndGraphSpeed: the upper graph of the graph area, 824 x 338: the speed trace of the
// loaded day across the container's window, the idle-start and maximum-speed markers, the
// cursor line and the two range buttons (1005 up, 1006 down) that set the rows of the speed
// axis. A left-button release while it has data moves the container's cursor.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "core/views/SpeedGraph.h"
#include "ui/views/GraphPainter.h"

class CWndGraph;
class QPushButton;

class CWndGraphSpeed : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRangeUpId = 1005;
    static constexpr int kRangeDownId = 1006;

    CWndGraphSpeed(const CWndGraph& graph, const GraphFonts& fonts, QWidget* parent = nullptr);

    // Commands 1005 and 1006: two rows more or fewer, within 6 and 20; false at the limit.
    bool RangeUp();
    bool RangeDown();

    // What a paint draws now, and the paint itself as an image (the window shows exactly this).
    vantrel::SpeedGraphInput Input() const;
    QImage Render() const;

    QPushButton* RangeUpButton() const { return m_pRangeUp; }
    QPushButton* RangeDownButton() const { return m_pRangeDown; }

    std::uint32_t m_nRows = vantrel::kDefaultRows;
    int m_bHasData = 0;
    std::uint8_t m_nScale = 0;
    std::vector<vantrel::SystemTime> m_aIdleStarts;
    vantrel::SystemTime m_stMaxSpeed;

signals:
    // A left-button release at this column while the graph has data.
    void CursorClicked(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const CWndGraph& m_graph;
    GraphFonts m_fonts;
    QPushButton* m_pRangeUp = nullptr;
    QPushButton* m_pRangeDown = nullptr;
};
