// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/analysis/DlgFleetSummary.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <memory>

#include "core/export/CsvLine.h"
#include "core/util/AtomicFile.h"
#include "ui/analysis/AnalysisTexts.h"
#include "ui/app/LangText.h"
#include "ui/controls/AppContext.h"

namespace {

using namespace vantrel::analysis;

// The columns after the group's key: heading, CSV heading.
struct Column {
    const char* key;
    const char* text;
    const char* csv;
};
constexpr Column kColumns[] = {
    {"SUMRECORDS", "Records", "records"},
    {"SUMDAYS", "Days", "days"},
    {"SUMDISTANCE", "Distance (km)", "distanceKm"},
    {"SUMDRIVING", "Driving", "drivingSeconds"},
    {"SUMEVENTS", "Events", "events"},
    {"SUMPER100", "Events per 100 km", "eventsPer100Km"},
    {"EVSPEEDING", "Speeding", "speeding"},
    {"EVLONGSPEEDING", "Long speeding", "long-speeding"},
    {"EVSUDDENACCEL", "Sudden acceleration", "sudden-acceleration"},
    {"EVSUDDENSTART", "Sudden start", "sudden-start"},
    {"EVSUDDENDECEL", "Sudden deceleration", "sudden-deceleration"},
    {"EVSUDDENSTOP", "Sudden stop", "sudden-stop"},
    {"SUMVIOLATIONS", "Rule violations", "violations"},
    {"SUMOVER", "Time over", "violationSeconds"},
};
constexpr int kColumnCount = 1 + static_cast<int>(std::size(kColumns));

struct Group {
    GroupBy by;
    const char* key;
    const char* text;
    const char* csv;
};
constexpr Group kGroups[] = {
    {GroupBy::Driver, "SUMBYDRIVER", "Driver", "driver"},
    {GroupBy::Vehicle, "SUMBYVEHICLE", "Vehicle", "vehicle"},
    {GroupBy::Month, "SUMBYMONTH", "Month", "month"},
    {GroupBy::Day, "SUMBYDAY", "Day", "day"},
    {GroupBy::Record, "SUMBYRECORD", "Record", "record"},
};

// A cell that sorts by its number, not its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(double value, const QString& text) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

// The cells of a row after its key: shown text and CSV text.
std::vector<std::pair<double, QString>> Cells(const Totals& t) {
    std::vector<std::pair<double, QString>> cells;
    const auto number = [&cells](double value, int decimals) {
        cells.emplace_back(value, QString::number(value, 'f', decimals));
    };
    number(static_cast<double>(t.records), 0);
    number(static_cast<double>(t.days), 0);
    number(t.DistanceKm(), 1);
    cells.emplace_back(static_cast<double>(t.drivingHalfSeconds / 2),
                       vantrel::ui::DurationText(t.drivingHalfSeconds / 2));
    number(static_cast<double>(t.EventCount()), 0);
    number(t.EventsPer100Km(), 2);
    for (const std::int64_t count : t.events) {
        number(static_cast<double>(count), 0);
    }
    number(static_cast<double>(t.ViolationCount()), 0);
    cells.emplace_back(static_cast<double>(t.violationSeconds),
                       vantrel::ui::DurationText(t.violationSeconds));
    return cells;
}

QString KeyText(GroupBy by, const std::string& key) {
    if (by == GroupBy::Record) {
        return QString::fromStdString(std::filesystem::path(key).filename().string());
    }
    if ((by == GroupBy::Month || by == GroupBy::Day) && key.size() >= 6) {
        std::string text = key.substr(0, 4) + "/" + key.substr(4, 2);
        if (key.size() == 8) {
            text += "/" + key.substr(6, 2);
        }
        return QString::fromStdString(text);
    }
    return QString::fromStdString(key);
}

}  // namespace

CDlgFleetSummary::CDlgFleetSummary(std::vector<std::string> recordPaths,
                                   const std::string& profilePath, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(LangText("GUI", "FLEETSUMMARY", "Fleet Summary"));
    resize(1100, 520);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(LangText("GUI", "SUMGROUPBY", "Group by"), this));
    m_pGroup = new QComboBox(this);
    for (const Group& group : kGroups) {
        m_pGroup->addItem(LangText("GUI", group.key, group.text), static_cast<int>(group.by));
    }
    top->addWidget(m_pGroup);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, static_cast<int>(recordPaths.size()));
    top->addWidget(m_pProgress, 1);
    layout->addLayout(top);

    m_pTable = new QTableWidget(0, kColumnCount, this);
    QStringList headings{LangText("GUI", kGroups[0].key, kGroups[0].text)};
    for (const Column& column : kColumns) {
        headings << LangText("GUI", column.key, column.text);
    }
    m_pTable->setHorizontalHeaderLabels(headings);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->verticalHeader()->hide();
    // In key order until the operator clicks a heading.
    m_pTable->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    m_pTable->setSortingEnabled(true);
    layout->addWidget(m_pTable, 1);
    m_pTotal = new QLabel(this);
    m_pTotal->setWordWrap(true);
    layout->addWidget(m_pTotal);
    auto* note = new QLabel(vantrel::ui::NotFoundNote(), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(LangText("GUI", "CLOSE", "Close"));
    m_pExport = buttons->addButton(LangText("GUI", "EXPORTCSV", "Export to CSV"),
                                   QDialogButtonBox::ActionRole);
    m_pExport->setEnabled(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pExport, &QPushButton::clicked, this, &CDlgFleetSummary::OnExport);
    layout->addWidget(buttons);
    connect(m_pGroup, &QComboBox::activated, this, [this](int index) {
        ShowGroup(static_cast<GroupBy>(m_pGroup->itemData(index).toInt()));
    });
    StartWorker(std::move(recordPaths), profilePath);
}

