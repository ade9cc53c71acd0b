// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a fixed-size frame whose client area is 1200 x 691 pixels, titled with the
// program's version. The tool strip takes the top 50 pixels and the main panel the rest; both
// are children of the client widget at fixed pixel positions. Every window reaches the frame
// through GetMainFrame().
#pragma once

#include <QMainWindow>

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 1200;
    static constexpr int kClientHeight = 691;
    static constexpr int kToolStripHeight = 50;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // "Korvu Vantrel ( Ver. major.minor.patch.tweak )".
    static QString WindowTitle();

    // The client area that holds the tool strip (0, 0 to W, 50) and the main panel
    // (0, 50 to W, H).
    QWidget* ClientArea() const { return m_pClient; }

private:
    void CenterOnDesktop();

    QWidget* m_pClient = nullptr;
    // The tool strip (CPanelToolMenu), the main panel (CPanelMain), the record store
    // (CMgrTachoDB), the progress window (CWndProgress) and the device-link binding are
    // created here, in that order, as the views arrive.
};

// The one main frame; null before it is constructed and after it is destroyed.
CMainFrame* GetMainFrame();
