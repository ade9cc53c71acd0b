// SPDX-License-Identifier: GPL-3.0-or-later
// CPanelMain: the grey area below the tool strip. In record mode it shows the driving
// information strip (0, 1 to W, 135), the graph area (0, 136 to W, 620) and the status strip
// (0, 620 to W, 641); in list mode the record list over the whole panel. The graph area and
// the record list are widgets of their own modules, dropped in with SetGraphArea and
// SetRecordList; until then the panel keeps empty places of the same size.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>

class CPanelToolMenu;
class CWndDrivingInfo;
class CWndStatus;

class CPanelMain : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 641;
    static constexpr int kInfoTop = 1;
    static constexpr int kInfoBottom = 135;
    static constexpr int kGraphTop = 136;
    static constexpr int kGraphBottom = 620;
    static constexpr int kStatusBottom = 641;

    // The tool menu takes part in the mode switch; it may be null (a panel on its own).
    CPanelMain(int userLevel, CPanelToolMenu* toolMenu, QWidget* parent = nullptr);

    // Command 1001: record mode <-> list mode, tool strip included.
    void ToggleListMode();
    bool IsListMode() const { return m_bListMode; }
    // Empties the driving information and tells the graph area to forget its day
    // (ViewsCleared); the imports call it before they load new data.
    void ClearViews();
    // The scale selector's choice (0 to 4); the graphs follow it through ScaleApplied.
    void ApplyScale(int scale);

    // Takes the widget into the panel at its place and shows it by the mode. The widget that
    // held the place before is deleted.
    void SetGraphArea(QWidget* graphArea);
    void SetRecordList(QWidget* recordList);

    CWndDrivingInfo* DrivingInfo() const { return m_pDrivingInfo; }
    CWndStatus* Status() const { return m_pStatus; }
    QWidget* GraphArea() const { return m_pGraphArea; }
    QWidget* RecordList() const { return m_pRecordList; }

    static QRect DrivingInfoRect(int width) { return {0, kInfoTop, width, kInfoBottom - kInfoTop}; }
    static QRect GraphRect(int width) { return {0, kGraphTop, width, kGraphBottom - kGraphTop}; }
    static QRect StatusRect(int width) {
        return {0, kGraphBottom, width, kStatusBottom - kGraphBottom};
    }

    // The graph time scale, 0 (24 hours) to 4 (4 minutes).
    std::uint8_t m_nScale = 0;

signals:
    // The graph area clears its graph information and the graphs their has-data flags.
    void ViewsCleared();
    // After a mode switch and after ApplyScale: the graphs and the scale selector take the
    // scale and repaint.
    void ScaleApplied(int scale);
    void ListModeChanged(bool listMode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceChildren();
    void ShowByMode();
    QWidget* ReplaceChild(QWidget* old, QWidget* replacement);

    QPointer<CPanelToolMenu> m_pToolMenu;
    bool m_bListMode = false;
    QWidget* m_pRecordList = nullptr;
    CWndDrivingInfo* m_pDrivingInfo = nullptr;
    QWidget* m_pGraphArea = nullptr;
    CWndStatus* m_pStatus = nullptr;
};
