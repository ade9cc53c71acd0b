// SPDX-License-Identifier: GPL-3.0-or-later
// The block walk of a .dtc file.
#include "core/data/DtcDecoder.h"

#include <cstring>

#include "core/data/RecordModel.h"
#include "core/log/TraceLog.h"

namespace vantrel {
namespace {

constexpr std::size_t kTagSize = 2;
constexpr std::size_t kRowBlockSize = kTagSize + stFileInfo::kRowSize;  // 256

bool SameDay(const SystemTime& a, const SystemTime& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

void Number(stFileInfo& info, DtcNumbering& numbering) {
    const SystemTime date = SecondsToSystemTime(info.StartTime());
    const std::uint32_t stamp = info.RecordStamp();
    if (numbering.first || stamp != numbering.previousStamp) {
        ++numbering.recordCounter;
        ++numbering.dayCounter;
        numbering.previousStamp = stamp;
        numbering.previousDate = date;
        numbering.first = false;
    } else if (!SameDay(date, numbering.previousDate)) {
        ++numbering.dayCounter;
        numbering.previousDate = date;
    }
    info.SetDayIndex(static_cast<std::uint8_t>(numbering.dayCounter & 0xFF));
    info.SetRecordIndex(static_cast<std::uint8_t>(numbering.recordCounter & 0xFF));
}

class BlockWalk {
public:
    BlockWalk(std::span<const std::uint8_t> bytes, bool headersOnly, DtcNumbering& numbering,
              stFileInfo& info)
        : m_bytes(bytes), m_headersOnly(headersOnly), m_numbering(numbering), m_info(info) {}

    void Run() {
        std::size_t offset = kDtcBlocksOffset;
        while (offset < m_bytes.size() && m_bytes.size() - offset >= kTagSize) {
            const std::uint16_t tag = le::GetU16(m_bytes.data() + offset);
            const std::size_t advance = Block(tag, offset + kTagSize);
            if (advance == 0) {
                break;
            }
            offset += advance;
        }
        // A file without a header block still takes its place in the numbering, as a header of
        // zeros, so that it never joins the record of the file before it unnoticed.
        if (!m_sawHeader) {
            Number(m_info, m_numbering);
        }
    }

private:
    // Handles the block whose data starts at dataOffset; the bytes to advance, 0 to stop.
    std::size_t Block(std::uint16_t tag, std::size_t dataOffset) {
        switch (tag) {
            case kDtcTagFile:
                return FileHeader(dataOffset);
            case kDtcTagHour:
                return TimeRecord(dataOffset, false);
            case kDtcTagMinute:
                return TimeRecord(dataOffset, true);
            default:
                return 0;
        }
    }

    bool Fits(std::size_t dataOffset, std::size_t size) const {
        return dataOffset <= m_bytes.size() && m_bytes.size() - dataOffset >= size;
    }

    std::size_t FileHeader(std::size_t dataOffset) {
        if (Fits(dataOffset, stFileInfo::kHeaderSize)) {
            std::memcpy(m_info.data(), m_bytes.data() + dataOffset, stFileInfo::kHeaderSize);
        }
        m_zone = m_info.ZoneMinutes();
        m_info.SetStartTime(LocalTimeValue(m_info.FileStart(), m_zone));
        Number(m_info, m_numbering);
        m_sawHeader = true;
        return m_headersOnly ? 0 : kTagSize + stFileInfo::kHeaderSize;
    }

    std::size_t TimeRecord(std::size_t dataOffset, bool minute) {
        if (!Fits(dataOffset, stFileInfo::kRowSize)) {
            return 0;
        }
        const std::uint8_t* data = m_bytes.data() + dataOffset;
        const std::uint32_t local =
            LocalTimeValue(le::GetU32(data + stFileInfo::kRecordTimeOffset), m_zone);
        const SystemTime slot = SecondsToSystemTime(local);  // hour 0, minute 0 when invalid
        const std::size_t target = minute ? stFileInfo::MinuteRecordOffset(slot.wHour, slot.wMinute)
                                          : stFileInfo::HourRecordOffset(slot.wHour);
        std::memcpy(m_info.data() + target, data, stFileInfo::kRowSize);
        le::PutU32(m_info.data() + target + stFileInfo::kRecordTimeOffset, local);
        if (minute) {
            EndAt(local, !slot.IsZero());
        }
        return kRowBlockSize;
    }

    void EndAt(std::uint32_t local, bool valid) {
        m_info.SetEndTime(local);
        m_info.SetClosedNormally(true);
        if (local < m_info.StartTime()) {
            // The clock went back during the file. An invalid end stays no time (0) rather
            // than 0xFFFFFFFF, which would read as 2106-02-07 06:28:15.
            m_info.SetEndTime(valid ? local : 0);
            m_info.SetClosedNormally(false);
            TraceLog(VANTREL_TRACE_HERE, "정상적으로 파일 닫기 되지 않은 파일 - 종료시간 수정");
        }
    }

    std::span<const std::uint8_t> m_bytes;
    bool m_headersOnly;
    DtcNumbering& m_numbering;
    stFileInfo& m_info;
    std::int32_t m_zone = 0;
    bool m_sawHeader = false;
};

}  // namespace

bool DecodeDtc(std::span<const std::uint8_t> bytes, bool headersOnly, DtcNumbering& numbering,
               stFileInfo& info) {
    if (bytes.size() < 4 || le::GetU32(bytes.data()) != kDtcMagic) {
        return false;
    }
    BlockWalk(bytes, headersOnly, numbering, info).Run();
    return true;
}

}  // namespace vantrel
