// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario checks and the named scenarios.
#include "tools/datagen/Scenario.h"

#include <algorithm>
#include <utility>

namespace vantrel::datagen {

namespace {

constexpr int kMaxTripsPerDay = 12;

bool IsValidDate(CivilDate date) {
    if (date.year < 1990 || date.year > 2099 || date.month < 1 || date.month > 12 || date.day < 1) {
        return false;
    }
    return CivilFromDays(DaysFromCivil(date)) == date;
}

std::string CheckTrip(const Scenario& s, TripRef trip, const char* what) {
    if (trip.day < 0 || trip.day >= s.days || trip.trip < 0 || trip.trip >= kMaxTripsPerDay) {
        return std::string(what) + " names a trip outside the scenario";
    }
    return {};
}

std::string CheckLists(const Scenario& s) {
    for (const QuirkSpec& q : s.quirks) {
        if (auto error = CheckTrip(s, q.trip, "a special case"); !error.empty()) {
            return error;
        }
        if (q.quirk == FileQuirk::SharesMinute && q.trip.trip == 0) {
            return "only a day's second or later trip can share a minute with the one before";
        }
    }
    // A trip across midnight is the last of its day: nothing may name a later one.
    const auto afterMidnightTrip = [&](TripRef t) {
        return std::any_of(s.quirks.begin(), s.quirks.end(), [&](const QuirkSpec& q) {
            return q.quirk == FileQuirk::CrossesMidnight && q.trip.day == t.day &&
                   q.trip.trip < t.trip;
        });
    };
    for (const QuirkSpec& q : s.quirks) {
        if (afterMidnightTrip(q.trip)) {
            return "a special case names a trip after the day's trip across midnight";
        }
    }
    for (const RecordBreak& b : s.recordBreaks) {
        if (afterMidnightTrip(b.first)) {
            return "a record break names a trip after the day's trip across midnight";
        }
    }
    for (const RecordBreak& b : s.recordBreaks) {
        if (auto error = CheckTrip(s, b.first, "a record break"); !error.empty()) {
            return error;
        }
        if (b.driver < 0 || static_cast<std::size_t>(b.driver) >= s.drivers.size()) {
            return "a record break names a driver that is not in the list";
        }
    }
    for (const ClockAdjustment& a : s.clockAdjustments) {
        if (a.day < 0 || a.day >= s.days || a.minuteOfDay < 0 || a.minuteOfDay >= 1440) {
            return "a clock adjustment lies outside the scenario";
        }
        if (a.shiftSeconds < -30LL * 86400 || a.shiftSeconds > 30LL * 86400) {
            return "a clock adjustment moves the clock by more than 30 days";
        }
    }
    return {};
}

Scenario Small() {
    Scenario s;
    s.name = "small";
    s.days = 2;
    s.minTripsPerDay = 2;
    s.maxTripsPerDay = 2;
    s.minTripMinutes = 10;
    s.maxTripMinutes = 30;
    return s;
}

Scenario Week() {
    Scenario s;
    s.name = "week";
    s.drivers = {"김민준", "이서연"};
    s.recordBreaks = {{{4, 0}, 1, {}}};
    s.quirks = {{{3, 0}, FileQuirk::CrossesMidnight}, {{1, 0}, FileQuirk::EndsInStandstill}};
    s.clockAdjustments = {{5, 420, 60, kEventClockSync, true, false, false}};
    return s;
}

Scenario Month() {
    Scenario s;
    s.name = "month";
    s.vehicleNo = "서울 34나 7812";
    s.drivers = {"김민준", "이서연", "박지훈"};
    s.startDate = {2015, 3, 1};
    s.days = 31;
    s.maxTripsPerDay = 4;
    s.restDayPermille = 120;
    s.newRecordEveryDays = 7;
    s.quirks = {{{9, 1}, FileQuirk::CrossesMidnight},
                {{16, 0}, FileQuirk::HeaderOnly},
                {{20, 1}, FileQuirk::SharesMinute},
                {{24, 0}, FileQuirk::NotClosedNormally}};
    s.clockAdjustments = {{12, 300, 180, kEventClockSet, true, false, false},
                          {25, 300, 0, kEventClockSync, true, true, false}};
    return s;
}

Scenario Year() {
    Scenario s;
    s.name = "year";
    s.drivers = {"김민준", "이서연", "박지훈", "최유진"};
    s.startDate = {2015, 1, 1};
    s.days = 365;
    s.minTripsPerDay = 1;
    s.maxTripsPerDay = 1;
    s.minTripMinutes = 60;
    s.maxTripMinutes = 240;
    s.newRecordEveryDays = 30;
    s.logSlots = kLogSlotsLarge;
    s.clockAdjustments = {{100, 240, 3600, kEventClockSet, true, false, false},
                          {101, 240, -3600, kEventClockSync, true, false, false}};
    return s;
}

// Every special case once, in a week of a Korean recorder (zone +540).
Scenario Features() {
    Scenario s;
    s.name = "features";
    s.drivers = {"김민준", "이서연"};
    s.days = 6;
    s.minTripsPerDay = 2;
    s.maxTripsPerDay = 3;
    s.minTripMinutes = 20;
    s.maxTripMinutes = 90;
    s.recordBreaks = {{{2, 1}, 1, {}}, {{4, 0}, 0, {}}};
    s.quirks = {{{0, 0}, FileQuirk::EndsInStandstill}, {{0, 1}, FileQuirk::EndsShort},
                {{1, 2}, FileQuirk::CrossesMidnight},  {{2, 2}, FileQuirk::SharesMinute},
                {{3, 1}, FileQuirk::HeaderOnly},       {{4, 1}, FileQuirk::NotClosedNormally},
                {{5, 0}, FileQuirk::EndsInStandstill}};
    // 2015-03-11 23:59:00 -> 2015-03-12 00:01:00 belongs to both days; then a GPS sync that
    // only logs; a correction after the clock was set back; one record with a bad checksum.
    s.clockAdjustments = {{2, 1439, 120, kEventClockSet, true, false, false},
                          {3, 720, 37, kEventClockSync, false, false, false},
                          {5, 240, 0, kEventClockSync, true, true, false},
                          {5, 1200, 60, kEventClockSet, false, false, true}};
    return s;
}

Scenario UnsetClock() {
    Scenario s;
    s.name = "unset-clock";
    s.days = 4;
    s.minTripsPerDay = 1;
    s.maxTripsPerDay = 2;
    s.unsetClock = true;
    s.clockAdjustments = {{2, 240, 0, kEventClockSet, true, true, false}};
    return s;
}

Scenario West() {
    Scenario s;
    s.name = "west";
    s.deviceId = {0xC4, 0x07, 0x9E};
    s.vehicleNo = "TX 4KZ-921";
    s.drivers = {"Jane Miller", "Carlos Díaz"};
    s.startDate = {2016, 2, 26};  // over a leap day
    s.days = 5;
    s.zoneMinutes = -300;
    s.style.speedLimitKmh = 110;
    s.recordBreaks = {{{3, 0}, 1, {}}};
    s.quirks = {{{1, 1}, FileQuirk::CrossesMidnight}};
    return s;
}

// Names that can upset a summary file or a fixed-size field: line breaks, brackets, '=',
// quotes, a character outside the basic plane and a name longer than 31 characters.
Scenario OddNames() {
    Scenario s;
    s.name = "odd-names";
    s.vehicleNo = "[RECORDINFO]\r\nDRID=서울 12가";
    s.drivers = {"Kim \"Night\" [B]=1\nLee", "A driver name much longer than thirty-one characters",
                 "\xF0\x9F\x9A\x9A Trucker; #1"};
    s.days = 2;
    s.minTripsPerDay = 2;
    s.maxTripsPerDay = 2;
    s.recordBreaks = {{{1, 0}, 1, {}}, {{1, 1}, 2, {}}};
    return s;
}

using Maker = Scenario (*)();
constexpr std::pair<std::string_view, Maker> kScenarios[] = {
    {"small", Small}, {"week", Week},         {"month", Month},
    {"year", Year},   {"features", Features}, {"unset-clock", UnsetClock},
    {"west", West},   {"odd-names", OddNames}};

}  // namespace

std::string Scenario::FilePrefix() const {
    return namePrefix.empty() ? DeviceIdText(deviceId) + "DT" : namePrefix;
}

bool Scenario::Has(TripRef trip, FileQuirk quirk) const {
    return std::any_of(quirks.begin(), quirks.end(),
                       [&](const QuirkSpec& q) { return q.trip == trip && q.quirk == quirk; });
}

std::string Scenario::Validate() const {
    const std::string prefix = FilePrefix();
    if (prefix.size() != 10 || prefix.find_first_of("_/\\.:*?\"<>| ") != std::string::npos) {
        return "the file name prefix must be ten characters without '_', separators or blanks";
    }
    if (!IsValidDate(startDate)) {
        return "the start date is not a date between 1990 and 2099";
    }
    if (days < 1 || days > 3660) {
        return "the number of days must lie between 1 and 3660";
    }
    if (drivers.empty()) {
        return "at least one driver is needed";
    }
    if (minTripsPerDay < 0 || maxTripsPerDay < minTripsPerDay || maxTripsPerDay > kMaxTripsPerDay) {
        return "trips per day must satisfy 0 <= min <= max <= 12";
    }
    if (minTripMinutes < 1 || maxTripMinutes < minTripMinutes || maxTripMinutes > 600) {
        return "trip minutes must satisfy 1 <= min <= max <= 600";
    }
    if (zoneMinutes < -720 || zoneMinutes > 840) {
        return "the time-zone offset must lie between -720 and +840 minutes";
    }
    if (logSlots != kLogSlotsSmall && logSlots != kLogSlotsLarge) {
        return "the log holds 1000 or 10000 records";
    }
    if (newRecordEveryDays < 0) {
        return "newRecordEveryDays must not be negative";
    }
    return CheckLists(*this);
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    for (const auto& entry : kScenarios) {
        names.emplace_back(entry.first);
    }
    return names;
}

std::optional<Scenario> NamedScenario(std::string_view name) {
    for (const auto& [known, make] : kScenarios) {
        if (known == name) {
            return make();
        }
    }
    return std::nullopt;
}

}  // namespace vantrel::datagen
