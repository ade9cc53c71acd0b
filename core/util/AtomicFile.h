// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a file without ever leaving a truncated one: the bytes go to a temporary file in
// the same folder, are flushed to disk, and the temporary file is renamed over the target.
// AtomicWriteBatch does the same for many files at the cost of one flush for all of them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// False when any step fails (no space, no permission, a read-only medium); the target is then
// unchanged and no temporary file is left behind.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Many atomic replacements with one flush: Add writes each file's bytes to a temporary file
// beside its target, Commit flushes them all to disk at once, then renames them over their
// targets in the order they were added and syncs each folder once. A target is replaced only
// once its new bytes are on disk, so a crash leaves every target either old or whole and new,
// never truncated. A file that must only appear once the others are safe (a marker of what
// was written) goes into a later Commit. Temporary files that were not committed are removed
// by the destructor.
class AtomicWriteBatch {
public:
    enum class FlushMode {
        kSyncFileSystem,  // one syncfs per file system (each file when that is unavailable)
        kSyncEachFile,    // fdatasync of each temporary file in turn
    };

    explicit AtomicWriteBatch(FlushMode mode = FlushMode::kSyncFileSystem);
    ~AtomicWriteBatch();
    AtomicWriteBatch(const AtomicWriteBatch&) = delete;
    AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;

    // Writes the bytes to a new temporary file; false (nothing added, the target untouched)
    // when that fails. A target added again replaces its earlier bytes in the batch and moves
    // to the end of the order.
    bool Add(const std::filesystem::path& path, std::string_view bytes);

    // Flushes, renames and syncs as above and empties the batch. False when any target was
    // not written: a failed flush writes none of them, a failed rename only its own target.
    // The temporary files of the targets not written are removed and Failed() names those
    // targets (as given to Add) in order.
    bool Commit();

    const std::vector<std::string>& Failed() const { return m_failed; }
    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        std::string requested;  // the path as given to Add
        std::filesystem::path target;
        std::filesystem::path temp;
        std::size_t folder = 0;  // index into m_folders
    };
    struct Folder {
        std::filesystem::path path;
        int fd = -1;  // opened before the first write into it; -1 when it cannot be opened
        bool renamedInto = false;
    };

    std::size_t FolderIndex(const std::filesystem::path& folder);
    bool FlushAll();
    void SyncFolders();
    void DiscardAll();
    void CloseFolders();

    FlushMode m_mode;
    std::vector<Entry> m_entries;
    std::vector<Folder> m_folders;
    std::vector<std::string> m_failed;
};

}  // namespace vantrel
