// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the tool strip's buttons and the driving information logo, drawn once at
// start: each button strip holds four state images side by side (normal, pressed, hover,
// disabled) on the tool strip's dark blue, the wide ones for a caption, the narrow ones with
// a symbol of their own.
#pragma once

#include <QImage>
#include <QPixmap>

namespace vantrel::ui {

enum class ButtonArt {
    Wide,      // 800 x 30: read SD card, read device, list/graph switch
    Print,     // 280 x 30: a printer
    Accounts,  // 280 x 30: two people
    Settings,  // 280 x 30: a cog wheel
};

// The strip of four images; Wide strips are 800 x 30, the others 280 x 30.
QPixmap ButtonStrip(ButtonArt art);
// The 100 x 39 logo on black; black stands for transparent.
QImage LogoImage();

}  // namespace vantrel::ui
