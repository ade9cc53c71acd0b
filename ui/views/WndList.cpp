// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/views/WndList.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

#include "core/app/Accounts.h"
#include "core/store/MgrTachoDB.h"
#include "ui/app/LangText.h"
#include "ui/controls/AppContext.h"
#include "ui/views/RecordListModel.h"

namespace {

// The buttons keep their fixed 170-pixel rectangles; a caption wider than that in the
// program's font (or in a longer translation) gets a smaller size rather than being cut.
void SetCaptionFitted(QPushButton* button, const QString& caption) {
    constexpr int kPadding = 12;
    constexpr int kSmallestPixelSize = 10;
    QFont font = vantrel::ui::NormalFont();
    while (font.pixelSize() > kSmallestPixelSize &&
           QFontMetrics(font).horizontalAdvance(caption) > button->width() - kPadding) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    if (button->font() != font) {
        button->setFont(font);
    }
    if (button->text() != caption) {
        button->setText(caption);
    }
}

struct FilterPlace {
    int left;
    int right;
    const char* key;
    const char* label;
    int labelRight;
};
constexpr FilterPlace kFilterPlaces[3] = {{300, 400, "MONTH", "Month", 295},
                                          {520, 650, "VEHICLENO", "Vehicle No", 515},
                                          {740, 870, "DRID", "DR ID", 735}};

QString ViewerName() {
    return LangText("GUI", "VIEWERNAME", "Korvu Vantrel");
}

}  // namespace

CWndList::CWndList(vantrel::CMgrTachoDB& store, int userLevel, QWidget* parent)
    : QWidget(parent), m_store(store) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pModel = new CRecordListModel(this);
    m_pTable = new QTableView(this);
    m_pTable->setModel(m_pModel);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSortingEnabled(false);
    m_pTable->setShowGrid(true);
    m_pTable->setWordWrap(false);
    m_pTable->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows.
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    m_pTable->horizontalHeader()->setSectionsClickable(false);
    m_pTable->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < 18; ++column) {
        m_pTable->setColumnWidth(column, column == 0 ? 30 : 80);
    }
    m_pTable->setColumnHidden(16, true);
    m_pTable->setColumnHidden(17, true);

    const QFont normal = vantrel::ui::NormalFont();
    m_pDelete = new QPushButton(this);
    m_pExport = new QPushButton(this);
    for (QPushButton* button : {m_pDelete, m_pExport}) {
        button->setFont(normal);
        button->setAutoDefault(false);
    }
    m_pDelete->setVisible(userLevel != vantrel::kUserLevelGuest);
    for (int which = 0; which < 3; ++which) {
        auto* combo = new QComboBox(this);
        combo->setFont(normal);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, which](int index) { OnFilterChanged(which, index); });
        m_pFilters[which] = combo;
    }
    connect(m_pDelete, &QPushButton::clicked, this, &CWndList::OnDelete);
    connect(m_pExport, &QPushButton::clicked, this, &CWndList::OnExport);
    connect(m_pTable, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenRow(index.isValid() ? index.row() : -1); });
    RefillFilters();
}

void CWndList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_pTable->setGeometry(10, 50, w - 20, h - 60);
    m_pDelete->setGeometry(10, 10, 170, 30);
    m_pExport->setGeometry(w - 180, 10, 170, 30);
    for (int which = 0; which < 3; ++which) {
        const FilterPlace& place = kFilterPlaces[which];
        m_pFilters[which]->setGeometry(place.left, 13, place.right - place.left, 24);
    }
}

void CWndList::paintEvent(QPaintEvent* /*event*/) {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter offscreen(&image);
    offscreen.setFont(vantrel::ui::NormalFont());
    offscreen.setPen(Qt::black);
    for (const FilterPlace& place : kFilterPlaces) {
        offscreen.drawText(QRect(0, 17, place.labelRight, 40), Qt::AlignRight | Qt::AlignTop,
                           LangText("GUI", place.key, place.label));
    }
    offscreen.end();
    SetCaptionFitted(m_pDelete, LangText("GUI", "DELETESELECTEDDATA", "Delete Selected Data"));
    SetCaptionFitted(m_pExport, LangText("GUI", "EXPORTCSV", "Export to CSV"));
    m_pModel->RefreshTitles();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void CWndList::RefillFilters() {
    m_bFilling = true;
    for (int which = 0; which < 3; ++which) {
        const auto filter = static_cast<vantrel::RecordFilter>(which);
        QComboBox* combo = m_pFilters[which];
        combo->clear();
        for (const std::string& entry : m_store.GetFilterEntries(filter)) {
            combo->addItem(QString::fromStdString(entry));
        }
        combo->setCurrentText(QString::fromStdString(m_store.GetFilterText(filter)));
    }
    m_bFilling = false;
    RefillRows();
}

void CWndList::RefillRows() {
    m_pModel->SetRows(&m_store.GetRows());
    FitColumns();
}

void CWndList::DetachRows() {
    m_pModel->SetRows(nullptr);
}

// Columns 1-13 take the width of their title or of their widest text among the first rows:
// measuring every row of a large list would stall the window.
void CWndList::FitColumns() {
    const QFontMetrics cells(m_pTable->font());
    const QFontMetrics titles(m_pTable->horizontalHeader()->font());
    const int rows = std::min(m_pModel->rowCount(), kFitSampleRows);
    for (int column = 1; column <= 13; ++column) {
        int width = titles.horizontalAdvance(
                        m_pModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    16;
        for (int row = 0; row < rows; ++row) {
            width = std::max(
                width,
                cells.horizontalAdvance(m_pModel->index(row, column).data().toString()) + 12);
        }
        m_pTable->setColumnWidth(column, width);
    }
}

void CWndList::OnFilterChanged(int which, int index) {
    if (m_bFilling || index < 0) {
        return;
    }
    m_store.SelectFilterEntry(static_cast<vantrel::RecordFilter>(which),
                              static_cast<std::size_t>(index));
    m_pModel->SetRows(nullptr);
    m_store.RefreshRecordList();
    RefillRows();
}

void CWndList::OpenRow(int row) {
    const std::string path = m_pModel->PathOfRow(row);
    if (path.empty()) {
        return;  // a double-click beside the rows
    }
    m_store.SelectRecord(path);
    emit RecordOpened();
}

bool CWndList::HaveChecked() {
    if (!m_pModel->CheckedPaths().empty()) {
        return true;
    }
    QMessageBox box(QMessageBox::Information, ViewerName(),
                    LangText("MESSAGE", "NOSELECTEDDATA", "There is no selected data"),
                    QMessageBox::Ok, this);
    box.exec();
    return false;
}

void CWndList::OnDelete() {
    if (!HaveChecked()) {
        return;
    }
    QMessageBox ask(QMessageBox::Question, ViewerName(),
                    LangText("MESSAGE", "WANTDELETE", "Do you want to delete selected data?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes) {
        return;
    }
    const std::vector<std::string> paths = m_pModel->CheckedPaths();
    const std::string selected = m_store.GetSelectedRecord();
    bool selectionGone = false;
    m_pModel->SetRows(nullptr);
    for (const std::string& path : paths) {
        m_store.DeleteRecordFiles(path);
        selectionGone = selectionGone || (!selected.empty() && path == selected);
    }
    m_store.RefreshRecordList();
    RefillRows();
    emit RecordsDeleted(selectionGone);
}

void CWndList::OnExport() {
    if (!HaveChecked()) {
        return;
    }
    QStringList paths;
    for (const std::string& path : m_pModel->CheckedPaths()) {
        paths << QString::fromStdString(path);
    }
    emit ExportRequested(paths);
}
