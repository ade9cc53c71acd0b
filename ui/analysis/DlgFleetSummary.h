// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgFleetSummary: the driving analysis summed over the records the list shows (its
// filters applied), grouped by driver, vehicle, month, day or record: distance, driving time,
// events by kind, events per 100 km and rule violations. The table sorts by any column (numbers
// as numbers) and is saved as CSV in the order shown. The records are analysed once, on a
// worker thread, while a progress bar counts them; the dialog waits for the worker before it
// goes away.
#pragma once

#include <QDialog>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/analysis/RecordAnalysis.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class CDlgFleetSummary : public QDialog {
    Q_OBJECT

public:
    CDlgFleetSummary(std::vector<std::string> recordPaths, const std::string& profilePath,
                     QWidget* parent = nullptr);
    ~CDlgFleetSummary() override;

    bool IsAnalysing() const { return m_worker.joinable() && !m_bDone; }
    QComboBox* GroupChoice() const { return m_pGroup; }
    QTableWidget* Table() const { return m_pTable; }
    QLabel* Total() const { return m_pTotal; }
    QPushButton* ExportButton() const { return m_pExport; }
    QProgressBar* Progress() const { return m_pProgress; }

    // The rows by the group (the combo box follows).
    void ShowGroup(vantrel::analysis::GroupBy groupBy);
    // The table as shown (its order, its columns) as CSV: a heading line, then one line per
    // row, numbers without units. False with the reason when the file cannot be written.
    bool SaveCsv(const std::string& path, std::string* error) const;

signals:
    void AnalysisFinished();

private:
    void StartWorker(std::vector<std::string> recordPaths, std::string profilePath);
    void TakeResults(std::vector<vantrel::analysis::RecordAnalysis> records);
    void OnExport();

    std::vector<vantrel::analysis::RecordAnalysis> m_records;
    vantrel::analysis::GroupBy m_groupBy = vantrel::analysis::GroupBy::Driver;
    std::thread m_worker;
    std::atomic<bool> m_bStop{false};
    bool m_bDone = false;
    QComboBox* m_pGroup = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QTableWidget* m_pTable = nullptr;
    QLabel* m_pTotal = nullptr;
    QPushButton* m_pExport = nullptr;
};
