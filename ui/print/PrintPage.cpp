// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the printed page.
#include "ui/print/PrintPage.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <utility>

#include "ui/app/LangText.h"
#include "ui/app/VantrelApp.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/GraphPainter.h"
#include "ui/views/WndGraph.h"

namespace {

const QColor kGrey(200, 200, 200);

// Texts are placed by a point: centred on x or right-aligned at x, their top at y. The box
// only carries the alignment; it is wide enough for any cell and never clips.
constexpr qreal kTextBox = 1200;

void TextCentred(QPainter& painter, int x, int top, const QString& text) {
    painter.drawText(QRectF(x - kTextBox / 2, top, kTextBox, kTextBox),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
}

void TextRight(QPainter& painter, int right, int top, const QString& text) {
    painter.drawText(QRectF(right - kTextBox, top, kTextBox, kTextBox),
                     Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, text);
}

QString Gui(const char* key, const char* text) {
    return LangText("GUI", key, text);
}

// A font sized in canvas units: pixel sizes are kept (the transform scales them with the
// page); a point size is taken at the screen's 96 dpi, as the windows show it, since on a
// printer it would otherwise be sized once by the printer's resolution and once more by the
// transform.
QFont CanvasFont(QFont font) {
    if (font.pixelSize() <= 0) {
        font.setPixelSize(qRound(font.pointSizeF() * 96.0 / 72.0));
    }
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A table of 30-unit rows and 204-unit columns: the grey columns filled, then every row and
// column line, one unit wide.
void Table(QPainter& painter, const QRect& rect, std::initializer_list<int> greyColumns) {
    const int columns = rect.width() / CPrintPage::kColumnWidth;
    const int rows = rect.height() / CPrintPage::kRowHeight;
    for (const int column : greyColumns) {
        painter.fillRect(QRect(rect.left() + column * CPrintPage::kColumnWidth, rect.top(),
                               CPrintPage::kColumnWidth, rect.height()),
                         kGrey);
    }
    const int right = rect.left() + columns * CPrintPage::kColumnWidth;
    const int bottom = rect.top() + rows * CPrintPage::kRowHeight;
    for (int row = 0; row <= rows; ++row) {
        const int y = rect.top() + row * CPrintPage::kRowHeight;
        painter.drawLine(rect.left(), y, right, y);
    }
    for (int column = 0; column <= columns; ++column) {
        const int x = rect.left() + column * CPrintPage::kColumnWidth;
        painter.drawLine(x, rect.top(), x, bottom);
    }
}

struct RecordCell {
    const char* key;
    const char* label;
};

// The record table's label columns 1, 3 and 5, row by row; an empty key is an empty cell.
constexpr RecordCell kRecordLabels[5][3] = {
    {{"VEHICLENO", "Vehicle No"},
     {"RECORDSTARTTIME", "Record Start Time"},
     {"MAXSPEED", "Max Speed"}},
    {{"DRID", "DR ID"}, {"RECORDSTOPTIME", "Record Stop Time"}, {"MAXSPEEDTIME", "Max Speed Time"}},
    {{"DRIVERNAME", "Driver Name"},
     {"DRIVINGDISTANCE", "Driving Distance"},
     {"DRIVINGAREA", "Driving Area"}},
    {{"SAVEUSERNAME", "Save User Name"}, {"DRIVINGTIME", "Driving Time"}, {nullptr, nullptr}},
    {{"SAVEDATETIME", "Save Date/Time"},
     {"MAXCONTDRIVINGTIME", "Max Continue Driving Time"},
     {nullptr, nullptr}},
};

// The driving information panel's texts in the order of PrintPageContent::recordValues.
constexpr QString CWndDrivingInfo::*kRecordValues[13] = {
    &CWndDrivingInfo::m_strVehicleNo,          &CWndDrivingInfo::m_strRecordStart,
    &CWndDrivingInfo::m_strMaxSpeed,           &CWndDrivingInfo::m_strDrid,
    &CWndDrivingInfo::m_strRecordStop,         &CWndDrivingInfo::m_strMaxSpeedTime,
    &CWndDrivingInfo::m_strDriverName,         &CWndDrivingInfo::m_strDrivingDistance,
    &CWndDrivingInfo::m_strDrivingArea,        &CWndDrivingInfo::m_strSaveUserName,
    &CWndDrivingInfo::m_strDrivingTime,        &CWndDrivingInfo::m_strSaveDateTime,
    &CWndDrivingInfo::m_strMaxContDrivingTime,
};

void PaintRecordTable(QPainter& painter, const PrintPageContent& content) {
    Table(painter, CPrintPage::kRecordTableRect, {0, 2, 4});
    std::size_t value = 0;
    for (int row = 0; row < 5; ++row) {
        const int top = CPrintPage::kRecordTableRect.top() + row * CPrintPage::kRowHeight + 8;
        for (int pair = 0; pair < 3; ++pair) {
            const RecordCell& cell = kRecordLabels[row][pair];
            if (cell.key == nullptr) {
                continue;
            }
            const int labelX = CPrintPage::kRecordTableRect.left() + CPrintPage::kColumnWidth / 2 +
                               2 * pair * CPrintPage::kColumnWidth;
            TextCentred(painter, labelX, top, Gui(cell.key, cell.label));
            TextCentred(painter, labelX + CPrintPage::kColumnWidth, top,
                        content.recordValues[value++]);
        }
    }
}

void PaintDayTable(QPainter& painter, const PrintPageContent& content) {
    const QRect& rect = CPrintPage::kDayTableRect;
    Table(painter, rect, {0});
    const std::pair<const char*, const char*> labels[5] = {{"DRIVINGDATE", "Driving Date"},
                                                           {"DRIVINGTIME", "Driving Time"},
                                                           {"DRIVINGDISTANCE", "Driving Distance"},
                                                           {"MAXSPEED", "Max Speed"},
                                                           {"MAXSPEEDTIME", "Max Speed Time"}};
    const int labelX = rect.left() + CPrintPage::kColumnWidth / 2;
    for (int row = 0; row < 5; ++row) {
        const int top = rect.top() + row * CPrintPage::kRowHeight + 8;
        TextCentred(painter, labelX, top, Gui(labels[row].first, labels[row].second));
        const QString& value = content.dayValues[static_cast<std::size_t>(row)];
        TextCentred(painter, labelX + CPrintPage::kColumnWidth, top,
                    row == 0 ? CPrintPage::DateText(value) : value);
    }
}

// A graph window's paint without its left strip and 20-pixel right strip.
QImage Cut(const QImage& paint, int left) {
    constexpr int kRightStrip = 20;
    const int width = std::max(paint.width() - left - kRightStrip, 0);
    return paint.copy(left, 0, width, paint.height());
}

}  // namespace

PrintFonts PrintFonts::FromApp() {
    // The application's fonts once it has made them (they are sized in pixels).
    if (const CVantrelApp* app = GetVantrelApp();
        app != nullptr && app->m_fontNormal.pixelSize() > 0 && app->m_fontLarge.pixelSize() > 0) {
        return PrintFonts{app->m_fontNormal, app->m_fontLarge};
    }
    return Standard();
}

PrintFonts PrintFonts::Standard() {
    const GraphFonts graph = GraphFonts::Standard();  // with the family substitutions
    QFont large = graph.normal;
    large.setPixelSize(25);
    return PrintFonts{graph.normal, large};
}

PrintPageContent CPrintPage::Capture(const CWndGraph& graph, const CWndDrivingInfo& info) {
    PrintPageContent content;
    content.scale = graph.Scale();
    for (std::size_t i = 0; i < content.recordValues.size(); ++i) {
        content.recordValues[i] = info.*kRecordValues[i];
    }
    const CWndGraphInfo& day = *graph.m_wndInfo;
    const std::string* dayTexts[5] = {&day.m_strDayDate, &day.m_strDayDrivingTime,
                                      &day.m_strDayDistance, &day.m_strDayMaxSpeed,
                                      &day.m_strDayMaxSpeedTime};
    for (std::size_t i = 0; i < 5; ++i) {
        content.dayValues[i] = QString::fromStdString(*dayTexts[i]);
    }
    content.speedImage = Cut(graph.m_wndSpeed->Render(), 45);
    content.distImage = Cut(graph.m_wndDist->Render(), 55);
    return content;
}

QString CPrintPage::Title(int scale) {
    switch (scale) {
        case 4:
            return Gui("4MINCHART", "4 minutes chart");
        case 3:
            return Gui("6MINCHART", "6 minutes chart");
        case 2:
            return Gui("12MINCHART", "12 minutes chart");
        case 1:
            return Gui("8HOURSCHART", "8 hours chart");
        default:
            return Gui("24HOURSCHART", "24 hours chart");
    }
}

QString CPrintPage::DateText(const QString& date) {
    if (date.size() != 8) {
        return date;
    }
    return QStringLiteral("%1.%2.%3").arg(date.left(4), date.mid(4, 2), date.right(2));
}

void CPrintPage::Paint(QPainter& painter, const QRect& target, const PrintPageContent& content,
                       const PrintFonts& fonts) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(static_cast<qreal>(target.width()) / kWidth,
                  static_cast<qreal>(target.height()) / kHeight);
    painter.setClipRect(QRect(0, 0, kWidth, kHeight));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // PDF files and printers get the graphs' pixels as they are, not as a lossy photo.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);

    // Title bar.
    painter.fillRect(kTitleRect, kGrey);
    painter.drawRect(kTitleRect);
    painter.setFont(CanvasFont(fonts.large));
    TextCentred(painter, kWidth / 2, 28, Title(content.scale));

    painter.setFont(CanvasFont(fonts.normal));
    PaintRecordTable(painter, content);

    // The graphs pixel for pixel on the canvas, then their labels: a label's lower rows reach
    // into the white top margin of its graph, and drawn first they would be cut off there.
    painter.drawImage(kSpeedOrigin, content.speedImage);
    painter.drawImage(kDistOrigin, content.distImage);
    TextCentred(painter, 408, 260, Gui("SPEED", "Speed"));
    TextCentred(painter, 408, 680, Gui("DISTANCE", "Distance"));
    TextRight(painter, 46, 292, QStringLiteral("km/h"));
    TextRight(painter, 48, 712, QStringLiteral("km"));
    // The day table goes over a wide speed graph.
    PaintDayTable(painter, content);
    painter.restore();
}

QImage CPrintPage::RenderCanvas(const PrintPageContent& content, const PrintFonts& fonts) {
    QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    Paint(painter, canvas.rect(), content, fonts);
    return canvas;
}

QPageLayout CPrintPage::PageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0));
}

bool CPrintPage::WritePdf(const QString& path, const PrintPageContent& content,
                          const PrintFonts& fonts) {
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("Vantrel"));
    writer.setTitle(Title(content.scale));
    writer.setResolution(300);
    if (!writer.setPageLayout(PageLayout())) {
        return false;
    }
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const QRect printable(0, 0, writer.width(), writer.height());
    Paint(painter, printable, content, fonts);
    return painter.end();
}

CPrintCursorHidden::CPrintCursorHidden(CWndGraph& graph)
    : m_graph(graph), m_bWasShown(graph.m_view.m_bShowCursor) {
    m_graph.m_view.m_bShowCursor = false;
    m_graph.m_wndSpeed->update();
    m_graph.m_wndDist->update();
}

CPrintCursorHidden::~CPrintCursorHidden() {
    m_graph.m_view.m_bShowCursor = m_bWasShown;
    m_graph.m_wndSpeed->update();
    m_graph.m_wndDist->update();
}
