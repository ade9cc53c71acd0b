// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of one recorder .dtc file, held in memory, into an stFileInfo. The file is the
// magic AA 00 EF F5, 32 bytes not interpreted, then blocks: a 16-bit tag and fixed data, TF
// (218-byte file header), TH (254-byte hour record) and TM (254-byte minute record); any
// other tag ends the blocks. Hour and minute records land in the slot of their local time.
#pragma once

#include <cstdint>
#include <span>

#include "core/data/FileInfo.h"
#include "core/util/TimeUtil.h"

namespace vantrel {

inline constexpr std::uint32_t kDtcMagic = 0xF5EF00AA;
inline constexpr std::size_t kDtcBlocksOffset = 36;
inline constexpr std::uint16_t kDtcTagFile = 0x4654;    // "TF"
inline constexpr std::uint16_t kDtcTagHour = 0x4854;    // "TH"
inline constexpr std::uint16_t kDtcTagMinute = 0x4D54;  // "TM"

// The day and record numbering that runs over all files of one read, in list order:
// consecutive files share a record index while their record stamp stays the same, and a day
// index while in addition their start falls on the same calendar day. The first file always
// opens a record and a day, whatever its stamp.
struct DtcNumbering {
    bool first = true;
    std::uint32_t previousStamp = 0;
    SystemTime previousDate;
    std::uint32_t recordCounter = 0xFFFFFFFF;  // the first file makes both 0
    std::uint32_t dayCounter = 0xFFFFFFFF;
};

// Decodes the bytes into a fresh info (as constructed). False, with the info unspecified,
// when the content is shorter than the magic or does not start with it. Only blocks that lie
// wholly inside the content are taken over; with headersOnly the walk stops after the header.
bool DecodeDtc(std::span<const std::uint8_t> bytes, bool headersOnly, DtcNumbering& numbering,
               stFileInfo& info);

}  // namespace vantrel
