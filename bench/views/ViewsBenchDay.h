// SPDX-License-Identifier: GPL-3.0-or-later
// A full day of driving for the view benchmarks: every half-second holds a sample, speeds
// vary from sample to sample so every column draws a long line.
#pragma once

#include <cstdint>
#include <vector>

#include "core/data/RecordModel.h"
#include "core/views/GraphGrid.h"
#include "core/views/LoadedDay.h"

namespace vantrel::bench {

class FullDay {
public:
    static FullDay& Get() {
        static FullDay day;
        return day;
    }

    LoadedDay View() const { return LoadedDay{m_samples, m_distance, m_firstMs, m_lastMs}; }

    GraphFrame Frame(int scale) const {
        GraphFrame frame;
        frame.windowStart = SecondsToSystemTime(m_midnight);
        frame.scale = scale;
        frame.cursorX = 400;
        frame.hasData = true;
        return frame;
    }

private:
    FullDay() : m_samples(kSamplesPerDay), m_distance(kSamplesPerDay) {
        std::uint32_t total = 0;
        for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
            m_samples[i] = static_cast<std::uint16_t>((i * 7919) % 1400);
            total += m_samples[i];
            m_distance[i] = total;
        }
        m_midnight = 1'426'118'400;  // 2015-03-12
        m_firstMs = m_midnight * 1000;
        m_lastMs = (m_midnight + 86'399) * 1000;
    }

    std::vector<std::uint16_t> m_samples;
    std::vector<std::uint32_t> m_distance;
    std::int64_t m_midnight = 0;
    std::int64_t m_firstMs = 0;
    std::int64_t m_lastMs = 0;
};

}  // namespace vantrel::bench
