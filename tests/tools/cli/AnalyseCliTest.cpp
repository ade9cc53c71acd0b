// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli analyse and summary as a user runs them: the built program with a private home,
// on record files written by hand into a temporary backup folder, so that every event and
// violation is known. Checks the JSON of a small known day exactly, the profile choice, the
// summary's groups and filters, cut day files and wrong usage.
#include <gtest/gtest.h>

#include "core/ini/IniFile.h"
#include "tests/core/store/StoreFixtures.h"
#include "tests/support/CliProcess.h"

namespace vantrel {
namespace {

using test::CliRun;
using test::TempFolder;

// A day sample file image: runs of one value from a half-second index.
struct Run {
    std::size_t from;
    std::size_t count;
    std::uint16_t value;
};

std::string DayOf(const std::vector<Run>& runs) {
    std::map<std::size_t, std::uint16_t> samples;
    for (const Run& run : runs) {
        for (std::size_t i = run.from; i < run.from + run.count; ++i) {
            samples[i] = run.value;
        }
    }
    return test::DayImage(samples);
}

constexpr std::size_t At(int hour, int minute) {
    return (static_cast<std::size_t>(hour) * 60 + static_cast<std::size_t>(minute)) * 120;
}

// 10:00:00-10:00:10 at 108 km/h (speeding for every class but the bus), 12:00-14:10 at
// 72 km/h without rest (ten minutes over the short rule).
const std::vector<Run> kKnownDay{{At(10, 0), 20, 1500}, {At(12, 0), 130 * 120, 1000}};

class AnalyseCli : public ::testing::Test {
protected:
    CliRun Cli(const std::vector<std::string>& args) {
        const std::string home = m_tmp.Folder("home");
        return test::RunVantrelCli(m_tmp.Folder(),
                                   {"HOME=" + home, "XDG_CONFIG_HOME=" + ConfigHome(),
                                    "XDG_DOCUMENTS_DIR=" + home + "Documents"},
                                   args);
    }
    std::string ConfigHome() const { return m_tmp.Folder("home") + ".config"; }
    std::string ProfilePath() const { return ConfigHome() + "/Halvik/Korvut/Analysis.ini"; }
    std::string Backup() const { return m_tmp.Folder("backup"); }

    // A record of one driver and vehicle with the given days (date, image).
    std::string Record(const std::string& importFolder, const std::string& driver,
                       const std::string& vehicle, const std::string& stamp,
                       const std::vector<std::pair<std::string, std::string>>& days) {
        test::RecordFixture fixture;
        fixture.driver = driver;
        fixture.vehicle = vehicle;
        fixture.stamp = stamp;
        fixture.days.clear();
        for (const auto& [date, image] : days) {
            fixture.days.push_back(date);
        }
        const std::string record = test::WriteRecord(Backup(), importFolder, fixture);
        for (const auto& [date, image] : days) {
            TempFolder::Write(record.substr(0, record.size() - 4) + "_" + date + ".cda", image);
        }
        return record;
    }

