// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli list and show: the record list with its filters, and one record with its days.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/export/CsvExport.h"
#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "core/store/MgrTachoDB.h"
#include "core/util/TextSlice.h"
#include "core/util/TimeUtil.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

// The JSON names of the row's columns 1-15 and 17.
constexpr std::pair<std::size_t, std::string_view> kJsonColumns[] = {
    {kColSaveUserName, "saveUserName"},
    {kColSaveTime, "saveTime"},
    {kColDrId, "drId"},
    {kColDriverName, "driverName"},
    {kColVehicleNo, "vehicleNo"},
    {kColRecordStart, "recordStart"},
    {kColRecordStop, "recordStop"},
    {kColDrivingDistance, "drivingDistance"},
    {kColDrivingTime, "drivingTime"},
    {kColMaxContDrivingTime, "maxContinueDrivingTime"},
    {kColMaxSpeed, "maxSpeed"},
    {kColMaxSpeedTime, "maxSpeedTime"},
    {kColDrivingArea, "drivingArea"},
    {kColAdjustTime, "adjustTime"},
    {kColReadType, "readType"},
    {kColRecordPath, "record"},
};

std::string Gui(std::string_view key, std::string_view defaultText) {
    return GetLangText("GUI", key, defaultText);
}

// "2016 / 03" of 2016/03, 2016-03, 2016 / 03 or 201603; nullopt for anything else.
std::optional<std::string> MonthFilter(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits += c;
        } else if (c != '/' && c != '-' && c != ' ') {
            return std::nullopt;
        }
    }
    if (digits.size() != 6 || digits.substr(4) < "01" || digits.substr(4) > "12") {
        return std::nullopt;
    }
    return digits.substr(0, 4) + " / " + digits.substr(4);
}

void PrintRowsAsText(std::ostream& out, const std::vector<RecordRow>& rows) {
    const std::size_t columns[] = {kColSaveTime,        kColDrId,        kColDriverName,
                                   kColVehicleNo,       kColRecordStart, kColRecordStop,
                                   kColDrivingDistance, kColDrivingTime, kColMaxSpeed,
                                   kColReadType,        kColRecordPath};
    std::vector<std::vector<std::string>> table{
        {Gui("SAVETIME", "Save Time"), Gui("DRID", "DR ID"), Gui("DRIVERNAME", "Driver Name"),
         Gui("VEHICLENO", "Vehicle No"), Gui("RECORDSTARTTIME", "Record Start Time"),
         Gui("RECORDSTOPTIME", "Record Stop Time"), Gui("DRIVINGDISTANCE", "Driving Distance"),
         Gui("DRIVINGTIME", "Driving Time"), Gui("MAXSPEED", "Max Speed"),
         Gui("READTYPE", "Read Type"), "Record"}};
    for (const RecordRow& row : rows) {
        std::vector<std::string> cells;
        for (const std::size_t column : columns) {
            cells.push_back(row.columns[column]);
        }
        table.push_back(std::move(cells));
    }
    PrintTable(out, table);
}

// The comma-separated items of a list value, without the empty ones.
std::vector<std::string> Items(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) {
            items.push_back(list.substr(start, comma - start));
        }
        start = comma + 1;
    }
    return items;
}

struct DayInfo {
    std::string date;
    std::string samplePath;
    bool sampleExists = false;
    std::string drivingCm;
    int drivingTime = 0;
    std::string maxSpeed;
    std::string maxSpeedDateTime;
    std::vector<std::string> idlingStarts;
    std::vector<std::string> adjustOld;
    std::vector<std::string> adjustNew;
};

DayInfo ReadDay(const std::string& record, const std::string& date) {
    DayInfo day;
    day.date = date;
    day.samplePath = RecordDayFilePath(record, date, ".cda");
    std::error_code ec;
    day.sampleExists = fs::is_regular_file(day.samplePath, ec);
    const ini::IniFile file = ini::IniFile::Load(RecordDayFilePath(record, date, ".dat"));
    day.drivingCm = file.GetString("CDA", "DrivingCM", "");
    day.drivingTime = file.GetInt("CDA", "DrivingTime", 0);
    day.maxSpeed = file.GetString("CDA", "MaxSpeed", "");
    day.maxSpeedDateTime = file.GetString("CDA", "MaxSpeedDateTime", "");
    day.idlingStarts = Items(file.GetString("CDA", "IdlingDrivingStart", "", ini::kUnlimited));
    day.adjustOld = Items(file.GetString("CDA", "AdjustOldTime", "", ini::kUnlimited));
    day.adjustNew = Items(file.GetString("CDA", "AdjustNewTime", "", ini::kUnlimited));
    return day;
}

