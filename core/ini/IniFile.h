// SPDX-License-Identifier: GPL-3.0-or-later
// The INI layer: private-profile files with the Windows semantics the program's files rely on
// (App.ini, Account.ini, the language files, the record summaries and last-import markers).
//
// Reading: sections and keys match without regard to letter case, blanks around names and
// values are trimmed, one pair of surrounding quotes is removed, the first section of a name
// and in it the first matching key win, `k=` is the empty text (not the default), and a
// missing file, section or key gives the default. UTF-8 (with or without BOM) and UTF-16LE
// with BOM are read.
//
// Writing: key by key, replacing a key's line in place and keeping every other line; a value
// never carries a line break (CR and LF are written as blanks, so a name taken from a
// recorder file cannot inject keys or sections); the file is replaced atomically (temporary
// file in the same folder, flushed, renamed over the old one), so a crash or a full disk
// never leaves a truncated file. Files are written as UTF-8.
#pragma once

#include <cstddef>
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

    // Reads the file; a missing or unreadable file gives an empty document (exists() false).
    static IniFile Load(const std::filesystem::path& path);
    // Parses text already in memory (UTF-8 or UTF-16LE with BOM).
    static IniFile Parse(std::string_view bytes);

    bool exists() const { return m_bExists; }

    // The value of the first matching key of the first matching section, without its quotes;
    // nullopt when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // GetPrivateProfileString: the value or the default, cut to bufferSize - 1 characters
    // (Unicode characters, never a broken UTF-8 sequence); kUnlimited reads it whole.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue,
                          std::size_t bufferSize = kDefaultBuffer) const;

    // GetPrivateProfileInt: leading blanks, then the leading decimal digits ("12abc" is 12,
    // "abc" is 0); a missing key or an empty value gives the default.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // True when the section exists (a header line of that name).
    bool HasSection(std::string_view section) const;
    // The key names of a section in file order (first section of the name only).
    std::vector<std::string> Keys(std::string_view section) const;

    // WritePrivateProfileString in memory: replaces the first matching key's line in place
    // (keeping the key's spelling in the file), or adds the key after the last non-blank line
    // of its section, or adds the section at the end. CR and LF in the value become blanks.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key lines of a section and keeps its header (an emptied section).
    void ClearSection(std::string_view section);

    // The document as UTF-8 text with LF line ends.
    std::string ToText() const;
    // Atomic write of ToText() to the path; false when any step fails (the old file stays).
    bool Save(const std::filesystem::path& path) const;

private:
    std::vector<std::string> m_aLines;  // UTF-8, without line ends
    bool m_bExists = false;
};

// The private-profile functions over a path, for callers that touch one or two keys.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, const std::filesystem::path& path,
                             std::size_t bufferSize = kDefaultBuffer);
int GetProfileInt(std::string_view section, std::string_view key, int defaultValue,
                  const std::filesystem::path& path);
// Loads, sets one key and saves atomically; false when the file could not be written.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path);
// Loads, empties the section (header kept, created when missing) and saves atomically.
bool ClearProfileSection(std::string_view section, const std::filesystem::path& path);

}  // namespace vantrel::ini
