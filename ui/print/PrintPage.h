// SPDX-License-Identifier: GPL-3.0-or-later
// The printed page: a fixed canvas of 1270 x 900 units with the title by time scale, the
// opened record's summary table, the speed and distance graphs as their windows paint them
// and the shown day's summary table. One painter serves the preview, the printer and PDF
// files: it draws onto any QPainter through a transform from the canvas onto the target
// rectangle (stretched, the aspect ratio not kept), so vector targets keep the texts and
// lines as such and only the two graph images are images.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <array>

class CWndDrivingInfo;
class CWndGraph;
class QPainter;
class QPageLayout;

// The fonts of the page: m_fontLarge for the title, m_fontNormal for everything else.
struct PrintFonts {
    QFont normal;
    QFont large;

    static PrintFonts FromApp();
    static PrintFonts Standard();
};

// Everything the page shows, captured from the windows at one moment.
struct PrintPageContent {
    int scale = 0;  // the graph time scale: selects the title
    // The record table's value cells, row by row, the three value columns of a row left to
    // right (rows 4 and 5 have two).
    std::array<QString, 13> recordValues;
    // The day table's values: date (YYYYMMDD), driving time, distance, maximum speed and
    // its time, as the graph information window holds them.
    std::array<QString, 5> dayValues;
    QImage speedImage;  // the speed graph's paint without its 45 px left and 20 px right strips
    QImage distImage;   // the distance graph's paint without its 55 px left and 20 px right strips
};

class CPrintPage {
public:
    static constexpr int kWidth = 1270;
    static constexpr int kHeight = 900;
    static constexpr QPoint kSpeedOrigin{53, 275};
    static constexpr QPoint kDistOrigin{63, 695};
    static constexpr QRect kTitleRect{23, 25, 1224, 30};         // (23,25)-(1247,55)
    static constexpr QRect kRecordTableRect{23, 70, 1224, 150};  // (23,70)-(1247,220)
    static constexpr QRect kDayTableRect{839, 305, 408, 150};    // (839,305)-(1247,455)
    static constexpr int kColumnWidth = 204;
    static constexpr int kRowHeight = 30;

    // The page of the graph area and driving information as they are now: the graphs
    // painted by their own code (off-screen, whatever covers their windows), cut by the
    // page's strips.
    static PrintPageContent Capture(const CWndGraph& graph, const CWndDrivingInfo& info);

    // The title of a time scale; any scale but 1 to 4 is the 24 hours chart.
    static QString Title(int scale);
    // "YYYY.MM.DD" of an eight-digit date; other texts as they are.
    static QString DateText(const QString& date);

    // Paints the page stretched onto the target rectangle of the painter's device.
    static void Paint(QPainter& painter, const QRect& target, const PrintPageContent& content,
                      const PrintFonts& fonts);
    // The 1270 x 900 canvas itself.
    static QImage RenderCanvas(const PrintPageContent& content, const PrintFonts& fonts);
    // One A4 landscape page into a PDF file, the page covering its printable area; false
    // when the file cannot be written.
    static bool WritePdf(const QString& path, const PrintPageContent& content,
                         const PrintFonts& fonts);
    // The page layout every print job and PDF file uses: A4, landscape.
    static QPageLayout PageLayout();
};

// Hides the graphs' time cursor line while it lives (the printed graphs never show it) and
// shows it as it was afterwards, repainting both graph windows each time.
class CPrintCursorHidden {
public:
    explicit CPrintCursorHidden(CWndGraph& graph);
    ~CPrintCursorHidden();
    CPrintCursorHidden(const CPrintCursorHidden&) = delete;
    CPrintCursorHidden& operator=(const CPrintCursorHidden&) = delete;

private:
    CWndGraph& m_graph;
    bool m_bWasShown;
};
