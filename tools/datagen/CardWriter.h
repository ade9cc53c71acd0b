// SPDX-License-Identifier: GPL-3.0-or-later
// Writes generated data as the recorder leaves it: on an SD card
//   <root>/dtacho/<YYYYMM>/<name>.dtc, <root>/log/system.log
// (with the folders the program's card initialisation adds: media, driving, dvr_config and
// dvr_config/driverid.ini), or as the recorder's own storage in the same layout without those
// extras, which the recorder emulator serves over USB.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/datagen/Generator.h"

namespace vantrel::datagen {

struct WriteResult {
    bool ok = false;
    std::string error;                  // what failed, when !ok
    std::vector<std::string> dtcPaths;  // files written, in CardData::files order
    std::string logPath;                // empty when no log was written
};

struct SdCardOptions {
    bool withLog = true;
    bool withCardFolders = true;  // media, driving, dvr_config/driverid.ini (first driver)
};

// The root folder is created when missing; existing files of the same names are replaced.
WriteResult WriteSdCard(const CardData& card, const std::filesystem::path& root,
                        const SdCardOptions& options = {});
WriteResult WriteRecorderStorage(const CardData& card, const std::filesystem::path& root);

// Path of a file on the recorder, as its file listing names it: "/dtacho/YYYYMM/<name>".
std::string RecorderPath(const GeneratedFile& file);

}  // namespace vantrel::datagen
