// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgExport: the CSV export of the checked records. A folder line with "..." for the output
// folder, a progress bar over the days of the record being written, a "%d / %d" record
// counter, and Start, Cancel and Close. Start hands the folder and the record list to a worker
// thread, which runs the core's CSV writer and reports progress and its result through
// blocking calls into the interface thread; the result is one of three messages.
//
// While the worker runs only Cancel is enabled, and neither Close, Escape nor the close box
// ends the dialog: the worker reports into it until its end. The dialog never goes away
// before the worker has ended.
//
// The export folder: an unusable or missing configured folder is replaced by the default
// below the documents folder for this opening only; the settings change only when the
// operator picks a folder with "...".
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>
#include <thread>

#include "core/export/CsvExport.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// A folder path from a picker as the settings keep it: one '/' appended unless it ends in
// one already (the root "/" keeps its single separator); empty stays empty.
QString FolderWithSeparator(const QString& path);

// Runs the folder picker titled "Select Folder" for any existing folder, opening at the start
// folder. OK is refused for a folder whose drive is unusable (a card reader without a card,
// an unanswering share). Returns the chosen folder with its separator, or an empty text when
// the picker was left without a choice.
QString BrowseForFolder(QWidget* owner, const QString& startFolder);

class CDlgExport : public QDialog {
    Q_OBJECT

public:
    explicit CDlgExport(QWidget* parent = nullptr);
    // Waits for a worker that still runs (it is told to stop at its next check).
    ~CDlgExport() override;

    // The record summary files, in the order of the list; appended before the dialog runs.
    void AddRecordPath(const QString& path) { m_aRecordPaths << path; }
    void SetRecordPaths(const QStringList& paths) { m_aRecordPaths = paths; }
    const QStringList& RecordPaths() const { return m_aRecordPaths; }

    // Button 1027: starts the worker with the folder line's text and the record list.
    void OnStart();
    // Button 1028: the worker stops before its next record or day.
    void OnCancel();
    // Button 1024: the folder picker; a chosen folder is shown and stored in the settings.
    void OnBrowse();
    // What OnBrowse does with the picker's folder (the tests call it directly).
    void TakeChosenFolder(const QString& folder);

    bool IsExporting() const { return m_bExporting; }
    // The code and text of the last result message (0 and empty before the first).
    int LastResultCode() const { return m_nLastResult; }
    const QString& LastResultText() const { return m_strLastResult; }
    // The last export's outcome as the core reported it.
    const vantrel::CsvExportResult& LastResult() const { return m_lastResult; }

    QLabel* FolderLabel() const { return m_pLabel; }
    QLineEdit* FolderLine() const { return m_pFolder; }
    QPushButton* BrowseButton() const { return m_pBrowse; }
    QProgressBar* Progress() const { return m_pProgress; }
    QLineEdit* Counter() const { return m_pCounter; }
    QPushButton* StartButton() const { return m_pStart; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QPushButton* CloseButton() const { return m_pClose; }

    // The text of the result message of a code; a failure names the file and the reason.
    static QString ResultMessage(const vantrel::CsvExportResult& result);

signals:
    // The result message was closed (after the worker's last report).
    void ExportFinished(int code);

public slots:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetExporting(bool exporting);
    void RunWorker(std::vector<std::string> records, std::string folder);
    // The worker's reports, run on the interface thread while the worker waits.
    void ShowRecord(std::uint32_t dayCount);
    void ShowDay(std::uint32_t dayPosition, int recordNumber, int recordCount);
    void ShowResult(const vantrel::CsvExportResult& result);
    void JoinWorker();

    QStringList m_aRecordPaths;
    std::atomic<int> m_nCancel{0};
    // Set by the destructor: the worker's reports then change nothing and show nothing.
    std::atomic<bool> m_bClosing{false};
    std::atomic<bool> m_bWorkerDone{true};
    bool m_bExporting = false;
    QString m_strBrowseStart;
    std::thread m_worker;
    int m_nLastResult = 0;
    QString m_strLastResult;
    vantrel::CsvExportResult m_lastResult;

    QLabel* m_pLabel = nullptr;           // 1029
    QLineEdit* m_pFolder = nullptr;       // 1023
    QPushButton* m_pBrowse = nullptr;     // 1024
    QProgressBar* m_pProgress = nullptr;  // 1026
    QLineEdit* m_pCounter = nullptr;      // 1025
    QPushButton* m_pStart = nullptr;      // 1027
    QPushButton* m_pCancel = nullptr;     // 1028
    QPushButton* m_pClose = nullptr;      // 1
};
