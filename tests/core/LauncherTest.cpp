// The whole launcher, run as tarvo-headless on SD-card folders built by each test: start-up and
// the reading of the skin, the key repeat, the navigation codes, the actions, launching programs
// and the frames it presents.
#include "tests/core/TestCard.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A page that says which navigation code reached it: button 0 answers codes 1 to 5 with the
// words codeN, the page's return action (code 6) with code6.
const char codeSkin[] = "PAGE=0\n"
                        "RETURN=code6\n"
                        "BUTTON=0\n"
                        "TYPE=rect,0,0,9,9,FFFFFF\n"
                        "LEFT=code1\nRIGHT=code2\nUP=code3\nDOWN=code4\nACTION=code5\n";

uint16_t pixel(const std::vector<uint16_t>& frame, int x, int y)
{
    return frame.at(static_cast<std::size_t>(y) * 320 + static_cast<std::size_t>(x));
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(card.ok()) << "no temporary folder"; }

    // The top-left pixel of the first frame of a run on the card's skin.
    uint16_t firstPixel(const std::string& skin)
    {
        card.skin(skin);
        return pixel(card.run("- 1\n").rawFrame(1), 0, 0);
    }

    // A menu program that records how it was started and exits with status.
    std::string menuRecorder(int status)
    {
        return card.recorder("/" + (card.temp() / "menu/gp2xmenu").substr(1), menuRecord, status);
    }

    TestCard card;
    std::string menuRecord = card.temp() / "menu-record";
};

} // namespace

// --- start-up and the skin -------------------------------------------------------------------

TEST_F(LauncherTest, EmptyCardShowsABlackPageAndAnEmptyScriptNoFrame)
{
    HeadlessRun none = card.run("");
    EXPECT_TRUE(none.exited);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.frameCount(), 0);

    HeadlessRun run = card.run("- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.frameCount(), 1);
    std::vector<uint16_t> frame = run.rawFrame(1);
    ASSERT_EQ(frame.size(), 320u * 240u);
    for (uint16_t value : frame)
        ASSERT_EQ(value, 0);
}

TEST_F(LauncherTest, FirstPassIsAlwaysAnEventAndAnIdleLauncherDrawsNothing)
{
    card.skin("PAGE=0\nBACKGROUND=color,336699\n");
    // 2000 unchanged polls after the first: no further frame.
    EXPECT_EQ(card.run("- 2001\n").frameCount(), 1);
    // Whatever is held at the first poll, it is an event; holding a non-direction never repeats.
    EXPECT_EQ(card.run("A 500\n").frameCount(), 1);
    EXPECT_EQ(card.run("A 3\n- 3\nA 2\n").frameCount(), 3);
}

TEST_F(LauncherTest, OnlyLinesOfAValidPageReachIt)
{
    card.skin("BACKGROUND=color,FF0000\nPAGE=200\nBACKGROUND=color,00FF00\nPAGE=-1\n"
              "BACKGROUND=color,00FFFF\nPAGE=1\nBACKGROUND=color,0000FF\n"
              "PAGE=0\nBUTTON=0\nACTION=page,1\n");
    HeadlessRun run = card.run("- 1\nB 1\n");
    ASSERT_EQ(run.frameCount(), 2);
    EXPECT_EQ(pixel(run.rawFrame(1), 5, 5), 0) << "page 0 took a line meant for no page";
    EXPECT_EQ(pixel(run.rawFrame(2), 5, 5), rgb565(0, 0, 0xFF));
    EXPECT_EQ(run.out, "") << "a page action prints nothing";

    EXPECT_EQ(firstPixel("PAGE=1\nPAGE=3,4\nBACKGROUND=color,0000FF\nSTARTPAGE=1\n"
                         "PAGE=3\nBACKGROUND=color,FF0000\n"),
              rgb565(0, 0, 0xFF))
        << "PAGE with two arguments selects no page";
    card.skin("PAGE=5\nPAGE=\nBACKGROUND=color,00FF00\nPAGE=abc\nBUTTON=0\n"
              "TYPE=rect,10,10,20,20,FF0000\n");
    std::vector<uint16_t> frame = card.run("- 1\n").rawFrame(1);
    EXPECT_EQ(pixel(frame, 0, 0), rgb565(0, 0xFF, 0)) << "PAGE without a number is page 0";
    EXPECT_EQ(pixel(frame, 15, 15), rgb565(0xFF, 0, 0));
}

