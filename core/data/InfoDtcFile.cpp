// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion run: the files of the list in order, the day and record totals, the day
// image being assembled, and the closing of days and records through the record writers.
#include "core/data/InfoDtcFile.h"

#include <algorithm>
#include <cstring>

#include "core/data/FileTotals.h"
#include "core/data/RecordFormat.h"
#include "core/ini/IniFile.h"
#include "core/log/TraceLog.h"
#include "core/util/AtomicFile.h"

namespace vantrel {
namespace {

// Files per flush: a year of one recorder (two files a day) takes three flushes, and a crash
// loses at most this many files' work.
constexpr std::size_t kBatchFiles = 256;

}  // namespace

struct CInfoDtcFile::DayTotals {
    std::uint32_t sum = 0;
    std::uint32_t count = 0;
    float largest = 0.0f;
    SystemTime largestTime;
    std::string standstills;
};

struct CInfoDtcFile::RecordTotals {
    std::uint64_t sum = 0;
    std::uint32_t count = 0;
    float largest = 0.0f;
    SystemTime largestTime;
    std::string standstills;
    std::string dates;
    std::uint32_t longestRun = 0;
    bool firstFileSeen = false;
};

struct CInfoDtcFile::ConvertState {
    DayTotals day;
    RecordTotals record;
    std::uint8_t previousDay = 0;
    std::uint8_t previousRecord = 0;
    bool standstill = false;  // the file before ended standing still
};

CInfoDtcFile::CInfoDtcFile()
    : m_logRecords(kLogRecordCount * kLogRecordSize, 0),
      m_daySamples(kSamplesPerDay, kNoSample),
      m_dayDistance(kSamplesPerDay, 0) {}

bool CInfoDtcFile::Convert(int readType) {
    if (m_pFileList == nullptr || m_pFileList->m_aFileInfos.empty()) {
        return false;
    }
    m_nReadType = readType;
    m_nWriteFailures = 0;
    m_bLogCacheActive = false;
    m_nRecordStop = 0;
    ClearDaySamples();
    ConvertState state;
    AtomicWriteBatch batch;
    m_pWriteBatch = &batch;
    struct BatchGuard {
        CInfoDtcFile& owner;
        ~BatchGuard() {
            owner.m_pWriteBatch = nullptr;
            owner.m_pendingSummaries.clear();
        }
    } guard{*this};
    const std::vector<stFileInfo>& files = m_pFileList->m_aFileInfos;
    for (std::size_t i = 0; i < files.size(); ++i) {
        m_pFileList->m_nCurrentIndex = static_cast<std::int32_t>(i);
        // The first file opens the first day and record: there is nothing before it to close.
        if (i > 0 && files[i].DayIndex() != state.previousDay) {
            CloseDay(state);
        }
        if (i > 0 && files[i].RecordIndex() != state.previousRecord) {
            CloseRecord(state);
        }
        ConvertFile(files[i], state);
    }
    CloseDay(state);
    CloseRecord(state);
    CommitWrites();
    // The marker says which files are imported: it goes to disk on its own, after every record
    // file of the run is there.
    m_pWriteBatch = nullptr;
    WriteMarker();
    m_pFileList->m_nCurrentIndex = static_cast<std::int32_t>(files.size() - 1);
    m_bLogCacheActive = false;
    return true;
}

void CInfoDtcFile::ConvertFile(const stFileInfo& info, ConvertState& state) {
    TakeIdentity(info, state);
    const SystemTime start = FileDay();
    const FileTotals totals = ScanFileTotals(info, start);
    std::string mark;
    if (state.standstill) {
        SystemTime markTime = start;
        markTime.wMilliseconds = 0;
        mark = FormatStampMs(markTime) + ",";
    }
    const float largest = static_cast<float>(totals.largest);

    DayTotals& day = state.day;
    day.sum += totals.sum;
    day.count += totals.count;
    day.standstills += mark;
    if (largest > day.largest) {
        day.largest = largest;
        day.largestTime = totals.largestTime;
    }

    RecordTotals& record = state.record;
    record.sum += totals.sum;
    record.count += totals.count;
    record.standstills += mark;
    if (largest > record.largest) {
        record.largest = largest;
        record.largestTime = totals.largestTime;
    }
    record.longestRun = std::max(record.longestRun, totals.longestRun);

    state.previousDay = info.DayIndex();
    state.previousRecord = info.RecordIndex();

    const LastSample last = FindLastSample(info);
    state.standstill = last.standstill;
    if (last.found) {
        // A sample of a file whose start has no valid date has no time either: it must not
        // turn into -1, that is 0xFFFFFFFF (2106), through the calendar conversion.
        const std::int64_t stop = last.time.wYear == 0 ? 0 : SystemTimeToSeconds(last.time);
        m_nRecordStop = stop >= kMinValidSeconds ? static_cast<std::uint32_t>(stop) : 0;
    }
    CopySamples(info);
}

void CInfoDtcFile::TakeIdentity(const stFileInfo& info, ConvertState& state) {
    m_strDeviceId = info.DeviceId();
    m_strDriverName = info.DriverName();
    m_strVehicleNo = info.VehicleNo();
    m_nZoneMinutes = info.ZoneMinutes();
    m_nRecordStamp = info.RecordStamp();
    m_nFileStart = info.FileStart();
    if (!state.record.firstFileSeen) {
        m_nRecordStart = LocalTimeValue(info.RecordStart(), m_nZoneMinutes);
        state.record.firstFileSeen = true;
    }
}

// Places the minutes from the file's start to its end minute on the day image. Where the
// file's minute holds no sample the day keeps what an earlier file put there, so a minute
// shared by two files keeps both files' samples. A file whose end lies before its start in
// the day (across midnight) places nothing.
void CInfoDtcFile::CopySamples(const stFileInfo& info) {
    const SystemTime start = SecondsToSystemTime(info.StartTime());
    const SystemTime end = SecondsToSystemTime(info.EndTime());
    for (int h = start.wHour; h <= end.wHour; ++h) {
        const int firstMinute = h == start.wHour ? start.wMinute : 0;
        const int lastMinute = h == end.wHour ? end.wMinute : kMinutesPerHour - 1;
        for (int m = firstMinute; m <= lastMinute; ++m) {
            const std::uint8_t* samples = info.MinuteSamples(h, m);
            std::uint16_t* day = m_daySamples.data() + DaySampleIndex(h, m, 0);
            for (int k = 0; k < kSamplesPerMinute; ++k) {
                const std::uint16_t sample = le::GetU16(samples + 2 * static_cast<std::size_t>(k));
                if (sample != kNoSample) {
                    day[k] = sample;
                }
            }
        }
    }
}

void CInfoDtcFile::CloseDay(ConvertState& state) {
    WriteDaySampleFile();
    LoadTimeAdjustmentsCached();
    DayTotals& day = state.day;
    WriteDaySummaryFile(day.sum, day.count, static_cast<std::uint32_t>(day.largest),
                        day.largestTime, day.standstills);
    day = DayTotals{};
    state.record.dates += FormatDate(FileDay()) + ",";
    CommitIfFull();
}

void CInfoDtcFile::CloseRecord(ConvertState& state) {
    RecordTotals& record = state.record;
    WriteRecordSummaryFile(record.sum, record.count, static_cast<std::uint32_t>(record.largest),
                           record.largestTime, record.standstills, record.dates, record.longestRun);
    record = RecordTotals{};
    m_nRecordStop = 0;  // the next record starts without a sample
    CommitIfFull();
}

void CInfoDtcFile::CommitIfFull() {
    if (m_pWriteBatch != nullptr && m_pWriteBatch->Size() >= kBatchFiles) {
        CommitWrites();
    }
}

void CInfoDtcFile::CommitWrites() {
    if (m_pWriteBatch == nullptr) {
        return;
    }
    if (!m_pWriteBatch->Commit()) {
        for (const std::string& path : m_pWriteBatch->Failed()) {
            ReportWriteFailure(path);
        }
    }
    m_pendingSummaries.clear();
}

// The marker takes the last file's start. When that start is no valid time (a recorder whose
// clock was never set), the newest valid start of the same recorder in this run stands in,
// unless the marker already holds a later time; without one the marker stays as it was.
void CInfoDtcFile::WriteMarker() {
    const std::vector<stFileInfo>& files = m_pFileList->m_aFileInfos;
    const stFileInfo& last = files.back();
    std::uint32_t time = last.StartTime();
    bool closed = last.ClosedNormally();
    if (time < kMinValidSeconds) {
        time = 0;
        for (const stFileInfo& info : files) {
            if (info.StartTime() >= kMinValidSeconds && info.StartTime() >= time &&
                info.DeviceId() == m_strDeviceId) {
                time = info.StartTime();
                closed = info.ClosedNormally();
            }
        }
        if (time == 0) {
            TraceLog(VANTREL_TRACE_HERE, "LastTime of %s kept: no valid start time converted",
                     m_strDeviceId.c_str());
            return;
        }
        const std::string previous =
            ini::GetProfileString("BACKUPINFO", "LastTime", "", LastTimeFileName());
        const std::int64_t previousTime =
            previous.empty() ? -1 : SystemTimeToSeconds(ParseTimeStamp(previous, 0));
        if (previousTime >= static_cast<std::int64_t>(time)) {
            return;
        }
    }
    WriteLastTime(time, closed ? 1 : 0);
}

void CInfoDtcFile::ClearDaySamples() {
    std::fill(m_daySamples.begin(), m_daySamples.end(), kNoSample);
}

SystemTime CInfoDtcFile::FileDay() const {
    return SecondsToSystemTime(LocalTimeValue(m_nFileStart, m_nZoneMinutes));
}

SystemTime CInfoDtcFile::RecordStampTime() const {
    return SecondsToSystemTime(LocalTimeValue(m_nRecordStamp, m_nZoneMinutes));
}

}  // namespace vantrel
