// Reading and expanding skins the way start-up does, to show the cost grows linearly with the
// number of lines and with the length of a line, and how much memory it takes.
//
// Run: cmake --build BUILD --target ConfigReadBenchmark && BUILD/bench/config/ConfigReadBenchmark
// peak_rss_kib is the process's peak resident size so far (getrusage), so it only ever grows
// from one benchmark to the next; compare it against the first benchmark's figure.
#include "config/ConfigUpdate.h"
#include "config/SkinReader.h"
#include "config/VariableStore.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <sys/resource.h>

namespace {

std::string tempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double peakRssKib()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

// Skin lines of exactly 26 bytes plus LF, so 40,000 of them make 1 MiB (1,080,000 bytes).
std::string skinOfLines(int lineCount)
{
    static const char* const patterns[] = {
        "IMAGE=%skindir%bg.png,0,0,", "TEXT=%version%,\"a, b\",1,2,", "ACTION=exec,%p0%,%P0%,x,y,",
        "COLOR=%N[1]%,%N%,%%,FF00,,", "// a comment line of text ",   "VARIABLE=W,%skindir%,1,2,,",
    };
    std::string skin;
    skin.reserve(static_cast<size_t>(lineCount) * 27);
    for (int i = 0; i < lineCount; ++i) {
        std::string line = patterns[i % 6];
        line.resize(26, 'z');
        skin += line;
        skin += '\n';
    }
    return skin;
}

// One line of about the given length, full of arguments and references.
std::string skinOfOneLine(int bytes)
{
    std::string line = "TEXT=";
    while (static_cast<int>(line.size()) < bytes)
        line += "%skindir%,\"q,%N[2]%\",txt,";
    return line + "\n";
}

void fillStore(VariableStore& store)
{
    store.setText("skindir", "/mnt/sd/Tarvo/skins/concept/");
    store.setText("version", "Tarvo 0.4");
    store.setValues("N", WString::Array("10", "20", "30", static_cast<const char*>(0)));
    store.setText("p0", "/mnt/sd/games/");
    store.setText("P0", "/mnt/sd/games/run.gpe");
}

// What start-up does with a skin: read it, then expand every argument of every line.
void readAndExpand(benchmark::State& state, const std::string& content)
{
    std::string folder = tempFolder();
    std::string path = folder + "/Tarvo.skin";
    writeFile(path, content);
    VariableStore store;
    fillStore(store);
    long expandedBytes = 0;
    for (auto _ : state) {
        SkinReader reader(path.c_str());
        WString keyword;
        WString::Array arguments;
        while (reader.next(keyword, arguments)) {
            for (int i = 0; i < arguments.count(); ++i)
                expandedBytes += store.expand(arguments[i]).length();
        }
    }
    benchmark::DoNotOptimize(expandedBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(content.size()));
    state.counters["file_kib"] = static_cast<double>(content.size()) / 1024.0;
    state.counters["peak_rss_kib"] = peakRssKib();
    std::filesystem::remove_all(folder);
}

void BM_ReadAndExpandSkinLines(benchmark::State& state)
{
    readAndExpand(state, skinOfLines(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ReadAndExpandSkinLines)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadAndExpandOneLongLine(benchmark::State& state)
{
    readAndExpand(state, skinOfOneLine(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ReadAndExpandOneLongLine)
    ->Arg(256 << 10)
    ->Arg(512 << 10)
    ->Arg(1 << 20)
    ->Arg(2 << 20)
    ->Unit(benchmark::kMillisecond);

// Rewriting a 1 MiB configuration of 40,000 lines: read, write, flush to disk, rename.
void BM_UpdateConfigFile(benchmark::State& state)
{
    std::string folder = tempFolder();
    std::string config = folder + "/Tarvo.cfg";
    std::string newConfig = folder + "/Tarvo.newcfg";
    std::string content = skinOfLines(static_cast<int>(state.range(0)));
    writeFile(config, content);
    WString::Array values("light", static_cast<const char*>(0));
    int failures = 0;
    for (auto _ : state) {
        if (updateConfigFile(config.c_str(), newConfig.c_str(), WString("SKIN"), values) != 1)
            ++failures;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(content.size()));
    state.counters["failures"] = failures;
    state.counters["peak_rss_kib"] = peakRssKib();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_UpdateConfigFile)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
