// SPDX-License-Identifier: GPL-3.0-or-later
// The thresholds of the driving analysis: one profile of event thresholds per vehicle class
// (bus, truck, taxi, car), the driving-time rule sets, the daily driving limit, and which class
// each vehicle belongs to. They live in Analysis.ini beside App.ini.
//
// Analysis.ini:
//   [General]  DefaultClass=truck            class of a vehicle not listed under [Vehicles]
//   [Vehicles] <vehicle number>=bus|truck|taxi|car
//   [bus] [truck] [taxi] [car]               event thresholds (keys: kThresholdKeys below)
//   [Rules]    Names=short,eu                the continuous-driving rules checked, in order
//   [Rule short], [Rule eu]                  DrivingMinutes, BreakMinutes, SplitFirstMinutes,
//                                            SplitSecondMinutes (0 0: the break is not split)
//   [Daily]    LimitMinutes=540 ExtendedMinutes=600 ExtendedDaysPerWeek=2
//
// Where a value is missing the built-in default is used; where one cannot be read (not a
// number, out of range) the default is used and a note says so. A missing file is written
// with the defaults and their sources as comments (DefaultProfileText()); a file that cannot
// be read at all leaves every value at its default with a note. Nothing here throws.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::ini {
class IniFile;
}

namespace vantrel::analysis {

enum class VehicleClass { Bus = 0, Truck = 1, Taxi = 2, Car = 3 };
inline constexpr std::size_t kVehicleClassCount = 4;

// "bus", "truck", "taxi", "car"; the names of the profile sections and of --profile.
std::string_view VehicleClassName(VehicleClass vehicleClass);
// The class of a name, without regard to letter case and surrounding blanks.
std::optional<VehicleClass> ParseVehicleClass(std::string_view name);

// The thresholds of the six events derived from speed. Speeds in km/h, accelerations in km/h
// per second (the change of speed between two samples one second apart).
struct EventThresholds {
    // The road's limit is not in the samples: one limit is assumed for every road.
    double speedLimitKmh = 80.0;
    // Speeding: faster than speedLimitKmh + speedingMarginKmh.
    double speedingMarginKmh = 20.0;
    // Long speeding: one speeding run lasting at least this long.
    int longSpeedingSeconds = 180;
    // A speeding run ends only once the speed has stayed at or below the speeding threshold
    // this long; a shorter dip is part of the run (0: the first such sample ends it).
    int speedingDipSeconds = 3;
    // A sudden acceleration, start, deceleration or stop goes on as one event while its
    // condition fails for less than this; runs whose spans overlap are one event at any value.
    int suddenDipSeconds = 3;
    // Sudden acceleration: at least accelerationKmhPerS, from a speed of at least
    // accelerationFromKmh.
    double accelerationKmhPerS = 5.0;
    double accelerationFromKmh = 6.0;
    // Sudden start: at least startKmhPerS, from a speed of at most startFromKmh.
    double startKmhPerS = 6.0;
    double startFromKmh = 5.0;
    // Sudden deceleration: slowing by at least decelerationKmhPerS to a speed of at least
    // decelerationToKmh.
    double decelerationKmhPerS = 8.0;
    double decelerationToKmh = 6.0;
    // Sudden stop: slowing by at least stopKmhPerS to a speed of at most stopToKmh.
    double stopKmhPerS = 8.0;
    double stopToKmh = 5.0;

    double SpeedingAboveKmh() const { return speedLimitKmh + speedingMarginKmh; }
};

// A continuous-driving rule: at most maxDrivingSeconds of driving, then a break of at least
// breakSeconds. With a split (splitFirstSeconds > 0) the break may instead be taken as a first
// part of at least splitFirstSeconds followed later by a second part of at least
// splitSecondSeconds, in that order.
struct DrivingRule {
    std::string name;
    int maxDrivingSeconds = 0;
    int breakSeconds = 0;
    int splitFirstSeconds = 0;
    int splitSecondSeconds = 0;

    bool IsSplit() const { return splitFirstSeconds > 0 && splitSecondSeconds > 0; }
    // The shortest interruption that counts as (part of) a rest for this rule.
    int MinimumRestSeconds() const;
};

// The daily driving limit: limitSeconds per calendar day, extendedSeconds on at most
// extendedDaysPerWeek days of one week (Monday to Sunday).
struct DailyLimit {
    int limitSeconds = 9 * 3600;
    int extendedSeconds = 10 * 3600;
    int extendedDaysPerWeek = 2;
};

inline constexpr std::string_view kDailyRuleName = "daily";

// Everything one analysis run needs.
struct AnalysisProfile {
    VehicleClass vehicleClass = VehicleClass::Truck;
    EventThresholds events;
    std::vector<DrivingRule> rules;
    DailyLimit daily;
};

// The built-in defaults (the values DefaultProfileText() writes).
EventThresholds DefaultThresholds(VehicleClass vehicleClass);
std::vector<DrivingRule> DefaultRules();

// The text of a new Analysis.ini: every default with where it comes from.
std::string DefaultProfileText();

// The profile file as read once. Lookups never touch the disk; SetVehicleClass writes.
class ProfileFile {
public:
    // Built-in defaults only, no file (for tests and for a tool without a configuration folder).
    ProfileFile();

    // Reads path; writes it with DefaultProfileText() first when it does not exist (a note
    // says so; when it cannot be written the defaults are used all the same).
    static ProfileFile Load(const std::string& path);

    const std::string& Path() const { return m_strPath; }
    // What the reader had to say about the file (to be shown after its path): that it was
    // created, values it could not use. Empty when the file was read as it is.
    const std::vector<std::string>& Notes() const { return m_aNotes; }

    VehicleClass DefaultClass() const { return m_defaultClass; }
    // The class chosen for a vehicle number, else the default class.
    VehicleClass ClassOf(std::string_view vehicleNo) const;
    // The profile of a class: its thresholds with the shared rules and daily limit.
    AnalysisProfile Profile(VehicleClass vehicleClass) const;

    // Stores the class of a vehicle under [Vehicles] and writes the file (other lines kept).
    // False, with nothing changed, without a file path, for an empty vehicle number or one
    // that cannot be an INI key ('=' in it, or '[' or ';' first), or when the write fails.
    bool SetVehicleClass(std::string_view vehicleNo, VehicleClass vehicleClass);

private:
    void Read(const ini::IniFile& file);

    std::string m_strPath;
    std::vector<std::string> m_aNotes;
    VehicleClass m_defaultClass = VehicleClass::Truck;
    std::array<EventThresholds, kVehicleClassCount> m_thresholds;
    std::vector<DrivingRule> m_rules;
    DailyLimit m_daily;
    std::vector<std::pair<std::string, VehicleClass>> m_vehicles;
};

// "<config>/Halvik/Korvut/Analysis.ini": the file beside App.ini of that path.
std::string ProfilePathBeside(std::string_view appIniPath);

}  // namespace vantrel::analysis
