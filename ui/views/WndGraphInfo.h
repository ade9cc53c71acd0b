// SPDX-License-Identifier: GPL-3.0-or-later
// CWndGraphInfo: the graph information window at the right of the graph area: the loaded
// day's clock adjustments, the scale selector (1054), the day selector (1003) with the
// opened record's days, and the day's totals in value boxes under a framed title. It loads
// the selected day into the converter and the graphs.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

#include "ui/views/GraphPainter.h"

class CWndGraph;
class QComboBox;
class QTableWidget;

class CWndGraphInfo : public QWidget {
    Q_OBJECT

public:
    static constexpr int kScaleSelectorId = 1054;
    static constexpr int kDaySelectorId = 1003;

    CWndGraphInfo(CWndGraph& graph, const GraphFonts& fonts, QWidget* parent = nullptr);

    // The opened record's days into the day selector (the store's selected day files), the
    // first one selected and loaded.
    void LoadDays();
    // Loads the day selected in the day selector; nothing happens while it is empty.
    void LoadDay();
    // Empties the adjustment rows, the day selector and the five texts.
    void Clear();

    // The paint of the window's own surface (the child controls are not in it).
    QImage Render() const;

    QTableWidget* AdjustList() const { return m_pAdjustList; }
    QComboBox* ScaleSelector() const { return m_pScaleSelector; }
    QComboBox* DaySelector() const { return m_pDaySelector; }

    std::string m_strDayDate;
    std::string m_strDayDistance;
    std::string m_strDayDrivingTime;
    std::string m_strDayMaxSpeed;
    std::string m_strDayMaxSpeedTime;
    std::uint8_t m_nScale = 0;

signals:
    // A day was loaded into the graphs (LoadDay).
    void DayLoaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetColumnTitles() const;
    void PlaceAdjustList();

    CWndGraph& m_graph;
    GraphFonts m_fonts;
    QTableWidget* m_pAdjustList = nullptr;
    QComboBox* m_pScaleSelector = nullptr;
    QComboBox* m_pDaySelector = nullptr;
};

// Selects the first item whose item data equals the value; item 0 when there is none and the
// list is not empty.
void SelectComboByData(QComboBox* combo, int value);
