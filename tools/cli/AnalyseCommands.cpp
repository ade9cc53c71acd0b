// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli analyse and summary: the driving analysis of records (events and rule
// violations per day) and its aggregates over the backup folder.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/analysis/RecordAnalysis.h"
#include "core/export/CsvLine.h"
#include "core/store/BackupLayout.h"
#include "core/store/MgrTachoDB.h"
#include "core/util/TimeUtil.h"
#include "tools/cli/CliArgs.h"
#include "tools/cli/CliOutput.h"
#include "tools/cli/CommandSupport.h"
#include "tools/cli/Commands.h"

namespace vantrel::cli {
namespace {

using namespace analysis;

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Km(std::uint64_t centimetres) {
    return Fixed(static_cast<double>(centimetres) / 100'000.0, 1);
}

std::string Peak(double value) {
    return Fixed(value, 2);
}

std::string Duration(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

// "201603" of 2016/03, 2016-03 or 201603; nullopt for anything else.
std::optional<std::string> MonthArgument(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits += c;
        } else if (c != '/' && c != '-') {
            return std::nullopt;
        }
    }
    if (digits.size() != 6 || digits.substr(4) < "01" || digits.substr(4) > "12") {
        return std::nullopt;
    }
    return digits;
}

std::string MonthText(const std::string& yyyymm) {
    return yyyymm.size() == 6 ? yyyymm.substr(0, 4) + "/" + yyyymm.substr(4) : yyyymm;
}

// The profile file with its notes reported, and the class that --profile forces.
struct ProfileChoice {
    ProfileFile profiles;
    std::optional<VehicleClass> forced;
    bool ok = true;
};

ProfileChoice ChooseProfile(CliContext& context, const ParsedArgs& parsed,
                            const std::string& command) {
    ProfileChoice choice;
    if (const auto name = parsed.Value("--profile")) {
        choice.forced = ParseVehicleClass(*name);
        if (!choice.forced) {
            context.Usage("--profile needs bus, truck, taxi or car", command);
            choice.ok = false;
            return choice;
        }
    }
    const std::string path = context.AnalysisProfilePath();
    if (!path.empty()) {
        choice.profiles = ProfileFile::Load(path);
    }
    for (const std::string& note : choice.profiles.Notes()) {
        context.err << "vantrel-cli: " << (path.empty() ? "" : path + ": ") << note << "\n";
    }
    return choice;
}

// Analyses the records and checks the daily limit over all of them; day files that cannot be
// read are reported on stderr.
std::vector<RecordAnalysis> AnalyseAll(CliContext& context, const std::vector<std::string>& paths,
                                       const ProfileChoice& choice, bool& failed,
                                       EventDetail detail) {
    ProgressBar bar(context.err, context.progress && paths.size() > 20, "Analysing");
    std::vector<RecordAnalysis> records = AnalyseRecords(
        paths, choice.profiles, choice.forced,
        [&bar](std::size_t done, std::size_t all) {
            bar.Update(static_cast<int>(done * 100 / all));
            return true;
        },
        nullptr, detail);
    bar.Finish();
    for (const RecordAnalysis& record : records) {
        for (const std::string& error : record.errors) {
            context.err << "vantrel-cli: " << error << "\n";
            failed = true;
        }
    }
    return records;
}

void PrintAnalysisJson(std::ostream& out, const std::vector<RecordAnalysis>& records) {
    out << "{\"records\":[";
    for (std::size_t r = 0; r < records.size(); ++r) {
        const RecordAnalysis& record = records[r];
        out << (r == 0 ? "" : ",") << "{\"record\":" << JsonString(record.info.path)
            << ",\"days\":[";
        for (std::size_t d = 0; d < record.days.size(); ++d) {
            const AnalysedDay& day = record.days[d];
            out << (d == 0 ? "" : ",") << "{\"date\":" << JsonString(day.date)
                << ",\"distanceKm\":" << Km(day.result.distanceCm)
                << ",\"drivingSeconds\":" << day.result.DrivingSeconds() << ",\"events\":[";
            for (std::size_t e = 0; e < day.result.events.size(); ++e) {
                const DrivingEvent& event = day.result.events[e];
                out << (e == 0 ? "" : ",") << "{\"kind\":" << JsonString(EventKindName(event.kind))
                    << ",\"start\":" << JsonString(FormatHalfSecondTime(event.start))
                    << ",\"end\":" << JsonString(FormatHalfSecondTime(event.end))
                    << ",\"peak\":" << Peak(event.peak) << "}";
            }
            out << "],\"violations\":[";
            for (std::size_t v = 0; v < day.result.violations.size(); ++v) {
                const RuleViolation& violation = day.result.violations[v];
                out << (v == 0 ? "" : ",") << "{\"rule\":" << JsonString(violation.rule)
                    << ",\"start\":" << JsonString(FormatHalfSecondTime(violation.start))
                    << ",\"end\":" << JsonString(FormatHalfSecondTime(violation.end))
                    << ",\"seconds\":" << violation.secondsOver << "}";
            }
            out << "]}";
        }
        out << "]}";
    }
    out << "]}\n";
}

void PrintAnalysisCsv(std::ostream& out, const std::vector<RecordAnalysis>& records) {
    out << CsvLine({"record", "date", "distanceKm", "drivingSeconds", "item", "name", "start",
                    "end", "value"});
    for (const RecordAnalysis& record : records) {
        for (const AnalysedDay& day : record.days) {
            const std::vector<std::string> head{record.info.path, day.date,
                                                Km(day.result.distanceCm),
                                                std::to_string(day.result.DrivingSeconds())};
            const auto line = [&](const std::vector<std::string>& rest) {
                std::vector<std::string> fields = head;
                fields.insert(fields.end(), rest.begin(), rest.end());
                out << CsvLine(fields);
            };
            if (day.result.events.empty() && day.result.violations.empty()) {
                line({"", "", "", "", ""});
            }
            for (const DrivingEvent& event : day.result.events) {
                line({"event", std::string(EventKindName(event.kind)),
                      FormatHalfSecondTime(event.start), FormatHalfSecondTime(event.end),
                      Peak(event.peak)});
            }
            for (const RuleViolation& violation : day.result.violations) {
                line({"violation", violation.rule, FormatHalfSecondTime(violation.start),
                      FormatHalfSecondTime(violation.end), std::to_string(violation.secondsOver)});
            }
        }
    }
}

void PrintAnalysisText(std::ostream& out, const std::vector<RecordAnalysis>& records) {
    for (std::size_t r = 0; r < records.size(); ++r) {
        const RecordAnalysis& record = records[r];
        out << (r == 0 ? "" : "\n") << record.info.path << "\n"
            << "  driver " << record.info.driverName << ", vehicle " << record.info.vehicleNo
            << ", profile " << VehicleClassName(record.vehicleClass) << "\n";
        for (const AnalysedDay& day : record.days) {
            const DayResult& d = day.result;
            out << "\n"
                << day.date.substr(0, 4) << "." << day.date.substr(4, 2) << "."
                << day.date.substr(6, 2) << "  " << Km(d.distanceCm) << " km, driving "
                << Duration(d.DrivingSeconds()) << ", events " << d.events.size()
                << ", rule violations " << d.violations.size() << "\n";
            if (d.events.empty() && d.violations.empty()) {
                continue;
            }
            std::vector<std::vector<std::string>> table{{"  What", "Start", "End", "Value"}};
            for (const DrivingEvent& event : d.events) {
                const bool speed =
                    event.kind == EventKind::Speeding || event.kind == EventKind::LongSpeeding;
                table.push_back({"  " + std::string(EventKindName(event.kind)),
                                 FormatHalfSecondTime(event.start), FormatHalfSecondTime(event.end),
                                 Peak(event.peak) + (speed ? " km/h" : " km/h/s")});
            }
            for (const RuleViolation& violation : d.violations) {
                table.push_back({"  rule " + violation.rule, FormatHalfSecondTime(violation.start),
                                 FormatHalfSecondTime(violation.end),
                                 Duration(violation.secondsOver) + " over"});
            }
            PrintTable(out, table);
        }
    }
}

// The rule names of the summary's columns: the profile's rules, then the daily limit.
std::vector<std::string> RuleNames(const ProfileFile& profiles) {
    std::vector<std::string> names;
    for (const DrivingRule& rule : profiles.Profile(VehicleClass::Truck).rules) {
        names.push_back(rule.name);
    }
    names.emplace_back(kDailyRuleName);
    return names;
}

std::int64_t ViolationsOf(const Totals& totals, const std::string& rule) {
    const auto found = totals.violations.find(rule);
    return found == totals.violations.end() ? 0 : found->second;
}

void PrintTotalsJson(std::ostream& out, const Totals& t, const std::vector<std::string>& rules) {
    out << "\"records\":" << t.records << ",\"days\":" << t.days
        << ",\"distanceKm\":" << Km(t.distanceCm)
        << ",\"drivingSeconds\":" << t.drivingHalfSeconds / 2 << ",\"events\":{";
    for (std::size_t k = 0; k < kEventKindCount; ++k) {
        out << (k == 0 ? "" : ",") << JsonString(EventKindName(static_cast<EventKind>(k))) << ":"
            << t.events[k];
    }
    out << "},\"eventCount\":" << t.EventCount()
        << ",\"eventsPer100Km\":" << Fixed(t.EventsPer100Km(), 2) << ",\"violations\":{";
    for (std::size_t i = 0; i < rules.size(); ++i) {
        out << (i == 0 ? "" : ",") << JsonString(rules[i]) << ":" << ViolationsOf(t, rules[i]);
    }
    out << "},\"violationSeconds\":" << t.violationSeconds;
}

std::vector<std::string> TotalsCells(const Totals& t, const std::vector<std::string>& rules,
                                     bool forCsv) {
    std::vector<std::string> cells{
        std::to_string(t.records), std::to_string(t.days), Km(t.distanceCm),
        forCsv ? std::to_string(t.drivingHalfSeconds / 2) : Duration(t.drivingHalfSeconds / 2)};
    for (const std::int64_t n : t.events) {
        cells.push_back(std::to_string(n));
    }
    cells.push_back(std::to_string(t.EventCount()));
    cells.push_back(Fixed(t.EventsPer100Km(), 2));
    for (const std::string& rule : rules) {
        cells.push_back(std::to_string(ViolationsOf(t, rule)));
    }
    cells.push_back(forCsv ? std::to_string(t.violationSeconds) : Duration(t.violationSeconds));
    return cells;
}

std::vector<std::string> TotalsHeadings(const std::string& key,
                                        const std::vector<std::string>& rules, bool forCsv) {
    std::vector<std::string> headings{key, "records", "days", "distanceKm",
                                      forCsv ? "drivingSeconds" : "driving"};
    for (std::size_t k = 0; k < kEventKindCount; ++k) {
        headings.emplace_back(EventKindName(static_cast<EventKind>(k)));
    }
    headings.emplace_back("events");
    headings.emplace_back("per100Km");
    for (const std::string& rule : rules) {
        headings.push_back(rule);
    }
    headings.emplace_back(forCsv ? "violationSeconds" : "over");
    return headings;
}

}  // namespace

int RunAnalyse(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--profile", true}, {"--json"}, {"--csv"}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "analyse");
    }
    if (parsed.positional.empty()) {
        return context.Usage("analyse needs one or more record files", "analyse");
    }
    if (parsed.Has("--json") && parsed.Has("--csv")) {
        return context.Usage("give --json or --csv, not both", "analyse");
    }
    const ProfileChoice choice = ChooseProfile(context, parsed, "analyse");
    if (!choice.ok) {
        return kExitUsage;
    }
    std::vector<std::string> paths;
    for (const std::string& path : parsed.positional) {
        const std::optional<std::string> record = CheckRecordPath(context, path);
        if (!record) {
            return kExitFailure;
        }
        paths.push_back(*record);  // a record named twice is analysed once
    }
    bool failed = false;
    const std::vector<RecordAnalysis> records =
        AnalyseAll(context, paths, choice, failed, EventDetail::Events);
    if (parsed.Has("--json")) {
        PrintAnalysisJson(context.out, records);
    } else if (parsed.Has("--csv")) {
        PrintAnalysisCsv(context.out, records);
    } else {
        PrintAnalysisText(context.out, records);
    }
    return failed ? kExitFailure : kExitOk;
}

