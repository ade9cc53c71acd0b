// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over the samples of consecutive days: event runs, rest and driving per rule.
#include "core/analysis/DayAnalyser.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/data/RecordModel.h"
#include "core/util/TimeUtil.h"

namespace vantrel::analysis {
namespace {

constexpr std::array<std::string_view, kEventKindCount> kKindNames{
    "speeding",     "long-speeding",       "sudden-acceleration",
    "sudden-start", "sudden-deceleration", "sudden-stop"};

// The speed of every raw value, made once with the graphs' single-precision steps.
const std::vector<float>& SpeedTable() {
    static const std::vector<float> table = [] {
        std::vector<float> speeds(65'536);
        for (std::uint32_t raw = 0; raw < speeds.size(); ++raw) {
            speeds[raw] = SampleSpeedKmhSingle(static_cast<std::uint16_t>(raw));
        }
        return speeds;
    }();
    return table;
}

bool ByStart(const auto& a, const auto& b) {
    return a.start != b.start ? a.start < b.start : a.end < b.end;
}

}  // namespace

std::string FormatHalfSecondTime(std::int64_t halfSeconds) {
    const SystemTime t = SecondsToSystemTime(halfSeconds / 2);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03d", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(halfSeconds % 2) * 500);
    return text;
}

std::string_view EventKindName(EventKind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

DayAnalyser::DayAnalyser(const AnalysisProfile& profile)
    : m_profile(profile),
      m_speedingAbove(profile.events.SpeedingAboveKmh()),
      m_longSpeedingHalfSeconds(static_cast<std::int64_t>(profile.events.longSpeedingSeconds) * 2),
      m_speedingDipHalfSeconds(static_cast<std::int64_t>(profile.events.speedingDipSeconds) * 2),
      m_suddenDipHalfSeconds(static_cast<std::int64_t>(profile.events.suddenDipSeconds) * 2),
      m_rules(profile.rules.size()),
      m_speedTable(SpeedTable().data()) {
    for (const DrivingRule& rule : profile.rules) {
        m_ruleLimits.push_back(static_cast<std::int64_t>(rule.maxDrivingSeconds) * 2);
    }
}

void DayAnalyser::AddDay(std::int64_t midnight, std::span<const std::uint16_t> samples) {
    if (midnight != m_nextMidnight) {
        CloseAll();
    }
    m_days.push_back(DayResult{});
    m_days.back().midnight = midnight;
    m_nextMidnight = midnight + 86'400;
    const std::int64_t base = midnight * 2;
    if (samples.size() != kSamplesPerDay) {
        for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
            Sample(base + static_cast<std::int64_t>(i), kNoSample);
        }
        return;
    }
    for (std::size_t i = 0; i < kSamplesPerDay; ++i) {
        Sample(base + static_cast<std::int64_t>(i), samples[i]);
    }
}

void DayAnalyser::Sample(std::int64_t time, std::uint16_t sample) {
    if (sample == kNoSample) {
        if (m_speeding.open || m_runs[2].open || m_runs[3].open || m_runs[4].open ||
            m_runs[5].open) {
            CloseSpeeding();
            for (std::size_t k = static_cast<std::size_t>(EventKind::SuddenAcceleration);
                 k < kEventKindCount; ++k) {
                Close(m_runs[k], static_cast<EventKind>(k));
            }
        }
        m_lastGap = time;
        ++m_interruption;
        m_prev2 = m_prev1;
        m_speed2 = m_speed1;
        m_prev1 = kNoSample;
        return;
    }

    DayResult& day = m_days.back();
    day.distanceCm += sample;
    const float speed = m_speedTable[sample];

    // A dip shorter than the dip time is part of the run; its samples never raise the peak
    // nor move the run's end, which stays with the last speeding sample.
    if (speed > m_speedingAbove) {
        Extend(m_speeding, -1, time, time, speed);
        m_speedingDip = 0;
    } else if (m_speeding.open && ++m_speedingDip >= m_speedingDipHalfSeconds) {
        CloseSpeeding();
    }

    const EventThresholds& t = m_profile.events;
    bool accelerating = false;
    bool starting = false;
    bool decelerating = false;
    bool stopping = false;
    double change = 0.0;
    // The sample between must exist too, so that no event spans a gap.
    if (m_prev2 != kNoSample && m_prev1 != kNoSample) {
        const double before = m_speed2;
        change = static_cast<double>(speed) - before;
        accelerating = change >= t.accelerationKmhPerS && before >= t.accelerationFromKmh;
        starting = change >= t.startKmhPerS && before <= t.startFromKmh;
        decelerating = -change >= t.decelerationKmhPerS && speed >= t.decelerationToKmh;
        stopping = -change >= t.stopKmhPerS && speed <= t.stopToKmh;
    }
    // A hard launch is one sudden start: acceleration that goes on from it belongs to it.
    // Slowing hard down to standstill is one sudden stop: the deceleration before it is
    // taken into it.
    if (accelerating && m_runs[static_cast<std::size_t>(EventKind::SuddenStart)].open) {
        accelerating = false;
        starting = true;
    }
    Run& deceleration = m_runs[static_cast<std::size_t>(EventKind::SuddenDeceleration)];
    Run& stop = m_runs[static_cast<std::size_t>(EventKind::SuddenStop)];
    if (stopping && !stop.open && deceleration.open) {
        stop = deceleration;
        deceleration.open = false;
    }
    // Most samples start and end nothing: cruising, standing.
    const bool anyOpen = m_runs[2].open || m_runs[3].open || m_runs[4].open || m_runs[5].open;
    if (!(accelerating || starting || decelerating || stopping || anyOpen)) {
        Advance(sample, speed);
        Drive(time, sample, day);
        return;
    }
    const std::pair<bool, EventKind> kinds[] = {{accelerating, EventKind::SuddenAcceleration},
                                                {starting, EventKind::SuddenStart},
                                                {decelerating, EventKind::SuddenDeceleration},
                                                {stopping, EventKind::SuddenStop}};
    for (const auto& [on, kind] : kinds) {
        Run& run = m_runs[static_cast<std::size_t>(kind)];
        if (on) {
            Extend(run, static_cast<int>(kind), time - 2, time, change < 0 ? -change : change);
        } else {
            Close(run, kind);
        }
    }
    Advance(sample, speed);
    Drive(time, sample, day);
}

void DayAnalyser::Advance(std::uint16_t sample, float speed) {
    m_prev2 = m_prev1;
    m_speed2 = m_speed1;
    m_prev1 = sample;
    m_speed1 = speed;
}

void DayAnalyser::Drive(std::int64_t time, std::uint16_t sample, DayResult& day) {
    if (sample == 0) {
        ++m_interruption;
        return;
    }
    if (m_interruption > 0) {
        EndInterruption();
    }
    ++day.drivingHalfSeconds;
    if (day.firstDriving < 0) {
        day.firstDriving = time;
    }
    day.lastDriving = time;
    for (std::size_t r = 0; r < m_rules.size(); ++r) {
        RuleState& state = m_rules[r];
        ++state.driving;
        if (state.driving <= m_ruleLimits[r]) {
            continue;
        }
        if (!state.violating) {
            state.violating = true;
            state.open = RuleViolation{m_profile.rules[r].name, time, time + 1, 0};
        }
        state.open.end = time + 1;
        state.open.secondsOver = (state.driving - m_ruleLimits[r]) / 2;
    }
}

void DayAnalyser::Extend(Run& run, int kind, std::int64_t start, std::int64_t time, double value) {
    if (!run.open) {
        run.open = true;
        run.start = start;
        run.peak = value;
        // A run whose span overlaps the last event of its kind, or whose condition failed
        // for less than the dip time since that event's last sample, continues that event.
        // The run starts two samples before the one that met the condition and the event
        // ends after its last such sample, so start - end + 2 samples failed in between.
        if (kind >= 0 && m_lastClosed[static_cast<std::size_t>(kind)].set) {
            LastEvent& last = m_lastClosed[static_cast<std::size_t>(kind)];
            DrivingEvent& previous = m_days[last.day].events[last.index];
            // Nothing after a gap continues an event from before it.
            const bool dip =
                previous.end > m_lastGap && start - previous.end + 2 < m_suddenDipHalfSeconds;
            if (start < previous.end || dip) {
                run.start = previous.start;
                run.peak = std::max(previous.peak, value);
                previous.end = -1;  // removed in Finish
                last.set = false;
            }
        }
    }
    run.end = time + 1;
    run.peak = std::max(run.peak, value);
}

std::size_t DayAnalyser::DayIndexOf(std::int64_t time) const {
    const std::int64_t seconds = time / 2;
    for (std::size_t i = m_days.size(); i > 0; --i) {
        if (m_days[i - 1].midnight <= seconds) {
            return i - 1;
        }
    }
    return 0;
}

void DayAnalyser::Close(Run& run, EventKind kind) {
    if (!run.open) {
        return;
    }
    run.open = false;
    const std::size_t day = DayIndexOf(run.start);
    std::vector<DrivingEvent>& events = m_days[day].events;
    events.push_back(DrivingEvent{kind, run.start, run.end, run.peak});
    m_lastClosed[static_cast<std::size_t>(kind)] = LastEvent{true, day, events.size() - 1};
}

void DayAnalyser::CloseSpeeding() {
    if (!m_speeding.open) {
        return;
    }
    const Run run = m_speeding;
    m_speedingDip = 0;
    Close(m_speeding, EventKind::Speeding);
    if (run.end - run.start >= m_longSpeedingHalfSeconds) {
        m_days[DayIndexOf(run.start)].events.push_back(
            DrivingEvent{EventKind::LongSpeeding, run.start, run.end, run.peak});
    }
}

void DayAnalyser::EndInterruption() {
    const std::int64_t length = m_interruption;
    m_interruption = 0;
    for (std::size_t r = 0; r < m_rules.size(); ++r) {
        const DrivingRule& rule = m_profile.rules[r];
        RuleState& state = m_rules[r];
        bool full = length >= static_cast<std::int64_t>(rule.breakSeconds) * 2;
        if (!full && rule.IsSplit()) {
            if (state.firstPartTaken &&
                length >= static_cast<std::int64_t>(rule.splitSecondSeconds) * 2) {
                full = true;
            } else if (length >= static_cast<std::int64_t>(rule.splitFirstSeconds) * 2) {
                state.firstPartTaken = true;
            }
        }
        if (full) {
            CloseViolation(state);
            state.driving = 0;
            state.firstPartTaken = false;
        }
    }
}

void DayAnalyser::CloseViolation(RuleState& state) {
    if (!state.violating) {
        return;
    }
    state.violating = false;
    m_days[DayIndexOf(state.open.start)].violations.push_back(state.open);
}

void DayAnalyser::CloseAll() {
    CloseSpeeding();
    for (std::size_t k = static_cast<std::size_t>(EventKind::SuddenAcceleration);
         k < kEventKindCount; ++k) {
        Close(m_runs[k], static_cast<EventKind>(k));
    }
    for (RuleState& state : m_rules) {
        CloseViolation(state);
        state = RuleState{};
    }
    m_interruption = 0;
    m_lastClosed = {};
    m_prev1 = kNoSample;
    m_prev2 = kNoSample;
    m_nextMidnight = -1;
}

void DayAnalyser::Finish() {
    CloseAll();
    for (DayResult& day : m_days) {
        std::erase_if(day.events, [](const DrivingEvent& event) { return event.end < 0; });
        day.eventCounts = {};
        for (const DrivingEvent& event : day.events) {
            ++day.eventCounts[static_cast<std::size_t>(event.kind)];
        }
        std::stable_sort(day.events.begin(), day.events.end(), [](const auto& a, const auto& b) {
            if (a.start != b.start) {
                return a.start < b.start;
            }
            return static_cast<int>(a.kind) < static_cast<int>(b.kind);
        });
        std::stable_sort(day.violations.begin(), day.violations.end(),
                         [](const auto& a, const auto& b) { return ByStart(a, b); });
    }
}

std::vector<DayResult> DayAnalyser::TakeDays() {
    return std::move(m_days);
}

}  // namespace vantrel::analysis
