// SPDX-License-Identifier: GPL-3.0-or-later
// The driving analysis over record files: reading a record's day sample files, analysing its
// days (DayAnalyser), checking the daily driving limit per driver, and the aggregates per
// record, day, driver, vehicle and month.
//
// Cost: one read of each day sample file into a reused buffer and one pass over its 172,800
// samples; nothing is allocated per sample and no day is read twice.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/AnalysisProfile.h"
#include "core/analysis/DayAnalyser.h"

namespace vantrel::analysis {

// Reads day sample files into one day image each. A file is read up to one day image
// (345,600 bytes) whatever its length; a file that is missing, cannot be read or is shorter
// than a day image is an error (a truncated day is not padded with "no sample" here, so an
// analysis never passes a cut file off as a day without driving).
class DaySampleReader {
public:
    DaySampleReader();
    // True with Samples() filled; false with a readable reason in *error.
    bool Read(const std::string& path, std::string* error);
    std::span<const std::uint16_t> Samples() const { return m_samples; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::uint16_t> m_samples;
};

// The identity of a record from its summary file ("RECORDINFO").
struct RecordInfo {
    std::string path;
    std::string deviceId;
    std::string driverName;
    std::string vehicleNo;
    std::vector<std::string> dates;  // YYYYMMDD, ascending, without repeats
};
// Missing keys read as empty texts; dates that are not real days are left out.
RecordInfo ReadRecordInfo(const std::string& recordPath);

struct AnalysedDay {
    std::string date;  // YYYYMMDD
    DayResult result;  // violations include the daily limit's after ApplyDailyLimits
};

struct RecordAnalysis {
    RecordInfo info;
    VehicleClass vehicleClass = VehicleClass::Truck;
    std::vector<AnalysedDay> days;    // the days whose sample file could be read
    std::vector<std::string> errors;  // one per day that could not be read
};

// Analyses one record with the profile of its vehicle's class (or of the given class).
RecordAnalysis AnalyseRecord(const std::string& recordPath, const ProfileFile& profiles,
                             std::optional<VehicleClass> forcedClass, DaySampleReader& reader);

// Adds the daily-limit violations: per driver and calendar day the driving of all the given
// records is summed; a day over the limit uses one of the week's extended days while any is
// left (weeks run Monday to Sunday), and is a violation when it is over its limit then. The
// violation spans the driver's driving that day (first to last driving sample) and is put on
// the record day that holds the first of it.
void ApplyDailyLimits(std::vector<RecordAnalysis>& records, const DailyLimit& limit);

// Progress of AnalyseRecords: records done and all records; false cancels the run.
using AnalysisProgress = std::function<bool(std::size_t done, std::size_t all)>;

// Whether the days keep their list of events or only the counts (DayResult::eventCounts;
// enough for Summarise, and a fraction of the memory over thousands of records).
enum class EventDetail { Events, CountsOnly };

// The whole run a window or the command line needs: every record analysed (a path given twice
// once), then the daily limit applied over all of them. The day files that could not be read
// are in each record's errors. A cancelled run returns the records analysed so far, with the
// daily limit applied to them, and sets *cancelled when given.
std::vector<RecordAnalysis> AnalyseRecords(const std::vector<std::string>& recordPaths,
                                           const ProfileFile& profiles,
                                           std::optional<VehicleClass> forcedClass,
                                           const AnalysisProgress& progress = {},
                                           bool* cancelled = nullptr,
                                           EventDetail detail = EventDetail::Events);

// Sums of days.
struct Totals {
    std::int64_t records = 0;
    std::int64_t days = 0;
    std::uint64_t distanceCm = 0;
    std::int64_t drivingHalfSeconds = 0;
    std::array<std::int64_t, kEventKindCount> events{};
    std::map<std::string, std::int64_t> violations;  // count per rule name
    std::int64_t violationSeconds = 0;               // seconds over, all rules

    void AddDay(const DayResult& day);
    // Every event, long speeding included (it is counted besides its speeding event).
    std::int64_t EventCount() const;
    std::int64_t ViolationCount() const;
    double DistanceKm() const { return static_cast<double>(distanceCm) / 100'000.0; }
    // Events per 100 km driven; 0 without distance.
    double EventsPer100Km() const;
};

enum class GroupBy { Record, Day, Driver, Vehicle, Month };

struct SummaryFilter {
    std::string month;                   // YYYYMM: only days of that month; empty: every day
    std::optional<std::string> vehicle;  // only records of this vehicle number
    std::optional<std::string> driver;   // only records of this driver
};

struct SummaryRow {
    std::string key;  // record path, YYYYMMDD, driver, vehicle number or YYYYMM
    Totals totals;
};

// Rows in key order (records in the order given); the total of every row comes last in
// *total when given.
std::vector<SummaryRow> Summarise(const std::vector<RecordAnalysis>& records, GroupBy groupBy,
                                  const SummaryFilter& filter, Totals* total = nullptr);

// True when the record passes the filter's vehicle and driver.
bool Keeps(const SummaryFilter& filter, const RecordInfo& info);

}  // namespace vantrel::analysis
