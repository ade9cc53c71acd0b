// SPDX-License-Identifier: GPL-3.0-or-later
// Reading card files, the verified copy into the backup folder and the card cleanup.
#include "core/store/CardFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "core/app/TextCase.h"
#include "core/data/RecordModel.h"
#include "core/store/BackupLayout.h"
#include "core/util/AtomicFile.h"
#include "core/util/FolderUtil.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The TF block's data begins after the 36-byte preamble and the two tag bytes.
constexpr std::size_t kHeaderDataOffset = 38;
constexpr std::size_t kDeviceIdOffset = 77;
// No recorder file comes near this; a larger one is not copied through memory.
constexpr std::uintmax_t kMaxCopyBytes = 64u << 20;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File OpenForReading(const std::string& path) {
    return File(std::fopen(path.c_str(), "rb"), &std::fclose);
}

std::optional<std::string> ReadWhole(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxCopyBytes) {
        return std::nullopt;
    }
    File file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fgetc(file.get()) != EOF) {
        return std::nullopt;  // changed size while read
    }
    return bytes;
}

void RemoveEmptyFolders(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> children;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc) && !it->is_symlink(typeEc)) {
            children.push_back(it->path());
        }
    }
    for (const fs::path& child : children) {
        RemoveEmptyFolders(child);
    }
    fs::remove(folder, ec);  // only an empty folder goes
}

}  // namespace

std::optional<std::string> ReadDtcDeviceId(const std::string& path) {
    File file = OpenForReading(path);
    if (!file || std::fseek(file.get(), kHeaderDataOffset + kDeviceIdOffset, SEEK_SET) != 0) {
        return std::nullopt;
    }
    std::array<unsigned char, 3> id{};
    if (std::fread(id.data(), 1, id.size(), file.get()) != id.size()) {
        return std::nullopt;
    }
    return DeviceIdText(id[0], id[1], id[2]);
}

bool CopyFileVerified(const std::string& source, const std::string& target) {
    const std::optional<std::string> bytes = ReadWhole(source);
    if (!bytes || !WriteFileAtomically(target, *bytes)) {
        return false;
    }
    const std::optional<std::string> back = ReadWhole(target);
    return back && *back == *bytes;
}

bool FilesIdentical(const std::string& a, const std::string& b) {
    std::error_code ec1;
    std::error_code ec2;
    const std::uintmax_t sizeA = fs::file_size(a, ec1);
    const std::uintmax_t sizeB = fs::file_size(b, ec2);
    if (ec1 || ec2 || sizeA != sizeB) {
        return false;
    }
    File fa = OpenForReading(a);
    File fb = OpenForReading(b);
    if (!fa || !fb) {
        return false;
    }
    std::array<char, 65536> bufA{};
    std::array<char, 65536> bufB{};
    std::uintmax_t total = 0;
    for (;;) {
        const std::size_t na = std::fread(bufA.data(), 1, bufA.size(), fa.get());
        const std::size_t nb = std::fread(bufB.data(), 1, bufB.size(), fb.get());
        if (na != nb ||
            !std::equal(bufA.begin(), bufA.begin() + static_cast<long>(na), bufB.begin())) {
            return false;
        }
        total += na;
        if (na < bufA.size()) {
            return total == sizeA && !std::ferror(fa.get()) && !std::ferror(fb.get());
        }
    }
}

std::string BackupCopyPath(std::string_view backup, const std::string& cardFile) {
    const std::optional<std::string> id = ReadDtcDeviceId(cardFile);
    if (!id) {
        return {};
    }
    const fs::path path(cardFile);
    return DtcCopyFolder(backup, *id, GetMonthFolderName(cardFile)) + path.stem().string() + ".dtc";
}

std::vector<std::string> CleanCardFolder(const std::string& dtachoFolder, std::string_view backup) {
    std::vector<std::string> kept;
    std::vector<fs::path> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(dtachoFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc) && !it->is_symlink(typeEc)) {
            subfolders.push_back(it->path());
        }
    }
    for (const fs::path& folder : subfolders) {
        std::error_code walkEc;
        for (fs::recursive_directory_iterator it(folder, walkEc), end; !walkEc && it != end;
             it.increment(walkEc)) {
            std::error_code typeEc;
            if (it->is_directory(typeEc)) {
                continue;
            }
            const std::string file = it->path().string();
            const bool isDtc = EqualsNoCase(it->path().extension().string(), ".dtc");
            const std::string copy = isDtc ? BackupCopyPath(backup, file) : std::string();
            std::error_code removeEc;
            if (copy.empty() || !FilesIdentical(file, copy) || !fs::remove(file, removeEc)) {
                kept.push_back(file);
            }
        }
        if (walkEc) {
            kept.push_back(folder.string() + "/");  // a folder that could not be read stays
        }
        RemoveEmptyFolders(folder);
    }
    SortPathsNoCase(kept);
    return kept;
}

}  // namespace vantrel
