// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/analysis/AnalysisTexts.h"

#include <string>

#include "ui/app/LangText.h"

namespace vantrel::ui {

using analysis::EventKind;
using analysis::VehicleClass;

QString EventKindText(EventKind kind) {
    switch (kind) {
        case EventKind::Speeding:
            return LangText("GUI", "EVSPEEDING", "Speeding");
        case EventKind::LongSpeeding:
            return LangText("GUI", "EVLONGSPEEDING", "Long speeding");
        case EventKind::SuddenAcceleration:
            return LangText("GUI", "EVSUDDENACCEL", "Sudden acceleration");
        case EventKind::SuddenStart:
            return LangText("GUI", "EVSUDDENSTART", "Sudden start");
        case EventKind::SuddenDeceleration:
            return LangText("GUI", "EVSUDDENDECEL", "Sudden deceleration");
        case EventKind::SuddenStop:
            return LangText("GUI", "EVSUDDENSTOP", "Sudden stop");
    }
    return {};
}

QString VehicleClassText(VehicleClass vehicleClass) {
    switch (vehicleClass) {
        case VehicleClass::Bus:
            return LangText("GUI", "CLASSBUS", "Bus");
        case VehicleClass::Truck:
            return LangText("GUI", "CLASSTRUCK", "Truck");
        case VehicleClass::Taxi:
            return LangText("GUI", "CLASSTAXI", "Taxi");
        case VehicleClass::Car:
            return LangText("GUI", "CLASSCAR", "Car");
    }
    return {};
}

QString RuleText(std::string_view rule) {
    if (rule == analysis::kDailyRuleName) {
        return LangText("GUI", "RULEDAILY", "Daily driving limit");
    }
    return LangText("GUI", "RULE", "Driving rule") + " " +
           QString::fromUtf8(rule.data(), static_cast<qsizetype>(rule.size()));
}

QString DurationText(std::int64_t seconds) {
    return QString("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

QString PeakText(const analysis::DrivingEvent& event) {
    const bool speed = event.kind == EventKind::Speeding || event.kind == EventKind::LongSpeeding;
    return QString::number(event.peak, 'f', 1) + (speed ? " km/h" : " km/h/s");
}

QString ClockText(std::int64_t halfSeconds, std::string_view day) {
    // "YYYY-MM-DD HH:MM:SS.mmm"
    const std::string full = analysis::FormatHalfSecondTime(halfSeconds);
    const std::string date = full.substr(0, 4) + full.substr(5, 2) + full.substr(8, 2);
    const std::string clock = full.substr(11, 10);  // HH:MM:SS.m
    return QString::fromStdString(date == day ? clock : full.substr(0, 10) + " " + clock);
}

QString NotFoundNote() {
    return LangText("GUI", "ANALYSISNOTE",
                    "Lane changes, overtaking, turns and U-turns need the vehicle's heading; "
                    "the recorder's samples hold distance only, so they are not reported.");
}

}  // namespace vantrel::ui
