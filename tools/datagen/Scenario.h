// SPDX-License-Identifier: GPL-3.0-or-later
// What the generator is asked to produce: one recorder, its vehicle and drivers, a run of days
// with their trips, and the special cases (records, files across midnight, time zones, clock
// adjustments, files not closed normally, header-only files, an unset clock). Everything not
// fixed here is drawn from the seed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/Calendar.h"
#include "tools/datagen/DriveModel.h"
#include "tools/datagen/DtcFile.h"
#include "tools/datagen/SystemLog.h"

namespace vantrel::datagen {

// A trip of the scenario: day counted from the start date (0 = start date), trip of that day.
struct TripRef {
    int day = 0;
    int trip = 0;
    friend bool operator==(const TripRef&, const TripRef&) = default;
};

enum class FileQuirk {
    HeaderOnly,         // the file holds its TF block and nothing else
    NotClosedNormally,  // the clock is set back mid-trip past the file's start (event 10), so
                        // the last minute record is earlier than the start time
    SharesMinute,       // starts 20 s after the previous trip ended, inside the same minute
                        // (the previous trip is made to end at second 20)
    EndsInStandstill,   // ends with at least 1,230 zero samples: the next file is marked
    EndsShort,          // ends with under a minute standing: the next file is not marked
    CrossesMidnight,    // starts after 23:15 and ends after midnight; no later trip that day
};

struct QuirkSpec {
    TripRef trip;
    FileQuirk quirk = FileQuirk::HeaderOnly;
};

// A new record (new record stamp) starting with the given trip.
struct RecordBreak {
    TripRef first;
    int driver = 0;                      // index into Scenario::drivers
    std::optional<std::uint32_t> stamp;  // stamp to write instead of the drawn one (e.g. 0)
};

// The recorder's clock is changed at a true local time of a day. The log gets an event with
// the clock time before and after; with shiftsFiles every later file and block time follows
// the new clock (a jump in the file times).
struct ClockAdjustment {
    int day = 0;
    int minuteOfDay = 0;  // true local time, 0-1439
    std::int64_t shiftSeconds = 0;
    std::uint32_t eventCode = kEventClockSet;
    bool shiftsFiles = true;
    bool toTrueTime = false;  // shift by minus the clock's error at that moment (unset clock)
    bool badCrc = false;      // the log record carries a checksum that does not match
};

struct Scenario {
    std::string name;
    DeviceId deviceId{0x0A, 0x1B, 0x2C};
    // Ten characters before the first '_' of every file name; empty: the device id text
    // followed by "DT", such as VQ0A1B2CDT (the recorder's own naming is not fixed).
    std::string namePrefix;
    std::string vehicleNo = "12가3456";
    std::vector<std::string> drivers{"김민준"};
    CivilDate startDate{2015, 3, 9};
    int days = 7;
    std::int16_t zoneMinutes = 540;
    int minTripsPerDay = 1;
    int maxTripsPerDay = 3;
    int minTripMinutes = 15;
    int maxTripMinutes = 120;
    int restDayPermille = 0;     // days without any trip (unless a special case needs one)
    int newRecordEveryDays = 0;  // also start a record on every n-th day, next driver; 0: never
    std::vector<RecordBreak> recordBreaks;
    std::vector<QuirkSpec> quirks;
    std::vector<ClockAdjustment> clockAdjustments;
    // The device clock was never set: it runs from 1970-01-02 00:00 device time at the first
    // day's midnight, so every time stays below 900,000,000 until a toTrueTime adjustment.
    bool unsetClock = false;
    DriveStyle style;
    int logSlots = kLogSlotsSmall;
    int otherEventPermille = 150;  // per trip, one more event of a code other than 10 and 16

    // Empty when the scenario can be generated, else what is wrong with it.
    std::string Validate() const;
    std::string FilePrefix() const;
    bool Has(TripRef trip, FileQuirk quirk) const;
};

// Scenarios by name, for the command line, the demo and the benchmarks:
// "small", "week", "month", "year", "features", "unset-clock", "west" (negative zone),
// "odd-names" (names with line breaks, brackets, '=', an astral character, over 31 characters).
std::vector<std::string> ScenarioNames();
std::optional<Scenario> NamedScenario(std::string_view name);

}  // namespace vantrel::datagen
