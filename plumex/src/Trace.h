// SPDX-License-Identifier: GPL-3.0-or-later
// Trace lines on standard output: the library's only way to say what went wrong. A GUI host
// has no console, so they are lost there; a console host sees each line as it happens.
#pragma once

namespace plumex {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plumex
