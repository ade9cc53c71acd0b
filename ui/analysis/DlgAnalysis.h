// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgAnalysis: the driving analysis of the open record for the day the graphs show. The
// vehicle's class (which chooses the thresholds of the profile file) can be changed here and
// is stored for the vehicle; a table lists the day's dangerous-driving events and driving-rule
// violations by start, and a click on a row asks for the graph cursor at its start; the frame
// shows the day the graphs load while the window is open. The whole
// record is analysed (a rule's driving carries across midnight), the daily limit over the
// record's own days.
#pragma once

#include <QDialog>

#include <string>

#include "core/analysis/AnalysisProfile.h"
#include "core/analysis/RecordAnalysis.h"

class QComboBox;
class QLabel;
class QTableWidget;

class CDlgAnalysis : public QDialog {
    Q_OBJECT

public:
    // day: the graphs' day as YYYYMMDD (the record's first day when it is not one of its own);
    // profilePath: the profile file, empty for the built-in defaults.
    CDlgAnalysis(const std::string& recordPath, const std::string& day,
                 const std::string& profilePath, QWidget* parent = nullptr);

    const vantrel::analysis::RecordAnalysis& Analysis() const { return m_analysis; }
    const std::string& Day() const { return m_strDay; }
    QComboBox* ClassChoice() const { return m_pClass; }
    QLabel* Summary() const { return m_pSummary; }
    QTableWidget* Table() const { return m_pTable; }

    // Shows another day of the record (YYYYMMDD); a day the record does not hold is ignored.
    void ShowDay(const std::string& day);
    // The class chosen: stored for the vehicle, the record analysed again with it.
    void ChooseClass(vantrel::analysis::VehicleClass vehicleClass);
    // A row's start as a half-second of the day (0..172,799); -1 for no such row.
    int RowHalfSecond(int row) const;

signals:
    // The graph cursor to a half-second of the shown day.
    void CursorRequested(int halfSecondOfDay);

private:
    void Analyse(std::optional<vantrel::analysis::VehicleClass> forced);
    void Fill();
    const vantrel::analysis::AnalysedDay* ShownDay() const;

    std::string m_strRecord;
    std::string m_strDay;
    vantrel::analysis::ProfileFile m_profiles;
    vantrel::analysis::RecordAnalysis m_analysis;
    QLabel* m_pHeader = nullptr;
    QComboBox* m_pClass = nullptr;
    QLabel* m_pSummary = nullptr;
    QTableWidget* m_pTable = nullptr;
    QLabel* m_pNote = nullptr;
};
