// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/emulator/EmulatorConfig.h"

#include <cstdlib>
#include <string_view>

namespace vantrel::emulator {
namespace {

std::string Text(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

long Number(const char* name, long fallback, long low, long high) {
    const std::string text = Text(name);
    if (text.empty()) {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < low || value > high) {
        return fallback;
    }
    return value;
}

// "name" or "name:count".
void SplitCount(const std::string& text, std::string& name, long& count) {
    const std::size_t colon = text.rfind(':');
    name = text;
    if (colon == std::string::npos) {
        return;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (end != text.c_str() + colon + 1 && *end == '\0' && value >= 0) {
        name = text.substr(0, colon);
        count = value;
    }
}

std::set<std::string> Kinds(const std::string& text) {
    std::set<std::string> kinds;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = text.find(',', pos);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > pos) {
            kinds.insert(text.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return kinds;
}

}  // namespace

EmulatorConfig ReadConfig() {
    EmulatorConfig config;
    const std::string storage = Text("VANTREL_EMU_STORAGE");
    std::error_code error;
    config.present = !storage.empty() && std::filesystem::is_directory(storage, error);
    config.storage = storage;
    config.deviceId = Text("VANTREL_EMU_DEVICE_ID");
    const long lineBytes = Number("VANTREL_EMU_LINE_BYTES", 768, 3, 6144);
    config.lineBytes = static_cast<std::size_t>(lineBytes - lineBytes % 3);
    config.chunkLines = static_cast<int>(Number("VANTREL_EMU_CHUNK_LINES", 8, 1, 100000));
    config.silentAfterLines = Number("VANTREL_EMU_SILENT_AFTER", -1, 0, 1L << 40);
    SplitCount(Text("VANTREL_EMU_CUT_FILE"), config.cutFile, config.cutBytes);
    long repeats = 0;
    SplitCount(Text("VANTREL_EMU_END_FIRST"), config.endFirstFile, repeats);
    config.endFirstRepeats = static_cast<int>(repeats > 1000000 ? 1000000 : repeats);
    config.hostile = Kinds(Text("VANTREL_EMU_HOSTILE"));
    config.formatSilent = Text("VANTREL_EMU_FORMAT_SILENT") == "1";
    config.commandLog = Text("VANTREL_EMU_COMMAND_LOG");
    config.time = Text("VANTREL_EMU_TIME");
    config.silenceMs = static_cast<unsigned>(Number("VANTREL_EMU_SILENCE_MS", 0, 0, 60000));
    return config;
}

bool MatchesFile(const std::string& pattern, const std::string& path) {
    if (pattern.empty()) {
        return false;
    }
    if (pattern == "*") {
        return path.size() >= 4 && path.compare(path.size() - 4, 4, ".dtc") == 0;
    }
    if (path == pattern) {
        return true;
    }
    return path.size() > pattern.size() &&
           path.compare(path.size() - pattern.size(), pattern.size(), pattern) == 0 &&
           path[path.size() - pattern.size() - 1] == '/';
}

}  // namespace vantrel::emulator
