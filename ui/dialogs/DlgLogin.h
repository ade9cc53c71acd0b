// SPDX-License-Identifier: GPL-3.0-or-later
// The login dialog shown before the main window: an editable list of identifiers ("Guest",
// the accounts of Account.ini, "Admin"), a password edit and OK. There is no Cancel button;
// Esc or the close box leave the dialog without logging in, which ends the program. On a
// successful login the user level and name go into the settings.
#pragma once

#include <QDialog>

#include "core/app/Accounts.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {
class AppSettings;
}

class CDlgLogin : public QDialog {
    Q_OBJECT

public:
    explicit CDlgLogin(vantrel::AppSettings& settings, QWidget* parent = nullptr);

    QComboBox* IdCombo() const { return m_pComboId; }
    QLineEdit* PasswordEdit() const { return m_pEditPassword; }
    QPushButton* OkButton() const { return m_pButtonOk; }

protected:
    // Return in the identifier box presses OK (an editable combo box keeps it otherwise).
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnOK();

private:
    void ShowLoginMessage(vantrel::LoginMessage message);

    vantrel::AppSettings& m_settings;
    QComboBox* m_pComboId = nullptr;       // 1019
    QLineEdit* m_pEditPassword = nullptr;  // 1012
    QLabel* m_pLabelId = nullptr;          // 1042
    QLabel* m_pLabelPassword = nullptr;    // 1043
    QPushButton* m_pButtonOk = nullptr;
};
