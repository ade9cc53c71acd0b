// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor readout of the status strip: at scales 0 to 2 the span of samples under the
// cursor's column with its highest and lowest speed and distances, at scales 3 and 4 the
// one sample at the cursor with its speed and cumulative distance. Recomputed at every paint
// from the loaded day, so it always matches the day and the cursor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/views/DrawList.h"
#include "core/views/LoadedDay.h"

namespace vantrel {

inline constexpr Rgb kReadoutBackground{200, 80, 0};
inline constexpr int kReadoutTop = 2;

struct ReadoutInput {
    SystemTime cursor;  // the container's m_stCursor
    int scale = 0;
    LoadedDay day;
};

// One text of the readout, its top at y = 2; x is its left or its right edge.
struct ReadoutText {
    int x = 0;
    TextAlign align = TextAlign::Left;
    std::string text;
    int clearBlanks = -1;  // see DrawText::clearBlanks
};

// What the scan of the span (scales 0 to 2) collects.
struct ReadoutSpan {
    float highest = 0.0f;
    float lowest = 9999.0f;
    std::int64_t sum = 0;          // centimetres of the span's samples
    std::uint32_t cumulative = 0;  // cumulative distance of the sample after the span
    int count = 0;

    bool IsEmpty() const { return highest == 0.0f && lowest == 9999.0f && sum == 0; }
};

// Samples per cursor column at scales 0, 1 and 2 (240, 80, 2).
int ReadoutSpanSamples(int scale);
ReadoutSpan ScanReadoutSpan(const LoadedDay& day, const SystemTime& cursor, int scale);

// The texts left to right; none when no day is loaded (the cursor's date all zero).
std::vector<ReadoutText> ReadoutTexts(const ReadoutInput& input);

// The strip's paint: its background and the texts in white.
DrawList BuildReadout(const ReadoutInput& input, int width, int height);

}  // namespace vantrel
