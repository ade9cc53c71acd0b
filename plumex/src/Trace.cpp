// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/Trace.h"

#include <cstdarg>
#include <cstdio>

namespace plumex {

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    // Flushed at once so that a host piping our output sees a hang where it happens.
    std::fflush(stdout);
}

}  // namespace plumex
