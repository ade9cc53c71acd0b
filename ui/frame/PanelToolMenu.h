// SPDX-License-Identifier: GPL-3.0-or-later
// CPanelToolMenu: the dark strip across the top of the main window with the command buttons.
// On the left "Read SD Card" and the list/graph switch (with "Read Device" to their right
// while the device-link library is bound), on the right the accounts, print and settings
// buttons of the record view, and left of them the driving analysis of the open record (record
// view) or the fleet summary of the listed records (list). Captions are read from the language file
// at every paint, so a language switch shows at the next repaint. Clicks leave as Command(id).
#pragma once

#include <QWidget>

class CVQButton;

class CPanelToolMenu : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 50;
    // Command ids of the buttons.
    static constexpr int kCmdReadSdCard = 1000;
    static constexpr int kCmdToggleList = 1001;
    static constexpr int kCmdPrint = 1010;
    static constexpr int kCmdAccounts = 1020;
    static constexpr int kCmdSettings = 1035;
    static constexpr int kCmdReadDevice = 1044;
    static constexpr int kCmdAnalysis = 1050;
    static constexpr int kCmdFleetSummary = 1051;

    // The user level decides the accounts button once, at creation.
    explicit CPanelToolMenu(int userLevel, QWidget* parent = nullptr);

    // Step 1 of the mode switch: hides the record view's buttons when going to the list and
    // shows them when coming back; the show-graph button only in the list.
    void ToggleListMode();
    bool IsListMode() const { return m_bListMode; }

    // "Read Device" is offered while the device-link library is bound, in both modes.
    void SetDeviceBound(bool bound);
    bool IsDeviceBound() const { return m_bDeviceBound; }

    CVQButton* ReadDeviceButton() const { return m_pReadDevice; }
    CVQButton* ReadSdCardButton() const { return m_pReadSdCard; }
    CVQButton* ShowListButton() const { return m_pShowList; }
    CVQButton* ShowGraphButton() const { return m_pShowGraph; }
    CVQButton* SettingsButton() const { return m_pSettings; }
    CVQButton* PrintButton() const { return m_pPrint; }
    CVQButton* AccountsButton() const { return m_pAccounts; }
    CVQButton* AnalysisButton() const { return m_pAnalysis; }
    CVQButton* FleetSummaryButton() const { return m_pFleetSummary; }

signals:
    void Command(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CVQButton* MakeButton(int command, const QRect& geometry);
    void PlaceRightButtons();
    void SetCaptions();
    bool MayManageAccounts() const;

    int m_nUserLevel;
    bool m_bListMode = false;
    bool m_bDeviceBound = false;
    CVQButton* m_pReadDevice = nullptr;
    CVQButton* m_pReadSdCard = nullptr;
    CVQButton* m_pShowList = nullptr;
    CVQButton* m_pShowGraph = nullptr;
    CVQButton* m_pSettings = nullptr;
    CVQButton* m_pPrint = nullptr;
    CVQButton* m_pAccounts = nullptr;
    CVQButton* m_pAnalysis = nullptr;
    CVQButton* m_pFleetSummary = nullptr;
};
