// SPDX-License-Identifier: GPL-3.0-or-later
// JSON, tables and the progress bar of vantrel-cli.
#include "tools/cli/CliOutput.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {
namespace {

// Decodes one UTF-8 character at text[i], advancing i; a malformed byte is taken alone.
char32_t NextChar(std::string_view text, std::size_t& i) {
    const auto byte = static_cast<unsigned char>(text[i++]);
    int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t c = more == 3 ? byte & 0x07 : more == 2 ? byte & 0x0F : more == 1 ? byte & 0x1F : byte;
    while (more-- > 0 && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return c;
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsZeroWidth(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) || c == 0xFE0F;
}

void Pad(std::ostream& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out.put(' ');
    }
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    json += escaped;
                } else {
                    json += c;
                }
        }
    }
    json += '"';
    return json;
}

JsonWriter::~JsonWriter() {
    m_out << "\n";
}

void JsonWriter::Begin(std::string_view key) {
    if (!m_firstInLevel.empty()) {
        m_out << (m_firstInLevel.back() ? "\n" : ",\n");
        m_firstInLevel.back() = false;
        Pad(m_out, 2 * m_firstInLevel.size());
    }
    if (!key.empty()) {
        m_out << JsonString(key) << ": ";
    }
}

void JsonWriter::Open(std::string_view key, char bracket) {
    Begin(key);
    m_out << bracket;
    m_firstInLevel.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool empty = m_firstInLevel.back();
    m_firstInLevel.pop_back();
    if (!empty) {
        m_out << "\n";
        Pad(m_out, 2 * m_firstInLevel.size());
    }
    m_out << bracket;
}

void JsonWriter::BeginObject(std::string_view key) {
    Open(key, '{');
}

void JsonWriter::EndObject() {
    Close('}');
}

void JsonWriter::BeginArray(std::string_view key) {
    Open(key, '[');
}

void JsonWriter::EndArray() {
    Close(']');
}

void JsonWriter::String(std::string_view key, std::string_view value) {
    Begin(key);
    m_out << JsonString(value);
}

void JsonWriter::Number(std::string_view key, std::int64_t value) {
    Begin(key);
    m_out << value;
}

void JsonWriter::Bool(std::string_view key, bool value) {
    Begin(key);
    m_out << (value ? "true" : "false");
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextChar(utf8, i);
        width += IsZeroWidth(c) ? 0 : IsWide(c) ? 2 : 1;
    }
    return width;
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            out << row[c];
            if (c + 1 < row.size()) {
                Pad(out, widths[c] - DisplayWidth(row[c]) + 2);
            }
        }
        out << "\n";
    }
}

void PrintFields(std::ostream& out,
                 const std::vector<std::pair<std::string, std::string>>& fields) {
    std::size_t width = 0;
    for (const auto& field : fields) {
        width = std::max(width, DisplayWidth(field.first));
    }
    for (const auto& [label, value] : fields) {
        out << label;
        Pad(out, width - DisplayWidth(label) + 2);
        out << value << "\n";
    }
}

ProgressBar::ProgressBar(std::ostream& err, bool enabled, std::string label)
    : m_err(err), m_bEnabled(enabled), m_strLabel(std::move(label)) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (!m_bEnabled || percent == m_nShown) {
        return;
    }
    m_nShown = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    m_err << "\r" << m_strLabel << " [" << std::string(static_cast<std::size_t>(filled), '#')
          << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] ";
    if (percent < 100) {
        m_err << ' ';
    }
    if (percent < 10) {
        m_err << ' ';
    }
    m_err << percent << "%" << std::flush;
}

void ProgressBar::Finish() {
    if (m_bEnabled && m_nShown >= 0) {
        m_err << "\n" << std::flush;
    }
    m_nShown = -1;
    m_bEnabled = false;
}

}  // namespace vantrel::cli
