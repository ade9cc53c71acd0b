// SPDX-License-Identifier: GPL-3.0-or-later
// Small generated days for the view tests: a day image with samples placed by time, its
// cumulative distances and first and last sample times, built as the loader builds them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "core/data/RecordModel.h"
#include "core/util/TimeUtil.h"
#include "core/views/DrawList.h"
#include "core/views/LoadedDay.h"

namespace vantrel::testing {

inline SystemTime Time(int h, int m, int s, int ms = 0, int year = 2015, int month = 3,
                       int day = 12) {
    SystemTime t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(h);
    t.wMinute = static_cast<std::uint16_t>(m);
    t.wSecond = static_cast<std::uint16_t>(s);
    t.wMilliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

inline int Index(int h, int m, int s, bool half = false) {
    return (h * 60 + m) * 120 + 2 * s + (half ? 1 : 0);
}

class TestDay {
public:
    TestDay() : m_samples(kSamplesPerDay, kNoSample), m_distance(kSamplesPerDay, 0) {}

    // Samples [from, to) set to a value.
    TestDay& Set(int from, int to, std::uint16_t value) {
        std::fill(m_samples.begin() + from, m_samples.begin() + to, value);
        return *this;
    }

    LoadedDay View() {
        std::uint32_t total = 0;
        int first = -1;
        int last = -1;
        for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
            if (m_samples[i] != kNoSample) {
                total += m_samples[i];
                first = first < 0 ? static_cast<int>(i) : first;
                last = static_cast<int>(i);
            }
            m_distance[i] = total;
        }
        const std::int64_t midnight = SystemTimeToSeconds(Time(0, 0, 0));
        const auto ms = [midnight](int i) {
            return (midnight + (i / 120) * 60 + (i % 120) / 2) * 1000;
        };
        return LoadedDay{m_samples, m_distance, first < 0 ? 0 : ms(first),
                         last < 0 ? midnight * 1000 : ms(last)};
    }

    std::vector<std::uint16_t> m_samples;
    std::vector<std::uint32_t> m_distance;
};

// The pixels a draw list sets in one colour (lines and single pixels; texts left out).
inline std::set<std::pair<int, int>> PixelsOf(const DrawList& list, Rgb colour) {
    std::set<std::pair<int, int>> pixels;
    for (const DrawOp& op : list.ops) {
        if (const auto* line = std::get_if<DrawLine>(&op); line && line->colour == colour) {
            RasterizeLine(*line, [&pixels](int x, int y) { pixels.insert({x, y}); });
        } else if (const auto* pixel = std::get_if<DrawPixel>(&op);
                   pixel && pixel->colour == colour) {
            pixels.insert({pixel->x, pixel->y});
        }
    }
    return pixels;
}

// The rows set in one column, lowest y first.
inline std::vector<int> ColumnOf(const std::set<std::pair<int, int>>& pixels, int x) {
    std::vector<int> ys;
    for (const auto& [px, py] : pixels) {
        if (px == x) {
            ys.push_back(py);
        }
    }
    return ys;
}

}  // namespace vantrel::testing
