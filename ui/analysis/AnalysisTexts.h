// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis windows' texts in the current language: event kinds, vehicle classes, rules,
// durations and values.
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

#include "core/analysis/AnalysisProfile.h"
#include "core/analysis/DayAnalyser.h"

namespace vantrel::ui {

QString EventKindText(analysis::EventKind kind);
QString VehicleClassText(analysis::VehicleClass vehicleClass);
// "Driving rule eu" for a continuous-driving rule, "Daily driving limit" for the daily one.
QString RuleText(std::string_view rule);
// "H:MM:SS".
QString DurationText(std::int64_t seconds);
// A peak: "87.4 km/h" for the speeding kinds, "12.6 km/h/s" for the others.
QString PeakText(const analysis::DrivingEvent& event);
// "HH:MM:SS.s" of a half-second time, with the date in front when it is not on the day
// ("YYYYMMDD").
QString ClockText(std::int64_t halfSeconds, std::string_view day);
// Lane changes, overtaking, turns and U-turns cannot be found from distance samples.
QString NotFoundNote();

}  // namespace vantrel::ui
