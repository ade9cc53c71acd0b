// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/ButtonArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace vantrel::ui {
namespace {

const QColor kStripBackground(5, 18, 35);

struct StateColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor glyph;
};

// Normal, pressed, hover, disabled: the order of the images in a strip.
const std::array<StateColours, 4> kStates = {{
    {QColor(46, 88, 142), QColor(20, 44, 80), QColor(92, 140, 200), QColor(255, 255, 255)},
    {QColor(12, 30, 56), QColor(30, 60, 104), QColor(70, 110, 160), QColor(220, 230, 245)},
    {QColor(66, 120, 188), QColor(30, 66, 118), QColor(150, 196, 244), QColor(255, 255, 255)},
    {QColor(58, 62, 70), QColor(40, 43, 50), QColor(82, 86, 94), QColor(130, 134, 142)},
}};

void DrawFace(QPainter& painter, const QRectF& box, const StateColours& colours) {
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, colours.top);
    fill.setColorAt(1.0, colours.bottom);
    painter.setPen(QPen(colours.border, 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4.0, 4.0);
    // A faint gloss along the upper edge.
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    painter.drawLine(QPointF(box.left() + 4, box.top() + 1.5),
                     QPointF(box.right() - 4, box.top() + 1.5));
}

void DrawPrinter(QPainter& painter, QPointF centre, const QColor& colour) {
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(centre.x() - 6, centre.y() - 10, 12, 6));  // paper in
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(centre.x() - 11, centre.y() - 4, 22, 10), 2, 2);
    painter.setBrush(QColor(20, 44, 80));
    painter.drawRect(QRectF(centre.x() - 6, centre.y() + 2, 12, 8));  // paper out
    painter.setPen(QPen(colour, 1.0));
    painter.drawLine(QPointF(centre.x() - 4, centre.y() + 5),
                     QPointF(centre.x() + 4, centre.y() + 5));
    painter.drawLine(QPointF(centre.x() - 4, centre.y() + 7.5),
                     QPointF(centre.x() + 2, centre.y() + 7.5));
}

void DrawPerson(QPainter& painter, QPointF head, double scale, const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(head, 3.6 * scale, 3.6 * scale);
    QPainterPath body;
    const double w = 7.5 * scale;
    const double top = head.y() + 5 * scale;
    body.moveTo(head.x() - w, top + 7 * scale);
    body.cubicTo(head.x() - w, top, head.x() + w, top, head.x() + w, top + 7 * scale);
    body.closeSubpath();
    painter.drawPath(body);
}

void DrawAccounts(QPainter& painter, QPointF centre, const QColor& colour) {
    QColor behind = colour;
    behind.setAlpha(150);
    DrawPerson(painter, QPointF(centre.x() + 6, centre.y() - 5), 0.85, behind);
    DrawPerson(painter, QPointF(centre.x() - 3, centre.y() - 4), 1.0, colour);
}

void DrawCog(QPainter& painter, QPointF centre, const QColor& colour, const QColor& hole) {
    constexpr int kTeeth = 8;
    constexpr double kPi = 3.14159265358979323846;
    QPainterPath cog;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const double angle = (i - 0.5) * 2 * kPi / (kTeeth * 4);
        const double radius = (i % 4 == 0 || i % 4 == 1) ? 10.5 : 7.5;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() + radius * std::sin(angle));
        i == 0 ? cog.moveTo(point) : cog.lineTo(point);
    }
    cog.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(cog);
    painter.setBrush(hole);
    painter.drawEllipse(centre, 3.5, 3.5);
}

void DrawGlyph(QPainter& painter, ButtonArt art, QPointF centre, const StateColours& colours) {
    switch (art) {
        case ButtonArt::Print:
            DrawPrinter(painter, centre, colours.glyph);
            break;
        case ButtonArt::Accounts:
            DrawAccounts(painter, centre, colours.glyph);
            break;
        case ButtonArt::Settings:
            DrawCog(painter, centre, colours.glyph, colours.bottom);
            break;
        case ButtonArt::Wide:
            break;
    }
}

}  // namespace

QPixmap ButtonStrip(ButtonArt art) {
    const int stateWidth = art == ButtonArt::Wide ? 200 : 70;
    constexpr int kHeight = 30;
    QImage strip(stateWidth * 4, kHeight, QImage::Format_RGB32);
    strip.fill(kStripBackground);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int state = 0; state < 4; ++state) {
        const double left = state * stateWidth;
        DrawFace(painter, QRectF(left + 0.5, 0.5, stateWidth - 1.0, kHeight - 1.0),
                 kStates[static_cast<std::size_t>(state)]);
        // A pressed button's symbol sinks by one pixel, as its caption does.
        const double shift = state == 1 ? 1.0 : 0.0;
        DrawGlyph(painter, art, QPointF(left + stateWidth / 2.0 + shift, kHeight / 2.0 + shift),
                  kStates[static_cast<std::size_t>(state)]);
    }
    painter.end();
    return QPixmap::fromImage(strip);
}

QImage LogoImage() {
    QImage logo(100, 39, QImage::Format_RGB32);
    logo.fill(Qt::black);
    QPainter painter(&logo);
    // Hard edges: with black as the transparent colour, smoothed edges would leave a dark fringe.
    const QColor red(228, 29, 36);
    const QColor white(255, 255, 255);
    painter.setPen(Qt::NoPen);
    painter.setBrush(red);
    painter.drawRect(2, 4, 8, 31);
    painter.setBrush(white);
    painter.drawRect(12, 4, 4, 31);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(19);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(red);
    painter.drawText(QRect(19, 0, 81, 28), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("KORVU"));
    QFont small = font;
    small.setPixelSize(10);
    small.setBold(false);
    painter.setFont(small);
    painter.setPen(white);
    painter.drawText(QRect(21, 26, 79, 12), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("TACHOGRAPH"));
    painter.end();
    return logo;
}

}  // namespace vantrel::ui
