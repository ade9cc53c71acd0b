// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the event log reader. Most inputs become a log of the right size (64,064 or 640,064
// bytes) with a valid or fuzzed header and the input's bytes as records, their checksums
// optionally made to match, so the record checks are reached; the rest go to the file as they
// are and exercise the size and header checks. The day looked up comes from the input too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzTempFolder.h"
#include "core/data/DeviceLog.h"
#include "core/data/InfoDtcFile.h"
#include "core/data/LittleEndian.h"

using namespace vantrel;

namespace {

std::vector<std::uint8_t> BuildLog(std::uint8_t mode, const std::uint8_t* data, std::size_t size) {
    const std::size_t total = (mode & 2) != 0 ? kDeviceLogLargeSize : kDeviceLogSmallSize;
    std::vector<std::uint8_t> log(total, 0);
    std::size_t from = 0;
    if ((mode & 4) != 0 && size >= kDeviceLogHeaderSize) {
        std::memcpy(log.data(), data, kDeviceLogHeaderSize);
        from = kDeviceLogHeaderSize;
    } else {
        le::PutU32(log.data(), 0xFEFEFEFE);
    }
    const std::size_t rest = std::min(size - from, total - kDeviceLogHeaderSize);
    std::memcpy(log.data() + kDeviceLogHeaderSize, data + from, rest);
    if ((mode & 8) != 0) {
        for (std::size_t at = kDeviceLogHeaderSize; at + 64 <= total; at += 64) {
            le::PutU16(log.data() + at + 62, Crc16X25(log.data() + at, 62));
        }
    }
    return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) {
        return 0;
    }
    static const auto converter = std::make_unique<CInfoDtcFile>();
    const std::uint8_t mode = data[0];
    converter->m_nFileStart = le::GetU32(data + 1);
    converter->m_nZoneMinutes = le::GetI16(data + 5);
    converter->m_nReadType = 1;
    converter->m_strSourceRoot = fuzz::TempFolder();
    data += 7;
    size -= 7;
    const std::string path = fuzz::TempFolder() + "log/system.log";
    static const bool folder = std::filesystem::create_directories(fuzz::TempFolder() + "log");
    (void)folder;
    if ((mode & 1) != 0) {
        fuzz::WriteFile(path, data, size);
    } else {
        const std::vector<std::uint8_t> log = BuildLog(mode, data, size);
        fuzz::WriteFile(path, log.data(), log.size());
    }
    const bool read = converter->LoadTimeAdjustments();
    const std::string& before = converter->m_strAdjustOld;
    const std::string& after = converter->m_strAdjustNew;
    const auto items = [](const std::string& list) {
        return std::count(list.begin(), list.end(), ',');
    };
    if ((converter->m_bTimeAdjusted != 0) != !before.empty() || items(before) != items(after) ||
        before.size() != after.size() || (!read && !before.empty())) {
        std::abort();
    }
    return 0;
}
