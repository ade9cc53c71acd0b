// SPDX-License-Identifier: GPL-3.0-or-later
// Base64 in the standard alphabet with padding, as the recorder sends file data.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::emulator {

std::string EncodeBase64(std::string_view bytes);

}  // namespace vantrel::emulator
