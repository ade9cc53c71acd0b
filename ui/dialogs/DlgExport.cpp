// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/DlgExport.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include <utility>

#include "core/util/FolderUtil.h"
#include "ui/app/LangText.h"
#include "ui/app/VantrelApp.h"
#include "ui/controls/AppContext.h"
#include "ui/controls/PathDialog.h"

namespace {

// The dialog's layout in dialog units of an 8-point dialog font, turned into pixels.
QRect Units(int x, int y, int w, int h) {
    constexpr double kX = 1.5;
    constexpr double kY = 1.625;
    return {static_cast<int>(x * kX), static_cast<int>(y * kY), static_cast<int>(w * kX),
            static_cast<int>(h * kY)};
}

}  // namespace

QString FolderWithSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('/'))) {
        return path;
    }
    return path + QLatin1Char('/');
}

QString BrowseForFolder(QWidget* owner, const QString& startFolder) {
    CPathDialog picker(LangText("GUI", "SELECTFOLDER", "Select Folder"), owner, false);
    QTreeView* tree = picker.Tree();
    // The picker's own rule (an existing folder) is checked first; a folder on a drive that
    // cannot be used is then refused as well.
    QObject::connect(
        tree->selectionModel(), &QItemSelectionModel::currentChanged, &picker, [&picker] {
            const QString path = picker.PathLine()->text();
            if (!path.isEmpty() && vantrel::IsFolderUnusable(path.toStdString(), true)) {
                picker.PathLine()->clear();
                picker.OkButton()->setEnabled(false);
            }
        });
    if (!startFolder.isEmpty()) {
        QString start = startFolder;
        while (start.size() > 1 && start.endsWith(QLatin1Char('/'))) {
            start.chop(1);
        }
        picker.SelectPath(start);
    }
    if (picker.DoModal() != 1) {
        return {};
    }
    const QString path = picker.GetPathName();
    if (path.isEmpty() || vantrel::IsFolderUnusable(path.toStdString(), true)) {
        return {};
    }
    return FolderWithSeparator(path);
}

CDlgExport::CDlgExport(QWidget* parent) : QDialog(parent) {
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(Units(0, 0, 225, 76).size());
    setWindowTitle(LangText("GUI", "EXPORTCSV", "Export to CSV"));

    m_pLabel = new QLabel(LangText("GUI", "SELECTFOLDER", "Select Folder"), this);
    m_pLabel->setGeometry(Units(7, 7, 176, 8));
    m_pFolder = new QLineEdit(this);
    m_pFolder->setReadOnly(true);
    m_pFolder->setGeometry(Units(7, 18, 184, 13));
    m_pBrowse = new QPushButton(QStringLiteral("..."), this);
    m_pBrowse->setGeometry(Units(194, 17, 23, 14));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setGeometry(Units(7, 37, 171, 13));
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pCounter = new QLineEdit(this);
    m_pCounter->setReadOnly(true);
    m_pCounter->setAlignment(Qt::AlignCenter);
    m_pCounter->setGeometry(Units(182, 36, 35, 14));
    m_pStart = new QPushButton(LangText("GUI", "START", "Start"), this);
    m_pStart->setGeometry(Units(7, 55, 50, 14));
    m_pCancel = new QPushButton(LangText("GUI", "CANCEL", "Cancel"), this);
    m_pCancel->setGeometry(Units(60, 55, 50, 14));
    m_pClose = new QPushButton(LangText("GUI", "CLOSE", "Close"), this);
    m_pClose->setGeometry(Units(168, 55, 50, 14));
    m_pClose->setDefault(true);

    connect(m_pBrowse, &QPushButton::clicked, this, &CDlgExport::OnBrowse);
    connect(m_pStart, &QPushButton::clicked, this, &CDlgExport::OnStart);
    connect(m_pCancel, &QPushButton::clicked, this, &CDlgExport::OnCancel);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);

    m_pCancel->setEnabled(false);

    // An unusable configured folder is replaced for this opening only: the settings keep the
    // operator's folder (a card reader may simply be empty now) until a folder is picked.
    std::string folder;
    if (const CVantrelApp* app = GetVantrelApp()) {
        folder = app->m_settings.m_strExportFolder;
        if (vantrel::IsFolderUnusable(folder, false)) {
            folder = app->m_settings.Environment().DefaultExportFolder();
            if (!folder.empty()) {
                vantrel::CreateFolderPath(folder);
            }
        }
    }
    m_pFolder->setText(QString::fromStdString(folder));
}

