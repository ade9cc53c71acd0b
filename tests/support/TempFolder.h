// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder below the system's temporary folder for one test, removed afterwards, with
// small helpers to write and read the files of a fixture.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace vantrel::test {

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("vantrel-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder text with a trailing '/', the way folders are joined to names in the program.
    std::string Folder(const std::string& sub = "") const {
        std::string text = (m_path / sub).generic_string();
        if (text.back() != '/') {
            text += '/';
        }
        return text;
    }

    static void Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path m_path;
};

}  // namespace vantrel::test
