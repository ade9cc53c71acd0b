// SPDX-License-Identifier: GPL-3.0-or-later
// What the graph area reads from a day summary file (section "CDA"): the five texts of the
// graph information window, the day's midnight, the maximum-speed time and the idle starts
// for the speed graph's markers, and the clock adjustment rows; plus the day selector's label
// of a day sample file. Lists are read whole, and every fixed-position cut tolerates a short
// or empty text.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/TimeUtil.h"

namespace vantrel {

struct DaySummary {
    std::string m_strDayDate;            // "DrivingDate", YYYYMMDD
    std::string m_strDayDistance;        // "%s km"
    std::string m_strDayDrivingTime;     // FormatHalfSeconds of "DrivingTime"
    std::string m_strDayMaxSpeed;        // "%s km/h"
    std::string m_strDayMaxSpeedTime;    // time only
    SystemTime day;                      // midnight of "DrivingDate"; all zero when unusable
    SystemTime maxSpeed;                 // all zero when the day has none
    std::vector<SystemTime> idleStarts;  // one per field, the empty last field included
    std::vector<std::array<std::string, 3>> adjustRows;  // "1", before, after
};

// The day summary of a day sample file: the same path with every ".cda" made ".dat".
std::string DaySummaryPathOf(const std::string& daySampleFile);
// Reads the summary of a day sample file; a missing file or key gives the defaults.
DaySummary ReadDaySummary(const std::string& daySampleFile);

// A stored time YYYYMMDDhhmmss[.mmm]: fields from fixed positions, milliseconds from up to
// three characters at position 15.
SystemTime ParseStoredTime(std::string_view text);
// Comma-separated fields, the empty one after a final comma included; one empty field for
// an empty text.
std::vector<std::string> SplitFields(std::string_view text);

// The day selector's label "YYYY.MM.DD" from the characters after the title's last
// underscore (from its start when there is none).
std::string DayLabelOf(const std::string& daySampleFile);

}  // namespace vantrel
