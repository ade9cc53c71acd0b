// SPDX-License-Identifier: GPL-3.0-or-later
// The two format routes and the card's preparation.
#include "core/sdcard/SdCard.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/log/TraceLog.h"
#include "core/sdcard/ChildProcess.h"
#include "core/sdcard/StagedCard.h"
#include "core/sdcard/UdisksClient.h"

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

bool UsesDiskService(SdDeviceAccess access, const SdTarget& target) {
    switch (access) {
        case SdDeviceAccess::Direct:
            return false;
        case SdDeviceAccess::DiskService:
            return target.blockDevice;
        case SdDeviceAccess::Auto:
            break;
    }
    return target.blockDevice && ::geteuid() != 0 &&
           ::access(target.path.c_str(), R_OK | W_OK) != 0;
}

namespace {

using Status = SdFormatOutcome::Status;

void TraceOpenFailure() {
    TraceLog(TraceLocation{0, 726, "DlgFormatSD.cpp", {}},
             "Failed to open device - close any files before formatting and make sure you "
             "have Admin rights when using fat32format\n Are you SURE you're formatting the "
             "RIGHT DRIVE!!!");
}

void TracePartitionFailure() {
    TraceLog(TraceLocation{0, 1070, "DlgFormatSD.cpp", {}}, "Failed to set parition info");
}

// Makes the file system: the raw route writes it on fd, the command route runs mkfs.fat on
// target.path (which must not be held open exclusively).
bool MakeFileSystem(SdFormatRoute route, const SdTarget& target, int fd, std::uint32_t serial,
                    std::string* message) {
    if (route == SdFormatRoute::Command) {
        return RunFormatCommand(target, serial, message);
    }
    if (!WriteFat32(fd, target.geometry, serial, kSdVolumeLabel)) {
        *message = "the FAT32 file system could not be written (VANTREL_TRACE=1 shows why)";
        return false;
    }
    return true;
}

// The checks that come before the question; false leaves the outcome Refused with the reason.
bool CheckTarget(const SdFormatRequest& request, SdTarget* target, SdFormatOutcome& outcome) {
    if (!InspectSdTarget(request.target, request.roots, target, &outcome.message)) {
        return false;
    }
    outcome.sizeMiB = target->SizeMiB();
    outcome.route = request.route.value_or(ChooseSdFormatRoute(outcome.sizeMiB));
    if (outcome.sizeMiB < kSdMinSizeMiB) {
        outcome.message = request.target + " holds " + std::to_string(outcome.sizeMiB) +
                          " MiB; a card needs at least " + std::to_string(kSdMinSizeMiB) + " MiB";
        return false;
    }
    if (outcome.route == SdFormatRoute::Command && !IsFormatCommandAvailable()) {
        outcome.message = "mkfs.fat was not found (install dosfstools)";
        return false;
    }
    for (const MountEntry& mount : MountsOfTarget(*target, request.roots)) {
        if (IsSystemFolder(mount.mountPoint)) {
            outcome.message = request.target + " holds the system folder " + mount.mountPoint;
            return false;
        }
    }
    return true;
}

// The program unmounts and opens the device itself.
void FormatDirectly(const SdFormatRequest& request, SdTarget& target, SdFormatOutcome& outcome) {
    if (!UnmountTarget(target, request.roots, &outcome.message)) {
        return;
    }
    outcome.status = Status::Failed;
    const int fd = OpenSdTarget(target, &outcome.message);
    if (fd < 0) {
        TraceOpenFailure();
        return;
    }
    outcome.sizeMiB = target.SizeMiB();
    // mkfs.fat opens the device exclusively itself.
    if (outcome.route == SdFormatRoute::Command) {
        ::close(fd);
    }
    const bool made =
        MakeFileSystem(outcome.route, target, fd, CurrentVolumeSerial(), &outcome.message);
    if (outcome.route == SdFormatRoute::Raw) {
        ::close(fd);
    }
    if (!made) {
        return;
    }
    // A card's partition often carries another type (SDXC cards come as exFAT, 0x07); the
    // recorder looks for FAT32 with LBA, whichever route made the file system. Only a
    // partition has an entry to change.
    if (target.partitionNumber != 0 &&
        !SetMbrPartitionType(target.diskPath, target.partitionNumber, target.geometry.hiddenSectors,
                             0x0C, &outcome.message)) {
        TracePartitionFailure();
        return;
    }
    RereadPartitions(target);
    outcome.formatted = true;
    if (!PrepareSdCard(target.path, request.driverText, &outcome.message)) {
        return;
    }
    outcome.prepared = true;
    outcome.status = Status::Done;
}

// Makes and prepares the file system in a staging image of the card's geometry, then copies
// it onto the card's descriptor. Nothing reaches the card unless both succeed.
bool StageAndCopy(const SdFormatRequest& request, const SdTarget& target, int cardFd,
                  SdFormatOutcome& outcome) {
    SdTarget staged = target;
    staged.path = MakeStagingImage(target.geometry.lengthBytes, &outcome.message);
    staged.blockDevice = false;
    if (staged.path.empty()) {
        return false;
    }
    const int imageFd = ::open(staged.path.c_str(), O_RDWR | O_CLOEXEC);
    bool ok = imageFd >= 0;
    if (!ok) {
        outcome.message = "the staging image for the card cannot be opened";
    }
    ok = ok &&
         MakeFileSystem(outcome.route, staged, imageFd, CurrentVolumeSerial(), &outcome.message);
    if (imageFd >= 0) {
        ::close(imageFd);
    }
    ok = ok && PrepareSdCard(staged.path, request.driverText, &outcome.message);
    ok = ok && CopyStagedCard(staged.path, cardFd, &outcome.message);
    ::unlink(staged.path.c_str());
    return ok;
}

// The disk service unmounts and opens the device; polkit asks the user.
void FormatThroughDiskService(const SdFormatRequest& request, SdTarget& target,
                              SdFormatOutcome& outcome) {
    const std::unique_ptr<UdisksClient> service = UdisksClient::Connect(&outcome.message);
    if (!service) {
        return;
    }
    for (const MountEntry& mount : MountsOfTarget(target, request.roots)) {
        const std::string object = service->ResolveDevice(mount.source, &outcome.message);
        if (object.empty() || !service->Unmount(object, &outcome.message)) {
            return;
        }
    }
    if (!MountsOfTarget(target, request.roots).empty()) {
        outcome.message = target.path + " is still mounted";
        return;
    }
    outcome.status = Status::Failed;
    const std::string object = service->ResolveDevice(target.path, &outcome.message);
    const int fd = object.empty() ? -1 : service->OpenDevice(object, &outcome.message);
    if (fd < 0) {
        TraceOpenFailure();
        return;
    }
    ReadDeviceGeometry(fd, target);
    outcome.sizeMiB = target.SizeMiB();
    const bool copied = StageAndCopy(request, target, fd, outcome);
    ::close(fd);
    if (!copied) {
        return;
    }
    if (target.partitionNumber >= 1 && target.partitionNumber <= 4 &&
        !service->SetMbrPartitionType(object, "0x0c", &outcome.message)) {
        TracePartitionFailure();
        return;
    }
    outcome.formatted = true;
    outcome.prepared = true;
    outcome.status = Status::Done;
}

}  // namespace

SdFormatOutcome FormatSdCard(const SdFormatRequest& request) {
    SdFormatOutcome outcome;
    SdTarget target;
    if (!CheckTarget(request, &target, outcome)) {
        return outcome;
    }
    if (request.confirm && !request.confirm(target, outcome.route)) {
        outcome.status = Status::Declined;
        outcome.message = request.target + " was not formatted";
        return outcome;
    }
    if (UsesDiskService(request.access, target)) {
        FormatThroughDiskService(request, target, outcome);
    } else {
        FormatDirectly(request, target, outcome);
    }
    if (outcome.status == Status::Done) {
        outcome.message.clear();
    }
    return outcome;
}

}  // namespace vantrel
