// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces of the recorder's line protocol: fields of a line, the checks that keep the
// recorder's listing from choosing paths outside the backup folder, and the Base64 of the
// file data lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The line without its closing CR LF, split at every comma (a line without commas is one
// field; an empty line one empty field).
std::vector<std::string> SplitDeviceFields(std::string_view line);

// True when the line ends with CR LF preceded by a comma: more data follows.
bool EndsWithCommaLineEnd(std::string_view line);

// The recorder's identity names its device folder: eight letters or digits, nothing else.
bool IsValidDeviceIdentity(std::string_view identity);

// True when the text is exactly count decimal digits.
bool IsDigits(std::string_view text, std::size_t count);

// A file listing's path field: "/dtacho/", six digits YYYYMM, "/" and a 30-character .dtc
// name of the recorder's pattern (ten letters or digits, "_", YYYYMMDD, "_", hhmmss, ".dtc"
// with the extension in any letter case). Anything else is no file the program fetches.
bool IsValidRecorderPath(std::string_view path);

// Appends the bytes of the Base64 text (RFC 4648 standard alphabet) to out; characters outside
// the alphabet, padding included, are skipped.
void AppendBase64Decoded(std::string_view text, std::string& out);

}  // namespace vantrel
