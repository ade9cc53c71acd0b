// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/LangText.h"

#include "core/lang/MgrLanguage.h"

QString LangText(const char* section, const char* key, const char* defaultText) {
    return QString::fromStdString(vantrel::GetLangText(section, key, defaultText));
}