CDlgFleetSummary::~CDlgFleetSummary() {
    m_bStop = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CDlgFleetSummary::StartWorker(std::vector<std::string> recordPaths, std::string profilePath) {
    // The worker owns its inputs and hands its results over in one queued call; calls queued
    // to a dialog that is gone are dropped by Qt.
    m_worker =
        std::thread([this, paths = std::move(recordPaths), profilePath = std::move(profilePath)] {
            const ProfileFile profiles =
                profilePath.empty() ? ProfileFile() : ProfileFile::Load(profilePath);
            bool cancelled = false;
            auto records = std::make_shared<std::vector<RecordAnalysis>>(AnalyseRecords(
                paths, profiles, std::nullopt,
                [this](std::size_t done, std::size_t all) {
                    if (done % 16 == 0 || done == all) {
                        const int value = static_cast<int>(done);
                        QMetaObject::invokeMethod(
                            this, [this, value] { m_pProgress->setValue(value); },
                            Qt::QueuedConnection);
                    }
                    return !m_bStop;
                },
                &cancelled, EventDetail::CountsOnly));
            if (cancelled) {
                return;
            }
            QMetaObject::invokeMethod(
                this, [this, records] { TakeResults(std::move(*records)); }, Qt::QueuedConnection);
        });
}

void CDlgFleetSummary::TakeResults(std::vector<RecordAnalysis> records) {
    m_records = std::move(records);
    m_bDone = true;
    m_pProgress->setValue(m_pProgress->maximum());
    m_pExport->setEnabled(true);
    ShowGroup(m_groupBy);
    emit AnalysisFinished();
}

void CDlgFleetSummary::ShowGroup(GroupBy groupBy) {
    m_groupBy = groupBy;
    m_pGroup->setCurrentIndex(m_pGroup->findData(static_cast<int>(groupBy)));
    for (const Group& group : kGroups) {
        if (group.by == groupBy) {
            m_pTable->setHorizontalHeaderItem(
                0, new QTableWidgetItem(LangText("GUI", group.key, group.text)));
        }
    }
    Totals total;
    const std::vector<SummaryRow> rows = Summarise(m_records, groupBy, SummaryFilter{}, &total);
    m_pTable->setSortingEnabled(false);
    m_pTable->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const SummaryRow& row = rows[static_cast<std::size_t>(r)];
        auto* key = new QTableWidgetItem(KeyText(groupBy, row.key));
        key->setData(Qt::UserRole, QString::fromStdString(row.key));
        m_pTable->setItem(r, 0, key);
        int c = 1;
        for (const auto& [value, text] : Cells(row.totals)) {
            m_pTable->setItem(r, c++, new NumberItem(value, text));
        }
    }
    m_pTable->setSortingEnabled(true);
    m_pTable->resizeColumnsToContents();
    std::size_t unreadable = 0;
    for (const RecordAnalysis& record : m_records) {
        unreadable += record.errors.size();
    }
    QString text =
        LangText("GUI", "SUMTOTAL",
                 "All: %1 records, %2 days, %3 km, driving %4, %5 events (%6 per 100 km), %7 "
                 "rule violations")
            .arg(total.records)
            .arg(total.days)
            .arg(QString::number(total.DistanceKm(), 'f', 1))
            .arg(vantrel::ui::DurationText(total.drivingHalfSeconds / 2))
            .arg(total.EventCount())
            .arg(QString::number(total.EventsPer100Km(), 'f', 2))
            .arg(total.ViolationCount());
    if (unreadable > 0) {
        text += "\n" + LangText("GUI", "SUMUNREADABLE", "%1 day files could not be read.")
                           .arg(static_cast<qulonglong>(unreadable));
    }
    m_pTotal->setText(text);
}

bool CDlgFleetSummary::SaveCsv(const std::string& path, std::string* error) const {
    std::vector<std::string> heading;
    for (const Group& group : kGroups) {
        if (group.by == m_groupBy) {
            heading.emplace_back(group.csv);
        }
    }
    for (const Column& column : kColumns) {
        heading.emplace_back(column.csv);
    }
    std::string csv = vantrel::CsvLine(heading);
    for (int r = 0; r < m_pTable->rowCount(); ++r) {
        std::vector<std::string> fields{
            m_pTable->item(r, 0)->data(Qt::UserRole).toString().toStdString()};
        for (int c = 1; c < kColumnCount; ++c) {
            const QTableWidgetItem* item = m_pTable->item(r, c);
            const double value = item->data(Qt::UserRole).toDouble();
            // Distance and the rate keep their decimals; the rest are whole numbers.
            fields.push_back(c == 3 || c == 6 ? item->text().toStdString()
                                              : QString::number(value, 'f', 0).toStdString());
        }
        csv += vantrel::CsvLine(fields);
    }
    if (!vantrel::WriteFileAtomically(path, csv)) {
        *error = path + ": the file could not be written";
        return false;
    }
    return true;
}

void CDlgFleetSummary::OnExport() {
    const QString path = QFileDialog::getSaveFileName(
        this, LangText("GUI", "EXPORTCSV", "Export to CSV"), QString(), "CSV (*.csv)");
    if (path.isEmpty()) {
        return;
    }
    std::string error;
    if (SaveCsv(path.toStdString(), &error)) {
        QMessageBox::information(this, windowTitle(),
                                 LangText("GUI", "SUMSAVED", "The summary was saved."));
    } else {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
    }
}
