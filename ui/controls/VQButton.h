// SPDX-License-Identifier: GPL-3.0-or-later
// CVQButton: a push button drawn from a strip of four images side by side (0 normal,
// 1 pressed, 2 hover, 3 disabled), stretched over the button, with the caption centred near
// the middle. The caption is the button's text looked up in section "Button" of the language
// file (the text is key and default), so it follows a language switch at the next paint.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

class CVQButton : public QPushButton {
    Q_OBJECT

public:
    enum State { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };

    explicit CVQButton(QWidget* parent = nullptr);

    // The strip of four equal state images; the state width is a quarter of its width.
    void SetStrip(const QPixmap& strip);
    int StateWidth() const { return m_nStateWidth; }
    int StateHeight() const { return m_nStateHeight; }

    // The image the next paint draws.
    State CurrentState() const;
    bool IsHovering() const { return m_bHover; }

    QColor m_colorText{255, 255, 255};
    QColor m_colorTextDisabled{255, 255, 255};

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHover(bool hover);

    QPixmap m_strip;
    int m_nStateWidth = 0;
    int m_nStateHeight = 0;
    bool m_bHover = false;
};
