// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the record list and its three filters. A row is made from the record summary
// file ("RECORDINFO") alone: 18 columns, column 0 the check box (no text), column 17 the
// summary file's path, which identifies the row's record everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::size_t kRecordColumnCount = 18;

// Column numbers of a row, as the list shows them.
enum RecordColumn : std::size_t {
    kColCheck = 0,
    kColSaveUserName = 1,
    kColSaveTime = 2,
    kColDrId = 3,
    kColDriverName = 4,
    kColVehicleNo = 5,
    kColRecordStart = 6,
    kColRecordStop = 7,
    kColDrivingDistance = 8,
    kColDrivingTime = 9,
    kColMaxContDrivingTime = 10,
    kColMaxSpeed = 11,
    kColMaxSpeedTime = 12,
    kColDrivingArea = 13,
    kColAdjustTime = 14,
    kColReadType = 15,
    kColUnused = 16,
    kColRecordPath = 17,
};

// The keys of a record summary file that the list shows, read as display texts (255
// characters at most; the integers with default 0).
struct RecordSummary {
    std::string saveDateTime;
    std::string saveUserName;
    std::string drid;
    std::string driverName;
    std::string vehicleNo;
    std::string recordStart;
    std::string recordStop;
    std::string drivingCm;
    int drivingTime = 0;
    int maxContinueDrivingTime = 0;
    std::string maxSpeed;
    std::string maxSpeedDateTime;
    std::string drivingArea;
    std::string isAdjustTime;
    std::string readType;
};

// Missing keys read as empty texts and 0, so a damaged file gives a row of empty cells.
RecordSummary ReadRecordSummary(const std::string& path);

// "YYYY / MM" of a save time stamp (characters 0-3 and 5-6 of its full display form); the
// month filter's entries and the month a record is matched by.
std::string MonthText(std::string_view saveDateTime);

struct RecordRow {
    int itemData = 0;  // the row's number, 0-based
    std::array<std::string, kRecordColumnCount> columns;

    const std::string& RecordPath() const { return columns[kColRecordPath]; }
};

// The localised texts a row shows for the read types, looked up once per list fill.
struct RowTexts {
    std::string usb;  // section "GUI", key USB
    std::string sd;   // section "GUI", key SDCARD
    static RowTexts Current();
};

// The texts of a row; "ReadType" usb and sd (any letter case) show the localised texts, other
// values (such as CARD, written by another program) as stored.
RecordRow BuildRecordRow(const RecordSummary& summary, const std::string& path, int itemData,
                         const RowTexts& texts);

// The three filters of the list.
enum class RecordFilter { Month = 0, Vehicle = 1, Device = 2 };

// The localised filter entries "All" (section "GUI", key ALL) and "Empty" (key EMPTY).
std::string AllText();
std::string EmptyText();

}  // namespace vantrel
