// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a file without ever leaving a truncated one: the bytes go to a temporary file in
// the same folder, are flushed to disk, and the temporary file is renamed over the target.
#pragma once

#include <filesystem>
#include <string_view>

namespace vantrel {

// False when any step fails (no space, no permission, a read-only medium); the target is then
// unchanged and no temporary file is left behind.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vantrel
