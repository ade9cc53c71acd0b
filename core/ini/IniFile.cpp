// SPDX-License-Identifier: GPL-3.0-or-later
// The INI layer: decoding, the line index built once per load, lookups and key-by-key edits.
#include "core/ini/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <system_error>

#include "core/util/AtomicFile.h"
#include "core/util/Utf8.h"

namespace vantrel::ini {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// A value that starts and ends with the same quote character loses both.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// CR and LF would end the line early and let the rest of a name or value become a key or a
// section of its own; a blank keeps the text on one line.
std::string OneLine(std::string_view text) {
    std::string result(text);
    std::replace(result.begin(), result.end(), '\r', ' ');
    std::replace(result.begin(), result.end(), '\n', ' ');
    return result;
}

// UTF-16LE without its BOM; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t u = unit(2 * i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
            const char16_t next = unit(2 * (i + 1));
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? char32_t(0xFFFD) : char32_t(u));
    }
    return out;
}

// Length in bytes of the well-formed UTF-8 sequence at the start of text; 1 for a stray byte,
// which then counts as one character of its own.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t len = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
    }
    if (len > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < len; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return len;
}

// The first bufferSize - 1 characters, as a buffer of that many characters would hold them.
std::string CutToBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == kUnlimited) {
        return std::string(text);
    }
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars + 1 < bufferSize && pos < text.size(); ++chars) {
        pos += SequenceLength(text.substr(pos));
    }
    return std::string(text.substr(0, pos));
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return Utf16LeToUtf8(bytes.substr(2));
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return std::string(bytes);
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& out) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        return false;
    }
    char chunk[16384];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        out.append(chunk, got);
    }
    return std::ferror(file.get()) == 0;
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        IniFile empty;
        std::error_code ec;
        empty.m_bReadFailed = std::filesystem::exists(path, ec);
        return empty;
    }
    IniFile file = Parse(bytes);
    file.m_bExists = true;
    return file;
}

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile file;
    const std::string text = DecodeText(bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r') {
            --lineEnd;
        }
        file.m_aLines.emplace_back(text, start, lineEnd - start);
        start = end + 1;
    }
    file.Reindex();
    return file;
}

void IniFile::Reindex() {
    auto spanOf = [](std::string_view line, std::string_view part) {
        return Span{static_cast<std::uint32_t>(part.data() - line.data()),
                    static_cast<std::uint32_t>(part.size())};
    };
    m_aSections.clear();
    m_aEntries.clear();
    for (std::size_t i = 0; i < m_aLines.size(); ++i) {
        const std::string_view line = m_aLines[i];
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == ';') {
            continue;
        }
        if (trimmed.front() == '[') {
            const std::size_t close = trimmed.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                const std::string_view name = Trim(trimmed.substr(1, close - 1));
                m_aSections.push_back({i, spanOf(line, name), m_aEntries.size(), 0});
                continue;
            }
        }
        const std::size_t eq = trimmed.find('=');
        if (eq == std::string_view::npos || m_aSections.empty()) {
            continue;
        }
        const std::string_view key = Trim(trimmed.substr(0, eq));
        const std::string_view value = Trim(trimmed.substr(eq + 1));
        m_aEntries.push_back({i, spanOf(line, key), spanOf(line, value)});
        ++m_aSections.back().entryCount;
    }
}

std::string_view IniFile::Text(std::size_t line, Span span) const {
    return std::string_view(m_aLines[line]).substr(span.pos, span.len);
}

