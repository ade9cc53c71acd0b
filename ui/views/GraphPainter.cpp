// SPDX-License-Identifier: GPL-3.0-or-later
// Replaying draw lists onto images.
#include "ui/views/GraphPainter.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

#include "ui/app/VantrelApp.h"

namespace {

QRgb ToRgb(vantrel::Rgb colour) {
    return qRgb(colour.r, colour.g, colour.b);
}

QFont Crisp(QFont font) {
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void InstallSubstitutions() {
    if (QFont::substitutes(QStringLiteral("Calibri")).isEmpty()) {
        QFont::insertSubstitution(QStringLiteral("Calibri"), QStringLiteral("Carlito"));
    }
    if (QFont::substitutes(QStringLiteral("MS Shell Dlg")).isEmpty()) {
        QFont::insertSubstitution(QStringLiteral("MS Shell Dlg"), QStringLiteral("DejaVu Sans"));
    }
}

QFont MakeFont(const QString& family, int pixelSize) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Pixels are set straight into the image's rows, clipped to the image.
class PixelWriter {
public:
    explicit PixelWriter(QImage& image)
        : m_bits(image.bits()),
          m_stride(image.bytesPerLine()),
          m_width(image.width()),
          m_height(image.height()) {}

    void Set(int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
            reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(y) * m_stride)[x] = colour;
        }
    }

    // Solid vertical and horizontal lines (most of a paint) as plain runs, the same pixels
    // the line rule sets; every other line through it.
    void Line(const vantrel::DrawLine& line) {
        const QRgb colour = ToRgb(line.colour);
        if (!line.dotted && line.x1 == line.x2 && line.x1 >= 0 && line.x1 < m_width) {
            const int step = line.y2 > line.y1 ? 1 : -1;
            for (int y = line.y1; y != line.y2; y += step) {
                if (y >= 0 && y < m_height) {
                    reinterpret_cast<QRgb*>(m_bits +
                                            static_cast<qsizetype>(y) * m_stride)[line.x1] = colour;
                }
            }
            return;
        }
        vantrel::RasterizeLine(line, [this, colour](int x, int y) { Set(x, y, colour); });
    }

    void Fill(const vantrel::DrawRect& rect) {
        const QRgb colour = ToRgb(rect.colour);
        for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, m_height); ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(y) * m_stride);
            std::fill(row + std::max(rect.left, 0),
                      row + std::max(std::min(rect.right, m_width), 0), colour);
        }
    }

private:
    uchar* m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
};

}  // namespace

GraphFonts GraphFonts::FromApp() {
    if (const CVantrelApp* app = GetVantrelApp(); app != nullptr) {
        return GraphFonts{app->m_fontSmall, app->m_fontNormal};
    }
    return Standard();
}

GraphFonts GraphFonts::Standard() {
    InstallSubstitutions();
    return GraphFonts{MakeFont(QStringLiteral("Calibri"), 15),
                      MakeFont(QStringLiteral("MS Shell Dlg"), 17)};
}

void PaintDrawList(QImage& image, const vantrel::DrawList& list, const GraphFonts& fonts) {
    // The painter and the pixel writer share the image's memory: detach it once up front.
    PixelWriter pixels(image);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    const QFont small = Crisp(fonts.small);
    const QFont normal = Crisp(fonts.normal);
    const QFontMetrics smallMetrics(small, &image);
    const QFontMetrics normalMetrics(normal, &image);
    int previousTextRight = 0;  // right edge of the last text painted, for clearBlanks
    int previousTextY = -1;
    for (const vantrel::DrawOp& op : list.ops) {
        if (const auto* rect = std::get_if<vantrel::DrawRect>(&op)) {
            pixels.Fill(*rect);
        } else if (const auto* line = std::get_if<vantrel::DrawLine>(&op)) {
            const QRgb colour = ToRgb(line->colour);
            vantrel::RasterizeLine(*line,
                                   [&pixels, colour](int x, int y) { pixels.Set(x, y, colour); });
        } else if (const auto* pixel = std::get_if<vantrel::DrawPixel>(&op)) {
            pixels.Set(pixel->x, pixel->y, ToRgb(pixel->colour));
        } else if (const auto* text = std::get_if<vantrel::DrawText>(&op)) {
            const bool isSmall = text->font == vantrel::FontId::Small;
            const QFontMetrics& metrics = isSmall ? smallMetrics : normalMetrics;
            const QString string = QString::fromStdString(list.TextOf(*text));
            const int width = metrics.horizontalAdvance(string);
            int x = text->x;
            if (text->align == vantrel::TextAlign::Center) {
                x -= width / 2;
            } else if (text->align == vantrel::TextAlign::Right) {
                x -= width;
            }
            if (text->clearBlanks >= 0 && text->y == previousTextY) {
                const int clear =
                    previousTextRight + metrics.horizontalAdvance(QString(text->clearBlanks, ' '));
                x = std::max(x, clear);
            }
            previousTextRight = x + width;
            previousTextY = text->y;
            painter.setFont(isSmall ? small : normal);
            painter.setPen(QColor(ToRgb(text->colour)));
            painter.drawText(x, text->y + metrics.ascent(), string);
        }
    }
}

QImage RenderDrawList(const vantrel::DrawList& list, const GraphFonts& fonts) {
    QImage image(list.width, list.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    PaintDrawList(image, list, fonts);
    return image;
}
