// SPDX-License-Identifier: GPL-3.0-or-later
// The totals of one decoded file, taken in time order over its minute records: the samples
// counted, their sum, the largest and the time it was first reached, the longest run without
// a gap; and its last sample with whether it ended standing still for ten minutes.
#pragma once

#include <cstdint>

#include "core/data/FileInfo.h"
#include "core/util/TimeUtil.h"

namespace vantrel {

struct FileTotals {
    std::uint32_t count = 0;  // samples that are not 0xFFFF (half-seconds)
    std::uint32_t sum = 0;    // centimetres, modulo 2^32
    std::uint16_t largest = 0;
    SystemTime largestTime;  // the given date; milliseconds 500 at an odd half-second
    std::uint32_t longestRun = 0;
};

// Runs continue across minute and hour boundaries but never across files.
FileTotals ScanFileTotals(const stFileInfo& info, const SystemTime& date);

struct LastSample {
    bool found = false;  // the file holds a sample
    SystemTime time;     // date of the local start (zero when invalid), sample's h:m:s
    // The file's last samples are at least 1200 zeros after a sample that is not 0 (a file of
    // zeros only, or without samples, leaves it clear).
    bool standstill = false;
};

LastSample FindLastSample(const stFileInfo& info);

}  // namespace vantrel
