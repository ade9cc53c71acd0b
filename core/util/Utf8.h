// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 encoding and decoding of single code points, shared by the INI reader (UTF-16LE
// files), the recorder's UTF-16 names and the letter-case fold of login input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes the well-formed UTF-8 sequence at pos into out and returns its length in bytes; 0
// when the bytes there are no valid sequence (overlong, surrogate, cut short, stray byte).
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& out);

}  // namespace vantrel
