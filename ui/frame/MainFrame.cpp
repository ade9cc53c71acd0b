// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/MainFrame.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/Version.h"

namespace {

CMainFrame* g_pMainFrame = nullptr;

}  // namespace

CMainFrame* GetMainFrame() {
    return g_pMainFrame;
}

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    g_pMainFrame = this;
    // Destroyed when closed, so what it owns is released before the settings are saved.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(WindowTitle());

    m_pClient = new QWidget(this);
    m_pClient->setAutoFillBackground(true);
    QPalette palette = m_pClient->palette();
    palette.setColor(QPalette::Window, QColor(200, 200, 200));
    m_pClient->setPalette(palette);
    setCentralWidget(m_pClient);

    // Every position inside is a fixed pixel value, so the client area never changes size.
    setFixedSize(kClientWidth, kClientHeight);
    CenterOnDesktop();
}

CMainFrame::~CMainFrame() {
    if (g_pMainFrame == this) {
        g_pMainFrame = nullptr;
    }
}

QString CMainFrame::WindowTitle() {
    return QStringLiteral("Korvu Vantrel ( Ver. %1 )")
        .arg(QString::fromStdString(vantrel::VersionString()));
}

void CMainFrame::CenterOnDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}
