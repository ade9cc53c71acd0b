// SPDX-License-Identifier: GPL-3.0-or-later
// Record files into analysed days, the daily limit and the aggregates.
#include "core/analysis/RecordAnalysis.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>

#include "core/data/LittleEndian.h"
#include "core/data/RecordModel.h"
#include "core/export/CsvExport.h"
#include "core/ini/IniFile.h"
#include "core/store/BackupLayout.h"
#include "core/util/TimeUtil.h"

namespace vantrel::analysis {
namespace {

std::int64_t MidnightOf(const std::string& date) {
    return SystemTimeToSeconds(ParseTimeStamp(date + "000000", 0));
}

bool IsDate(const std::string& text) {
    return text.size() == 8 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           IsValidStamp(text + "000000");
}

}  // namespace

DaySampleReader::DaySampleReader() : m_bytes(kDayImageBytes), m_samples(kSamplesPerDay) {}

bool DaySampleReader::Read(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open the day sample file " + path;
        return false;
    }
    file.read(reinterpret_cast<char*>(m_bytes.data()),
              static_cast<std::streamsize>(kDayImageBytes));
    const std::streamsize got = file.gcount();
    if (got != static_cast<std::streamsize>(kDayImageBytes)) {
        *error = "the day sample file " + path + " is truncated (" + std::to_string(got) +
                 " of 345600 bytes)";
        return false;
    }
    for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
        m_samples[i] = le::GetU16(m_bytes.data() + 2 * i);
    }
    return true;
}

RecordInfo ReadRecordInfo(const std::string& recordPath) {
    const ini::IniFile file = ini::IniFile::Load(recordPath);
    RecordInfo info;
    info.path = recordPath;
    info.deviceId = file.GetString("RECORDINFO", "DRID", "");
    info.driverName = file.GetString("RECORDINFO", "DriverName", "");
    info.vehicleNo = file.GetString("RECORDINFO", "VehicleNo", "");
    const std::string list = file.GetString("RECORDINFO", "DrivingDate", "", ini::kUnlimited);
    std::set<std::string> dates;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        if (IsDate(item)) {
            dates.insert(item);
        }
        start = comma + 1;
    }
    info.dates.assign(dates.begin(), dates.end());
    return info;
}

RecordAnalysis AnalyseRecord(const std::string& recordPath, const ProfileFile& profiles,
                             std::optional<VehicleClass> forcedClass, DaySampleReader& reader) {
    RecordAnalysis analysis;
    analysis.info = ReadRecordInfo(recordPath);
    analysis.vehicleClass = forcedClass ? *forcedClass : profiles.ClassOf(analysis.info.vehicleNo);
    DayAnalyser analyser(profiles.Profile(analysis.vehicleClass));
    std::vector<std::string> dates;
    for (const std::string& date : analysis.info.dates) {
        std::string error;
        if (!reader.Read(RecordDayFilePath(recordPath, date, ".cda"), &error)) {
            analysis.errors.push_back(error);
            continue;
        }
        analyser.AddDay(MidnightOf(date), reader.Samples());
        dates.push_back(date);
    }
    analyser.Finish();
    std::vector<DayResult> days = analyser.TakeDays();
    for (std::size_t i = 0; i < days.size(); ++i) {
        analysis.days.push_back(AnalysedDay{dates[i], std::move(days[i])});
    }
    return analysis;
}

