// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion of decoded .dtc files into record files, checked byte for byte and key by key
// against values worked out by hand: the maximum speed and distance examples, days and
// records (stamps A, A, B), shared minutes, files across midnight, files without samples,
// standstills, an unset clock, names that try to break the summary file, failed writes and
// the last-import marker.
#include <gtest/gtest.h>

#include "ConvertTestSupport.h"
#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

using test::DayImage;
using test::DeviceTime;
using test::DtcBuilder;
using test::HeaderSpec;
using test::LocalHeader;
using test::Time32;

const std::uint32_t kStampA = Time32(2015, 3, 12, 8, 1, 2);
const std::uint32_t kStampB = Time32(2015, 3, 14, 12, 0, 0);
const std::string kA = "20150312080102_VQ0A1B2C";
const std::string kB = "20150314120000_VQ0A1B2C";

DtcBuilder Drive(std::uint32_t localStart, std::uint32_t localStamp, int minutes,
                 std::uint16_t value) {
    DtcBuilder dtc;
    dtc.Header(LocalHeader(localStart, localStamp));
    dtc.Minutes(DeviceTime(localStart), minutes, value);
    return dtc;
}

class Convert : public test::ConvertFixture {};

TEST_F(Convert, OneDayByteForByteAndKeyByKey) {
    const std::uint32_t start = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder dtc;
    dtc.Header(LocalHeader(start, kStampA)).Hour(DeviceTime(start));
    dtc.Minutes(DeviceTime(start), 15, 500);
    dtc.Minute(DeviceTime(start + 15 * 60), [](int k) -> std::uint16_t {
        return k < 61 ? 400 : k == 61 ? 900 : kNoSample;  // 900 at 10:15:30.5
    });
    Add(dtc);
    Run();

    EXPECT_EQ(OutputFiles(),
              (std::set<std::string>{kA + ".dat", kA + "_20150312.cda", kA + "_20150312.dat"}));
    DayImage image;
    for (int m = 0; m < 15; ++m) {
        for (int k = 0; k < 120; ++k) {
            image.Set(10, m, k, 500);
        }
    }
    for (int k = 0; k < 61; ++k) {
        image.Set(10, 15, k, 400);
    }
    image.Set(10, 15, 61, 900);
    EXPECT_EQ(test::ReadBytes(m_output + kA + "_20150312.cda"), image.Bytes());

    // 1800 x 500 + 61 x 400 + 900 = 925,300 cm in 1862 half-seconds without a gap.
    EXPECT_EQ(test::ReadText(m_output + kA + "_20150312.dat"),
              "[CDA]\n"
              "DrivingDate=20150312\n"
              "DrivingCM=9.3\n"
              "DrivingTime=1862\n"
              "MaxSpeed=64.8\n"
              "MaxSpeedDateTime=20150312101530.500\n"
              "IdlingDrivingStart=\n"
              "AdjustOldTime=\n"
              "AdjustNewTime=\n");
    EXPECT_EQ(test::ReadText(m_output + kA + ".dat"),
              "[RECORDINFO]\n"
              "SaveDateTime=20150320120000\n"
              "SaveUserName=admin\n"
              "DRID=VQ0A1B2C\n"
              "DriverName=Driver\n"
              "VehicleNo=12GA3456\n"
              "RecordStart=20150312100000\n"
              "RecordStop=20150312101530\n"
              "DrivingCM=9.3\n"
              "DrivingTime=1862\n"
              "MaxContinueDrivingTime=1862\n"
              "MaxSpeed=64.8\n"
              "MaxSpeedDateTime=20150312101530.500\n"
              "IdlingDrivingStart=\n"
              "DrivingArea=\n"
              "DrivingDate=20150312,\n"
              "DrivingDateCount=1\n"
              "IsAdjustTime=X\n"
              "ReadType=SD\n");
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150312100000\nNormalClose=1\n");

    // The conversion leaves the day image empty and the list at its last file.
    EXPECT_TRUE(std::all_of(m_converter.m_daySamples.begin(), m_converter.m_daySamples.end(),
                            [](std::uint16_t s) { return s == kNoSample; }));
    EXPECT_EQ(m_list.m_nCurrentIndex, 0);
}

