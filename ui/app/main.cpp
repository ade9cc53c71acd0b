// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry point: the Qt application and the application object, with the real
// user's folders, or with "--demo" the demo's own world (tools/demo) built afresh below the
// user's cache folder.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "core/Version.h"
#include "core/app/AppEnvironment.h"
#include "tools/demo/DemoEnvironment.h"
#include "ui/app/SingleInstanceGuard.h"
#include "ui/app/VantrelApp.h"

namespace {

// The program's help; the manual page vantrel(1) is made from it.
constexpr const char* kHelp = R"(Usage: vantrel [--demo] [Qt options]

Korvu Vantrel shows the driving data of Korvu digital tachographs: it imports a recorder's
SD card ("Read SD Card") or downloads from the recorder over USB ("Read Device"), keeps a
backup of every raw file, and shows the driving records with their speed and distance
graphs, prints them and exports them as CSV. Log in as "Guest" (no password) or as
"Admin" (the administrator password of Account.ini, "5830" while none is set).

Options:
  --demo       start in the demo: a month of generated records of two recorders, an SD
               card that "Read SD Card" offers and an emulated recorder for "Read Device",
               all in ~/.cache/vantrel-demo/ (below $XDG_CACHE_HOME when set), made
               afresh at every start. Your settings, accounts and backup folder are not
               touched.
  -h, --help   show this help
  --version    show the version

Files:
  ~/.config/Halvik/Korvut/App.ini       language, backup and export folders
  ~/.config/Halvik/Korvut/Account.ini   operator accounts
  ~/Documents/Halvik/Korvut/dtacho/     the default backup folder (raw files and records)
  ~/Documents/Halvik/Korvut/export/     the default CSV export folder

Environment:
  VANTREL_PLUMEX   the device-link library to load instead of libPlumex.so.1

See vantrel-cli(1) for the same work on the command line.
)";

bool TakeDemoOption(int& argc, char** argv) {
    bool demo = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0) {
            demo = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return demo;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantrel %s\n", vantrel::VersionString().c_str());
            return 0;
        }
    }
    const bool demo = TakeDemoOption(argc, argv);
    std::unique_ptr<vantrel::demo::DemoLock> demoLock;
    std::optional<vantrel::demo::DemoPaths> demoPaths;
    if (demo) {
        // Before any thread exists: the demo sets the process environment.
        const vantrel::demo::DemoPaths paths =
            vantrel::demo::DemoPathsFor(vantrel::SystemEnvironment());
        demoLock = std::make_unique<vantrel::demo::DemoLock>(paths);
        if (!demoLock->IsHeld()) {
            std::fprintf(stderr, "vantrel: the demo is already running\n");
            return 0;
        }
        std::fprintf(stderr, "vantrel: preparing the demo in %s\n", paths.root.c_str());
        const vantrel::demo::DemoResult built = vantrel::demo::CreateDemo(paths);
        if (!built.ok) {
            std::fprintf(stderr, "vantrel: the demo could not be prepared: %s\n",
                         built.error.c_str());
            return 1;
        }
        if (built.emulatorLibrary.empty()) {
            std::fprintf(stderr,
                         "vantrel: the recorder emulator is missing; Read Device will "
                         "find no recorder\n");
        }
        vantrel::demo::ExportDemoEnvironment(paths, built.emulatorLibrary);
        demoPaths = paths;
    }

    QApplication application(argc, argv);
    // Ties the windows to the installed launcher entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vantrel")));
    const QString appFolder = QCoreApplication::applicationDirPath();
    const vantrel::EnvironmentLookup environment =
        demoPaths ? vantrel::demo::DemoEnvironmentLookup(*demoPaths, vantrel::SystemEnvironment())
                  : vantrel::SystemEnvironment();
    CVantrelApp app(
        vantrel::ResolveAppEnvironment(appFolder.toStdString(), environment),
        demoPaths ? QString::fromStdString(demoPaths->root) : SingleInstanceGuard::DefaultFolder());
    app.SetDemo(demo);
    if (!app.InitInstance()) {
        return app.ExitInstance(0);
    }
    return app.ExitInstance(QApplication::exec());
}
