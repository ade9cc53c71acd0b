// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry point: the Qt application and the application object, with the real
// user's folders.
#include <QApplication>
#include <QIcon>

#include "core/app/AppEnvironment.h"
#include "ui/app/SingleInstanceGuard.h"
#include "ui/app/VantrelApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Ties the windows to the installed launcher entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vantrel")));
    CVantrelApp app(
        vantrel::ResolveAppEnvironment(QCoreApplication::applicationDirPath().toStdString(),
                                       vantrel::SystemEnvironment()),
        SingleInstanceGuard::DefaultFolder());
    if (!app.InitInstance()) {
        return app.ExitInstance(0);
    }
    return app.ExitInstance(QApplication::exec());
}
