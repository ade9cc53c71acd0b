// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry point: the Qt application and the application object, with the real
// user's folders.
#include <QApplication>

#include "core/app/AppEnvironment.h"
#include "ui/app/SingleInstanceGuard.h"
#include "ui/app/VantrelApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CVantrelApp app(
        vantrel::ResolveAppEnvironment(QCoreApplication::applicationDirPath().toStdString(),
                                       vantrel::SystemEnvironment()),
        SingleInstanceGuard::DefaultFolder());
    if (!app.InitInstance()) {
        return app.ExitInstance(0);
    }
    return app.ExitInstance(QApplication::exec());
}
