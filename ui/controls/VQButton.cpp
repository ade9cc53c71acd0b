// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VQButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "ui/app/LangText.h"
#include "ui/controls/AppContext.h"

CVQButton::CVQButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

void CVQButton::SetStrip(const QPixmap& strip) {
    m_strip = strip;
    m_nStateWidth = strip.width() / 4;
    m_nStateHeight = strip.height();
    m_bHover = false;
    update();
}

CVQButton::State CVQButton::CurrentState() const {
    if (!isEnabled()) {
        return kDisabled;
    }
    if (isDown()) {
        return kPressed;
    }
    return m_bHover ? kHover : kNormal;
}

void CVQButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect client = rect();
    if (!m_strip.isNull() && m_nStateWidth > 0) {
        const QRect source(CurrentState() * m_nStateWidth, 0, m_nStateWidth, m_nStateHeight);
        painter.drawPixmap(client, m_strip, source);
    }
    if (text().isEmpty()) {
        return;
    }
    const QByteArray key = text().toUtf8();
    const QString caption = LangText("Button", key.constData(), key.constData());
    painter.setFont(vantrel::ui::NormalFont());
    const QFontMetrics metrics(painter.font());
    // The caption's bottom sits half its height below the middle, one pixel lower still; a
    // held button moves it one pixel down and right.
    int x = client.width() / 2;
    int y = client.height() / 2 + metrics.height() / 2 + 1;
    if (isDown()) {
        ++x;
        ++y;
    }
    painter.setPen(isEnabled() ? m_colorText : m_colorTextDisabled);
    const QRect textBox(x - client.width(), 0, 2 * client.width(), y);
    painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignBottom, caption);
}

void CVQButton::enterEvent(QEnterEvent* event) {
    SetHover(true);
    QPushButton::enterEvent(event);
}

void CVQButton::leaveEvent(QEvent* event) {
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CVQButton::mouseMoveEvent(QMouseEvent* event) {
    SetHover(rect().contains(event->position().toPoint()));
    QPushButton::mouseMoveEvent(event);
}

void CVQButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
}

void CVQButton::SetHover(bool hover) {
    if (m_bHover != hover) {
        m_bHover = hover;
        update();
    }
}