int RunSummary(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {{"--month", true},
                                               {"--vehicle", true},
                                               {"--driver", true},
                                               {"--by", true},
                                               {"--profile", true},
                                               {"--json"},
                                               {"--csv"}});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "summary");
    }
    if (!parsed.positional.empty()) {
        return context.Usage("summary takes no arguments besides its options", "summary");
    }
    if (parsed.Has("--json") && parsed.Has("--csv")) {
        return context.Usage("give --json or --csv, not both", "summary");
    }
    SummaryFilter filter;
    if (const auto month = parsed.Value("--month")) {
        const std::optional<std::string> digits = MonthArgument(*month);
        if (!digits) {
            return context.Usage("--month needs a month such as 2016/03", "summary");
        }
        filter.month = *digits;
    }
    filter.vehicle = parsed.Value("--vehicle");
    filter.driver = parsed.Value("--driver");
    GroupBy groupBy = GroupBy::Record;
    const std::string by = parsed.Value("--by").value_or("record");
    const std::pair<std::string_view, GroupBy> groupings[] = {{"record", GroupBy::Record},
                                                              {"day", GroupBy::Day},
                                                              {"driver", GroupBy::Driver},
                                                              {"vehicle", GroupBy::Vehicle},
                                                              {"month", GroupBy::Month}};
    bool known = false;
    for (const auto& [name, value] : groupings) {
        if (by == name) {
            groupBy = value;
            known = true;
        }
    }
    if (!known) {
        return context.Usage("--by needs record, day, driver, vehicle or month", "summary");
    }
    const ProfileChoice choice = ChooseProfile(context, parsed, "summary");
    if (!choice.ok) {
        return kExitUsage;
    }

    CMgrTachoDB store(context.BackupFolder());
    store.ScanRecords(CdaFolder(context.BackupFolder()));
    bool failed = false;
    const std::vector<RecordAnalysis> records =
        AnalyseAll(context, store.m_aRecordFiles, choice, failed, EventDetail::CountsOnly);
    Totals total;
    const std::vector<SummaryRow> rows = Summarise(records, groupBy, filter, &total);
    const std::vector<std::string> rules = RuleNames(choice.profiles);
    const auto keyText = [groupBy](const std::string& key) {
        return groupBy == GroupBy::Month ? MonthText(key) : key;
    };

    if (parsed.Has("--json")) {
        context.out << "{\"by\":" << JsonString(by) << ",\"rows\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            context.out << (i == 0 ? "" : ",") << "{\"key\":" << JsonString(keyText(rows[i].key))
                        << ",";
            PrintTotalsJson(context.out, rows[i].totals, rules);
            context.out << "}";
        }
        context.out << "],\"total\":{";
        PrintTotalsJson(context.out, total, rules);
        context.out << "}}\n";
    } else if (parsed.Has("--csv")) {
        context.out << CsvLine(TotalsHeadings(by, rules, true));
        for (const SummaryRow& row : rows) {
            std::vector<std::string> cells{keyText(row.key)};
            const std::vector<std::string> totals = TotalsCells(row.totals, rules, true);
            cells.insert(cells.end(), totals.begin(), totals.end());
            context.out << CsvLine(cells);
        }
    } else if (rows.empty()) {
        context.err << "vantrel-cli: no driving days in " << context.BackupFolder()
                    << (filter.month.empty() && !filter.vehicle && !filter.driver
                            ? ""
                            : " that match the filters")
                    << "\n";
    } else {
        std::vector<std::vector<std::string>> table{TotalsHeadings(by, rules, false)};
        for (const SummaryRow& row : rows) {
            std::vector<std::string> cells{keyText(row.key)};
            const std::vector<std::string> totals = TotalsCells(row.totals, rules, false);
            cells.insert(cells.end(), totals.begin(), totals.end());
            table.push_back(std::move(cells));
        }
        std::vector<std::string> cells{"total"};
        const std::vector<std::string> totals = TotalsCells(total, rules, false);
        cells.insert(cells.end(), totals.begin(), totals.end());
        table.push_back(std::move(cells));
        PrintTable(context.out, table);
    }
    return failed ? kExitFailure : kExitOk;
}

