// SPDX-License-Identifier: GPL-3.0-or-later
// The printed page: the 1270 x 900 canvas read back pixel by pixel where the page layout
// fixes its title bar, table lines and grey columns and where the graph images sit (compared
// with the graph windows' own off-screen paint), the stretch onto a target rectangle, the
// titles by scale and the A4 landscape PDF with its texts (pdfinfo, pdftotext, pdfimages).
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/print/PrintFixture.h"
#include "ui/print/PrintPage.h"
#include "ui/views/WndGraphDist.h"
#include "ui/views/WndGraphInfo.h"
#include "ui/views/WndGraphSpeed.h"

namespace vantrel {
namespace {

const QRgb kGreyPixel = qRgb(200, 200, 200);
const QRgb kBlackPixel = qRgb(0, 0, 0);
const QRgb kWhitePixel = qRgb(255, 255, 255);

// The places the layout fixes, whatever the texts: lines one unit wide and black, the grey
// fills, white around them. Points are chosen off every text.
void ExpectLayout(const QImage& canvas) {
    ASSERT_EQ(canvas.size(), QSize(1270, 900));
    // Title bar (23,25)-(1247,55): outline black, inside grey, outside white.
    for (const int x : {23, 1247}) {
        EXPECT_EQ(canvas.pixel(x, 40), kBlackPixel) << x;
    }
    for (const int y : {25, 55}) {
        EXPECT_EQ(canvas.pixel(100, y), kBlackPixel) << y;
    }
    EXPECT_EQ(canvas.pixel(24, 26), kGreyPixel);
    EXPECT_EQ(canvas.pixel(1246, 54), kGreyPixel);
    EXPECT_EQ(canvas.pixel(22, 40), kWhitePixel);
    EXPECT_EQ(canvas.pixel(1248, 40), kWhitePixel);
    EXPECT_EQ(canvas.pixel(100, 24), kWhitePixel);
    EXPECT_EQ(canvas.pixel(100, 56), kWhitePixel);
    // Record table (23,70)-(1247,220): six row lines, seven column lines, columns 1, 3, 5 grey.
    for (int y = 70; y <= 220; y += 30) {
        for (const int x : {24, 230, 1246}) {
            EXPECT_EQ(canvas.pixel(x, y), kBlackPixel) << x << "," << y;
        }
    }
    for (int k = 0; k <= 6; ++k) {
        const int x = 23 + 204 * k;
        for (const int y : {71, 101, 219}) {
            EXPECT_EQ(canvas.pixel(x, y), kBlackPixel) << x << "," << y;
        }
        if (k < 6) {
            EXPECT_EQ(canvas.pixel(x + 2, 72), k % 2 == 0 ? kGreyPixel : kWhitePixel) << k;
            EXPECT_EQ(canvas.pixel(x + 202, 218), k % 2 == 0 ? kGreyPixel : kWhitePixel) << k;
        }
    }
    EXPECT_EQ(canvas.pixel(100, 221), kWhitePixel);
    EXPECT_EQ(canvas.pixel(22, 100), kWhitePixel);
    // Day table (839,305)-(1247,455): first column grey, six row and three column lines.
    for (int y = 305; y <= 455; y += 30) {
        EXPECT_EQ(canvas.pixel(840, y), kBlackPixel) << y;
        EXPECT_EQ(canvas.pixel(1246, y), kBlackPixel) << y;
    }
    for (const int x : {839, 1043, 1247}) {
        EXPECT_EQ(canvas.pixel(x, 306), kBlackPixel) << x;
        EXPECT_EQ(canvas.pixel(x, 454), kBlackPixel) << x;
    }
    EXPECT_EQ(canvas.pixel(841, 307), kGreyPixel);
    EXPECT_EQ(canvas.pixel(1041, 453), kGreyPixel);
    EXPECT_EQ(canvas.pixel(1045, 307), kWhitePixel);
    EXPECT_EQ(canvas.pixel(1245, 453), kWhitePixel);
    EXPECT_EQ(canvas.pixel(1249, 380), kWhitePixel);
}

// How many pixels of the canvas at the origin differ from the image.
int Differences(const QImage& canvas, QPoint origin, const QImage& image, const QRect& skip = {}) {
    int differences = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QPoint at = origin + QPoint(x, y);
            if (skip.contains(at)) {
                continue;
            }
            differences += canvas.pixel(at) != image.pixel(x, y) ? 1 : 0;
        }
    }
    return differences;
}

// Where the graph labels lie over the images' top rows.
const QRect kSpeedLabel(300, 275, 220, 8);
const QRect kDistLabel(300, 695, 220, 6);

