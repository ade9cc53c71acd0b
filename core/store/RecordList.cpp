// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a record summary for the list and turning it into the row's texts.
#include "core/store/RecordList.h"

#include "core/app/TextCase.h"
#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "core/util/TextSlice.h"
#include "core/util/TimeUtil.h"

namespace vantrel {
namespace {

constexpr std::string_view kSection = "RECORDINFO";

std::string ReadTypeText(const std::string& stored, const RowTexts& texts) {
    if (EqualsNoCase(stored, "usb")) {
        return texts.usb;
    }
    if (EqualsNoCase(stored, "sd")) {
        return texts.sd;
    }
    return stored;
}

std::uint32_t HalfSeconds(int value) {
    return value < 0 ? 0u : static_cast<std::uint32_t>(value);
}

}  // namespace

RecordSummary ReadRecordSummary(const std::string& path) {
    const ini::IniFile file = ini::IniFile::Load(path);
    RecordSummary s;
    const auto text = [&file](std::string_view key) { return file.GetString(kSection, key, ""); };
    s.saveDateTime = text("SaveDateTime");
    s.saveUserName = text("SaveUserName");
    s.drid = text("DRID");
    s.driverName = text("DriverName");
    s.vehicleNo = text("VehicleNo");
    s.recordStart = text("RecordStart");
    s.recordStop = text("RecordStop");
    s.drivingCm = text("DrivingCM");
    s.drivingTime = file.GetInt(kSection, "DrivingTime", 0);
    s.maxContinueDrivingTime = file.GetInt(kSection, "MaxContinueDrivingTime", 0);
    s.maxSpeed = text("MaxSpeed");
    s.maxSpeedDateTime = text("MaxSpeedDateTime");
    s.drivingArea = text("DrivingArea");
    s.isAdjustTime = text("IsAdjustTime");
    s.readType = text("ReadType");
    return s;
}

std::string MonthText(std::string_view saveDateTime) {
    const std::string full = FormatTimeStamp(saveDateTime, false);
    std::string month(SliceChars(full, 0, 4));
    month.append(" / ");
    month.append(SliceChars(full, 5, 2));
    return month;
}

RowTexts RowTexts::Current() {
    return {GetLangText("GUI", "USB", "USB"), GetLangText("GUI", "SDCARD", "SD")};
}

RecordRow BuildRecordRow(const RecordSummary& s, const std::string& path, int itemData,
                         const RowTexts& texts) {
    RecordRow row;
    row.itemData = itemData;
    auto& c = row.columns;
    c[kColSaveUserName] = s.saveUserName;
    c[kColSaveTime] = FormatTimeStamp(s.saveDateTime, false);
    c[kColDrId] = s.drid;
    c[kColDriverName] = s.driverName;
    c[kColVehicleNo] = s.vehicleNo;
    c[kColRecordStart] = FormatTimeStamp(s.recordStart, false);
    c[kColRecordStop] = FormatTimeStamp(s.recordStop, false);
    c[kColDrivingDistance] = s.drivingCm + " km";
    c[kColDrivingTime] = FormatHalfSeconds(HalfSeconds(s.drivingTime));
    c[kColMaxContDrivingTime] = FormatHalfSeconds(HalfSeconds(s.maxContinueDrivingTime));
    c[kColMaxSpeed] = s.maxSpeed + " km/h";
    c[kColMaxSpeedTime] = FormatTimeStamp(s.maxSpeedDateTime, false);
    c[kColDrivingArea] = s.drivingArea;
    c[kColAdjustTime] = s.isAdjustTime;
    c[kColReadType] = ReadTypeText(s.readType, texts);
    c[kColRecordPath] = path;
    return row;
}

std::string AllText() {
    return GetLangText("GUI", "ALL", "All");
}

std::string EmptyText() {
    return GetLangText("GUI", "EMPTY", "Empty");
}

}  // namespace vantrel
