// SPDX-License-Identifier: GPL-3.0-or-later
// The loaded day as the views read it.
#include "core/views/LoadedDay.h"

#include <algorithm>

namespace vantrel {

LoadedDay ViewOfLoadedDay(const CInfoDtcFile& converter) {
    return LoadedDay{converter.m_daySamples, converter.m_dayDistance, converter.m_nFirstSampleMs,
                     converter.m_nLastSampleMs};
}

void ClearLoadedDay(CInfoDtcFile& converter) {
    converter.m_daySamples.assign(kSamplesPerDay, kNoSample);
    converter.m_dayDistance.assign(kSamplesPerDay, 0);
    converter.m_nFirstSampleMs = 0;
    converter.m_nLastSampleMs = 0;
}

}  // namespace vantrel
