// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/MainFrame.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>

#include <cstdint>
#include <cstdio>
#include <thread>

#include "core/Version.h"
#include "core/store/MgrTachoDB.h"
#include "device/DeviceLink.h"
#include "ui/analysis/DlgAnalysis.h"
#include "ui/analysis/DlgFleetSummary.h"
#include "ui/app/LangText.h"
#include "ui/controls/AppContext.h"
#include "ui/controls/PathDialog.h"
#include "ui/dialogs/DlgAccount.h"
#include "ui/dialogs/DlgExport.h"
#include "ui/dialogs/DlgFormatSD.h"
#include "ui/dialogs/DlgSetting.h"
#include "ui/frame/PanelMain.h"
#include "ui/frame/PanelToolMenu.h"
#include "ui/frame/WndProgress.h"
#include "ui/frame/WndStatus.h"
#include "ui/print/DlgPrint.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/RecordListModel.h"
#include "ui/views/WndGraph.h"
#include "ui/views/WndGraphInfo.h"
#include "ui/views/WndList.h"

namespace {

CMainFrame* g_pMainFrame = nullptr;

// A message box lists at most this many files; the rest are counted.
constexpr int kMaxListedFiles = 15;

QString MessageWithFiles(const vantrel::UserMessage& message) {
    QString text = QString::fromStdString(message.text);
    const int count = static_cast<int>(message.files.size());
    for (int i = 0; i < count && i < kMaxListedFiles; ++i) {
        text += QLatin1Char('\n') + QString::fromStdString(message.files[static_cast<size_t>(i)]);
    }
    if (count > kMaxListedFiles) {
        text += QStringLiteral("\n(+%1)").arg(count - kMaxListedFiles);
    }
    return text;
}

}  // namespace

CMainFrame* GetMainFrame() {
    return g_pMainFrame;
}

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    g_pMainFrame = this;
    // Destroyed when closed, so what it owns is released before the settings are saved.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(WindowTitle());

    m_pClient = new QWidget(this);
    setCentralWidget(m_pClient);

    const int userLevel = vantrel::ui::UserLevel();
    m_pToolMenu = new CPanelToolMenu(userLevel, m_pClient);
    m_pToolMenu->setGeometry(0, 0, kClientWidth, kToolStripHeight);
    m_pPanelMain = new CPanelMain(userLevel, m_pToolMenu, m_pClient);
    m_pPanelMain->setGeometry(0, kToolStripHeight, kClientWidth, kClientHeight - kToolStripHeight);
    m_pStore = std::make_unique<vantrel::CMgrTachoDB>(vantrel::ui::BackupFolder());
    m_pStore->SetUserName(vantrel::ui::UserName().toStdString());
    m_pProgress = new CWndProgress(m_pClient);
    m_pProgress->setGeometry(CWndProgress::CentredRect({kClientWidth, kClientHeight}));
    m_pProgress->hide();

    connect(m_pToolMenu, &CPanelToolMenu::Command, this, &CMainFrame::OnCommand);
    connect(m_pPanelMain->Status(), &CWndStatus::FormatRequested, this,
            [this] { OnCommand(CWndStatus::kFormatButtonId); });
    connect(m_pPanelMain->DrivingInfo(), &CWndDrivingInfo::DrivingAreaSaved, this, [this] {
        m_pStore->RefreshRecordList();
        emit RecordsChanged();
    });
    // Print: the page dialog over the graph area and driving information as they are now.
    connect(this, &CMainFrame::PrintRequested, this, [this] {
        if (m_pGraph) {
            CDlgPrint dialog(*m_pGraph, *m_pPanelMain->DrivingInfo(), AppPrinter(), this);
            dialog.exec();
        }
    });
    WireGraphArea();
    WireRecordList(userLevel);
    connect(this, &CMainFrame::SettingsRequested, this, [this] {
        CDlgSetting dialog(this);
        // "Initialize SD Card" runs the card preparation dialog on the checked drive.
        dialog.SetFormatSdHandler([](QWidget* owner, const QString& mountPoint) {
            if (RunFormatSdDialog(owner, mountPoint)) {
                CDlgSetting::ReportSdInitialized(owner);
            }
        });
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        // The new backup folder serves the next scan or import.
        m_pStore->SetBackupFolder(vantrel::ui::BackupFolder());
        if (dialog.LanguageChanged()) {
            // The filter entries and the rows carry texts of the language.
            if (!m_pStore->GetBackupFolder().empty()) {
                m_pStore->RebuildFilterLists();
                m_pStore->RefreshRecordList();
            }
            if (m_pList != nullptr) {
                m_pList->RefillFilters();
            }
            // Every window re-reads its captions when it paints: repaint them all (the
            // panel's children are not repainted by the panel's own update).
            m_pToolMenu->update();
            m_pPanelMain->update();
            for (QWidget* child : m_pPanelMain->findChildren<QWidget*>()) {
                child->update();
            }
        }
    });
    // Without the device-link library the program runs on; "Read Device" is then not offered.
    SetDeviceBound(m_binding.Bind());
    LoadRecordLists();
    m_pList->RefillFilters();

    // Every position inside is a fixed pixel value, so the client area never changes size.
    setFixedSize(kClientWidth, kClientHeight);
    CenterOnDesktop();
    setFocusPolicy(Qt::StrongFocus);
}

