// SPDX-License-Identifier: GPL-3.0-or-later
// Second step of the generation: the device clock (zone, unset clock, adjustments) applied to
// the planned trips, the .dtc block layout, the file names and the event log.
#include "tools/datagen/Generator.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "tools/datagen/Prng.h"
#include "tools/datagen/TripPlanner.h"

namespace vantrel::datagen {

namespace {

// The recorder's clock: device time = true local time - zone + the clock's error, where the
// error starts at zero (or far in the past for an unset clock) and changes at adjustments.
class DeviceClock {
public:
    DeviceClock(const Scenario& s, const std::vector<PlannedAdjustment>& adjustments,
                std::vector<LogEvent>& events, std::vector<std::int64_t>& eventTimes)
        : m_zoneSeconds(s.zoneMinutes * 60LL) {
        if (s.unsetClock) {
            m_initialError = 86400 - (MidnightOf(s.startDate) - m_zoneSeconds);
        }
        std::int64_t error = m_initialError;
        for (const PlannedAdjustment& a : adjustments) {
            const std::int64_t before = a.at - m_zoneSeconds + error;
            const std::int64_t shift = a.spec.toTrueTime ? -error : a.spec.shiftSeconds;
            if (a.spec.shiftsFiles || a.spec.toTrueTime) {
                error += shift;
            }
            m_changes.push_back({a.at, error});
            LogEvent event;
            event.code = a.spec.eventCode;
            event.zoneMinutes = s.zoneMinutes;
            event.timeBefore = before;
            event.timeAfter = before + shift;
            event.badCrc = a.spec.badCrc;
            events.push_back(event);
            eventTimes.push_back(a.at);
        }
    }

    std::int64_t DeviceTime(std::int64_t trueLocal) const {
        std::int64_t error = m_initialError;
        for (const auto& [at, after] : m_changes) {
            if (at > trueLocal) {
                break;
            }
            error = after;
        }
        return trueLocal - m_zoneSeconds + error;
    }