bool HasBlack(const QImage& canvas, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (canvas.pixel(x, y) == kBlackPixel) {
                return true;
            }
        }
    }
    return false;
}

TEST(PrintPage, EmptyRecordStillHasItsTablesTitleAndGreyColumns) {
    const QImage canvas = CPrintPage::RenderCanvas(PrintPageContent{}, PrintFonts::Standard());
    ExpectLayout(canvas);
    // No graph images: the graph area stays white.
    EXPECT_EQ(canvas.pixel(400, 450), kWhitePixel);
    EXPECT_EQ(canvas.pixel(400, 760), kWhitePixel);
}

TEST(PrintPage, TitleByScaleAndDateText) {
    const std::vector<std::pair<int, QString>> titles = {
        {0, "24 hours chart"},  {1, "8 hours chart"},   {2, "12 minutes chart"},
        {3, "6 minutes chart"}, {4, "4 minutes chart"}, {5, "24 hours chart"},
        {-1, "24 hours chart"}, {255, "24 hours chart"}};
    for (const auto& [scale, title] : titles) {
        EXPECT_EQ(CPrintPage::Title(scale), title) << scale;
    }
    const std::vector<std::pair<QString, QString>> dates = {
        {"20150312", "2015.03.12"}, {"", ""}, {"2015031", "2015031"}, {"201503121", "201503121"}};
    for (const auto& [date, text] : dates) {
        EXPECT_EQ(CPrintPage::DateText(date), text) << date.toStdString();
    }
}

TEST(PrintPage, StretchesOntoTheTargetRectangleOnly) {
    QImage target(1000, 700, QImage::Format_RGB32);
    target.fill(Qt::red);
    {
        QPainter painter(&target);
        CPrintPage::Paint(painter, QRect(100, 50, 635, 450), PrintPageContent{},
                          PrintFonts::Standard());
    }
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(target.pixel(99, 60), red);
    EXPECT_EQ(target.pixel(200, 49), red);
    EXPECT_EQ(target.pixel(736, 300), red);
    EXPECT_EQ(target.pixel(300, 501), red);
    EXPECT_EQ(target.pixel(101, 51), kWhitePixel);              // canvas (2, 2)
    EXPECT_EQ(target.pixel(150, 70), kGreyPixel);               // canvas (100, 40): title bar
    EXPECT_EQ(target.pixel(525, 205), kGreyPixel);              // canvas (850, 310): day table
    EXPECT_EQ(target.pixel(100 + 250, 50 + 300), kWhitePixel);  // canvas (500, 600)
}

TEST(PrintPage, TextsAreSizedInCanvasUnitsWhateverTheDeviceResolution) {
    // Fonts sized in points (as a font of the platform's defaults is) must come out as on the
    // 96 dpi screen also on a 1200 dpi device such as a printer.
    PrintFonts fonts = PrintFonts::Standard();
    fonts.normal.setPointSize(13);
    fonts.large.setPointSize(19);
    const QImage screen = CPrintPage::RenderCanvas(PrintPageContent{}, fonts);
    QImage printer(1270, 900, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(1200 / 0.0254);
    printer.setDotsPerMeterX(dotsPerMeter);
    printer.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&printer);
        CPrintPage::Paint(painter, printer.rect(), PrintPageContent{}, fonts);
    }
    printer.setDotsPerMeterX(screen.dotsPerMeterX());
    printer.setDotsPerMeterY(screen.dotsPerMeterY());
    EXPECT_EQ(printer, screen);
}

using PrintPageOfRecord = test::PrintFixture;