const IniFile::Section* IniFile::FindSection(std::string_view trimmedName) const {
    for (const Section& section : m_aSections) {
        if (EqualNoCase(Text(section.line, section.name), trimmedName)) {
            return &section;
        }
    }
    return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(const Section& section,
                                         std::string_view trimmedKey) const {
    for (std::size_t i = 0; i < section.entryCount; ++i) {
        const Entry& entry = m_aEntries[section.firstEntry + i];
        if (EqualNoCase(Text(entry.line, entry.key), trimmedKey)) {
            return &entry;
        }
    }
    return nullptr;
}

std::size_t IniFile::SectionEnd(const Section& section) const {
    const auto next = std::find_if(m_aSections.begin(), m_aSections.end(),
                                   [&](const Section& s) { return s.line > section.line; });
    return next == m_aSections.end() ? m_aLines.size() : next->line;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(Trim(section));
    if (found == nullptr) {
        return std::nullopt;
    }
    const Entry* entry = FindEntry(*found, Trim(key));
    if (entry == nullptr) {
        return std::nullopt;
    }
    return std::string(Unquote(Text(entry->line, entry->value)));
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, std::size_t bufferSize) const {
    const std::optional<std::string> value = Find(section, key);
    return CutToBuffer(value ? std::string_view(*value) : defaultValue, bufferSize);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<std::string> value = Find(section, key);
    if (!value || value->empty()) {
        return defaultValue;
    }
    std::string_view digits = *value;
    while (!digits.empty() && IsBlank(digits.front())) {
        digits.remove_prefix(1);
    }
    long long result = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        result = std::min<long long>(result * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(result);
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(Trim(section)) != nullptr;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* found = FindSection(Trim(section))) {
        for (std::size_t i = 0; i < found->entryCount; ++i) {
            const Entry& entry = m_aEntries[found->firstEntry + i];
            keys.emplace_back(Text(entry.line, entry.key));
        }
    }
    return keys;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string name = OneLine(Trim(section));
    const std::string keyName = OneLine(Trim(key));
    const std::string text = OneLine(value);
    const Section* found = FindSection(name);
    if (found == nullptr) {
        m_aLines.push_back('[' + name + ']');
        m_aLines.push_back(keyName + '=' + text);
    } else if (const Entry* entry = FindEntry(*found, keyName)) {
        m_aLines[entry->line] = std::string(Text(entry->line, entry->key)) + '=' + text;
    } else {
        std::size_t last = SectionEnd(*found) - 1;
        while (last > found->line && Trim(m_aLines[last]).empty()) {
            --last;
        }
        m_aLines.insert(m_aLines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                        keyName + '=' + text);
    }
    Reindex();
}

void IniFile::ClearSection(std::string_view section) {
    const std::string name = OneLine(Trim(section));
    const Section* found = FindSection(name);
    if (found == nullptr) {
        m_aLines.push_back('[' + name + ']');
        Reindex();
        return;
    }
    std::vector<bool> isKeyLine(m_aLines.size(), false);
    for (std::size_t i = 0; i < found->entryCount; ++i) {
        isKeyLine[m_aEntries[found->firstEntry + i].line] = true;
    }
    std::vector<std::string> kept;
    kept.reserve(m_aLines.size());
    for (std::size_t i = 0; i < m_aLines.size(); ++i) {
        if (!isKeyLine[i]) {
            kept.push_back(std::move(m_aLines[i]));
        }
    }
    m_aLines = std::move(kept);
    Reindex();
}

std::string IniFile::ToText() const {
    std::string text;
    for (const std::string& line : m_aLines) {
        text += line;
        text += '\n';
    }
    return text;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    return WriteFileAtomically(path, ToText());
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, const std::filesystem::path& path,
                             std::size_t bufferSize) {
    return IniFile::Load(path).GetString(section, key, defaultValue, bufferSize);
}

int GetProfileInt(std::string_view section, std::string_view key, int defaultValue,
                  const std::filesystem::path& path) {
    return IniFile::Load(path).GetInt(section, key, defaultValue);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path) {
    IniFile file = IniFile::Load(path);
    if (file.readFailed()) {
        return false;
    }
    file.Set(section, key, value);
    return file.Save(path);
}

bool ClearProfileSection(std::string_view section, const std::filesystem::path& path) {
    IniFile file = IniFile::Load(path);
    if (file.readFailed()) {
        return false;
    }
    file.ClearSection(section);
    return file.Save(path);
}

}  // namespace vantrel::ini
