// SPDX-License-Identifier: GPL-3.0-or-later
// Analysis.ini through the real INI layer in a temporary folder: a missing file is created
// with the defaults and reads back as them, broken values fall back with a note, an unreadable
// file gives the defaults, and a vehicle's class is stored and found again.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/analysis/AnalysisProfile.h"
#include "tests/support/TempFolder.h"

namespace vantrel::analysis {
namespace {

using test::TempFolder;

void ExpectSameThresholds(const EventThresholds& a, const EventThresholds& b) {
    EXPECT_DOUBLE_EQ(a.speedLimitKmh, b.speedLimitKmh);
    EXPECT_DOUBLE_EQ(a.speedingMarginKmh, b.speedingMarginKmh);
    EXPECT_EQ(a.longSpeedingSeconds, b.longSpeedingSeconds);
    EXPECT_EQ(a.speedingDipSeconds, b.speedingDipSeconds);
    EXPECT_EQ(a.suddenDipSeconds, b.suddenDipSeconds);
    EXPECT_DOUBLE_EQ(a.accelerationKmhPerS, b.accelerationKmhPerS);
    EXPECT_DOUBLE_EQ(a.accelerationFromKmh, b.accelerationFromKmh);
    EXPECT_DOUBLE_EQ(a.startKmhPerS, b.startKmhPerS);
    EXPECT_DOUBLE_EQ(a.startFromKmh, b.startFromKmh);
    EXPECT_DOUBLE_EQ(a.decelerationKmhPerS, b.decelerationKmhPerS);
    EXPECT_DOUBLE_EQ(a.decelerationToKmh, b.decelerationToKmh);
    EXPECT_DOUBLE_EQ(a.stopKmhPerS, b.stopKmhPerS);
    EXPECT_DOUBLE_EQ(a.stopToKmh, b.stopToKmh);
}

TEST(ProfileFile, MissingFileIsCreatedAndReadsBackAsTheDefaults) {
    TempFolder tmp;
    const std::string path = tmp.Folder("config/Halvik/Korvut") + "Analysis.ini";
    std::filesystem::remove_all(tmp.Folder("config"));
    const ProfileFile created = ProfileFile::Load(path);
    ASSERT_TRUE(std::filesystem::is_regular_file(path));
    ASSERT_EQ(created.Notes().size(), 1u);
    EXPECT_NE(created.Notes()[0].find("created"), std::string::npos);

    const ProfileFile read = ProfileFile::Load(path);
    EXPECT_TRUE(read.Notes().empty()) << read.Notes().front();
    EXPECT_EQ(read.DefaultClass(), VehicleClass::Truck);
    for (const VehicleClass c :
         {VehicleClass::Bus, VehicleClass::Truck, VehicleClass::Taxi, VehicleClass::Car}) {
        SCOPED_TRACE(std::string(VehicleClassName(c)));
        ExpectSameThresholds(read.Profile(c).events, DefaultThresholds(c));
    }
    const AnalysisProfile truck = read.Profile(VehicleClass::Truck);
    ASSERT_EQ(truck.rules.size(), 2u);
    EXPECT_EQ(truck.rules[0].name, "short");
    EXPECT_EQ(truck.rules[0].maxDrivingSeconds, 7200);
    EXPECT_EQ(truck.rules[0].breakSeconds, 900);
    EXPECT_FALSE(truck.rules[0].IsSplit());
    EXPECT_EQ(truck.rules[1].name, "eu");
    EXPECT_EQ(truck.rules[1].maxDrivingSeconds, 16'200);
    EXPECT_EQ(truck.rules[1].breakSeconds, 2700);
    EXPECT_EQ(truck.rules[1].splitFirstSeconds, 900);
    EXPECT_EQ(truck.rules[1].splitSecondSeconds, 1800);
    EXPECT_EQ(truck.daily.limitSeconds, 9 * 3600);
    EXPECT_EQ(truck.daily.extendedSeconds, 10 * 3600);
    EXPECT_EQ(truck.daily.extendedDaysPerWeek, 2);
    // The defaults name their source.
    const std::string text = TempFolder::Read(path);
    EXPECT_NE(text.find("561/2006"), std::string::npos);
    EXPECT_NE(text.find("default chosen by us"), std::string::npos);
}

TEST(ProfileFile, BrokenValuesFallBackToTheDefaultsWithANote) {
    TempFolder tmp;
    const std::string path = tmp.Folder() + "Analysis.ini";
    TempFolder::Write(
        path,
        "[General]\nDefaultClass=lorry\n"
        "[truck]\nSpeedLimit=ninety\nSuddenStart=7.5\nSuddenStop=-3\n"
        "LongSpeedingSeconds=2.5\nSpeedingDipSeconds=0\n"
        "[taxi]\nSpeedingDipSeconds=1.5\nSuddenDipSeconds=10\n[car]\nSpeedingDipSeconds=3601\n"
        "[Rules]\nNames=short,night,daily\n"
        "[Rule short]\nDrivingMinutes=150\nBreakMinutes=x\n"
        "[Daily]\nLimitMinutes=600\nExtendedMinutes=540\n"
        "[Vehicles]\n12A3456=bus\n99Z9999=boat\n");
    const ProfileFile profile = ProfileFile::Load(path);
    const EventThresholds truck = profile.Profile(VehicleClass::Truck).events;
    const EventThresholds defaults = DefaultThresholds(VehicleClass::Truck);
    EXPECT_EQ(profile.DefaultClass(), VehicleClass::Truck);
    EXPECT_DOUBLE_EQ(truck.speedLimitKmh, defaults.speedLimitKmh);
    EXPECT_DOUBLE_EQ(truck.startKmhPerS, 7.5);
    EXPECT_DOUBLE_EQ(truck.stopKmhPerS, defaults.stopKmhPerS);
    EXPECT_EQ(truck.longSpeedingSeconds, defaults.longSpeedingSeconds);
    EXPECT_EQ(truck.speedingDipSeconds, 0);
    EXPECT_EQ(profile.Profile(VehicleClass::Taxi).events.speedingDipSeconds, 3);
    EXPECT_EQ(profile.Profile(VehicleClass::Taxi).events.suddenDipSeconds, 10);
    EXPECT_EQ(profile.Profile(VehicleClass::Car).events.speedingDipSeconds, 3);
    const AnalysisProfile p = profile.Profile(VehicleClass::Truck);
    ASSERT_EQ(p.rules.size(), 1u);  // "night" has no section, "daily" is reserved
    EXPECT_EQ(p.rules[0].maxDrivingSeconds, 150 * 60);
    EXPECT_EQ(p.rules[0].breakSeconds, 15 * 60);
    EXPECT_EQ(p.daily.limitSeconds, 600 * 60);
    EXPECT_EQ(p.daily.extendedSeconds, 600 * 60);
    EXPECT_EQ(profile.ClassOf("12A3456"), VehicleClass::Bus);
    EXPECT_EQ(profile.ClassOf("99Z9999"), VehicleClass::Truck);

    std::string notes;
    for (const std::string& note : profile.Notes()) {
        notes += note + "\n";
    }
    for (const char* part :
         {"DefaultClass=lorry", "SpeedLimit=ninety", "SuddenStop=-3", "LongSpeedingSeconds=2.5",
          "SpeedingDipSeconds=1.5", "SpeedingDipSeconds=3601", "night", "\"daily\"",
          "BreakMinutes=x", "ExtendedMinutes", "99Z9999=boat", "no [bus] section"}) {
        EXPECT_NE(notes.find(part), std::string::npos) << part << "\n" << notes;
    }
}

TEST(ProfileFile, AnUnreadableFileGivesTheDefaults) {
    TempFolder tmp;
    const std::string path = tmp.Folder() + "Analysis.ini";
    std::filesystem::create_directories(path);  // a folder where the file should be
    ProfileFile profile = ProfileFile::Load(path);
    ASSERT_EQ(profile.Notes().size(), 1u);
    EXPECT_NE(profile.Notes()[0].find("cannot be read"), std::string::npos);
    ExpectSameThresholds(profile.Profile(VehicleClass::Bus).events,
                         DefaultThresholds(VehicleClass::Bus));
    EXPECT_FALSE(profile.SetVehicleClass("12A3456", VehicleClass::Bus));
}

TEST(ProfileFile, AVehicleClassIsStoredInTheFile) {
    TempFolder tmp;
    const std::string path = tmp.Folder() + "Analysis.ini";
    ProfileFile profile = ProfileFile::Load(path);
    EXPECT_TRUE(profile.SetVehicleClass("서울 34나 7812", VehicleClass::Bus));
    EXPECT_TRUE(profile.SetVehicleClass("12A3456", VehicleClass::Taxi));
    EXPECT_TRUE(profile.SetVehicleClass("12A3456", VehicleClass::Car));
    for (const char* bad : {"", "a=b", "[x]", ";x", " padded"}) {
        EXPECT_FALSE(profile.SetVehicleClass(bad, VehicleClass::Bus)) << bad;
    }
    EXPECT_EQ(profile.ClassOf("서울 34나 7812"), VehicleClass::Bus);

    const ProfileFile read = ProfileFile::Load(path);
    EXPECT_TRUE(read.Notes().empty());
    EXPECT_EQ(read.ClassOf("서울 34나 7812"), VehicleClass::Bus);
    EXPECT_EQ(read.ClassOf("12A3456"), VehicleClass::Car);
    EXPECT_EQ(read.ClassOf("other"), VehicleClass::Truck);
    // The comments with the sources stay.
    EXPECT_NE(TempFolder::Read(path).find("561/2006"), std::string::npos);
}

TEST(VehicleClassName, NamesReadBack) {
    for (const char* name : {"bus", "truck", "taxi", "car"}) {
        const auto parsed = ParseVehicleClass(name);
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(VehicleClassName(*parsed), name);
    }
    EXPECT_EQ(ParseVehicleClass(" TAXI "), VehicleClass::Taxi);
    EXPECT_FALSE(ParseVehicleClass("van"));
}

}  // namespace
}  // namespace vantrel::analysis