TEST_F(Convert, DistanceOfOneDayInBothFiles) {
    // 123,456 samples of 1000 and one of 789: 123,456,789 cm from 00:30 on.
    const std::uint32_t start = Time32(2015, 3, 12, 0, 30, 0);
    DtcBuilder dtc;
    dtc.Header(LocalHeader(start, kStampA));
    for (int i = 0; i < 1029; ++i) {
        dtc.Minute(DeviceTime(start + 60u * static_cast<std::uint32_t>(i)),
                   [i](int k) -> std::uint16_t {
                       const int g = i * 120 + k;
                       return g < 123'456 ? 1000 : g == 123'456 ? 789 : kNoSample;
                   });
    }
    Add(dtc);
    Run(0);
    EXPECT_EQ(Day(kA + "_20150312.dat", "DrivingCM"), "1234.6");
    EXPECT_EQ(Record(kA + ".dat", "DrivingCM"), "1234.6");
    EXPECT_EQ(Record(kA + ".dat", "DrivingTime"), "123457");
    EXPECT_EQ(Record(kA + ".dat", "MaxSpeed"), "72.0");
    EXPECT_EQ(Record(kA + ".dat", "ReadType"), "USB");
}

TEST_F(Convert, StampsAABMakeTwoRecordsWithTheirOwnDays) {
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 13, 10), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 14, 8), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 14, 12), kStampB, 2, 100));
    Run();
    EXPECT_EQ(OutputFiles(),
              (std::set<std::string>{kA + ".dat", kA + "_20150312.cda", kA + "_20150312.dat",
                                     kA + "_20150313.cda", kA + "_20150313.dat",
                                     kA + "_20150314.cda", kA + "_20150314.dat", kB + ".dat",
                                     kB + "_20150314.cda", kB + "_20150314.dat"}));
    EXPECT_EQ(Record(kA + ".dat", "DrivingDate"), "20150312,20150313,20150314,");
    EXPECT_EQ(Record(kA + ".dat", "DrivingDateCount"), "3");
    EXPECT_EQ(Record(kA + ".dat", "DrivingTime"), "360");
    EXPECT_EQ(Record(kA + ".dat", "RecordStop"), "20150314080059");
    EXPECT_EQ(Record(kB + ".dat", "DrivingDate"), "20150314,");
    EXPECT_EQ(Record(kB + ".dat", "DrivingDateCount"), "1");
    EXPECT_EQ(Record(kB + ".dat", "DrivingTime"), "240");
    EXPECT_EQ(Record(kB + ".dat", "RecordStart"), "20150314120000");
    EXPECT_EQ(Day(kA + "_20150314.dat", "DrivingTime"), "120");
    EXPECT_EQ(Day(kB + "_20150314.dat", "DrivingTime"), "240");
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150314120000\nNormalClose=1\n");
    EXPECT_EQ(m_list.m_nCurrentIndex, 3);
}

TEST_F(Convert, SharedMinuteKeepsBothFilesSamples) {
    const std::uint32_t first = Time32(2015, 3, 12, 10, 0, 0);
    DtcBuilder a;
    a.Header(LocalHeader(first, kStampA)).Minutes(DeviceTime(first), 15, 300);
    a.Minute(DeviceTime(first + 900),
             [](int k) -> std::uint16_t { return k <= 40 ? 300 : kNoSample; });
    const std::uint32_t second = Time32(2015, 3, 12, 10, 15, 40);
    DtcBuilder b;
    b.Header(LocalHeader(second, kStampA));
    b.Minute(DeviceTime(second), [](int k) -> std::uint16_t { return k >= 80 ? 600 : kNoSample; });
    b.Minute(DeviceTime(second + 20), 600);  // 10:16
    // A third file covers 10:16 again (the clock went back): its samples replace the earlier.
    const std::uint32_t third = Time32(2015, 3, 12, 10, 16, 0);
    DtcBuilder c;
    c.Header(LocalHeader(third, kStampA));
    c.Minute(DeviceTime(third), [](int k) -> std::uint16_t { return k < 60 ? 50 : kNoSample; });
    Add(a);
    Add(b);
    Add(c);
    Run();

    DayImage image;
    for (int m = 0; m < 15; ++m) {
        for (int k = 0; k < 120; ++k) {
            image.Set(10, m, k, 300);
        }
    }
    for (int k = 0; k < 120; ++k) {
        image.Set(10, 15, k, k <= 40 ? 300 : k >= 80 ? 600 : kNoSample);
        image.Set(10, 16, k, k < 60 ? 50 : 600);
    }
    EXPECT_EQ(test::ReadBytes(m_output + kA + "_20150312.cda"), image.Bytes());
    EXPECT_EQ(Day(kA + "_20150312.dat", "DrivingTime"), std::to_string(1841 + 160 + 60));
}

