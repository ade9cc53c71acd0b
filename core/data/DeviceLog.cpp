// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the recorder's event log and listing the clock adjustments of one day.
//
// A record whose checksum does not match is left out: its times come from the same damaged
// bytes, and a made-up adjustment in a day summary (and an "O" for the record) misleads the
// operator, while a missed one only loses a note.
#include "core/data/DeviceLog.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "core/data/InfoDtcFile.h"
#include "core/data/LittleEndian.h"
#include "core/data/RecordFormat.h"
#include "core/log/TraceLog.h"

namespace vantrel {
namespace {

constexpr std::uint8_t kRecordMarker[4] = {0x4B, 0x43, 0x43, 0x43};  // "KCCC"
constexpr std::size_t kCrcOffset = 62;

bool SameDay(const SystemTime& a, const SystemTime& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

// Clock time plus the zone offset; a sum that would overflow is no time.
SystemTime LocalClockTime(std::int64_t deviceTime, std::int16_t zoneMinutes) {
    const std::int64_t zoneSeconds = static_cast<std::int64_t>(zoneMinutes) * 60;
    if ((zoneSeconds > 0 && deviceTime > std::numeric_limits<std::int64_t>::max() - zoneSeconds) ||
        (zoneSeconds < 0 && deviceTime < std::numeric_limits<std::int64_t>::min() - zoneSeconds)) {
        return SystemTime{};
    }
    return SecondsToSystemTime(deviceTime + zoneSeconds);
}

bool IsClockAdjustment(const std::uint8_t* record) {
    if (std::memcmp(record, kRecordMarker, sizeof kRecordMarker) != 0) {
        return false;
    }
    const std::uint32_t code = le::GetU32(record + 8);
    return code == kEventClockSet || code == kEventClockSync;
}

}  // namespace

std::uint16_t Crc16X25(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return static_cast<std::uint16_t>(~crc);
}

std::string CInfoDtcFile::DeviceLogFileName() const {
    if (m_nReadType == 0) {
        return m_strBackupFolder + m_strDeviceId + "/system.log";
    }
    std::string root = m_strSourceRoot;
    if (root.empty() || root.back() != '/') {
        root += '/';
    }
    return root + "log/system.log";
}

bool CInfoDtcFile::ReadDeviceLog(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || (size != kDeviceLogSmallSize && size != kDeviceLogLargeSize)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::uint8_t header[kDeviceLogHeaderSize];
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) ||
        le::GetU32(header) != 0xFEFEFEFE || header[17] != 0) {
        return false;
    }
    std::fill(m_logRecords.begin(), m_logRecords.end(), 0);
    const auto rest = static_cast<std::streamsize>(size - kDeviceLogHeaderSize);
    file.read(reinterpret_cast<char*>(m_logRecords.data()), rest);
    if (file.gcount() != rest) {
        // The file changed under us: use none of it.
        std::fill(m_logRecords.begin(), m_logRecords.end(), 0);
        return false;
    }
    return true;
}

void CInfoDtcFile::CollectTimeAdjustments() {
    const SystemTime day = FileDay();
    int badChecksums = 0;
    for (std::size_t slot = 0; slot < kLogRecordCount; ++slot) {
        const std::uint8_t* record = m_logRecords.data() + slot * kLogRecordSize;
        if (!IsClockAdjustment(record)) {
            continue;
        }
        if (Crc16X25(record, kCrcOffset) != le::GetU16(record + kCrcOffset)) {
            ++badChecksums;
            continue;
        }
        const std::int16_t zone = le::GetI16(record + 16);
        const SystemTime before = LocalClockTime(le::GetI64(record + 20), zone);
        const SystemTime after = LocalClockTime(le::GetI64(record + 28), zone);
        if (SameDay(before, day) || SameDay(after, day)) {
            m_strAdjustOld += FormatSlashed(before) + ",";
            m_strAdjustNew += FormatSlashed(after) + ",";
            m_bTimeAdjusted = 1;
        }
    }
    if (badChecksums > 0) {
        TraceLog(VANTREL_TRACE_HERE, "%d clock adjustments of the device log left out: bad CRC",
                 badChecksums);
    }
}

bool CInfoDtcFile::LoadTimeAdjustments() {
    m_strAdjustOld.clear();
    m_strAdjustNew.clear();
    m_bTimeAdjusted = 0;
    if (!ReadDeviceLog(DeviceLogFileName())) {
        return false;
    }
    CollectTimeAdjustments();
    return true;
}

// During a conversion the log is read once and reused for every day; the lists come out the
// same as reading it per day, as long as the log does not change while the conversion runs.
// A different path (another recorder's folder) is read afresh.
void CInfoDtcFile::LoadTimeAdjustmentsCached() {
    m_strAdjustOld.clear();
    m_strAdjustNew.clear();
    m_bTimeAdjusted = 0;
    const std::string path = DeviceLogFileName();
    if (!m_bLogCacheActive || path != m_strLogPathRead) {
        m_bLogReadOk = ReadDeviceLog(path);
        m_strLogPathRead = path;
        m_bLogCacheActive = true;
    }
    if (m_bLogReadOk) {
        CollectTimeAdjustments();
    }
}

}  // namespace vantrel
