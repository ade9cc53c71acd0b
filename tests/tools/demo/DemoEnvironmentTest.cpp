// SPDX-License-Identifier: GPL-3.0-or-later
// The demo world: built below the cache folder of a fixture home, with the month of two
// recorders imported, an SD card the drive layer reports as removable, the recorder's storage,
// and nothing written outside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/app/AppSettings.h"
#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "core/store/MgrTachoDB.h"
#include "core/util/DriveLayer.h"
#include "tests/support/TempFolder.h"
#include "tools/demo/DemoEnvironment.h"

namespace vantrel::demo {
namespace {
namespace fs = std::filesystem;

EnvironmentLookup Lookup(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

// Every file below the folder with its size and modification time.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Snapshot(
    const fs::path& root) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
        }
    }
    return files;
}

int CountFiles(const fs::path& root, const std::string& extension) {
    int count = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        count += it->is_regular_file() && it->path().extension() == extension ? 1 : 0;
    }
    return count;
}

TEST(DemoPaths, FolderFromTheEnvironment) {
    struct Case {
        std::map<std::string, std::string> env;
        std::string root;
    } const cases[] = {
        {{{"HOME", "/home/ana"}}, "/home/ana/.cache/vantrel-demo/"},
        {{{"HOME", "/home/ana"}, {"XDG_CACHE_HOME", "/var/cache/ana/"}},
         "/var/cache/ana/vantrel-demo/"},
        // A relative XDG_CACHE_HOME is ignored, as XDG says.
        {{{"HOME", "/home/ana"}, {"XDG_CACHE_HOME", "cache"}}, "/home/ana/.cache/vantrel-demo/"},
        {{{"XDG_RUNTIME_DIR", "/run/user/1000"}}, "/run/user/1000/vantrel-demo/"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        const DemoPaths paths = DemoPathsFor(Lookup(c.env));
        EXPECT_EQ(paths.root, c.root);
        if (!c.root.empty()) {
            EXPECT_EQ(paths.backup, c.root + "Documents/Halvik/Korvut/dtacho/");
            EXPECT_EQ(paths.card, c.root + "card/");
        }
    }
}

TEST(DemoPaths, LookupReplacesOnlyTheUserFolders) {
    const DemoPaths paths = DemoPathsFor(Lookup({{"HOME", "/home/ana"}}));
    const EnvironmentLookup env = DemoEnvironmentLookup(
        paths, Lookup({{"HOME", "/home/ana"}, {"XDG_CONFIG_HOME", "/home/ana/.config"}}));
    const AppEnvironment app = ResolveAppEnvironment("/opt/bin", env);
    EXPECT_EQ(app.UserAppIni(), "/home/ana/.cache/vantrel-demo/config/Halvik/Korvut/App.ini");
    EXPECT_EQ(app.DefaultBackupFolder(), paths.backup);
    EXPECT_EQ(*env("HOME"), "/home/ana");
}

class DemoBuild : public ::testing::Test {
protected:
    test::TempFolder m_home;
    // A user with real settings and a real backup folder that the demo must not touch.
    void SetUp() override {
        test::TempFolder::Write(
            m_home.Folder(".config/Halvik/Korvut") + "App.ini",
            "[GUI]\r\nLANGUAGE=2\r\n[PATH]\r\nBACKUP=" + m_home.Folder("real") + "\r\n");
        test::TempFolder::Write(m_home.Folder(".config/Halvik/Korvut") + "Account.ini",
                                "[Account]\r\n");
        test::TempFolder::Write(m_home.Folder("real/cda") + "keep.txt", "operator data");
    }
    DemoPaths Paths() const { return DemoPathsFor(Lookup({{"HOME", m_home.Folder()}})); }
};

TEST_F(DemoBuild, MakesTheWorldAndLeavesTheUserAlone) {
    const auto before = Snapshot(m_home.Folder());
    const DemoPaths paths = Paths();
    const DemoResult result = CreateDemo(paths);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(IsDemoComplete(paths));

    // Nothing of the user's changed; everything new lies in the demo folder.
    const auto after = Snapshot(m_home.Folder());
    for (const auto& [path, stat] : before) {
        ASSERT_TRUE(after.count(path)) << path;
        EXPECT_EQ(after.at(path), stat) << path;
    }
    for (const auto& [path, stat] : after) {
        if (!before.count(path)) {
            EXPECT_EQ(path.rfind(paths.root, 0), 0U) << path;
        }
    }

    // Two recorders, each with several records of the month, converted by the store.
    ASSERT_EQ(result.deviceIds.size(), 2U);
    EXPECT_NE(result.deviceIds[0], result.deviceIds[1]);
    EXPECT_GE(result.importedRecords, 6);
    CMgrTachoDB store(paths.backup);
    store.RebuildFilterLists();
    store.FillRecordList();
    EXPECT_EQ(static_cast<int>(store.m_aRecordFiles.size()), result.importedRecords);
    std::set<std::string> vehicles;
    std::set<std::string> drivers;
    for (const RecordRow& row : store.GetRows()) {
        vehicles.insert(row.columns[kColVehicleNo]);
        drivers.insert(row.columns[kColDriverName]);
    }
    EXPECT_EQ(static_cast<int>(store.GetRows().size()), result.importedRecords);
    EXPECT_EQ(vehicles.size(), 2U);
    EXPECT_GE(drivers.size(), 4U);
    for (const std::string& id : result.deviceIds) {
        EXPECT_TRUE(fs::is_regular_file(paths.backup + id + "/LastTime.ini")) << id;
    }
    EXPECT_FALSE(fs::exists(paths.root + "staging"));

    // The card and the recorder still hold newer days.
    EXPECT_GT(CountFiles(paths.card + "dtacho", ".dtc"), 0);
    EXPECT_TRUE(fs::is_regular_file(paths.card + "log/system.log"));
    EXPECT_GT(CountFiles(paths.recorder + "dtacho", ".dtc"), 0);
    CMgrTachoDB cardStore(paths.backup);
    std::vector<std::string> newOnCard;
    cardStore.FindNewDtcFiles(paths.card + "dtacho/", newOnCard);
    EXPECT_FALSE(newOnCard.empty());

    // The demo's drive tables make the card a removable drive and its root the mount point.
    const DriveLayer layer({paths.mountInfo, paths.sysBlock});
    std::string card = paths.card;
    card.pop_back();
    const DriveInfo drive = layer.GetDrive(card);
    EXPECT_EQ(drive.type, DriveType::Removable);
    EXPECT_EQ(drive.mount.mountPoint, card);
    EXPECT_EQ(layer.GetDriveType(paths.backup), DriveType::Fixed);

    // The demo's settings name the demo's backup folder.
    const AppEnvironment environment = ResolveAppEnvironment(
        ExecutableFolder(), DemoEnvironmentLookup(paths, Lookup({{"HOME", m_home.Folder()}})));
    AppSettings settings(environment);
    CMgrLanguage language(environment.resourceFolders);
    settings.LoadSettings(language);
    EXPECT_EQ(settings.m_strAppIni, paths.configHome + "Halvik/Korvut/App.ini");
    EXPECT_EQ(settings.m_strBackupFolder, paths.backup);
    EXPECT_EQ(settings.m_nLanguage, 0);
}

TEST_F(DemoBuild, SameSeedSameDemoAndAFreshFolderEachTime) {
    const DemoPaths paths = Paths();
    ASSERT_TRUE(CreateDemo(paths).ok);
    const auto first = Snapshot(paths.card);
    test::TempFolder::Write(paths.backup + "left-over.txt", "from the last demo");
    const DemoResult again = CreateDemo(paths);
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_FALSE(fs::exists(paths.backup + "left-over.txt"));
    const auto second = Snapshot(paths.card);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [path, stat] : first) {
        ASSERT_TRUE(second.count(path)) << path;
        EXPECT_EQ(second.at(path).first, stat.first) << path;
        EXPECT_EQ(test::TempFolder::Read(path).size(), stat.first);
    }
}

TEST_F(DemoBuild, AFolderThatIsNoDemoIsLeftAlone) {
    const DemoPaths paths = Paths();
    test::TempFolder::Write(paths.root + "notes.txt", "mine");
    const DemoResult result = CreateDemo(paths);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not a demo"), std::string::npos);
    EXPECT_EQ(test::TempFolder::Read(paths.root + "notes.txt"), "mine");
}

TEST_F(DemoBuild, OneBuilderAtATime) {
    const DemoPaths paths = Paths();
    const DemoLock first(paths);
    ASSERT_TRUE(first.IsHeld());
    const DemoLock second(paths);
    EXPECT_FALSE(second.IsHeld());
}

TEST(DemoBuildWithoutHome, FailsClearly) {
    const DemoResult result = CreateDemo(DemoPathsFor(Lookup({})));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

}  // namespace
}  // namespace vantrel::demo
