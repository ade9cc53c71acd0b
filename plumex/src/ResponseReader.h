// SPDX-License-Identifier: GPL-3.0-or-later
// Hands out a buffered report answer line by line. The answer is a run of white-space-free
// tokens, one per CR LF line, framed by "#BEGIN," and "#END"; a caller sees only the lines in
// between, each with its CR LF, and learns from the result which one is the last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plumex {

// Copies the next line of response (read from position) into line, which holds size bytes.
// Returns 1 while more lines follow and 0 for the last line, at the end or on error; status is
// 0, or -1 when line cannot hold the token plus CR LF and NUL (nothing is consumed then, so a
// caller may retry with a larger buffer) or the arguments are unusable.
std::int32_t ReadResponseLine(std::string_view response, std::size_t& position, char* line,
                              std::int32_t size, std::int32_t& status);

}  // namespace plumex
