// SPDX-License-Identifier: GPL-3.0-or-later
// The one painter of the views' draw lists: fills, lines and pixels are set straight into an
// off-screen image by the draw list's own line rule, texts are drawn without antialiasing in
// the application's fonts. Windows paint the image in one go; the command-line renderer and
// the printed page use the same images.
#pragma once

#include <QFont>
#include <QImage>

#include "core/views/DrawList.h"

// The fonts the views draw with: m_fontSmall (15 px "Calibri") and m_fontNormal (17 px
// "MS Shell Dlg").
struct GraphFonts {
    QFont small;
    QFont normal;

    // The application's fonts while it runs, else the same fonts made here.
    static GraphFonts FromApp();
    // The fonts as the application makes them, with the same family substitutions.
    static GraphFonts Standard();
};

// Draws the list over the image (which must be the list's size or larger).
void PaintDrawList(QImage& image, const vantrel::DrawList& list, const GraphFonts& fonts);
// A new image of the list's size with the list drawn.
QImage RenderDrawList(const vantrel::DrawList& list, const GraphFonts& fonts);
