// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/views/DaySummary.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/views/GraphView.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class DaySummaryFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("vantrel_views_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = m_dir / name;
        std::ofstream(path) << text;
        return path.string();
    }

    fs::path m_dir;
};

TEST_F(DaySummaryFiles, ReadsTheTextsTimesAndRows) {
    std::string idle;
    for (int i = 0; i < 20; ++i) {  // far beyond 255 characters
        idle += "20150312" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "0000.000,";
    }
    Write("1426150000_VQ0A1B2C_20150312.dat",
          "[CDA]\nDrivingDate=20150312\nDrivingCM=123.4\nDrivingTime=7201\nMaxSpeed=88.2\n"
          "MaxSpeedDateTime=20150312101530.500\nIdlingDrivingStart=" +
              idle +
              "\nAdjustOldTime=2015/03/12 10:00:00,2015/03/12 11:00:00,\n"
              "AdjustNewTime=2015/03/12 10:05:00,\n");
    const DaySummary s = ReadDaySummary((m_dir / "1426150000_VQ0A1B2C_20150312.cda").string());
    EXPECT_EQ(s.m_strDayDate, "20150312");
    EXPECT_EQ(s.m_strDayDistance, "123.4 km");
    EXPECT_EQ(s.m_strDayDrivingTime, "1:00:00.5");
    EXPECT_EQ(s.m_strDayMaxSpeed, "88.2 km/h");
    EXPECT_EQ(s.m_strDayMaxSpeedTime, "10:15:30.5");
    EXPECT_EQ(TimeOfDay(s.maxSpeed), 10 * 3600 + 15 * 60 + 30);
    EXPECT_EQ(s.maxSpeed.wMilliseconds, 500);
    EXPECT_EQ(s.day.wYear, 2015);
    EXPECT_EQ(s.day.wDay, 12);
    EXPECT_EQ(TimeOfDay(s.day), 0);
    ASSERT_EQ(s.idleStarts.size(), 21u);
    EXPECT_EQ(s.idleStarts[19].wHour, 19);
    EXPECT_TRUE(s.idleStarts[20].IsZero());
    ASSERT_EQ(s.adjustRows.size(), 2u);
    EXPECT_EQ(s.adjustRows[0],
              (std::array<std::string, 3>{"1", "2015/03/12 10:00:00", "2015/03/12 10:05:00"}));
    // The second row has no after-time stored: an empty text, not a read past the list.
    EXPECT_EQ(s.adjustRows[1], (std::array<std::string, 3>{"2", "2015/03/12 11:00:00", ""}));
}

TEST_F(DaySummaryFiles, MissingFileGivesTheDefaults) {
    const DaySummary s = ReadDaySummary((m_dir / "x_20150312.cda").string());
    EXPECT_EQ(s.m_strDayDistance, " km");
    EXPECT_EQ(s.m_strDayDrivingTime, "0:00:00.0");
    EXPECT_EQ(s.m_strDayMaxSpeed, " km/h");
    EXPECT_EQ(s.m_strDayMaxSpeedTime, "");
    EXPECT_TRUE(s.day.IsZero());
    EXPECT_TRUE(s.maxSpeed.IsZero());
    ASSERT_EQ(s.idleStarts.size(), 1u);
    EXPECT_TRUE(s.adjustRows.empty());
}

TEST_F(DaySummaryFiles, ShortTextsAreCutSafely) {
    Write("a_20150312.dat", "[CDA]\nDrivingDate=2015\nMaxSpeedDateTime=2015031210\n");
    const DaySummary s = ReadDaySummary((m_dir / "a_20150312.cda").string());
    EXPECT_TRUE(s.day.IsZero());
    EXPECT_EQ(s.maxSpeed.wHour, 10);
    EXPECT_EQ(s.maxSpeed.wMinute, 0);
}

TEST(DaySummary, PathsFieldsAndLabels) {
    EXPECT_EQ(DaySummaryPathOf("/b/cda/1_VQ01_20150312.cda"), "/b/cda/1_VQ01_20150312.dat");
    EXPECT_EQ(DaySummaryPathOf("/b/x.cda/1_20150312.cda"), "/b/x.dat/1_20150312.dat");
    EXPECT_EQ(SplitFields(""), std::vector<std::string>{""});
    EXPECT_EQ(SplitFields("a,b,"), (std::vector<std::string>{"a", "b", ""}));
}

TEST_F(DaySummaryFiles, DayLabelsFromTheTitle) {
    EXPECT_EQ(DayLabelOf(Write("1426150000_VQ0A1B2C_20150312.cda", "")), "2015.03.12");
    EXPECT_EQ(DayLabelOf(Write("20150312xyz.cda", "")), "2015.03.12");
    EXPECT_EQ(DayLabelOf(Write("a_2015.cda", "")), "2015..");
}

}  // namespace
}  // namespace vantrel
