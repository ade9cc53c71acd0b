// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/analysis/DlgAnalysis.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "core/data/RecordModel.h"
#include "ui/analysis/AnalysisTexts.h"
#include "ui/app/LangText.h"

namespace {

using namespace vantrel::analysis;
using vantrel::ui::ClockText;

enum Column { kKindColumn, kStartColumn, kEndColumn, kValueColumn, kColumnCount };

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString DateText(const std::string& day) {
    return day.size() == 8
               ? Utf8(day.substr(0, 4) + "/" + day.substr(4, 2) + "/" + day.substr(6, 2))
               : Utf8(day);
}

// One table row: its cells and the start it moves the cursor to.
struct Row {
    std::int64_t start = 0;
    QString kind;
    QString end;
    QString value;
};

}  // namespace

CDlgAnalysis::CDlgAnalysis(const std::string& recordPath, const std::string& day,
                           const std::string& profilePath, QWidget* parent)
    : QDialog(parent),
      m_strRecord(recordPath),
      m_strDay(day),
      m_profiles(profilePath.empty() ? ProfileFile() : ProfileFile::Load(profilePath)) {
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(LangText("GUI", "ANALYSISTITLE", "Driving Analysis"));
    resize(680, 480);

    auto* layout = new QVBoxLayout(this);
    m_pHeader = new QLabel(this);
    layout->addWidget(m_pHeader);
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(new QLabel(LangText("GUI", "VEHICLECLASS", "Vehicle class"), this));
    m_pClass = new QComboBox(this);
    for (std::size_t i = 0; i < kVehicleClassCount; ++i) {
        m_pClass->addItem(vantrel::ui::VehicleClassText(static_cast<VehicleClass>(i)),
                          static_cast<int>(i));
    }
    classRow->addWidget(m_pClass);
    classRow->addStretch();
    layout->addLayout(classRow);
    m_pSummary = new QLabel(this);
    layout->addWidget(m_pSummary);

    m_pTable = new QTableWidget(0, kColumnCount, this);
    m_pTable->setHorizontalHeaderLabels(
        {LangText("GUI", "ANKIND", "Event or rule"), LangText("GUI", "ANSTART", "Start"),
         LangText("GUI", "ANEND", "End"), LangText("GUI", "ANVALUE", "Peak or time over")});
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setSectionResizeMode(kKindColumn, QHeaderView::Stretch);
    layout->addWidget(m_pTable, 1);

    m_pNote = new QLabel(vantrel::ui::NotFoundNote(), this);
    m_pNote->setWordWrap(true);
    layout->addWidget(m_pNote);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(LangText("GUI", "CLOSE", "Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_pTable, &QTableWidget::cellClicked, this, [this](int row, int) {
        const int halfSecond = RowHalfSecond(row);
        if (halfSecond >= 0) {
            emit CursorRequested(halfSecond);
        }
    });
    connect(m_pClass, &QComboBox::activated, this, [this](int index) {
        ChooseClass(static_cast<VehicleClass>(m_pClass->itemData(index).toInt()));
    });
    Analyse(std::nullopt);
}

void CDlgAnalysis::ChooseClass(VehicleClass vehicleClass) {
    // A vehicle without a number (or a profile file that cannot be written) keeps the choice
    // for this window only.
    m_profiles.SetVehicleClass(m_analysis.info.vehicleNo, vehicleClass);
    Analyse(vehicleClass);
}

void CDlgAnalysis::Analyse(std::optional<VehicleClass> forced) {
    std::vector<RecordAnalysis> records = AnalyseRecords({m_strRecord}, m_profiles, forced);
    m_analysis = records.empty() ? RecordAnalysis{} : std::move(records.front());
    const auto& days = m_analysis.days;
    if (std::none_of(days.begin(), days.end(),
                     [this](const AnalysedDay& d) { return d.date == m_strDay; })) {
        m_strDay = days.empty() ? std::string() : days.front().date;
    }
    Fill();
}

void CDlgAnalysis::ShowDay(const std::string& day) {
    const auto& days = m_analysis.days;
    if (day != m_strDay && std::any_of(days.begin(), days.end(),
                                       [&day](const AnalysedDay& d) { return d.date == day; })) {
        m_strDay = day;
        Fill();
    }
}

const AnalysedDay* CDlgAnalysis::ShownDay() const {
    for (const AnalysedDay& day : m_analysis.days) {
        if (day.date == m_strDay) {
            return &day;
        }
    }
    return nullptr;
}

void CDlgAnalysis::Fill() {
    const RecordInfo& info = m_analysis.info;
    m_pHeader->setText(Utf8(info.vehicleNo) + "   " + Utf8(info.driverName) + "   " +
                       DateText(m_strDay));
    {
        const QSignalBlocker blocker(m_pClass);
        m_pClass->setCurrentIndex(m_pClass->findData(static_cast<int>(m_analysis.vehicleClass)));
    }
    std::vector<Row> rows;
    const AnalysedDay* day = ShownDay();
    if (day != nullptr) {
        for (const DrivingEvent& event : day->result.events) {
            rows.push_back({event.start, vantrel::ui::EventKindText(event.kind),
                            ClockText(event.end, m_strDay), vantrel::ui::PeakText(event)});
        }
        for (const RuleViolation& violation : day->result.violations) {
            rows.push_back({violation.start, vantrel::ui::RuleText(violation.rule),
                            ClockText(violation.end, m_strDay),
                            "+" + vantrel::ui::DurationText(violation.secondsOver)});
        }
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.start < b.start; });
    m_pTable->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const Row& row = rows[static_cast<std::size_t>(r)];
        auto* kind = new QTableWidgetItem(row.kind);
        kind->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(row.start));
        m_pTable->setItem(r, kKindColumn, kind);
        m_pTable->setItem(r, kStartColumn, new QTableWidgetItem(ClockText(row.start, m_strDay)));
        m_pTable->setItem(r, kEndColumn, new QTableWidgetItem(row.end));
        m_pTable->setItem(r, kValueColumn, new QTableWidgetItem(row.value));
    }
    m_pTable->resizeColumnsToContents();

    if (day == nullptr) {
        m_pSummary->setText(m_analysis.errors.empty()
                                ? LangText("GUI", "ANNODAY", "The record has no day to analyse.")
                                : Utf8(m_analysis.errors.front()));
        return;
    }
    Totals totals;
    totals.AddDay(day->result);
    m_pSummary->setText(LangText("GUI", "ANSUMMARY",
                                 "%1 km, driving %2, %3 events (%4 per 100 km), %5 rule violations")
                            .arg(QString::number(totals.DistanceKm(), 'f', 1))
                            .arg(vantrel::ui::DurationText(totals.drivingHalfSeconds / 2))
                            .arg(totals.EventCount())
                            .arg(QString::number(totals.EventsPer100Km(), 'f', 1))
                            .arg(totals.ViolationCount()));
}

int CDlgAnalysis::RowHalfSecond(int row) const {
    const QTableWidgetItem* item = m_pTable->item(row, kKindColumn);
    const AnalysedDay* day = ShownDay();
    if (item == nullptr || day == nullptr) {
        return -1;
    }
    const std::int64_t start = item->data(Qt::UserRole).toLongLong();
    const std::int64_t ofDay = start - day->result.midnight * 2;
    return static_cast<int>(
        std::clamp<std::int64_t>(ofDay, 0, static_cast<std::int64_t>(vantrel::kSamplesPerDay) - 1));
}
