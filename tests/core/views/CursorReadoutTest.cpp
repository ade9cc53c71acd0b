// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/views/CursorReadout.h"

#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace vantrel {
namespace {

using testing::Index;
using testing::TestDay;
using testing::Time;

// 72 km/h from 08:00 to 09:00, standing with the recorder running 09:00 to 09:10, a gap,
// then 36 km/h from 11:00:00 to 11:29:59.0.
TestDay ReadoutDay() {
    TestDay day;
    day.Set(Index(8, 0, 0), Index(9, 0, 0), 1000);
    day.Set(Index(9, 0, 0), Index(9, 10, 0), 0);
    day.Set(Index(11, 0, 0), Index(11, 29, 59) + 1, 500);
    return day;
}

std::string Texts(const std::vector<ReadoutText>& texts) {
    std::string all;
    for (const ReadoutText& text : texts) {
        all += std::to_string(text.x) + (text.align == TextAlign::Right ? "R|" : "L|") + text.text +
               "\n";
    }
    return all;
}

struct ReadoutCase {
    const char* name;
    int scale;
    SystemTime cursor;
    const char* expected;
};

class CursorReadoutTexts : public ::testing::TestWithParam<ReadoutCase> {};

TEST_P(CursorReadoutTexts, ShowsTheSpanOrTheSample) {
    TestDay day = ReadoutDay();
    const ReadoutInput input{GetParam().cursor, GetParam().scale, day.View()};
    EXPECT_EQ(Texts(ReadoutTexts(input)), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    CursorReadout, CursorReadoutTexts,
    ::testing::Values(
        ReadoutCase{"driving, scale 0", 0, Time(8, 0, 0),
                    "10L|2015.03.12 08:00:00 ~ 2015.03.12 08:01:59.5       Max Speed : 72.0 km/h"
                    "       Min Speed : 72.0 km/h       Distance : 2.4 km       Cumulative "
                    "Distance : 0.0 km ~ 2.4 km\n"},
        ReadoutCase{"scale 1 ends after 40 s", 1, Time(8, 10, 0),
                    "10L|2015.03.12 08:10:00 ~ 2015.03.12 08:10:39.5       Max Speed : 72.0 km/h"
                    "       Min Speed : 72.0 km/h       Distance : 0.8 km       Cumulative "
                    "Distance : 12.0 km ~ 12.8 km\n"},
        ReadoutCase{"scale 2 is one second", 2, Time(8, 10, 0),
                    "10L|2015.03.12 08:10:00 ~ 2015.03.12 08:10:00.5       Max Speed : 72.0 km/h"
                    "       Min Speed : 72.0 km/h       Cumulative Distance : 12.0 km\n"},
        ReadoutCase{"standing is not empty", 0, Time(9, 2, 0),
                    "10L|2015.03.12 09:02:00 ~ 2015.03.12 09:03:59.5       Max Speed : 0.0 km/h"
                    "       Min Speed : 0.0 km/h       Distance : 0.0 km       Cumulative "
                    "Distance : 72.0 km ~ 72.0 km\n"},
        ReadoutCase{"a gap inside the day", 0, Time(10, 0, 0),
                    "10L|2015.03.12 10:00:00 ~ 2015.03.12 10:01:59.5       Max Speed : -- km/h"
                    "       Min Speed : -- km/h       Distance : -- km       Cumulative "
                    "Distance : 72.0 km ~ 72.0 km\n"},
        ReadoutCase{"before the first sample", 0, Time(6, 0, 0),
                    "10L|2015.03.12 06:00:00 ~ 2015.03.12 06:01:59.5       Max Speed : -- km/h"
                    "       Min Speed : -- km/h       Distance : -- km       Cumulative "
                    "Distance : -- km ~ -- km\n"},
        ReadoutCase{"the day's last column", 0, Time(23, 58, 0),
                    "10L|2015.03.12 23:58:00 ~ 2015.03.12 23:59:59.5       Max Speed : -- km/h"
                    "       Min Speed : -- km/h       Distance : -- km       Cumulative "
                    "Distance : -- km ~ -- km\n"},
        ReadoutCase{"a sample", 3, Time(11, 0, 0, 500),
                    "10L|2015.03.12 11:00:00.5\n230R|Speed : 36.0 km/h\n"
                    "360R|Cumulative Distance : 72.0 km\n"},
        ReadoutCase{"a missing sample inside the day", 4, Time(10, 0, 0),
                    "10L|2015.03.12 10:00:00\n230R|Speed : 0.0 km/h\n"
                    "360R|Cumulative Distance : 72.0 km\n"},
        ReadoutCase{"half a second after the last sample", 3, Time(11, 29, 59, 500),
                    "10L|2015.03.12 11:29:59.5\n230R|Speed : 0.0 km/h\n"
                    "360R|Cumulative Distance : 90.0 km\n"},
        ReadoutCase{"a second after the last sample", 3, Time(11, 30, 0),
                    "10L|2015.03.12 11:30:00\n200R|Speed : -- km/h\n"
                    "280R|Cumulative Distance : -- km\n"}));

TEST(CursorReadout, NoDayShowsOnlyTheBackground) {
    TestDay day = ReadoutDay();
    const ReadoutInput input{SystemTime{}, 0, day.View()};
    EXPECT_TRUE(ReadoutTexts(input).empty());
    const DrawList list = BuildReadout(input, 1200, 21);
    ASSERT_EQ(list.ops.size(), 1u);
    EXPECT_EQ(std::get<DrawRect>(list.ops[0]).colour, kReadoutBackground);
}

TEST(CursorReadout, LastColumnOfTheDayCarriesTheDaysTotal) {
    TestDay day;
    day.Set(Index(23, 58, 30), Index(24, 0, 0), 100);
    const ReadoutSpan span = ScanReadoutSpan(day.View(), Time(23, 58, 0), 0);
    EXPECT_EQ(span.count, 240);
    EXPECT_EQ(span.sum, 180 * 100);
    EXPECT_EQ(span.cumulative, 180u * 100u);
}

}  // namespace
}  // namespace vantrel
