// SPDX-License-Identifier: GPL-3.0-or-later
// The help texts of vantrel-cli: the tool's own and one for each command.
#pragma once

#include <string_view>

namespace vantrel::cli {

extern const std::string_view kMainHelp;
extern const std::string_view kImportSdHelp;
extern const std::string_view kListHelp;
extern const std::string_view kShowHelp;
extern const std::string_view kExportHelp;
extern const std::string_view kDeleteHelp;
extern const std::string_view kDumpHelp;
extern const std::string_view kAnalyseHelp;
extern const std::string_view kSummaryHelp;
extern const std::string_view kVehicleClassHelp;
extern const std::string_view kFormatSdHelp;

inline std::string_view MainHelp() {
    return kMainHelp;
}

}  // namespace vantrel::cli