int RunVehicleClass(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) {
        return context.Usage(parsed.error, "vehicle-class");
    }
    if (parsed.positional.size() == 1 || parsed.positional.size() > 2) {
        return context.Usage("vehicle-class takes no arguments, or a vehicle and a class",
                             "vehicle-class");
    }
    std::optional<VehicleClass> chosen;
    if (parsed.positional.size() == 2) {
        chosen = ParseVehicleClass(parsed.positional[1]);
        if (!chosen) {
            return context.Usage("the class is bus, truck, taxi or car", "vehicle-class");
        }
    }
    const std::string path = context.AnalysisProfilePath();
    if (path.empty()) {
        return context.Fail("there is no configuration folder for Analysis.ini");
    }
    ProfileFile profiles = ProfileFile::Load(path);
    for (const std::string& note : profiles.Notes()) {
        context.err << "vantrel-cli: " << path << ": " << note << "\n";
    }
    if (chosen) {
        if (!profiles.SetVehicleClass(parsed.positional[0], *chosen)) {
            return context.Fail("cannot store the class of '" + parsed.positional[0] + "' in " +
                                path);
        }
        return kExitOk;
    }
    // The vehicles of the backup folder with their classes.
    CMgrTachoDB store(context.BackupFolder());
    store.ScanRecords(CdaFolder(context.BackupFolder()));
    std::vector<std::string> vehicles;
    for (const std::string& record : store.m_aRecordFiles) {
        const std::string vehicle = ReadRecordInfo(record).vehicleNo;
        if (std::find(vehicles.begin(), vehicles.end(), vehicle) == vehicles.end()) {
            vehicles.push_back(vehicle);
        }
    }
    std::sort(vehicles.begin(), vehicles.end());
    std::vector<std::vector<std::string>> table{{"vehicle", "class"}};
    for (const std::string& vehicle : vehicles) {
        table.push_back({vehicle, std::string(VehicleClassName(profiles.ClassOf(vehicle)))});
    }
    PrintTable(context.out, table);
    context.out << "(default class: " << VehicleClassName(profiles.DefaultClass()) << ")\n";
    return kExitOk;
}

}  // namespace vantrel::cli
