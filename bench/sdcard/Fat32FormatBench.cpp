// SPDX-License-Identifier: GPL-3.0-or-later
// The raw FAT32 writer against mkfs.fat on the same sparse 64 GiB image in the same run. The
// writer touches only the system area (32 reserved sectors, two FATs of about 8 MiB each and
// one root cluster); mkfs.fat writes the same amount, so the ratio shows the cost of the
// child process and of its writing strategy. The ratio is printed as the counter
// "vs_mkfs_fat" of the raw case (mkfs.fat time / raw writer time).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/sdcard/ChildProcess.h"
#include "core/sdcard/Fat32Writer.h"
#include "core/sdcard/SdCard.h"

namespace {

constexpr std::uint64_t kImageBytes = 64ull * 1024 * 1024 * 1024;

std::string ImagePath() {
    return (std::filesystem::temp_directory_path() / "vantrel-bench-64g.img").string();
}

void FreshImage(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(kImageBytes)) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    ::close(fd);
}

double RawSeconds(const std::string& path) {
    FreshImage(path);
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(path.c_str(), O_RDWR);
    vantrel::RawGeometry geometry;
    geometry.lengthBytes = kImageBytes;
    if (!vantrel::WriteFat32(fd, geometry, 0x12345678, vantrel::kSdVolumeLabel)) {
        std::abort();
    }
    ::close(fd);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CommandSeconds(const std::string& path) {
    FreshImage(path);
    vantrel::SdTarget target;
    target.path = path;
    target.geometry.lengthBytes = kImageBytes;
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!vantrel::RunFormatCommand(target, 0x12345678, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double g_rawTotal = 0;
double g_commandTotal = 0;

void BM_RawFat32Writer64GiB(benchmark::State& state) {
    const std::string path = ImagePath();
    for (auto _ : state) {
        const double raw = RawSeconds(path);
        const double command = CommandSeconds(path);
        state.SetIterationTime(raw);
        g_rawTotal += raw;
        g_commandTotal += command;
    }
    state.counters["vs_mkfs_fat"] = g_commandTotal / g_rawTotal;
    state.counters["mkfs_fat_ms"] = 1000 * g_commandTotal / static_cast<double>(state.iterations());
    std::filesystem::remove(path);
}
BENCHMARK(BM_RawFat32Writer64GiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MkfsFat64GiB(benchmark::State& state) {
    const std::string path = ImagePath();
    for (auto _ : state) {
        state.SetIterationTime(CommandSeconds(path));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_MkfsFat64GiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
