// SPDX-License-Identifier: GPL-3.0-or-later
// The expected conversion figures of a generated card.
#include "tools/datagen/ExpectedTotals.h"

#include <algorithm>
#include <array>

namespace vantrel::datagen {

namespace {

constexpr int kSlots = 24 * 60;
using SlotMap = std::array<const MinuteSamples*, kSlots>;

std::uint32_t ZoneSeconds(const DtcHeader& h) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(h.zoneMinutes) * 60);
}

CivilTime SampleTime(CivilDate date, int slot, int k) {
    return {date.year, date.month, date.day, slot / 60, slot % 60, k / 2, (k % 2) * 500};
}

// Places the minute records by their local hour and minute, as the reader does.
SlotMap PlaceMinutes(const GeneratedFile& file, FileTotals& out) {
    SlotMap slots{};
    const DtcHeader& h = file.dtc.header;
    for (const DtcBlock& block : file.dtc.blocks) {
        if (block.tag != kTagMinute) {
            continue;
        }
        const std::uint32_t local = block.deviceTime + ZoneSeconds(h);
        const CivilTime t = ToValidCivil(local);
        const int slot = t.hour * 60 + t.minute;
        slots[static_cast<std::size_t>(slot)] = &block.samples;
        out.localEnd = local;
        out.closedNormally = local >= out.localStart;
    }
    return slots;
}

void ScanFile(const SlotMap& slots, FileTotals& out) {
    const CivilDate date = out.start.Date();
    SampleTotals& t = out.totals;
    std::uint32_t run = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        for (int k = 0; k < kSamplesPerMinute; ++k) {
            const std::uint16_t sample =
                slots[static_cast<std::size_t>(slot)] == nullptr
                    ? kNoSample
                    : (*slots[static_cast<std::size_t>(slot)])[static_cast<std::size_t>(k)];
            if (sample == kNoSample) {
                t.longestRun = std::max(t.longestRun, run);
                run = 0;
                continue;
            }
            ++run;
            ++t.count;
            t.sum += sample;
            if (sample > t.maxSample) {
                t.maxSample = sample;
                t.maxTime = SampleTime(date, slot, k);
            }
        }
    }
    t.longestRun = std::max(t.longestRun, run);
}

void FindLast(const SlotMap& slots, FileTotals& out) {
    bool found = false;
    for (int slot = kSlots - 1; slot >= 0; --slot) {
        const MinuteSamples* minute = slots[static_cast<std::size_t>(slot)];
        for (int k = kSamplesPerMinute - 1; minute != nullptr && k >= 0; --k) {
            const std::uint16_t sample = (*minute)[static_cast<std::size_t>(k)];
            if (sample == kNoSample) {
                continue;
            }
            if (!found) {
                found = true;
                out.lastSample = SampleTime(out.start.Date(), slot, k);
                out.lastSample.millisecond = 0;
            }
            if (sample != 0) {
                out.endsInStandstill = out.trailingZeros >= 1200;
                return;
            }
            ++out.trailingZeros;
        }
    }
    out.endsInStandstill = out.trailingZeros >= 1200;
}

void AddTotals(SampleTotals& into, const SampleTotals& file) {
    into.sum += file.sum;
    into.count += file.count;
    if (file.maxSample > into.maxSample) {
        into.maxSample = file.maxSample;
        into.maxTime = file.maxTime;
    }
    into.longestRun = std::max(into.longestRun, file.longestRun);
}

void AddAdjustments(const CardData& card, const ExpectedOptions& options, DayTotals& day) {
    const auto& events = card.logEvents;
    const std::size_t slots = static_cast<std::size_t>(card.scenario.logSlots);
    const std::size_t first = events.size() > slots ? events.size() - slots : 0;
    for (std::size_t i = first; i < events.size(); ++i) {
        const LogEvent& e = events[i];
        if (!IsClockAdjustment(e.code) || (e.badCrc && !options.includeBadCrc)) {
            continue;
        }
        const CivilTime before = ToValidCivil(e.timeBefore + e.zoneMinutes * 60LL);
        const CivilTime after = ToValidCivil(e.timeAfter + e.zoneMinutes * 60LL);
        if (before.Date() == day.date || after.Date() == day.date) {
            day.adjustOld += FormatSlashed(before) + ",";
            day.adjustNew += FormatSlashed(after) + ",";
            day.adjusted = true;
        }
    }
}

