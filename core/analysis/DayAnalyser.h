// SPDX-License-Identifier: GPL-3.0-or-later
// The driving analysis of a run of days: dangerous-driving events found from speed alone and
// the continuous-driving rules, in one pass over each day's 172,800 samples.
//
// Speed is the speed the graphs show (SampleSpeedKmhSingle); the acceleration at a sample is
// its speed minus the speed one second (two samples) earlier, in km/h per second, and exists
// only where both samples and the one between them exist. A missing sample (0xFFFF) never takes
// part in an event and ends every event that is running.
//
// Events (EventKind): speeding (faster than limit + margin), long speeding (one speeding run
// lasting at least the profile's time; it is also counted as speeding), sudden acceleration,
// sudden start (from standstill), sudden deceleration and sudden stop (to standstill). A hard
// launch is one sudden start (the acceleration that goes on from it is part of it), hard
// braking to standstill one sudden stop (the deceleration before it is part of it), and two
// runs of one kind are one event when their spans overlap or the condition failed between
// them for less than the profile's sudden dip time (a missing sample always parts them). Lane
// changes, overtaking, left and right turns and U-turns need the heading or position of the
// vehicle; the samples hold distance only, so these are never reported.
//
// A speeding run ends once the speed has stayed at or below the threshold for the profile's
// dip time (a missing sample ends it at once): a shorter dip, the jitter of a held speed, is
// part of the run. The run ends with its last speeding sample, so a dip never lengthens it,
// and long speeding is judged on the whole run.
//
// Times are half-second counts since 1970 in local time (time value x 2, + 1 for the second
// half of a second). An event or violation covers [start, end): end is the end of its last
// half-second. An event belongs to the day on which it starts.
//
// Driving is a sample above 0 (moving); a standstill (0) and a missing sample are not. An
// interruption is a run of samples that are not driving; it is a rest for a rule when it lasts
// at least the rule's shortest break. A rule is broken when the driving since the last full
// break exceeds its limit: the violation starts at the half-second the limit was passed, ends
// with the last driving before the next full break, and its amount is the driving over the
// limit. Days that follow one another carry the state across midnight; a day that does not
// follow the one before starts afresh (the days between held no samples).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/analysis/AnalysisProfile.h"

namespace vantrel::analysis {

enum class EventKind {
    Speeding = 0,
    LongSpeeding = 1,
    SuddenAcceleration = 2,
    SuddenStart = 3,
    SuddenDeceleration = 4,
    SuddenStop = 5,
};
inline constexpr std::size_t kEventKindCount = 6;

// "speeding", "long-speeding", "sudden-acceleration", "sudden-start", "sudden-deceleration",
// "sudden-stop".
std::string_view EventKindName(EventKind kind);

// "YYYY-MM-DD HH:MM:SS.mmm" of a half-second time (milliseconds 000 or 500).
std::string FormatHalfSecondTime(std::int64_t halfSeconds);

struct DrivingEvent {
    EventKind kind = EventKind::Speeding;
    std::int64_t start = 0;  // half-seconds since 1970, local
    std::int64_t end = 0;    // exclusive
    // The highest speed (speeding kinds, km/h) or the strongest change of speed (km/h per
    // second, a positive number also for deceleration and stop).
    double peak = 0.0;
};

struct RuleViolation {
    std::string rule;        // the rule's name, or "daily"
    std::int64_t start = 0;  // half-seconds since 1970, local
    std::int64_t end = 0;    // exclusive
    std::int64_t secondsOver = 0;
};

// What one day holds after the analysis.
struct DayResult {
    std::int64_t midnight = 0;            // time value of the day's 00:00:00
    std::uint64_t distanceCm = 0;         // sum of the samples that exist
    std::int64_t drivingHalfSeconds = 0;  // samples above 0
    std::int64_t firstDriving = -1;       // half-second time of the first driving sample, or -1
    std::int64_t lastDriving = -1;        // and of the last one
    std::vector<DrivingEvent> events;     // by start (may be dropped, see eventCounts)
    std::array<std::int64_t, kEventKindCount> eventCounts{};  // events of each kind
    std::vector<RuleViolation> violations;                    // continuous-driving rules, by start

    double DistanceKm() const { return static_cast<double>(distanceCm) / 100'000.0; }
    std::int64_t DrivingSeconds() const { return drivingHalfSeconds / 2; }
};

class DayAnalyser {
public:
    explicit DayAnalyser(const AnalysisProfile& profile);

    // Analyses one day (exactly 172,800 samples; fewer or more is a programming error and the
    // day is treated as having no samples). Days are passed in time order.
    void AddDay(std::int64_t midnight, std::span<const std::uint16_t> samples);
    // Ends the running events and violations; afterwards Days() is complete.
    void Finish();

    const std::vector<DayResult>& Days() const { return m_days; }
    std::vector<DayResult> TakeDays();

private:
    struct Run {
        bool open = false;
        std::int64_t start = 0;
        std::int64_t end = 0;
        double peak = 0.0;
    };
    struct RuleState {
        std::int64_t driving = 0;     // half-seconds since the last full break
        bool firstPartTaken = false;  // a split break's first part was taken
        bool violating = false;
        RuleViolation open;
    };

    void Sample(std::int64_t time, std::uint16_t sample);
    void Advance(std::uint16_t sample, float speed);
    void Drive(std::int64_t time, std::uint16_t sample, DayResult& day);
    struct LastEvent {
        bool set = false;
        std::size_t day = 0;
        std::size_t index = 0;
    };

    // kind -1: speeding, whose runs join across a dip instead (see Sample).
    void Extend(Run& run, int kind, std::int64_t start, std::int64_t time, double value);
    void Close(Run& run, EventKind kind);
    void CloseSpeeding();
    void EndInterruption();
    void CloseViolation(RuleState& state);
    void CloseAll();
    std::size_t DayIndexOf(std::int64_t time) const;

    AnalysisProfile m_profile;
    double m_speedingAbove;
    std::int64_t m_longSpeedingHalfSeconds;
    std::int64_t m_speedingDipHalfSeconds;
    std::int64_t m_suddenDipHalfSeconds;
    std::vector<std::int64_t> m_ruleLimits;  // half-seconds
    std::vector<DayResult> m_days;
    std::int64_t m_nextMidnight = -1;  // midnight of the day expected next

    // The two samples before the current one (kNoSample when missing) and their speeds.
    std::uint16_t m_prev1 = 0xFFFF;
    std::uint16_t m_prev2 = 0xFFFF;
    float m_speed1 = 0.0f;
    float m_speed2 = 0.0f;

    Run m_speeding;
    std::int64_t m_speedingDip = 0;  // half-seconds at or below the threshold in the open run
    std::array<Run, kEventKindCount> m_runs;  // the four acceleration kinds
    std::array<LastEvent, kEventKindCount> m_lastClosed;
    std::int64_t m_lastGap = INT64_MIN;  // time of the last missing sample

    std::vector<RuleState> m_rules;
    const float* m_speedTable;        // speed of every raw value
    std::int64_t m_interruption = 0;  // half-seconds of the interruption running
};

}  // namespace vantrel::analysis
