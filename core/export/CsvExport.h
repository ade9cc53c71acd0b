// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV files of the export: for every record and every driving day one text file with the
// day's summary as four header lines and an empty line, then one row per half-second that
// holds a sample. The export dialog's worker and the command-line tool both call it; it shows
// nothing itself and reports progress, the result code and the files through its result.
//
// A file is named "<record title>_<YYYYMMDD>.csv" in the output folder. Lines end in CR LF, as
// a C runtime text stream opened with "w" writes them on the recorder's platform; everything
// written is ASCII.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The result codes the export dialog picks its message by.
inline constexpr int kExportFailed = 1;
inline constexpr int kExportCanceled = 2;
inline constexpr int kExportCompleted = 3;

struct CsvExportCallbacks {
    // A record begins (1-based number, record count, its "DrivingDateCount"): the dialog sets
    // its progress range to 0 ... dayCount and the position to 0.
    std::function<void(int recordNumber, int recordCount, std::uint32_t dayCount)> onRecord;
    // A day of that record is about to be written: progress position dayPosition (1-based),
    // counter "%d / %d" of recordNumber and recordCount.
    std::function<void(std::uint32_t dayPosition, int recordNumber, int recordCount)> onDay;
};

struct CsvExportResult {
    int code = kExportCompleted;
    std::vector<std::string> writtenFiles;  // in the order written
    // With kExportFailed: the file that could not be read or written, and why.
    std::string failedFile;
    std::string failure;
};

// Exports the records (paths of record summary files, in list order) into outputFolder (a
// separator is added when it lacks one; the folder is not created). cancelFlag is polled
// before every record and every day, so a day being written is always finished; the caller
// clears it before the start. A missing day sample file is skipped silently; a day sample file
// that cannot be read, or an output file that cannot be created or written completely, ends
// the export with kExportFailed, and the incomplete output file is removed (files written
// before stay).
CsvExportResult ExportRecordsToCsv(const std::vector<std::string>& recordPaths,
                                   std::string_view outputFolder,
                                   const std::atomic<int>& cancelFlag,
                                   const CsvExportCallbacks& callbacks = {});

// The content of one day's CSV file: the header of the day summary's values and the rows of
// the day image (at most one day image is used; missing bytes read as no sample). date is
// the record's "DrivingDate" item of that day, which dates the rows.
struct CsvDaySummary {
    std::string drivingDate;        // "DrivingDate" of the day summary, YYYYMMDD
    std::string drivingCm;          // "DrivingCM" as stored (kilometres)
    std::uint32_t drivingTime = 0;  // "DrivingTime", half-seconds
    std::string maxSpeed;           // "MaxSpeed" as stored (km/h)
    std::string maxSpeedDateTime;   // "MaxSpeedDateTime", YYYYMMDDhhmmss.f
};
std::string FormatCsvDay(const CsvDaySummary& summary, std::string_view date,
                         const std::uint8_t* dayImage, std::size_t dayImageBytes);

// "<outputFolder><title>_<date>.csv" and the day files "<folder>/<title>_<date>.cda/.dat" of a
// record summary path; only the file name's own extension is replaced.
std::string CsvFilePath(std::string_view outputFolder, std::string_view recordPath,
                        std::string_view date);
std::string RecordDayFilePath(std::string_view recordPath, std::string_view date,
                              std::string_view extension);

// The message of a result code: section "MESSAGE", the key EXPORTFAIL, EXPORTCANCEL or
// EXPORTOK (any other code), and its text in the active language.
std::string_view ExportResultKey(int code);
std::string ExportResultText(int code);

}  // namespace vantrel
