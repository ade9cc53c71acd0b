// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a fixed-size frame whose client area is 1200 x 691 pixels, titled with the
// program's version. The tool strip takes the top 50 pixels and the main panel the rest; the
// progress window sits centred above both while an import runs. The frame owns the record
// store, handles the tool strip's commands and turns the Left and Right keys into graph
// steps. Every window reaches the frame through GetMainFrame().
//
// The arrow keys: a focused text field or table keeps its own Left and Right (they move the
// text cursor or the current cell); the keys reach the frame, and move the graph, whenever the
// focused widget does not use them (the tool buttons never take the focus).
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

#include "core/store/ImportResult.h"
#include "device/PlumexBinding.h"

namespace vantrel {
class CMgrTachoDB;
}

class CDlgAnalysis;
class CDlgFleetSummary;
class CPanelMain;
class CWndGraph;
class CWndList;
class CPanelToolMenu;
class CWndProgress;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 1200;
    static constexpr int kClientHeight = 691;
    static constexpr int kToolStripHeight = 50;
    // The accelerators' commands.
    static constexpr int kCmdGraphBack = 32771;
    static constexpr int kCmdGraphForward = 32772;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // "Korvu Vantrel ( Ver. major.minor.patch.tweak )".
    static QString WindowTitle();

    // The client area that holds the tool strip (0, 0 to W, 50) and the main panel
    // (0, 50 to W, H).
    QWidget* ClientArea() const { return m_pClient; }
    CPanelToolMenu* ToolMenu() const { return m_pToolMenu; }
    CPanelMain* PanelMain() const { return m_pPanelMain; }
    CWndProgress* Progress() const { return m_pProgress; }
    vantrel::CMgrTachoDB& Store() const { return *m_pStore; }
    CWndGraph* Graph() const;
    CWndList* RecordList() const { return m_pList; }
    // The open analysis windows; null while none is open.
    CDlgAnalysis* AnalysisWindow() const;
    CDlgFleetSummary* FleetSummaryWindow() const;

    // Runs a command of the tool strip, the status strip or the accelerators.
    void OnCommand(int id);

    // "Read Device" is offered only while the device-link library is bound (at creation:
    // VANTREL_PLUMEX or libPlumex.so). BindDeviceLibrary binds exactly that file instead.
    void BindDeviceLibrary(const std::string& library);
    void SetDeviceBound(bool bound);
    bool IsDeviceBound() const;

    // The SD card import of the chosen root, off the interface thread: the window repaints and
    // the progress moves, but takes no input until it ends; then the import's messages are
    // shown and the record list refills (RecordsChanged). Returns the import's result.
    vantrel::ImportResult ImportSdCard(const QString& root);
    bool IsImporting() const { return m_bImporting; }
    // The device import (download over the bound library, then conversion), run the same way;
    // ReadDevice (command 1044) asks the operator first.
    vantrel::ImportResult ImportDevice();

    // Opens the store's selected record (the record list's double-click): its driving
    // information, its days in the graph area with the first one loaded, scale 0, record mode.
    void OpenSelectedRecord();

signals:
    // 32771 (-1) and 32772 (+1): the graph area moves its cursor by one column.
    void GraphStep(int delta);
    // Commands whose windows belong to other modules.
    void PrintRequested();         // 1010
    void SettingsRequested();      // 1035
    void FormatDeviceRequested();  // 1045
    // Export of the checked records (the CSV export dialog's module takes it).
    void ExportRequested(const QStringList& recordPaths);
    // The store's rows changed (an import, a saved driving area): the record list refills.
    void RecordsChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CenterOnDesktop();
    void ReadSdCard();
    void ReadDevice();
    using ImportWork = std::function<vantrel::ImportResult(const vantrel::ImportProgress&)>;
    vantrel::ImportResult RunImport(const ImportWork& work);
    void RunAccounts();
    // The driving analysis of the open record (record view) and the fleet summary of the
    // listed records (list); modeless, one of each at a time.
    void OpenAnalysis();
    void OpenFleetSummary();
    void ShowImportMessages(const vantrel::ImportResult& result);
    void LoadRecordLists();
    void WireGraphArea();
    void WireRecordList(int userLevel);

    QWidget* m_pClient = nullptr;
    CPanelToolMenu* m_pToolMenu = nullptr;
    CPanelMain* m_pPanelMain = nullptr;
    CWndProgress* m_pProgress = nullptr;
    QPointer<CWndGraph> m_pGraph;
    CWndList* m_pList = nullptr;  // gone when another widget takes the graph's place
    QPointer<CDlgAnalysis> m_pAnalysis;
    QPointer<CDlgFleetSummary> m_pFleetSummary;
    std::unique_ptr<vantrel::CMgrTachoDB> m_pStore;
    vantrel::PlumexBinding m_binding;
    bool m_bImporting = false;
};

// The one main frame; null before it is constructed and after it is destroyed.
CMainFrame* GetMainFrame();
