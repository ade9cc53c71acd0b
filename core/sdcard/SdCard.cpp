// SPDX-License-Identifier: GPL-3.0-or-later
// The two format routes and the card's preparation.
#include "core/sdcard/SdCard.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/log/TraceLog.h"
#include "core/sdcard/ChildProcess.h"

namespace vantrel {
namespace {

// mtools otherwise refuses a file system whose geometry fields do not match its own idea of
// the disk.
const std::vector<std::string> kMtoolsEnvironment{"MTOOLS_SKIP_CHECK=1"};

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

SdFormatRoute ChooseSdFormatRoute(std::uint64_t sizeMiB) {
    return sizeMiB > kSdCommandRouteMaxMiB ? SdFormatRoute::Raw : SdFormatRoute::Command;
}

const char* SdFormatRouteName(SdFormatRoute route) {
    return route == SdFormatRoute::Raw ? "raw" : "command";
}

bool IsFormatCommandAvailable() {
    return !FindProgram("mkfs.fat").empty();
}

std::vector<std::string> FormatCommandArguments(const SdTarget& target, std::uint32_t serial) {
    const RawGeometry& g = target.geometry;
    char serialText[16];
    std::snprintf(serialText, sizeof serialText, "%08X", serial);
    return {"mkfs.fat", "-F", "32", "-S", std::to_string(g.bytesPerSector), "-s",
            std::to_string(kSdClusterBytes / g.bytesPerSector), "-n", kSdVolumeLabel, "-i",
            serialText, "-g", std::to_string(g.heads) + "/" + std::to_string(g.sectorsPerTrack),
            "-h", std::to_string(g.hiddenSectors), "--mbr=n",
            // The card may be a whole disk without a partition table, which mkfs.fat
            // otherwise questions.
            "-I", target.path};
}

bool RunFormatCommand(const SdTarget& target, std::uint32_t serial, std::string* error) {
    if (!IsFormatCommandAvailable()) {
        *error = "mkfs.fat was not found (install dosfstools)";
        return false;
    }
    const ProcessResult run = RunProgram(FormatCommandArguments(target, serial));
    if (run.exitCode != 0) {
        *error =
            "mkfs.fat failed (exit " + std::to_string(run.exitCode) + "): " + Trimmed(run.output);
        return false;
    }
    return true;
}

bool PrepareSdCard(const std::string& imageOrDevice, const std::string& driverText,
                   std::string* error) {
    const ProcessResult folders = RunProgram(
        {"mmd", "-i", imageOrDevice, "::/media", "::/driving", "::/log", "::/dvr_config"},
        kMtoolsEnvironment);
    if (folders.exitCode != 0) {
        *error = "the card's folders could not be made: " + Trimmed(folders.output);
        return false;
    }
    if (driverText.empty()) {
        return true;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "vantrel-driverid-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        *error = "no temporary file for driverid.ini";
        return false;
    }
    const bool written = ::write(fd, driverText.data(), driverText.size()) ==
                         static_cast<ssize_t>(driverText.size());
    ::close(fd);
    ProcessResult copy;
    if (written) {
        copy =
            RunProgram({"mcopy", "-o", "-i", imageOrDevice, pattern, "::/dvr_config/driverid.ini"},
                       kMtoolsEnvironment);
    }
    fs::remove(pattern, ec);
    if (!written || copy.exitCode != 0) {
        *error = "driverid.ini could not be written: " + Trimmed(copy.output);
        return false;
    }
    return true;
}

SdFormatOutcome FormatSdCard(const SdFormatRequest& request) {
    using Status = SdFormatOutcome::Status;
    SdFormatOutcome outcome;
    SdTarget target;
    if (!InspectSdTarget(request.target, request.roots, &target, &outcome.message)) {
        return outcome;
    }
    outcome.sizeMiB = target.SizeMiB();
    outcome.route = request.route.value_or(ChooseSdFormatRoute(outcome.sizeMiB));
    if (outcome.sizeMiB < kSdMinSizeMiB) {
        outcome.message = request.target + " holds " + std::to_string(outcome.sizeMiB) +
                          " MiB; a card needs at least " + std::to_string(kSdMinSizeMiB) + " MiB";
        return outcome;
    }
    if (outcome.route == SdFormatRoute::Command && !IsFormatCommandAvailable()) {
        outcome.message = "mkfs.fat was not found (install dosfstools)";
        return outcome;
    }
    for (const MountEntry& mount : MountsOfTarget(target, request.roots)) {
        if (IsSystemFolder(mount.mountPoint)) {
            outcome.message = request.target + " holds the system folder " + mount.mountPoint;
            return outcome;
        }
    }
    if (request.confirm && !request.confirm(target, outcome.route)) {
        outcome.status = Status::Declined;
        outcome.message = request.target + " was not formatted";
        return outcome;
    }
    if (!UnmountTarget(target, request.roots, &outcome.message)) {
        return outcome;
    }
    outcome.status = Status::Failed;
    const int fd = OpenSdTarget(target, &outcome.message);
    if (fd < 0) {
        TraceLog(TraceLocation{0, 726, "DlgFormatSD.cpp", {}},
                 "Failed to open device - close any files before formatting and make sure you "
                 "have Admin rights when using fat32format\n Are you SURE you're formatting the "
                 "RIGHT DRIVE!!!");
        return outcome;
    }
    outcome.sizeMiB = target.SizeMiB();
    const std::uint32_t serial = CurrentVolumeSerial();
    if (outcome.route == SdFormatRoute::Raw) {
        const bool written = WriteFat32(fd, target.geometry, serial, kSdVolumeLabel);
        ::close(fd);
        if (!written) {
            outcome.message =
                "the FAT32 file system could not be written (VANTREL_TRACE=1 "
                "shows why)";
            return outcome;
        }
    } else {
        // mkfs.fat opens the device exclusively itself.
        ::close(fd);
        if (!RunFormatCommand(target, serial, &outcome.message)) {
            return outcome;
        }
    }
    // A card's partition often carries another type (SDXC cards come as exFAT, 0x07); the
    // recorder looks for FAT32 with LBA, whichever route made the file system. Only a
    // partition has an entry to change.
    if (target.partitionNumber != 0) {
        std::string error;
        if (!SetMbrPartitionType(target.diskPath, target.partitionNumber,
                                 target.geometry.hiddenSectors, 0x0C, &error)) {
            TraceLog(TraceLocation{0, 1070, "DlgFormatSD.cpp", {}}, "Failed to set parition info");
            outcome.message = error;
            return outcome;
        }
    }
    RereadPartitions(target);
    outcome.formatted = true;
    if (!PrepareSdCard(target.path, request.driverText, &outcome.message)) {
        return outcome;
    }
    outcome.prepared = true;
    outcome.status = Status::Done;
    outcome.message.clear();
    return outcome;
}

}  // namespace vantrel