TEST_F(PrintPageOfRecord, CanvasHasTheLayoutAndTheGraphsAsTheirWindowsPaintThem) {
    CWndGraph& graph = *Graph();
    graph.SelectScale(1);
    PrintPageContent page;
    QImage speed;
    QImage dist;
    {
        const CPrintCursorHidden hidden(graph);
        EXPECT_FALSE(graph.m_view.m_bShowCursor);
        page = CPrintPage::Capture(graph, Info());
        speed = graph.m_wndSpeed->Render();
        dist = graph.m_wndDist->Render();
    }
    EXPECT_TRUE(graph.m_view.m_bShowCursor);
    // The cursor line is in the windows' paint again, not in the page's images.
    EXPECT_NE(graph.m_wndSpeed->Render(), speed);
    EXPECT_EQ(page.scale, 1);

    const QImage canvas = CPrintPage::RenderCanvas(page, PrintFonts::Standard());
    ExpectLayout(canvas);
    ASSERT_EQ(speed.size(), QSize(824, 338));
    ASSERT_EQ(dist.size(), QSize(824, 125));
    EXPECT_EQ(page.speedImage.size(), QSize(759, 338));
    EXPECT_EQ(page.distImage.size(), QSize(749, 125));
    // The images but for the graph labels, which are drawn whole over their top margins.
    EXPECT_EQ(Differences(canvas, {53, 275}, speed.copy(45, 0, 759, 338), kSpeedLabel), 0);
    EXPECT_EQ(Differences(canvas, {63, 695}, dist.copy(55, 0, 749, 125), kDistLabel), 0);
    EXPECT_TRUE(HasBlack(canvas, QRect(350, 275, 120, 6)));  // "Speed" below the image's top
    EXPECT_TRUE(HasBlack(canvas, QRect(350, 695, 120, 4)));  // "Distance" likewise
    // Nothing of the graphs beyond the images.
    EXPECT_EQ(canvas.pixel(52, 400), kWhitePixel);
    EXPECT_EQ(canvas.pixel(813, 400), kWhitePixel);
    EXPECT_EQ(canvas.pixel(400, 614), kWhitePixel);
    EXPECT_EQ(canvas.pixel(400, 821), kWhitePixel);

    // The texts as the windows hold them.
    EXPECT_EQ(page.recordValues[0], Info().m_strVehicleNo);
    EXPECT_EQ(page.recordValues[12], Info().m_strMaxContDrivingTime);
    EXPECT_EQ(page.dayValues[0].toStdString(), graph.m_wndInfo->m_strDayDate);
    EXPECT_EQ(page.dayValues[3].toStdString(), graph.m_wndInfo->m_strDayMaxSpeed);
}

TEST_F(PrintPageOfRecord, WideSpeedGraphIsCoveredByTheDayTable) {
    CWndGraph& graph = *Graph();
    graph.m_wndSpeed->resize(1100, 338);
    const CPrintCursorHidden hidden(graph);
    const PrintPageContent page = CPrintPage::Capture(graph, Info());
    ASSERT_EQ(page.speedImage.width(), 1035);  // reaches x = 1088 on the canvas
    const QImage canvas = CPrintPage::RenderCanvas(page, PrintFonts::Standard());
    ExpectLayout(canvas);
    const QImage speed = graph.m_wndSpeed->Render().copy(45, 0, 1035, 338);
    // Everywhere but under the day table the canvas is the image.
    EXPECT_EQ(Differences(canvas, {53, 275}, speed, QRect(839, 305, 409, 151).united(kSpeedLabel)),
              0);
    EXPECT_GT(Differences(canvas, {53, 275}, speed), 0);
}

TEST_F(PrintPageOfRecord, PdfIsOneA4LandscapePageWithTextsAsTextAndGraphsAsImages) {
    CWndGraph& graph = *Graph();
    const CPrintCursorHidden hidden(graph);
    const std::string pdf = TempPath("page.pdf");
    ASSERT_TRUE(CPrintPage::WritePdf(QString::fromStdString(pdf),
                                     CPrintPage::Capture(graph, Info()), PrintFonts::Standard()));
    const std::string info = Run("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       842 x 595 pts (A4)"), std::string::npos) << info;
    const std::string text = Run("pdftotext -raw '" + pdf + "' -");
    const std::string date = graph.m_wndInfo->m_strDayDate;
    const std::vector<std::string> expected = {
        "24 hours chart",
        "Vehicle No",
        "Max Speed Time",
        "Driving Date",
        "Speed",
        "Distance",
        "km/h",
        Info().m_strVehicleNo.toStdString(),
        Info().m_strDrid.toStdString(),
        Info().m_strDriverName.toStdString(),
        Info().m_strRecordStart.toStdString(),
        Info().m_strDrivingDistance.toStdString(),
        date.substr(0, 4) + "." + date.substr(4, 2) + "." + date.substr(6, 2),
        graph.m_wndInfo->m_strDayDistance,
        graph.m_wndInfo->m_strDayMaxSpeed};
    for (const std::string& part : expected) {
        ASSERT_FALSE(part.empty());
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
    // Two images (the graphs), both stored losslessly.
    const std::string images = Run("pdfimages -list '" + pdf + "' | tail -n +3");
    EXPECT_NE(images.find(" 759   338 "), std::string::npos) << images;
    EXPECT_NE(images.find(" 749   125 "), std::string::npos) << images;
    EXPECT_EQ(images.find("jpeg"), std::string::npos) << images;
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;
}

TEST(PrintPagePdf, UnwritableFileFails) {
    EXPECT_FALSE(CPrintPage::WritePdf(QStringLiteral("/nonexistent-folder/page.pdf"),
                                      PrintPageContent{}, PrintFonts::Standard()));
}

}  // namespace
}  // namespace vantrel
