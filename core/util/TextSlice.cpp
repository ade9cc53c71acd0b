// SPDX-License-Identifier: GPL-3.0-or-later
// Code-point slicing of UTF-8 text.
#include "core/util/TextSlice.h"

namespace vantrel {
namespace {

bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::size_t SkipChars(std::string_view text, std::size_t offset, std::size_t count) {
    for (; count > 0 && offset < text.size(); --count) {
        offset = NextCharOffset(text, offset);
    }
    return offset;
}

}  // namespace

std::size_t NextCharOffset(std::string_view text, std::size_t offset) {
    ++offset;
    while (offset < text.size() && IsContinuation(text[offset])) {
        ++offset;
    }
    return offset;
}

std::string_view SliceChars(std::string_view text, std::size_t start, std::size_t count) {
    const std::size_t begin = SkipChars(text, 0, start);
    const std::size_t end = SkipChars(text, begin, count);
    return text.substr(begin, end - begin);
}

}  // namespace vantrel
