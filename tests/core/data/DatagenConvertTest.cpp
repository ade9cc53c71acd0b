// SPDX-License-Identifier: GPL-3.0-or-later
// End to end: generated SD cards (drives, stops, several records, files across midnight,
// clock adjustments, files not closed normally, an unset clock, western zones, odd names)
// are read and converted, and every day and record summary is compared key by key with the
// figures the generator works out from its own samples.
#include <gtest/gtest.h>

#include <cstdio>

#include "ConvertTestSupport.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/ExpectedTotals.h"

namespace vantrel {
namespace {

namespace dg = datagen;

std::string OneDecimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%0.1f", value);
    return text;
}
std::string DayKm(std::uint64_t sum) {
    return OneDecimal(static_cast<double>(static_cast<float>(sum) / 100000.0f));
}
std::string Speed(std::uint16_t largest) {
    return OneDecimal(static_cast<double>(static_cast<float>(static_cast<float>(largest) * 0.036)) *
                      2.0);
}

// A header name as the summary must hold it: the UTF-16 the recorder stores (at most 31 units,
// never half a pair), back in UTF-8, control characters as blanks.
std::string StoredName(const std::string& generated) {
    std::u16string units = dg::Utf8ToUtf16(generated);
    if (units.size() > 31) {
        units.resize(units.size() > 31 && units[30] >= 0xD800 && units[30] <= 0xDBFF ? 30 : 31);
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        if (c < 0x20) {
            c = ' ';
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct DatagenCase {
    const char* scenario;
    std::uint64_t seed;
};

class DatagenConvert : public test::ConvertFixture,
                       public ::testing::WithParamInterface<DatagenCase> {};

TEST_P(DatagenConvert, SummariesMatchTheGeneratedFigures) {
    const DatagenCase c = GetParam();
    std::string error;
    const std::optional<dg::CardData> card =
        dg::GenerateCard(*dg::NamedScenario(c.scenario), c.seed, &error);
    ASSERT_TRUE(card) << error;
    const dg::WriteResult written = dg::WriteSdCard(*card, m_card);
    ASSERT_TRUE(written.ok) << written.error;
    for (const std::string& path : written.dtcPaths) {
        m_list.AddFileName(path);
    }
    const std::string id = card->DeviceIdText();
    m_temp.Folder("backup/" + id);
    Run(1);

    const dg::ExpectedTotals expected = dg::ComputeExpectedTotals(*card);
    ASSERT_FALSE(expected.records.empty());
    for (const dg::RecordTotals& r : expected.records) {
        const std::string title = dg::FormatStamp(r.stampTime) + "_" + r.deviceId;
        SCOPED_TRACE(title);
        const ini::IniFile file = Ini(title + ".dat");
        ASSERT_TRUE(file.exists());
        const auto get = [&](const char* key) {
            return file.GetString("RECORDINFO", key, "<missing>", ini::kUnlimited);
        };
        EXPECT_EQ(file.Keys("RECORDINFO").size(), 18u);
        EXPECT_EQ(get("DRID"), id);
        EXPECT_EQ(get("DriverName"), StoredName(r.driverName));
        EXPECT_EQ(get("VehicleNo"), StoredName(r.vehicleNo));
        EXPECT_EQ(get("RecordStart"), dg::FormatStamp(r.recordStart));
        // A sample of a file without a valid date has no time.
        EXPECT_EQ(get("RecordStop"),
                  r.recordStop.year == 0 ? "00000000000000" : dg::FormatStamp(r.recordStop));
        EXPECT_EQ(get("DrivingCM"), OneDecimal(static_cast<double>(r.totals.sum) / 100000.0));
        EXPECT_EQ(get("DrivingTime"), std::to_string(r.totals.count));
        EXPECT_EQ(get("MaxContinueDrivingTime"), std::to_string(r.totals.longestRun));
        EXPECT_EQ(get("MaxSpeed"), Speed(r.totals.maxSample));
        EXPECT_EQ(get("MaxSpeedDateTime"), dg::FormatStampMs(r.totals.maxTime));
        EXPECT_EQ(get("IdlingDrivingStart"), r.standstills);
        EXPECT_EQ(get("DrivingDate"), r.drivingDates);
        EXPECT_EQ(get("DrivingDateCount"), std::to_string(r.dayCount));
        EXPECT_EQ(get("IsAdjustTime"), r.adjusted ? "O" : "X");
        EXPECT_EQ(get("ReadType"), "SD");
    }
    for (const dg::DayTotals& d : expected.days) {
        const dg::RecordTotals& r = expected.records[static_cast<std::size_t>(d.recordIndex)];
        const std::string title =
            dg::FormatStamp(r.stampTime) + "_" + r.deviceId + "_" + dg::FormatDate(d.date);
        SCOPED_TRACE(title);
        ASSERT_TRUE(std::filesystem::exists(m_output + title + ".cda"));
        EXPECT_EQ(std::filesystem::file_size(m_output + title + ".cda"), 345'600u);
        const auto get = [&](const char* key) { return Day(title + ".dat", key); };
        EXPECT_EQ(get("DrivingDate"), dg::FormatDate(d.date));
        EXPECT_EQ(get("DrivingCM"), DayKm(d.totals.sum));
        EXPECT_EQ(get("DrivingTime"), std::to_string(d.totals.count));
        EXPECT_EQ(get("MaxSpeed"), Speed(d.totals.maxSample));
        EXPECT_EQ(get("MaxSpeedDateTime"), dg::FormatStampMs(d.totals.maxTime));
        EXPECT_EQ(get("IdlingDrivingStart"), d.standstills);
        EXPECT_EQ(get("AdjustOldTime"), d.adjustOld);
        EXPECT_EQ(get("AdjustNewTime"), d.adjustNew);
    }
    EXPECT_EQ(m_converter.m_nWriteFailures, 0);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DatagenConvert,
                         ::testing::Values(DatagenCase{"small", 1}, DatagenCase{"week", 7},
                                           DatagenCase{"month", 11}, DatagenCase{"features", 3},
                                           DatagenCase{"west", 5}, DatagenCase{"unset-clock", 2},
                                           DatagenCase{"odd-names", 4}),
                         [](const auto& info) {
                             std::string name = info.param.scenario;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace vantrel
