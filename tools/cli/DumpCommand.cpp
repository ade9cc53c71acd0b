// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli dump: one raw .dtc file decoded as the import decodes it, with its totals.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/data/DtcFileList.h"
#include "core/data/FileTotals.h"
#include "core/data/RecordFormat.h"
#include "core/data/RecordModel.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {
namespace {

// "2015.03.09 08:31:36" of a local time value; "(no time)" when it is not a valid time.
std::string TimeText(std::uint32_t localTime) {
    const SystemTime time = SecondsToSystemTime(localTime);
    return time.IsZero() ? "(no time)" : FormatTimeStamp(FormatStamp(time), false);
}

std::string CalendarText(const SystemTime& time, bool withFraction) {
    if (time.IsZero()) {
        return "(no time)";
    }
    return FormatTimeStamp(withFraction ? FormatStampMs(time) : FormatStamp(time), false);
}

std::string ZoneText(int minutes) {
    char text[48];
    const int magnitude = minutes < 0 ? -minutes : minutes;
    std::snprintf(text, sizeof text, "%+d minutes (UTC%c%02d:%02d)", minutes,
                  minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string DeviceTimeText(std::uint32_t deviceTime, int zone) {
    return TimeText(LocalTimeValue(deviceTime, zone)) + "  (device time " +
           std::to_string(deviceTime) + ")";
}

int MinutesWithSamples(const stFileInfo& info) {
    int minutes = 0;
    for (int h = 0; h < kHoursPerDay; ++h) {
        for (int m = 0; m < kMinutesPerHour; ++m) {
            for (int k = 0; k < kSamplesPerMinute; ++k) {
                if (info.Sample(h, m, k) != kNoSample) {
                    ++minutes;
                    break;
                }
            }
        }
    }
    return minutes;
}

struct Dump {
    std::string path;
    std::uintmax_t bytes = 0;
    const stFileInfo* info = nullptr;
    FileTotals totals;
    LastSample last;
};

void PrintText(std::ostream& out, const Dump& d) {
    const stFileInfo& i = *d.info;
    const int zone = i.ZoneMinutes();
    PrintFields(out, {{"File", d.path + " (" + std::to_string(d.bytes) + " bytes)"},
                      {"Device ID", i.DeviceId()},
                      {"Vehicle No", i.VehicleNo()},
                      {"Driver Name", i.DriverName()},
                      {"Time zone", ZoneText(zone)},
                      {"File start", DeviceTimeText(i.FileStart(), zone)},
                      {"Record start", DeviceTimeText(i.RecordStart(), zone)},
                      {"Record stamp", DeviceTimeText(i.RecordStamp(), zone)},
                      {"Day index", std::to_string(i.DayIndex())},
                      {"Record index", std::to_string(i.RecordIndex())},
                      {"Start (local)", TimeText(i.StartTime())},
                      {"End (local)", TimeText(i.EndTime()) + "  (last minute record)"},
                      {"Closed normally", i.ClosedNormally() ? "yes" : "no"},
                      {"Minutes with samples", std::to_string(MinutesWithSamples(i))},
                      {"Samples", std::to_string(d.totals.count) + " (driving time " +
                                      FormatHalfSeconds(d.totals.count) + ")"},
                      {"Distance", FormatRecordKm(d.totals.sum) + " km (" +
                                       std::to_string(d.totals.sum) + " cm)"},
                      {"Max speed", d.totals.largest == 0
                                        ? std::string("(none)")
                                        : FormatOneDecimal(MaxSpeedKmh(d.totals.largest)) +
                                              " km/h (sample " + std::to_string(d.totals.largest) +
                                              ") at " + CalendarText(d.totals.largestTime, true)},
                      {"Longest run", FormatHalfSeconds(d.totals.longestRun) + " (" +
                                          std::to_string(d.totals.longestRun) + " half-seconds)"},
                      {"Last sample", d.last.found ? CalendarText(d.last.time, false) : "(none)"},
                      {"Ends standing", d.last.standstill ? "yes (10 minutes or more)" : "no"}});
}

void PrintJson(std::ostream& out, const Dump& d) {
    const stFileInfo& i = *d.info;
    JsonWriter json(out);
    json.BeginObject();
    json.String("file", d.path);
    json.Number("bytes", static_cast<std::int64_t>(d.bytes));
    json.String("deviceId", i.DeviceId());
    json.String("vehicleNo", i.VehicleNo());
    json.String("driverName", i.DriverName());
    json.Number("zoneMinutes", i.ZoneMinutes());
    json.Number("fileStart", i.FileStart());
    json.Number("recordStart", i.RecordStart());
    json.Number("recordStamp", i.RecordStamp());
    json.Number("dayIndex", i.DayIndex());
    json.Number("recordIndex", i.RecordIndex());
    json.Number("localStart", i.StartTime());
    json.Number("localEnd", i.EndTime());
    json.String("localStartText", FormatStamp(SecondsToSystemTime(i.StartTime())));
    json.String("localEndText", FormatStamp(SecondsToSystemTime(i.EndTime())));
    json.Bool("closedNormally", i.ClosedNormally());
    json.Number("minutesWithSamples", MinutesWithSamples(i));
    json.Number("samples", d.totals.count);
    json.Number("sumCm", d.totals.sum);
    json.String("distanceKm", FormatRecordKm(d.totals.sum));
    json.Number("largestSample", d.totals.largest);
    json.String("maxSpeedKmh", FormatOneDecimal(MaxSpeedKmh(d.totals.largest)));
    json.String("maxSpeedDateTime", FormatStampMs(d.totals.largestTime));
    json.Number("longestRun", d.totals.longestRun);
    json.String("lastSample", d.last.found ? FormatStamp(d.last.time) : "");
    json.Bool("endsInStandstill", d.last.standstill);
    json.EndObject();
}

}  // namespace

int RunDump(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--json"}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "dump");
    }
    if (parsed.positional.size() != 1) {
        return context.Usage("dump needs one .dtc file", "dump");
    }
    Dump dump;
    dump.path = AbsolutePath(parsed.positional[0]);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(dump.path, ec)) {
        return context.Fail("no file '" + parsed.positional[0] + "'");
    }
    dump.bytes = std::filesystem::file_size(dump.path, ec);
    CDtcFileList list;
    list.AddFileName(dump.path);
    if (!list.ReadFiles(false) || list.InfoCount() != 1) {
        return context.Fail("'" + parsed.positional[0] +
                            "' is not a readable .dtc file (empty, unreadable, or without the "
                            "recorder's magic bytes AA 00 EF F5)");
    }
    dump.info = &list.GetFileInfo(0);
    dump.totals = ScanFileTotals(*dump.info, SecondsToSystemTime(dump.info->StartTime()));
    dump.last = FindLastSample(*dump.info);
    if (parsed.Has("--json")) {
        PrintJson(context.out, dump);
    } else {
        PrintText(context.out, dump);
    }
    return kExitOk;
}

}  // namespace vantrel::cli
