// Benchmarks of the launcher on the demo card: start-up to the first presented frame, and one
// idle pass of the main loop (a poll that finds nothing changed, and no drawing).
//   cmake --build BUILD --target LauncherBench && BUILD/bench/core/LauncherBench
//
// StartUpToFirstFrame runs the whole tarvo-headless program with a one-poll script, so it counts
// process start and exit too, and decodes every picture of the start page anew each time. Its
// instruction count comes from callgrind on the same run:
//   printf -- '- 1\n' > /tmp/one.keys
//   valgrind --tool=callgrind --callgrind-out-file=/tmp/start.out
//       BUILD/frontends/tarvo-headless --sd sdcard --keys /tmp/one.keys   (one command line)
// and the cost of an idle pass from the difference to a run with 100000 more idle polls:
//   printf -- '- 100001\n' > /tmp/idle.keys   (same command, --keys /tmp/idle.keys)
#include "core/Launcher.h"
#include "platform/Files.h"
#include "platform/HeadlessControl.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const std::string demoCard = std::string(TARVO_SOURCE_DIR) + "/sdcard";

ButtonMask nothingHeld()
{
    return 0;
}

void StartUpToFirstFrame(benchmark::State& state)
{
    char keys[] = "/tmp/tarvo-bench-keys-XXXXXX";
    int fd = mkstemp(keys);
    if (fd < 0 || write(fd, "- 1\n", 4) != 4) {
        state.SkipWithError("cannot write the key script");
        return;
    }
    close(fd);
    std::string program = TARVO_HEADLESS_PROGRAM;
    std::string sdOption = "--sd";
    std::string keysOption = "--keys";
    std::string card = demoCard;
    std::string keysPath = keys;
    char* argv[] = {program.data(),    sdOption.data(), card.data(),
                    keysOption.data(), keysPath.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("tarvo-headless failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    std::remove(keys);
}
// The work is in the child, so iterations are counted by the clock, not by this process's CPU.
BENCHMARK(StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void IdlePass(benchmark::State& state)
{
    static Launcher launcher;
    static bool started = false;
    if (!started) {
        setSdRoot(demoCard.c_str());
        headlessSetButtonSource(nothingHeld);
        launcher.start();
        launcher.pass();
        started = true;
    }
    int frames = headlessFrameCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(launcher.pass());
    if (headlessFrameCount() != frames)
        state.SkipWithError("an idle pass drew a frame");
    state.counters["frames drawn"] = headlessFrameCount() - frames;
}
BENCHMARK(IdlePass);

} // namespace

BENCHMARK_MAIN();
