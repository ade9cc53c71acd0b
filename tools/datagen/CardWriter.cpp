// SPDX-License-Identifier: GPL-3.0-or-later
// Writing generated cards and recorder storage to folders.
#include "tools/datagen/CardWriter.h"

#include <fstream>
#include <system_error>

namespace vantrel::datagen {

namespace {

namespace fs = std::filesystem;

bool MakeFolder(const fs::path& folder, WriteResult& result) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        result.error = "cannot create folder " + folder.generic_string();
        return false;
    }
    return true;
}

bool WriteBytes(const fs::path& path, const void* data, std::size_t size, WriteResult& result) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        result.error = "cannot write " + path.generic_string();
        return false;
    }
    return true;
}

bool WriteTree(const CardData& card, const fs::path& root, bool withLog, WriteResult& result) {
    for (const GeneratedFile& file : card.files) {
        const fs::path folder = root / "dtacho" / file.monthFolder;
        if (!MakeFolder(folder, result)) {
            return false;
        }
        const std::vector<std::uint8_t> bytes = file.Encode();
        const fs::path path = folder / file.name;
        if (!WriteBytes(path, bytes.data(), bytes.size(), result)) {
            return false;
        }
        result.dtcPaths.push_back(path.generic_string());
    }
    if (!MakeFolder(root / "dtacho", result)) {
        return false;
    }
    if (withLog) {
        const fs::path folder = root / "log";
        const std::vector<std::uint8_t> bytes = card.EncodeSystemLog();
        if (!MakeFolder(folder, result) ||
            !WriteBytes(folder / "system.log", bytes.data(), bytes.size(), result)) {
            return false;
        }
        result.logPath = (folder / "system.log").generic_string();
    }
    return true;
}

}  // namespace

WriteResult WriteSdCard(const CardData& card, const fs::path& root, const SdCardOptions& options) {
    WriteResult result;
    if (!MakeFolder(root, result) || !WriteTree(card, root, options.withLog, result)) {
        return result;
    }
    if (options.withCardFolders) {
        for (const char* name : {"media", "driving", "log", "dvr_config"}) {
            if (!MakeFolder(root / name, result)) {
                return result;
            }
        }
        const std::string& driver = card.scenario.drivers.front();
        if (!WriteBytes(root / "dvr_config" / "driverid.ini", driver.data(), driver.size(),
                        result)) {
            return result;
        }
    }
    result.ok = true;
    return result;
}

WriteResult WriteRecorderStorage(const CardData& card, const fs::path& root) {
    WriteResult result;
    result.ok = MakeFolder(root, result) && WriteTree(card, root, true, result);
    return result;
}

std::string RecorderPath(const GeneratedFile& file) {
    return "/dtacho/" + file.monthFolder + "/" + file.name;
}

}  // namespace vantrel::datagen
