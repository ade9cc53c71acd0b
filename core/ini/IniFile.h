// SPDX-License-Identifier: GPL-3.0-or-later
// The INI layer: private-profile files with the Windows semantics the program's files rely on
// (App.ini, Account.ini, the language files, the record summaries and last-import markers).
//
// Reading: sections and keys match without regard to letter case, blanks around names and
// values are trimmed, one pair of surrounding quotes is removed, the first section of a name
// and in it the first matching key win, `k=` is the empty text (not the default), and a
// missing file, section or key gives the default. UTF-8 (with or without BOM) and UTF-16LE
// with BOM are read. Lines before the first section header belong to no section and are never
// found. Letter case is matched for ASCII letters; blanks are the ASCII blanks.
//
// Writing: key by key, replacing a key's line in place and keeping every other line; a value
// never carries a line break (CR and LF are written as blanks, so a name taken from a
// recorder file cannot inject keys or sections); the file is replaced atomically (temporary
// file in the same folder, flushed, renamed over the old one), so a crash or a full disk
// never leaves a truncated file. Files are written as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::ini {

// The buffer sizes the program reads strings with: a read is cut to size - 1 characters.
inline constexpr std::size_t kDefaultBuffer = 256;
inline constexpr std::size_t kLanguageBuffer = 500;
// Reads a value whole (record lists such as "DrivingDate" are longer than 255 characters).
inline constexpr std::size_t kUnlimited = 0;

// An INI file held in memory as its lines. Load once, look up many keys (the record list reads
// about 16 keys from each of thousands of summary files), change keys, save once.
class IniFile {
public:
    IniFile() = default;

    // Reads and indexes the file once; a missing or unreadable file gives an empty document
    // (exists() false). Lookups afterwards never parse again.
    static IniFile Load(const std::filesystem::path& path);
    // Parses text already in memory (UTF-8 or UTF-16LE with BOM).
    static IniFile Parse(std::string_view bytes);

    bool exists() const { return m_bExists; }
    // True when the file is there but could not be read (no permission, a folder): writing the
    // document back would then lose the file's other keys, so the profile writers refuse.
    bool readFailed() const { return m_bReadFailed; }

    // The value of the first matching key of the first matching section, without its quotes;
    // nullopt when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // GetPrivateProfileString: the value or the default, cut to bufferSize - 1 characters
    // (Unicode characters, never a broken UTF-8 sequence); kUnlimited reads it whole.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue,
                          std::size_t bufferSize = kDefaultBuffer) const;

    // GetPrivateProfileInt: leading blanks, then the leading decimal digits ("12abc" is 12,
    // "abc" is 0, "-5" is 0: no sign is taken); a missing key or an empty value gives the
    // default. Digits beyond the range of int stop at INT_MAX.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // True when the section exists (a header line of that name).
    bool HasSection(std::string_view section) const;
    // The key names of a section in file order as the file spells them, one per key line
    // (first section of the name only).
    std::vector<std::string> Keys(std::string_view section) const;

    // WritePrivateProfileString in memory: replaces the first matching key's line in place
    // (keeping the key's spelling in the file), or adds the key after the last non-blank line
    // of its section, or adds the section at the end. CR and LF in the value become blanks.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key lines of a section and keeps its header (an emptied section); comment and
    // blank lines stay. A missing section is added empty at the end.
    void ClearSection(std::string_view section);

    // The document as UTF-8 text (no BOM, also for a file read as UTF-16LE) with LF line ends.
    std::string ToText() const;
    // Atomic write of ToText() to the path; false when any step fails (the old file stays).
    bool Save(const std::filesystem::path& path) const;

private:
    // Where a name or value sits inside its line; offsets rather than views, so that copies of
    // the document stay valid.
    struct Span {
        std::uint32_t pos = 0;
        std::uint32_t len = 0;
    };
    struct Entry {
        std::size_t line = 0;
        Span key;
        Span value;  // trimmed, quotes not yet removed
    };
    struct Section {
        std::size_t line = 0;  // the header line
        Span name;
        std::size_t firstEntry = 0;
        std::size_t entryCount = 0;
    };

    void Reindex();
    const Section* FindSection(std::string_view trimmedName) const;
    const Entry* FindEntry(const Section& section, std::string_view trimmedKey) const;
    std::string_view Text(std::size_t line, Span span) const;
    std::size_t SectionEnd(const Section& section) const;

    std::vector<std::string> m_aLines;  // UTF-8, without line ends
    std::vector<Section> m_aSections;   // in file order, duplicates included
    std::vector<Entry> m_aEntries;      // grouped by section
    bool m_bExists = false;
    bool m_bReadFailed = false;
};

// The private-profile functions over a path, for callers that touch one or two keys.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, const std::filesystem::path& path,
                             std::size_t bufferSize = kDefaultBuffer);
int GetProfileInt(std::string_view section, std::string_view key, int defaultValue,
                  const std::filesystem::path& path);
// Loads, sets one key and saves atomically; false when the file could not be written or was
// there but could not be read.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path);
// Loads, empties the section (header kept, created when missing) and saves atomically.
bool ClearProfileSection(std::string_view section, const std::filesystem::path& path);

}  // namespace vantrel::ini
