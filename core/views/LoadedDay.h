// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only view of the day the views draw: the 172,800 samples, their cumulative
// distances and the millisecond times of the first and last sample. The views hold no copy
// of driving data; they read the converter's loaded day at every paint through this view.
#pragma once

#include <cstdint>
#include <span>

#include "core/data/InfoDtcFile.h"
#include "core/data/RecordModel.h"

namespace vantrel {

struct LoadedDay {
    std::span<const std::uint16_t> samples;   // centimetres per half-second, 0xFFFF missing
    std::span<const std::uint32_t> distance;  // cumulative centimetres per sample
    std::int64_t firstSampleMs = 0;
    std::int64_t lastSampleMs = 0;

    // True when both arrays hold the whole day grid.
    bool IsComplete() const {
        return samples.size() == kSamplesPerDay && distance.size() == kSamplesPerDay;
    }
};

LoadedDay ViewOfLoadedDay(const CInfoDtcFile& converter);

// Makes the converter's day empty: every sample missing, every distance 0, no first and no
// last sample. Used when a day sample file cannot be read, so no other day's samples are
// shown under the selected day's date.
void ClearLoadedDay(CInfoDtcFile& converter);

}  // namespace vantrel
