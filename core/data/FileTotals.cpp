// SPDX-License-Identifier: GPL-3.0-or-later
// Scans of a decoded file's samples.
#include "core/data/FileTotals.h"

#include <algorithm>

#include "core/data/RecordModel.h"

namespace vantrel {
namespace {

SystemTime SampleTime(const SystemTime& date, int hour, int minute, int halfSecond) {
    SystemTime t;
    t.wYear = date.wYear;
    t.wMonth = date.wMonth;
    t.wDay = date.wDay;
    t.wDayOfWeek = date.wDayOfWeek;
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(halfSecond / 2);
    t.wMilliseconds = static_cast<std::uint16_t>((halfSecond % 2) * 500);
    return t;
}

}  // namespace

FileTotals ScanFileTotals(const stFileInfo& info, const SystemTime& date) {
    FileTotals totals;
    std::uint32_t run = 0;
    for (int h = 0; h < kHoursPerDay; ++h) {
        for (int m = 0; m < kMinutesPerHour; ++m) {
            const std::uint8_t* samples = info.MinuteSamples(h, m);
            for (int k = 0; k < kSamplesPerMinute; ++k) {
                const std::uint16_t sample = le::GetU16(samples + 2 * static_cast<std::size_t>(k));
                if (sample == kNoSample) {
                    totals.longestRun = std::max(totals.longestRun, run);
                    run = 0;
                    continue;
                }
                ++run;
                ++totals.count;
                totals.sum += sample;
                if (sample > totals.largest) {
                    totals.largest = sample;
                    totals.largestTime = SampleTime(date, h, m, k);
                }
            }
        }
    }
    totals.longestRun = std::max(totals.longestRun, run);
    return totals;
}

LastSample FindLastSample(const stFileInfo& info) {
    LastSample last;
    std::uint32_t zeros = 0;
    for (int h = kHoursPerDay - 1; h >= 0; --h) {
        for (int m = kMinutesPerHour - 1; m >= 0; --m) {
            const std::uint8_t* samples = info.MinuteSamples(h, m);
            for (int k = kSamplesPerMinute - 1; k >= 0; --k) {
                const std::uint16_t sample = le::GetU16(samples + 2 * static_cast<std::size_t>(k));
                if (sample == kNoSample) {
                    continue;
                }
                if (!last.found) {
                    last.found = true;
                    const SystemTime date = SecondsToSystemTime(info.StartTime());
                    last.time = SampleTime(date, h, m, k);
                    last.time.wMilliseconds = 0;
                }
                if (sample != 0) {
                    last.standstill = zeros >= kStandstillSamples;
                    return last;
                }
                ++zeros;
            }
        }
    }
    // Only zero samples: the recorder never saw the vehicle move in this file, and the flag
    // stays clear.
    return last;
}

}  // namespace vantrel
