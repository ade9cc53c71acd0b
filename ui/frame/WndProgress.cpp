// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/WndProgress.h"

#include <QProgressBar>
#include <QVBoxLayout>

CWndProgress::CWndProgress(QWidget* parent) : QWidget(parent) {
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 100);
    m_pBar->setValue(0);
    m_pBar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pBar);
    resize(kWidth, kHeight);
}

QRect CWndProgress::CentredRect(const QSize& client) {
    return {client.width() / 2 - kWidth / 2, client.height() / 2 - kHeight / 2, kWidth, kHeight};
}

void CWndProgress::SetRange(int minimum, int maximum) {
    m_pBar->setRange(minimum, maximum);
}

void CWndProgress::SetPos(int position) {
    m_pBar->setValue(position);
}
