// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a day sample file for the views: the samples, their cumulative distance and the
// times of the first and last sample.
#include <algorithm>
#include <fstream>

#include "core/data/InfoDtcFile.h"
#include "core/data/LittleEndian.h"

namespace vantrel {

bool CInfoDtcFile::LoadDayFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    // At most one day image is read, whatever the file's size; a shorter file leaves the rest
    // of the day without samples.
    std::vector<std::uint8_t> image(kDayImageBytes, 0xFF);
    file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));

    std::uint32_t total = 0;
    std::size_t first = kSamplesPerDay;
    std::size_t last = kSamplesPerDay;
    for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
        const std::uint16_t sample = le::GetU16(image.data() + 2 * i);
        m_daySamples[i] = sample;
        if (sample != kNoSample) {
            total += sample;  // modulo 2^32
            first = std::min(first, i);
            last = i;
        }
        m_dayDistance[i] = total;
    }

    // The date is the YYYYMMDD of "YYYYMMDD.cda" at the end of the name; a name without a
    // date counts from 0 rather than from the -1 of a failed conversion.
    const std::string tail = path.size() > 12 ? path.substr(path.size() - 12) : path;
    std::int64_t midnight = SystemTimeToSeconds(ParseTimeStamp(tail, 0));
    if (midnight < 0) {
        midnight = 0;
    }
    const auto secondsOf = [midnight](std::size_t index) {
        return midnight + static_cast<std::int64_t>(index / kSamplesPerMinute) * 60 +
               static_cast<std::int64_t>(index % kSamplesPerMinute) / 2;
    };
    if (first == kSamplesPerDay) {
        m_nFirstSampleMs = 0;
        m_nLastSampleMs = midnight * 1000;
    } else {
        m_nFirstSampleMs = secondsOf(first) * 1000;
        m_nLastSampleMs = secondsOf(last) * 1000;
    }
    return true;
}

}  // namespace vantrel
