// SPDX-License-Identifier: GPL-3.0-or-later
// Reading .dtc files: the block walk (placement by local time, only whole blocks copied, the
// end of the walk), headers-only reads, the day and record numbering over one call, the file
// that was not closed normally, progress, and the failures that end a read.
#include <gtest/gtest.h>

#include <vector>

#include "DataTestSupport.h"
#include "core/data/DtcDecoder.h"
#include "core/data/DtcFileList.h"
#include "core/data/RecordModel.h"
#include "core/log/TraceLog.h"

namespace vantrel {
namespace {

using test::DtcBuilder;
using test::HeaderSpec;
using test::Time32;

constexpr std::int16_t kZone = 540;  // Korea: device time is local time - 9 h
constexpr std::uint32_t Device(std::uint32_t local) {
    return local - kZone * 60;
}

HeaderSpec Header(std::uint32_t localStart, std::uint32_t stamp = 1'400'000'000) {
    HeaderSpec h;
    h.fileStart = Device(localStart);
    h.recordStart = Device(localStart);
    h.zone = kZone;
    h.stamp = stamp;
    return h;
}

class TraceCapture {
public:
    TraceCapture() {
        m_previous = SetTraceSink([this](const TraceMessage& m) { messages.push_back(m); });
    }
    ~TraceCapture() { SetTraceSink(m_previous); }
    std::vector<TraceMessage> messages;

private:
    TraceSink m_previous;
};

class DtcFileListTest : public ::testing::Test {
protected:
    std::string Write(const DtcBuilder& builder) {
        return builder.WriteTo(m_temp.Folder() + "f" + std::to_string(m_count++) + ".dtc");
    }
    CDtcFileList List(const std::vector<std::string>& names) {
        CDtcFileList list;
        for (const std::string& name : names) {
            list.AddFileName(name);
        }
        return list;
    }

    test::TempFolder m_temp;
    int m_count = 0;
};

TEST_F(DtcFileListTest, FullReadPlacesBlocksByLocalTime) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(Header(start)).Hour(Device(start)).Minutes(Device(start), 3, 500);
    dtc.Minute(Device(start + 3600 + 60 * 5), [](int k) { return static_cast<std::uint16_t>(k); });
    CDtcFileList list = List({Write(dtc)});
    ASSERT_TRUE(list.ReadFiles(false));
    ASSERT_EQ(list.InfoCount(), 1u);
    const stFileInfo& info = list.GetFileInfo(0);
    EXPECT_EQ(info.StartTime(), start);
    EXPECT_EQ(info.EndTime(), start + 3600 + 300);
    EXPECT_TRUE(info.ClosedNormally());
    EXPECT_EQ(info.HourTime(10), start);
    EXPECT_EQ(info.MinuteTime(10, 2), start + 120);
    EXPECT_EQ(info.Sample(10, 0, 0), 500);
    EXPECT_EQ(info.Sample(10, 2, 119), 500);
    EXPECT_EQ(info.Sample(10, 3, 0), kNoSample);
    EXPECT_EQ(info.Sample(11, 5, 77), 77);
    // The rest of a record is copied as it stands in the file.
    EXPECT_EQ(info.data()[stFileInfo::MinuteRecordOffset(10, 1)], 0x22);
    EXPECT_EQ(info.data()[stFileInfo::HourRecordOffset(10) + 200], 0x11);
    EXPECT_EQ(list.GetDeviceId(0), "VQ0A1B2C");
    EXPECT_EQ(info.VehicleNo(), "12GA3456");
    EXPECT_EQ(info.DriverName(), "Driver");
}

TEST_F(DtcFileListTest, HeadersOnlyStopsAfterTheHeader) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(Header(start)).Minutes(Device(start), 2, 500);
    CDtcFileList list = List({Write(dtc)});
    std::vector<int> progress;
    ASSERT_TRUE(list.ReadFiles(true, [&](int p) { progress.push_back(p); }));
    const stFileInfo& info = list.GetFileInfo(0);
    EXPECT_EQ(info.StartTime(), start);
    EXPECT_EQ(info.RecordStamp(), 1'400'000'000u);
    EXPECT_EQ(info.Sample(10, 0, 0), kNoSample);
    EXPECT_EQ(info.EndTime(), 0u);
    EXPECT_TRUE(progress.empty());
}

TEST_F(DtcFileListTest, ProgressRunsFromTwentyTowardsEighty) {
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        names.push_back(Write(DtcBuilder().Header(Header(Time32(2015, 3, 12, 8 + i)))));
    }
    CDtcFileList list = List(names);
    std::vector<int> progress;
    ASSERT_TRUE(list.ReadFiles(false, [&](int p) { progress.push_back(p); }));
    EXPECT_EQ(progress, (std::vector<int>{20, 35, 50, 65}));
}

struct NumberingCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> files;  // record stamp, local start
    std::vector<std::pair<int, int>> expected;                   // day index, record index
};

