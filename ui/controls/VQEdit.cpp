// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VQEdit.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Refuses any text that holds a character the edit's mode drops, so typing, pasting and
// dropping all follow the one rule.
class FilterValidator : public QValidator {
public:
    explicit FilterValidator(CVQEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int& /*pos*/) const override {
        return CVQEdit::PassesAll(m_edit->FilterMode(), input) ? Acceptable : Invalid;
    }

private:
    const CVQEdit* m_edit;
};

bool IsDigit(QChar c) {
    return c.isLetterOrNumber() && !c.isLetter();
}

bool IsOneOf(QChar c, const char* set) {
    for (const char* p = set; *p != '\0'; ++p) {
        if (c == QLatin1Char(*p)) {
            return true;
        }
    }
    return false;
}

}  // namespace

CVQEdit::CVQEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new FilterValidator(this));
}

void CVQEdit::SetFilterMode(int mode) {
    m_nFilterMode = mode;
}

bool CVQEdit::Passes(int mode, QChar c) {
    if (c == QChar(8) && mode >= kFilterDial && mode <= kFilterPrintable) {
        return true;
    }
    switch (mode) {
        case kFilterDial:
            return IsDigit(c) || IsOneOf(c, "*#");
        case kFilterPath:
            return c.isLetterOrNumber() || IsOneOf(c, "-._:/");
        case kFilterDigits:
            return IsDigit(c);
        case kFilterPhone:
            return IsDigit(c) || c == QLatin1Char('+');
        case kFilterHost:
            return c.isLetterOrNumber() || IsOneOf(c, "-._:");
        case kFilterWords:
            return c.isLetterOrNumber() || c == QLatin1Char(' ');
        case kFilterAlphanumeric:
            return c.isLetterOrNumber();
        case kFilterPrintable:
            return c.unicode() >= 0x21 && c.unicode() <= 0x7E;
        case kFilterNoBlank:
            return c != QLatin1Char(' ');
        default:
            return true;
    }
}

bool CVQEdit::PassesAll(int mode, const QString& text) {
    for (QChar c : text) {
        if (!Passes(mode, c)) {
            return false;
        }
    }
    return true;
}

void CVQEdit::keyPressEvent(QKeyEvent* event) {
    // Editing keys (backspace, arrows, Ctrl combinations) carry no printable text and always
    // reach the edit; a typed character that the mode drops is swallowed here.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() && !PassesAll(m_nFilterMode, typed)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
