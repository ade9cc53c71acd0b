// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the smallest medium image that carries a UDF revision: the anchor at sector 256,
// a main and a reserve volume descriptor sequence, each a logical volume descriptor followed
// by a terminating descriptor. Tests damage or change single fields to see the reader react.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel::test {

class UdfImage {
public:
    static constexpr std::uint32_t kMainSequence = 32;
    static constexpr std::uint32_t kReserveSequence = 48;

    explicit UdfImage(std::size_t sectorSize = 2048, std::uint16_t revision = 0x0250)
        : m_sectorSize(sectorSize), m_bytes(sectorSize * 257, 0) {
        WriteTag(256, 2);
        Put32(256, 16, 16 * static_cast<std::uint32_t>(sectorSize));
        Put32(256, 20, kMainSequence);
        Put32(256, 24, 16 * static_cast<std::uint32_t>(sectorSize));
        Put32(256, 28, kReserveSequence);
        Seal(256);
        for (const std::uint32_t start : {kMainSequence, kReserveSequence}) {
            WriteLogicalVolume(start, revision, 1);
            WriteTag(start + 1, 8);
            Seal(start + 1);
        }
    }

    // A logical volume descriptor with the domain "*OSTA UDF Compliant" and the revision.
    void WriteLogicalVolume(std::uint32_t sector, std::uint16_t revision, std::uint32_t number,
                            const char* domain = "*OSTA UDF Compliant") {
        std::memset(At(sector), 0, m_sectorSize);
        WriteTag(sector, 6);
        Put32(sector, 16, number);
        std::memcpy(At(sector) + 217, domain, std::strlen(domain));
        At(sector)[240] = static_cast<unsigned char>(revision & 0xFF);
        At(sector)[241] = static_cast<unsigned char>(revision >> 8);
        Seal(sector);
    }
    void WriteTag(std::uint32_t sector, std::uint16_t id) {
        At(sector)[0] = static_cast<unsigned char>(id & 0xFF);
        At(sector)[1] = static_cast<unsigned char>(id >> 8);
        At(sector)[2] = 2;  // descriptor version of ECMA-167 2nd edition
        Put32(sector, 12, sector);
    }
    // Recomputes the tag checksum after a field changed.
    void Seal(std::uint32_t sector) {
        unsigned sum = 0;
        for (int i = 0; i < 16; ++i) {
            sum += i == 4 ? 0 : At(sector)[i];
        }
        At(sector)[4] = static_cast<unsigned char>(sum & 0xFF);
    }
    unsigned char* At(std::uint32_t sector) { return m_bytes.data() + sector * m_sectorSize; }

    void Save(const std::filesystem::path& path) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(m_bytes.data()),
                   static_cast<std::streamsize>(m_bytes.size()));
    }

private:
    void Put32(std::uint32_t sector, std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            At(sector)[offset + i] = static_cast<unsigned char>(value >> (8 * i));
        }
    }

    std::size_t m_sectorSize;
    std::vector<unsigned char> m_bytes;
};

}  // namespace vantrel::test
