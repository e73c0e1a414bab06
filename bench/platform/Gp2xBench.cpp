// The GP2X binding's per-pass costs on plain memory: a button poll and a present (four register
// writes, no pixel copied), whatever the state of the buffers.
//
// Run: build/host/bench/platform/Gp2xBench (the tests never run it).
#include "platform/Gp2xSeam.h"
#include "platform/Platform.h"
#include "platform/RegisterWindow.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

// Plain memory and stand-in device files for the whole run.
struct Gp2xOnMemory {
    Gp2xOnMemory()
        : registers(REGISTER_WINDOW_BYTES / 2, 0xFFFF), frame0(SCREEN_PIXELS), frame1(SCREEN_PIXELS)
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvo-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            folder = pattern;
        for (const char* name : {"fb0", "fb1", "mem", "dsp", "mixer"})
            std::ofstream(folder + "/" + name);
        Gp2xMemory memory = {registers.data(), frame0.data(), frame1.data(), 0x01000000,
                             0x01100000};
        seam = memory;
        gp2xSetDeviceFolder(folder.c_str());
        gp2xUseMemory(&seam);
        platformInit(100, 16, 44100, 16);
    }
    ~Gp2xOnMemory()
    {
        platformShutdown();
        gp2xUseMemory(nullptr);
        std::filesystem::remove_all(folder);
    }
    std::vector<uint16_t> registers, frame0, frame1;
    std::string folder;
    Gp2xMemory seam;
};

void BM_Gp2xReadButtons(benchmark::State& state)
{
    Gp2xOnMemory gp2x;
    for (auto _ : state)
        benchmark::DoNotOptimize(readButtons());
}
BENCHMARK(BM_Gp2xReadButtons);

void BM_Gp2xPresentFrame(benchmark::State& state)
{
    Gp2xOnMemory gp2x;
    for (auto _ : state) {
        presentFrame();
        benchmark::DoNotOptimize(backBuffer);
    }
}
BENCHMARK(BM_Gp2xPresentFrame);

} // namespace

BENCHMARK_MAIN();
