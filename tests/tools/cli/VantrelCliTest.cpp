// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli as a user runs it: the built program is started with a private home (its own
// configuration and documents folders), on cards written by the recorder data generator.
// Covers the help texts, usage errors and exit codes, import-sd with its messages, list with
// its filters and JSON, show, export, delete, dump, the settings of App.ini and --lang.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini/IniFile.h"
#include "tests/core/store/StoreFixtures.h"
#include "tests/support/CliProcess.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using test::CliRun;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class VantrelCli : public ::testing::Test {
protected:
    CliRun Cli(const std::vector<std::string>& args) {
        const std::string home = m_tmp.Folder("home");
        return test::RunVantrelCli(m_tmp.Folder(),
                                   {"HOME=" + home, "XDG_CONFIG_HOME=" + home + ".config",
                                    "XDG_DOCUMENTS_DIR=" + home + "Documents"},
                                   args);
    }
    // Writes a generated card and returns its root.
    std::string Card(const std::string& scenario, const std::string& name = "card") {
        std::string error;
        const auto card =
            datagen::GenerateCard(datagen::NamedScenario(scenario).value(), 5, &error);
        EXPECT_TRUE(card) << error;
        m_card = *card;
        const std::string root = m_tmp.Folder(name);
        EXPECT_TRUE(datagen::WriteSdCard(*card, root).ok);
        return root;
    }
    std::string Backup() const { return m_tmp.Folder("backup"); }
    // The record paths of `list --json`, in list order.
    std::vector<std::string> Records(const std::vector<std::string>& filters = {}) {
        std::vector<std::string> args{"--backup", Backup(), "list", "--json"};
        args.insert(args.end(), filters.begin(), filters.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        std::vector<std::string> paths;
        const std::string key = "\"record\": \"";
        for (std::size_t at = run.out.find(key); at != std::string::npos;
             at = run.out.find(key, at + 1)) {
            const std::size_t start = at + key.size();
            paths.push_back(run.out.substr(start, run.out.find('"', start) - start));
        }
        return paths;
    }

    TempFolder m_tmp;
    datagen::CardData m_card;
};