CMainFrame::~CMainFrame() {
    // The views draw from the store: they go before it does.
    delete m_pClient;
    m_pClient = nullptr;
    if (g_pMainFrame == this) {
        g_pMainFrame = nullptr;
    }
}

CWndGraph* CMainFrame::Graph() const {
    return m_pGraph.data();
}

QString CMainFrame::WindowTitle() {
    return QStringLiteral("Korvu Vantrel ( Ver. %1 )")
        .arg(QString::fromStdString(vantrel::VersionString()));
}

void CMainFrame::CenterOnDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

// The filters are rebuilt from one scan and the rows filled from it; without a backup folder
// nothing is scanned (never the working folder).
void CMainFrame::LoadRecordLists() {
    if (m_pStore->GetBackupFolder().empty()) {
        return;
    }
    m_pStore->RebuildFilterLists();
    m_pStore->FillRecordList();
}

// The graph area draws the store's loaded day; it follows the panel's scale and clearing,
// the frame's step keys, and paints the status strip's readout.
void CMainFrame::WireGraphArea() {
    m_pGraph = new CWndGraph(m_pStore->m_converter, *m_pStore);
    m_pPanelMain->SetGraphArea(m_pGraph);
    CWndStatus* status = m_pPanelMain->Status();
    connect(m_pPanelMain, &CPanelMain::ViewsCleared, m_pGraph, &CWndGraph::ClearViews);
    connect(m_pPanelMain, &CPanelMain::ScaleApplied, m_pGraph, &CWndGraph::ShowScale);
    connect(m_pGraph, &CWndGraph::ScaleChanged, m_pPanelMain,
            [this](int scale) { m_pPanelMain->m_nScale = static_cast<std::uint8_t>(scale); });
    connect(this, &CMainFrame::GraphStep, m_pGraph, &CWndGraph::GraphStep);
    connect(m_pGraph, &CWndGraph::StatusRepaintRequested, status, [status] { status->update(); });
    CWndGraph* graph = m_pGraph;
    status->SetPainter(
        [graph](QPainter& painter, const QSize& size) { graph->PaintReadout(painter, size); });
}

void CMainFrame::WireRecordList(int userLevel) {
    m_pList = new CWndList(*m_pStore, userLevel);
    m_pPanelMain->SetRecordList(m_pList);
    connect(m_pList, &CWndList::RecordOpened, this, &CMainFrame::OpenSelectedRecord);
    // The open record was deleted: its views go (the store forgot the selection).
    connect(m_pList, &CWndList::RecordsDeleted, this, [this](bool selectionGone) {
        if (selectionGone) {
            m_pPanelMain->ClearViews();
        }
    });
    connect(m_pList, &CWndList::ExportRequested, this, &CMainFrame::ExportRequested);
    connect(this, &CMainFrame::ExportRequested, this, [this](const QStringList& recordPaths) {
        CDlgExport dialog(this);
        dialog.SetRecordPaths(recordPaths);
        dialog.exec();
    });
    connect(this, &CMainFrame::RecordsChanged, m_pList, &CWndList::RefillFilters);
}

