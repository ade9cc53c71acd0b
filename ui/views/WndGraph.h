// SPDX-License-Identifier: GPL-3.0-or-later
// CWndGraph: the graph area of the main panel, 484 pixels high across it: the speed graph
// over the scroll bar (id 1007, one position per half-second of the day), the distance graph
// under it and the graph information window on the right. It owns the time window and the
// cursor (GraphViewState) that both graphs and the cursor readout show, and runs every
// cursor operation: clicks, scrolling, scale changes and the graph step keys.
//
// The main panel places it in its graph rectangle and wires it up:
//   - ScaleChanged(scale): the scale selector chose a scale (already applied here); the
//     panel keeps its copy of the scale.
//   - ShowScale(scale): the panel's scale shown again after a mode switch, without moving
//     the window; ApplyScale(scale) runs a whole scale change.
//   - ClearViews(): the panel's views are cleared.
//   - GraphStep(delta): the main frame's step keys (-1, +1).
//   - StatusRepaintRequested(): the status strip repaints, painting with PaintReadout.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "core/data/InfoDtcFile.h"
#include "core/data/RecordLists.h"
#include "core/views/CursorReadout.h"
#include "core/views/GraphView.h"
#include "core/views/LoadedDay.h"
#include "ui/views/GraphPainter.h"
#include "ui/views/WndGraphDist.h"
#include "ui/views/WndGraphInfo.h"
#include "ui/views/WndGraphSpeed.h"

class QScrollBar;

class CWndGraph : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 484;
    static constexpr int kScrollBarId = 1007;
    static constexpr int kGraphWidth = 824;

    // The converter holds the day shown; the lists name the selected record's day files.
    CWndGraph(vantrel::CInfoDtcFile& converter, const vantrel::RecordLists& lists,
              const GraphFonts& fonts = GraphFonts::FromApp(), QWidget* parent = nullptr);

    vantrel::CInfoDtcFile& Converter() const { return m_converter; }
    const vantrel::RecordLists& Lists() const { return m_lists; }
    vantrel::LoadedDay Day() const { return vantrel::ViewOfLoadedDay(m_converter); }
    int Scale() const { return m_nScale; }

    // The three conversions on the members, at the current scale.
    void ComputeWindowStart();
    void CursorTimeToX();
    void CursorXToTime();

    // A left-button release at column x of either graph.
    void OnGraphCursor(int x);
    // A scroll-bar request (what the bar's arrows, page areas and thumb send).
    void OnScroll(vantrel::ScrollRequest request, int thumbPos = 0);
    // The scale selector's choice: stored, applied, and reported by ScaleChanged.
    void SelectScale(int scale);
    // The scale change's steps at this scale (also the same scale again).
    void ApplyScale(int scale);
    // The scale shown by the selector and the graphs' copies, the window left as it is.
    void ShowScale(int scale);
    // The cursor put at a half-second of the loaded day (0..172,799, clamped), then the steps
    // of a scale change at the current scale. False while no day is loaded.
    bool MoveCursorToHalfSecond(int halfSecondOfDay);
    // The graph step keys: -1 one column back, +1 one column forward.
    void GraphStep(int delta);
    // Forgets the day: graph information cleared, the graphs without data, repainted.
    void ClearViews();

    // The cursor readout of the status strip, painted over the whole strip.
    vantrel::ReadoutInput ReadoutInput() const;
    QImage RenderReadout(const QSize& size) const;
    void PaintReadout(QPainter& painter, const QSize& size) const;
    QImage Render() const;  // the container's own background

    // Repaints the status strip, the distance graph and the speed graph, in this order.
    void RepaintAfterCursorMove();

    CWndGraphSpeed* m_wndSpeed = nullptr;
    CWndGraphDist* m_wndDist = nullptr;
    CWndGraphInfo* m_wndInfo = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    vantrel::GraphViewState m_view;

signals:
    void StatusRepaintRequested();
    void ScaleChanged(int scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceChildren();
    void OnScrollAction(int action);
    void SyncScrollBar();
    void CopyScale();

    vantrel::CInfoDtcFile& m_converter;
    const vantrel::RecordLists& m_lists;
    GraphFonts m_fonts;
    int m_nScale = 0;
};
