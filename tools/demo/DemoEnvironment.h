// SPDX-License-Identifier: GPL-3.0-or-later
// The demo: a world of its own below the user's cache folder, so the program can be tried
// without a recorder and without touching the user's settings, accounts or backup folder.
//
//   <cache>/vantrel-demo/
//     config/                 XDG_CONFIG_HOME of the demo: Halvik/Korvut/App.ini, Account.ini,
//                             user-dirs.dirs naming the demo's documents folder
//     Documents/              the demo's documents: Halvik/Korvut/dtacho/ is the backup folder,
//                             holding a month of two recorders, imported by the store
//     card/                   an SD card of the first recorder with the days after that month,
//                             mounted as a removable drive by the demo's drive tables
//     recorder/               the second recorder's storage, served by the recorder emulator
//     drives/                 the mount table and block device folder of the demo's drives
//     DEMO                    written last: the world is complete
//
// Every demo is the same: the data comes from fixed scenarios and a fixed seed.
#pragma once

#include <string>
#include <vector>

#include "core/app/AppEnvironment.h"

namespace vantrel::demo {

// The seed of every demo.
inline constexpr unsigned kDemoSeed = 2015;

// The demo's folders, each ending in '/'.
struct DemoPaths {
    std::string root;  // <cache>/vantrel-demo/
    std::string configHome;
    std::string documents;
    std::string backup;  // <documents>/Halvik/Korvut/dtacho/
    std::string card;
    std::string recorder;
    std::string mountInfo;  // a file, not a folder
    std::string sysBlock;
};

// The demo's folders below $XDG_CACHE_HOME (an absolute path), else $HOME/.cache; the
// runtime folder $XDG_RUNTIME_DIR when neither is known. Empty root when none is.
DemoPaths DemoPathsFor(const EnvironmentLookup& env);

// The environment that the program and the tool see in the demo: the process environment
// with the demo's configuration and documents folders.
EnvironmentLookup DemoEnvironmentLookup(const DemoPaths& paths, const EnvironmentLookup& env);

struct DemoResult {
    bool ok = false;
    std::string error;  // what failed, when !ok
    DemoPaths paths;
    int importedRecords = 0;             // record summaries in the backup after the imports
    std::vector<std::string> deviceIds;  // the two recorders
    std::string emulatorLibrary;         // the recorder emulator found, empty when none
};

// Builds the demo afresh: removes an earlier demo folder (only one that this function made,
// recognised by its DEMO file or an unfinished build's BUILDING file), generates the data,
// imports the month through the record store and writes the settings. Nothing outside the
// demo folder is written.
DemoResult CreateDemo(const DemoPaths& paths);

// True when the folder holds a complete demo.
bool IsDemoComplete(const DemoPaths& paths);

// The recorder emulator library: beside the executable, else in <prefix>/lib/vantrel/emulator/
// of an executable in <prefix>/bin, else in the build's installed one; empty when none has it.
std::string FindEmulatorLibrary(const std::string& exeFolder);

// Sets the process environment of the demo: VANTREL_PLUMEX (the emulator, when found),
// VANTREL_EMU_STORAGE, VANTREL_MOUNTINFO, VANTREL_SYS_BLOCK, XDG_CONFIG_HOME. Call before
// any thread starts.
void ExportDemoEnvironment(const DemoPaths& paths, const std::string& emulatorLibrary);

// An exclusive lock on "<cache>/vantrel-demo.lock", held while the object lives, so a second
// demo never rebuilds the folder under a running one.
class DemoLock {
public:
    explicit DemoLock(const DemoPaths& paths);
    ~DemoLock();
    DemoLock(const DemoLock&) = delete;
    DemoLock& operator=(const DemoLock&) = delete;
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace vantrel::demo