std::string HalfSecondsText(int count) {
    return FormatHalfSeconds(count < 0 ? 0u : static_cast<std::uint32_t>(count));
}

std::string DateText(std::string_view yyyymmdd) {
    return std::string(SliceChars(yyyymmdd, 0, 4)) + "." + std::string(SliceChars(yyyymmdd, 4, 2)) +
           "." + std::string(SliceChars(yyyymmdd, 6, 2));
}

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : std::string(separator)) + item;
    }
    return text;
}

std::vector<std::string> AdjustmentTexts(const DayInfo& day) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < std::max(day.adjustOld.size(), day.adjustNew.size()); ++i) {
        texts.push_back((i < day.adjustOld.size() ? day.adjustOld[i] : "?") + " -> " +
                        (i < day.adjustNew.size() ? day.adjustNew[i] : "?"));
    }
    return texts;
}

void PrintRecordAsText(std::ostream& out, const std::string& record, const ini::IniFile& file,
                       const std::vector<DayInfo>& days) {
    const RecordSummary s = ReadRecordSummary(record);
    const RecordRow row = BuildRecordRow(s, record, 0, RowTexts::Current());
    PrintFields(
        out,
        {{Gui("VEHICLENO", "Vehicle No"), s.vehicleNo},
         {Gui("DRID", "DR ID"), s.drid},
         {Gui("DRIVERNAME", "Driver Name"), s.driverName},
         {Gui("SAVEUSERNAME", "Save User Name"), s.saveUserName},
         {Gui("SAVEDATETIME", "Save Date/Time"), row.columns[kColSaveTime]},
         {Gui("RECORDSTARTTIME", "Record Start Time"), row.columns[kColRecordStart]},
         {Gui("RECORDSTOPTIME", "Record Stop Time"), row.columns[kColRecordStop]},
         {Gui("DRIVINGDISTANCE", "Driving Distance"), row.columns[kColDrivingDistance]},
         {Gui("DRIVINGTIME", "Driving Time"), row.columns[kColDrivingTime]},
         {Gui("MAXCONTDRIVINGTIME", "Max Cont Driving Time"), row.columns[kColMaxContDrivingTime]},
         {Gui("MAXSPEED", "Max Speed"), row.columns[kColMaxSpeed]},
         {Gui("MAXSPEEDTIME", "Max Speed Time"), row.columns[kColMaxSpeedTime]},
         {Gui("DRIVINGAREA", "Driving Area"), s.drivingArea},
         {Gui("ADJTIMEINFO", "Adjust Time Information"), s.isAdjustTime},
         {Gui("READTYPE", "Read Type"), row.columns[kColReadType]},
         {"Days", std::to_string(file.GetInt("RECORDINFO", "DrivingDateCount", 0))},
         {"Record", record}});
    out << "\n";
    std::vector<std::vector<std::string>> table{
        {"Date", Gui("DRIVINGDISTANCE", "Driving Distance"), Gui("DRIVINGTIME", "Driving Time"),
         Gui("MAXSPEED", "Max Speed"), Gui("MAXSPEEDTIME", "Max Speed Time"),
         "Drives after a standstill", "Clock adjustments"}};
    for (const DayInfo& day : days) {
        std::vector<std::string> starts;
        for (const std::string& start : day.idlingStarts) {
            starts.push_back(FormatTimeStamp(start, true));
        }
        table.push_back({DateText(day.date) + (day.sampleExists ? "" : " (no day file)"),
                         day.drivingCm + " km", HalfSecondsText(day.drivingTime),
                         day.maxSpeed + " km/h", FormatTimeStamp(day.maxSpeedDateTime, true),
                         Joined(starts, ", "), Joined(AdjustmentTexts(day), "; ")});
    }
    PrintTable(out, table);
}

