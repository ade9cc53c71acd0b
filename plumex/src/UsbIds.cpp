// SPDX-License-Identifier: GPL-3.0-or-later
#include "plumex/src/UsbIds.h"

#include <charconv>
#include <cstdlib>
#include <optional>

namespace plumex {
namespace {

std::optional<std::uint16_t> ParseHex16(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<UsbId> ParseEntry(std::string_view entry) {
    const std::size_t colon = entry.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto vendor = ParseHex16(entry.substr(0, colon));
    const auto product = ParseHex16(entry.substr(colon + 1));
    if (!vendor || !product) {
        return std::nullopt;
    }
    return UsbId{*vendor, *product};
}

}  // namespace

std::vector<UsbId> ParseUsbIds(std::string_view text) {
    constexpr std::string_view kSeparators = ",; \t\r\n";
    std::vector<UsbId> ids;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(kSeparators, pos);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t end = text.find_first_of(kSeparators, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (const auto id = ParseEntry(text.substr(start, end - start))) {
            ids.push_back(*id);
        }
        pos = end;
    }
    return ids;
}

std::vector<UsbId> ConfiguredUsbIds() {
    const char* text = std::getenv(kUsbIdsVariable);
    return text != nullptr ? ParseUsbIds(text) : std::vector<UsbId>{};
}

}  // namespace plumex
