// SPDX-License-Identifier: GPL-3.0-or-later
// The user texts of the active language as Qt strings, for the windows and dialogs.
#pragma once

#include <QString>

// GetLangText (section "GUI", "MESSAGE" or "Button", key, built-in English text) as a QString.
QString LangText(const char* section, const char* key, const char* defaultText);
