// SPDX-License-Identifier: GPL-3.0-or-later
// Download rate of the USB transfer in bytes of .dtc data per second:
//   BM_DownloadThroughEmulator  the whole exchange with the recorder emulator (its storage
//                               reading and Base64 encoding included);
//   BM_DownloadReplayed         the program's side alone: the same byte stream, recorded once
//                               from the emulator, replayed read by read (line reading,
//                               Base64 decoding, writing the files);
//   BM_Base64Decode             Base64 decoding alone.
// The emulator's share is the difference between the first two.
#include <benchmark/benchmark.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "device/DeviceLink.h"
#include "device/DeviceProtocol.h"
#include "device/PlumexBinding.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace {

namespace fs = std::filesystem;

struct Setup {
    fs::path root;
    std::int64_t dtcBytes = 0;
    vantrel::PlumexBinding binding;

    Setup() {
        root = fs::temp_directory_path() / ("vantrel_bench_device_" + std::to_string(getpid()));
        vantrel::datagen::Scenario scenario = *vantrel::datagen::NamedScenario("small");
        scenario.days = 14;
        const auto card = vantrel::datagen::GenerateCard(scenario, 3);
        const auto written = vantrel::datagen::WriteRecorderStorage(*card, root / "storage");
        for (const std::string& path : written.dtcPaths) {
            dtcBytes += static_cast<std::int64_t>(fs::file_size(path));
        }
        setenv("VANTREL_EMU_STORAGE", (root / "storage").c_str(), 1);
        binding.Bind(VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so");
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

void SetLineBytes(const benchmark::State& state) {
    setenv("VANTREL_EMU_LINE_BYTES", std::to_string(state.range(0)).c_str(), 1);
}

void Download(benchmark::State& state, const vantrel::UsbFunctions& functions) {
    Setup& setup = Shared();
    const std::string backup = (setup.root / "backup").string() + "/";
    vantrel::CDeviceLink link(functions, backup);
    for (auto _ : state) {
        std::vector<std::string> files;
        if (!link.ReadDeviceFiles(files)) {
            state.SkipWithError("download failed");
            break;
        }
        state.PauseTiming();
        fs::remove_all(backup);  // every run fetches every file
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * setup.dtcBytes);
}

void BM_DownloadThroughEmulator(benchmark::State& state) {
    SetLineBytes(state);
    Download(state, Shared().binding.Functions());
}
BENCHMARK(BM_DownloadThroughEmulator)->Arg(768)->Arg(3066)->Unit(benchmark::kMillisecond);

// One download's reads, recorded from the emulator and then handed out again.
std::vector<std::string> g_reads;
std::size_t g_next = 0;
bool g_recording = false;

std::int32_t ReplayOpen(std::uint32_t index) {
    g_next = 0;
    return g_recording ? Shared().binding.Functions().m_pfnUsbOpen(index) : 1;
}
std::int32_t ReplayRead(void* buffer, std::uint32_t length, std::int32_t handle) {
    if (g_recording) {
        const std::int32_t got = Shared().binding.Functions().m_pfnUsbRead(buffer, length, handle);
        g_reads.emplace_back(static_cast<const char*>(buffer),
                             static_cast<std::size_t>(got > 0 ? got : 0));
        return got;
    }
    if (g_next >= g_reads.size() || g_reads[g_next].empty()) {
        ++g_next;
        return 0;
    }
    const std::string& read = g_reads[g_next++];
    std::memcpy(buffer, read.data(), std::min<std::size_t>(read.size(), length));
    return static_cast<std::int32_t>(read.size());
}
std::int32_t ReplayWrite(const void* buffer, std::uint32_t length, std::int32_t handle) {
    return g_recording ? Shared().binding.Functions().m_pfnUsbWrite(buffer, length, handle)
                       : static_cast<std::int32_t>(length);
}
std::int32_t ReplayClose(std::int32_t handle) {
    return g_recording ? Shared().binding.Functions().m_pfnUsbClose(handle) : 1;
}

void BM_DownloadReplayed(benchmark::State& state) {
    SetLineBytes(state);
    const vantrel::UsbFunctions replay{&ReplayOpen, &ReplayRead, &ReplayWrite, &ReplayClose};
    g_reads.clear();
    g_recording = true;
    {
        vantrel::CDeviceLink link(replay, (Shared().root / "backup").string() + "/");
        std::vector<std::string> files;
        link.ReadDeviceFiles(files);
        fs::remove_all(Shared().root / "backup");
    }
    g_recording = false;
    Download(state, replay);
}
BENCHMARK(BM_DownloadReplayed)->Arg(768)->Arg(3066)->Unit(benchmark::kMillisecond);

void BM_Base64Decode(benchmark::State& state) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < (1u << 20); ++i) {
        text.push_back(kAlphabet[(i * 7919) % 64]);
    }
    std::string out;
    for (auto _ : state) {
        out.clear();
        vantrel::AppendBase64Decoded(text, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() / 4 * 3));
}
BENCHMARK(BM_Base64Decode);

}  // namespace