TEST_F(Convert, FileAcrossMidnightCountsButPlacesNoSamples) {
    const std::uint32_t start = Time32(2015, 3, 12, 23, 50, 0);
    Add(Drive(start, kStampA, 20, 200));  // 23:50 to 00:09
    Add(Drive(Time32(2015, 3, 13, 8), kStampA, 1, 100));
    Run();
    EXPECT_EQ(test::ReadBytes(m_output + kA + "_20150312.cda"), DayImage().Bytes());
    EXPECT_EQ(Day(kA + "_20150312.dat", "DrivingTime"), "2400");
    EXPECT_EQ(Day(kA + "_20150312.dat", "DrivingCM"), "4.8");
    DayImage next;
    for (int k = 0; k < 120; ++k) {
        next.Set(8, 0, k, 100);
    }
    EXPECT_EQ(test::ReadBytes(m_output + kA + "_20150313.cda"), next.Bytes());
    EXPECT_EQ(Record(kA + ".dat", "DrivingDate"), "20150312,20150313,");
}

TEST_F(Convert, FilesWithoutSamplesGiveNoStopTime) {
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(DtcBuilder().Header(LocalHeader(Time32(2015, 3, 12, 11), kStampA)));
    Add(DtcBuilder().Header(LocalHeader(Time32(2015, 3, 14, 12), kStampB)));
    Run();
    // The record's stop is its last sample, not the -1 (2106-02-07 06:28:15) of a file
    // without samples.
    EXPECT_EQ(Record(kA + ".dat", "RecordStop"), "20150312100059");
    const std::string b = kB + ".dat";
    EXPECT_EQ(Record(b, "RecordStop"), "00000000000000");
    EXPECT_EQ(Record(b, "RecordStart"), "20150314120000");
    EXPECT_EQ(Record(b, "DrivingCM"), "0.0");
    EXPECT_EQ(Record(b, "DrivingTime"), "0");
    EXPECT_EQ(Record(b, "MaxContinueDrivingTime"), "0");
    EXPECT_EQ(Record(b, "MaxSpeed"), "0.0");
    EXPECT_EQ(Record(b, "MaxSpeedDateTime"), "00000000000000.0");
    EXPECT_EQ(Record(b, "IdlingDrivingStart"), "");
    EXPECT_EQ(Day(kB + "_20150314.dat", "DrivingCM"), "0.0");
    EXPECT_EQ(test::ReadBytes(m_output + kB + "_20150314.cda"), DayImage().Bytes());
}

// A drive of one minute, then `zeros` zero samples (1200 is ten minutes standing).
DtcBuilder DriveThenStand(std::uint32_t start, std::uint32_t stamp, int zeros) {
    DtcBuilder dtc;
    dtc.Header(LocalHeader(start, stamp)).Minute(DeviceTime(start), 100);
    for (int m = 0; m * 120 < zeros; ++m) {
        const int left = zeros - m * 120;
        dtc.Minute(DeviceTime(start + 60u * static_cast<std::uint32_t>(m + 1)),
                   [left](int k) -> std::uint16_t { return k < left ? 0 : kNoSample; });
    }
    return dtc;
}

TEST_F(Convert, LongStandstillsMarkTheNextFileAcrossRecords) {
    Add(DriveThenStand(Time32(2015, 3, 12, 9), kStampA, 1200));
    Add(DriveThenStand(Time32(2015, 3, 12, 11), kStampA, 1199));
    Add(DriveThenStand(Time32(2015, 3, 12, 12), kStampA, 1200));
    Add(DriveThenStand(Time32(2015, 3, 14, 13), kStampB, 0));
    Run();
    EXPECT_EQ(Record(kA + ".dat", "IdlingDrivingStart"), "20150312110000.0,");
    EXPECT_EQ(Day(kA + "_20150312.dat", "IdlingDrivingStart"), "20150312110000.0,");
    EXPECT_EQ(Record(kB + ".dat", "IdlingDrivingStart"), "20150314130000.0,");
    EXPECT_EQ(Day(kB + "_20150314.dat", "IdlingDrivingStart"), "20150314130000.0,");
    // Standing still is driving time, and zero samples never make a maximum.
    EXPECT_EQ(Record(kA + ".dat", "MaxContinueDrivingTime"), "1320");
    EXPECT_EQ(Record(kA + ".dat", "MaxSpeedDateTime"), "20150312090000.0");
}

