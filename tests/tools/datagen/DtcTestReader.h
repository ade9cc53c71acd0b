// SPDX-License-Identifier: GPL-3.0-or-later
// A deliberately small .dtc and system.log reader for the generator's tests, written from the
// file layout alone (it shares no code with the generator), so that encoding mistakes show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::datagen::testing {

inline std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}
inline std::int64_t I64(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int64_t>(U32(b, at) |
                                     (static_cast<std::uint64_t>(U32(b, at + 4)) << 32));
}

struct ReadBlock {
    std::uint16_t tag = 0;
    std::uint32_t time = 0;              // as stored (device time)
    std::vector<std::uint16_t> samples;  // TM only, 120
};

struct ReadDtc {
    bool ok = false;
    std::string problem;
    std::uint32_t fileStart = 0;
    std::uint32_t recordStart = 0;
    std::int16_t zone = 0;
    std::uint32_t stamp = 0;
    std::uint8_t id[3] = {0, 0, 0};
    std::u16string vehicle;
    std::u16string driver;
    bool nameTerminated = false;  // both names end in a 0 within their 32 characters
    std::vector<ReadBlock> blocks;
};

inline std::u16string WideAt(const std::vector<std::uint8_t>& b, std::size_t at, bool& terminated) {
    std::u16string text;
    for (std::size_t i = 0; i < 32; ++i) {
        const char16_t c = static_cast<char16_t>(U16(b, at + 2 * i));
        if (c == 0) {
            terminated = true;
            return text;
        }
        text.push_back(c);
    }
    terminated = false;
    return text;
}

inline ReadDtc ParseDtc(const std::vector<std::uint8_t>& b) {
    ReadDtc d;
    if (b.size() < 36 + 220 || U32(b, 0) != 0xF5EF00AAu || b[0] != 0xAA || b[3] != 0xF5) {
        d.problem = "no magic or too short";
        return d;
    }
    if (U16(b, 36) != 0x4654) {
        d.problem = "first block is not TF";
        return d;
    }
    const std::size_t h = 38;
    d.fileStart = U32(b, h + 12);
    d.recordStart = U32(b, h + 16);
    d.zone = static_cast<std::int16_t>(U16(b, h + 20));
    d.stamp = U32(b, h + 24);
    for (int i = 0; i < 3; ++i) {
        d.id[i] = b[h + 77 + static_cast<std::size_t>(i)];
    }
    bool t1 = false;
    bool t2 = false;
    d.vehicle = WideAt(b, h + 90, t1);
    d.driver = WideAt(b, h + 154, t2);
    d.nameTerminated = t1 && t2;
    std::size_t at = 36 + 220;
    while (at < b.size()) {
        if (at + 256 > b.size()) {
            d.problem = "truncated block";
            return d;
        }
        ReadBlock block;
        block.tag = U16(b, at);
        if (block.tag != 0x4854 && block.tag != 0x4D54) {
            d.problem = "unknown tag";
            return d;
        }
        block.time = U32(b, at + 2 + 10);
        if (block.tag == 0x4D54) {
            for (std::size_t k = 0; k < 120; ++k) {
                block.samples.push_back(U16(b, at + 2 + 14 + 2 * k));
            }
        }
        d.blocks.push_back(std::move(block));
        at += 256;
    }
    d.ok = true;
    return d;
}

// CRC-16/X-25 written bit by bit with the unreflected polynomial, mirrored by hand, so that
// it does not share a shortcut with the generator's table-free loop.
inline std::uint16_t ReferenceCrc(const std::uint8_t* data, std::size_t size) {
    auto reflect = [](std::uint32_t v, int bits) {
        std::uint32_t r = 0;
        for (int i = 0; i < bits; ++i) {
            r |= ((v >> i) & 1u) << (bits - 1 - i);
        }
        return r;
    };
    std::uint32_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= reflect(data[i], 8) << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
        }
    }
    return static_cast<std::uint16_t>(reflect(crc, 16) ^ 0xFFFF);
}

}  // namespace vantrel::datagen::testing