void ApplyDailyLimits(std::vector<RecordAnalysis>& records, const DailyLimit& limit) {
    struct DriverDay {
        std::int64_t driving = 0;  // half-seconds
        std::int64_t first = -1;
        std::int64_t last = -1;
        DayResult* firstDay = nullptr;
    };
    // Driver, then midnight: map order is time order within a driver.
    std::map<std::pair<std::string, std::int64_t>, DriverDay> days;
    for (RecordAnalysis& record : records) {
        for (AnalysedDay& analysed : record.days) {
            DayResult& day = analysed.result;
            if (day.drivingHalfSeconds == 0) {
                continue;
            }
            DriverDay& sum = days[{record.info.driverName, day.midnight}];
            sum.driving += day.drivingHalfSeconds;
            if (sum.first < 0 || day.firstDriving < sum.first) {
                sum.first = day.firstDriving;
                sum.firstDay = &day;
            }
            sum.last = std::max(sum.last, day.lastDriving);
        }
    }
    std::map<std::pair<std::string, std::int64_t>, int> extensionsUsed;  // driver, week
    for (auto& [key, sum] : days) {
        const std::int64_t standard = static_cast<std::int64_t>(limit.limitSeconds) * 2;
        if (sum.driving <= standard) {
            continue;
        }
        // 1970-01-01 was a Thursday: day number + 3, divided by 7, counts Monday-based weeks.
        const std::int64_t week = (key.second / 86'400 + 3) / 7;
        int& used = extensionsUsed[{key.first, week}];
        std::int64_t allowed = standard;
        if (used < limit.extendedDaysPerWeek) {
            ++used;
            allowed = static_cast<std::int64_t>(limit.extendedSeconds) * 2;
        }
        if (sum.driving > allowed) {
            sum.firstDay->violations.push_back(RuleViolation{
                std::string(kDailyRuleName), sum.first, sum.last + 1, (sum.driving - allowed) / 2});
            std::stable_sort(
                sum.firstDay->violations.begin(), sum.firstDay->violations.end(),
                [](const RuleViolation& a, const RuleViolation& b) { return a.start < b.start; });
        }
    }
}

std::vector<RecordAnalysis> AnalyseRecords(const std::vector<std::string>& recordPaths,
                                           const ProfileFile& profiles,
                                           std::optional<VehicleClass> forcedClass,
                                           const AnalysisProgress& progress, bool* cancelled,
                                           EventDetail detail) {
    std::vector<RecordAnalysis> records;
    records.reserve(recordPaths.size());
    std::set<std::string> seen;
    DaySampleReader reader;
    bool stopped = false;
    for (std::size_t i = 0; i < recordPaths.size(); ++i) {
        if (seen.insert(recordPaths[i]).second) {
            records.push_back(AnalyseRecord(recordPaths[i], profiles, forcedClass, reader));
            if (detail == EventDetail::CountsOnly) {
                for (AnalysedDay& day : records.back().days) {
                    std::vector<DrivingEvent>().swap(day.result.events);
                }
            }
        }
        if (progress && !progress(i + 1, recordPaths.size())) {
            stopped = i + 1 < recordPaths.size();
            break;
        }
    }
    ApplyDailyLimits(records, profiles.Profile(profiles.DefaultClass()).daily);
    if (cancelled != nullptr) {
        *cancelled = stopped;
    }
    return records;
}

void Totals::AddDay(const DayResult& day) {
    ++days;
    distanceCm += day.distanceCm;
    drivingHalfSeconds += day.drivingHalfSeconds;
    for (std::size_t k = 0; k < kEventKindCount; ++k) {
        events[k] += day.eventCounts[k];
    }
    for (const RuleViolation& violation : day.violations) {
        ++violations[violation.rule];
        violationSeconds += violation.secondsOver;
    }
}

std::int64_t Totals::EventCount() const {
    std::int64_t count = 0;
    for (const std::int64_t n : events) {
        count += n;
    }
    return count;
}

std::int64_t Totals::ViolationCount() const {
    std::int64_t count = 0;
    for (const auto& [rule, n] : violations) {
        count += n;
    }
    return count;
}

double Totals::EventsPer100Km() const {
    return distanceCm == 0 ? 0.0 : static_cast<double>(EventCount()) * 100.0 / DistanceKm();
}

bool Keeps(const SummaryFilter& filter, const RecordInfo& info) {
    return (!filter.vehicle || *filter.vehicle == info.vehicleNo) &&
           (!filter.driver || *filter.driver == info.driverName);
}

std::vector<SummaryRow> Summarise(const std::vector<RecordAnalysis>& records, GroupBy groupBy,
                                  const SummaryFilter& filter, Totals* total) {
    std::vector<SummaryRow> rows;
    std::map<std::string, std::size_t> rowOf;
    Totals all;
    for (const RecordAnalysis& record : records) {
        if (!Keeps(filter, record.info)) {
            continue;
        }
        std::set<std::size_t> rowsOfRecord;
        bool anyDay = false;
        for (const AnalysedDay& day : record.days) {
            if (!filter.month.empty() && day.date.compare(0, 6, filter.month) != 0) {
                continue;
            }
            std::string key;
            switch (groupBy) {
                case GroupBy::Record:
                    key = record.info.path;
                    break;
                case GroupBy::Day:
                    key = day.date;
                    break;
                case GroupBy::Driver:
                    key = record.info.driverName;
                    break;
                case GroupBy::Vehicle:
                    key = record.info.vehicleNo;
                    break;
                case GroupBy::Month:
                    key = day.date.substr(0, 6);
                    break;
            }
            auto [found, added] = rowOf.try_emplace(key, rows.size());
            if (added) {
                rows.push_back(SummaryRow{key, {}});
            }
            rows[found->second].totals.AddDay(day.result);
            rowsOfRecord.insert(found->second);
            all.AddDay(day.result);
            anyDay = true;
        }
        for (const std::size_t row : rowsOfRecord) {
            ++rows[row].totals.records;
        }
        if (anyDay) {
            ++all.records;
        }
    }
    if (groupBy != GroupBy::Record) {
        std::sort(rows.begin(), rows.end(),
                  [](const SummaryRow& a, const SummaryRow& b) { return a.key < b.key; });
    }
    if (total != nullptr) {
        *total = all;
    }
    return rows;
}

}  // namespace vantrel::analysis
