// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/emulator/RecorderStorage.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace vantrel::emulator {
namespace fs = std::filesystem;
namespace {

// A .dtc file starts with the magic AA 00 EF F5 and normally its header block ("TF") at 36;
// the header's bytes 77 to 79 are the device id.
constexpr std::size_t kHeaderBlock = 36;
constexpr std::size_t kDeviceIdInFile = kHeaderBlock + 2 + 77;

std::string IdentityOf(const std::string& bytes) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < kDeviceIdInFile + 3 || b(0) != 0xAA || b(1) != 0x00 || b(2) != 0xEF ||
        b(3) != 0xF5 || b(kHeaderBlock) != 'T' || b(kHeaderBlock + 1) != 'F') {
        return {};
    }
    char text[16];
    std::snprintf(text, sizeof text, "VQ%02X%02X%02X", b(kDeviceIdInFile), b(kDeviceIdInFile + 1),
                  b(kDeviceIdInFile + 2));
    return text;
}

bool EmptyFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    bool ok = !error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::error_code removeError;
        fs::remove_all(entry.path(), removeError);
        ok = ok && !removeError;
    }
    return ok && !error;
}

}  // namespace

bool IsSafeRelativePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos ||
        path.find('\0') != std::string::npos) {
        return false;
    }
    std::size_t pos = 0;
    while (pos <= path.size()) {
        const std::size_t slash = path.find('/', pos);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        const std::string part = path.substr(pos, end - pos);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        pos = end + 1;
    }
    return true;
}

std::vector<std::string> RecorderStorage::Months() const {
    std::vector<std::string> months;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(m_root / "dtacho", error)) {
        if (entry.is_directory(error)) {
            months.push_back(entry.path().filename().string());
        }
    }
    std::sort(months.begin(), months.end());
    return months;
}

std::vector<RecorderStorage::Entry> RecorderStorage::MonthEntries(const std::string& month) const {
    std::vector<Entry> entries;
    if (!IsSafeRelativePath(month) || month.find('/') != std::string::npos) {
        return entries;
    }
    std::error_code error;
    for (const auto& item : fs::directory_iterator(m_root / "dtacho" / month, error)) {
        Entry entry;
        entry.name = item.path().filename().string();
        entry.isFile = item.is_regular_file(error);
        entry.size = entry.isFile ? item.file_size(error) : 0;
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

std::optional<std::string> RecorderStorage::ReadFile(const std::string& relativePath) const {
    if (!IsSafeRelativePath(relativePath)) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path path = m_root / relativePath;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string RecorderStorage::IdentityFromFiles() const {
    for (const std::string& month : Months()) {
        for (const Entry& entry : MonthEntries(month)) {
            if (!entry.isFile) {
                continue;
            }
            if (const auto bytes = ReadFile("dtacho/" + month + "/" + entry.name)) {
                if (std::string id = IdentityOf(*bytes); !id.empty()) {
                    return id;
                }
            }
        }
    }
    return {};
}

bool RecorderStorage::Format() const {
    const bool data = EmptyFolder(m_root / "dtacho");
    const bool log = EmptyFolder(m_root / "log");
    return data && log;
}

}  // namespace vantrel::emulator
