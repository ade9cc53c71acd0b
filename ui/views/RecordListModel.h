// SPDX-License-Identifier: GPL-3.0-or-later
// The record list's model: the store's rows as they stand (no copy), 18 columns, column 0 the
// operator's check box. The checks are kept by the model, one per row, and start cleared at
// every refill.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <string>
#include <vector>

#include "core/store/RecordList.h"

class CRecordListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CRecordListModel(QObject* parent = nullptr);

    // Shows these rows (the store's, which must stay alive and unchanged until the next
    // SetRows) with every check cleared.
    void SetRows(const std::vector<vantrel::RecordRow>* rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The column titles from the language file; a language change shows at the next call.
    void RefreshTitles();

    // The summary paths of the checked rows, in row order.
    std::vector<std::string> CheckedPaths() const;
    std::string PathOfRow(int row) const;
    void SetChecked(int row, bool checked);

private:
    const std::vector<vantrel::RecordRow>* m_pRows = nullptr;
    std::vector<char> m_aChecked;
    QStringList m_titles;
};
