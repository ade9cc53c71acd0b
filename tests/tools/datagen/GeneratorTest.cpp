// SPDX-License-Identifier: GPL-3.0-or-later
// The generator as a whole: the same seed gives the same bytes on every machine, every named
// scenario yields well-formed files that a plain reader accepts, the vehicle moves like a
// vehicle, and each special case of the "features" and "unset-clock" scenarios is present.
//
// GeneratorGolden pins a digest of one scenario's bytes. When the generator is changed on
// purpose, run the test, check the new data (vantrel-datagen --scenario features --seed 1)
// and put the digest it prints into kFeaturesDigest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "tests/tools/datagen/DtcTestReader.h"
#include "tools/datagen/ExpectedTotals.h"
#include "tools/datagen/Generator.h"

namespace vantrel::datagen {
namespace {

using testing::ParseDtc;
using testing::ReadDtc;

CardData Generate(const std::string& name, std::uint64_t seed) {
    std::optional<Scenario> scenario = NamedScenario(name);
    EXPECT_TRUE(scenario.has_value()) << name;
    std::string error;
    std::optional<CardData> card = GenerateCard(*scenario, seed, &error);
    EXPECT_TRUE(card.has_value()) << error;
    return card ? std::move(*card) : CardData{};
}

std::uint64_t Digest(const CardData& card) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    auto add = [&](const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash = (hash ^ data[i]) * 0x100000001B3ull;
        }
    };
    for (const GeneratedFile& file : card.files) {
        add(reinterpret_cast<const std::uint8_t*>(file.name.data()), file.name.size());
        const auto bytes = file.Encode();
        add(bytes.data(), bytes.size());
    }
    const auto log = card.EncodeSystemLog();
    add(log.data(), log.size());
    return hash;
}

std::uint32_t Local(const ReadDtc& d, std::uint32_t deviceTime) {
    return deviceTime + static_cast<std::uint32_t>(d.zone * 60);
}

std::uint32_t LastMinuteTime(const ReadDtc& d) {
    std::uint32_t last = 0;
    for (const auto& b : d.blocks) {
        last = b.tag == kTagMinute ? b.time : last;
    }
    return last;
}

const GeneratedFile* FileOf(const CardData& card, TripRef trip) {
    for (const GeneratedFile& f : card.files) {
        if (f.trip == trip) {
            return &f;
        }
    }
    return nullptr;
}

const std::vector<std::string> kQuickScenarios{"small",    "week",        "month",
                                               "features", "unset-clock", "west"};

TEST(GenerateCard, SameSeedSameBytesOtherSeedOtherBytes) {
    for (const std::string& name : kQuickScenarios) {
        const CardData a = Generate(name, 1);
        const CardData b = Generate(name, 1);
        const CardData c = Generate(name, 2);
        ASSERT_EQ(a.files.size(), b.files.size()) << name;
        for (std::size_t i = 0; i < a.files.size(); ++i) {
            EXPECT_EQ(a.files[i].name, b.files[i].name);
            EXPECT_EQ(a.files[i].Encode(), b.files[i].Encode()) << name << " file " << i;
        }
        EXPECT_EQ(a.EncodeSystemLog(), b.EncodeSystemLog()) << name;
        EXPECT_NE(Digest(a), Digest(c)) << name;
    }
}

TEST(GeneratorGolden, FeaturesSeedOneIsTheSameEverywhere) {
    constexpr std::uint64_t kFeaturesDigest = 0x7377EC9B02EBCF5Cull;
    const CardData card = Generate("features", 1);
    EXPECT_EQ(Digest(card), kFeaturesDigest) << "digest 0x" << std::hex << Digest(card);
}

