// SPDX-License-Identifier: GPL-3.0-or-later
// The record model: the stFileInfo layout and its fresh state, device ids, local time values,
// header names, and the value texts and checksum that the record files and device log use.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "core/data/DeviceLog.h"
#include "core/data/FileInfo.h"
#include "core/data/RecordFormat.h"
#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

TEST(stFileInfo, FreshRecordIsZeroExceptMinuteSamples) {
    const stFileInfo info;
    ASSERT_EQ(stFileInfo::size(), 372'085u);
    EXPECT_EQ(stFileInfo::HourRecordOffset(0), 218u);
    EXPECT_EQ(stFileInfo::HourRecordOffset(23) + 61 * 254, 372'074u);
    EXPECT_EQ(stFileInfo::MinuteRecordOffset(1, 0), 218u + 15'494u + 254u);
    std::size_t ff = 0;
    for (std::size_t i = 0; i < stFileInfo::size(); ++i) {
        ff += info.data()[i] == 0xFF ? 1 : 0;
    }
    EXPECT_EQ(ff, 24u * 60u * 240u);
    for (std::size_t i = 0; i < stFileInfo::size(); ++i) {
        if (info.data()[i] != 0xFF) {
            ASSERT_EQ(info.data()[i], 0) << "at " << i;
        }
    }
    EXPECT_EQ(info.Sample(23, 59, 119), kNoSample);
    EXPECT_EQ(info.data()[stFileInfo::MinuteRecordOffset(23, 59) + 14 + 239], 0xFF);
    EXPECT_EQ(info.data()[stFileInfo::MinuteRecordOffset(23, 59) + 14 + 240], 0);
}

TEST(stFileInfo, AccessorsReadTheLittleEndianLayout) {
    stFileInfo info;
    std::uint8_t* d = info.data();
    const std::uint8_t header[] = {0x78, 0x56, 0x34, 0x12};
    std::memcpy(d + 12, header, 4);
    d[20] = 0xE4;  // -540 = 0xFDE4
    d[21] = 0xFD;
    d[77] = 0x0a;
    d[78] = 0xb1;
    d[79] = 0x2c;
    info.SetStartTime(0xA1B2C3D4);
    info.SetDayIndex(7);
    info.SetRecordIndex(255);
    info.SetClosedNormally(true);
    EXPECT_EQ(info.FileStart(), 0x12345678u);
    EXPECT_EQ(info.ZoneMinutes(), -540);
    EXPECT_EQ(info.DeviceId(), "VQ0AB12C");
    EXPECT_EQ(d[372'074], 0xD4);
    EXPECT_EQ(d[372'077], 0xA1);
    EXPECT_EQ(d[372'082], 7);
    EXPECT_EQ(d[372'083], 255);
    EXPECT_EQ(d[372'084], 1);
}

TEST(RecordModel, DeviceIdTextIsUpperCaseHex) {
    EXPECT_EQ(DeviceIdText(0x0a, 0x1b, 0x2c), "VQ0A1B2C");
    EXPECT_EQ(DeviceIdText(0, 0, 0), "VQ000000");
    EXPECT_EQ(DeviceIdText(0xff, 0xfe, 0x01), "VQFFFE01");
}

TEST(RecordModel, LocalTimeValueNeverWrapsRound) {
    EXPECT_EQ(LocalTimeValue(1'426'122'930, 540), 1'426'155'330u);
    EXPECT_EQ(LocalTimeValue(1'426'155'330, -300), 1'426'137'330u);
    // An unset clock near 0 with a western offset is no time, not 2106.
    EXPECT_EQ(LocalTimeValue(86'400, -600), 50'400u);
    EXPECT_EQ(LocalTimeValue(100, -540), 0u);
    EXPECT_EQ(LocalTimeValue(0xFFFFFFF0u, 60), 0u);
}

TEST(RecordModel, MaxSpeedGoesThroughSinglePrecision) {
    EXPECT_EQ(FormatOneDecimal(MaxSpeedKmh(900)), "64.8");
    EXPECT_EQ(FormatOneDecimal(MaxSpeedKmh(1000)), "72.0");
    EXPECT_EQ(FormatOneDecimal(MaxSpeedKmh(0)), "0.0");
    // 0xFFFE cm per half-second: float(65534 * 0.036) = 2359.2239990234375, doubled.
    EXPECT_EQ(FormatOneDecimal(MaxSpeedKmh(65534)), "4718.4");
    EXPECT_DOUBLE_EQ(SampleSpeedKmh(1000), 72.0);
}

TEST(RecordFormat, DistanceInKilometres) {
    EXPECT_EQ(FormatDayKm(123'456'789), "1234.6");
    EXPECT_EQ(FormatRecordKm(123'456'789), "1234.6");
    EXPECT_EQ(FormatDayKm(0), "0.0");
    EXPECT_EQ(FormatDayKm(7'200'000), "72.0");
    // The day goes through single precision, the record through double: 1000.15 km is
    // 1000.150024 as a float and 1000.149999... as a double.
    EXPECT_EQ(FormatDayKm(100'015'000), "1000.2");
    EXPECT_EQ(FormatRecordKm(100'015'000), "1000.1");
    EXPECT_EQ(FormatRecordKm(5'000'000'000'000ull), "50000000.0");
}

TEST(RecordFormat, NumbersIgnoreTheLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no de_DE locale installed";
    }
    const std::string text = FormatDayKm(123'456'789);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "1234.6");
}

TEST(RecordFormat, StampTexts) {
    SystemTime t{2015, 3, 4, 12, 10, 15, 30, 500};
    EXPECT_EQ(FormatStamp(t), "20150312101530");
    EXPECT_EQ(FormatStampMs(t), "20150312101530.500");
    t.wMilliseconds = 0;
    EXPECT_EQ(FormatStampMs(t), "20150312101530.0");
    EXPECT_EQ(FormatDate(t), "20150312");
    EXPECT_EQ(FormatSlashed(t), "2015/03/12 10:15:30");
    EXPECT_EQ(FormatStampMs(SystemTime{}), "00000000000000.0");
    EXPECT_EQ(FormatDate(SystemTime{}), "00000000");
}

TEST(RecordFormat, IniTextValueReadsBackUnchanged) {
    EXPECT_EQ(IniTextValue("Kim"), "Kim");
    EXPECT_EQ(IniTextValue(""), "");
    EXPECT_EQ(IniTextValue("a\r\nb"), "a  b");
    EXPECT_EQ(IniTextValue("[x]=y"), "[x]=y");
    EXPECT_EQ(IniTextValue(" Kim "), "\" Kim \"");
    EXPECT_EQ(IniTextValue("\"Kim\""), "\"\"Kim\"\"");
    EXPECT_EQ(IniTextValue("'a'"), "\"'a'\"");
    EXPECT_EQ(IniTextValue("\"a"), "\"a");
}

TEST(Utf16LeToUtf8, NamesOfTheHeader) {
    const auto units = [](std::u16string text) {
        std::vector<std::uint8_t> out(64, 0);
        for (std::size_t i = 0; i < text.size() && i < 32; ++i) {
            out[2 * i] = static_cast<std::uint8_t>(text[i]);
            out[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
        }
        return out;
    };
    EXPECT_EQ(Utf16LeToUtf8(units(u"김민준").data(), 31), "김민준");
    EXPECT_EQ(Utf16LeToUtf8(units(u"12가3456").data(), 31), "12가3456");
    EXPECT_EQ(Utf16LeToUtf8(units(u"a\U0001F697b").data(), 31), "a\U0001F697b");
    EXPECT_EQ(Utf16LeToUtf8(units(u"line\r\nbreak\x85").data(), 31), "line  break ");
    EXPECT_EQ(Utf16LeToUtf8(units(u"a\xD800z").data(), 31), "a\uFFFDz");
    EXPECT_EQ(Utf16LeToUtf8(units(u"\xDC00").data(), 31), "\uFFFD");
    // 32 units without a terminator: 31 are taken.
    EXPECT_EQ(Utf16LeToUtf8(units(std::u16string(32, u'x')).data(), 31), std::string(31, 'x'));
    // A pair cut by the limit is no character.
    std::u16string cut(30, u'x');
    cut += u"\U0001F697";
    EXPECT_EQ(Utf16LeToUtf8(units(cut).data(), 31), std::string(30, 'x') + "\uFFFD");
}

TEST(Crc16X25, CheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(Crc16X25(reinterpret_cast<const std::uint8_t*>(text), 9), 0x906E);
    EXPECT_EQ(Crc16X25(nullptr, 0), 0x0000);
}

}  // namespace
}  // namespace vantrel
