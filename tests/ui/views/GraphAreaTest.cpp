// SPDX-License-Identifier: GPL-3.0-or-later
// Whole paints of the graph area over small generated days, read back pixel by pixel at the
// places the drawing rules put them.
#include "ui/views/WndGraph.h"

#include <QComboBox>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "core/data/RecordModel.h"

namespace {

namespace fs = std::filesystem;
using vantrel::kNoSample;

int Index(int h, int m, int s) {
    return (h * 60 + m) * 120 + 2 * s;
}

QRgb Rgb(vantrel::Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

class GraphArea : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("vantrel_graph_area_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_graph = std::make_unique<CWndGraph>(m_converter, m_lists, GraphFonts::Standard());
    }
    void TearDown() override {
        m_graph.reset();
        fs::remove_all(m_dir);
    }

    // A day sample file with samples placed by the function and its day summary.
    std::string AddDay(const std::string& date,
                       const std::function<void(std::vector<std::uint16_t>&)>& fill,
                       const std::string& summaryExtra = {}, bool writeSamples = true) {
        std::vector<std::uint16_t> samples(vantrel::kSamplesPerDay, kNoSample);
        fill(samples);
        const std::string base = (m_dir / ("1426150000_VQ0A1B2C_" + date)).string();
        if (writeSamples) {
            std::ofstream cda(base + ".cda", std::ios::binary);
            for (std::uint16_t s : samples) {
                const char bytes[2] = {static_cast<char>(s & 0xFF), static_cast<char>(s >> 8)};
                cda.write(bytes, 2);
            }
        }
        std::ofstream(base + ".dat") << "[CDA]\nDrivingDate=" << date
                                     << "\nDrivingCM=12.0\nDrivingTime=1200\nMaxSpeed=72.0\n"
                                     << summaryExtra;
        m_lists.m_aSelDayFiles.push_back(base + ".cda");
        return base + ".cda";
    }

    static void Drive(std::vector<std::uint16_t>& s, int from, int to, std::uint16_t value) {
        std::fill(s.begin() + from, s.begin() + to, value);
    }

    std::vector<int> RedRows(const QImage& image, int x) const {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) == Rgb(vantrel::kTraceColour)) {
                rows.push_back(y);
            }
        }
        return rows;
    }

    static std::vector<int> Span(int from, int to) {
        std::vector<int> rows;
        for (int y = from; y <= to; ++y) {
            rows.push_back(y);
        }
        return rows;
    }

    fs::path m_dir;
    vantrel::CInfoDtcFile m_converter;
    vantrel::RecordLists m_lists;
    std::unique_ptr<CWndGraph> m_graph;
};

