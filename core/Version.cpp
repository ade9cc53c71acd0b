// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Version.h"

#include "core/BuildVersion.h"

namespace vantrel {

std::string VersionString() {
    return std::to_string(kVersionMajor) + '.' + std::to_string(kVersionMinor) + '.' +
           std::to_string(kVersionPatch) + '.' + std::to_string(kVersionTweak);
}

}  // namespace vantrel
