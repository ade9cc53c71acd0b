// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli render and print as a script runs them: the built program started on a record written
// in the store's layout (a hand-made day with known drives) and on a record the import made of a
// generated card; the images read back at the pixels the graph rules fix, the readout lines, the
// JSON object and the exit codes; print's page canvas read back where the page layout fixes it, its
// graph images against render's, its PDF page through pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/views/CursorReadout.h"
#include "core/views/DrawList.h"
#include "tests/core/store/StoreFixtures.h"
#include "tests/support/CliProcess.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace vantrel {
namespace {

using test::TempFolder;

using test::CliRun;
const auto& Quote = test::ShellQuote;

int Index(int h, int m, int s) {
    return (h * 60 + m) * 120 + 2 * s;
}

QRgb Colour(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

std::vector<int> RowsOf(const QImage& image, int x, Rgb colour) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == Colour(colour)) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::vector<int> Span(int from, int to) {
    std::vector<int> rows;
    for (int y = from; y <= to; ++y) {
        rows.push_back(y);
    }
    return rows;
}

// The value text after "key": in the one-line JSON object (up to the next , or }).
std::string JsonValue(const std::string& json, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    const std::size_t at = json.find(marker);
    if (at == std::string::npos) {
        return "<missing>";
    }
    const std::size_t start = at + marker.size();
    if (json[start] == '[') {
        int depth = 0;
        for (std::size_t i = start; i < json.size(); ++i) {
            depth += json[i] == '[' ? 1 : json[i] == ']' ? -1 : 0;
            if (depth == 0) {
                return json.substr(start, i + 1 - start);
            }
        }
    }
    return json.substr(start, json.find_first_of(",}", start) - start);
}

// Standard output of a shell command.
std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

// The page shows the image at the origin, but for the part under the skipped rectangle.
bool SameRegion(const QImage& page, QPoint origin, const QImage& image, const QRect& skip) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!skip.contains(origin + QPoint(x, y)) &&
                page.pixel(origin + QPoint(x, y)) != image.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        test::RecordFixture fixture;
        fixture.stamp = "20150312081200";
        fixture.days = {"20150312", "20150313"};
        m_record = test::WriteRecord(Backup(), "20150314090000", fixture);
        // Day 0: 72 km/h from 08:00 to 09:00, standing to 09:10, 36 km/h 11:00 to 11:30.
        std::map<std::size_t, std::uint16_t> samples;
        auto drive = [&](int from, int to, std::uint16_t value) {
            for (int i = from; i < to; ++i) {
                samples[static_cast<std::size_t>(i)] = value;
            }
        };
        drive(Index(8, 0, 0), Index(9, 0, 0), 1000);
        drive(Index(9, 0, 0), Index(9, 10, 0), 0);
        drive(Index(11, 0, 0), Index(11, 30, 0), 500);
        const std::string base = m_record.substr(0, m_record.size() - 4) + "_20150312";
        TempFolder::Write(base + ".cda", test::DayImage(samples));
        TempFolder::Write(base + ".dat",
                          test::IniText("CDA", {{"DrivingDate", "20150312"},
                                                {"DrivingCM", "90.0"},
                                                {"DrivingTime", "10800"},
                                                {"MaxSpeed", "72.0"},
                                                {"MaxSpeedDateTime", "20150312081000.000"},
                                                {"IdlingDrivingStart", "20150312110000.000,"},
                                                {"AdjustOldTime", "2015-03-12 10:00:00,"},
                                                {"AdjustNewTime", "2015-03-12 10:05:00,"}}));
    }

    std::string Backup() const { return m_tmp.Folder("backup"); }
    std::string Out() const { return m_tmp.Folder("out"); }

    CliRun Cli(const std::vector<std::string>& args) {
        const std::string home = m_tmp.Folder("home");
        const std::string runtime = m_tmp.Folder("runtime");
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        return test::RunVantrelCli(
            m_tmp.Folder(),
            {"HOME=" + home, "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=" + home + ".config",
             "XDG_DOCUMENTS_DIR=" + home + "Documents"},
            args);
    }

    // render of the record with the actions, --json; the run must succeed.
    CliRun Render(const std::vector<std::string>& actions) {
        std::vector<std::string> args{"--backup", Backup(), "render", m_record};
        args.insert(args.end(), actions.begin(), actions.end());
        args.insert(args.end(), {"--out", Out(), "--json"});
        CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return run;
    }

    QImage Image(const std::string& name) const {
        return QImage(QString::fromStdString(Out() + name)).convertToFormat(QImage::Format_RGB32);
    }

    TempFolder m_tmp;
    std::string m_record;
};