class Aggregator {
public:
    Aggregator(const CardData& card, const ExpectedOptions& options, ExpectedTotals& out)
        : m_card(card), m_options(options), m_out(out) {}

    void Add(FileTotals file, bool newRecord, bool newDay) {
        const GeneratedFile& g = m_card.files[file.file];
        if (newDay) {
            CloseDay();
        }
        if (newRecord) {
            m_out.records.push_back({});
            RecordTotals& r = m_out.records.back();
            r.recordIndex = static_cast<int>(m_out.records.size()) - 1;
            r.recordStart = ToValidCivil(g.dtc.header.recordStart + ZoneSeconds(g.dtc.header));
        }
        if (newDay) {
            m_out.days.push_back({});
            m_out.days.back().dayIndex = static_cast<int>(m_out.days.size()) - 1;
            m_out.days.back().recordIndex = static_cast<int>(m_out.records.size()) - 1;
            m_out.days.back().date = file.start.Date();
        }
        file.dayIndex = static_cast<int>(m_out.days.size()) - 1;
        file.recordIndex = static_cast<int>(m_out.records.size()) - 1;
        DayTotals& day = m_out.days.back();
        RecordTotals& record = m_out.records.back();
        if (m_standstill) {
            CivilTime mark = file.start;
            mark.millisecond = 0;
            day.standstills += FormatStampMs(mark) + ",";
            record.standstills += FormatStampMs(mark) + ",";
        }
        m_standstill = file.endsInStandstill;
        AddTotals(day.totals, file.totals);
        AddTotals(record.totals, file.totals);
        day.files.push_back(m_out.files.size());
        const DtcHeader& h = g.dtc.header;
        record.recordStamp = h.recordStamp;
        record.zoneMinutes = h.zoneMinutes;
        record.deviceId = DeviceIdText(h.deviceId);
        record.vehicleNo = h.vehicleNo;
        record.driverName = h.driverName;
        record.stampTime = ToValidCivil(h.recordStamp + ZoneSeconds(h));
        if (file.totals.count > 0) {
            record.recordStop = file.lastSample;
        }
        m_out.files.push_back(file);
    }

    void Finish() { CloseDay(); }

private:
    void CloseDay() {
        if (m_out.days.size() == m_closedDays) {
            return;
        }
        DayTotals& day = m_out.days.back();
        AddAdjustments(m_card, m_options, day);
        RecordTotals& record = m_out.records.back();
        record.drivingDates += FormatDate(day.date) + ",";
        record.days.push_back(m_out.days.size() - 1);
        record.dayCount = static_cast<int>(record.days.size());
        record.adjusted = day.adjusted;
        m_closedDays = m_out.days.size();
    }

    const CardData& m_card;
    const ExpectedOptions& m_options;
    ExpectedTotals& m_out;
    std::size_t m_closedDays = 0;
    bool m_standstill = false;
};

}  // namespace

ExpectedTotals ComputeExpectedTotals(const CardData& card, const ExpectedOptions& options) {
    ExpectedTotals out;
    Aggregator aggregator(card, options, out);
    bool first = true;
    std::uint32_t previousStamp = 0;
    CivilDate previousDate;
    for (std::size_t i = 0; i < card.files.size(); ++i) {
        const GeneratedFile& g = card.files[i];
        FileTotals file;
        file.file = i;
        file.localStart = g.LocalStart();
        file.start = ToValidCivil(file.localStart);
        const SlotMap slots = PlaceMinutes(g, file);
        ScanFile(slots, file);
        FindLast(slots, file);
        const bool newRecord = first || g.dtc.header.recordStamp != previousStamp;
        const bool newDay = newRecord || !(file.start.Date() == previousDate);
        first = false;
        previousStamp = g.dtc.header.recordStamp;
        previousDate = file.start.Date();
        aggregator.Add(file, newRecord, newDay);
    }
    aggregator.Finish();
    return out;
}

}  // namespace vantrel::datagen