TEST_F(VantrelCli, HelpNamesEveryCommandAndEachCommandExplainsItself) {
    const CliRun help = Cli({"--help"});
    ASSERT_EQ(help.status, 0);
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands{
        {"import-sd", {"ROOT", "dtacho", "LastTime.ini", "Exit status"}},
        {"list", {"--month", "--vehicle", "--device", "--json", "Exit status"}},
        {"show", {"RECORD.dat", "--json", "Exit status"}},
        {"export", {"--out", ".csv", "CR LF", "Exit status"}},
        {"delete", {"RECORD.dat", "import folder", "Exit status"}},
        {"dump", {"FILE.dtc", "--json", "Exit status"}}};
    for (const auto& [command, words] : commands) {
        EXPECT_NE(help.out.find("  " + command + " "), std::string::npos) << command;
        const CliRun own = Cli({command, "--help"});
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_EQ(own.out.rfind("Usage: vantrel-cli", 0), 0u) << command;
        for (const std::string& word : words) {
            EXPECT_NE(own.out.find(word), std::string::npos) << command << ": " << word;
        }
        EXPECT_EQ(Cli({"help", command}).out, own.out) << command;
    }
    for (const char* option : {"--backup", "--user", "--lang", "Exit status"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(Cli({"--version"}).status, 0);
}

TEST_F(VantrelCli, WrongUsageExitsWithTwo) {
    const std::vector<std::vector<std::string>> cases{{},
                                                      {"frobnicate"},
                                                      {"--colour", "list"},
                                                      {"--backup"},
                                                      {"--lang", "xx", "list"},
                                                      {"import-sd"},
                                                      {"list", "--month", "2016-13"},
                                                      {"list", "--sort"},
                                                      {"show"},
                                                      {"export"},
                                                      {"export", "a.dat", "--out"},
                                                      {"delete"},
                                                      {"dump", "a.dtc", "b.dtc"}};
    for (const auto& args : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_FALSE(run.err.empty()) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty()) << ::testing::PrintToString(args);
    }
}

TEST_F(VantrelCli, ImportsListsShowsExportsAndDeletesARecord) {
    const std::string root = Card("week");
    const CliRun import = Cli({"--backup", Backup(), "--user", "kim", "import-sd", root});
    ASSERT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(import.out, "SD Card reading has been complete\n");
    EXPECT_TRUE(fs::is_empty(root + "dtacho"));

    const std::vector<std::string> records = Records();
    ASSERT_GE(records.size(), 2u);
    const CliRun table = Cli({"--backup", Backup(), "list"});
    EXPECT_EQ(Count(table.out, "\n"), records.size() + 1);  // a heading and a line each
    EXPECT_NE(table.out.find(records[0]), std::string::npos);
    EXPECT_EQ(Count(Cli({"--backup", Backup(), "list", "--json"}).out, "\"saveUserName\": \"kim\""),
              records.size());

    const CliRun show = Cli({"--backup", Backup(), "show", records[0]});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find(m_card.scenario.vehicleNo), std::string::npos);
    EXPECT_NE(show.out.find("Driving Distance"), std::string::npos);
    const CliRun showJson = Cli({"--backup", Backup(), "show", records[0], "--json"});
    EXPECT_NE(showJson.out.find("\"days\": ["), std::string::npos);
    const std::size_t days = Count(showJson.out, "\"sampleFileExists\": true");
    EXPECT_GE(days, 1u);

    const std::string out = m_tmp.Folder("csv/new");
    const CliRun exported = Cli({"--backup", Backup(), "export", records[0], "--out", out});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(Count(exported.out, ".csv\n"), days);
    EXPECT_EQ(exported.out.substr(exported.out.size() - 25), "The export was completed\n");
    const std::string first = exported.out.substr(0, exported.out.find('\n'));
    EXPECT_EQ(fs::path(first).parent_path(), fs::path(out).parent_path());
    EXPECT_EQ(TempFolder::Read(first).rfind("Driving Date : ", 0), 0u);

    const CliRun deleted = Cli({"--backup", Backup(), "delete", records[0]});
    ASSERT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_FALSE(fs::exists(records[0]));
    EXPECT_EQ(Records(), std::vector<std::string>(records.begin() + 1, records.end()));
}

TEST_F(VantrelCli, ImportReportsFilesLeftOnTheCardAndFailsWithoutACard) {
    const std::string root = Card("small");
    const std::string bad = root + "dtacho/201503/VQ0A1B2CDT_20150310_120000.dtc";
    TempFolder::Write(bad, "broken");
    const CliRun run = Cli({"--backup", Backup(), "import-sd", root});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("SD Card reading has been complete\n", 0), 0u);
    EXPECT_NE(run.out.find("  " + bad + "\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(bad));
    EXPECT_EQ(Records().size(), 1u);

    fs::remove(bad);
    const CliRun again = Cli({"--backup", Backup(), "import-sd", Card("small", "card2")});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.err.find("nothing new"), std::string::npos);
    EXPECT_TRUE(again.out.empty());

    const CliRun noCard = Cli({"--backup", Backup(), "import-sd", m_tmp.Folder("backup")});
    EXPECT_EQ(noCard.status, 1);
    EXPECT_NE(noCard.err.find("dtacho"), std::string::npos);
}

TEST_F(VantrelCli, FiltersTwoRecordersApart) {
    ASSERT_EQ(Cli({"--backup", Backup(), "import-sd", Card("small", "c1")}).status, 0);
    ASSERT_EQ(Cli({"--backup", Backup(), "import-sd", Card("west", "c2")}).status, 0);
    const std::string west = m_card.DeviceIdText();
    const std::vector<std::string> all = Records();
    const std::vector<std::string> westOnly = Records({"--device", west});
    const std::vector<std::string> korean = Records({"--device", "vq0a1b2c"});
    EXPECT_FALSE(westOnly.empty());
    EXPECT_FALSE(korean.empty());
    EXPECT_EQ(westOnly.size() + korean.size(), all.size());
    EXPECT_TRUE(Records({"--device", ""}).empty());
    EXPECT_EQ(Records({"--vehicle", m_card.scenario.vehicleNo}), westOnly);
    EXPECT_TRUE(Records({"--month", "2001/01"}).empty());
}

