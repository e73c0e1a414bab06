// What the main loop pays per pass on the platform layer: a button poll, a present, a repeated
// clock setting; and what the headless backend pays to write one frame as a file.
//
// Run: build/host/bench/platform/PlatformBench (the tests never run it).
#include "platform/ClockControl.h"
#include "platform/HeadlessControl.h"
#include "platform/KeyScript.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <vector>

// The headless backend provides the platform operations here; Gp2xBench measures the binding.
namespace {

void BM_ClockControlRepeatedSetting(benchmark::State& state)
{
    ClockControl clock;
    WString::Array setting;
    setting.append(WString("200"));
    setting.append(WString("0"));
    setting.append(WString("0"));
    clock.setSpeed(setting);
    for (auto _ : state)
        benchmark::DoNotOptimize(clock.setSpeed(setting));
}
BENCHMARK(BM_ClockControlRepeatedSetting);

void BM_ClockControlChangingSetting(benchmark::State& state)
{
    ClockControl clock;
    int mhz = 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(clock.applySpeed(0, 0, mhz));
        mhz = mhz == 100 ? 200 : 100;
    }
}
BENCHMARK(BM_ClockControlChangingSetting);

std::string frameFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

// A frame with gradients and detail, so the PNG encoder has real work.
std::vector<uint16_t> testFrame()
{
    std::vector<uint16_t> frame(SCREEN_PIXELS);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            frame[y * SCREEN_WIDTH + x] = static_cast<uint16_t>(
                ((x * 31 / 319) << 11) | ((y * 63 / 239) << 5) | ((x ^ y) & 0x1F));
    return frame;
}

void BM_HeadlessWritePng(benchmark::State& state)
{
    std::string folder = frameFolder();
    std::vector<uint16_t> frame = testFrame();
    std::string path = folder + "/frame.png";
    for (auto _ : state)
        benchmark::DoNotOptimize(headlessWritePng(frame.data(), path.c_str()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_HeadlessWritePng)->Unit(benchmark::kMillisecond);

void BM_HeadlessWriteRaw(benchmark::State& state)
{
    std::string folder = frameFolder();
    std::vector<uint16_t> frame = testFrame();
    std::string path = folder + "/frame.rgb565";
    for (auto _ : state)
        benchmark::DoNotOptimize(headlessWriteRaw(frame.data(), path.c_str()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_HeadlessWriteRaw)->Unit(benchmark::kMicrosecond);

void BM_HeadlessIdlePass(benchmark::State& state)
{
    // The main loop's unchanged pass: poll, then the one-millisecond sleep, which is virtual here.
    // The one step lasts far longer than any run of the benchmark.
    KeyScript script;
    std::string error;
    if (!script.parse("- 999999999999999999\n", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    headlessReset();
    headlessSetScript(script);
    platformInit(100, 16, 44100, 16);
    for (auto _ : state) {
        benchmark::DoNotOptimize(readButtons());
        platformSleepMs(1);
    }
    headlessReset();
}
BENCHMARK(BM_HeadlessIdlePass);

} // namespace

BENCHMARK_MAIN();
