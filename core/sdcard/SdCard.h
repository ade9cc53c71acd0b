// SPDX-License-Identifier: GPL-3.0-or-later
// SD card initialisation for the recorder: a FAT32 file system with 32 KiB clusters and the
// label "AVFILE3", then the folders media, driving, log and dvr_config and, when a driver is
// named, dvr_config/driverid.ini holding the driver's text.
//
// Two routes, by the card's size: up to 56,300 MiB mkfs.fat runs as a child process; above
// that the program's own FAT32 writer writes the system area. Both make FAT32 with 32 KiB
// clusters: FAT16 cannot have 32 KiB clusters above 2 GiB, and no card is taken below
// 3000 MiB. The card is prepared through mtools on the unmounted device or image.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/sdcard/SdCardDevice.h"

namespace vantrel {

enum class SdFormatRoute { Command, Raw };

inline constexpr std::uint64_t kSdMinSizeMiB = 3000;
inline constexpr std::uint64_t kSdCommandRouteMaxMiB = 56300;
inline constexpr std::uint32_t kSdClusterBytes = 32768;
inline constexpr const char* kSdVolumeLabel = "AVFILE3";

SdFormatRoute ChooseSdFormatRoute(std::uint64_t sizeMiB);
const char* SdFormatRouteName(SdFormatRoute route);  // "command", "raw"

// Whether the command route can run: mkfs.fat is installed.
bool IsFormatCommandAvailable();
// The mkfs.fat arguments for the target (FAT32, 32 KiB clusters, the label, the serial and the
// target's geometry), program name first.
std::vector<std::string> FormatCommandArguments(const SdTarget& target, std::uint32_t serial);
// Runs mkfs.fat; false with its output when it fails or cannot start.
bool RunFormatCommand(const SdTarget& target, std::uint32_t serial, std::string* error);

// Makes the card's folders and, when driverText (UTF-8) is not empty, dvr_config/driverid.ini
// holding exactly that text (no byte-order mark, no line end), replacing an existing one.
// Works on an unmounted device or image with mtools; false with the reason on a failure.
bool PrepareSdCard(const std::string& imageOrDevice, const std::string& driverText,
                   std::string* error);

// How the card's device is reached. Directly: the program unmounts it and opens it itself,
// which needs root or write access to the device node. Through the disk service (udisks2 on
// the system bus): the service unmounts and opens it after polkit asks the user, and the file
// system is staged in a sparse image and copied onto the card. Auto: directly for an image or
// a device the user may write, else through the disk service.
enum class SdDeviceAccess { Auto, Direct, DiskService };

struct SdFormatRequest {
    std::string target;  // a block device or an image file
    std::string driverText;
    std::optional<SdFormatRoute> route;  // empty: chosen by size
    SdDeviceAccess access = SdDeviceAccess::Auto;
    // Asked after every check and before anything is changed; false stops without writing.
    std::function<bool(const SdTarget& target, SdFormatRoute route)> confirm;
    DriveLayer::Roots roots;
};

struct SdFormatOutcome {
    enum class Status {
        Done,      // formatted and prepared
        Refused,   // a check failed before anything was written
        Declined,  // the operator said no
        Failed,    // the format or the preparation failed
    };
    Status status = Status::Refused;
    SdFormatRoute route = SdFormatRoute::Command;
    std::uint64_t sizeMiB = 0;
    bool formatted = false;
    bool prepared = false;
    std::string message;  // why, when not Done
};

// Whether the request reaches the target through the disk service.
bool UsesDiskService(SdDeviceAccess access, const SdTarget& target);

// The whole initialisation: checks, confirmation, unmount, format, preparation.
SdFormatOutcome FormatSdCard(const SdFormatRequest& request);

}  // namespace vantrel