void PrintRecordAsJson(std::ostream& out, const std::string& record, const ini::IniFile& file,
                       const std::vector<DayInfo>& days) {
    const auto text = [&file](std::string_view key) {
        return file.GetString("RECORDINFO", key, "");
    };
    const int drivingTime = file.GetInt("RECORDINFO", "DrivingTime", 0);
    const int longest = file.GetInt("RECORDINFO", "MaxContinueDrivingTime", 0);
    JsonWriter json(out);
    json.BeginObject();
    json.String("record", record);
    json.String("saveDateTime", text("SaveDateTime"));
    json.String("saveUserName", text("SaveUserName"));
    json.String("drId", text("DRID"));
    json.String("driverName", text("DriverName"));
    json.String("vehicleNo", text("VehicleNo"));
    json.String("recordStart", text("RecordStart"));
    json.String("recordStop", text("RecordStop"));
    json.String("drivingKm", text("DrivingCM"));
    json.Number("drivingTime", drivingTime);
    json.String("drivingTimeText", HalfSecondsText(drivingTime));
    json.Number("maxContinueDrivingTime", longest);
    json.String("maxContinueDrivingTimeText", HalfSecondsText(longest));
    json.String("maxSpeedKmh", text("MaxSpeed"));
    json.String("maxSpeedDateTime", text("MaxSpeedDateTime"));
    json.BeginArray("idlingDrivingStart");
    for (const std::string& item :
         Items(file.GetString("RECORDINFO", "IdlingDrivingStart", "", ini::kUnlimited))) {
        json.StringItem(item);
    }
    json.EndArray();
    json.String("drivingArea", text("DrivingArea"));
    json.String("isAdjustTime", text("IsAdjustTime"));
    json.String("readType", text("ReadType"));
    json.Number("drivingDateCount", file.GetInt("RECORDINFO", "DrivingDateCount", 0));
    json.BeginArray("days");
    for (const DayInfo& day : days) {
        json.BeginObject();
        json.String("date", day.date);
        json.String("sampleFile", day.samplePath);
        json.Bool("sampleFileExists", day.sampleExists);
        json.String("drivingKm", day.drivingCm);
        json.Number("drivingTime", day.drivingTime);
        json.String("drivingTimeText", HalfSecondsText(day.drivingTime));
        json.String("maxSpeedKmh", day.maxSpeed);
        json.String("maxSpeedDateTime", day.maxSpeedDateTime);
        json.BeginArray("idlingDrivingStart");
        for (const std::string& item : day.idlingStarts) {
            json.StringItem(item);
        }
        json.EndArray();
        json.BeginArray("adjustments");
        for (std::size_t i = 0; i < std::min(day.adjustOld.size(), day.adjustNew.size()); ++i) {
            json.BeginObject();
            json.String("old", day.adjustOld[i]);
            json.String("new", day.adjustNew[i]);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace

int RunList(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed =
        ParseArgs(args, {{"--month", true}, {"--vehicle", true}, {"--device", true}, {"--json"}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "list");
    }
    if (!parsed.positional.empty()) {
        return context.Usage("list takes no arguments besides its options", "list");
    }
    std::optional<std::string> month;
    if (const auto value = parsed.Value("--month")) {
        month = MonthFilter(*value);
        if (!month) {
            return context.Usage("--month needs a month such as 2016/03", "list");
        }
    }
    CMgrTachoDB store(context.BackupFolder());
    store.RebuildFilterLists();
    if (month) {
        store.SetFilterText(RecordFilter::Month, *month);
    }
    // An empty value asks for the records without one, as the list's "Empty" entry does.
    for (const auto& [option, filter] : {std::pair{"--vehicle", RecordFilter::Vehicle},
                                         std::pair{"--device", RecordFilter::Device}}) {
        if (const auto value = parsed.Value(option)) {
            store.SetFilterText(filter, value->empty() ? EmptyText() : *value);
        }
    }
    store.FillRecordList();
    if (parsed.Has("--json")) {
        JsonWriter json(context.out);
        json.BeginArray();
        for (const RecordRow& row : store.GetRows()) {
            json.BeginObject();
            for (const auto& [column, name] : kJsonColumns) {
                json.String(name, row.columns[column]);
            }
            json.EndObject();
        }
        json.EndArray();
    } else if (store.GetRows().empty()) {
        context.err << "vantrel-cli: no records in " << context.BackupFolder() << "\n";
    } else {
        PrintRowsAsText(context.out, store.GetRows());
    }
    return kExitOk;
}

int RunShow(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--json"}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "show");
    }
    if (parsed.positional.size() != 1) {
        return context.Usage("show needs one record file", "show");
    }
    context.LoadSettings();  // the language of the titles
    const std::optional<std::string> record = CheckRecordPath(context, parsed.positional[0]);
    if (!record) {
        return kExitFailure;
    }
    const ini::IniFile file = ini::IniFile::Load(*record);
    std::vector<DayInfo> days;
    for (const std::string& date :
         Items(file.GetString("RECORDINFO", "DrivingDate", "", ini::kUnlimited))) {
        days.push_back(ReadDay(*record, date));
    }
    if (parsed.Has("--json")) {
        PrintRecordAsJson(context.out, *record, file, days);
    } else {
        PrintRecordAsText(context.out, *record, file, days);
    }
    return kExitOk;
}

}  // namespace vantrel::cli
