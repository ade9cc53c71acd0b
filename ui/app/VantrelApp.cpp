// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/VantrelApp.h"

#include <QDialog>

#include "ui/app/LangText.h"
#include "ui/dialogs/DlgLogin.h"
#include "ui/frame/MainFrame.h"

namespace {

CVantrelApp* g_pApp = nullptr;

// The faces the fixed-size windows were laid out for, and the fonts that stand in for them
// here: Carlito has the metrics of Calibri; CJK texts fall back to Noto CJK.
void InstallFontSubstitutions() {
    const QStringList cjk = {QStringLiteral("Noto Sans CJK KR"),
                             QStringLiteral("Noto Sans CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("Calibri"),
                               QStringList{QStringLiteral("Carlito")} + cjk);
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg"),
                               QStringList{QStringLiteral("DejaVu Sans")} + cjk);
}

QFont MakeFont(const QString& family, int pixelSize) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace

CVantrelApp* GetVantrelApp() {
    return g_pApp;
}

CVantrelApp::CVantrelApp(const vantrel::AppEnvironment& environment, const QString& lockFolder,
                         QObject* parent)
    : QObject(parent),
      m_settings(environment),
      m_language(environment.resourceFolders),
      m_instanceGuard(lockFolder) {
    g_pApp = this;
}

CVantrelApp::~CVantrelApp() {
    delete m_pMainFrame;
    if (vantrel::GetActiveLanguageTable() == &m_language) {
        vantrel::SetActiveLanguageTable(nullptr);
    }
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

CMainFrame* CVantrelApp::MainFrame() const {
    return m_pMainFrame.data();
}

bool CVantrelApp::InitInstance() {
    if (!m_instanceGuard.TryAcquire()) {
        return false;  // a second copy ends silently
    }
    LoadSettings();

    CDlgLogin login(m_settings);
    if (login.exec() != QDialog::Accepted) {
        return false;
    }

    // The frame's child windows take the fonts when they are created.
    CreateFonts();
    m_pMainFrame = new CMainFrame();
    if (m_bDemo) {
        m_pMainFrame->setWindowTitle(m_pMainFrame->windowTitle() + QStringLiteral(" - ") +
                                     LangText("GUI", "DEMO", "Demo"));
    }
    m_pMainFrame->show();
    return true;
}

int CVantrelApp::ExitInstance(int exitCode) {
    m_instanceGuard.Release();
    delete m_pMainFrame;
    SaveSettings();
    return exitCode;
}

void CVantrelApp::LoadSettings() {
    vantrel::SetActiveLanguageTable(&m_language);
    m_settings.LoadSettings(m_language);
}

bool CVantrelApp::SaveSettings() {
    return m_settings.SaveSettings();
}

void CVantrelApp::CreateFonts() {
    InstallFontSubstitutions();
    m_fontSmall = MakeFont(QStringLiteral("Calibri"), 15);
    m_fontNormal = MakeFont(QStringLiteral("MS Shell Dlg"), 17);
    m_fontLarge = MakeFont(QStringLiteral("MS Shell Dlg"), 25);
}
