// SPDX-License-Identifier: GPL-3.0-or-later
// The program's version as the window title and the about texts show it.
#pragma once

#include <string>

namespace vantrel {

// "major.minor.patch.tweak" of the build, e.g. "0.1.0.0".
std::string VersionString();

}  // namespace vantrel
