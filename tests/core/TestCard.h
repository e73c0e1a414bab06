// TestCard: an SD-card folder built by a test, and runs of tarvo-headless on it.
#ifndef TARVO_TESTS_CORE_TESTCARD_H
#define TARVO_TESTS_CORE_TESTCARD_H

#include "tests/platform/TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

struct HeadlessRun {
    bool exited = false; // false: killed by a signal, or could not be started
    int status = -1;     // the exit status when exited
    std::string out;     // standard output
    std::string err;     // standard error
    std::string frames;  // the --frames folder of the run

    // The frames written, counted by their PNG files.
    int frameCount() const;
    // The RGB565 pixels of frame n (from 1) as written with --raw; empty when missing.
    std::vector<uint16_t> rawFrame(int number) const;
    // How many standard output lines are exactly line.
    int linesEqual(const std::string& line) const;
};

// The folder holds card/ (standing for /mnt/sd/, with card/Tarvo/ as the base directory) and the
// run's own files beside it (the key script, the frames, records written by test programs).
class TestCard {
public:
    TestCard();

    bool ok() const { return folder.ok(); }
    const TempFolder& temp() const { return folder; }
    // The real path of a file on the card: card("games/a.sh").
    std::string card(const std::string& name = "") const { return folder / ("card/" + name); }

    // Tarvo/Tarvo.cfg and the skin file of the given skin (default "concept").
    void config(const std::string& text) const;
    void skin(const std::string& text, const std::string& skinName = "concept") const;
    // Any file on the card; mode as for chmod.
    std::string write(const std::string& name, const std::string& content, int mode = 0644) const;
    // An executable shell script on the card (or outside it when the name starts with "/").
    // It writes its working directory, then $0, then each argument, one a line, to recordPath.
    std::string recorder(const std::string& name, const std::string& recordPath,
                         int exitStatus = 0) const;

    // Runs tarvo-headless --sd card --keys KEYS --frames FRAMES --raw plus extra arguments.
    HeadlessRun run(const std::string& keys, const std::vector<std::string>& extra = {}) const;
    // Runs tarvo-headless with exactly these arguments.
    HeadlessRun runWith(const std::vector<std::string>& arguments) const;

private:
    TempFolder folder;
    mutable int runs = 0;
};

// An RGB565 value, as a skin colour RRGGBB gives it.
constexpr uint16_t rgb565(unsigned r, unsigned g, unsigned b)
{
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xF8) << 3) | ((b & 0xF8) >> 3));
}

#endif
