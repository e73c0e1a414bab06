// Tests of the played lists' saving: a save killed at any moment leaves the old list or the new
// one, whole. What the lists show and start is played in tests/cases/played-*.
#include "page/PlayedList.h"
#include "tests/platform/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/wait.h>

namespace {

// A child that adds one favourite to a list of 200 (some 20 KB, written in several pieces) and
// exits; the parent kills it after delay (never, for a negative delay) and gives how long it ran.
std::chrono::microseconds saveInChild(const TempFolder& folder, long delayMicroseconds)
{
    const auto start = std::chrono::steady_clock::now();
    fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        PlayedList list((folder / "Tarvo.favourites").c_str(),
                        (folder / "Tarvo.newfavourites").c_str(), 1000, PlayedList::SORTED);
        PlayedEntry entry;
        entry.name = "Added.gpe";
        entry.file = "/mnt/sd/games/Added.gpe";
        entry.words = WString::Array("exec", "/mnt/sd/games/", "/mnt/sd/games/Added.gpe", nullptr);
        _exit(list.add(entry) == PlayedList::SAVED ? 0 : 1);
    }
    if (delayMicroseconds >= 0) {
        usleep(static_cast<useconds_t>(delayMicroseconds));
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (delayMicroseconds < 0) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

TEST(PlayedListTest, ASaveKilledAtAnyMomentLeavesTheOldListOrTheNewOneWhole)
{
    TempFolder folder;
    std::string old = "// Written by Tarvo, one program a line\n";
    for (int i = 0; i < 200; ++i) {
        const std::string name = "Game " + std::to_string(1000 + i) + ".gpe";
        old += name + ",/mnt/sd/games/" + name + ",,/mnt/sd/games/,/mnt/sd/games/" + name + "\n";
    }
    folder.write("Tarvo.favourites", old);
    const auto took = saveInChild(folder, -1);
    const std::string saved = folder.read("Tarvo.favourites");
    ASSERT_NE(saved, old);
    ASSERT_NE(saved.find("\nAdded.gpe,"), std::string::npos);

    std::mt19937 random(21);
    std::uniform_int_distribution<long> moment(0, took.count() * 5 / 4);
    int oldKept = 0, newKept = 0;
    for (int i = 0; i < 200; ++i) {
        folder.write("Tarvo.favourites", old);
        saveInChild(folder, moment(random));
        const std::string now = folder.read("Tarvo.favourites");
        ASSERT_TRUE(now == old || now == saved)
            << "kill " << i << " left " << now.size() << " bytes";
        (now == old ? oldKept : newKept) += 1;
    }
    std::printf("%d kills left the old list, %d the new one\n", oldKept, newKept);
}

} // namespace
