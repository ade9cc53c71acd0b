// SPDX-License-Identifier: GPL-3.0-or-later
// The record files of a conversion: names, the day sample file, the day and record summaries
// and the last-import marker. Every file is written whole to a temporary name and renamed into
// place, so a crash or a full disk never leaves a truncated or half-updated file; a summary
// that exists already keeps its other keys. During a conversion the files go through one
// batch, flushed to disk together.
#include <cstdio>
#include <utility>

#include "core/data/InfoDtcFile.h"
#include "core/data/RecordFormat.h"
#include "core/ini/IniFile.h"
#include "core/log/TraceLog.h"
#include "core/util/AtomicFile.h"

namespace vantrel {
namespace {

std::string DayFileName(const std::string& folder, const SystemTime& stamp,
                        const std::string& deviceId, const SystemTime& day, const char* extension) {
    return folder + FormatStamp(stamp) + "_" + deviceId + "_" + FormatDate(day) + extension;
}

// Items of a comma-terminated list: the number of comma-separated fields minus one.
int CountListItems(const std::string& list) {
    int fields = 1;
    for (char c : list) {
        fields += c == ',' ? 1 : 0;
    }
    return fields - 1;
}

}  // namespace

std::string CInfoDtcFile::DaySampleFileName() const {
    return DayFileName(m_strOutputFolder, RecordStampTime(), m_strDeviceId, FileDay(), ".cda");
}

std::string CInfoDtcFile::DaySummaryFileName() const {
    return DayFileName(m_strOutputFolder, RecordStampTime(), m_strDeviceId, FileDay(), ".dat");
}

std::string CInfoDtcFile::RecordSummaryFileName() const {
    return m_strOutputFolder + FormatStamp(RecordStampTime()) + "_" + m_strDeviceId + ".dat";
}

std::string CInfoDtcFile::LastTimeFileName() const {
    return m_strBackupFolder + m_strDeviceId + "/LastTime.ini";
}

void CInfoDtcFile::ReportWriteFailure(const std::string& path) {
    ++m_nWriteFailures;
    TraceLog(VANTREL_TRACE_HERE, "could not write %s", path.c_str());
}

bool CInfoDtcFile::WriteRecordFile(const std::string& path, std::string_view bytes) {
    return m_pWriteBatch != nullptr ? m_pWriteBatch->Add(path, bytes)
                                    : WriteFileAtomically(path, bytes);
}

bool CInfoDtcFile::WriteDaySampleFile() {
    std::string image(kDayImageBytes, '\0');
    for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
        image[2 * i] = static_cast<char>(m_daySamples[i] & 0xFF);
        image[2 * i + 1] = static_cast<char>(m_daySamples[i] >> 8);
    }
    const std::string path = DaySampleFileName();
    const bool written = WriteRecordFile(path, image);
    if (!written) {
        ReportWriteFailure(path);
    }
    ClearDaySamples();  // the next day starts empty either way
    return written;
}

bool CInfoDtcFile::SaveSummary(const std::string& path, const char* section,
                               const std::vector<std::pair<const char*, std::string>>& keys) {
    const auto pending = m_pendingSummaries.find(path);
    ini::IniFile file = pending != m_pendingSummaries.end() ? ini::IniFile::Parse(pending->second)
                                                            : ini::IniFile::Load(path);
    if (file.readFailed()) {
        // Writing over a file that could not be read would lose its other keys.
        ReportWriteFailure(path);
        return false;
    }
    for (const auto& [key, value] : keys) {
        file.Set(section, key, value);
    }
    std::string text = file.ToText();
    if (!WriteRecordFile(path, text)) {
        ReportWriteFailure(path);
        return false;
    }
    if (m_pWriteBatch != nullptr) {
        m_pendingSummaries[path] = std::move(text);
    }
    return true;
}

bool CInfoDtcFile::WriteDaySummaryFile(std::uint32_t sum, std::uint32_t count,
                                       std::uint32_t largest, const SystemTime& largestTime,
                                       const std::string& standstills) {
    return SaveSummary(DaySummaryFileName(), "CDA",
                       {
                           {"DrivingDate", FormatDate(FileDay())},
                           {"DrivingCM", FormatDayKm(sum)},
                           {"DrivingTime", std::to_string(count)},
                           {"MaxSpeed", FormatOneDecimal(MaxSpeedKmh(largest))},
                           {"MaxSpeedDateTime", FormatStampMs(largestTime)},
                           {"IdlingDrivingStart", standstills},
                           {"AdjustOldTime", m_strAdjustOld},
                           {"AdjustNewTime", m_strAdjustNew},
                       });
}

bool CInfoDtcFile::WriteRecordSummaryFile(std::uint64_t sum, std::uint32_t count,
                                          std::uint32_t largest, const SystemTime& largestTime,
                                          const std::string& standstills, const std::string& dates,
                                          std::uint32_t longestRun) {
    return SaveSummary(RecordSummaryFileName(), "RECORDINFO",
                       {
                           {"SaveDateTime", FormatStamp(m_stSaveTime)},
                           {"SaveUserName", IniTextValue(m_strSaveUser)},
                           {"DRID", m_strDeviceId},
                           {"DriverName", IniTextValue(m_strDriverName)},
                           {"VehicleNo", IniTextValue(m_strVehicleNo)},
                           {"RecordStart", FormatStamp(SecondsToSystemTime(m_nRecordStart))},
                           {"RecordStop", FormatStamp(SecondsToSystemTime(m_nRecordStop))},
                           {"DrivingCM", FormatRecordKm(sum)},
                           {"DrivingTime", std::to_string(count)},
                           {"MaxContinueDrivingTime", std::to_string(longestRun)},
                           {"MaxSpeed", FormatOneDecimal(MaxSpeedKmh(largest))},
                           {"MaxSpeedDateTime", FormatStampMs(largestTime)},
                           {"IdlingDrivingStart", standstills},
                           {"DrivingArea", IniTextValue(m_strDrivingArea)},
                           {"DrivingDate", dates},
                           {"DrivingDateCount", std::to_string(CountListItems(dates))},
                           {"IsAdjustTime", m_bTimeAdjusted != 0 ? "O" : "X"},
                           {"ReadType", m_nReadType == 0 ? "USB" : "SD"},
                       });
}

bool CInfoDtcFile::WriteLastTime(std::uint32_t localTime, int closedNormally) {
    if (localTime < kMinValidSeconds) {
        TraceLog(VANTREL_TRACE_HERE, "LastTime of %s not written: %u is no valid time",
                 m_strDeviceId.c_str(), localTime);
        return false;
    }
    return SaveSummary(LastTimeFileName(), "BACKUPINFO",
                       {
                           {"LastTime", FormatStamp(SecondsToSystemTime(localTime))},
                           {"NormalClose", std::to_string(closedNormally)},
                       });
}

}  // namespace vantrel
