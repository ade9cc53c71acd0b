// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding of generated .dtc files.
#include "tools/datagen/DtcFile.h"

#include <cstdio>
#include <cstring>

#include "tools/datagen/LittleEndian.h"

namespace vantrel::datagen {

namespace {

// What the recorder puts in the bytes that the reader skips: a format text in the preamble,
// counters and odometer figures in the records.
constexpr char kPreambleText[] = "DTR DRIVE DATA FORMAT 02.10";

void PutWideText(std::uint8_t* out, std::string_view utf8) {
    std::u16string wide = Utf8ToUtf16(utf8);
    if (wide.size() > kHdrNameChars - 1) {
        // Never leave half of a surrogate pair at the end of the field.
        const bool splitsPair =
            wide[kHdrNameChars - 2] >= 0xD800 && wide[kHdrNameChars - 2] < 0xDC00;
        wide.resize(kHdrNameChars - (splitsPair ? 2 : 1));
    }
    for (std::size_t i = 0; i < wide.size(); ++i) {
        PutU16(out + 2 * i, static_cast<std::uint16_t>(wide[i]));
    }
}

void EncodeHeader(const DtcHeader& h, std::uint8_t* out) {
    PutU16(out + 0, 0x0210);  // header version
    PutU16(out + 2, static_cast<std::uint16_t>(kFileHeaderSize));
    PutU32(out + 4, h.fileSequence);
    PutU32(out + 8, h.odometerMetres);
    PutU32(out + kHdrFileStart, h.fileStart);
    PutU32(out + kHdrRecordStart, h.recordStart);
    PutU16(out + kHdrZoneMinutes, static_cast<std::uint16_t>(h.zoneMinutes));
    PutU32(out + kHdrRecordStamp, h.recordStamp);
    PutU16(out + 28, 637);  // speed sensor pulses per 100 m
    std::snprintf(reinterpret_cast<char*>(out + 32), 16, "SN%02X%02X%02X-%04u", h.deviceId[0],
                  h.deviceId[1], h.deviceId[2], static_cast<unsigned>(h.fileSequence % 10000));
    std::memcpy(out + kHdrDeviceId, h.deviceId.data(), h.deviceId.size());
    PutWideText(out + kHdrVehicleNo, h.vehicleNo);
    PutWideText(out + kHdrDriverName, h.driverName);
}

void EncodeBlock(const DtcBlock& block, std::uint32_t sequence, std::uint32_t odometer,
                 std::uint8_t* out) {
    PutU16(out, block.tag);
    std::uint8_t* data = out + 2;
    PutU32(data + 0, sequence);
    PutU32(data + kRecordTimeOffset, block.deviceTime);
    if (block.tag != kTagMinute) {
        PutU32(data + kMinuteSampleOffset, odometer);
        return;
    }
    std::uint16_t valid = 0;
    std::uint32_t distance = 0;
    for (std::size_t k = 0; k < block.samples.size(); ++k) {
        const std::uint16_t sample = block.samples[k];
        PutU16(data + kMinuteSampleOffset + 2 * k, sample);
        if (sample != kNoSample) {
            ++valid;
            distance += sample;
        }
    }
    PutU16(data + 4, valid);
    PutU16(data + 6, static_cast<std::uint16_t>(distance / 100));  // metres in this minute
}

}  // namespace

std::string DeviceIdText(const DeviceId& id) {
    char text[16];
    std::snprintf(text, sizeof text, "VQ%02X%02X%02X", id[0], id[1], id[2]);
    return text;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80           ? 0
                          : (lead >> 5) == 0x6  ? 1
                          : (lead >> 4) == 0xE  ? 2
                          : (lead >> 3) == 0x1E ? 3
                                                : -1;
        char32_t code = extra == 0   ? lead
                        : extra == 1 ? lead & 0x1F
                        : extra == 2 ? lead & 0x0F
                                     : lead & 0x07;
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!ok || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::size_t DtcFile::EncodedSize() const {
    return kDtcPreambleSize + 2 + kFileHeaderSize + blocks.size() * (2 + kTimeRecordSize);
}

std::vector<std::uint8_t> DtcFile::Encode() const {
    std::vector<std::uint8_t> bytes(EncodedSize(), 0);
    std::uint8_t* out = bytes.data();
    PutU32(out, kDtcMagic);
    std::memcpy(out + 4, kPreambleText, sizeof kPreambleText - 1);
    out += kDtcPreambleSize;
    PutU16(out, kTagFile);
    EncodeHeader(header, out + 2);
    out += 2 + kFileHeaderSize;
    std::uint64_t centimetres = 0;
    std::uint32_t sequence = 0;
    for (const DtcBlock& block : blocks) {
        const auto odometer = static_cast<std::uint32_t>(header.odometerMetres + centimetres / 100);
        EncodeBlock(block, sequence++, odometer, out);
        if (block.tag == kTagMinute) {
            for (std::uint16_t sample : block.samples) {
                centimetres += sample == kNoSample ? 0 : sample;
            }
        }
        out += 2 + kTimeRecordSize;
    }
    return bytes;
}

}  // namespace vantrel::datagen
