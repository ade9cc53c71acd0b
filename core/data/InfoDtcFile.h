// SPDX-License-Identifier: GPL-3.0-or-later
// CInfoDtcFile: converts the decoded .dtc files of one import into record files (per day a
// day sample file and a day summary, per record a record summary, and the recorder's
// last-import marker), consulting the recorder's event log for clock adjustments; afterwards
// it holds the one day that the views show (LoadDayFile). One object lives as long as the
// record store and is never copied.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/data/DtcFileList.h"
#include "core/data/RecordModel.h"
#include "core/util/TimeUtil.h"

namespace vantrel {

class AtomicWriteBatch;

inline constexpr std::size_t kLogRecordCount = 10'000;
inline constexpr std::size_t kLogRecordSize = 64;

class CInfoDtcFile {
public:
    CInfoDtcFile();
    CInfoDtcFile(const CInfoDtcFile&) = delete;
    CInfoDtcFile& operator=(const CInfoDtcFile&) = delete;

    // Converts every decoded file of m_pFileList (read type: 0 the device over USB, 1 an SD
    // card). Set before: m_pFileList with at least one decoded file, m_strOutputFolder (an
    // existing folder), m_strBackupFolder, m_strSourceRoot, m_stSaveTime, m_strSaveUser.
    // True unless there was nothing to convert; writes that failed are counted in
    // m_nWriteFailures and traced, and the conversion goes on with the next file. The record
    // files are flushed to disk in batches, and the last-import marker is written only after
    // every record file of the run is on disk.
    bool Convert(int readType);

    // The writers of the record files, for the identity members of the file being closed.
    // During a Convert they add to the current batch (true: queued); otherwise each file is
    // written and flushed at once.
    bool WriteDaySampleFile();
    bool WriteDaySummaryFile(std::uint32_t sum, std::uint32_t count, std::uint32_t largest,
                             const SystemTime& largestTime, const std::string& standstills);
    bool WriteRecordSummaryFile(std::uint64_t sum, std::uint32_t count, std::uint32_t largest,
                                const SystemTime& largestTime, const std::string& standstills,
                                const std::string& dates, std::uint32_t longestRun);
    // Refuses (false, nothing written) a time below 900,000,000: a marker of an unset clock
    // would make every later file of the recorder look new, or none.
    bool WriteLastTime(std::uint32_t localTime, int closedNormally);

    // Names of the record files of the current identity members.
    std::string DaySampleFileName() const;      // <folder><stamp>_<id>_<YYYYMMDD>.cda
    std::string DaySummaryFileName() const;     // <folder><stamp>_<id>_<YYYYMMDD>.dat
    std::string RecordSummaryFileName() const;  // <folder><stamp>_<id>.dat
    std::string LastTimeFileName() const;       // <backup folder><id>/LastTime.ini
    std::string DeviceLogFileName() const;      // by m_nReadType

    // Reads the device log and lists the clock adjustments of the day of m_nFileStart (local):
    // true when the log was read.
    bool LoadTimeAdjustments();

    // Loads a day sample file for display; false (and nothing changed) when it cannot be
    // opened.
    bool LoadDayFile(const std::string& path);

    std::string m_strOutputFolder;  // ends in '/'
    std::string m_strSourceRoot;    // root of the SD card of the current import
    std::uint32_t m_nRecordStamp = 0;
    std::uint32_t m_nFileStart = 0;    // device time
    std::uint32_t m_nRecordStart = 0;  // local
    std::uint32_t m_nRecordStop = 0;   // local time of the record's last sample; 0 when none
    std::int32_t m_nZoneMinutes = 0;
    std::string m_strDeviceId;
    SystemTime m_stSaveTime;
    std::string m_strSaveUser;  // the logged-in user (empty for a guest), set by the import
    std::string m_strDriverName;
    std::string m_strVehicleNo;
    std::string m_strDrivingArea;  // always empty here
    std::int32_t m_nReadType = 0;
    std::int32_t m_bTimeAdjusted = 0;
    std::string m_strAdjustOld;
    std::string m_strAdjustNew;
    std::vector<std::uint8_t> m_logRecords;    // 10,000 records of 64 bytes
    std::vector<std::uint16_t> m_daySamples;   // 172,800 samples
    std::vector<std::uint32_t> m_dayDistance;  // 172,800 cumulative centimetres
    std::int64_t m_nFirstSampleMs = 0;
    std::int64_t m_nLastSampleMs = 0;
    CDtcFileList* m_pFileList = nullptr;

    // Beyond the members above: the backup folder (ends in '/'), where the device folders
    // with their LastTime.ini and, for USB reads, system.log live; and the number of record
    // files of the last Convert that could not be written.
    std::string m_strBackupFolder;
    int m_nWriteFailures = 0;

private:
    struct DayTotals;
    struct RecordTotals;
    struct ConvertState;

    void ConvertFile(const stFileInfo& info, ConvertState& state);
    void TakeIdentity(const stFileInfo& info, ConvertState& state);
    void CopySamples(const stFileInfo& info);
    void CloseDay(ConvertState& state);
    void CloseRecord(ConvertState& state);
    void WriteMarker();
    void ClearDaySamples();
    SystemTime FileDay() const;
    SystemTime RecordStampTime() const;
    bool SaveSummary(const std::string& path, const char* section,
                     const std::vector<std::pair<const char*, std::string>>& keys);
    void ReportWriteFailure(const std::string& path);
    bool WriteRecordFile(const std::string& path, std::string_view bytes);
    void CommitIfFull();
    void CommitWrites();

    // Device log access shared by LoadTimeAdjustments and Convert.
    bool ReadDeviceLog(const std::string& path);
    void CollectTimeAdjustments();
    void LoadTimeAdjustmentsCached();

    std::string m_strLogPathRead;  // the log m_logRecords holds during a Convert
    bool m_bLogReadOk = false;
    bool m_bLogCacheActive = false;

    // The batch of the running Convert (null outside one), and the texts of the summaries it
    // holds: a summary written twice in one batch builds on its pending text, as it would on
    // the file written before.
    AtomicWriteBatch* m_pWriteBatch = nullptr;
    std::map<std::string, std::string> m_pendingSummaries;
};

}  // namespace vantrel