TEST_F(VantrelCli, ReadsTheBackupFolderAndLanguageOfAppIni) {
    // First use seeds App.ini; then the backup folder named there is used.
    ASSERT_EQ(Cli({"list"}).status, 0);
    const std::string appIni = m_tmp.Folder("home/.config/Halvik/Korvut") + "App.ini";
    ASSERT_TRUE(fs::exists(appIni));
    ASSERT_TRUE(ini::WriteProfileString("PATH", "BACKUP", Backup(), appIni));
    ASSERT_TRUE(ini::WriteProfileString("GUI", "LANGUAGE", "2", appIni));
    const CliRun run = Cli({"import-sd", Card("small")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string japanese = ini::GetProfileString(
        "MESSAGE", "SDREADINGCOMPLETE", "", std::string(VANTREL_BIN_DIR) + "/lang_jp.ini", 500);
    ASSERT_FALSE(japanese.empty());
    EXPECT_EQ(run.out, japanese + "\n");
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_EQ(Cli({"--lang", "en", "import-sd", Card("small", "again")}).err,
              "vantrel-cli: nothing new on the card\n");
}

TEST_F(VantrelCli, RefusesRecordsOutsideTheBackupFolderAndMissingOnes) {
    const std::string stray = m_tmp.Folder("elsewhere") + "20160315081200_VQ0A1B2C.dat";
    TempFolder::Write(stray, "[RECORDINFO]\nDRID=VQ0A1B2C\n");
    EXPECT_EQ(Cli({"--backup", Backup(), "delete", stray}).status, 1);
    EXPECT_TRUE(fs::exists(stray));
    const CliRun missing = Cli({"--backup", Backup(), "export", m_tmp.Folder() + "none.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.dat"), std::string::npos);
    TempFolder::Write(m_tmp.Folder() + "plain.txt", "x");
    EXPECT_EQ(Cli({"--backup", Backup(), "show", m_tmp.Folder() + "plain.txt"}).status, 1);
}

TEST_F(VantrelCli, ExportFailsWhenTheOutputCannotBeWritten) {
    ASSERT_EQ(Cli({"--backup", Backup(), "import-sd", Card("small")}).status, 0);
    const std::string record = Records().at(0);
    TempFolder::Write(m_tmp.Folder() + "file", "not a folder");
    const CliRun run =
        Cli({"--backup", Backup(), "export", record, "--out", m_tmp.Folder() + "file"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    const std::string out = m_tmp.Folder("out");
    const std::string csv = out + fs::path(record).stem().string() + "_20150309.csv";
    fs::create_directories(csv);  // a folder where the first file must go
    const CliRun blocked = Cli({"--backup", Backup(), "export", record, "--out", out});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.out, "The export failed\n");
    EXPECT_NE(blocked.err.find(csv), std::string::npos);
}

TEST_F(VantrelCli, DumpsARawFile) {
    Card("small");
    const std::string file =
        m_tmp.Folder("card/dtacho/" + m_card.files[0].monthFolder) + m_card.files[0].name;
    const CliRun text = Cli({"dump", file});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Device ID"), std::string::npos);
    EXPECT_NE(text.out.find("VQ0A1B2C"), std::string::npos);
    EXPECT_NE(text.out.find("Closed normally"), std::string::npos);
    const CliRun json = Cli({"dump", file, "--json"});
    EXPECT_NE(json.out.find("\"deviceId\": \"VQ0A1B2C\""), std::string::npos);
    EXPECT_NE(json.out.find("\"recordIndex\": 0"), std::string::npos);
    TempFolder::Write(m_tmp.Folder() + "bad.dtc", "nope");
    EXPECT_EQ(Cli({"dump", m_tmp.Folder() + "bad.dtc"}).status, 1);
    EXPECT_EQ(Cli({"dump", m_tmp.Folder() + "missing.dtc"}).status, 1);
}

}  // namespace
}  // namespace vantrel
