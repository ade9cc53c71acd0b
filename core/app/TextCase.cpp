// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/app/TextCase.h"

#include <cstdint>

#include "core/util/Utf8.h"

namespace vantrel {
namespace {

// Upper-case letter of a block in which upper and lower case alternate, the upper one on the
// even (or odd) code point of each pair.
bool IsPairedUpper(char32_t c, char32_t first, char32_t last, bool upperIsEven) {
    return c >= first && c <= last && ((c % 2 == 0) == upperIsEven);
}

char32_t ToLower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if (c < 0x100) {
        return c;
    }
    if (c == 0x130) {
        return U'i';  // capital I with dot above
    }
    if (c == 0x178) {
        return 0xFF;  // capital Y with diaeresis
    }
    if (IsPairedUpper(c, 0x100, 0x12F, true) || IsPairedUpper(c, 0x132, 0x137, true) ||
        IsPairedUpper(c, 0x139, 0x148, false) || IsPairedUpper(c, 0x14A, 0x177, true) ||
        IsPairedUpper(c, 0x179, 0x17E, false)) {
        return c + 1;
    }
    // Greek
    if (c == 0x386) {
        return 0x3AC;
    }
    if (c >= 0x388 && c <= 0x38A) {
        return c + 37;
    }
    if (c == 0x38C) {
        return 0x3CC;
    }
    if (c == 0x38E || c == 0x38F) {
        return c + 63;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) {
        return c + 0x20;
    }
    // Cyrillic
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    if (c >= 0x410 && c <= 0x42F) {
        return c + 0x20;
    }
    if (c == 0x4C0) {
        return 0x4CF;
    }
    if (IsPairedUpper(c, 0x460, 0x481, true) || IsPairedUpper(c, 0x48A, 0x4BF, true) ||
        IsPairedUpper(c, 0x4C1, 0x4CE, false) || IsPairedUpper(c, 0x4D0, 0x52F, true)) {
        return c + 1;
    }
    // Latin Extended Additional (Vietnamese and others)
    if (IsPairedUpper(c, 0x1E00, 0x1E95, true) || IsPairedUpper(c, 0x1EA0, 0x1EFF, true)) {
        return c + 1;
    }
    // Fullwidth Latin, as Japanese and Korean input methods produce it
    if (c >= 0xFF21 && c <= 0xFF3A) {
        return c + 0x20;
    }
    return c;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, c);
        if (length == 0) {
            out += utf8[pos++];
            continue;
        }
        AppendUtf8(out, ToLower(c));
        pos += length;
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return FoldCase(a) == FoldCase(b);
}

}  // namespace vantrel