TEST_F(RenderCommand, OpensTheFirstDayAtScaleZeroWithTheCursorAtMidnight) {
    const CliRun run = Render({});
    // One object on one line and nothing else.
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);
    EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
    const std::pair<const char*, const char*> expected[] = {
        {"day", "\"20150312\""},
        {"scale", "0"},
        {"rows", "14"},
        {"windowStart", "\"2015-03-12 00:00:00.000\""},
        {"cursor", "\"2015-03-12 00:00:00.000\""},
        {"cursorX", "70"},
        {"scrollPos", "0"},
        {"scrollBarPos", "0"},
        {"scrollEnabled", "false"},
        {"date", "\"20150312\""},
        {"drivingTime", "\"1:30:00.0\""},
        {"distance", "\"90.0 km\""},
        {"maxSpeed", "\"72.0 km/h\""},
        {"days", "[\"2015.03.12\",\"2015.03.13\"]"},
        {"adjustments", "[[\"1\",\"2015-03-12 10:00:00\",\"2015-03-12 10:05:00\"]]"}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(JsonValue(run.out, key), value) << key;
    }

    const QImage speed = Image("speed.png");
    ASSERT_EQ(speed.size(), QSize(824, 338));
    EXPECT_EQ(RowsOf(speed, 310, kTraceColour), Span(160, 304));  // up from the bottom at 08:00
    EXPECT_EQ(RowsOf(speed, 311, kTraceColour), std::vector<int>{160});
    EXPECT_TRUE(RowsOf(speed, 250, kTraceColour).empty());       // nothing at 06:00
    EXPECT_EQ(RowsOf(speed, 70, kCursorColour), Span(25, 304));  // the cursor at midnight
    EXPECT_EQ(speed.pixel(160, 25), Colour(kGridColour));        // the plot's top line
    EXPECT_EQ(speed.pixel(790, 304), qRgb(255, 255, 255));       // the line's end point unset
    EXPECT_EQ(Image("distance.png").size(), QSize(824, 125));
    EXPECT_EQ(Image("info.png").size(), QSize(375, 484));
    const QImage status = Image("status.png");
    ASSERT_EQ(status.size(), QSize(1200, 21));
    EXPECT_EQ(status.pixel(5, 10), Colour(kReadoutBackground));
    EXPECT_EQ(TempFolder::Read(Out() + "readout.txt"),
              "2015.03.12 00:00:00 ~ 2015.03.12 00:01:59.5       Max Speed : -- km/h       Min "
              "Speed : -- km/h       Distance : -- km       Cumulative Distance : -- km ~ -- "
              "km\n");
}

TEST_F(RenderCommand, ClickAtScaleZeroLeavesTheScrollBarWhereItWas) {
    const CliRun run = Render({"--click", "310"});
    EXPECT_EQ(JsonValue(run.out, "cursor"), "\"2015-03-12 08:00:00.000\"");
    EXPECT_EQ(JsonValue(run.out, "cursorX"), "310");
    EXPECT_EQ(JsonValue(run.out, "scrollPos"), std::to_string(Index(8, 0, 0)));
    EXPECT_EQ(JsonValue(run.out, "scrollBarPos"), "0");
    EXPECT_EQ(TempFolder::Read(Out() + "readout.txt"),
              "2015.03.12 08:00:00 ~ 2015.03.12 08:01:59.5       Max Speed : 72.0 km/h       "
              "Min Speed : 72.0 km/h       Distance : 2.4 km       Cumulative Distance : 0.0 km "
              "~ 2.4 km\n");
    // Hidden as while printing: neither at midnight nor at the clicked column.
    const CliRun hidden = Render({"--click", "250", "--no-cursor"});
    EXPECT_EQ(JsonValue(hidden.out, "cursorX"), "250");
    const QImage speed = Image("speed.png");
    EXPECT_TRUE(RowsOf(speed, 70, kCursorColour).empty());
    EXPECT_TRUE(RowsOf(speed, 250, kCursorColour).empty());
    EXPECT_TRUE(RowsOf(Image("distance.png"), 250, kCursorColour).empty());
}

struct ActionCase {
    std::vector<std::string> actions;
    std::vector<std::pair<std::string, std::string>> json;
    std::string readout;
};

