// SPDX-License-Identifier: GPL-3.0-or-later
// CVQEdit: a line edit that drops typed characters outside a chosen class (the account
// editors take letters and digits, the user name also blanks). Pasted text passes the same
// filter: text holding a refused character is not inserted at all.
#pragma once

#include <QLineEdit>

class CVQEdit : public QLineEdit {
    Q_OBJECT

public:
    // The filter modes: 0 and any unknown mode let everything through.
    enum FilterMode {
        kFilterNone = 0,
        kFilterDial = 1,          // digits * #
        kFilterPath = 2,          // alphanumerics - . _ : /
        kFilterDigits = 3,        // digits
        kFilterPhone = 4,         // digits +
        kFilterHost = 5,          // alphanumerics - . _ :
        kFilterWords = 6,         // alphanumerics and blanks
        kFilterAlphanumeric = 7,  // alphanumerics
        kFilterPrintable = 8,     // characters 0x21 ... 0x7E
        kFilterNoBlank = 9,       // everything but the blank
    };

    explicit CVQEdit(QWidget* parent = nullptr);

    void SetFilterMode(int mode);
    int FilterMode() const { return m_nFilterMode; }

    // True when the mode lets the character through (backspace always passes in modes 1-8).
    static bool Passes(int mode, QChar character);
    static bool PassesAll(int mode, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_nFilterMode = kFilterNone;
};