TEST(GenerateCard, RejectsUnusableScenarios) {
    struct Case {
        const char* what;
        void (*change)(Scenario&);
    };
    const Case cases[] = {
        {"short prefix", [](Scenario& s) { s.namePrefix = "VQ0A1B2C"; }},
        {"prefix with _", [](Scenario& s) { s.namePrefix = "VQ0A1B2C_D"; }},
        {"no driver", [](Scenario& s) { s.drivers.clear(); }},
        {"no days", [](Scenario& s) { s.days = 0; }},
        {"bad date",
         [](Scenario& s) {
             s.startDate = {2015, 2, 29};
         }},
        {"min > max trips", [](Scenario& s) { s.minTripsPerDay = 4; }},
        {"zone", [](Scenario& s) { s.zoneMinutes = 900; }},
        {"log size", [](Scenario& s) { s.logSlots = 500; }},
        {"quirk day",
         [](Scenario& s) {
             s.quirks = {{{9, 0}, FileQuirk::HeaderOnly}};
         }},
        {"break driver",
         [](Scenario& s) {
             s.recordBreaks = {{{1, 0}, 3, {}}};
         }},
        {"first trip shares",
         [](Scenario& s) {
             s.quirks = {{{1, 0}, FileQuirk::SharesMinute}};
         }},
        {"after midnight trip",
         [](Scenario& s) {
             s.quirks = {{{1, 0}, FileQuirk::CrossesMidnight}, {{1, 1}, FileQuirk::HeaderOnly}};
         }},
        {"adjustment minute",
         [](Scenario& s) {
             s.clockAdjustments = {{0, 1440, 60, 10, true, false, false}};
         }},
    };
    for (const Case& c : cases) {
        Scenario s = *NamedScenario("small");
        c.change(s);
        std::string error;
        EXPECT_FALSE(GenerateCard(s, 1, &error).has_value()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    Scenario ok = *NamedScenario("small");
    ok.namePrefix = "KR00012345";
    EXPECT_TRUE(GenerateCard(ok, 1).has_value());
}

// Per file: header, names, block order and times, and plausible samples.
void CheckFile(const Scenario& s, const GeneratedFile& file, const ReadDtc& d, bool& setBack) {
    EXPECT_EQ(file.name.size(), 30u);
    EXPECT_EQ(file.name.substr(0, 11), s.FilePrefix() + "_");
    EXPECT_EQ(file.name.substr(26), ".dtc");
    const CivilTime start = ToCivil(Local(d, d.fileStart));
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", start.year, start.month,
                  start.day, start.hour, start.minute, start.second);
    EXPECT_EQ(file.name.substr(11, 15), stamp);
    EXPECT_EQ(file.monthFolder, file.name.substr(11, 6));
    EXPECT_EQ(d.zone, s.zoneMinutes);
    EXPECT_EQ(std::memcmp(d.id, s.deviceId.data(), 3), 0);
    // Names longer than the field are cut to 31 characters.
    auto fits = [](const std::string& text) { return Utf8ToUtf16(text).substr(0, 31); };
    EXPECT_EQ(d.vehicle, fits(s.vehicleNo));
    EXPECT_TRUE(std::any_of(s.drivers.begin(), s.drivers.end(),
                            [&](const std::string& n) { return fits(n) == d.driver; }));
    EXPECT_TRUE(d.nameTerminated);
    if (d.blocks.empty()) {
        return;  // a header-only file
    }
    ASSERT_EQ(d.blocks.front().tag, kTagHour) << file.name;
    std::uint32_t hourOfTh = 0;
    std::int64_t previous = -1;  // absolute half-second of the previous sample
    std::uint16_t previousSample = 0;
    std::uint32_t previousTime = 0;
    bool firstMinute = true;
    for (const auto& b : d.blocks) {
        const std::uint32_t local = Local(d, b.time);
        if (b.tag == kTagHour) {
            hourOfTh = local / 3600;
            continue;
        }
        EXPECT_EQ(local / 3600, hourOfTh) << file.name << ": TM without the TH of its hour";
        if (firstMinute) {
            EXPECT_EQ(b.time, d.fileStart) << file.name;
            for (std::uint32_t k = 0; k < (local % 60) * 2; ++k) {
                EXPECT_EQ(b.samples[k], kNoSample) << "sample before the start";
            }
        } else if (b.time <= previousTime) {
            setBack = true;
        } else {
            EXPECT_LT(b.time - previousTime, 86400u) << file.name;
        }
        firstMinute = false;
        previousTime = b.time;
        for (std::size_t k = 0; k < 120; ++k) {
            const std::uint16_t sample = b.samples[k];
            if (sample == kNoSample) {
                continue;
            }
            ASSERT_LE(sample, 2778) << file.name << ": faster than 200 km/h";
            const std::int64_t at =
                static_cast<std::int64_t>(local - local % 60) * 2 + static_cast<std::int64_t>(k);
            if (at == previous + 1) {
                ASSERT_LE(std::abs(sample - previousSample), 250)
                    << file.name << ": more than 10 m/s^2 at " << k;
            }
            previous = at;
            previousSample = sample;
        }
    }
}

class NamedScenarioFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(NamedScenarioFiles, AreWellFormedAndPlausible) {
    const CardData card = Generate(GetParam(), 3);
    ASSERT_FALSE(card.files.empty());
    int setBacks = 0;
    for (std::size_t i = 0; i < card.files.size(); ++i) {
        const GeneratedFile& file = card.files[i];
        const std::vector<std::uint8_t> bytes = file.Encode();
        const ReadDtc d = ParseDtc(bytes);
        ASSERT_TRUE(d.ok) << file.name << ": " << d.problem;
        EXPECT_EQ((bytes.size() - 36 - 220) % 256, 0u);
        bool setBack = false;
        CheckFile(card.scenario, file, d, setBack);
        const bool notClosed = !d.blocks.empty() && LastMinuteTime(d) < d.fileStart;
        EXPECT_EQ(notClosed, card.scenario.Has(file.trip, FileQuirk::NotClosedNormally))
            << file.name;
        setBacks += setBack ? 1 : 0;
        if (i > 0) {
            EXPECT_LT(card.files[i - 1].name, file.name);
        }
    }
    const auto wanted =
        std::count_if(card.scenario.quirks.begin(), card.scenario.quirks.end(),
                      [](const QuirkSpec& q) { return q.quirk == FileQuirk::NotClosedNormally; });
    EXPECT_EQ(setBacks, wanted);
    const std::vector<std::uint8_t> log = card.EncodeSystemLog();
    EXPECT_EQ(log.size(), 64u + 64u * static_cast<std::size_t>(card.scenario.logSlots));
}

INSTANTIATE_TEST_SUITE_P(All, NamedScenarioFiles,
                         ::testing::Values("small", "week", "month", "year", "features",
                                           "unset-clock", "west", "odd-names"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The drive model's repertoire shows up in a month of data.
TEST(DriveModel, MonthShowsTheWholeRepertoire) {
    const CardData card = Generate("month", 5);
    const int limitSample = card.scenario.style.speedLimitKmh * 1000 / 72;  // cm per half-second
    bool speeding = false, hardBrake = false, pullAway = false, longStandstill = false;
    bool dropout = false, missingMinute = false;
    for (const GeneratedFile& file : card.files) {
        const ReadDtc d = ParseDtc(file.Encode());
        std::uint32_t zeros = 0;
        std::uint32_t lastTime = 0;
        std::uint16_t prev = kNoSample;
        bool seenSample = false;
        for (const auto& b : d.blocks) {
            if (b.tag != kTagMinute) {
                continue;
            }
            missingMinute =
                missingMinute || (lastTime != 0 && b.time - lastTime > 119 && b.time > lastTime);
            lastTime = b.time;
            for (std::uint16_t sample : b.samples) {
                if (sample == kNoSample) {
                    dropout = dropout || (seenSample && prev != 0 && prev != kNoSample);
                    prev = sample;
                    continue;
                }
                seenSample = true;
                speeding = speeding || sample > limitSample + 100;
                zeros = sample == 0 ? zeros + 1 : 0;
                longStandstill = longStandstill || zeros >= 1200;
                if (prev != kNoSample) {
                    hardBrake = hardBrake || prev - sample >= 150;
                    pullAway = pullAway || (sample - prev >= 25 && sample - prev <= 75);
                }
                prev = sample;
            }
        }
    }
    EXPECT_TRUE(speeding);
    EXPECT_TRUE(hardBrake);
    EXPECT_TRUE(pullAway);
    EXPECT_TRUE(longStandstill);
    EXPECT_TRUE(dropout);
    EXPECT_TRUE(missingMinute);
}

class FeaturesScenario : public ::testing::TestWithParam<std::uint64_t> {
protected:
    void SetUp() override { m_card = Generate("features", GetParam()); }
    const GeneratedFile& File(TripRef trip) {
        const GeneratedFile* file = FileOf(m_card, trip);
        EXPECT_NE(file, nullptr) << trip.day << "/" << trip.trip;
        return file != nullptr ? *file : m_card.files.front();
    }
    CardData m_card;
};

TEST_P(FeaturesScenario, RecordsDriversAndZone) {
    std::vector<std::uint32_t> stamps;
    for (const GeneratedFile& f : m_card.files) {
        if (stamps.empty() || stamps.back() != f.dtc.header.recordStamp) {
            stamps.push_back(f.dtc.header.recordStamp);
        }
        EXPECT_EQ(f.dtc.header.zoneMinutes, 540);
        EXPECT_EQ(f.LocalStart(), f.dtc.header.fileStart + 32400u);
        EXPECT_EQ(f.dtc.header.driverName, m_card.scenario.drivers[f.record == 1 ? 1 : 0]);
        EXPECT_LE(f.dtc.header.recordStamp, f.dtc.header.recordStart);
    }
    EXPECT_EQ(stamps.size(), 3u);
    EXPECT_EQ(File({2, 0}).record, 0);
    EXPECT_EQ(File({2, 1}).record, 1);
    EXPECT_EQ(File({4, 0}).record, 2);
}

TEST_P(FeaturesScenario, SpecialFiles) {
    EXPECT_TRUE(File({3, 1}).dtc.blocks.empty());
    EXPECT_EQ(File({3, 1}).dtc.EncodedSize(), 256u);

    const ReadDtc crossing = ParseDtc(File({1, 2}).Encode());
    EXPECT_EQ(ToCivil(Local(crossing, crossing.fileStart)).Date(), (CivilDate{2015, 3, 10}));
    EXPECT_EQ(ToCivil(Local(crossing, LastMinuteTime(crossing))).Date(), (CivilDate{2015, 3, 11}));

    const ReadDtc before = ParseDtc(File({2, 1}).Encode());
    const ReadDtc after = ParseDtc(File({2, 2}).Encode());
    const auto& lastTm = before.blocks.back();
    const auto& firstTm = after.blocks.at(1);
    EXPECT_EQ(Local(before, lastTm.time) / 60, Local(after, firstTm.time) / 60);
    EXPECT_EQ(Local(after, firstTm.time) % 60, 40u);
    EXPECT_NE(lastTm.samples[39], kNoSample);
    EXPECT_EQ(lastTm.samples[40], kNoSample);
    EXPECT_EQ(firstTm.samples[79], kNoSample);
    EXPECT_NE(firstTm.samples[80], kNoSample);

    const ExpectedTotals totals = ComputeExpectedTotals(m_card);
    for (const FileTotals& f : totals.files) {
        const TripRef trip = m_card.files[f.file].trip;
        if (trip == TripRef{0, 0} || trip == TripRef{5, 0}) {
            EXPECT_TRUE(f.endsInStandstill);
        }
        if (trip == TripRef{0, 1}) {
            EXPECT_FALSE(f.endsInStandstill);
        }
    }
    const CivilTime mark = ToCivil(File({0, 1}).LocalStart());
    EXPECT_NE(totals.days.at(0).standstills.find(FormatStamp(mark) + ".0,"), std::string::npos);
}

TEST_P(FeaturesScenario, LogHasTheAdjustmentsAndOtherEvents) {
    const std::vector<std::uint8_t> log = m_card.EncodeSystemLog();
    ASSERT_EQ(log.size(), 64'064u);
    std::map<std::uint32_t, int> codes;
    int badCrcs = 0;
    bool acrossMidnight = false;
    for (std::size_t at = 64; at < log.size(); at += 64) {
        if (std::memcmp(&log[at], "KCCC", 4) != 0) {
            continue;
        }
        const std::uint32_t code = testing::U32(log, at + 8);
        ++codes[code];
        badCrcs += testing::U16(log, at + 62) != testing::ReferenceCrc(&log[at], 62) ? 1 : 0;
        const auto zone = static_cast<std::int16_t>(testing::U16(log, at + 16));
        const CivilTime b = ToCivil(testing::I64(log, at + 20) + zone * 60);
        const CivilTime a = ToCivil(testing::I64(log, at + 28) + zone * 60);
        if (code == kEventClockSet && FormatSlashed(b) == "2015/03/11 23:59:00" &&
            FormatSlashed(a) == "2015/03/12 00:01:00") {
            acrossMidnight = true;
        }
    }
    EXPECT_TRUE(acrossMidnight);
    EXPECT_EQ(badCrcs, 1);
    EXPECT_EQ(codes[kEventClockSet], 3);  // across midnight, the set-back, the bad checksum
    EXPECT_EQ(codes[kEventClockSync], 2);
    EXPECT_GE(codes[kEventPowerOn], 6);
    EXPECT_EQ(codes[kEventCardInserted], 1);
}

INSTANTIATE_TEST_SUITE_P(Seeds, FeaturesScenario, ::testing::Values(1, 2, 3, 4));

TEST(UnsetClock, TimesStayInvalidUntilTheClockIsSet) {
    const CardData card = Generate("unset-clock", 1);
    int invalid = 0;
    for (const GeneratedFile& f : card.files) {
        const bool before = f.trip.day < 2;
        EXPECT_EQ(f.LocalStart() < kFirstValidTime, before) << f.name;
        if (before) {
            ++invalid;
            EXPECT_EQ(f.name.substr(11, 6), "197001");
            EXPECT_LT(f.dtc.header.recordStamp, kFirstValidTime);
        }
    }
    EXPECT_GT(invalid, 0);
    const auto set = std::find_if(card.logEvents.begin(), card.logEvents.end(),
                                  [](const LogEvent& e) { return e.code == kEventClockSet; });
    ASSERT_NE(set, card.logEvents.end());
    EXPECT_LT(set->timeBefore, kFirstValidTime);
    EXPECT_EQ(ToCivil(set->timeAfter + 540 * 60), (CivilTime{2015, 3, 11, 4, 0, 0, 0}));
}

TEST(WestScenario, NegativeZoneAndLeapDay) {
    const CardData card = Generate("west", 1);
    bool leapDay = false;
    for (const GeneratedFile& f : card.files) {
        const std::vector<std::uint8_t> bytes = f.Encode();
        EXPECT_EQ(testing::U16(bytes, 38 + 20), 0xFED4);  // -300 minutes
        EXPECT_EQ(f.LocalStart(), f.dtc.header.fileStart - 18000u);
        leapDay = leapDay || f.name.find("_20160229_") != std::string::npos;
    }
    EXPECT_TRUE(leapDay);
}

}  // namespace
}  // namespace vantrel::datagen