TEST_F(GraphArea, DropsIntoThePanelsRectangle) {
    m_graph->resize(1200, CWndGraph::kHeight);
    EXPECT_EQ(m_graph->m_wndSpeed->geometry(), QRect(0, 0, 824, 338));
    EXPECT_EQ(m_graph->m_scrollBar->geometry(), QRect(0, 338, 824, 21));
    EXPECT_EQ(m_graph->m_wndDist->geometry(), QRect(0, 359, 824, 125));
    EXPECT_EQ(m_graph->m_wndInfo->geometry(), QRect(825, 0, 375, 484));
    EXPECT_FALSE(m_graph->m_scrollBar->isEnabled());
    EXPECT_EQ(m_graph->m_scrollBar->maximum(), 172'799);
}

TEST_F(GraphArea, EmptyGraphsShowGridAndLabelsOnly) {
    const QImage speed = m_graph->m_wndSpeed->Render();
    ASSERT_EQ(speed.size(), QSize(824, 338));
    EXPECT_EQ(speed.pixel(70, 100), Rgb(vantrel::kGridColour));  // first vertical line
    EXPECT_EQ(speed.pixel(160, 25), Rgb(vantrel::kGridColour));  // top line
    EXPECT_EQ(speed.pixel(70, 304), Rgb(vantrel::kGridColour));  // bottom line
    EXPECT_EQ(speed.pixel(789, 304), Rgb(vantrel::kGridColour));
    EXPECT_EQ(speed.pixel(790, 304), qRgb(255, 255, 255));  // the end point is not set
    EXPECT_TRUE(RedRows(speed, 70).empty());
    for (int y = 25; y < 305; ++y) {
        EXPECT_NE(speed.pixel(70, y), Rgb(vantrel::kCursorColour));
    }
    EXPECT_TRUE(m_graph->RenderReadout(QSize(1200, 21)).pixel(10, 10) ==
                Rgb(vantrel::kReadoutBackground));
}

TEST_F(GraphArea, ScaleZeroGapAndCursorAtMidnight) {
    AddDay("20150312", [](auto& s) {
        Drive(s, Index(1, 0, 0), Index(2, 0, 0), 1000);
        Drive(s, Index(3, 0, 0), Index(4, 0, 0), 1000);
    });
    m_graph->m_wndInfo->LoadDays();
    EXPECT_EQ(m_graph->m_view.m_nCursorX, 70);
    const QImage speed = m_graph->m_wndSpeed->Render();
    EXPECT_EQ(RedRows(speed, 100), Span(160, 304));  // rises from the bottom at 01:00
    EXPECT_EQ(RedRows(speed, 101), std::vector<int>{160});
    EXPECT_TRUE(RedRows(speed, 140).empty());        // the gap
    EXPECT_EQ(RedRows(speed, 160), Span(160, 304));  // and again after it
    for (int y = 25; y <= 304; ++y) {
        ASSERT_EQ(speed.pixel(70, y), Rgb(vantrel::kCursorColour)) << y;
    }
    // The window shows exactly the rendered image (the range buttons aside).
    const QImage shown =
        m_graph->m_wndSpeed->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), speed.size());
    for (int x = 60; x < 824; x += 7) {
        for (int y = 0; y < 338; y += 3) {
            ASSERT_EQ(shown.pixel(x, y), speed.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(m_graph->m_wndInfo->m_strDayDrivingTime, "0:10:00.0");
    EXPECT_EQ(m_graph->m_wndInfo->DaySelector()->currentText(), "2015.03.12");
}

TEST_F(GraphArea, SampleAboveTheRangeAtSixRows) {
    AddDay("20150312", [](auto& s) { Drive(s, Index(0, 0, 0), Index(0, 1, 0), 2000); });
    m_graph->m_wndInfo->LoadDays();
    EXPECT_FALSE(m_graph->m_wndSpeed->RangeUp() && false);
    while (m_graph->m_wndSpeed->RangeDown()) {
    }
    EXPECT_EQ(m_graph->m_wndSpeed->m_nRows, 6u);
    m_graph->SelectScale(3);
    const QImage speed = m_graph->m_wndSpeed->Render();
    for (int x = 70; x < 190; ++x) {
        ASSERT_EQ(RedRows(speed, x), std::vector<int>{24}) << x;
    }
    EXPECT_TRUE(RedRows(speed, 190).empty());
    EXPECT_TRUE(m_graph->m_scrollBar->isEnabled());
}

TEST_F(GraphArea, IdleStartLeftOfTheWindowAtScaleOne) {
    AddDay(
        "20150312", [](auto& s) { Drive(s, Index(8, 50, 0), Index(9, 30, 0), 500); },
        "IdlingDrivingStart=20150312085000.000,\nMaxSpeedDateTime=\n");
    m_graph->m_wndInfo->LoadDays();
    m_graph->m_view.m_stCursor.wHour = 13;
    m_graph->SelectScale(1);
    ASSERT_EQ(m_graph->m_view.m_stWindowStart.wHour, 9);
    const auto markers = vantrel::SpeedMarkers(m_graph->m_wndSpeed->Input());
    ASSERT_EQ(markers.size(), 1u);  // no maximum-speed marker for a day without one
    EXPECT_EQ(markers[0].x, 50);
    const QImage speed = m_graph->m_wndSpeed->Render();
    int blue = 0;
    for (int x = 50; x < 62; ++x) {
        for (int y = 301; y < 320; ++y) {
            blue += speed.pixel(x, y) == Rgb(vantrel::kCursorColour) ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 10);
    for (int x = 0; x < 50; ++x) {
        for (int y = 301; y < 320; ++y) {
            ASSERT_NE(speed.pixel(x, y), Rgb(vantrel::kCursorColour));
        }
    }
}

TEST_F(GraphArea, DistanceLateFirstSampleAndCrossingFiveKilometres) {
    AddDay("20150312", [](auto& s) { Drive(s, Index(6, 0, 0), Index(6, 10, 0), 1000); });
    m_graph->m_wndInfo->LoadDays();
    const QImage dist = m_graph->m_wndDist->Render();
    ASSERT_EQ(dist.size(), QSize(824, 125));
    const std::vector<int> rising = RedRows(dist, 250);  // 2.4 km, up from the bottom
    ASSERT_FALSE(rising.empty());
    EXPECT_EQ(rising.back(), 105);
    for (int y : Span(67, 105)) {
        EXPECT_TRUE(std::find(rising.begin(), rising.end(), y) != rising.end()) << y;
    }
    EXPECT_TRUE(RedRows(dist, 249).empty());
    EXPECT_EQ(RedRows(dist, 252).front(), 25);                    // 7.2 km: the top edge
    EXPECT_EQ(dist.pixel(254, 105), Rgb(vantrel::kTraceColour));  // turned at the bottom
    EXPECT_EQ(dist.pixel(70, 60), Rgb(vantrel::kCursorColour));
}

TEST_F(GraphArea, UnreadableDayShowsNoOtherDaysSamples) {
    AddDay("20150312", [](auto& s) { Drive(s, Index(1, 0, 0), Index(2, 0, 0), 1000); });
    AddDay(
        "20150313", [](auto&) {}, {}, false);
    m_graph->m_wndInfo->LoadDays();
    ASSERT_FALSE(RedRows(m_graph->m_wndSpeed->Render(), 100).empty());
    m_graph->m_wndInfo->DaySelector()->setCurrentIndex(1);
    m_graph->m_wndInfo->LoadDay();
    EXPECT_EQ(m_graph->m_view.m_stDay.wDay, 13);
    EXPECT_TRUE(RedRows(m_graph->m_wndSpeed->Render(), 100).empty());
    EXPECT_EQ(m_graph->m_wndInfo->m_strDayDistance, "12.0 km");
    EXPECT_EQ(vantrel::ReadoutTexts(m_graph->ReadoutInput()).at(0).text.find("-- km ~ -- km") !=
                  std::string::npos,
              true);
}

TEST_F(GraphArea, EmptyDaySelectorLeavesTheDay) {
    AddDay("20150312", [](auto& s) { Drive(s, Index(1, 0, 0), Index(2, 0, 0), 1000); });
    m_graph->m_wndInfo->LoadDays();
    m_graph->m_wndInfo->Clear();
    m_graph->m_wndInfo->LoadDay();
    EXPECT_EQ(m_graph->m_view.m_stDay.wDay, 12);
    EXPECT_TRUE(m_graph->m_wndInfo->m_strDayDrivingTime.empty());
    m_graph->ClearViews();
    EXPECT_TRUE(RedRows(m_graph->m_wndSpeed->Render(), 100).empty());
}

TEST_F(GraphArea, RecordWithoutDayFilesOpensWithEmptyGraphs) {
    AddDay("20150312", [](auto& s) { Drive(s, Index(1, 0, 0), Index(2, 0, 0), 1000); });
    m_graph->m_wndInfo->LoadDays();
    ASSERT_FALSE(RedRows(m_graph->m_wndSpeed->Render(), 100).empty());
    m_lists.m_aSelDayFiles.clear();  // the next record has no day files
    m_graph->m_wndInfo->LoadDays();
    EXPECT_TRUE(RedRows(m_graph->m_wndSpeed->Render(), 100).empty());
    EXPECT_TRUE(m_graph->m_wndInfo->m_strDayDate.empty());
    EXPECT_EQ(m_graph->m_wndInfo->DaySelector()->count(), 0);
    EXPECT_TRUE(vantrel::ReadoutTexts(m_graph->ReadoutInput()).empty());  // no day: no readout
}

TEST_F(GraphArea, ClicksScrollingAndTheReadout) {
    AddDay(
        "20150312", [](auto& s) { Drive(s, Index(10, 0, 0), Index(11, 0, 0), 1000); },
        "AdjustOldTime=2015/03/12 10:00:00,\nAdjustNewTime=2015/03/12 10:05:00,\n");
    m_graph->m_wndInfo->LoadDays();
    EXPECT_EQ(m_graph->m_wndInfo->AdjustList()->rowCount(), 1);
    m_graph->SelectScale(2);
    m_graph->resize(1200, CWndGraph::kHeight);
    QTest::mouseRelease(m_graph->m_wndSpeed, Qt::LeftButton, {}, QPoint(400, 150));
    EXPECT_EQ(m_graph->m_view.m_nCursorX, 400);
    EXPECT_EQ(m_graph->m_scrollBar->value(), m_graph->m_view.m_nScrollPos);
    EXPECT_EQ(m_graph->m_scrollBar->value(), 660);  // 00:05:30
    // The bar's own arrow: the window leaves the day's start, the column stays.
    m_graph->m_scrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(m_graph->m_view.m_stWindowStart.wMinute, 1);
    EXPECT_EQ(m_graph->m_view.m_nCursorX, 400);
    EXPECT_EQ(m_graph->m_scrollBar->value(), 780);
    m_graph->GraphStep(1);
    EXPECT_EQ(m_graph->m_view.m_nCursorX, 401);

    m_graph->m_view.m_stCursor.wHour = 10;
    m_graph->ApplyScale(3);
    const QImage strip = m_graph->RenderReadout(QSize(1200, 21));
    int white = 0;
    for (int x = 10; x < 360; ++x) {
        for (int y = 2; y < 19; ++y) {
            white += strip.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(white, 100);
    EXPECT_EQ(strip.pixel(1000, 10), Rgb(vantrel::kReadoutBackground));
    const auto texts = vantrel::ReadoutTexts(m_graph->ReadoutInput());
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].text, "Speed : 72.0 km/h");

    // The three fields never overprint each other: two runs of at least 12 blank columns
    // separate them (blanks inside a field are narrower).
    std::vector<bool> inked(static_cast<std::size_t>(strip.width()), false);
    for (int x = 0; x < strip.width(); ++x) {
        for (int y = 2; y < 19; ++y) {
            inked[static_cast<std::size_t>(x)] =
                inked[static_cast<std::size_t>(x)] || strip.pixel(x, y) == qRgb(255, 255, 255);
        }
    }
    const auto first = std::find(inked.begin(), inked.end(), true);
    const auto last = std::find(inked.rbegin(), inked.rend(), true).base();
    int wideGaps = 0;
    int run = 0;
    for (auto it = first; it != last; ++it) {
        run = *it ? 0 : run + 1;
        wideGaps += run == 12 ? 1 : 0;
    }
    EXPECT_EQ(wideGaps, 2);
}

}  // namespace

namespace {

TEST(GraphInfo, FrameValueBoxesAndBackground) {
    vantrel::CInfoDtcFile converter;
    vantrel::RecordLists lists;
    CWndGraph graph(converter, lists, GraphFonts::Standard());
    CWndGraphInfo& info = *graph.m_wndInfo;
    ASSERT_EQ(info.size(), QSize(375, 484));
    const QRgb background = qRgb(160, 160, 160);
    const QRgb frame = qRgb(120, 120, 120);
    QImage image = info.Render();
    EXPECT_EQ(image.pixel(250, 300), background);  // no day: no value boxes
    EXPECT_EQ(image.pixel(5, 100), frame);
    EXPECT_EQ(image.pixel(370, 100), frame);
    EXPECT_EQ(image.pixel(200, 210), frame);
    EXPECT_EQ(image.pixel(12, 18), frame);
    EXPECT_EQ(image.pixel(6, 100), background);
    info.m_strDayDrivingTime = "0:00:00.0";
    image = info.Render();
    for (const QPoint& p :
         {QPoint(201, 292), QPoint(328, 311), QPoint(201, 364), QPoint(328, 383)}) {
        EXPECT_EQ(image.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(image.pixel(329, 300), background);
    EXPECT_EQ(image.pixel(250, 313), background);
    EXPECT_EQ(info.ScaleSelector()->count(), 5);
    EXPECT_EQ(info.ScaleSelector()->itemText(4), "Display 4 Minutes");
    SelectComboByData(info.ScaleSelector(), 7);
    EXPECT_EQ(info.ScaleSelector()->currentIndex(), 0);
    SelectComboByData(info.ScaleSelector(), 3);
    EXPECT_EQ(info.ScaleSelector()->currentIndex(), 3);
}

}  // namespace
