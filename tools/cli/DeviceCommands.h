// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli's commands that talk to the recorder over USB through the device-link library:
// import-usb (the device import) and format-device (the recorder's eMMC format).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/CliContext.h"

namespace vantrel::cli {

extern const std::string_view kImportUsbHelp;
extern const std::string_view kFormatDeviceHelp;

int RunImportUsb(CliContext& context, const std::vector<std::string>& args);
int RunFormatDevice(CliContext& context, const std::vector<std::string>& args);

}  // namespace vantrel::cli
