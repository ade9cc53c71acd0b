// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a day summary for the graph area.
#include "core/views/DaySummary.h"

#include <cctype>

#include "core/ini/IniFile.h"
#include "core/util/FolderUtil.h"

namespace vantrel {

namespace {

constexpr const char* kSection = "CDA";

// Characters [pos, pos + count) of a text, as much of them as it has.
std::string_view Slice(std::string_view text, std::size_t pos, std::size_t count) {
    return pos >= text.size() ? std::string_view{} : text.substr(pos, count);
}

// Leading blanks, an optional sign, then digits; 0 without digits.
int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// Midnight of a YYYYMMDD date, or the all-zero time when the date is not a day.
SystemTime DayOf(std::string_view date) {
    const SystemTime parsed = ParseTimeStamp(Slice(date, 0, 8), 0);
    if (parsed.wMonth < 1 || parsed.wMonth > 12 || parsed.wDay < 1 || parsed.wDay > 31) {
        return {};
    }
    const std::int64_t seconds = SystemTimeToSeconds(parsed);
    const SystemTime day = SecondsToSystemTime(seconds);
    return day.wDay == parsed.wDay ? day : SystemTime{};
}

std::string Field(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string{};
}

}  // namespace

std::string DaySummaryPathOf(const std::string& daySampleFile) {
    std::string path = daySampleFile;
    for (std::size_t pos = path.find(".cda"); pos != std::string::npos;
         pos = path.find(".cda", pos + 4)) {
        path.replace(pos, 4, ".dat");
    }
    return path;
}

SystemTime ParseStoredTime(std::string_view text) {
    SystemTime time = ParseTimeStamp(Slice(text, 0, 14), 0);
    time.wMilliseconds = static_cast<std::uint16_t>(LeadingNumber(Slice(text, 15, 3)));
    return time;
}

std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string_view::npos;
         comma = text.find(',', start)) {
        fields.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

DaySummary ReadDaySummary(const std::string& daySampleFile) {
    const ini::IniFile file = ini::IniFile::Load(DaySummaryPathOf(daySampleFile));
    DaySummary summary;
    summary.m_strDayDate = file.GetString(kSection, "DrivingDate", "", ini::kUnlimited);
    summary.day = DayOf(summary.m_strDayDate);
    summary.m_strDayDistance = file.GetString(kSection, "DrivingCM", "") + " km";
    const int halfSeconds = file.GetInt(kSection, "DrivingTime", 0);
    summary.m_strDayDrivingTime =
        FormatHalfSeconds(static_cast<std::uint32_t>(halfSeconds < 0 ? 0 : halfSeconds));
    summary.m_strDayMaxSpeed = file.GetString(kSection, "MaxSpeed", "") + " km/h";
    const std::string maxTime = file.GetString(kSection, "MaxSpeedDateTime", "");
    summary.m_strDayMaxSpeedTime = FormatTimeStamp(maxTime, true);
    summary.maxSpeed = ParseStoredTime(maxTime);
    for (const std::string& field :
         SplitFields(file.GetString(kSection, "IdlingDrivingStart", "", ini::kUnlimited))) {
        summary.idleStarts.push_back(ParseStoredTime(field));
    }
    const std::vector<std::string> before =
        SplitFields(file.GetString(kSection, "AdjustOldTime", "", ini::kUnlimited));
    const std::vector<std::string> after =
        SplitFields(file.GetString(kSection, "AdjustNewTime", "", ini::kUnlimited));
    for (std::size_t i = 0; i + 1 < before.size(); ++i) {
        summary.adjustRows.push_back({std::to_string(i + 1), before[i], Field(after, i)});
    }
    return summary;
}

std::string DayLabelOf(const std::string& daySampleFile) {
    const std::string title = GetFileTitleOf(daySampleFile);
    const std::size_t underscore = title.rfind('_');
    const std::size_t u = underscore == std::string::npos ? 0 : underscore + 1;
    const std::string_view t(title);
    return std::string(Slice(t, u, 4)) + "." + std::string(Slice(t, u + 4, 2)) + "." +
           std::string(Slice(t, u + 6, 2));
}

}  // namespace vantrel
