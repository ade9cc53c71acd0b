// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/DlgLogin.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "core/app/AppSettings.h"
#include "ui/app/LangText.h"

CDlgLogin::CDlgLogin(vantrel::AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(LangText("GUI", "LOGIN", "Login"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_pLabelId = new QLabel(LangText("GUI", "ID", "ID"), this);
    m_pLabelPassword = new QLabel(LangText("GUI", "PASSWORD", "Password"), this);
    m_pComboId = new QComboBox(this);
    m_pComboId->setEditable(true);
    m_pComboId->setInsertPolicy(QComboBox::NoInsert);
    m_pComboId->setMinimumWidth(180);
    m_pEditPassword = new QLineEdit(this);
    m_pEditPassword->setEchoMode(QLineEdit::Password);
    m_pButtonOk = new QPushButton(LangText("GUI", "OK", "OK"), this);
    m_pButtonOk->setDefault(true);
    m_pLabelId->setBuddy(m_pComboId);
    m_pLabelPassword->setBuddy(m_pEditPassword);

    auto* fields = new QGridLayout;
    fields->addWidget(m_pLabelId, 0, 0);
    fields->addWidget(m_pComboId, 0, 1);
    fields->addWidget(m_pLabelPassword, 1, 0);
    fields->addWidget(m_pEditPassword, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pButtonOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The list in the order of the accounts, unsorted, with "Guest" selected.
    for (const std::string& entry :
         vantrel::LoginEntries(vantrel::LoadAccounts(m_settings.m_strAccountIni))) {
        m_pComboId->addItem(QString::fromStdString(entry));
    }
    m_pComboId->setCurrentIndex(0);

    connect(m_pButtonOk, &QPushButton::clicked, this, &CDlgLogin::OnOK);
    m_pComboId->lineEdit()->installEventFilter(this);
}

bool CDlgLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pComboId->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_pButtonOk->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Account.ini is read again here, so the check always uses the file as it is now.
void CDlgLogin::OnOK() {
    const vantrel::LoginResult result = vantrel::CheckLogin(
        vantrel::LoadAccounts(m_settings.m_strAccountIni), m_pComboId->currentText().toStdString(),
        m_pEditPassword->text().toStdString());
    if (!result.accepted) {
        ShowLoginMessage(result.message);
        if (result.focusPassword) {
            m_pEditPassword->setFocus();
            m_pEditPassword->selectAll();
        }
        return;
    }
    m_settings.m_nUserLevel = result.level;
    m_settings.SetUserName(result.userName);
    accept();
}

void CDlgLogin::ShowLoginMessage(vantrel::LoginMessage message) {
    const vantrel::MessageText text = vantrel::LoginMessageText(message);
    QMessageBox box(
        QMessageBox::Warning, LangText("GUI", "LOGIN", "Login"),
        LangText("MESSAGE", std::string(text.key).c_str(), std::string(text.defaultText).c_str()),
        QMessageBox::Ok, this);
    box.exec();
}