    std::int64_t ZoneSeconds() const { return m_zoneSeconds; }

private:
    std::int64_t m_zoneSeconds;
    std::int64_t m_initialError = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> m_changes;  // true time, error after
};

std::string FileName(const std::string& prefix, std::uint32_t localStart) {
    const CivilTime t = ToCivil(localStart);
    char text[64];
    std::snprintf(text, sizeof text, "%s_%04d%02d%02d_%02d%02d%02d.dtc", prefix.c_str(), t.year,
                  t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

// TH and TM blocks of a trip: one TM per minute that holds a sample, a TH before the first TM
// of every hour (by the local device clock). A block's time is the first moment it covers.
std::vector<DtcBlock> LayOutBlocks(const PlannedTrip& trip, const DeviceClock& clock) {
    std::vector<DtcBlock> blocks;
    const std::int64_t end = trip.End();
    bool haveHour = false;
    std::uint32_t hour = 0;
    for (std::int64_t minute = trip.start - trip.start % 60; minute < end; minute += 60) {
        DtcBlock tm;
        bool any = false;
        for (int k = 0; k < kSamplesPerMinute; ++k) {
            const std::int64_t index = (minute - trip.start) * 2 + k;
            const bool inside =
                index >= 0 && index < static_cast<std::int64_t>(trip.samples.size());
            tm.samples[static_cast<std::size_t>(k)] =
                inside ? trip.samples[static_cast<std::size_t>(index)] : kNoSample;
            any = any || tm.samples[static_cast<std::size_t>(k)] != kNoSample;
        }
        if (!any) {
            continue;  // the recorder was off for the whole minute: no record at all
        }
        tm.deviceTime = static_cast<std::uint32_t>(clock.DeviceTime(std::max(trip.start, minute)));
        const std::uint32_t localHour =
            (tm.deviceTime + static_cast<std::uint32_t>(clock.ZoneSeconds())) / 3600;
        if (!haveHour || localHour != hour) {
            DtcBlock th;
            th.tag = kTagHour;
            th.deviceTime = tm.deviceTime;
            blocks.push_back(th);
            haveHour = true;
            hour = localHour;
        }
        blocks.push_back(tm);
    }
    return blocks;
}

class CardBuilder {
public:
    CardBuilder(const Scenario& s, std::uint64_t seed, CardData& card)
        : m_s(s), m_seed(seed), m_card(card) {}

    void Build(TripPlan& plan) {
        DeviceClock clock(m_s, plan.adjustments, m_card.logEvents, m_eventTimes);
        std::vector<std::uint32_t> recordStamps;
        std::vector<std::uint32_t> recordStarts;
        std::uint64_t odometerCm =
            static_cast<std::uint64_t>(Prng(MixSeed(m_seed, 3)).Uniform(5'000'000, 90'000'000)) *
            100;
        for (std::size_t i = 0; i < plan.trips.size(); ++i) {
            PlannedTrip& trip = plan.trips[i];
            MakeNameUnique(trip, clock);
            GeneratedFile file;
            file.trip = trip.ref;
            file.record = trip.record;
            DtcHeader& h = file.dtc.header;
            h.fileStart = static_cast<std::uint32_t>(clock.DeviceTime(trip.start));
            if (static_cast<std::size_t>(trip.record) == recordStamps.size()) {
                recordStarts.push_back(h.fileStart);
                recordStamps.push_back(StampOf(trip, h.fileStart));
            }
            h.recordStart = recordStarts[static_cast<std::size_t>(trip.record)];
            h.recordStamp = recordStamps[static_cast<std::size_t>(trip.record)];
            h.zoneMinutes = m_s.zoneMinutes;
            h.deviceId = m_s.deviceId;
            h.vehicleNo = m_s.vehicleNo;
            h.driverName = m_s.drivers[static_cast<std::size_t>(trip.driver)];
            h.fileSequence = static_cast<std::uint32_t>(i + 1);
            h.odometerMetres = static_cast<std::uint32_t>(odometerCm / 100);
            if (!trip.headerOnly) {
                file.dtc.blocks = LayOutBlocks(trip, clock);
            }
            for (std::uint16_t sample : trip.samples) {
                odometerCm += sample == kNoSample ? 0 : sample;
            }
            file.name = FileName(m_s.FilePrefix(), file.LocalStart());
            file.monthFolder = file.name.substr(11, 6);
            AddTripEvents(plan, i, clock);
            m_card.files.push_back(std::move(file));
        }
        SortLog();
        std::stable_sort(
            m_card.files.begin(), m_card.files.end(),
            [](const GeneratedFile& a, const GeneratedFile& b) { return a.name < b.name; });
    }

private:
    // After a clock was set back a trip can start at a time that already names a file; the
    // trip then starts a few seconds later.
    void MakeNameUnique(PlannedTrip& trip, const DeviceClock& clock) {
        for (;;) {
            const auto local =
                static_cast<std::uint32_t>(clock.DeviceTime(trip.start) + clock.ZoneSeconds());
            if (m_names.insert(FileName(m_s.FilePrefix(), local)).second) {
                return;
            }
            ++trip.start;
        }
    }

    std::uint32_t StampOf(const PlannedTrip& trip, std::uint32_t fileStart) const {
        for (const RecordBreak& b : m_s.recordBreaks) {
            if (b.first == trip.ref && b.stamp) {
                return *b.stamp;
            }
        }
        // The record is opened when the driver signs in, shortly before the first file.
        Prng rng(MixSeed(m_seed, 4, static_cast<std::uint64_t>(trip.record)));
        return fileStart - static_cast<std::uint32_t>(rng.Uniform(5, 90));
    }

    void AddEvent(std::uint32_t code, std::int64_t trueTime, const DeviceClock& clock) {
        LogEvent event;
        event.code = code;
        event.zoneMinutes = m_s.zoneMinutes;
        event.timeBefore = clock.DeviceTime(trueTime);
        event.timeAfter = event.timeBefore;
        m_card.logEvents.push_back(event);
        m_eventTimes.push_back(trueTime);
    }

    // Power on before a day's first trip and off after its last; the card is seen at the
    // first start; now and then another event (a clock check, a sensor fault).
    void AddTripEvents(const TripPlan& plan, std::size_t i, const DeviceClock& clock) {
        const PlannedTrip& trip = plan.trips[i];
        const bool firstOfDay = i == 0 || plan.trips[i - 1].ref.day != trip.ref.day;
        const bool lastOfDay =
            i + 1 == plan.trips.size() || plan.trips[i + 1].ref.day != trip.ref.day;
        if (firstOfDay) {
            AddEvent(kEventPowerOn, trip.start - 2, clock);
        }
        if (i == 0) {
            AddEvent(kEventCardInserted, trip.start - 1, clock);
        }
        Prng rng(MixSeed(m_seed, 5, i));
        if (rng.Chance(m_s.otherEventPermille)) {
            const std::uint32_t code = rng.Chance(600) ? kEventClockCheck : kEventSensorFault;
            AddEvent(code, trip.start + rng.Uniform(0, trip.End() - trip.start), clock);
        }
        if (lastOfDay) {
            AddEvent(kEventPowerOff, trip.End() + 3, clock);
        }
    }

    void SortLog() {
        std::vector<std::size_t> order(m_card.logEvents.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return m_eventTimes[a] < m_eventTimes[b];
        });
        std::vector<LogEvent> sorted;
        sorted.reserve(order.size());
        for (std::size_t i : order) {
            sorted.push_back(m_card.logEvents[i]);
        }
        m_card.logEvents = std::move(sorted);
    }

    const Scenario& m_s;
    std::uint64_t m_seed;
    CardData& m_card;
    std::set<std::string> m_names;
    std::vector<std::int64_t> m_eventTimes;  // true local time of each event, for the order
};

}  // namespace

std::uint32_t GeneratedFile::LocalStart() const {
    return dtc.header.fileStart +
           static_cast<std::uint32_t>(static_cast<std::int32_t>(dtc.header.zoneMinutes) * 60);
}

std::vector<std::uint8_t> CardData::EncodeSystemLog() const {
    return vantrel::datagen::EncodeSystemLog(logEvents, scenario.logSlots);
}

std::string CardData::DeviceIdText() const {
    return vantrel::datagen::DeviceIdText(scenario.deviceId);
}

std::size_t CardData::TotalDtcBytes() const {
    std::size_t total = 0;
    for (const GeneratedFile& file : files) {
        total += file.dtc.EncodedSize();
    }
    return total;
}

std::optional<CardData> GenerateCard(const Scenario& scenario, std::uint64_t seed,
                                     std::string* error) {
    if (std::string problem = scenario.Validate(); !problem.empty()) {
        if (error != nullptr) {
            *error = problem;
        }
        return std::nullopt;
    }
    CardData card;
    card.scenario = scenario;
    card.seed = seed;
    // Recorders of different ids drive differently under the same seed.
    const DeviceId& id = scenario.deviceId;
    const std::uint64_t base = MixSeed(seed, 0x5EED, (id[0] << 16) | (id[1] << 8) | id[2]);
    TripPlan plan = PlanTrips(scenario, base);
    CardBuilder(card.scenario, base, card).Build(plan);
    return card;
}

}  // namespace vantrel::datagen
