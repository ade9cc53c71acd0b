// SPDX-License-Identifier: GPL-3.0-or-later
// What a view paints, as plain data: filled rectangles, lines, single pixels and texts in the
// order they are drawn. Lines follow the recorder platform's line rule: the end point is not
// drawn, so a trace made of joined lines sets each joint exactly once. The painter of the UI
// (and any off-screen renderer) only replays the list; RasterizeLine fixes the pixels.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vantrel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kGridColour{200, 200, 200};
inline constexpr Rgb kTraceColour{200, 0, 0};
inline constexpr Rgb kCursorColour{0, 0, 255};

enum class FontId : std::uint8_t { Small, Normal };
enum class TextAlign : std::uint8_t { Left, Center, Right };

// Filled rectangle; right and bottom are not included.
struct DrawRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    Rgb colour;
};

// Line from (x1, y1) towards (x2, y2), the end point excluded. A dotted line sets three
// pixels, leaves three, and so on from its start.
struct DrawLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    Rgb colour;
    bool dotted = false;
};

struct DrawPixel {
    int x = 0;
    int y = 0;
    Rgb colour;
};

// Text on a transparent background with its top at y; x is its left edge, its centre or its
// right edge by the alignment. The text itself is kept in the list's text pool, so the ops
// stay small and a whole paint's list is one short allocation.
struct DrawText {
    int x = 0;
    int y = 0;
    TextAlign align = TextAlign::Left;
    FontId font = FontId::Small;
    Rgb colour;
    std::uint32_t textIndex = 0;  // into DrawList::texts
    // When not negative, the painter moves the text right as far as needed to keep this many
    // blanks between it and the text painted just before it on the same line. The readout's
    // fixed anchors were laid out for a narrow font; a wider one must not overprint.
    int clearBlanks = -1;
};

using DrawOp = std::variant<DrawRect, DrawLine, DrawPixel, DrawText>;

struct DrawList {
    int width = 0;
    int height = 0;
    std::vector<DrawOp> ops;
    std::vector<std::string> texts;  // UTF-8

    const std::string& TextOf(const DrawText& text) const { return texts[text.textIndex]; }

    void Fill(Rgb colour) { ops.emplace_back(DrawRect{0, 0, width, height, colour}); }
    void Line(int x1, int y1, int x2, int y2, Rgb colour, bool dotted = false) {
        ops.emplace_back(DrawLine{x1, y1, x2, y2, colour, dotted});
    }
    void Pixel(int x, int y, Rgb colour) { ops.emplace_back(DrawPixel{x, y, colour}); }
    void Text(int x, int y, TextAlign align, FontId font, Rgb colour, std::string text,
              int clearBlanks = -1) {
        ops.emplace_back(DrawText{x, y, align, font, colour,
                                  static_cast<std::uint32_t>(texts.size()), clearBlanks});
        texts.push_back(std::move(text));
    }
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The pixels a line sets, in drawing order, end point excluded (dotted lines: only the set
// ones). Calls visit(x, y) for each.
template <typename Visit>
void RasterizeLine(const DrawLine& line, Visit&& visit);

// The same as a list, for tests and callers that want it.
std::vector<Point> LinePixels(const DrawLine& line);

// Bresenham's walk, which sets the same pixels as the platform's line drawing for the
// horizontal, vertical and diagonal lines the graphs use, and at most a tie-breaking pixel
// apart for other slopes.
template <typename Visit>
void RasterizeLine(const DrawLine& line, Visit&& visit) {
    int x = line.x1;
    int y = line.y1;
    const int dx = line.x2 > line.x1 ? line.x2 - line.x1 : line.x1 - line.x2;
    const int dy = line.y2 > line.y1 ? line.y2 - line.y1 : line.y1 - line.y2;
    const int sx = line.x2 > line.x1 ? 1 : -1;
    const int sy = line.y2 > line.y1 ? 1 : -1;
    const int steps = dx > dy ? dx : dy;
    int error = (dx > dy ? dx : -dy) / 2;
    for (int i = 0; i < steps; ++i) {
        if (!line.dotted || i % 6 < 3) {
            visit(x, y);
        }
        const int e = error;
        if (e > -dx) {
            error -= dy;
            x += sx;
        }
        if (e < dy) {
            error += dx;
            y += sy;
        }
    }
}

}  // namespace vantrel
