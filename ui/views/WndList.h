// SPDX-License-Identifier: GPL-3.0-or-later
// CWndList: the record list over the whole main panel in list mode. A table of the store's
// rows with check boxes, three filters (save month, vehicle, recorder) that refill the rows
// at once, Delete (not for a guest) and Export for the checked rows, and a double-click that
// opens a record. The rows are the store's own (a model over them, no item widgets), and
// columns are fitted from the first rows only, so a list of 100,000 records fills quickly.
#pragma once

#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

namespace vantrel {
class CMgrTachoDB;
}

class CRecordListModel;
class QComboBox;
class QPushButton;
class QTableView;

class CWndList : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFitSampleRows = 200;

    CWndList(vantrel::CMgrTachoDB& store, int userLevel, QWidget* parent = nullptr);

    // The filters from the store's entries (after RebuildFilterLists) and the rows.
    void RefillFilters();
    // The rows from the store as they are now (after FillRecordList or RefreshRecordList).
    void RefillRows();
    // Lets go of the store's rows while another thread changes them.
    void DetachRows();

    // Double-click on a row: selects its record in the store and asks for it to be opened;
    // a row outside the list is ignored.
    void OpenRow(int row);
    // Commands 1021 and 1022.
    void OnDelete();
    void OnExport();

    QTableView* Table() const { return m_pTable; }
    CRecordListModel* Model() const { return m_pModel; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QPushButton* ExportButton() const { return m_pExport; }
    QComboBox* Filter(int which) const { return m_pFilters[which]; }

signals:
    // The store selected the record: the frame opens it (driving information, days, scale 0,
    // record mode).
    void RecordOpened();
    // Records were deleted; selectionGone when the open one was among them.
    void RecordsDeleted(bool selectionGone);
    // The CSV export of these summary files (the export dialog's module takes it).
    void ExportRequested(const QStringList& recordPaths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnFilterChanged(int which, int index);
    void FitColumns();
    bool HaveChecked();

    vantrel::CMgrTachoDB& m_store;
    CRecordListModel* m_pModel = nullptr;
    QTableView* m_pTable = nullptr;    // 1002
    QPushButton* m_pDelete = nullptr;  // 1021
    QPushButton* m_pExport = nullptr;  // 1022
    QComboBox* m_pFilters[3] = {};     // 1031, 1032, 1033
    bool m_bFilling = false;
};