TEST_F(RenderCommand, ActionsApplyInTheOrderGiven) {
    const std::string sample =
        "2015.03.12 11:00:00.5\nSpeed : 36.0 km/h\nCumulative Distance : 72.0 km\n";
    const std::vector<ActionCase> cases{
        // Scale 3 centres the 6 minutes on 11:00 (from the whole minute 10:57); the time
        // snaps to the column (11:00:00.0, column 430) and the step goes half a second on.
        {{"--scale", "3", "--cursor", "11:00:00.5", "--step", "right", "--rows", "6"},
         {{"scale", "3"},
          {"rows", "6"},
          {"windowStart", "\"2015-03-12 10:57:00.000\""},
          {"cursor", "\"2015-03-12 11:00:00.500\""},
          {"cursorX", "431"},
          {"scrollPos", std::to_string(Index(11, 0, 0) + 1)},
          {"scrollBarPos", std::to_string(Index(11, 0, 0) + 1)},
          {"scrollEnabled", "true"},
          {"speedMarkers", "[{\"kind\":\"idle\",\"x\":425,\"y\":301}]"}},
         sample},
        // A line left is two minutes at scale 3: the window moves, the cursor keeps its column.
        {{"--scale", "3", "--cursor", "11:00:00", "--step", "right", "--scroll", "lineleft"},
         {{"windowStart", "\"2015-03-12 10:55:00.000\""},
          {"cursor", "\"2015-03-12 10:58:00.500\""},
          {"cursorX", "431"},
          {"scrollBarPos", std::to_string(Index(10, 58, 0) + 1)},
          {"speedMarkers", "[{\"kind\":\"idle\",\"x\":665,\"y\":301}]"}},
         ""},
        // The scroll bar does nothing while disabled at scale 0.
        {{"--scroll", "pageright", "--scroll", "thumb:1000"},
         {{"cursor", "\"2015-03-12 00:00:00.000\""}, {"scrollBarPos", "0"}},
         ""}};
    for (const ActionCase& c : cases) {
        const CliRun run = Render(c.actions);
        for (const auto& [key, value] : c.json) {
            EXPECT_EQ(JsonValue(run.out, key), value) << c.actions.back() << " " << key;
        }
        if (!c.readout.empty()) {
            EXPECT_EQ(TempFolder::Read(Out() + "readout.txt"), c.readout);
        }
    }
    EXPECT_EQ(RowsOf(Image("speed.png"), 70, kCursorColour), Span(25, 304));
}