TEST_F(LauncherTest, StartPageTakesTheLastValidLineWhereverItStands)
{
    EXPECT_EQ(firstPixel("STARTPAGE=2\nPAGE=2\nBACKGROUND=color,FF0000\n"
                         "PAGE=3\nBACKGROUND=color,00FF00\nSTARTPAGE=3\n"
                         "STARTPAGE=128\nSTARTPAGE=-1\nSTARTPAGE=99999999999\nSTARTPAGE=2,2\n"),
              rgb565(0, 0xFF, 0));
    EXPECT_EQ(firstPixel("PAGE=0\nBACKGROUND=color,0000FF\nPAGE=127\nBACKGROUND=color,FFFFFF\n"
                         "STARTPAGE=127\n"),
              0xFFDF);
}

TEST_F(LauncherTest, VariablesAreExpandedOnceAgainstWhatIsDefinedSoFar)
{
    // Keywords are upper-cased by the reader, so the configuration's basedir and VERSION can never
    // reach the lower-case start-up names.
    card.config("NAME=from config\nskin=concept\nbasedir=/elsewhere/\nVERSION=old\n");
    card.skin("VARIABLE=lonely\n"
              "VARIABLE=early,%late%\n"
              "VARIABLE=late,x\n"
              "VARIABLE=pair,a,b\n"
              "VARIABLE=under,%basedir%x\n"
              "VARIABLE=pair,c,d\n"
              "PAGE=0\n"
              "RETURN=show,%lonely%,%early%,%late%,%pair%,%pair[1]%,%under%,%version%,%skindir%,"
              "%NAME%,%SKIN%,%VERSION%,%BASEDIR%\n"
              "VARIABLE=basedir,/tmp/\n"
              "BUTTON=0\nACTION=show,%basedir%,%%\n");
    HeadlessRun run = card.run("- 1\nSTART 1\n- 1\nB 1\n");
    EXPECT_EQ(run.out,
              "Action is show--%lonely%--%late%--x--c,d--d--/mnt/sd/Tarvo/x--Tarvo 0.4--"
              "/mnt/sd/Tarvo/skins/concept/--from config--concept--old--/elsewhere/\n"
              "Action is show--/tmp/--%\n");
}

TEST_F(LauncherTest, SkinNameWithACommaNamesItsFolderAsWritten)
{
    card.config("SKIN=a,b\n");
    card.skin("PAGE=0\nRETURN=show,%skindir%\n", "a,b");
    EXPECT_EQ(card.run("- 1\nSTART 1\n").out, "Action is show--/mnt/sd/Tarvo/skins/a,b/\n");
}

