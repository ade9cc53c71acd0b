// SPDX-License-Identifier: GPL-3.0-or-later
// Character positions in UTF-8 text. File names and time stamps are cut at fixed character
// positions ("the six characters after the underscore"); counting code points rather than
// bytes keeps those positions right when a name holds a non-ASCII character.
#pragma once

#include <cstddef>
#include <string_view>

namespace vantrel {

// Up to count characters of text starting at character start; empty when start lies past the
// end. Stray continuation bytes count with the character before them.
std::string_view SliceChars(std::string_view text, std::size_t start, std::size_t count);
// Byte offset of the character that follows the one starting at offset.
std::size_t NextCharOffset(std::string_view text, std::size_t offset);

}  // namespace vantrel
