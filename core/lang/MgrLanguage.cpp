// SPDX-License-Identifier: GPL-3.0-or-later
// Language file choice, lookups with the line-break rule, and the program-wide active table.
#include "core/lang/MgrLanguage.h"

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <utility>

namespace vantrel {
namespace {

constexpr std::array<std::string_view, kLanguageCount> kCodes = {
    "en", "kr", "jp", "sp", "po", "pt", "cz", "da", "du", "fn", "hg", "it", "ru", "he", "ar",
    "tk", "fr", "fe", "cs", "ct", "gr", "hi", "ng", "rm", "se", "sl", "th", "uk", "uz", "vt"};

std::atomic<CMgrLanguage*> g_activeTable{nullptr};

std::string LanguageFileIn(const std::string& folder, std::string_view code) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path + "lang_" + std::string(code) + ".ini";
}

bool CanOpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The two characters backslash and n stand for a line break inside a language value.
std::string ExpandLineBreaks(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace

std::string_view LanguageCode(int number) {
    if (number < 0 || number >= kLanguageCount) {
        return kCodes[0];
    }
    return kCodes[static_cast<std::size_t>(number)];
}

CMgrLanguage::CMgrLanguage(std::vector<std::string> resourceFolders)
    : m_aFolders(std::move(resourceFolders)) {}

void CMgrLanguage::SetResourceFolders(std::vector<std::string> resourceFolders) {
    std::lock_guard lock(m_mutex);
    m_aFolders = std::move(resourceFolders);
}

void CMgrLanguage::SetLanguage(int number) {
    std::lock_guard lock(m_mutex);
    m_strPath.clear();
    if (m_aFolders.empty()) {
        return;
    }
    for (const std::string_view code : {LanguageCode(number), std::string_view("en")}) {
        for (const std::string& folder : m_aFolders) {
            std::string candidate = LanguageFileIn(folder, code);
            if (CanOpenForReading(candidate)) {
                m_strPath = std::move(candidate);
                return;
            }
        }
    }
    m_strPath = LanguageFileIn(m_aFolders.front(), "en");
}

std::string CMgrLanguage::GetPath() const {
    std::lock_guard lock(m_mutex);
    return m_strPath;
}

CMgrLanguage::FileStamp CMgrLanguage::StampOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return {};
    }
    auto nanoseconds = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return {true,
            static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

const ini::IniFile& CMgrLanguage::CurrentFile() const {
    const FileStamp stamp = StampOf(m_strPath);
    if (!m_bCacheValid || m_strCachedPath != m_strPath || !(m_cachedStamp == stamp)) {
        m_cachedFile = stamp.present ? ini::IniFile::Load(m_strPath) : ini::IniFile();
        m_strCachedPath = m_strPath;
        m_cachedStamp = stamp;
        m_bCacheValid = true;
    }
    return m_cachedFile;
}

std::string CMgrLanguage::GetText(std::string_view section, std::string_view key,
                                  std::string_view defaultText) const {
    std::lock_guard lock(m_mutex);
    return ExpandLineBreaks(
        CurrentFile().GetString(section, key, defaultText, ini::kLanguageBuffer));
}

void SetActiveLanguageTable(CMgrLanguage* table) {
    g_activeTable.store(table);
}

CMgrLanguage* GetActiveLanguageTable() {
    return g_activeTable.load();
}

std::string GetLangText(std::string_view section, std::string_view key,
                        std::string_view defaultText) {
    if (const CMgrLanguage* table = g_activeTable.load()) {
        return table->GetText(section, key, defaultText);
    }
    return std::string(defaultText);
}

}  // namespace vantrel