void CMainFrame::BindDeviceLibrary(const std::string& library) {
    SetDeviceBound(m_binding.Bind(library));
}

void CMainFrame::SetDeviceBound(bool bound) {
    m_pToolMenu->SetDeviceBound(bound);
}

bool CMainFrame::IsDeviceBound() const {
    return m_pToolMenu->IsDeviceBound();
}

void CMainFrame::OnCommand(int id) {
    if (m_bImporting) {
        return;
    }
    switch (id) {
        case CPanelToolMenu::kCmdReadSdCard:
            ReadSdCard();
            break;
        case CPanelToolMenu::kCmdReadDevice:
            ReadDevice();
            break;
        case CPanelToolMenu::kCmdToggleList:
            m_pPanelMain->ToggleListMode();
            break;
        case CPanelToolMenu::kCmdPrint:
            emit PrintRequested();
            break;
        case CPanelToolMenu::kCmdAccounts:
            RunAccounts();
            break;
        case CPanelToolMenu::kCmdSettings:
            emit SettingsRequested();
            break;
        case CPanelToolMenu::kCmdAnalysis:
            OpenAnalysis();
            break;
        case CPanelToolMenu::kCmdFleetSummary:
            OpenFleetSummary();
            break;
        case CWndStatus::kFormatButtonId:
            emit FormatDeviceRequested();
            break;
        case kCmdGraphBack:
            emit GraphStep(-1);
            break;
        case kCmdGraphForward:
            emit GraphStep(1);
            break;
        default:
            break;
    }
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Left) {
            OnCommand(kCmdGraphBack);
            return;
        }
        if (event->key() == Qt::Key_Right) {
            OnCommand(kCmdGraphForward);
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // An import writes into the backup folder until it ends; the window waits for it.
    if (m_bImporting) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

CDlgAnalysis* CMainFrame::AnalysisWindow() const {
    return m_pAnalysis;
}

CDlgFleetSummary* CMainFrame::FleetSummaryWindow() const {
    return m_pFleetSummary;
}

void CMainFrame::OpenAnalysis() {
    const std::string record = m_pStore->GetSelectedRecord();
    CWndGraph* graph = Graph();
    if (record.empty() || graph == nullptr) {
        return;
    }
    delete m_pAnalysis;  // the one of an earlier record
    const auto dateOfGraph = [graph] {
        const vantrel::SystemTime& day = graph->m_view.m_stDay;
        char date[16];
        std::snprintf(date, sizeof date, "%04u%02u%02u", day.wYear, day.wMonth, day.wDay);
        return std::string(date);
    };
    m_pAnalysis = new CDlgAnalysis(record, dateOfGraph(), vantrel::ui::AnalysisProfilePath(), this);
    m_pAnalysis->setAttribute(Qt::WA_DeleteOnClose);
    // The window follows the day chosen in the graphs.
    connect(graph->m_wndInfo, &CWndGraphInfo::DayLoaded, m_pAnalysis,
            [this, dateOfGraph] { m_pAnalysis->ShowDay(dateOfGraph()); });
    connect(m_pAnalysis, &CDlgAnalysis::CursorRequested, this, [this](int halfSecond) {
        if (CWndGraph* shown = Graph()) {
            shown->MoveCursorToHalfSecond(halfSecond);
        }
    });
    m_pAnalysis->show();
    m_pAnalysis->activateWindow();
}

void CMainFrame::OpenFleetSummary() {
    if (m_pFleetSummary != nullptr) {
        m_pFleetSummary->raise();
        m_pFleetSummary->activateWindow();
        return;
    }
    if (m_pList == nullptr) {
        return;
    }
    std::vector<std::string> records;
    const CRecordListModel* model = m_pList->Model();
    for (int row = 0; row < model->rowCount(); ++row) {
        records.push_back(model->PathOfRow(row));
    }
    m_pFleetSummary =
        new CDlgFleetSummary(std::move(records), vantrel::ui::AnalysisProfilePath(), this);
    m_pFleetSummary->setAttribute(Qt::WA_DeleteOnClose);
    m_pFleetSummary->show();
    m_pFleetSummary->activateWindow();
}

void CMainFrame::RunAccounts() {
    CDlgAccount dialog(vantrel::ui::AccountIniPath(), this);
    dialog.exec();
}

void CMainFrame::ReadSdCard() {
    CPathDialog picker(LangText("GUI", "SELECTSDDRIVE", "Select SD Card Drive"), this);
    if (picker.DoModal() != 1) {
        return;
    }
    ImportSdCard(picker.GetPathName());
}

vantrel::ImportResult CMainFrame::ImportSdCard(const QString& root) {
    const std::string path = root.toStdString();
    return RunImport([this, path](const vantrel::ImportProgress& progress) {
        return m_pStore->ImportFromSdCard(path, progress);
    });
}

void CMainFrame::ReadDevice() {
    if (!m_binding.IsBound()) {
        return;
    }
    QMessageBox ask(QMessageBox::Question, LangText("GUI", "VIEWERNAME", "Korvu Vantrel"),
                    LangText("MESSAGE", "WANTREADUSB", "Do you want to Read from USB Device?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (ask.exec() != QMessageBox::Yes) {
        return;
    }
    ImportDevice();
}

vantrel::ImportResult CMainFrame::ImportDevice() {
    vantrel::CDeviceLink link(m_binding.Functions(), m_pStore->GetBackupFolder());
    return RunImport([this, &link](const vantrel::ImportProgress& progress) {
        return m_pStore->ImportFromDevice(link.Download(), progress);
    });
}

vantrel::ImportResult CMainFrame::RunImport(const ImportWork& work) {
    m_pPanelMain->ClearViews();
    m_bImporting = true;
    m_pToolMenu->setEnabled(false);
    m_pPanelMain->setEnabled(false);
    m_pProgress->SetRange(0, 100);
    m_pProgress->SetPos(0);
    m_pProgress->show();
    m_pProgress->raise();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The worker rebuilds the store's rows; the list lets go of them until it ends.
    m_pList->DetachRows();

    // The store is left alone by this thread while the worker imports; progress and the end
    // come back as queued calls, so the window keeps repainting.
    vantrel::ImportResult result;
    QEventLoop loop;
    CWndProgress* progress = m_pProgress;
    std::thread worker([&] {
        result = work([progress](int percent) {
            QMetaObject::invokeMethod(
                progress, [progress, percent] { progress->SetPos(percent); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    QGuiApplication::restoreOverrideCursor();
    m_pProgress->hide();
    m_pToolMenu->setEnabled(true);
    m_pPanelMain->setEnabled(true);
    m_bImporting = false;
    emit RecordsChanged();
    ShowImportMessages(result);
    return result;
}

void CMainFrame::ShowImportMessages(const vantrel::ImportResult& result) {
    for (const vantrel::UserMessage& message : result.messages) {
        QMessageBox box(QMessageBox::Information, LangText("GUI", "VIEWERNAME", "Korvu Vantrel"),
                        MessageWithFiles(message), QMessageBox::Ok, this);
        box.exec();
    }
}

void CMainFrame::OpenSelectedRecord() {
    // An analysis window belongs to the record it was opened for.
    if (m_pAnalysis != nullptr) {
        m_pAnalysis->close();
    }
    m_pPanelMain->DrivingInfo()->LoadRecord(m_pStore->GetSelectedRecord());
    m_pPanelMain->m_nScale = 0;
    if (m_pGraph != nullptr) {
        m_pGraph->m_wndInfo->LoadDays();
        m_pGraph->ApplyScale(0);
    }
    if (m_pPanelMain->IsListMode()) {
        m_pPanelMain->ToggleListMode();
    }
}