TEST_F(LauncherTest, MissingSkinLeavesEveryPageEmpty)
{
    card.config("SKIN=nowhere\n");
    card.skin("PAGE=0\nBACKGROUND=color,FFFFFF\nRETURN=show\n");
    HeadlessRun run = card.run("- 1\nSTART 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.frameCount(), 3);
    EXPECT_EQ(pixel(run.rawFrame(3), 160, 120), 0);
}

// --- key repeat ------------------------------------------------------------------------------

TEST_F(LauncherTest, HeldLeftRepeatsInExactPassesWithTheDefaults)
{
    card.skin(codeSkin);
    EXPECT_EQ(card.run("LEFT 32\n").linesEqual("Action is code1"), 1);
    EXPECT_EQ(card.run("LEFT 33\n").linesEqual("Action is code1"), 2);
    EXPECT_EQ(card.run("LEFT 37\n").linesEqual("Action is code1"), 2);
    HeadlessRun run = card.run("LEFT 38\n");
    EXPECT_EQ(run.linesEqual("Action is code1"), 3);
    EXPECT_EQ(run.frameCount(), 3);
    EXPECT_EQ(run.out.find("Keyboard rate"), std::string::npos);
    // B joining a repeating left keeps the period; joining before the repeat waits the full delay.
    EXPECT_EQ(card.run("LEFT 33\nLEFT+B 6\n").linesEqual("Action is code1"), 4);
    EXPECT_EQ(card.run("LEFT 10\nLEFT+B 33\n").linesEqual("Action is code1"), 3);
}

TEST_F(LauncherTest, KeyboardRateSetsTheRepeatInPolls)
{
    struct Row {
        const char* config;
        const char* skinVariable;
        const char* keys;
        const char* reported; // the rate the launcher says it set
        const char* action;
        int actions;
    };
    const Row rows[] = {
        {"KEYBOARD_RATE=500,10\n", "", "LEFT 63\n", "500, 100", "code1", 1},
        {"KEYBOARD_RATE=500,10\n", "", "LEFT 64\n", "500, 100", "code1", 2},
        {"KEYBOARD_RATE=500,10\n", "", "LEFT 76\n", "500, 100", "code1", 2},
        {"KEYBOARD_RATE=500,10\n", "", "LEFT 77\n", "500, 100", "code1", 3},
        // Out of range keeps the defaults; an empty value reads as 0, which is in range.
        {"KEYBOARD_RATE=10000\n", "", "LEFT 33\n", "250, 33", "code1", 2},
        {"KEYBOARD_RATE=300,0\n", "", "- 1\n", "300, 33", "code1", 0},
        {"KEYBOARD_RATE=-5,1000\n", "", "- 1\n", "250, 33", "code1", 0},
        {"KEYBOARD_RATE=\n", "", "- 1\n", "0, 33", "code1", 0},
        // Below eight milliseconds: a repeat on every poll.
        {"KEYBOARD_RATE=0,200\n", "", "RIGHT 10\n", "0, 5", "code2", 10},
        // 100 ms is 12 polls, 20 ms is 2: repeats at polls 14, 17, 20...
        {"", "VARIABLE=KEYBOARD_RATE,100,50\n", "DOWN 14\n", "100, 20", "code4", 2},
        {"", "VARIABLE=KEYBOARD_RATE,100,50\n", "DOWN 17\n", "100, 20", "code4", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.config) + row.skinVariable + row.keys);
        card.config(row.config);
        card.skin(std::string(row.skinVariable) + codeSkin);
        HeadlessRun run = card.run(row.keys);
        EXPECT_EQ(run.out.rfind(std::string("Keyboard rate set to ") + row.reported + "\n", 0), 0u)
            << run.out;
        EXPECT_EQ(run.linesEqual(std::string("Action is ") + row.action), row.actions);
    }
}

// --- navigation codes ------------------------------------------------------------------------

TEST_F(LauncherTest, EachButtonGivesItsNavigationCode)
{
    card.skin(codeSkin);
    HeadlessRun run = card.run("- 1\nLEFT 1\n- 1\nRIGHT 1\n- 1\nUP 1\n- 1\nDOWN 1\n- 1\nB 1\n- 1\n"
                               "PUSH 1\n- 1\nSTART 1\n- 1\nX 1\n- 1\nA 1\n- 1\nY 1\n- 1\n"
                               "SELECT 1\n- 1\nVOLUP+VOLDOWN 1\n- 1\nL 1\n- 1\nR 1\n- 1\n");
    EXPECT_EQ(run.out,
              "Action is code1\nAction is code2\nAction is code3\nAction is code4\n"
              "Action is code5\nAction is code5\nAction is code6\nAction is code6\n");
    // Every change is an event with a frame, whether or not the page was asked.
    EXPECT_EQ(run.frameCount(), 29);
}

