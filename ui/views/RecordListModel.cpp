// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/views/RecordListModel.h"

#include <array>

#include "ui/app/LangText.h"

namespace {

struct Title {
    const char* key;
    const char* text;
};

const std::array<Title, vantrel::kRecordColumnCount> kTitles = {{
    {nullptr, ""},
    {"SAVEUSERNAME", "Save User Name"},
    {"SAVETIME", "Save Time"},
    {"DRID", "DR ID"},
    {"DRIVERNAME", "Driver Name"},
    {"VEHICLENO", "Vehicle No"},
    {"RECORDSTARTTIME", "Record Start Time"},
    {"RECORDSTOPTIME", "Record Stop Time"},
    {"DRIVINGDISTANCE", "Driving Distance"},
    {"DRIVINGTIME", "Driving Time"},
    {"MAXCONTDRIVINGTIME", "Max Continue Driving Time"},
    {"MAXSPEED", "Max Speed"},
    {"MAXSPEEDTIME", "Max Speed Time"},
    {"DRIVINGAREA", "Driving Area"},
    {"ADJTIMEINFO", "Adjust Time Information"},
    {"READTYPE", "Read Type"},
    {nullptr, ""},
    {nullptr, ""},
}};

}  // namespace

CRecordListModel::CRecordListModel(QObject* parent) : QAbstractTableModel(parent) {
    RefreshTitles();
}

void CRecordListModel::SetRows(const std::vector<vantrel::RecordRow>* rows) {
    beginResetModel();
    m_pRows = rows;
    m_aChecked.assign(rows != nullptr ? rows->size() : 0, 0);
    endResetModel();
}

int CRecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || m_pRows == nullptr ? 0 : static_cast<int>(m_pRows->size());
}

int CRecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(vantrel::kRecordColumnCount);
}

QVariant CRecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || m_pRows == nullptr) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::CheckStateRole && column == vantrel::kColCheck) {
        return m_aChecked[row] != 0 ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::DisplayRole && column != vantrel::kColCheck) {
        return QString::fromStdString((*m_pRows)[row].columns[column]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignCenter);
    }
    return {};
}

bool CRecordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != vantrel::kColCheck || role != Qt::CheckStateRole) {
        return false;
    }
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void CRecordListModel::SetChecked(int row, bool checked) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_aChecked.size()) {
        return;
    }
    m_aChecked[static_cast<std::size_t>(row)] = checked ? 1 : 0;
    const QModelIndex cell = index(row, vantrel::kColCheck);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

Qt::ItemFlags CRecordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == vantrel::kColCheck) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant CRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_titles[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignCenter);
    }
    return {};
}

void CRecordListModel::RefreshTitles() {
    QStringList titles;
    for (const Title& title : kTitles) {
        titles << (title.key != nullptr ? LangText("GUI", title.key, title.text) : QString());
    }
    if (titles != m_titles) {
        m_titles = titles;
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(kTitles.size()) - 1);
    }
}

std::vector<std::string> CRecordListModel::CheckedPaths() const {
    std::vector<std::string> paths;
    for (std::size_t row = 0; row < m_aChecked.size(); ++row) {
        if (m_aChecked[row] != 0) {
            paths.push_back((*m_pRows)[row].RecordPath());
        }
    }
    return paths;
}

std::string CRecordListModel::PathOfRow(int row) const {
    if (m_pRows == nullptr || row < 0 || static_cast<std::size_t>(row) >= m_pRows->size()) {
        return {};
    }
    return (*m_pRows)[static_cast<std::size_t>(row)].RecordPath();
}
