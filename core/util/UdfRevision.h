// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the UDF revision that a medium was recorded to, from its volume descriptors: the
// anchor at sector 256 points to the main volume descriptor sequence, whose logical volume
// descriptor names the revision in the suffix of its domain identifier.
#pragma once

#include <filesystem>

namespace vantrel {

// The revision as recorded, BCD-like: 0x0102 for UDF 1.02, 0x0250 for 2.50. -1 when the file
// or device cannot be read or holds no UDF volume. Sector sizes of 2048, 512 and 4096 bytes
// are tried, in that order.
int ReadUdfRevision(const std::filesystem::path& medium);

}  // namespace vantrel
