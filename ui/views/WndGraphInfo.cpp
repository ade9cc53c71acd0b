// SPDX-License-Identifier: GPL-3.0-or-later
// The graph information window.
#include "ui/views/WndGraphInfo.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QTableWidget>

#include "core/views/DaySummary.h"
#include "core/views/LoadedDay.h"
#include "ui/app/LangText.h"
#include "ui/views/WndGraph.h"

namespace {

constexpr vantrel::Rgb kBackground{160, 160, 160};
constexpr vantrel::Rgb kFrameColour{120, 120, 120};

struct ScaleText {
    const char* key;
    const char* text;
};
constexpr ScaleText kScaleTexts[vantrel::kScaleCount] = {{"DISPLAY24", "Display 24 Hours"},
                                                         {"DISPLAY8", "Display 8 Hours"},
                                                         {"DISPLAY12", "Display 12 Minutes"},
                                                         {"DISPLAY6", "Display 6 Minutes"},
                                                         {"DISPLAY4", "Display 4 Minutes"}};

QString Lang(const char* key, const char* text) {
    return LangText("GUI", key, text);
}

}  // namespace

void SelectComboByData(QComboBox* combo, int value) {
    const int index = combo->findData(value);
    if (index >= 0) {
        combo->setCurrentIndex(index);
    } else if (combo->count() > 0) {
        combo->setCurrentIndex(0);
    }
}

CWndGraphInfo::CWndGraphInfo(CWndGraph& graph, const GraphFonts& fonts, QWidget* parent)
    : QWidget(parent), m_graph(graph), m_fonts(fonts) {
    setObjectName(QStringLiteral("WndGraphInfo"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_pAdjustList = new QTableWidget(0, 3, this);
    m_pAdjustList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pAdjustList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pAdjustList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pAdjustList->setShowGrid(true);
    m_pAdjustList->verticalHeader()->hide();
    m_pAdjustList->setColumnWidth(0, 36);
    m_pAdjustList->setColumnWidth(1, 143);
    m_pAdjustList->setColumnWidth(2, 143);
    m_pAdjustList->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    SetColumnTitles();

    m_pScaleSelector = new QComboBox(this);
    m_pScaleSelector->setFont(fonts.normal);
    for (int i = 0; i < vantrel::kScaleCount; ++i) {
        m_pScaleSelector->addItem(Lang(kScaleTexts[i].key, kScaleTexts[i].text), i);
    }
    SelectComboByData(m_pScaleSelector, m_nScale);
    m_pScaleSelector->setGeometry(98, 230, 180, 25);

    m_pDaySelector = new QComboBox(this);
    m_pDaySelector->setFont(fonts.normal);
    m_pDaySelector->setGeometry(200, 265, 130, 25);
    PlaceAdjustList();

    connect(m_pScaleSelector, &QComboBox::activated, this, [this](int index) {
        m_nScale = static_cast<std::uint8_t>(m_pScaleSelector->itemData(index).toInt());
        m_graph.SelectScale(m_nScale);
    });
    connect(m_pDaySelector, &QComboBox::activated, this, [this] { LoadDay(); });
}

void CWndGraphInfo::SetColumnTitles() const {
    m_pAdjustList->setHorizontalHeaderLabels({Lang("NO", "No."),
                                              Lang("BEFOREADJ", "Before time adjustment"),
                                              Lang("AFTERADJ", "After time adjustment")});
}

void CWndGraphInfo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceAdjustList();
}

void CWndGraphInfo::PlaceAdjustList() {
    m_pAdjustList->setGeometry(10, 30, std::max(width() - 20, 0), 175);
}

void CWndGraphInfo::LoadDays() {
    {
        const QSignalBlocker blocker(m_pDaySelector);
        m_pDaySelector->clear();
        for (const std::string& file : m_graph.Lists().m_aSelDayFiles) {
            m_pDaySelector->addItem(QString::fromStdString(vantrel::DayLabelOf(file)));
        }
        m_pDaySelector->setCurrentIndex(m_pDaySelector->count() > 0 ? 0 : -1);
    }
    if (m_pDaySelector->count() == 0) {
        // A record without day files opens with empty graphs, never with the day of the
        // record opened before it.
        m_graph.ClearViews();
        return;
    }
    LoadDay();
}

void CWndGraphInfo::LoadDay() {
    const int selection = m_pDaySelector->currentIndex();
    const auto& files = m_graph.Lists().m_aSelDayFiles;
    if (selection < 0 || static_cast<std::size_t>(selection) >= files.size()) {
        return;  // no day to load: the loaded day and the texts stay as they are
    }
    const std::string& dayFile = files[static_cast<std::size_t>(selection)];
    vantrel::GraphViewState& view = m_graph.m_view;
    vantrel::ResetToDay(view, vantrel::SystemTime{});
    if (!m_graph.Converter().LoadDayFile(dayFile)) {
        // Never show another day's samples under this day's date and totals.
        vantrel::ClearLoadedDay(m_graph.Converter());
    }
    const vantrel::DaySummary summary = vantrel::ReadDaySummary(dayFile);
    m_strDayDate = summary.m_strDayDate;
    vantrel::ResetToDay(view, summary.day);
    m_strDayDistance = summary.m_strDayDistance;
    m_strDayDrivingTime = summary.m_strDayDrivingTime;
    m_strDayMaxSpeed = summary.m_strDayMaxSpeed;
    m_strDayMaxSpeedTime = summary.m_strDayMaxSpeedTime;
    m_graph.m_wndSpeed->m_stMaxSpeed = summary.maxSpeed;
    m_graph.m_wndSpeed->m_aIdleStarts = summary.idleStarts;
    m_pAdjustList->setRowCount(0);
    for (const auto& row : summary.adjustRows) {
        const int r = m_pAdjustList->rowCount();
        m_pAdjustList->insertRow(r);
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(row[column]));
            item->setTextAlignment(Qt::AlignCenter);
            m_pAdjustList->setItem(r, column, item);
        }
    }
    update();
    m_graph.m_wndSpeed->m_bHasData = 1;
    m_graph.m_wndDist->m_bHasData = 1;
    m_graph.RepaintAfterCursorMove();
    emit DayLoaded();
}

