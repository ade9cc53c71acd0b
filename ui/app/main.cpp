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

#include "core/app/AppEnvironment.h"
#include "tools/demo/DemoEnvironment.h"
#include "ui/app/SingleInstanceGuard.h"
#include "ui/app/VantrelApp.h"

namespace {

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