TEST_F(LauncherTest, DiagonalsAndButtonPrioritiesFollowTheFixedOrder)
{
    card.skin(codeSkin);
    HeadlessRun run = card.run("- 1\n"
                               "UPLEFT 1\n- 1\n"         // folded to up and left: no code
                               "DOWNRIGHT+B 1\n- 1\n"    // two diagonal lines: B
                               "UPLEFT+UP 1\n- 1\n"      // not folded: up alone
                               "LEFT+B+START+L 1\n- 1\n" // a direction beats every button
                               "L+R+B 1\n- 1\n"          // L: nothing on a plain button
                               "B+START 1\n- 1\n"        // B beats Start
                               "X+PUSH 1\n- 1\n");       // the stick push beats X
    EXPECT_EQ(run.out,
              "Action is code5\nAction is code3\nAction is code1\nAction is code5\n"
              "Action is code5\n");
}

// --- actions ---------------------------------------------------------------------------------

TEST_F(LauncherTest, PageAndSelectActions)
{
    card.skin("PAGE=0\nBACKGROUND=color,FF0000\n"
              "BUTTON=0\nRIGHT=select,1\nACTION=page,2,3\n"
              "BUTTON=1\nLEFT=select,0\nACTION=page,1\nDOWN=page,200\nUP=page,-1\n"
              "PAGE=1\nBACKGROUND=color,00FF00\nBUTTON=0\nACTION=page,0\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\nRIGHT 1\n- 1\nDOWN 1\n- 1\nUP 1\n- 1\nB 1\n- 1\n"
                               "B 1\n- 1\n");
    EXPECT_EQ(run.out, "Action is page--2--3\nAction is select--1\n");
    std::vector<uint16_t> expected = {0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800,
                                      0xF800, 0xF800, 0x07C0, 0x07C0, 0xF800, 0xF800};
    ASSERT_EQ(run.frameCount(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pixel(run.rawFrame(static_cast<int>(i) + 1), 0, 0), expected[i])
            << "frame " << i + 1;
}

TEST_F(LauncherTest, QuitAndStartSelectEndTheRunOrStartTheMenuProgram)
{
    card.skin("PAGE=0\nBUTTON=0\nACTION=quit\n");
    HeadlessRun quit = card.run("- 1\nB 1\n- 100\n");
    EXPECT_TRUE(quit.exited);
    EXPECT_EQ(quit.status, 0);
    EXPECT_EQ(quit.out, "Action is quit\n");
    EXPECT_EQ(quit.frameCount(), 1) << "nothing is drawn after the hand-over";
    HeadlessRun startSelect = card.run("- 1\nSTART+SELECT 1\n- 100\n");
    EXPECT_EQ(startSelect.status, 0);
    EXPECT_EQ(startSelect.out, "");
    EXPECT_EQ(startSelect.frameCount(), 1);

    std::string menu = menuRecorder(7);
    for (const char* keys : {"- 1\nB 1\n- 100\n", "- 1\nSELECT+START 1\n"}) {
        std::remove(menuRecord.c_str());
        HeadlessRun run = card.run(keys, {"--menu", menu});
        EXPECT_EQ(run.status, 7) << keys << run.err;
        EXPECT_EQ(TempFolder::readFile(menuRecord), card.temp() / "menu" + "\ngp2xmenu\n");
    }
}

TEST_F(LauncherTest, MenuProgramThatFailsLeavesTheLauncherRunning)
{
    card.skin("PAGE=0\nBACKGROUND=color,0000FF\nBUTTON=0\nACTION=quit\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", {"--menu", card.temp() / "no-menu"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is quit\n");
    EXPECT_NE(run.err.find("no-menu"), std::string::npos) << run.err;
    ASSERT_EQ(run.frameCount(), 3);
    EXPECT_EQ(pixel(run.rawFrame(3), 0, 0), 0x001F);
}

TEST_F(LauncherTest, ExecFromAFileListRunsTheProgramInItsFolder)
{
    std::string record = card.temp() / "record";
    card.recorder("games/run me.sh", record);
    card.write("games/readme.txt", "not a program\n");
    card.skin("PAGE=0\nBUTTON=0\nTYPE=selector,10,10,300,230\n"
              "OPTIONS=startdir,/mnt/sd/games/\nOPTIONS=filter,.sh\n"
              "ACTION=exec,%p0%,%P0%,first,%0%,/mnt/sd/games/\n");
    // The list holds ../ and run me.sh: move down, pick it.
    HeadlessRun run = card.run("- 1\nDOWN 1\n- 1\nB 1\n- 5\n");
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Action is exec--/mnt/sd/games/--/mnt/sd/games/run me.sh--first--run me.sh"
              "--/mnt/sd/games/\n");
    // The program sees the real folder for the card's paths, its working directory included.
    EXPECT_EQ(TempFolder::readFile(record),
              card.card("games") + "\n" + card.card("games/run me.sh") + "\nfirst\nrun me.sh\n" +
                  card.card("games/") + "\n");
    EXPECT_EQ(run.frameCount(), 3) << "the launcher is gone after the launch";
}

TEST_F(LauncherTest, DescriptorActionFillsInItsFolderAndRunsTheEmulator)
{
    std::string record = card.temp() / "record";
    card.recorder("emu/emu.sh", record);
    card.write("emu/Tarvo.dat",
               "FILTER=.rom\nDIRECTORY=%cwd%roms/\n"
               "ACTION=exec,%cwd%,%cwd%emu.sh,%P0%,%cwd%\nSPEED=200\n");
    card.write("emu/roms/alpha.rom", "rom");
    card.write("emu/roms/beta.txt", "not listed");
    card.skin("PAGE=0\nBUTTON=0\nTYPE=selector,10,10,300,230\n"
              "ACTION=exec,/,/bin/false\n");
    // /mnt/sd/ lists ../, emu/, Tarvo/: go to emu/, enter, then ../ and alpha.rom: pick the rom.
    HeadlessRun run = card.run("- 1\nDOWN 1\n- 1\nB 1\n- 1\nDOWN 1\n- 1\nB 1\n- 1\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Changed to /mnt/sd/emu/\n"
              "Action is exec--/mnt/sd/emu/--/mnt/sd/emu/emu.sh--/mnt/sd/emu/roms/alpha.rom"
              "--/mnt/sd/emu/\n");
    EXPECT_EQ(TempFolder::readFile(record),
              card.card("emu") + "\n" + card.card("emu/emu.sh") + "\n" +
                  card.card("emu/roms/alpha.rom") + "\n" + card.card("emu/") + "\n");
}

TEST_F(LauncherTest, ExecThatCannotStartIsReportedAndTheLoopGoesOn)
{
    card.skin(
        "PAGE=0\nBACKGROUND=color,00FF00\nBUTTON=0\nACTION=exec,/mnt/sd/,/mnt/sd/missing,arg\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Action is exec--/mnt/sd/--/mnt/sd/missing--arg\n"
              "Could not start /mnt/sd/missing: No such file or directory\n");
    ASSERT_EQ(run.frameCount(), 3);
    EXPECT_EQ(pixel(run.rawFrame(3), 0, 0), rgb565(0, 0xFF, 0)) << "drawn again after the failure";
}

TEST_F(LauncherTest, ActionsWithoutTextPrintAsEmptyWords)
{
    // ACTION= gives one word without any text; LEFT=, gives two; RIGHT=exec,, names no program.
    card.skin("PAGE=0\nBUTTON=0\nACTION=\nLEFT=,\nRIGHT=exec,,\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\nLEFT 1\n- 1\nRIGHT 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is \nAction is --\nAction is exec----\n");
    EXPECT_EQ(run.frameCount(), 7);
}

TEST_F(LauncherTest, NoExecPrintsWhatWouldRun)
{
    card.skin("PAGE=0\nBUTTON=0\nACTION=exec,/mnt/sd/games/,./game,one two\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", {"--no-exec"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Action is exec--/mnt/sd/games/--./game--one two\n"
              "Would run: exec /mnt/sd/games/ ./game one two\n");
    EXPECT_EQ(run.frameCount(), 3);
}

TEST_F(LauncherTest, ConfigActionRewritesTheConfigurationAndStartsTheMenu)
{
    card.config("// settings\nSKIN=concept\nSPEED_MENU=100\n");
    card.skin("PAGE=0\nBUTTON=0\nACTION=config,SKIN,night\nRIGHT=select,1\n"
              "BUTTON=1\nACTION=config\nLEFT=config,,x\n");
    std::string menu = menuRecorder(3);

    // A bare config, or one without a key, writes nothing and leaves for nowhere.
    HeadlessRun bare = card.run("- 1\nRIGHT 1\n- 1\nB 1\n- 1\nLEFT 1\n- 1\n", {"--menu", menu});
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out, "Action is select--1\nAction is config\nAction is config----x\n");
    EXPECT_EQ(card.temp().read("card/Tarvo/Tarvo.cfg"),
              "// settings\nSKIN=concept\nSPEED_MENU=100\n");

    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", {"--menu", menu});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(run.out, "Action is config--SKIN--night\n");
    std::string rewritten = card.temp().read("card/Tarvo/Tarvo.cfg");
    EXPECT_EQ(rewritten.rfind("// settings\nSKIN=night\nSPEED_MENU=100\n", 0), 0u) << rewritten;
    EXPECT_EQ(TempFolder::readFile(menuRecord), card.temp() / "menu" + "\ngp2xmenu\n");
    EXPECT_FALSE(std::filesystem::exists(card.card("Tarvo/Tarvo.newcfg")));

    // Without a menu program the run ends; a new key is added with all its values.
    card.skin("PAGE=0\nBUTTON=0\nACTION=config,KEYBOARD_RATE,500,10\n", "night");
    HeadlessRun added = card.run("- 1\nB 1\n- 1\n");
    EXPECT_EQ(added.status, 0);
    EXPECT_EQ(added.frameCount(), 1);
    rewritten = card.temp().read("card/Tarvo/Tarvo.cfg");
    EXPECT_NE(rewritten.find("\nKEYBOARD_RATE=500,10\n"), std::string::npos) << rewritten;
}

// --- frames and the command line ----------------------------------------------------------------

TEST_F(LauncherTest, FramesHoldTheExactPixelsOfThePage)
{
    card.skin("PAGE=0\nBACKGROUND=gradient,000000,FFFFFF\n"
              "BUTTON=0\nTYPE=rect,10,20,29,39,FF8000\n");
    HeadlessRun run = card.run("- 1\n");
    std::vector<uint16_t> frame = run.rawFrame(1);
    ASSERT_EQ(frame.size(), 320u * 240u);
    EXPECT_EQ(pixel(frame, 0, 0), 0x0000);
    EXPECT_EQ(pixel(frame, 319, 120), 0x7BCF);
    EXPECT_EQ(pixel(frame, 5, 239), 0xFFDF);
    EXPECT_EQ(pixel(frame, 10, 20), rgb565(0xFF, 0x80, 0));
    EXPECT_EQ(pixel(frame, 29, 39), rgb565(0xFF, 0x80, 0));
    EXPECT_NE(pixel(frame, 30, 39), rgb565(0xFF, 0x80, 0));

    // The pixel format of the PNG is the headless backend's; here only that it is written.
    EXPECT_TRUE(std::filesystem::exists(run.frames + "/frame-0001.png"));
}

TEST_F(LauncherTest, BadKeyScriptsAndCommandLinesStopWithStatusTwo)
{
    card.skin("PAGE=0\nBACKGROUND=color,FFFFFF\n");
    const std::vector<HeadlessRun> runs = {
        card.run("- 1\n\n# comment\nJUMP 3\n"),
        card.run("A+ 1\n"),
        card.run("B -4\n"),
        card.runWith({}),
        card.runWith({"--sd", card.temp() / "missing"}),
        card.runWith({"--sd", card.card(), "--bogus"}),
        card.runWith({"--sd", card.card(), "--raw"}),
        card.runWith({"--sd", card.card(), "--keys", card.temp() / "no-keys"}),
        card.runWith({"--sd", card.card(), "--scale", "2"}),
    };
    EXPECT_NE(runs[0].err.find("keys-1.txt:4:"), std::string::npos) << runs[0].err;
    for (const HeadlessRun& run : runs) {
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.frameCount(), 0) << "stopped before start-up";
        EXPECT_NE(run.err, "");
    }
}