TEST_F(Convert, FirstStampZeroOpensTheFirstRecord) {
    HeaderSpec h = LocalHeader(Time32(2015, 3, 12, 10), kStampA);
    h.stamp = 0;
    DtcBuilder dtc;
    dtc.Header(h).Minute(DeviceTime(Time32(2015, 3, 12, 10)), 100);
    Add(dtc);
    Run();
    // Stamp 0 + 9 h is no valid time: the names read zeros; no summary without a device id.
    const std::string r = "00000000000000_VQ0A1B2C";
    EXPECT_EQ(OutputFiles(),
              (std::set<std::string>{r + ".dat", r + "_20150312.cda", r + "_20150312.dat"}));
    EXPECT_EQ(Record(r + ".dat", "DrivingTime"), "120");
}

TEST_F(Convert, UnsetClockKeepsEightDigitDatesAndTheMarker) {
    test::WriteBytes(LastTimeIni(), {});
    { std::ofstream(LastTimeIni()) << "[BACKUPINFO]\nLastTime=20150301000000\nNormalClose=1\n"; }
    // The clock runs from 1970-01-02: every time is below 900,000,000.
    const std::uint32_t start = 86'400 + 3600;
    DtcBuilder dtc;
    dtc.Header(LocalHeader(start, 86'400)).Minute(DeviceTime(start), 100);
    Add(dtc);
    Run();
    const std::string r = "00000000000000_VQ0A1B2C";
    EXPECT_EQ(OutputFiles(),
              (std::set<std::string>{r + ".dat", r + "_00000000.cda", r + "_00000000.dat"}));
    EXPECT_EQ(Record(r + ".dat", "DrivingDate"), "00000000,");
    EXPECT_EQ(Record(r + ".dat", "DrivingDateCount"), "1");
    EXPECT_EQ(Day(r + "_00000000.dat", "DrivingDate"), "00000000");
    EXPECT_EQ(Record(r + ".dat", "RecordStart"), "00000000000000");
    EXPECT_EQ(Record(r + ".dat", "RecordStop"), "00000000000000");
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150301000000\nNormalClose=1\n");
}

TEST_F(Convert, UnsetClockWithoutMarkerWritesNone) {
    const std::uint32_t start = 86'400 + 3600;
    Add(DtcBuilder().Header(LocalHeader(start, 86'400)));
    Run();
    EXPECT_FALSE(std::filesystem::exists(LastTimeIni()));
}

TEST_F(Convert, InvalidLastStartLeavesTheNewestValidStartAsMarker) {
    Add(Drive(Time32(2015, 3, 12, 9), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(DtcBuilder().Header(LocalHeader(90'000, 86'400)));  // the clock was reset
    Run();
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150312100000\nNormalClose=1\n");
}

TEST_F(Convert, InvalidLastStartNeverMovesTheMarkerBack) {
    { std::ofstream(LastTimeIni()) << "[BACKUPINFO]\nLastTime=20150313000000\nNormalClose=0\n"; }
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(DtcBuilder().Header(LocalHeader(90'000, 86'400)));
    Run();
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150313000000\nNormalClose=0\n");
}

TEST_F(Convert, MarkerTakesTheLastFilesFlag) {
    const std::uint32_t start = Time32(2015, 3, 12, 10);
    DtcBuilder dtc;
    dtc.Header(LocalHeader(start, kStampA)).Minute(DeviceTime(start), 100);
    dtc.Minute(DeviceTime(start - 3600), 100);  // set back an hour during the file
    Add(dtc);
    Run();
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150312100000\nNormalClose=0\n");
}

TEST_F(Convert, NamesCannotBreakTheSummaryFile) {
    HeaderSpec h = LocalHeader(Time32(2015, 3, 12, 10), kStampA);
    h.driver = u"Kim\r\n[RECORDINFO]\nDRID=X";
    h.vehicle = u" 12\"A\" ";
    DtcBuilder dtc;
    dtc.Header(h);
    Add(dtc);
    HeaderSpec longName = LocalHeader(Time32(2015, 3, 14, 12), kStampB);
    longName.driver = std::u16string(32, u'가');
    longName.vehicle = u"\"quoted\"";
    Add(DtcBuilder().Header(longName));
    Run();

    const ini::IniFile a = Ini(kA + ".dat");
    EXPECT_EQ(a.Keys("RECORDINFO"),
              (std::vector<std::string>{
                  "SaveDateTime", "SaveUserName", "DRID", "DriverName", "VehicleNo", "RecordStart",
                  "RecordStop", "DrivingCM", "DrivingTime", "MaxContinueDrivingTime", "MaxSpeed",
                  "MaxSpeedDateTime", "IdlingDrivingStart", "DrivingArea", "DrivingDate",
                  "DrivingDateCount", "IsAdjustTime", "ReadType"}));
    EXPECT_EQ(a.GetString("RECORDINFO", "DriverName", ""), "Kim  [RECORDINFO] DRID=X");
    EXPECT_EQ(a.GetString("RECORDINFO", "DRID", ""), "VQ0A1B2C");
    EXPECT_EQ(a.GetString("RECORDINFO", "VehicleNo", ""), " 12\"A\" ");
    const ini::IniFile b = Ini(kB + ".dat");
    std::string cut;
    for (int i = 0; i < 31; ++i) {
        cut += "가";
    }
    EXPECT_EQ(b.GetString("RECORDINFO", "DriverName", ""), cut);
    EXPECT_EQ(b.GetString("RECORDINFO", "VehicleNo", ""), "\"quoted\"");
}

TEST_F(Convert, ExistingSummaryKeepsItsOtherKeys) {
    {
        std::ofstream(m_output + kA + ".dat")
            << "[RECORDINFO]\nCustom=1\nDRID=old\nDrivingCM=99.9\n[OTHER]\nx=y\n";
    }
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Run();
    EXPECT_EQ(Record(kA + ".dat", "Custom"), "1");
    EXPECT_EQ(Record(kA + ".dat", "DRID"), "VQ0A1B2C");
    EXPECT_EQ(Record(kA + ".dat", "DrivingCM"), "0.1");
    EXPECT_EQ(Value(kA + ".dat", "OTHER", "x"), "y");
}

TEST_F(Convert, FailedWritesAreReportedAndTheRunGoesOn) {
    std::filesystem::remove_all(m_output);
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 14, 12), kStampB, 1, 100));
    Run();
    EXPECT_EQ(m_converter.m_nWriteFailures, 6);
    int reported = 0;
    for (const TraceMessage& m : m_traces) {
        reported += m.message.rfind("could not write ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(reported, 6);
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150314120000\nNormalClose=1\n");
    // A recorder whose device folder is missing gets no marker, and that is reported too.
    std::filesystem::remove_all(m_backup + "VQ0A1B2C");
    EXPECT_FALSE(m_converter.WriteLastTime(Time32(2015, 3, 14, 12), 1));
}

// The record files go to disk together at the end of the run; one that cannot be put in place
// then (a folder where the day image belongs) fails alone, is counted and traced, leaves no
// temporary file, and the marker still follows the files that were written.
TEST_F(Convert, FileThatCannotBeReplacedFailsAloneAtTheEnd) {
    const std::string blocked = m_output + kA + "_20150312.cda";
    std::filesystem::create_directories(blocked + "/keep");
    Add(Drive(Time32(2015, 3, 12, 10), kStampA, 1, 100));
    Add(Drive(Time32(2015, 3, 14, 12), kStampB, 2, 100));
    Run();
    EXPECT_EQ(m_converter.m_nWriteFailures, 1);
    int reported = 0;
    for (const TraceMessage& m : m_traces) {
        reported += m.message == "could not write " + blocked ? 1 : 0;
    }
    EXPECT_EQ(reported, 1);
    EXPECT_EQ(OutputFiles(),
              (std::set<std::string>{kA + ".dat", kA + "_20150312.cda", kA + "_20150312.dat",
                                     kB + ".dat", kB + "_20150314.cda", kB + "_20150314.dat"}));
    EXPECT_TRUE(std::filesystem::is_directory(blocked + "/keep"));
    EXPECT_EQ(Day(kB + "_20150314.dat", "DrivingDate"), "20150314");
    EXPECT_EQ(test::ReadText(LastTimeIni()),
              "[BACKUPINFO]\nLastTime=20150314120000\nNormalClose=1\n");
}

TEST_F(Convert, NothingToConvert) {
    EXPECT_FALSE(m_converter.Convert(1));
    m_converter.m_pFileList = &m_list;
    EXPECT_FALSE(m_converter.Convert(1));
    EXPECT_TRUE(OutputFiles().empty());
}

}  // namespace
}  // namespace vantrel