class DtcFileListNumbering : public DtcFileListTest,
                             public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(DtcFileListNumbering, RunsOverTheWholeCall) {
    const NumberingCase& c = GetParam();
    std::vector<std::string> names;
    for (const auto& [stamp, start] : c.files) {
        names.push_back(Write(DtcBuilder().Header(Header(start, stamp))));
    }
    for (bool headersOnly : {true, false}) {
        CDtcFileList list = List(names);
        ASSERT_TRUE(list.ReadFiles(headersOnly));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(list.GetFileInfo(i).DayIndex(), c.expected[i].first) << i;
            EXPECT_EQ(list.GetFileInfo(i).RecordIndex(), c.expected[i].second) << i;
        }
    }
}

constexpr std::uint32_t kA = 1'426'140'000;
constexpr std::uint32_t kB = 1'426'300'000;
const std::uint32_t kDay1 = Time32(2015, 3, 12, 9);
const std::uint32_t kDay1Late = Time32(2015, 3, 12, 23, 59, 59);
const std::uint32_t kDay2 = Time32(2015, 3, 13, 0);

INSTANTIATE_TEST_SUITE_P(
    Cases, DtcFileListNumbering,
    ::testing::Values(
        NumberingCase{
            "StampsAAB", {{kA, kDay1}, {kA, kDay1Late}, {kB, kDay1Late}}, {{0, 0}, {0, 0}, {1, 1}}},
        NumberingCase{"NewDayWithinRecord",
                      {{kA, kDay1}, {kA, kDay2}, {kA, kDay2}, {kB, kDay2}, {kA, kDay2}},
                      {{0, 0}, {1, 0}, {1, 0}, {2, 1}, {3, 2}}},
        // A first stamp of 0 equals the initial "previous stamp" and still opens the first
        // record and day.
        NumberingCase{"FirstStampZero",
                      {{0, kDay1}, {0, kDay1}, {0, kDay2}, {kA, kDay2}},
                      {{0, 0}, {0, 0}, {1, 0}, {2, 1}}},
        // An unset clock gives an all-zero date; it is a day of its own.
        NumberingCase{
            "InvalidStart", {{kA, 86'400}, {kA, 90'000}, {kA, kDay1}}, {{0, 0}, {0, 0}, {1, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DtcFileListTest, IndexesWrapAtEightBits) {
    std::vector<std::string> names;
    for (int i = 0; i < 258; ++i) {
        names.push_back(
            Write(DtcBuilder().Header(Header(kDay1, kA + static_cast<std::uint32_t>(i)))));
    }
    CDtcFileList list = List(names);
    ASSERT_TRUE(list.ReadFiles(true));
    EXPECT_EQ(list.GetFileInfo(255).RecordIndex(), 255);
    EXPECT_EQ(list.GetFileInfo(256).RecordIndex(), 0);
    EXPECT_EQ(list.GetFileInfo(257).DayIndex(), 1);
}

TEST_F(DtcFileListTest, MinuteBeforeTheStartMarksTheFileNotClosedNormally) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(Header(start)).Minutes(Device(start), 2, 300);
    dtc.Minute(Device(start - 1800), 400);  // the clock was set back half an hour
    TraceCapture trace;
    CDtcFileList list = List({Write(dtc)});
    ASSERT_TRUE(list.ReadFiles(false));
    const stFileInfo& info = list.GetFileInfo(0);
    EXPECT_EQ(info.EndTime(), start - 1800);
    EXPECT_FALSE(info.ClosedNormally());
    EXPECT_EQ(info.Sample(9, 30, 5), 400);
    ASSERT_EQ(trace.messages.size(), 1u);
    EXPECT_EQ(trace.messages[0].message, "정상적으로 파일 닫기 되지 않은 파일 - 종료시간 수정");
    EXPECT_NE(trace.messages[0].location.find(" line in DtcDecoder.cpp"), std::string::npos);
}

TEST_F(DtcFileListTest, InvalidMinuteTimeGoesToMidnightAndEndsWithoutTime) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(Header(start)).Minute(Device(start), 300).Minute(5'000, 700);
    TraceCapture trace;
    CDtcFileList list = List({Write(dtc)});
    ASSERT_TRUE(list.ReadFiles(false));
    const stFileInfo& info = list.GetFileInfo(0);
    EXPECT_EQ(info.Sample(0, 0, 0), 700);
    // 0xFFFFFFFF would read as 2106-02-07 06:28:15 and place samples up to 06:28.
    EXPECT_EQ(info.EndTime(), 0u);
    EXPECT_FALSE(info.ClosedNormally());
    EXPECT_EQ(trace.messages.size(), 1u);
}

TEST_F(DtcFileListTest, OnlyWholeBlocksAreCopied) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder whole;
    whole.Header(Header(start)).Minute(Device(start), 300).Minute(Device(start + 60), 400);
    std::vector<std::uint8_t> bytes = whole.Bytes();
    bytes.resize(bytes.size() - 1);  // the last minute record lacks its last byte
    const std::string cut = m_temp.Folder() + "cut.dtc";
    test::WriteBytes(cut, bytes);

    std::vector<std::uint8_t> header = DtcBuilder().Header(Header(start)).Bytes();
    header.resize(36 + 2 + 100);  // the header block is cut short
    const std::string shortHeader = m_temp.Folder() + "short.dtc";
    test::WriteBytes(shortHeader, header);

    CDtcFileList list = List({cut, shortHeader});
    ASSERT_TRUE(list.ReadFiles(false));
    const stFileInfo& info = list.GetFileInfo(0);
    EXPECT_EQ(info.Sample(10, 0, 0), 300);
    EXPECT_EQ(info.Sample(10, 1, 0), kNoSample);
    EXPECT_EQ(info.EndTime(), start);
    const stFileInfo& partial = list.GetFileInfo(1);
    EXPECT_EQ(partial.FileStart(), 0u);
    EXPECT_EQ(partial.RecordIndex(), 1);  // stamp 0 differs from the first file's
}

TEST_F(DtcFileListTest, UnknownTagEndsTheBlocks) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(Header(start)).Minute(Device(start), 300);
    dtc.Block(0x5858, std::vector<std::uint8_t>(254, 0)).Minute(Device(start + 60), 400);
    CDtcFileList list = List({Write(dtc)});
    ASSERT_TRUE(list.ReadFiles(false));
    EXPECT_EQ(list.GetFileInfo(0).Sample(10, 1, 0), kNoSample);
    EXPECT_EQ(list.GetFileInfo(0).EndTime(), start);
}

TEST_F(DtcFileListTest, FileWithoutHeaderBlockStillTakesAPlaceInTheNumbering) {
    const std::string first = Write(DtcBuilder().Header(Header(kDay1, kA)));
    const std::string bare = Write(DtcBuilder().Minute(Device(kDay1), 5));
    const std::string magicOnly = Write(DtcBuilder());
    CDtcFileList list = List({first, bare, magicOnly});
    ASSERT_TRUE(list.ReadFiles(false));
    EXPECT_EQ(list.GetFileInfo(1).RecordIndex(), 1);
    // Without a header the zone is 0: the device time places the block.
    EXPECT_EQ(list.GetFileInfo(1).Sample(0, 0, 0), 5);
    EXPECT_EQ(list.GetFileInfo(2).RecordIndex(), 1);
}

TEST_F(DtcFileListTest, FailuresEndTheReadAndKeepWhatWasDecoded) {
    const std::string good = Write(DtcBuilder().Header(Header(kDay1)));
    const std::string missing = m_temp.Folder() + "missing.dtc";
    const std::string empty = m_temp.Folder() + "empty.dtc";
    test::WriteBytes(empty, {});
    const std::string tiny = m_temp.Folder() + "tiny.dtc";
    test::WriteBytes(tiny, {0xAA, 0x00, 0xEF});
    std::vector<std::uint8_t> wrong = DtcBuilder().Header(Header(kDay1)).Bytes();
    wrong[3] = 0xF6;
    const std::string badMagic = m_temp.Folder() + "bad.dtc";
    test::WriteBytes(badMagic, wrong);
    const std::string folder = m_temp.Folder("adir");

    for (const std::string& bad : {missing, empty, tiny, badMagic, folder}) {
        CDtcFileList list = List({good, bad, good});
        EXPECT_FALSE(list.ReadFiles(false)) << bad;
        EXPECT_EQ(list.InfoCount(), 1u) << bad;
    }
    CDtcFileList none;
    EXPECT_FALSE(none.ReadFiles(false));
}

TEST_F(DtcFileListTest, ClearEmptiesBothArrays) {
    CDtcFileList list = List({Write(DtcBuilder().Header(Header(kDay1)))});
    ASSERT_TRUE(list.ReadFiles(true));
    list.m_nCurrentIndex = 3;
    list.Clear();
    EXPECT_EQ(list.FileCount(), 0u);
    EXPECT_EQ(list.InfoCount(), 0u);
    EXPECT_EQ(list.m_nCurrentIndex, 0);
}

TEST(DecodeDtc, NegativeZoneAndWrapRound) {
    const std::uint32_t local = test::Time32(2015, 3, 12, 10, 0, 0);
    HeaderSpec h;
    h.zone = -300;
    h.fileStart = local + 300 * 60;
    DtcBuilder dtc;
    dtc.Header(h).Minute(h.fileStart + 60, 9);
    DtcNumbering numbering;
    stFileInfo info;
    ASSERT_TRUE(DecodeDtc(dtc.Bytes(), false, numbering, info));
    EXPECT_EQ(info.StartTime(), local);
    EXPECT_EQ(info.Sample(10, 1, 0), 9);

    // An unset clock just after 1970 with a western offset is no time, not 2106.
    HeaderSpec unset;
    unset.zone = -300;
    unset.fileStart = 3600;
    DtcNumbering fresh;
    stFileInfo other;
    ASSERT_TRUE(DecodeDtc(DtcBuilder().Header(unset).Bytes(), false, fresh, other));
    EXPECT_EQ(other.StartTime(), 0u);
}

}  // namespace
}  // namespace vantrel