void CWndGraphInfo::Clear() {
    m_pAdjustList->setRowCount(0);
    {
        const QSignalBlocker blocker(m_pDaySelector);
        m_pDaySelector->clear();
    }
    m_strDayDate.clear();
    m_strDayDistance.clear();
    m_strDayDrivingTime.clear();
    m_strDayMaxSpeed.clear();
    m_strDayMaxSpeedTime.clear();
    update();
}

QImage CWndGraphInfo::Render() const {
    vantrel::DrawList list;
    list.width = width();
    list.height = height();
    list.Fill(kBackground);
    if (!m_strDayDrivingTime.empty()) {
        for (int top : {292, 316, 340, 364}) {
            list.ops.emplace_back(vantrel::DrawRect{201, top, 329, top + 20, vantrel::kWhite});
        }
    }
    const QString title = Lang("ADJTIMEINFO", "Adjust time information");
    QFont crisp = m_fonts.normal;
    crisp.setStyleStrategy(QFont::NoAntialias);
    const int w = QFontMetrics(crisp).horizontalAdvance(title);
    const int right = width() - 5;
    const vantrel::Point frame[] = {{20, 18},     {5, 18},     {5, 210},
                                    {right, 210}, {right, 18}, {20 + w, 18}};
    for (std::size_t i = 0; i + 1 < std::size(frame); ++i) {
        list.Line(frame[i].x, frame[i].y, frame[i + 1].x, frame[i + 1].y, kFrameColour);
    }
    using vantrel::FontId;
    using vantrel::TextAlign;
    list.Text(20 + w / 2, 10, TextAlign::Center, FontId::Normal, vantrel::kBlack,
              title.toStdString());
    const std::pair<const char*, const char*> labels[] = {{"DRIVINGDATE", "Driving Date"},
                                                          {"DRIVINGTIME", "Driving Time"},
                                                          {"DRIVINGDISTANCE", "Driving Distance"},
                                                          {"MAXSPEED", "Max Speed"},
                                                          {"MAXSPEEDTIME", "Max Speed Time"}};
    int top = 270;
    for (const auto& [key, text] : labels) {
        list.Text(40, top, TextAlign::Left, FontId::Normal, vantrel::kBlack,
                  Lang(key, text).toStdString());
        top += 24;
    }
    const std::string* values[] = {&m_strDayDrivingTime, &m_strDayDistance, &m_strDayMaxSpeed,
                                   &m_strDayMaxSpeedTime};
    top = 294;
    for (const std::string* value : values) {
        list.Text(204, top, TextAlign::Left, FontId::Normal, vantrel::kBlack, *value);
        top += 24;
    }
    return RenderDrawList(list, m_fonts);
}

void CWndGraphInfo::paintEvent(QPaintEvent* /*event*/) {
    SetColumnTitles();
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}
