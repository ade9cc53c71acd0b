// SPDX-License-Identifier: GPL-3.0-or-later
// A card that is reached only through a descriptor (the disk service opened it for us), so
// mkfs.fat and mtools cannot be pointed at it: the file system is made and prepared in a
// sparse image of the card's size in the temporary folder, then copied onto the card. The
// copy writes the whole system area (reserved sectors, both FATs, the root cluster), so that
// no old FAT entry or directory survives where the image holds zeros it never wrote, and
// beyond it every stretch of the image that holds data (the prepared folders and files).
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// An empty sparse image of the size in the temporary folder; its path, or empty with the
// reason. The caller removes it.
std::string MakeStagingImage(std::uint64_t bytes, std::string* error);

// The bytes from the start of a FAT32 volume to the end of its root directory's first
// cluster, read from its boot sector; 0 when the sector is not a FAT32 boot sector or the
// area does not fit in volumeBytes.
std::uint64_t Fat32SystemAreaBytes(const std::uint8_t (&bootSector)[512],
                                   std::uint64_t volumeBytes);

// Copies the staged image onto the card's descriptor (from offset 0 of both) and flushes the
// card. False with the reason when the image is not FAT32 or a read or write fails.
bool CopyStagedCard(const std::string& imagePath, int cardFd, std::string* error);

}  // namespace vantrel
