// Benchmarks of the whole-text WString operations: reading a skin must stay linear in its size.
//   cmake --build BUILD --target WStringBench && BUILD/bench/base/WStringBench
// Each benchmark reports its complexity over the sizes it runs; O(N) is the target.
#include "base/WMap.h"
#include "base/WString.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace {

// A skin-like text of the given size with CR LF line ends, each line lineLength bytes long
// (0: one single line without any line end).
std::string skinText(size_t size, size_t lineLength)
{
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        if (lineLength == 0) {
            text.append(size, 'x');
            break;
        }
        std::string line = "TEXT=" + std::to_string(text.size()) + ",12,34,%skindir%/font.png";
        line.resize(lineLength - 2, ' ');
        text += line + "\r\n";
    }
    text.resize(size);
    return text;
}

// Reading a file: drop the CRs, split on LF (state.range(1): line length, 0 for one line).
void ReadSkinText(benchmark::State& state)
{
    size_t size = static_cast<size_t>(state.range(0));
    WString text(skinText(size, static_cast<size_t>(state.range(1))).c_str());
    for (auto _ : state) {
        WString::Array lines = text.replace("\r", "").split("\n", -1);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    state.SetComplexityN(static_cast<int64_t>(size));
}
// 1 MiB in 40,000 lines is 26 bytes a line; 100,000 lines is 10 bytes a line.
BENCHMARK(ReadSkinText)
    ->ArgsProduct({{1 << 18, 1 << 19, 1 << 20, 1 << 21}, {26}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReadSkinText)
    ->ArgsProduct({{1 << 18, 1 << 19, 1 << 20, 1 << 21}, {10}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReadSkinText)
    ->ArgsProduct({{1 << 18, 1 << 19, 1 << 20, 1 << 21}, {0}})
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void JoinLongArray(benchmark::State& state)
{
    WString::Array items;
    for (int64_t i = 0; i < state.range(0); ++i) {
        items.append(WString(std::to_string(i).c_str()));
    }
    for (auto _ : state) {
        WString joined = items.join(",");
        benchmark::DoNotOptimize(joined.text());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(JoinLongArray)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 18)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void WordsOfText(benchmark::State& state)
{
    size_t size = static_cast<size_t>(state.range(0));
    WString text(skinText(size, 26).c_str());
    for (auto _ : state) {
        WString::Array words = text.words();
        benchmark::DoNotOptimize(words.data());
    }
    state.SetComplexityN(static_cast<int64_t>(size));
}
BENCHMARK(WordsOfText)
    ->RangeMultiplier(4)
    ->Range(1 << 16, 1 << 22)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void ExpandTabsOfText(benchmark::State& state)
{
    size_t size = static_cast<size_t>(state.range(0));
    std::string raw = skinText(size, 26);
    for (size_t i = 3; i < raw.size(); i += 7) {
        raw[i] = '\t';
    }
    WString text(raw.c_str());
    for (auto _ : state) {
        WString expanded = text.expandTabs(8);
        benchmark::DoNotOptimize(expanded.text());
    }
    state.SetComplexityN(static_cast<int64_t>(size));
}
BENCHMARK(ExpandTabsOfText)
    ->RangeMultiplier(4)
    ->Range(1 << 16, 1 << 22)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void RepeatText(benchmark::State& state)
{
    WString unit("0123456789");
    for (auto _ : state) {
        WString repeated = unit * static_cast<unsigned>(state.range(0));
        benchmark::DoNotOptimize(repeated.text());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(RepeatText)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 18)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void MapSetAndFind(benchmark::State& state)
{
    typedef WMap<WString, const char*, WString::Array, WString::Array&> Variables;
    std::vector<std::string> names;
    for (int64_t i = 0; i < state.range(0); ++i) {
        names.push_back("VARIABLE_" + std::to_string(i));
    }
    for (auto _ : state) {
        Variables map;
        for (const std::string& name : names) {
            map[name.c_str()].append("value");
        }
        WString::Array out;
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(map.find(name.c_str(), out));
        }
    }
}
// 31 fixed buckets: the cost per entry grows with the count, which is fine for a few hundred.
BENCHMARK(MapSetAndFind)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
