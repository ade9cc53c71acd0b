// SPDX-License-Identifier: GPL-3.0-or-later
// Value texts of the record files.
#include "core/data/RecordFormat.h"

#include <charconv>
#include <cstdio>

#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

}  // namespace

std::string FormatStamp(const SystemTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

std::string FormatStampMs(const SystemTime& t) {
    return FormatStamp(t) + "." + std::to_string(t.wMilliseconds);
}

std::string FormatDate(const SystemTime& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

std::string FormatSlashed(const SystemTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string FormatOneDecimal(double value) {
    char text[400];  // room for the largest double in fixed notation
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

std::string FormatDayKm(std::uint32_t centimetres) {
    const float km = static_cast<float>(centimetres) / 100000.0f;
    return FormatOneDecimal(static_cast<double>(km));
}

std::string FormatRecordKm(std::uint64_t centimetres) {
    return FormatOneDecimal(static_cast<double>(centimetres) / 100000.0);
}

std::string IniTextValue(std::string_view text) {
    std::string value(text);
    for (char& c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    if (value.empty()) {
        return value;
    }
    const bool blankEnd = IsIniBlank(value.front()) || IsIniBlank(value.back());
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (blankEnd || quoted) {
        return '"' + value + '"';
    }
    return value;
}

}  // namespace vantrel
