// SPDX-License-Identifier: GPL-3.0-or-later
// Analysis.ini: the defaults, reading them back with notes on what could not be used, and the
// per-vehicle class.
#include "core/analysis/AnalysisProfile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/ini/IniFile.h"
#include "core/util/AtomicFile.h"

namespace vantrel::analysis {
namespace {

constexpr std::array<std::string_view, kVehicleClassCount> kClassNames{"bus", "truck", "taxi",
                                                                       "car"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal number in the C locale ("6", "6.5"); nullopt for anything else, also for a
// number with text after it.
std::optional<double> ParseNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || text.size() > 32) {
        return std::nullopt;
    }
    bool digits = false;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else if (!(c == '-' && i == 0)) {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    // Only digits, one point and a leading minus remain, so strtod's locale cannot matter
    // beyond the point, and the program never changes LC_NUMERIC.
    const std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

struct ThresholdKey {
    std::string_view key;
    double EventThresholds::*member;
    double low;
    double high;
};

constexpr ThresholdKey kThresholdKeys[] = {
    {"SpeedLimit", &EventThresholds::speedLimitKmh, 1.0, 400.0},
    {"SpeedingMargin", &EventThresholds::speedingMarginKmh, 0.0, 200.0},
    {"SuddenAcceleration", &EventThresholds::accelerationKmhPerS, 0.1, 100.0},
    {"SuddenAccelerationFromSpeed", &EventThresholds::accelerationFromKmh, 0.0, 400.0},
    {"SuddenStart", &EventThresholds::startKmhPerS, 0.1, 100.0},
    {"SuddenStartFromSpeed", &EventThresholds::startFromKmh, 0.0, 400.0},
    {"SuddenDeceleration", &EventThresholds::decelerationKmhPerS, 0.1, 100.0},
    {"SuddenDecelerationToSpeed", &EventThresholds::decelerationToKmh, 0.0, 400.0},
    {"SuddenStop", &EventThresholds::stopKmhPerS, 0.1, 100.0},
    {"SuddenStopToSpeed", &EventThresholds::stopToKmh, 0.0, 400.0},
};

// Reads values with notes on the ones that cannot be used.
class ValueReader {
public:
    ValueReader(const ini::IniFile& file, std::vector<std::string>& notes)
        : m_file(file), m_notes(notes) {}

    double Decimal(std::string_view section, std::string_view key, double fallback, double low,
                   double high) const {
        const std::optional<std::string> text = m_file.Find(section, key);
        if (!text) {
            return fallback;
        }
        const std::optional<double> value = ParseNumber(*text);
        if (!value || !std::isfinite(*value) || *value < low || *value > high) {
            Note(section, key, *text, Number(fallback),
                 "a number from " + Number(low) + " to " + Number(high));
            return fallback;
        }
        return *value;
    }

    // Whole minutes or seconds, given back in seconds.
    int Whole(std::string_view section, std::string_view key, int fallbackSeconds, int unit,
              int low, int high) const {
        const std::optional<std::string> text = m_file.Find(section, key);
        if (!text) {
            return fallbackSeconds;
        }
        const std::optional<double> value = ParseNumber(*text);
        if (!value || *value != std::floor(*value) || *value < low || *value > high) {
            Note(section, key, *text, std::to_string(fallbackSeconds / unit),
                 "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
            return fallbackSeconds;
        }
        return static_cast<int>(*value) * unit;
    }

    void Note(std::string_view section, std::string_view key, std::string_view text,
              const std::string& fallback, const std::string& expected) const {
        m_notes.push_back("[" + std::string(section) + "] " + std::string(key) + "=" +
                          std::string(text) + " is not " + expected + "; using " + fallback);
    }

private:
    const ini::IniFile& m_file;
    std::vector<std::string>& m_notes;
};

bool UsableVehicleKey(std::string_view vehicleNo) {
    const std::string_view trimmed = Trimmed(vehicleNo);
    if (trimmed.empty() || trimmed.size() != vehicleNo.size()) {
        return false;
    }
    if (trimmed.front() == '[' || trimmed.front() == ';' || trimmed.front() == '#') {
        return false;
    }
    for (const char c : trimmed) {
        if (c == '=' || c == '\r' || c == '\n' || c == '"') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string_view VehicleClassName(VehicleClass vehicleClass) {
    return kClassNames[static_cast<std::size_t>(vehicleClass)];
}

std::optional<VehicleClass> ParseVehicleClass(std::string_view name) {
    const std::string lower = Lower(Trimmed(name));
    for (std::size_t i = 0; i < kClassNames.size(); ++i) {
        if (lower == kClassNames[i]) {
            return static_cast<VehicleClass>(i);
        }
    }
    return std::nullopt;
}

int DrivingRule::MinimumRestSeconds() const {
    return IsSplit() ? std::min({breakSeconds, splitFirstSeconds, splitSecondSeconds})
                     : breakSeconds;
}

EventThresholds DefaultThresholds(VehicleClass vehicleClass) {
    EventThresholds t;
    t.speedingMarginKmh = 20.0;
    t.longSpeedingSeconds = 180;
    t.speedingDipSeconds = 3;
    t.suddenDipSeconds = 3;
    t.accelerationFromKmh = 6.0;
    t.startFromKmh = 5.0;
    t.decelerationToKmh = 6.0;
    t.stopToKmh = 5.0;
    switch (vehicleClass) {
        case VehicleClass::Bus:
            t.speedLimitKmh = 100.0;
            t.accelerationKmhPerS = 6.0;
            t.startKmhPerS = 8.0;
            t.decelerationKmhPerS = 9.0;
            t.stopKmhPerS = 9.0;
            break;
        case VehicleClass::Truck:
            t.speedLimitKmh = 80.0;
            t.accelerationKmhPerS = 5.0;
            t.startKmhPerS = 6.0;
            t.decelerationKmhPerS = 8.0;
            t.stopKmhPerS = 8.0;
            break;
        case VehicleClass::Taxi:
        case VehicleClass::Car:
            t.speedLimitKmh = 100.0;
            t.accelerationKmhPerS = 8.0;
            t.startKmhPerS = 10.0;
            t.decelerationKmhPerS = 14.0;
            t.stopKmhPerS = 14.0;
            break;
    }
    return t;
}

std::vector<DrivingRule> DefaultRules() {
    return {{"short", 2 * 3600, 15 * 60, 0, 0},
            {"eu", 4 * 3600 + 30 * 60, 45 * 60, 15 * 60, 30 * 60}};
}

std::string DefaultProfileText() {
    std::string text =
        "; Thresholds of the driving analysis (vantrel-cli analyse and summary).\n"
        ";\n"
        "; Events are found from the half-second distance samples alone: speeding, long\n"
        "; speeding, sudden acceleration, sudden start, sudden deceleration and sudden stop.\n"
        "; Lane changes, overtaking, turns and U-turns need the heading or position of the\n"
        "; vehicle, which the recorder does not store, so they are never reported.\n"
        ";\n"
        "; Sources of the defaults:\n"
        "; - SpeedingMargin 20 km/h and LongSpeeding 180 s follow the Korean transport-safety\n"
        ";   criteria for dangerous driving of commercial vehicles (speeding: more than 20 km/h\n"
        ";   over the road's limit; long speeding: the same for 3 minutes or more).\n"
        "; - SpeedingDipSeconds 3 s: default chosen by us. A recorder's speed jitters by a few\n"
        ";   km/h, so a run of speeding ends only once the speed has stayed at or below the\n"
        ";   threshold this long; a shorter dip is part of the run and does not split it into\n"
        ";   many speedings (nor hide a long speeding). 0 ends a run at the first such sample.\n"
        "; - SuddenDipSeconds 3 s: default chosen by us, for the same reason: one hard launch\n"
        ";   or braking near a threshold is one event, not one for each time the change of\n"
        ";   speed in one second dips just under it.\n"
        "; - SpeedLimit: the samples do not tell the road's limit, so one limit is assumed for\n"
        ";   every road. Default chosen by us: the usual Korean expressway limit of the class\n"
        ";   (80 km/h for trucks, 100 km/h for the others).\n"
        "; - The sudden acceleration, start, deceleration and stop values of bus, truck and\n"
        ";   taxi are our reading of the per-class figures of the same criteria (from 6 km/h or\n"
        ";   more; a start from 5 km/h or less; slowing to 6 km/h or more; a stop to 5 km/h or\n"
        ";   less). They have not been checked against the current official table (earlier\n"
        ";   editions used one figure for every class): check them before relying on them.\n"
        "; - car: default chosen by us (the taxi values; the criteria cover commercial\n"
        ";   vehicles only).\n"
        "; - [Rule short] 2 h driving, then at least 15 min rest: the Korean rest rule for bus\n"
        ";   and truck drivers.\n"
        "; - [Rule eu] 4 h 30 min driving, then a break of at least 45 min, which may be split\n"
        ";   into 15 min followed by 30 min; [Daily] 9 h a day, 10 h on at most two days a\n"
        ";   week: the EU driving-time rules for drivers (Regulation (EC) No 561/2006).\n"
        ";\n"
        "; A rest is a standstill or a time without samples of at least the rule's shortest\n"
        "; break. Speeds in km/h, accelerations in km/h per second, times as the keys say.\n"
        "\n"
        "[General]\n"
        "; Class of a vehicle that is not listed under [Vehicles]: bus, truck, taxi or car.\n"
        "DefaultClass=truck\n"
        "\n"
        "[Vehicles]\n"
        "; <vehicle number>=<class>, for example: 서울 34나 7812=bus\n"
        "\n";
    for (std::size_t i = 0; i < kVehicleClassCount; ++i) {
        const EventThresholds t = DefaultThresholds(static_cast<VehicleClass>(i));
        text += "[" + std::string(kClassNames[i]) + "]\n";
        for (const ThresholdKey& key : kThresholdKeys) {
            text += std::string(key.key) + "=" + Number(t.*key.member) + "\n";
            if (key.key == "SpeedingMargin") {
                text += "LongSpeedingSeconds=" + std::to_string(t.longSpeedingSeconds) + "\n";
                text += "SpeedingDipSeconds=" + std::to_string(t.speedingDipSeconds) + "\n";
                text += "SuddenDipSeconds=" + std::to_string(t.suddenDipSeconds) + "\n";
            }
        }
        text += "\n";
    }
    text += "[Rules]\n; The continuous-driving rules checked, each a [Rule NAME] section.\n";
    text += "Names=";
    const std::vector<DrivingRule> rules = DefaultRules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        text += (i == 0 ? "" : ",") + rules[i].name;
    }
    text += "\n\n";
    for (const DrivingRule& rule : rules) {
        text += "[Rule " + rule.name + "]\n";
        text += "DrivingMinutes=" + std::to_string(rule.maxDrivingSeconds / 60) + "\n";
        text += "BreakMinutes=" + std::to_string(rule.breakSeconds / 60) + "\n";
        text += "; A split break: the first part, then later the second (0 and 0: no split).\n";
        text += "SplitFirstMinutes=" + std::to_string(rule.splitFirstSeconds / 60) + "\n";
        text += "SplitSecondMinutes=" + std::to_string(rule.splitSecondSeconds / 60) + "\n\n";
    }
    const DailyLimit daily;
    text += "[Daily]\n";
    text += "LimitMinutes=" + std::to_string(daily.limitSeconds / 60) + "\n";
    text += "ExtendedMinutes=" + std::to_string(daily.extendedSeconds / 60) + "\n";
    text += "ExtendedDaysPerWeek=" + std::to_string(daily.extendedDaysPerWeek) + "\n";
    return text;
}

ProfileFile::ProfileFile() : m_rules(DefaultRules()) {
    for (std::size_t i = 0; i < kVehicleClassCount; ++i) {
        m_thresholds[i] = DefaultThresholds(static_cast<VehicleClass>(i));
    }
}

ProfileFile ProfileFile::Load(const std::string& path) {
    ProfileFile profile;
    profile.m_strPath = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) {
            std::filesystem::create_directories(folder, ec);
        }
        if (WriteFileAtomically(path, DefaultProfileText())) {
            profile.m_aNotes.push_back("created with the default thresholds");
        } else {
            profile.m_aNotes.push_back("cannot create " + path + "; using the default thresholds");
        }
        return profile;
    }
    const ini::IniFile file = ini::IniFile::Load(path);
    if (!std::filesystem::is_regular_file(path, ec) || !file.exists() || file.readFailed()) {
        profile.m_aNotes.push_back("cannot be read; using the default thresholds");
        return profile;
    }
    profile.Read(file);
    return profile;
}

void ProfileFile::Read(const ini::IniFile& file) {
    const ValueReader reader(file, m_aNotes);
    if (const auto text = file.Find("General", "DefaultClass")) {
        if (const auto parsed = ParseVehicleClass(*text)) {
            m_defaultClass = *parsed;
        } else {
            reader.Note("General", "DefaultClass", *text, "truck", "bus, truck, taxi or car");
        }
    }
    for (std::size_t i = 0; i < kVehicleClassCount; ++i) {
        const std::string_view section = kClassNames[i];
        EventThresholds& t = m_thresholds[i];
        if (!file.HasSection(section)) {
            m_aNotes.push_back("no [" + std::string(section) + "] section; using its defaults");
            continue;
        }
        for (const ThresholdKey& key : kThresholdKeys) {
            t.*key.member = reader.Decimal(section, key.key, t.*key.member, key.low, key.high);
        }
        t.longSpeedingSeconds =
            reader.Whole(section, "LongSpeedingSeconds", t.longSpeedingSeconds, 1, 1, 86'400);
        t.speedingDipSeconds =
            reader.Whole(section, "SpeedingDipSeconds", t.speedingDipSeconds, 1, 0, 3600);
        t.suddenDipSeconds =
            reader.Whole(section, "SuddenDipSeconds", t.suddenDipSeconds, 1, 0, 3600);
    }

    if (const auto names = file.Find("Rules", "Names")) {
        std::vector<DrivingRule> rules;
        std::size_t start = 0;
        while (start <= names->size()) {
            const std::size_t comma = std::min(names->find(',', start), names->size());
            const std::string name(Trimmed(std::string_view(*names).substr(start, comma - start)));
            start = comma + 1;
            if (name.empty() || Lower(name) == kDailyRuleName) {
                if (!name.empty()) {
                    m_aNotes.push_back("[Rules] the name \"daily\" is the daily limit's; left out");
                }
                continue;
            }
            const std::string section = "Rule " + name;
            if (!file.HasSection(section)) {
                m_aNotes.push_back("[Rules] names " + name + " but there is no [" + section +
                                   "] section; left out");
                continue;
            }
            DrivingRule rule{name, 0, 0, 0, 0};
            for (const DrivingRule& fallback : DefaultRules()) {
                if (Lower(fallback.name) == Lower(name)) {
                    rule = fallback;
                    rule.name = name;
                }
            }
            rule.maxDrivingSeconds =
                reader.Whole(section, "DrivingMinutes", rule.maxDrivingSeconds, 60, 1, 1440);
            rule.breakSeconds =
                reader.Whole(section, "BreakMinutes", rule.breakSeconds, 60, 1, 1440);
            rule.splitFirstSeconds =
                reader.Whole(section, "SplitFirstMinutes", rule.splitFirstSeconds, 60, 0, 1440);
            rule.splitSecondSeconds =
                reader.Whole(section, "SplitSecondMinutes", rule.splitSecondSeconds, 60, 0, 1440);
            if (rule.maxDrivingSeconds <= 0 || rule.breakSeconds <= 0) {
                m_aNotes.push_back("[" + section +
                                   "] needs DrivingMinutes and BreakMinutes; left out");
                continue;
            }
            rules.push_back(rule);
        }
        m_rules = std::move(rules);
    }

    const DailyLimit fallback;
    m_daily.limitSeconds =
        reader.Whole("Daily", "LimitMinutes", fallback.limitSeconds, 60, 1, 1440);
    m_daily.extendedSeconds =
        reader.Whole("Daily", "ExtendedMinutes", fallback.extendedSeconds, 60, 1, 1440);
    m_daily.extendedDaysPerWeek =
        reader.Whole("Daily", "ExtendedDaysPerWeek", fallback.extendedDaysPerWeek, 1, 0, 7);
    if (m_daily.extendedSeconds < m_daily.limitSeconds) {
        m_aNotes.push_back("[Daily] ExtendedMinutes is below LimitMinutes; using LimitMinutes");
        m_daily.extendedSeconds = m_daily.limitSeconds;
    }

    for (const std::string& key : file.Keys("Vehicles")) {
        const std::string value = file.GetString("Vehicles", key, "");
        if (const auto parsed = ParseVehicleClass(value)) {
            m_vehicles.emplace_back(key, *parsed);
        } else {
            reader.Note("Vehicles", key, value, "the default class", "bus, truck, taxi or car");
        }
    }
}

VehicleClass ProfileFile::ClassOf(std::string_view vehicleNo) const {
    const std::string_view wanted = Trimmed(vehicleNo);
    for (const auto& [vehicle, vehicleClass] : m_vehicles) {
        if (Lower(vehicle) == Lower(wanted)) {
            return vehicleClass;
        }
    }
    return m_defaultClass;
}

AnalysisProfile ProfileFile::Profile(VehicleClass vehicleClass) const {
    return {vehicleClass, m_thresholds[static_cast<std::size_t>(vehicleClass)], m_rules, m_daily};
}

bool ProfileFile::SetVehicleClass(std::string_view vehicleNo, VehicleClass vehicleClass) {
    if (m_strPath.empty() || !UsableVehicleKey(vehicleNo)) {
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(m_strPath, ec) &&
        !std::filesystem::is_regular_file(m_strPath, ec)) {
        return false;
    }
    ini::IniFile file = ini::IniFile::Load(m_strPath);
    if (file.readFailed()) {
        return false;
    }
    file.Set("Vehicles", vehicleNo, VehicleClassName(vehicleClass));
    if (!file.Save(m_strPath)) {
        return false;
    }
    for (auto& [vehicle, stored] : m_vehicles) {
        if (Lower(vehicle) == Lower(vehicleNo)) {
            stored = vehicleClass;
            return true;
        }
    }
    m_vehicles.emplace_back(std::string(vehicleNo), vehicleClass);
    return true;
}

std::string ProfilePathBeside(std::string_view appIniPath) {
    if (appIniPath.empty()) {
        return {};
    }
    return (std::filesystem::path(appIniPath).parent_path() / "Analysis.ini").string();
}

}  // namespace vantrel::analysis
