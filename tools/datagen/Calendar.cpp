// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar arithmetic of the generator (civil-from-days after the usual era decomposition).
#include "tools/datagen/Calendar.h"

#include <cstdio>

namespace vantrel::datagen {

std::int64_t DaysFromCivil(CivilDate date) {
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = date.month > 2 ? date.month - 3 : date.month + 9;
    const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

CivilTime ToCivil(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    return {date.year,
            date.month,
            date.day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60),
            0};
}

CivilTime ToValidCivil(std::int64_t seconds) {
    if (seconds < kFirstValidTime || seconds > kLastValidTime) {
        return {};
    }
    return ToCivil(seconds);
}

std::string FormatStamp(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::string FormatStampMs(const CivilTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d.%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return text;
}

std::string FormatSlashed(const CivilTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string FormatDate(CivilDate date) {
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

}  // namespace vantrel::datagen
