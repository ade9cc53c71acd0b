// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli render and print: the graph area of the window, built offscreen over the record's
// days, driven by the actions and written out with the windows' own paints.
#include "tools/cli/render/RenderCommand.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>

#include "core/store/MgrTachoDB.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"
#include "tools/cli/render/RenderActions.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/print/PrintPage.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/WndGraph.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

// "YYYY-MM-DD HH:MM:SS.mmm"
std::string JsonTime(const SystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                  unsigned{t.wSecond}, unsigned{t.wMilliseconds});
    return text;
}

// The Qt application of the command, on the offscreen platform unless one is chosen.
class OffscreenApp {
public:
    OffscreenApp() {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }

private:
    char m_name[12] = "vantrel-cli";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    std::unique_ptr<QApplication> m_app;
};

void PressRangeButtons(CWndGraphSpeed& speed, std::uint32_t rows) {
    while (speed.m_nRows < rows && speed.RangeUp()) {
    }
    while (speed.m_nRows > rows && speed.RangeDown()) {
    }
}

void Click(CWndGraph& graph, int x) {
    CWndGraphSpeed* speed = graph.m_wndSpeed;
    const QPointF local(x, speed->height() / 2);
    QMouseEvent release(QEvent::MouseButtonRelease, local, speed->mapToGlobal(local),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(speed, &release);
}

bool Apply(CWndGraph& graph, const RenderAction& action) {
    switch (action.kind) {
        case RenderActionKind::Scale:
            graph.SelectScale(action.value);
            break;
        case RenderActionKind::Cursor:
            return graph.MoveCursorToHalfSecond(action.halfSeconds);
        case RenderActionKind::Click:
            Click(graph, action.value);
            break;
        case RenderActionKind::Scroll:
            graph.OnScroll(action.request, action.value);
            break;
        case RenderActionKind::Step:
            graph.GraphStep(action.value);
            break;
        case RenderActionKind::Rows:
            PressRangeButtons(*graph.m_wndSpeed, static_cast<std::uint32_t>(action.value));
            break;
        case RenderActionKind::NoCursor:
            graph.m_view.m_bShowCursor = false;
            break;
    }
    return true;
}

std::string Text(const QString& text) {
    return text.toStdString();
}

void WriteInfoJson(std::ostream& out, const CWndGraphInfo& info) {
    out << "\"info\":{\"date\":" << JsonString(info.m_strDayDate)
        << ",\"drivingTime\":" << JsonString(info.m_strDayDrivingTime)
        << ",\"distance\":" << JsonString(info.m_strDayDistance)
        << ",\"maxSpeed\":" << JsonString(info.m_strDayMaxSpeed)
        << ",\"maxSpeedTime\":" << JsonString(info.m_strDayMaxSpeedTime) << ",\"days\":[";
    const QComboBox* days = info.DaySelector();
    for (int i = 0; i < days->count(); ++i) {
        out << (i > 0 ? "," : "") << JsonString(Text(days->itemText(i)));
    }
    out << "],\"adjustments\":[";
    const QTableWidget* list = info.AdjustList();
    for (int row = 0; row < list->rowCount(); ++row) {
        out << (row > 0 ? "," : "") << "[";
        for (int column = 0; column < list->columnCount(); ++column) {
            const QTableWidgetItem* item = list->item(row, column);
            out << (column > 0 ? "," : "") << JsonString(item ? Text(item->text()) : "");
        }
        out << "]";
    }
    out << "]}";
}

void WriteJson(std::ostream& out, const CWndGraph& graph) {
    const GraphViewState& view = graph.m_view;
    out << "{\"day\":" << JsonString(graph.m_wndInfo->m_strDayDate)
        << ",\"scale\":" << graph.Scale() << ",\"rows\":" << graph.m_wndSpeed->m_nRows
        << ",\"windowStart\":" << JsonString(JsonTime(view.m_stWindowStart))
        << ",\"cursor\":" << JsonString(JsonTime(view.m_stCursor))
        << ",\"cursorX\":" << view.m_nCursorX << ",\"scrollPos\":" << view.m_nScrollPos
        << ",\"scrollBarPos\":" << graph.m_scrollBar->value()
        << ",\"scrollEnabled\":" << (graph.m_scrollBar->isEnabled() ? "true" : "false")
        << ",\"speedMarkers\":[";
    const std::vector<SpeedMarker> markers = SpeedMarkers(graph.m_wndSpeed->Input());
    for (std::size_t i = 0; i < markers.size(); ++i) {
        out << (i > 0 ? "," : "") << "{\"kind\":\"" << (markers[i].isMax ? "max" : "idle")
            << "\",\"x\":" << markers[i].x << ",\"y\":" << markers[i].y << "}";
    }
    out << "],";
    WriteInfoJson(out, *graph.m_wndInfo);
    out << "}\n";
}

bool SavePng(const QImage& image, const fs::path& path) {
    return image.convertToFormat(QImage::Format_RGB32)
        .save(QString::fromStdString(path.string()), "PNG");
}

// The five files; the failing file's name, empty when all were written.
std::string WriteFiles(const CWndGraph& graph, const fs::path& dir) {
    const QSize status = CPanelMain::StatusRect(CMainFrame::kClientWidth).size();
    const std::pair<const char*, QImage> images[] = {
        {"speed.png", graph.m_wndSpeed->Render()},
        {"distance.png", graph.m_wndDist->Render()},
        // The information window as it shows, its selectors and adjustment list included.
        {"info.png", graph.m_wndInfo->grab().toImage()},
        {"status.png", graph.RenderReadout(status)}};
    for (const auto& [name, image] : images) {
        if (!SavePng(image, dir / name)) {
            return name;
        }
    }
    std::ofstream readout(dir / "readout.txt", std::ios::binary);
    for (const ReadoutText& text : ReadoutTexts(graph.ReadoutInput())) {
        readout << text.text << '\n';
    }
    readout.close();
    return readout ? std::string() : std::string("readout.txt");
}

// The record's days as the store lists them: its own cda folder scanned, the record
// selected.
void SelectRecord(CMgrTachoDB& store, const std::string& record) {
    store.ScanRecords(fs::path(record).parent_path().parent_path().string());
    store.SelectRecord(record);
}

// Opens the record's day in an offscreen graph area, runs the actions and hands the area to
// the output step; the exit status of the command.
int RunOnGraph(CliContext& context, const RenderArgs& parsed,
               const std::function<int(CWndGraph&, const std::string&)>& output) {
    context.LoadSettings();  // the language of the texts
    const std::optional<std::string> record = CheckRecordPath(context, parsed.record);
    if (!record) {
        return kExitFailure;
    }
    CMgrTachoDB store;
    SelectRecord(store, *record);
    if (static_cast<std::size_t>(parsed.day) >= store.m_aSelDayFiles.size()) {
        return context.Fail("the record has " + std::to_string(store.m_aSelDayFiles.size()) +
                            " day(s); there is no day " + std::to_string(parsed.day));
    }

    const OffscreenApp app;
    CWndGraph graph(store.m_converter, store, GraphFonts::Standard());
    graph.resize(CPanelMain::GraphRect(CMainFrame::kClientWidth).size());
    // Opening the record: its days listed and the first loaded, then scale 0.
    graph.m_wndInfo->LoadDays();
    graph.ApplyScale(0);
    if (parsed.day > 0) {
        graph.m_wndInfo->DaySelector()->setCurrentIndex(parsed.day);
        graph.m_wndInfo->LoadDay();
    }
    for (const RenderAction& action : parsed.actions) {
        if (!Apply(graph, action)) {
            return context.Fail("the day has no usable date, so --cursor has no time to go to");
        }
    }
    return output(graph, *record);
}

bool WritePrintedPage(const CWndGraph& graph, const std::string& record, const RenderArgs& parsed,
                      std::string& failed) {
    CWndDrivingInfo info;
    info.LoadRecord(record);  // the record table's texts, as the panel shows them
    const PrintPageContent page = CPrintPage::Capture(graph, info);
    const PrintFonts fonts = PrintFonts::Standard();
    if (!parsed.png.empty()) {
        const fs::path png = AbsolutePath(parsed.png);
        if (!SavePng(CPrintPage::RenderCanvas(page, fonts), png)) {
            failed = png.string();
            return false;
        }
    }
    if (!parsed.pdf.empty()) {
        const fs::path pdf = AbsolutePath(parsed.pdf);
        if (!CPrintPage::WritePdf(QString::fromStdString(pdf.string()), page, fonts)) {
            failed = pdf.string();
            return false;
        }
    }
    return true;
}

}  // namespace

