// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV files of the export: the exact text of a day's file (header, rows, CR LF), the
// result codes and what ends an export (a missing day is skipped, an unreadable day or an
// output that cannot be written is a failure and leaves no partial file), the cancel flag
// between days, and date lists longer than a display buffer.
#include "core/export/CsvExport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "tests/core/store/StoreFixtures.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::DayImage;
using test::IniText;
using test::TempFolder;

constexpr std::size_t Index(int h, int m, int k) {
    return static_cast<std::size_t>((h * 60 + m) * 120 + k);
}

class CsvExport : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(Out()); }

    // A record 20160315081200_VQ0A1B2C with the given days in folder cda/20160316090000/.
    std::string Record(const std::vector<std::string>& days, int countOverride = -1) {
        const std::string base = m_tmp.Folder("cda/20160316090000") + "20160315081200_VQ0A1B2C";
        std::string list;
        for (const std::string& day : days) {
            list += day + ",";
        }
        const int count = countOverride >= 0 ? countOverride : static_cast<int>(days.size());
        TempFolder::Write(base + ".dat",
                          IniText("RECORDINFO", {{"DrivingDate", list},
                                                 {"DrivingDateCount", std::to_string(count)}}));
        return base + ".dat";
    }
    void Day(const std::string& record, const std::string& date, const std::string& image) {
        const std::string base = record.substr(0, record.size() - 4) + "_" + date;
        TempFolder::Write(base + ".cda", image);
        TempFolder::Write(base + ".dat",
                          IniText("CDA", {{"DrivingDate", date},
                                          {"DrivingCM", "1234.6"},
                                          {"DrivingTime", "7201"},
                                          {"MaxSpeed", "64.8"},
                                          {"MaxSpeedDateTime", date + "101530.500"}}));
    }
    CsvExportResult Export(const std::vector<std::string>& records,
                           const CsvExportCallbacks& callbacks = {}) {
        return ExportRecordsToCsv(records, Out(), m_cancel, callbacks);
    }
    std::string Out() { return m_tmp.Folder("out"); }

    TempFolder m_tmp;
    std::atomic<int> m_cancel{0};
};

TEST_F(CsvExport, WritesHeaderAndOneRowPerSampleWithCrLf) {
    const std::string record = Record({"20160315"});
    Day(record, "20160315",
        DayImage({{Index(0, 0, 0), 0},
                  {Index(8, 30, 25), 57},
                  {Index(8, 30, 26), 65534},
                  {Index(23, 59, 119), 1000}}));
    const CsvExportResult result = Export({record});
    ASSERT_EQ(result.code, kExportCompleted);
    const std::string file = Out() + "20160315081200_VQ0A1B2C_20160315.csv";
    ASSERT_EQ(result.writtenFiles, std::vector<std::string>{file});
    EXPECT_EQ(TempFolder::Read(file),
              "Driving Date : 2016.03.15\r\n"
              "Driving Distance : 1234.6 km\r\n"
              "Driving Time : 1:00:00.5\r\n"
              "Max Speed : 64.8 km/h (10:15:30.5)\r\n"
              "\r\n"
              ", 2016.03.15, 00:00:00.000, 0\r\n"
              ", 2016.03.15, 08:30:12.500, 57\r\n"
              ", 2016.03.15, 08:30:13.000, 65534\r\n"
              ", 2016.03.15, 23:59:59.500, 1000\r\n");
}

TEST(CsvFormat, MissingSummaryKeysAndAnEmptyDayLeaveTheSeparators) {
    const std::string image = DayImage({});
    EXPECT_EQ(FormatCsvDay({}, "20160315", reinterpret_cast<const std::uint8_t*>(image.data()),
                           image.size()),
              "Driving Date : ..\r\n"
              "Driving Distance :  km\r\n"
              "Driving Time : 0:00:00.0\r\n"
              "Max Speed :  km/h ()\r\n"
              "\r\n");
}

TEST(CsvFormat, UsesOneDayImageAtMostAndTreatsMissingBytesAsNoSample) {
    std::string image = DayImage({{0, 7}});
    image += DayImage({{0, 9}});  // a second day's worth of bytes is not read
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.data());
    const std::string tail = ", 2016.03.15, 00:00:00.000, 7\r\n";
    const std::string whole = FormatCsvDay({}, "20160315", bytes, image.size());
    EXPECT_EQ(whole.substr(whole.size() - tail.size()), tail);
    EXPECT_EQ(whole.find(", 9\r\n"), std::string::npos);
    const std::string shortImage = FormatCsvDay({}, "20160315", bytes, 3);  // one sample and a half
    EXPECT_EQ(shortImage.substr(shortImage.size() - tail.size()), tail);
}

TEST(CsvFormat, ReplacesOnlyTheFileNamesOwnExtension) {
    EXPECT_EQ(RecordDayFilePath("/b/cda/x.dat.d/1_VQ.dat", "20160315", ".cda"),
              "/b/cda/x.dat.d/1_VQ_20160315.cda");
}

