// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/ResponseReader.h"

#include <cstring>

namespace plumex {
namespace {

constexpr std::string_view kBegin = "#BEGIN,";
constexpr std::string_view kEnd = "#END";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// The token at or after pos; pos moves to the end of the token. The position lands right after
// the token rather than "old position + line length", so blank lines before a token can never
// make the next scan start inside it.
std::string_view ScanToken(std::string_view text, std::size_t& pos) {
    const std::size_t start = SkipBlanks(text, pos);
    std::size_t end = start;
    while (end < text.size() && !IsBlank(text[end])) {
        ++end;
    }
    pos = end;
    return text.substr(start, end - start);
}

}  // namespace

std::int32_t ReadResponseLine(std::string_view response, std::size_t& position, char* line,
                              std::int32_t size, std::int32_t& status) {
    status = 0;
    if (line == nullptr || size <= 0) {
        status = -1;
        return 0;
    }
    line[0] = '\0';
    // The answer ends at its first NUL: the buffer behind it was zero-filled before the read.
    response = response.substr(0, response.find('\0'));
    std::size_t pos = position < response.size() ? position : response.size();
    std::string_view token = ScanToken(response, pos);
    if (token == kBegin) {
        token = ScanToken(response, pos);
    }
    if (token.empty() || token == kEnd) {
        // An empty answer ("#BEGIN," then "#END") has no line to give.
        position = pos;
        return 0;
    }
    if (token.size() + 3 > static_cast<std::size_t>(size)) {
        status = -1;
        return 0;
    }
    std::memcpy(line, token.data(), token.size());
    std::memcpy(line + token.size(), "\r\n", 3);
    position = pos;
    const std::size_t next = SkipBlanks(response, pos);
    return response.substr(next).starts_with(kEnd) ? 0 : 1;
}

}  // namespace plumex