int RunRender(CliContext& context, const std::vector<std::string>& args) {
    const RenderArgs parsed = ParseRenderArgs(args);
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "render");
    }
    return RunOnGraph(context, parsed, [&](CWndGraph& graph, const std::string& /*record*/) {
        std::error_code ec;
        const fs::path outDir = AbsolutePath(parsed.outDir);
        fs::create_directories(outDir, ec);
        if (!fs::is_directory(outDir, ec)) {
            return context.Fail("cannot create the folder '" + parsed.outDir + "'");
        }
        const std::string failed = WriteFiles(graph, outDir);
        if (!failed.empty()) {
            return context.Fail("cannot write '" + (outDir / failed).string() + "'");
        }
        if (parsed.json) {
            WriteJson(context.out, graph);
        }
        return kExitOk;
    });
}

int RunPrint(CliContext& context, const std::vector<std::string>& args) {
    const RenderArgs parsed = ParsePrintArgs(args);
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "print");
    }
    return RunOnGraph(context, parsed, [&](CWndGraph& graph, const std::string& record) {
        // The printed graphs never show the cursor line.
        const CPrintCursorHidden hidden(graph);
        std::string failed;
        if (!WritePrintedPage(graph, record, parsed, failed)) {
            return context.Fail("cannot write '" + failed + "'");
        }
        return kExitOk;
    });
}

}  // namespace vantrel::cli
