// SPDX-License-Identifier: GPL-3.0-or-later
// Output helpers of vantrel-cli: JSON for scripts, aligned tables and label lists for people,
// and the progress bar on a terminal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

// A JSON string literal of UTF-8 text (quotes, backslashes and control characters escaped).
std::string JsonString(std::string_view text);

// Writes JSON with two-space indentation. Keys and values are written in call order; the
// writer puts the commas and line breaks.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : m_out(out) {}
    ~JsonWriter();  // ends the last line

    void BeginObject(std::string_view key = {});
    void EndObject();
    void BeginArray(std::string_view key = {});
    void EndArray();
    void String(std::string_view key, std::string_view value);
    void Number(std::string_view key, std::int64_t value);
    void Bool(std::string_view key, bool value);
    // An element of an array.
    void StringItem(std::string_view value) { String({}, value); }

private:
    void Begin(std::string_view key);
    void Open(std::string_view key, char bracket);
    void Close(char bracket);

    std::ostream& m_out;
    std::vector<bool> m_firstInLevel;
};

// The columns a terminal gives the text: two for the wide characters of Hangul, CJK and
// fullwidth forms, none for combining marks, one for the rest.
std::size_t DisplayWidth(std::string_view utf8);

// Rows of cells under a heading row, each column as wide as its widest cell, two blanks apart.
void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows);

// "label  value" lines with the labels padded to one width.
void PrintFields(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& fields);

// A bar on standard error, "label [#####.....]  45%", redrawn in place when the percentage
// changes; does nothing when disabled (stderr is not a terminal).
class ProgressBar {
public:
    ProgressBar(std::ostream& err, bool enabled, std::string label);
    ~ProgressBar();  // Finish()
    void Update(int percent);
    void Finish();

private:
    std::ostream& m_err;
    bool m_bEnabled;
    std::string m_strLabel;
    int m_nShown = -1;
};

}  // namespace vantrel::cli
