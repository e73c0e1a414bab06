// The command line of the computer front-ends.
#include "core/ProcessObjects.h"
#include "frontends/FrontEndOptions.h"
#include "platform/Files.h"
#include "platform/MenuProgram.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const unsigned headless = OPTION_SD | OPTION_KEYS | OPTION_FRAMES | OPTION_RAW | OPTION_BATTERY |
    OPTION_MENU | OPTION_NO_EXEC | OPTION_HELP;
const unsigned desktop = OPTION_SD | OPTION_SCALE | OPTION_MENU | OPTION_BATTERY | OPTION_NO_EXEC |
    OPTION_EXEC | OPTION_WATCH | OPTION_SHOTS | OPTION_HELP;

// True when the words are taken; a refusal must give a reason.
bool parse(std::vector<const char*> words, unsigned accepted, FrontEndOptions* options)
{
    words.insert(words.begin(), "program");
    std::string error;
    bool taken = parseFrontEndOptions(static_cast<int>(words.size()), words.data(), accepted,
                                      options, &error);
    EXPECT_EQ(taken, error.empty()) << error;
    return taken;
}

} // namespace

TEST(FrontEndOptionsTest, ReadsEveryOptionInBothSpellings)
{
    FrontEndOptions options;
    ASSERT_TRUE(parse({"--sd", "card", "--keys=k.txt", "--frames", "out", "--raw", "--battery", "b",
                       "--menu=m", "--no-exec"},
                      headless, &options));
    EXPECT_EQ(options.sdFolder, "card");
    EXPECT_EQ(options.keysFile, "k.txt");
    EXPECT_EQ(options.framesFolder, "out");
    EXPECT_TRUE(options.raw);
    EXPECT_EQ(options.batteryFile, "b");
    EXPECT_EQ(options.menuProgram, "m");
    EXPECT_TRUE(options.noExec);

    ASSERT_TRUE(parse({"--scale", "3", "--sd=/x", "--watch", "--shots", "s"}, desktop, &options));
    EXPECT_EQ(options.scale, 3);
    EXPECT_TRUE(options.watch);
    EXPECT_EQ(options.shotsFolder, "s");
    ASSERT_TRUE(parse({"-h"}, desktop, &options)) << "help needs no card";
    EXPECT_TRUE(options.help);
    EXPECT_EQ(frontEndUsage("tarvo-desktop", desktop).find("--keys"), std::string::npos);
}

TEST(FrontEndOptionsTest, RefusesWhatAFrontEndDoesNotTake)
{
    const std::vector<std::vector<const char*>> bad = {
        {},                             // no --sd
        {"--sd"},                       // no value
        {"--sd="},                      // empty value
        {"--sd", "a", "--sd", "b"},     // twice
        {"--sd", "a", "--scale", "2"},  // not a headless option
        {"--sd", "a", "--raw"},         // --raw without --frames
        {"--sd", "a", "--no-exec=yes"}, // a flag with a value
        {"--sd", "a", "stray"},
        {"--sd", "a", "-x"},
    };
    FrontEndOptions options;
    for (const auto& words : bad)
        EXPECT_FALSE(parse(words, headless, &options)) << (words.empty() ? "" : words.back());
    for (const char* scale : {"0", "17", "2x"})
        EXPECT_FALSE(parse({"--sd", "a", "--scale", scale}, desktop, &options)) << scale;
    EXPECT_FALSE(parse({"--sd", "a", "--exec", "--no-exec"}, desktop, &options));
    EXPECT_FALSE(parse({"--sd", "a", "--exec"}, headless, &options)) << "headless has no --exec";
}

TEST(FrontEndOptionsTest, ApplyMakesTheCardAndMenuAbsoluteAndRefusesACardThatIsNoFolder)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("card/Tarvo/Tarvo.cfg", "SKIN=x\n");
    char* here = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    FrontEndOptions options;
    ASSERT_TRUE(parse({"--sd", "card/", "--menu", "menu/gp2xmenu"}, headless, &options));
    std::string error;
    bool applied = applyFrontEndOptions(options, &error);
    EXPECT_EQ(chdir(here), 0);
    free(here);
    ASSERT_TRUE(applied) << error;
    EXPECT_EQ(std::string(sdRoot()), folder / "card");
    EXPECT_EQ(std::string(menuProgram()), folder / "menu/gp2xmenu");
    setSdRoot(nullptr);
    setMenuProgram(nullptr);

    for (const std::string& card : {folder / "card/Tarvo/Tarvo.cfg", folder / "missing"}) {
        options.sdFolder = card;
        EXPECT_FALSE(applyFrontEndOptions(options, &error));
        EXPECT_EQ(error.rfind(card + ": ", 0), 0u) << error;
    }
}
