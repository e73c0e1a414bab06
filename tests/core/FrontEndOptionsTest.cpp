// The command line of the computer front-ends.
#include "frontends/FrontEndOptions.h"

#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/MenuProgram.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const unsigned headless = OPTION_SD | OPTION_KEYS | OPTION_FRAMES | OPTION_RAW | OPTION_BATTERY |
    OPTION_MENU | OPTION_NO_EXEC | OPTION_HELP;
const unsigned desktop =
    OPTION_SD | OPTION_SCALE | OPTION_MENU | OPTION_BATTERY | OPTION_NO_EXEC | OPTION_HELP;

bool parse(std::vector<const char*> words, unsigned accepted, FrontEndOptions* options,
           std::string* error)
{
    words.insert(words.begin(), "program");
    return parseFrontEndOptions(static_cast<int>(words.size()), words.data(), accepted, options,
                                error);
}

// True when the words are refused with a reason.
bool refused(const std::vector<const char*>& words, unsigned accepted)
{
    FrontEndOptions options;
    std::string error;
    return !parse(words, accepted, &options, &error) && !error.empty();
}

} // namespace

TEST(FrontEndOptionsTest, ReadsEveryOptionInBothSpellings)
{
    FrontEndOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--sd", "card", "--keys=k.txt", "--frames", "out", "--raw", "--battery", "b",
                       "--menu=m", "--no-exec"},
                      headless, &options, &error))
        << error;
    EXPECT_EQ(options.sdFolder, "card");
    EXPECT_EQ(options.keysFile, "k.txt");
    EXPECT_EQ(options.framesFolder, "out");
    EXPECT_TRUE(options.raw);
    EXPECT_EQ(options.batteryFile, "b");
    EXPECT_EQ(options.menuProgram, "m");
    EXPECT_TRUE(options.noExec);

    ASSERT_TRUE(parse({"--scale", "3", "--sd=/x"}, desktop, &options, &error)) << error;
    EXPECT_EQ(options.scale, 3);
    EXPECT_EQ(options.sdFolder, "/x");
    EXPECT_FALSE(options.noExec);
}

TEST(FrontEndOptionsTest, RefusesWhatAFrontEndDoesNotTake)
{
    std::vector<std::vector<const char*>> bad = {
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
    for (const auto& words : bad)
        EXPECT_TRUE(refused(words, headless)) << (words.empty() ? "" : words.back());
    for (const char* scale : {"0", "17", "-1", "2x", ""})
        EXPECT_TRUE(refused({"--sd", "a", "--scale", scale}, desktop)) << scale;
    EXPECT_TRUE(refused({"--sd", "a", "--keys", "k"}, desktop));
}

TEST(FrontEndOptionsTest, HelpNeedsNoCard)
{
    FrontEndOptions options;
    std::string error;
    ASSERT_TRUE(parse({"-h"}, desktop, &options, &error)) << error;
    EXPECT_TRUE(options.help);
    std::string usage = frontEndUsage("tarvo-desktop", desktop);
    EXPECT_EQ(usage.rfind("Usage: tarvo-desktop --sd DIR [--scale N] [--menu PROG]", 0), 0u)
        << usage;
    EXPECT_EQ(usage.find("--keys"), std::string::npos);
}

TEST(FrontEndOptionsTest, ApplyMakesTheCardAndMenuAbsolute)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("card/Tarvo/Tarvo.cfg", "SKIN=x\n");
    std::string battery = folder.write("battery", std::string("\x02\x01", 2));
    char* here = getcwd(nullptr, 0);
    ASSERT_NE(here, nullptr);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);

    FrontEndOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--sd", "card/", "--menu", "menu/gp2xmenu", "--battery", "battery"},
                      headless, &options, &error));
    bool applied = applyFrontEndOptions(options, &error);
    EXPECT_EQ(chdir(here), 0);
    free(here);
    ASSERT_TRUE(applied) << error;
    EXPECT_EQ(std::string(sdRoot()), folder / "card");
    EXPECT_EQ(std::string(menuProgram()), folder / "menu/gp2xmenu");
    // The battery reader reads the named file from anywhere.
    EXPECT_EQ(batteryReader.read(), 0x0102);
    EXPECT_EQ(batteryReader.read(), -1);

    FILE* config = openFile("/mnt/sd/Tarvo/Tarvo.cfg", "rb");
    EXPECT_NE(config, nullptr);
    if (config)
        fclose(config);
    setSdRoot(nullptr);
    setMenuProgram(nullptr);
}

TEST(FrontEndOptionsTest, ApplyRefusesACardThatIsNoFolder)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string file = folder.write("file", "x");
    for (const std::string& card : {file, folder / "missing"}) {
        FrontEndOptions options;
        options.sdFolder = card;
        std::string error;
        EXPECT_FALSE(applyFrontEndOptions(options, &error));
        EXPECT_EQ(error.rfind(card + ": ", 0), 0u) << error;
    }
}
