// SPDX-License-Identifier: GPL-3.0-or-later
// Figures a converter must arrive at for a generated card, computed here from the generator's
// own blocks and samples, never from the encoded files: per file, per day and per record the
// sample sum and count, the largest sample and its time, the longest run, the standstill
// marks and the clock adjustments of each day.
//
// The figures follow the conversion's rules, so tests can compare them directly:
// - files in name order; a new record stamp starts a record and a day, a new calendar date of
//   the local start time (all zero when invalid) starts a day; the first file always opens a
//   record and a day, whatever its stamp;
// - a minute record lands in the slot of the hour and minute of its local time (slot 0:00 when
//   that time is invalid), a later one replacing an earlier one in the same slot; samples are
//   scanned slot by slot from 0:00, so a file across midnight scans its morning part first;
// - sample times carry the date of the file's local start; a largest sample only counts when
//   strictly larger than the one before (0 never counts), and a run never crosses files;
// - a file whose last 1,200 or more samples (0xFFFF skipped) are 0 marks the start of the
//   next file, across day and record boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/Calendar.h"
#include "tools/datagen/Generator.h"

namespace vantrel::datagen {

struct SampleTotals {
    std::uint64_t sum = 0;    // centimetres
    std::uint32_t count = 0;  // half-seconds with a sample
    std::uint16_t maxSample = 0;
    CivilTime maxTime;             // all zero while maxSample is 0
    std::uint32_t longestRun = 0;  // half-seconds
};

struct FileTotals {
    std::size_t file = 0;  // index into CardData::files
    int dayIndex = 0;
    int recordIndex = 0;
    std::uint32_t localStart = 0;  // header start + zone * 60
    CivilTime start;               // its calendar time, all zero when invalid
    // As the reader's block walk leaves them: the local time of the last minute record and
    // whether it is not earlier than the start. A file without minute records keeps 0 and false.
    std::uint32_t localEnd = 0;
    bool closedNormally = false;
    SampleTotals totals;
    CivilTime lastSample;  // start date with the slot time of the last sample; zero when none
    std::uint32_t trailingZeros = 0;  // zero samples counted back from the last sample
    bool endsInStandstill = false;    // trailingZeros >= 1200
};

struct DayTotals {
    int dayIndex = 0;
    int recordIndex = 0;
    CivilDate date;                  // all zero for an invalid start
    std::vector<std::size_t> files;  // indexes into ExpectedTotals::files
    SampleTotals totals;             // longestRun: the longest of its files
    std::string standstills;         // "YYYYMMDDhhmmss.0," items
    std::string adjustOld;           // "YYYY/MM/DD hh:mm:ss," items
    std::string adjustNew;
    bool adjusted = false;
};

struct RecordTotals {
    int recordIndex = 0;
    std::uint32_t recordStamp = 0;  // header value (device time)
    std::int16_t zoneMinutes = 0;
    std::string deviceId;   // "VQ0A1B2C"
    std::string vehicleNo;  // of the record's last file, as generated (before any cut to 31)
    std::string driverName;
    CivilTime stampTime;    // stamp + zone * 60, all zero when invalid
    CivilTime recordStart;  // header record start + zone * 60 of the first file
    CivilTime recordStop;   // last sample of the last file that has one; zero when none
    SampleTotals totals;
    std::string standstills;
    std::string drivingDates;  // "YYYYMMDD," per day
    int dayCount = 0;
    bool adjusted = false;          // the record's last day had an adjustment
    std::vector<std::size_t> days;  // indexes into ExpectedTotals::days
};

struct ExpectedTotals {
    std::vector<FileTotals> files;
    std::vector<DayTotals> days;
    std::vector<RecordTotals> records;
};

struct ExpectedOptions {
    // Count clock adjustments whose log record fails its checksum. Off by default: a record
    // that fails its checksum is not to be trusted.
    bool includeBadCrc = false;
};

ExpectedTotals ComputeExpectedTotals(const CardData& card, const ExpectedOptions& options = {});

}  // namespace vantrel::datagen