    TempFolder m_tmp;
};

TEST_F(AnalyseCli, JsonOfAKnownDay) {
    const std::string record = Record("20150303080000", "Kim", "12A3456", "20150302100000",
                                      {{"20150302", DayOf(kKnownDay)}});
    const CliRun run = Cli({"analyse", record, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"records\":[{\"record\":\"" + record +
                  "\",\"days\":[{\"date\":\"20150302\",\"distanceKm\":156.3,"
                  "\"drivingSeconds\":7810,\"events\":[{\"kind\":\"speeding\","
                  "\"start\":\"2015-03-02 10:00:00.000\",\"end\":\"2015-03-02 10:00:10.000\","
                  "\"peak\":108.00}],\"violations\":[{\"rule\":\"short\","
                  "\"start\":\"2015-03-02 14:00:00.000\",\"end\":\"2015-03-02 14:10:00.000\","
                  "\"seconds\":600}]}]}]}\n");
    // The profile file was made on first use, with a note saying so.
    EXPECT_NE(run.err.find("created"), std::string::npos) << run.err;
    EXPECT_NE(TempFolder::Read(ProfilePath()).find("[Rule eu]"), std::string::npos);

    const CliRun text = Cli({"analyse", record});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* part :
         {"2015.03.02  156.3 km, driving 2:10:10, events 1, rule violations 1", "speeding",
          "108.00 km/h", "rule short", "0:10:00 over", "profile truck"}) {
        EXPECT_NE(text.out.find(part), std::string::npos) << part << "\n" << text.out;
    }
    EXPECT_TRUE(text.err.empty()) << text.err;  // the file exists now

    const CliRun csv = Cli({"analyse", record, "--csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "record,date,distanceKm,drivingSeconds,item,name,start,end,value\n" +
                           record +
                           ",20150302,156.3,7810,event,speeding,2015-03-02 10:00:00.000,"
                           "2015-03-02 10:00:10.000,108.00\n" +
                           record +
                           ",20150302,156.3,7810,violation,short,2015-03-02 14:00:00.000,"
                           "2015-03-02 14:10:00.000,600\n");
}

TEST_F(AnalyseCli, TheVehiclesClassOrProfileChoosesTheThresholds) {
    const std::string record = Record("20150303080000", "Kim", "12A3456", "20150302100000",
                                      {{"20150302", DayOf(kKnownDay)}});
    // 108 km/h is speeding for a truck (80 + 20), not for a bus (100 + 20).
    EXPECT_NE(Cli({"analyse", record, "--json"}).out.find("speeding"), std::string::npos);
    EXPECT_EQ(Cli({"analyse", record, "--json", "--profile", "bus"}).out.find("speeding"),
              std::string::npos);
    ASSERT_TRUE(ini::WriteProfileString("Vehicles", "12A3456", "bus", ProfilePath()));
    const CliRun bus = Cli({"analyse", record});
    EXPECT_NE(bus.out.find("profile bus"), std::string::npos) << bus.out;
    EXPECT_EQ(bus.out.find("speeding"), std::string::npos) << bus.out;
    EXPECT_NE(Cli({"analyse", record, "--profile", "truck"}).out.find("speeding"),
              std::string::npos);

    // vehicle-class stores a class and lists the backup folder's vehicles with theirs.
    const std::string other = Record("20150304080000", "Lee", "서울 34나 7812", "20150303100000",
                                     {{"20150303", DayOf(kKnownDay)}});
    ASSERT_EQ(Cli({"vehicle-class", "서울 34나 7812", "taxi"}).status, 0);
    const CliRun classes = Cli({"--backup", Backup(), "vehicle-class"});
    ASSERT_EQ(classes.status, 0) << classes.err;
    EXPECT_NE(classes.out.find("12A3456         bus"), std::string::npos) << classes.out;
    EXPECT_NE(classes.out.find("서울 34나 7812  taxi"), std::string::npos) << classes.out;
    EXPECT_NE(Cli({"analyse", other}).out.find("profile taxi"), std::string::npos);
    EXPECT_EQ(Cli({"vehicle-class", "a=b", "bus"}).status, 1);
    EXPECT_EQ(Cli({"vehicle-class", "12A3456", "boat"}).status, 2);

    // A broken value is named, its default used.
    ASSERT_TRUE(ini::WriteProfileString("bus", "SpeedLimit", "fast", ProfilePath()));
    const CliRun broken = Cli({"analyse", record, "--json"});
    EXPECT_EQ(broken.status, 0);
    EXPECT_NE(broken.err.find("SpeedLimit=fast"), std::string::npos) << broken.err;
}

TEST_F(AnalyseCli, SummaryGroupsAndFiltersTheBackupFolder) {
    Record("20150303080000", "Kim", "12A3456", "20150302100000",
           {{"20150302", DayOf(kKnownDay)}, {"20150303", DayOf(kKnownDay)}});
    Record("20150403080000", "Lee", "34B5678", "20150401100000", {{"20150401", DayOf(kKnownDay)}});

    const CliRun byDriver = Cli({"--backup", Backup(), "summary", "--by", "driver", "--json"});
    ASSERT_EQ(byDriver.status, 0) << byDriver.err;
    const std::string kim =
        "{\"key\":\"Kim\",\"records\":1,\"days\":2,\"distanceKm\":312.6,\"drivingSeconds\":15620,"
        "\"events\":{\"speeding\":2,\"long-speeding\":0,\"sudden-acceleration\":0,"
        "\"sudden-start\":0,\"sudden-deceleration\":0,\"sudden-stop\":0},\"eventCount\":2,"
        "\"eventsPer100Km\":0.64,\"violations\":{\"short\":2,\"eu\":0,\"daily\":0},"
        "\"violationSeconds\":1200}";
    EXPECT_NE(byDriver.out.find(kim), std::string::npos) << byDriver.out;
    EXPECT_NE(byDriver.out.find("{\"key\":\"Lee\",\"records\":1,\"days\":1,"), std::string::npos);
    EXPECT_NE(byDriver.out.find("\"total\":{\"records\":2,\"days\":3,\"distanceKm\":468.9,"),
              std::string::npos)
        << byDriver.out;

    const CliRun april =
        Cli({"--backup", Backup(), "summary", "--month", "2015/04", "--by", "month", "--csv"});
    ASSERT_EQ(april.status, 0) << april.err;
    EXPECT_EQ(april.out.substr(0, april.out.find('\n')),
              "month,records,days,distanceKm,drivingSeconds,speeding,long-speeding,"
              "sudden-acceleration,sudden-start,sudden-deceleration,sudden-stop,events,"
              "per100Km,short,eu,daily,violationSeconds");
    EXPECT_NE(april.out.find("\n2015/04,1,1,156.3,7810,1,"), std::string::npos) << april.out;
    EXPECT_EQ(april.out.find("2015/03"), std::string::npos);

    const CliRun table = Cli({"--backup", Backup(), "summary", "--vehicle", "34B5678"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("total"), std::string::npos);
    EXPECT_EQ(table.out.find("12A3456"), std::string::npos);

    const CliRun nobody = Cli({"--backup", Backup(), "summary", "--driver", "Park"});
    EXPECT_EQ(nobody.status, 0);
    EXPECT_NE(nobody.err.find("no driving days"), std::string::npos);
}

TEST_F(AnalyseCli, ACutDayFileIsAnErrorAndTheRestIsStillShown) {
    const std::string record =
        Record("20150303080000", "Kim", "12A3456", "20150302100000",
               {{"20150302", DayOf(kKnownDay)}, {"20150303", DayOf(kKnownDay).substr(0, 1000)}});
    const CliRun run = Cli({"analyse", record, "--json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("_20150303.cda is truncated (1000 of 345600 bytes)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("\"date\":\"20150302\""), std::string::npos);
    EXPECT_EQ(run.out.find("\"date\":\"20150303\""), std::string::npos);

    const CliRun summary = Cli({"--backup", Backup(), "summary"});
    EXPECT_EQ(summary.status, 1);
    EXPECT_NE(summary.err.find("truncated"), std::string::npos);
    EXPECT_NE(summary.out.find("156.3"), std::string::npos);
}

TEST_F(AnalyseCli, HelpAndWrongUsage) {
    const CliRun help = Cli({"--help"});
    EXPECT_NE(help.out.find("  analyse RECORD.dat..."), std::string::npos);
    EXPECT_NE(help.out.find("  summary [--month"), std::string::npos);
    const CliRun own = Cli({"analyse", "--help"});
    for (const char* part : {"--profile", "--json", "--csv", "U-turns", "Analysis.ini"}) {
        EXPECT_NE(own.out.find(part), std::string::npos) << part;
    }
    const std::vector<std::vector<std::string>> cases{
        {"analyse"},
        {"analyse", "a.dat", "--profile", "boat"},
        {"analyse", "a.dat", "--json", "--csv"},
        {"summary", "extra"},
        {"summary", "--by", "colour"},
        {"summary", "--month", "2015-13"},
    };
    for (const auto& args : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty()) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(Cli({"analyse", m_tmp.Folder() + "missing.dat"}).status, 1);
}

}  // namespace
}  // namespace vantrel
