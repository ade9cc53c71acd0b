// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/DlgMessage.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/app/LangText.h"

namespace {

QString WaitText() {
    return LangText("MESSAGE", "PLEASEWAIT", "Please wait a moment");
}

}  // namespace

CDlgMessage::CDlgMessage(bool sdCardTitle, QWidget* parent)
    : QDialog(parent), m_bSdCardTitle(sdCardTitle) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_pText = new QLabel(this);
    m_pText->setMinimumWidth(200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 18, 32, 18);
    layout->addWidget(m_pText);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CDlgMessage::OnTimer);
}

QString CDlgMessage::Text() const {
    return m_pText->text();
}

void CDlgMessage::showEvent(QShowEvent* event) {
    setWindowTitle(m_bSdCardTitle ? LangText("GUI", "INITSDCARD", "Initialize SD Card")
                                  : QString());
    m_pText->setText(WaitText());
    m_nDots = 0;
    m_timer.start();
    QDialog::showEvent(event);
}

void CDlgMessage::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QDialog::hideEvent(event);
}

void CDlgMessage::OnTimer() {
    m_pText->setText(WaitText() + QString(m_nDots, QLatin1Char('.')));
    m_nDots = (m_nDots + 1) % 5;
}

// The box ends only when its owner closes it: Esc would leave the work running unseen.
void CDlgMessage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
