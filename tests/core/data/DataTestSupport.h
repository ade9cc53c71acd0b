// SPDX-License-Identifier: GPL-3.0-or-later
// Fixtures of the driving-data tests: a temporary folder, a byte builder for .dtc files and
// device logs, and time values computed here from the calendar (not by the code under test).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace vantrel::test {

// Seconds since 1970 of a calendar time, by the proleptic Gregorian calendar.
constexpr std::int64_t Seconds(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    y -= mo <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
    return days * 86400 + std::int64_t{h} * 3600 + std::int64_t{mi} * 60 + s;
}
constexpr std::uint32_t Time32(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return static_cast<std::uint32_t>(Seconds(y, mo, d, h, mi, s));
}

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("vantrel-data-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder (or a subfolder, created) as a text ending in '/'.
    std::string Folder(const std::string& sub = "") const {
        std::filesystem::create_directories(m_path / sub);
        std::string text = (m_path / sub).generic_string();
        if (text.back() != '/') {
            text += '/';
        }
        return text;
    }

private:
    std::filesystem::path m_path;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
inline std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void Put64(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

struct HeaderSpec {
    std::uint32_t fileStart = 0;    // device time
    std::uint32_t recordStart = 0;  // device time
    std::int16_t zone = 0;          // minutes
    std::uint32_t stamp = 0;
    std::array<std::uint8_t, 3> id{0x0A, 0x1B, 0x2C};
    std::u16string vehicle = u"12GA3456";
    std::u16string driver = u"Driver";
};

// Builds a .dtc file block by block: the magic and 32 ignored bytes, then the blocks in the
// order they are added.
class DtcBuilder {
public:
    DtcBuilder() : m_bytes(36, 0x5A) { Put32(m_bytes, 0, 0xF5EF00AA); }

    DtcBuilder& Header(const HeaderSpec& h) {
        std::vector<std::uint8_t> data(218, 0);
        Put32(data, 12, h.fileStart);
        Put32(data, 16, h.recordStart);
        Put16(data, 20, static_cast<std::uint16_t>(h.zone));
        Put32(data, 24, h.stamp);
        data[77] = h.id[0];
        data[78] = h.id[1];
        data[79] = h.id[2];
        for (std::size_t i = 0; i < h.vehicle.size() && i < 32; ++i) {
            Put16(data, 90 + 2 * i, h.vehicle[i]);
        }
        for (std::size_t i = 0; i < h.driver.size() && i < 32; ++i) {
            Put16(data, 154 + 2 * i, h.driver[i]);
        }
        return Block(0x4654, data);
    }
    DtcBuilder& Hour(std::uint32_t deviceTime) {
        std::vector<std::uint8_t> data(254, 0x11);
        Put32(data, 10, deviceTime);
        return Block(0x4854, data);
    }
    // A minute record whose half-second k holds sample(k).
    DtcBuilder& Minute(std::uint32_t deviceTime, const std::function<std::uint16_t(int)>& sample) {
        std::vector<std::uint8_t> data(254, 0x22);
        Put32(data, 10, deviceTime);
        for (int k = 0; k < 120; ++k) {
            Put16(data, 14 + 2 * k, sample(k));
        }
        return Block(0x4D54, data);
    }
    DtcBuilder& Minute(std::uint32_t deviceTime, std::uint16_t every) {
        return Minute(deviceTime, [every](int) { return every; });
    }
    // Consecutive minute records from a device time, each half-second holding `every`.
    DtcBuilder& Minutes(std::uint32_t deviceTime, int count, std::uint16_t every) {
        for (int i = 0; i < count; ++i) {
            Minute(deviceTime + 60u * static_cast<std::uint32_t>(i), every);
        }
        return *this;
    }
    DtcBuilder& Block(std::uint16_t tag, const std::vector<std::uint8_t>& data) {
        m_bytes.push_back(static_cast<std::uint8_t>(tag));
        m_bytes.push_back(static_cast<std::uint8_t>(tag >> 8));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return *this;
    }
    DtcBuilder& Raw(const std::vector<std::uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::string WriteTo(const std::string& path) const {
        WriteBytes(path, m_bytes);
        return path;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

struct LogEventSpec {
    std::uint32_t code = 10;
    std::int16_t zone = 0;
    std::int64_t before = 0;  // device time
    std::int64_t after = 0;
    bool badCrc = false;
    const char* marker = "KCCC";
};

// CRC-16/X-25 written out independently of the code under test, for the fixtures.
inline std::uint16_t FixtureCrc(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int b = 0; b < 8; ++b) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return static_cast<std::uint16_t>(~crc);
}

// A system.log of `slots` records (1000 or 10000) holding the events in order.
inline std::vector<std::uint8_t> BuildDeviceLog(const std::vector<LogEventSpec>& events,
                                                std::size_t slots = 1000) {
    std::vector<std::uint8_t> out(64 + slots * 64, 0);
    Put32(out, 0, 0xFEFEFEFE);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const std::size_t at = 64 + i * 64;
        const LogEventSpec& e = events[i];
        for (int c = 0; c < 4; ++c) {
            out[at + c] = static_cast<std::uint8_t>(e.marker[c]);
        }
        Put32(out, at + 4, static_cast<std::uint32_t>(i + 1));
        Put32(out, at + 8, e.code);
        Put16(out, at + 16, static_cast<std::uint16_t>(e.zone));
        Put64(out, at + 20, static_cast<std::uint64_t>(e.before));
        Put64(out, at + 28, static_cast<std::uint64_t>(e.after));
        std::uint16_t crc = FixtureCrc(out.data() + at, 62);
        Put16(out, at + 62, e.badCrc ? static_cast<std::uint16_t>(crc ^ 0x0101) : crc);
    }
    return out;
}

}  // namespace vantrel::test