TEST_F(CsvExport, SkipsAMissingDaySilentlyAndReportsTheDays) {
    const std::string record = Record({"20160315", "20160316", "20160317"});
    Day(record, "20160315", DayImage({{5, 1}}));
    Day(record, "20160317", DayImage({{5, 1}}));
    std::vector<std::uint32_t> positions;
    std::uint32_t range = 0;
    const CsvExportResult result = Export(
        {record}, {[&](int number, int count, std::uint32_t days) {
                       EXPECT_EQ(number, 1);
                       EXPECT_EQ(count, 1);
                       range = days;
                   },
                   [&](std::uint32_t position, int, int) { positions.push_back(position); }});
    EXPECT_EQ(result.code, kExportCompleted);
    EXPECT_EQ(result.writtenFiles.size(), 2u);
    EXPECT_FALSE(fs::exists(Out() + "20160315081200_VQ0A1B2C_20160316.csv"));
    EXPECT_EQ(range, 3u);
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST_F(CsvExport, ExportsEveryDayOfAListLongerThanADisplayBuffer) {
    std::vector<std::string> days;
    for (int d = 1; d <= 40; ++d) {
        days.push_back((d <= 31 ? "201603" : "201604") +
                       std::string(d <= 31 ? (d < 10 ? "0" : "") + std::to_string(d)
                                           : "0" + std::to_string(d - 31)));
    }
    const std::string record = Record(days);
    for (const std::string& day : days) {
        Day(record, day, DayImage({{1, 1}}));
    }
    const CsvExportResult result = Export({record});
    EXPECT_EQ(result.code, kExportCompleted);
    ASSERT_EQ(result.writtenFiles.size(), 40u);
    EXPECT_TRUE(fs::exists(Out() + "20160315081200_VQ0A1B2C_20160409.csv"));
}

TEST_F(CsvExport, CountsBeyondTheListAndZeroCountsWriteNothingMore) {
    const std::string record = Record({"20160315"}, 3);  // the list has two fields, one empty
    Day(record, "20160315", DayImage({{1, 1}}));
    EXPECT_EQ(Export({record}).writtenFiles.size(), 1u);
    const std::string none = Record({"20160315"}, 0);
    EXPECT_TRUE(Export({none}).writtenFiles.empty());
}

TEST_F(CsvExport, CancelFinishesTheDayBeingWrittenThenStops) {
    const std::string first = Record({"20160315", "20160316"});
    Day(first, "20160315", DayImage({{1, 1}}));
    Day(first, "20160316", DayImage({{1, 1}}));
    const CsvExportResult result =
        Export({first, first}, {{}, [&](std::uint32_t, int, int) { m_cancel = 1; }});
    EXPECT_EQ(result.code, kExportCanceled);
    EXPECT_EQ(result.writtenFiles.size(), 1u);
    EXPECT_EQ(ExportResultKey(result.code), "EXPORTCANCEL");
}

TEST_F(CsvExport, AnUnreadableDaySampleFileFailsAndKeepsEarlierFiles) {
    const std::string record = Record({"20160315", "20160316", "20160317"});
    Day(record, "20160315", DayImage({{1, 1}}));
    Day(record, "20160317", DayImage({{1, 1}}));
    fs::create_directories(record.substr(0, record.size() - 4) + "_20160316.cda");
    const CsvExportResult result = Export({record});
    EXPECT_EQ(result.code, kExportFailed);
    EXPECT_EQ(result.writtenFiles.size(), 1u);
    EXPECT_EQ(result.failedFile, record.substr(0, record.size() - 4) + "_20160316.cda");
    EXPECT_FALSE(fs::exists(Out() + "20160315081200_VQ0A1B2C_20160316.csv"));
    EXPECT_FALSE(fs::exists(Out() + "20160315081200_VQ0A1B2C_20160317.csv"));
    EXPECT_EQ(ExportResultKey(result.code), "EXPORTFAIL");
}

TEST_F(CsvExport, AnOutputThatCannotBeCreatedIsAFailure) {
    const std::string record = Record({"20160315", "20160316"});
    Day(record, "20160315", DayImage({{1, 1}}));
    Day(record, "20160316", DayImage({{1, 1}}));
    fs::create_directories(Out() + "20160315081200_VQ0A1B2C_20160315.csv");
    const CsvExportResult result = Export({record});
    EXPECT_EQ(result.code, kExportFailed);
    EXPECT_EQ(result.failedFile, Out() + "20160315081200_VQ0A1B2C_20160315.csv");
    EXPECT_TRUE(result.writtenFiles.empty());
    EXPECT_FALSE(fs::exists(Out() + "20160315081200_VQ0A1B2C_20160316.csv"));
}

TEST_F(CsvExport, AWriteThatFailsPartWayLeavesNoFile) {
    const std::string record = Record({"20160315"});
    Day(record, "20160315", DayImage({{1, 1}}));
    const std::string out = Out() + "20160315081200_VQ0A1B2C_20160315.csv";
    fs::create_symlink("/dev/full", out);  // every write reports a full disk
    const CsvExportResult result = Export({record});
    EXPECT_EQ(result.code, kExportFailed);
    EXPECT_FALSE(result.failure.empty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(out)));
}

TEST_F(CsvExport, ADaySampleFileLongerThanOneDayGivesTheRowsOfItsFirstDayImage) {
    const std::string record = Record({"20160315"});
    Day(record, "20160315", DayImage({{Index(23, 59, 119), 7}}) + DayImage({{0, 9}}) + "xyz");
    const CsvExportResult result = Export({record});
    ASSERT_EQ(result.code, kExportCompleted);
    const std::string text = TempFolder::Read(result.writtenFiles.at(0));
    const std::string tail = "\r\n\r\n, 2016.03.15, 23:59:59.500, 7\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(CsvExport, AMissingOutputFolderIsAFailureNotASilentSkip) {
    const std::string record = Record({"20160315"});
    Day(record, "20160315", DayImage({{1, 1}}));
    EXPECT_EQ(ExportRecordsToCsv({record}, m_tmp.Folder("no/such"), m_cancel).code, kExportFailed);
}

}  // namespace
}  // namespace vantrel
