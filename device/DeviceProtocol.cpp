// SPDX-License-Identifier: GPL-3.0-or-later
// Field splitting, listing checks and Base64 decoding of the recorder's line protocol.
#include "device/DeviceProtocol.h"

#include <cctype>

namespace vantrel {
namespace {

constexpr std::string_view kDtachoPrefix = "/dtacho/";
constexpr std::size_t kMonthDigits = 6;
constexpr std::size_t kDtcNameLength = 30;

bool IsAlnum(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// "VQ0A1B2CDT_20240128_071502.dtc": ten letters or digits, then the start date and time.
bool IsValidDtcName(std::string_view name) {
    if (name.size() != kDtcNameLength) {
        return false;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        if (!IsAlnum(name[i])) {
            return false;
        }
    }
    const std::string_view extension = name.substr(26);
    std::string lower;
    for (const char c : extension) {
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return name[10] == '_' && IsDigits(name.substr(11, 8), 8) && name[19] == '_' &&
           IsDigits(name.substr(20, 6), 6) && lower == ".dtc";
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

}  // namespace

std::vector<std::string> SplitDeviceFields(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
        line.remove_suffix(2);
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool EndsWithCommaLineEnd(std::string_view line) {
    return line.size() >= 3 && line.substr(line.size() - 3) == ",\r\n";
}

bool IsValidDeviceIdentity(std::string_view identity) {
    if (identity.size() != 8) {
        return false;
    }
    for (const char c : identity) {
        if (!IsAlnum(c)) {
            return false;
        }
    }
    return true;
}

bool IsDigits(std::string_view text, std::size_t count) {
    if (text.size() != count) {
        return false;
    }
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

bool IsValidRecorderPath(std::string_view path) {
    const std::size_t nameStart = kDtachoPrefix.size() + kMonthDigits + 1;
    return path.size() == nameStart + kDtcNameLength && path.substr(0, 8) == kDtachoPrefix &&
           IsDigits(path.substr(kDtachoPrefix.size(), kMonthDigits), kMonthDigits) &&
           path[nameStart - 1] == '/' && IsValidDtcName(path.substr(nameStart));
}

void AppendBase64Decoded(std::string_view text, std::string& out) {
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        const int v = Base64Value(c);
        if (v < 0) {
            continue;
        }
        value = ((value << 6) | static_cast<unsigned>(v)) & 0xFFFFFFu;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((value >> bits) & 0xFFu));
        }
    }
}

}  // namespace vantrel