CDlgExport::~CDlgExport() {
    m_bClosing = true;
    m_nCancel = 1;
    // The worker may be waiting for a report to be taken: keep taking them until it ends.
    while (!m_bWorkerDone.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    JoinWorker();
}

void CDlgExport::JoinWorker() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CDlgExport::SetExporting(bool exporting) {
    m_bExporting = exporting;
    m_pCancel->setEnabled(exporting);
    m_pBrowse->setEnabled(!exporting);
    m_pStart->setEnabled(!exporting);
    m_pClose->setEnabled(!exporting);
}

void CDlgExport::OnStart() {
    if (m_bExporting) {
        return;
    }
    JoinWorker();  // the previous worker has sent its result and is ending
    std::vector<std::string> records;
    records.reserve(static_cast<std::size_t>(m_aRecordPaths.size()));
    for (const QString& path : m_aRecordPaths) {
        records.push_back(path.toStdString());
    }
    std::string folder = m_pFolder->text().toStdString();
    if (folder.empty()) {
        // No folder at all (no documents folder to default to): a file name alone would land
        // in the working folder, so nothing is written.
        vantrel::CsvExportResult result;
        result.code = vantrel::kExportFailed;
        m_bExporting = true;
        ShowResult(result);
        return;
    }
    m_nCancel = 0;
    SetExporting(true);
    m_bWorkerDone = false;
    m_worker = std::thread(&CDlgExport::RunWorker, this, std::move(records), std::move(folder));
}

void CDlgExport::OnCancel() {
    m_nCancel = 1;
}

void CDlgExport::OnBrowse() {
    m_strBrowseStart = m_pFolder->text();
    const QString folder = BrowseForFolder(this, m_strBrowseStart);
    if (!folder.isEmpty()) {
        TakeChosenFolder(folder);
    }
}

void CDlgExport::TakeChosenFolder(const QString& folder) {
    const QString text = FolderWithSeparator(folder);
    if (text.isEmpty()) {
        return;
    }
    m_pFolder->setText(text);
    if (CVantrelApp* app = GetVantrelApp()) {
        app->m_settings.m_strExportFolder = text.toStdString();
    }
}

// Worker thread: everything it shows goes through blocking calls into the interface thread.
void CDlgExport::RunWorker(std::vector<std::string> records, std::string folder) {
    vantrel::CsvExportCallbacks callbacks;
    callbacks.onRecord = [this](int, int, std::uint32_t dayCount) {
        QMetaObject::invokeMethod(
            this, [this, dayCount] { ShowRecord(dayCount); }, Qt::BlockingQueuedConnection);
    };
    callbacks.onDay = [this](std::uint32_t dayPosition, int recordNumber, int recordCount) {
        QMetaObject::invokeMethod(
            this, [=, this] { ShowDay(dayPosition, recordNumber, recordCount); },
            Qt::BlockingQueuedConnection);
    };
    const vantrel::CsvExportResult result =
        vantrel::ExportRecordsToCsv(records, folder, m_nCancel, callbacks);
    QMetaObject::invokeMethod(
        this, [this, &result] { ShowResult(result); }, Qt::BlockingQueuedConnection);
    m_bWorkerDone = true;
}

void CDlgExport::ShowRecord(std::uint32_t dayCount) {
    if (m_bClosing) {
        return;
    }
    // A range of 0 ... 0 would make the bar a busy indicator: a record without days shows an
    // empty bar of one step instead.
    const int days = static_cast<int>(dayCount & 0xFFFFU);
    m_pProgress->setRange(0, days > 0 ? days : 1);
    m_pProgress->setValue(0);
}

void CDlgExport::ShowDay(std::uint32_t dayPosition, int recordNumber, int recordCount) {
    if (m_bClosing) {
        return;
    }
    m_pProgress->setValue(static_cast<int>(dayPosition));
    m_pCounter->setText(QStringLiteral("%1 / %2").arg(recordNumber).arg(recordCount));
}

QString CDlgExport::ResultMessage(const vantrel::CsvExportResult& result) {
    QString text = QString::fromStdString(vantrel::ExportResultText(result.code));
    if (result.code == vantrel::kExportFailed && !result.failedFile.empty()) {
        text += QLatin1Char('\n') + QString::fromStdString(result.failedFile);
        if (!result.failure.empty()) {
            text +=
                QStringLiteral(" (") + QString::fromStdString(result.failure) + QLatin1Char(')');
        }
    }
    return text;
}

void CDlgExport::ShowResult(const vantrel::CsvExportResult& result) {
    if (m_bClosing) {
        return;
    }
    m_lastResult = result;
    m_pProgress->setValue(0);
    m_pCounter->clear();
    m_nLastResult = result.code;
    m_strLastResult = ResultMessage(result);
    // The buttons come back before the message, as they do at the end of every export; the
    // dialog still cannot close until the message is taken, since the worker waits for it.
    m_pCancel->setEnabled(false);
    m_pBrowse->setEnabled(true);
    m_pStart->setEnabled(true);
    m_pClose->setEnabled(true);
    QMessageBox box(QMessageBox::NoIcon, LangText("GUI", "EXPORTCSV", "Export to CSV"),
                    m_strLastResult, QMessageBox::Ok, this);
    box.exec();
    m_bExporting = false;
    emit ExportFinished(result.code);
}

void CDlgExport::done(int result) {
    if (m_bExporting) {
        return;  // Close, Escape and the close box wait for the worker's end
    }
    QDialog::done(result);
}

void CDlgExport::closeEvent(QCloseEvent* event) {
    if (m_bExporting) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