TEST_F(RenderCommand, SecondDayAndMissingDay) {
    const CliRun run = Render({"--day", "1"});
    EXPECT_EQ(JsonValue(run.out, "day"), "\"20150313\"");
    EXPECT_EQ(JsonValue(run.out, "adjustments"), "[]");
    const CliRun missing = Cli({"render", m_record, "--day", "2", "--out", Out()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no day 2"), std::string::npos) << missing.err;
    const CliRun noRecord = Cli({"render", Backup() + "none.dat", "--out", Out()});
    EXPECT_EQ(noRecord.status, 1);
    EXPECT_NE(noRecord.err.find("no record file"), std::string::npos) << noRecord.err;
}

TEST_F(RenderCommand, UsageErrorsExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> cases{
        {"render", m_record},                                 // no --out
        {"render", "--out", Out()},                           // no record
        {"render", m_record, "--out", Out(), "--rows", "7"},  // odd rows
        {"render", m_record, "--out", Out(), "--rows", "22"},
        {"render", m_record, "--out", Out(), "--scale", "5"},
        {"render", m_record, "--out", Out(), "--cursor", "24:00:00"},
        {"render", m_record, "--out", Out(), "--cursor", "10:00:00.4"},
        {"render", m_record, "--out", Out(), "--click", "-1"},
        {"render", m_record, "--out", Out(), "--scroll", "thumb:172800"},
        {"render", m_record, "--out", Out(), "--scroll", "up"},
        {"render", m_record, "--out", Out(), "--step", "up"},
        {"render", m_record, "--out", Out(), "--day", "x"},
        {"render", m_record, "--out", Out(), "--json=1"},
        {"render", m_record, "--out", Out(), "--zoom", "2"}};
    for (const auto& args : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << args.back() << ": " << run.err;
        EXPECT_NE(run.err.find("render --help"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Out() + "speed.png"));
    const CliRun help = Cli({"render", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vantrel-cli [GLOBAL OPTIONS] render RECORD.dat", 0), 0u);
}

TEST_F(RenderCommand, OnlyRenderStartsQt) {
    // A platform that cannot load fails any Qt application; the other commands never make one.
    const CliRun list = Cli({"--backup", Backup(), "list", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    std::string command = "env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=nosuchplatform " +
                          Quote(std::string(VANTREL_BIN_DIR) + "/vantrel-cli") + " --backup " +
                          Quote(Backup()) + " show " + Quote(m_record) + " >/dev/null 2>&1";
    const int shown = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(shown) && WEXITSTATUS(shown) == 0);
    command = "env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=nosuchplatform " +
              Quote(std::string(VANTREL_BIN_DIR) + "/vantrel-cli") + " render " + Quote(m_record) +
              " --out " + Quote(Out()) + " >/dev/null 2>&1";
    const int rendered = std::system(command.c_str());
    EXPECT_FALSE(WIFEXITED(rendered) && WEXITSTATUS(rendered) == 0);  // render does use Qt
}

TEST_F(RenderCommand, PrintMakesThePageOfTheGraphsAsRenderPaintsThem) {
    const std::vector<std::string> actions{"--scale", "1", "--cursor", "08:30:00"};
    std::vector<std::string> render{"--no-cursor"};
    render.insert(render.begin(), actions.begin(), actions.end());
    Render(render);
    const std::string png = m_tmp.Folder() + "page.png";
    const std::string pdf = m_tmp.Folder() + "page.pdf";
    std::vector<std::string> args{"--backup", Backup(), "print", m_record};
    args.insert(args.end(), actions.begin(), actions.end());
    args.insert(args.end(), {"--png", png, "--pdf", pdf});
    const CliRun run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");

    const QImage page = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.size(), QSize(1270, 900));
    const QRgb grey = qRgb(200, 200, 200);
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(page.pixel(24, 26), grey);  // title bar
    EXPECT_EQ(page.pixel(100, 25), black);
    EXPECT_EQ(page.pixel(1247, 40), black);
    EXPECT_EQ(page.pixel(25, 72), grey);                  // record table, column 1
    EXPECT_EQ(page.pixel(229, 72), qRgb(255, 255, 255));  // column 2
    EXPECT_EQ(page.pixel(1246, 220), black);
    EXPECT_EQ(page.pixel(841, 307), grey);  // day table
    EXPECT_EQ(page.pixel(1043, 306), black);
    // The graphs as render paints them with the cursor hidden, less their side strips.
    const QImage speed = Image("speed.png");
    const QImage distance = Image("distance.png");
    // (The graph labels are drawn over the images' top rows.)
    EXPECT_TRUE(SameRegion(page, {53, 275}, speed.copy(45, 0, 759, 338), QRect(300, 275, 220, 8)));
    EXPECT_TRUE(
        SameRegion(page, {63, 695}, distance.copy(55, 0, 749, 125), QRect(300, 695, 220, 6)));

    const std::string info = Output("pdfinfo " + Quote(pdf));
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       842 x 595 pts (A4)"), std::string::npos) << info;
    const std::string text = Output("pdftotext -raw " + Quote(pdf) + " -");
    for (const char* part :
         {"8 hours chart", "Vehicle No", "DR ID", "Record Start Time", "Max Speed Time",
          "Driving Date", "Speed", "Distance", "km/h", "12A3456", "VQ0A1B2C", "Driver",
          "2015.03.12 08:12:00", "2015.03.12", "90.0 km", "72.0 km/h", "1:30:00.0"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
}

TEST_F(RenderCommand, PrintTitleFollowsTheLanguage) {
    const std::string pdf = m_tmp.Folder() + "jp.pdf";
    const CliRun run = Cli({"--backup", Backup(), "--lang", "jp", "print", m_record, "--pdf", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    // The CJK fonts share one glyph between an ideograph and its Kangxi radical, so the text
    // layer may give the radical (U+2F9E for 車): compared after compatibility folding.
    const std::string text = QString::fromStdString(Output("pdftotext -raw " + Quote(pdf) + " -"))
                                 .normalized(QString::NormalizationForm_KC)
                                 .toStdString();
    EXPECT_NE(text.find("24時間チャート"), std::string::npos) << text;
    EXPECT_NE(text.find("車両番号"), std::string::npos) << text;
    EXPECT_EQ(text.find("24 hours chart"), std::string::npos) << text;
}

TEST_F(RenderCommand, PrintErrorsExitNonZeroWithAMessageAndWriteNothing) {
    const std::string pdf = m_tmp.Folder() + "never.pdf";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"print", Backup() + "none.dat", "--pdf", pdf}, 1, "no record file"},
        {{"print", m_record, "--day", "2", "--pdf", pdf}, 1, "no day 2"},
        {{"print", m_record}, 2, "print needs --pdf FILE or --png FILE"},
        {{"print", "--pdf", pdf}, 2, "print needs one record file"},
        {{"print", m_record, "--pdf", ""}, 2, "--pdf needs a file name"},
        {{"print", m_record, "--pdf", pdf, "--json"}, 2, "unknown option '--json'"},
        {{"print", m_record, "--out", Out()}, 2, "unknown option '--out'"},
        {{"print", m_record, "--pdf", pdf, "--scale", "5"}, 2, "--scale takes 0 to 4"},
        {{"print", m_record, "--pdf", "/nonexistent-folder/page.pdf"}, 1, "cannot write"},
        {{"print", m_record, "--png", "/nonexistent-folder/page.png"}, 1, "cannot write"}};
    for (const Case& c : cases) {
        std::vector<std::string> args{"--backup", Backup()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, c.status) << c.message << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(pdf));
    const CliRun help = Cli({"print", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vantrel-cli [GLOBAL OPTIONS] print RECORD.dat", 0), 0u);
    EXPECT_NE(Cli({"help"}).out.find("  print RECORD.dat"), std::string::npos);
}

TEST_F(RenderCommand, RendersARecordImportedFromAGeneratedCard) {
    std::string error;
    const auto card = datagen::GenerateCard(datagen::NamedScenario("small").value(), 5, &error);
    ASSERT_TRUE(card) << error;
    const std::string root = m_tmp.Folder("card");
    ASSERT_TRUE(datagen::WriteSdCard(*card, root).ok);
    const std::string backup = m_tmp.Folder("imported");
    ASSERT_EQ(Cli({"--backup", backup, "import-sd", root}).status, 0);
    const CliRun list = Cli({"--backup", backup, "list", "--json"});
    const std::string key = "\"record\": \"";
    const std::size_t at = list.out.find(key);
    ASSERT_NE(at, std::string::npos) << list.out;
    const std::string record =
        list.out.substr(at + key.size(), list.out.find('"', at + key.size()) - at - key.size());
    const CliRun run = Cli({"--backup", backup, "render", record, "--scale", "1", "--scroll",
                            "pageright", "--out", Out(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(JsonValue(run.out, "scale"), "1");
    EXPECT_EQ(JsonValue(run.out, "scrollEnabled"), "true");
    EXPECT_EQ(JsonValue(run.out, "day").size(), 10u) << run.out;  // "YYYYMMDD"
    EXPECT_EQ(Image("speed.png").size(), QSize(824, 338));
    EXPECT_EQ(Image("distance.png").size(), QSize(824, 125));
    const std::string readout = TempFolder::Read(Out() + "readout.txt");
    ASSERT_FALSE(readout.empty());
    EXPECT_EQ(readout.back(), '\n');

    // The printed page of the same record holds its vehicle number and day.
    const std::string pdf = m_tmp.Folder() + "generated.pdf";
    const CliRun print = Cli({"--backup", backup, "print", record, "--scale", "1", "--pdf", pdf});
    ASSERT_EQ(print.status, 0) << print.err;
    const std::string text = Output("pdftotext -raw " + Quote(pdf) + " -");
    const std::string day = JsonValue(run.out, "day");  // "\"YYYYMMDD\""
    EXPECT_NE(text.find(day.substr(1, 4) + "." + day.substr(5, 2) + "." + day.substr(7, 2)),
              std::string::npos)
        << text;
    const std::string vehicleKey = "\"vehicleNo\": \"";
    const std::size_t vehicleAt = list.out.find(vehicleKey) + vehicleKey.size();
    const std::string vehicle =
        list.out.substr(vehicleAt, list.out.find('"', vehicleAt) - vehicleAt);
    ASSERT_FALSE(vehicle.empty());
    EXPECT_NE(text.find(vehicle), std::string::npos) << vehicle << "\n" << text;
}

}  // namespace
}  // namespace vantrel
