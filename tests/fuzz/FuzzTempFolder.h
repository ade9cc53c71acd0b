// SPDX-License-Identifier: GPL-3.0-or-later
// One temporary folder per fuzzing process, for the files the readers open.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel::fuzz {

inline const std::string& TempFolder() {
    static const std::string folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("vantrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return folder;
}

inline void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace vantrel::fuzz
