// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/demo/DemoEnvironment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/app/AppSettings.h"
#include "core/lang/MgrLanguage.h"
#include "core/store/MgrTachoDB.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"
#include "tools/datagen/Scenario.h"

namespace vantrel::demo {
namespace fs = std::filesystem;

namespace {

constexpr const char* kCompleteMarker = "DEMO";
constexpr const char* kBuildingMarker = "BUILDING";

// Device numbers of the demo's two drives; no real disk uses major 240 (local/experimental).
constexpr const char* kRootDevice = "240:0";
constexpr const char* kCardDevice = "240:1";

std::string Variable(const EnvironmentLookup& env, const char* name) {
    const std::optional<std::string> value = env(name);
    return value && !value->empty() && value->front() == '/' ? *value : std::string();
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
}

// The first recorder: the generator's month, as is (three drivers, a record every week, a day
// with the clock set forward and one with the clock put back to true time, a trip across
// midnight, a file not closed normally).
datagen::Scenario FirstRecorderMonth() {
    datagen::Scenario s = *datagen::NamedScenario("month");
    s.name = "demo-first";
    return s;
}

// The second recorder: another vehicle and crew over the same month, records of ten days,
// its clock synchronised once and a speedier style.
datagen::Scenario SecondRecorderMonth() {
    datagen::Scenario s = *datagen::NamedScenario("month");
    s.name = "demo-second";
    s.deviceId = {0x3C, 0x4D, 0x5E};
    s.vehicleNo = "부산 70다 1294";
    s.drivers = {"정하은", "강도윤"};
    s.newRecordEveryDays = 10;
    s.minTripsPerDay = 2;
    s.restDayPermille = 80;
    s.quirks = {{{5, 0}, datagen::FileQuirk::CrossesMidnight},
                {{14, 1}, datagen::FileQuirk::EndsInStandstill}};
    s.clockAdjustments = {{18, 360, 95, datagen::kEventClockSync, true, false, false}};
    s.style.speedingPermille = 220;
    return s;
}

// The days after the month: what the card and the recorder still hold.
datagen::Scenario FollowingDays(datagen::Scenario s) {
    s.name += "-april";
    s.startDate = {2015, 4, 1};
    s.days = 5;
    s.newRecordEveryDays = 0;
    s.restDayPermille = 0;
    s.quirks.clear();
    s.clockAdjustments.clear();
    s.recordBreaks = {{{0, 0}, 0, {}}};
    return s;
}

std::optional<datagen::CardData> Generate(const datagen::Scenario& scenario, std::string& error) {
    std::optional<datagen::CardData> card = datagen::GenerateCard(scenario, kDemoSeed, &error);
    if (!card) {
        error = scenario.name + ": " + error;
    }
    return card;
}

// A mount table with the root on a fixed disk and the card folder on a removable one, and the
// block device folder that classifies them.
bool WriteDrives(const DemoPaths& paths) {
    const fs::path block(paths.sysBlock);
    bool ok = WriteText(block / "demo0/dev", std::string(kRootDevice) + "\n") &&
              WriteText(block / "demo0/removable", "0\n") &&
              WriteText(block / "demo0/size", "41943040\n") &&
              WriteText(block / "demo1/dev", std::string(kCardDevice) + "\n") &&
              WriteText(block / "demo1/removable", "1\n") &&
              WriteText(block / "demo1/size", "15523840\n");
    std::string card = paths.card;
    card.pop_back();
    std::string escaped;
    for (const char c : card) {
        switch (c) {
            case ' ':
                escaped += "\\040";
                break;
            case '\t':
                escaped += "\\011";
                break;
            case '\n':
                escaped += "\\012";
                break;
            case '\\':
                escaped += "\\134";
                break;
            default:
                escaped += c;
        }
    }
    const std::string table = std::string("21 1 ") + kRootDevice +
                              " / / rw,relatime shared:1 - ext4 /dev/demo0 rw\n"
                              "22 21 " +
                              kCardDevice + " / " + escaped +
                              " rw,nosuid,nodev,relatime shared:2 - vfat /dev/demo1 rw\n";
    return ok && WriteText(paths.mountInfo, table);
}

// Only a folder that a demo build made may be removed.
bool RemoveEarlierDemo(const DemoPaths& paths, std::string& error) {
    std::error_code ec;
    const fs::path root(paths.root);
    if (!fs::exists(root, ec)) {
        return true;
    }
    if (!fs::exists(root / kCompleteMarker, ec) && !fs::exists(root / kBuildingMarker, ec) &&
        !fs::is_empty(root, ec)) {
        error = "the folder " + paths.root + " exists and is not a demo; it is left alone";
        return false;
    }
    fs::remove_all(root, ec);
    if (ec) {
        error = "cannot remove the earlier demo in " + paths.root + ": " + ec.message();
        return false;
    }
    return true;
}

std::string ImportStaged(CMgrTachoDB& store, const datagen::CardData& card, const fs::path& stage) {
    const datagen::WriteResult written = datagen::WriteSdCard(card, stage);
    if (!written.ok) {
        return written.error;
    }
    const ImportResult result = store.ImportFromSdCard(stage.generic_string());
    std::error_code ec;
    fs::remove_all(stage, ec);
    if (result.status != ImportStatus::Completed || result.writeFailures != 0) {
        return "the import of the generated month of " + card.DeviceIdText() + " failed";
    }
    return {};
}

}  // namespace

DemoPaths DemoPathsFor(const EnvironmentLookup& env) {
    std::string base = Variable(env, "XDG_CACHE_HOME");
    if (base.empty()) {
        const std::string home = Variable(env, "HOME");
        base = home.empty() ? Variable(env, "XDG_RUNTIME_DIR") : JoinPath(home, ".cache");
    }
    DemoPaths paths;
    if (base.empty()) {
        return paths;
    }
    paths.root = JoinPath(base, "vantrel-demo/");
    paths.configHome = paths.root + "config/";
    paths.documents = paths.root + "Documents/";
    paths.backup = paths.documents + "Halvik/Korvut/dtacho/";
    paths.card = paths.root + "card/";
    paths.recorder = paths.root + "recorder/";
    paths.mountInfo = paths.root + "drives/mountinfo";
    paths.sysBlock = paths.root + "drives/block/";
    return paths;
}

EnvironmentLookup DemoEnvironmentLookup(const DemoPaths& paths, const EnvironmentLookup& env) {
    return [paths, env](const std::string& name) -> std::optional<std::string> {
        if (name == "XDG_CONFIG_HOME") {
            return paths.configHome;
        }
        if (name == "XDG_DOCUMENTS_DIR") {
            return paths.documents;
        }
        return env(name);
    };
}

bool IsDemoComplete(const DemoPaths& paths) {
    std::error_code ec;
    return !paths.root.empty() && fs::is_regular_file(fs::path(paths.root) / kCompleteMarker, ec);
}

DemoResult CreateDemo(const DemoPaths& paths) {
    DemoResult result;
    result.paths = paths;
    if (paths.root.empty()) {
        result.error = "there is no cache folder for the demo (HOME is not set)";
        return result;
    }
    if (!RemoveEarlierDemo(paths, result.error)) {
        return result;
    }
    if (!WriteText(fs::path(paths.root) / kBuildingMarker, "")) {
        result.error = "cannot create the demo folder " + paths.root;
        return result;
    }

    const std::optional<datagen::CardData> first = Generate(FirstRecorderMonth(), result.error);
    const std::optional<datagen::CardData> second = Generate(SecondRecorderMonth(), result.error);
    const std::optional<datagen::CardData> card =
        Generate(FollowingDays(FirstRecorderMonth()), result.error);
    const std::optional<datagen::CardData> device =
        Generate(FollowingDays(SecondRecorderMonth()), result.error);
    if (!first || !second || !card || !device) {
        return result;
    }
    result.deviceIds = {first->DeviceIdText(), second->DeviceIdText()};

    // The settings of the demo, seeded from the templates and defaulted below the demo's
    // documents folder, exactly as on a first start.
    const AppEnvironment environment = ResolveAppEnvironment(
        ExecutableFolder(), DemoEnvironmentLookup(paths, [](const std::string&) {
            return std::optional<std::string>();
        }));
    CMgrLanguage language(environment.resourceFolders);
    AppSettings settings(environment);
    settings.LoadSettings(language);
    if (settings.m_strBackupFolder != paths.backup || !settings.SaveSettings()) {
        result.error = "cannot write the demo's settings in " + paths.configHome;
        return result;
    }
    if (!WriteText(fs::path(paths.configHome) / "user-dirs.dirs",
                   "XDG_DOCUMENTS_DIR=\"" + paths.documents + "\"\n")) {
        result.error = "cannot write " + paths.configHome + "user-dirs.dirs";
        return result;
    }

    CMgrTachoDB store(paths.backup);
    store.SetUserName("Administrator");
    for (const auto* month : {&*first, &*second}) {
        result.error = ImportStaged(store, *month, fs::path(paths.root) / "staging");
        if (!result.error.empty()) {
            return result;
        }
    }
    store.ScanRecords(paths.backup + "cda");
    result.importedRecords = static_cast<int>(store.m_aRecordFiles.size());

    const datagen::WriteResult cardWritten = datagen::WriteSdCard(*card, paths.card);
    const datagen::WriteResult deviceWritten =
        datagen::WriteRecorderStorage(*device, paths.recorder);
    if (!cardWritten.ok || !deviceWritten.ok) {
        result.error = cardWritten.ok ? deviceWritten.error : cardWritten.error;
        return result;
    }
    if (!WriteDrives(paths)) {
        result.error = "cannot write the demo's drive tables in " + paths.root + "drives/";
        return result;
    }
    result.emulatorLibrary = FindEmulatorLibrary(ExecutableFolder());

    std::error_code ec;
    fs::rename(fs::path(paths.root) / kBuildingMarker, fs::path(paths.root) / kCompleteMarker, ec);
    if (ec) {
        result.error = "cannot finish the demo folder: " + ec.message();
        return result;
    }
    result.ok = true;
    return result;
}

std::string FindEmulatorLibrary(const std::string& exeFolder) {
    constexpr const char* kName = "libVantrelRecorderEmulator.so";
    std::vector<std::string> folders;
    if (!exeFolder.empty()) {
        folders.push_back(exeFolder);
        // An installed program: <prefix>/bin/vantrel and <prefix>/lib/vantrel/emulator/.
        const std::string data = DataFolderBesideBin(exeFolder);
        if (!data.empty()) {
            folders.push_back(data.substr(0, data.size() - std::string("share/vantrel/").size()) +
                              "lib/vantrel/emulator");
        }
    }
#ifdef VANTREL_PRIVATE_LIB_DIR
    folders.emplace_back(VANTREL_PRIVATE_LIB_DIR);
#endif
    for (const std::string& folder : folders) {
        const std::string path = JoinPath(folder, kName);
        std::error_code ec;
        if (fs::is_regular_file(path, ec)) {
            return path;
        }
    }
    return {};
}

void ExportDemoEnvironment(const DemoPaths& paths, const std::string& emulatorLibrary) {
    // Without the emulator no library is bound at all: the real device library must not
    // write a real recorder's files into the demo.
    ::setenv("VANTREL_PLUMEX", emulatorLibrary.empty() ? "/nonexistent" : emulatorLibrary.c_str(),
             1);
    ::setenv("VANTREL_EMU_STORAGE", paths.recorder.c_str(), 1);
    ::setenv("VANTREL_MOUNTINFO", paths.mountInfo.c_str(), 1);
    ::setenv("VANTREL_SYS_BLOCK", paths.sysBlock.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", paths.configHome.c_str(), 1);
}

DemoLock::DemoLock(const DemoPaths& paths) {
    if (paths.root.empty()) {
        return;
    }
    std::string lockPath = paths.root;
    lockPath.pop_back();
    lockPath += ".lock";
    std::error_code ec;
    fs::create_directories(fs::path(lockPath).parent_path(), ec);
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

DemoLock::~DemoLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

}  // namespace vantrel::demo
