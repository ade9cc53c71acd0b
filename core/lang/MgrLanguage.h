// SPDX-License-Identifier: GPL-3.0-or-later
// The language table: every user text is looked up by section, key and built-in English default
// in the active language file "lang_<code>.ini", at the moment it is needed, so a language
// switch or an edited language file shows at once in everything drawn afterwards.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini/IniFile.h"

namespace vantrel {

// Language numbers run from 0 to 29; 0, 1 and 2 (English, Korean, Japanese) are offered in the
// settings, the others are reached by editing App.ini.
inline constexpr int kLanguageCount = 30;

// The two-letter code of a language number ("kr" for 1, "jp" for 2); "en" for 0 and for every
// number outside 0 to 29.
std::string_view LanguageCode(int number);

class CMgrLanguage {
public:
    CMgrLanguage() = default;
    // Folders searched for the language files, in order (the executable's folder first, then
    // the installed share/vantrel/); each may end in '/' or not.
    explicit CMgrLanguage(std::vector<std::string> resourceFolders);
    CMgrLanguage(const CMgrLanguage&) = delete;
    CMgrLanguage& operator=(const CMgrLanguage&) = delete;

    // Takes effect at the next SetLanguage.
    void SetResourceFolders(std::vector<std::string> resourceFolders);
    const std::vector<std::string>& ResourceFolders() const { return m_aFolders; }

    // Chooses the active file: the first folder holding a readable "lang_<code>.ini", else the
    // first holding "lang_en.ini", else "lang_en.ini" in the first folder, which stands even
    // though it is missing (every text is then its default). Always succeeds.
    void SetLanguage(int number);
    // The active file's full path; empty before the first SetLanguage or without folders.
    std::string GetPath() const;

    // The text of the key in the section of the active file, or the default when the file, the
    // section or the key is missing; at most 499 characters, each backslash-n pair turned into
    // a line feed. An empty value gives an empty text, not the default.
    //
    // The file is parsed again only when it changed on disk (another path, size, modification
    // or change time, or file identity), so an edited file shows at the next lookup while a
    // paint that makes dozens of lookups does not parse it dozens of times.
    std::string GetText(std::string_view section, std::string_view key,
                        std::string_view defaultText) const;

private:
    // What identifies one state of a file on disk; present false for a missing file.
    struct FileStamp {
        bool present = false;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        std::int64_t changed = 0;   // nanoseconds
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    static FileStamp StampOf(const std::string& path);
    const ini::IniFile& CurrentFile() const;  // with m_mutex held

    std::vector<std::string> m_aFolders;
    std::string m_strPath;
    mutable std::mutex m_mutex;  // lookups may come from worker threads too
    mutable std::string m_strCachedPath;
    mutable FileStamp m_cachedStamp;
    mutable ini::IniFile m_cachedFile;
    mutable bool m_bCacheValid = false;
};

// The table that GetLangText reads; the application sets it once its CMgrLanguage exists and
// clears it (nullptr) before that object goes away.
void SetActiveLanguageTable(CMgrLanguage* table);
CMgrLanguage* GetActiveLanguageTable();

// The one way windows get a user text: the active table's GetText, or the default text while no
// table is set.
std::string GetLangText(std::string_view section, std::string_view key,
                        std::string_view defaultText);

}  // namespace vantrel
