// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder below the system's temporary folder for one test, removed afterwards. Its
// path is canonical, so mount points written into fixture mount tables match the folders the
// drive layer resolves.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vantrel::test {

class UtilTestFolder {
public:
    UtilTestFolder() {
        std::random_device random;
        const std::filesystem::path base =
            std::filesystem::canonical(std::filesystem::temp_directory_path());
        m_path = base / ("vantrel-util-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~UtilTestFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    UtilTestFolder(const UtilTestFolder&) = delete;
    UtilTestFolder& operator=(const UtilTestFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Folder text with a trailing '/', as the program joins names to folders.
    std::string Folder(const std::string& sub = "") const {
        std::string text = (m_path / sub).generic_string();
        if (text.back() != '/') {
            text += '/';
        }
        return text;
    }
    std::string File(const std::string& sub) const { return (m_path / sub).generic_string(); }

    static void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path m_path;
};

}  // namespace vantrel::test
