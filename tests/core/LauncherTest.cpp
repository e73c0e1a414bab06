// The whole launcher, run as tarvo-headless on SD-card folders built by each test: start-up and
// the reading of the skin, the key repeat, the navigation codes, the actions, launching programs
// and the frames it presents.
#include "tests/core/TestCard.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>

namespace {

// A page that says which navigation code reached it: button 0 answers codes 1 to 5 with the
// words codeN, the page's return action (code 6) with code6.
const char codeSkin[] =
    "PAGE=0\n"
    "RETURN=code6\n"
    "BUTTON=0\n"
    "TYPE=rect,0,0,9,9,FFFFFF\n"
    "LEFT=code1\nRIGHT=code2\nUP=code3\nDOWN=code4\nACTION=code5\n";

#define ASSERT_CARD(card) \
    do { ASSERT_TRUE((card).ok()) << "no temporary folder"; } while (0)

uint16_t pixel(const std::vector<uint16_t>& frame, int x, int y)
{
    return frame.at(static_cast<std::size_t>(y) * 320 + static_cast<std::size_t>(x));
}

} // namespace

// --- start-up and the skin -------------------------------------------------------------------

TEST(LauncherTest, EmptyScriptEndsBeforeTheFirstFrame)
{
    TestCard card;
    ASSERT_CARD(card);
    HeadlessRun run = card.run("");
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.frameCount(), 0);
    EXPECT_EQ(run.out, "");
}

TEST(LauncherTest, EmptyCardShowsABlackPageAndPrintsNothing)
{
    TestCard card;
    ASSERT_CARD(card);
    HeadlessRun run = card.run("- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.frameCount(), 1);
    std::vector<uint16_t> frame = run.rawFrame(1);
    ASSERT_EQ(frame.size(), 320u * 240u);
    for (uint16_t value : frame)
        ASSERT_EQ(value, 0);
}

TEST(LauncherTest, FirstPassIsAlwaysAnEventAndAnIdleLauncherDrawsNothing)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBACKGROUND=color,336699\n");
    // 2000 unchanged polls after the first: no further frame.
    EXPECT_EQ(card.run("- 2001\n").frameCount(), 1);
    // Whatever is held at the first poll, it is an event; holding a non-direction never repeats.
    EXPECT_EQ(card.run("A 500\n").frameCount(), 1);
    EXPECT_EQ(card.run("A 3\n- 3\nA 2\n").frameCount(), 3);
}

TEST(LauncherTest, LinesBeforeAnyPageAndAfterAnOutOfRangePageAreDropped)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("BACKGROUND=color,FF0000\n"
              "PAGE=200\n"
              "BACKGROUND=color,00FF00\n"
              "PAGE=-1\n"
              "BACKGROUND=color,00FFFF\n"
              "PAGE=1\n"
              "BACKGROUND=color,0000FF\n"
              "PAGE=0\n"
              "BUTTON=0\n"
              "ACTION=page,1\n");
    HeadlessRun run = card.run("- 1\nB 1\n");
    ASSERT_EQ(run.frameCount(), 2);
    EXPECT_EQ(pixel(run.rawFrame(1), 5, 5), 0) << "page 0 took a line meant for no page";
    EXPECT_EQ(pixel(run.rawFrame(2), 5, 5), rgb565(0, 0, 0xFF));
    EXPECT_EQ(run.out, "") << "a page action prints nothing";
}

TEST(LauncherTest, PageWithTwoArgumentsIsNoPageSelection)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=1\nPAGE=3,4\nBACKGROUND=color,0000FF\nSTARTPAGE=1\n"
              "PAGE=3\nBACKGROUND=color,FF0000\n");
    HeadlessRun run = card.run("- 1\n");
    EXPECT_EQ(pixel(run.rawFrame(1), 100, 100), rgb565(0, 0, 0xFF));
}

TEST(LauncherTest, PageWithoutNumberSelectsPageZero)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=5\nPAGE=\nBACKGROUND=color,00FF00\nPAGE=abc\nBUTTON=0\n"
              "TYPE=rect,10,10,20,20,FF0000\n");
    HeadlessRun run = card.run("- 1\n");
    EXPECT_EQ(pixel(run.rawFrame(1), 0, 0), rgb565(0, 0xFF, 0));
    EXPECT_EQ(pixel(run.rawFrame(1), 15, 15), rgb565(0xFF, 0, 0));
}

TEST(LauncherTest, StartPageTakesTheLastValidLineWhereverItStands)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("STARTPAGE=2\n"
              "PAGE=2\nBACKGROUND=color,FF0000\n"
              "PAGE=3\nBACKGROUND=color,00FF00\n"
              "STARTPAGE=3\n"
              // Out of range: ignored, page 3 stays.
              "STARTPAGE=128\nSTARTPAGE=-1\nSTARTPAGE=99999999999\n"
              // Two arguments: not a start page (and page 3 ignores it).
              "STARTPAGE=2,2\n");
    EXPECT_EQ(pixel(card.run("- 1\n").rawFrame(1), 0, 0), rgb565(0, 0xFF, 0));

    card.skin("PAGE=0\nBACKGROUND=color,0000FF\nPAGE=127\nBACKGROUND=color,FFFFFF\n"
              "STARTPAGE=127\n");
    EXPECT_EQ(pixel(card.run("- 1\n").rawFrame(1), 0, 0), 0xFFDF);
}

TEST(LauncherTest, VariablesAreExpandedOnceAgainstWhatIsDefinedSoFar)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("NAME=from config\nskin=concept\n");
    card.skin("VARIABLE=lonely\n"
              "VARIABLE=early,%late%\n"
              "VARIABLE=late,x\n"
              "VARIABLE=pair,a,b\n"
              "VARIABLE=under,%basedir%x\n"
              "VARIABLE=pair,c,d\n"
              "PAGE=0\n"
              "RETURN=show,%lonely%,%early%,%late%,%pair%,%pair[1]%,%under%,%version%,%skindir%,"
              "%NAME%,%SKIN%\n"
              "VARIABLE=basedir,/tmp/\n"
              "BUTTON=0\nACTION=show,%basedir%,%%\n");
    HeadlessRun run = card.run("- 1\nSTART 1\n- 1\nB 1\n");
    EXPECT_EQ(run.out,
              "Action is show--%lonely%--%late%--x--c,d--d--/mnt/sd/Tarvo/x--Tarvo 0.4--"
              "/mnt/sd/Tarvo/skins/concept/--from config--concept\n"
              "Action is show--/tmp/--%\n");
}

TEST(LauncherTest, StartUpVariablesReplaceThoseOfTheConfiguration)
{
    TestCard card;
    ASSERT_CARD(card);
    // Keywords are upper-cased by the reader, so these can never reach the lower-case names.
    card.config("basedir=/elsewhere/\nVERSION=old\n");
    card.skin("PAGE=0\nRETURN=show,%basedir%,%version%,%VERSION%,%BASEDIR%\n");
    HeadlessRun run = card.run("- 1\nX 1\n");
    EXPECT_EQ(run.out, "Action is show--/mnt/sd/Tarvo/--Tarvo 0.4--old--/elsewhere/\n");
}

TEST(LauncherTest, SkinNameWithACommaNamesItsFolderAsWritten)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("SKIN=a,b\n");
    card.skin("PAGE=0\nRETURN=show,%skindir%\n", "a,b");
    HeadlessRun run = card.run("- 1\nSTART 1\n");
    EXPECT_EQ(run.out, "Action is show--/mnt/sd/Tarvo/skins/a,b/\n");
}

TEST(LauncherTest, MissingSkinLeavesEveryPageEmpty)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("SKIN=nowhere\n");
    card.skin("PAGE=0\nBACKGROUND=color,FFFFFF\nRETURN=show\n");
    HeadlessRun run = card.run("- 1\nSTART 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.frameCount(), 3);
    EXPECT_EQ(pixel(run.rawFrame(3), 160, 120), 0);
}

// --- key repeat ------------------------------------------------------------------------------

TEST(LauncherTest, HeldLeftRepeatsInExactPassesWithTheDefaults)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    EXPECT_EQ(card.run("LEFT 32\n").linesEqual("Action is code1"), 1);
    EXPECT_EQ(card.run("LEFT 33\n").linesEqual("Action is code1"), 2);
    EXPECT_EQ(card.run("LEFT 37\n").linesEqual("Action is code1"), 2);
    HeadlessRun run = card.run("LEFT 38\n");
    EXPECT_EQ(run.linesEqual("Action is code1"), 3);
    EXPECT_EQ(run.frameCount(), 3);
    EXPECT_EQ(run.out.find("Keyboard rate"), std::string::npos);
}

TEST(LauncherTest, RepeatKeepsItsPeriodAcrossAChangeOfButtons)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    // The repeat fires at poll 33; B joins at poll 34, an event that still gives code 1; the next
    // repeat comes on the fifth unchanged poll after it.
    EXPECT_EQ(card.run("LEFT 33\nLEFT+B 5\n").linesEqual("Action is code1"), 3);
    EXPECT_EQ(card.run("LEFT 33\nLEFT+B 6\n").linesEqual("Action is code1"), 4);
    // Without the repeat first, the change waits the full delay again.
    EXPECT_EQ(card.run("LEFT 10\nLEFT+B 32\n").linesEqual("Action is code1"), 2);
    EXPECT_EQ(card.run("LEFT 10\nLEFT+B 33\n").linesEqual("Action is code1"), 3);
}

TEST(LauncherTest, KeyboardRateFromTheConfigurationSetsTheRepeat)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    card.config("KEYBOARD_RATE=500,10\n");
    HeadlessRun run = card.run("LEFT 63\n");
    EXPECT_EQ(run.out.rfind("Keyboard rate set to 500, 100\n", 0), 0u) << run.out;
    EXPECT_EQ(run.linesEqual("Action is code1"), 1);
    EXPECT_EQ(card.run("LEFT 64\n").linesEqual("Action is code1"), 2);
    EXPECT_EQ(card.run("LEFT 76\n").linesEqual("Action is code1"), 2);
    EXPECT_EQ(card.run("LEFT 77\n").linesEqual("Action is code1"), 3);
}

TEST(LauncherTest, KeyboardRateOutOfRangeKeepsTheDefaults)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    card.config("KEYBOARD_RATE=10000\n");
    HeadlessRun run = card.run("LEFT 33\n");
    EXPECT_EQ(run.linesEqual("Keyboard rate set to 250, 33"), 1);
    EXPECT_EQ(run.linesEqual("Action is code1"), 2);

    card.config("KEYBOARD_RATE=300,0\n");
    EXPECT_EQ(card.run("- 1\n").out, "Keyboard rate set to 300, 33\n");
    card.config("KEYBOARD_RATE=-5,1000\n");
    EXPECT_EQ(card.run("- 1\n").out, "Keyboard rate set to 250, 33\n");
    // An empty value reads as 0, which is in range.
    card.config("KEYBOARD_RATE=\n");
    EXPECT_EQ(card.run("- 1\n").out, "Keyboard rate set to 0, 33\n");
}

TEST(LauncherTest, KeyboardRateBelowEightMillisecondsRepeatsOnEveryPoll)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    card.config("KEYBOARD_RATE=0,200\n");
    HeadlessRun run = card.run("RIGHT 10\n");
    EXPECT_EQ(run.linesEqual("Keyboard rate set to 0, 5"), 1);
    EXPECT_EQ(run.linesEqual("Action is code2"), 10);
}

TEST(LauncherTest, KeyboardRateFromASkinVariableCounts)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(std::string("VARIABLE=KEYBOARD_RATE,100,50\n") + codeSkin);
    HeadlessRun run = card.run("DOWN 14\n");
    // 100 ms is 12 polls, 1000 / 50 = 20 ms is 2 polls: repeats at polls 14, 17, 20...
    EXPECT_EQ(run.linesEqual("Keyboard rate set to 100, 20"), 1);
    EXPECT_EQ(run.linesEqual("Action is code4"), 2);
    EXPECT_EQ(card.run("DOWN 17\n").linesEqual("Action is code4"), 3);
}

// --- navigation codes ------------------------------------------------------------------------

TEST(LauncherTest, EachButtonGivesItsNavigationCode)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    HeadlessRun run = card.run("- 1\nLEFT 1\n- 1\nRIGHT 1\n- 1\nUP 1\n- 1\nDOWN 1\n- 1\nB 1\n- 1\n"
                               "PUSH 1\n- 1\nSTART 1\n- 1\nX 1\n- 1\nA 1\n- 1\nY 1\n- 1\n"
                               "SELECT 1\n- 1\nVOLUP+VOLDOWN 1\n- 1\nL 1\n- 1\nR 1\n- 1\n");
    EXPECT_EQ(run.out, "Action is code1\nAction is code2\nAction is code3\nAction is code4\n"
                       "Action is code5\nAction is code5\nAction is code6\nAction is code6\n");
    // Every change is an event with a frame, whether or not the page was asked.
    EXPECT_EQ(run.frameCount(), 29);
}

TEST(LauncherTest, DiagonalsAndButtonPrioritiesFollowTheFixedOrder)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin(codeSkin);
    HeadlessRun run = card.run("- 1\n"
                               "UPLEFT 1\n- 1\n"          // folded to up and left: no code
                               "DOWNRIGHT+B 1\n- 1\n"     // two diagonal lines: B
                               "UPLEFT+UP 1\n- 1\n"       // not folded: up alone
                               "LEFT+B+START+L 1\n- 1\n"  // a direction beats every button
                               "L+R+B 1\n- 1\n"           // L: nothing on a plain button
                               "B+START 1\n- 1\n"         // B beats Start
                               "X+PUSH 1\n- 1\n");        // the stick push beats X
    EXPECT_EQ(run.out, "Action is code5\nAction is code3\nAction is code1\nAction is code5\n"
                       "Action is code5\n");
}

// --- actions ---------------------------------------------------------------------------------

TEST(LauncherTest, PageAndSelectActions)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBACKGROUND=color,FF0000\n"
              "BUTTON=0\nRIGHT=select,1\nACTION=page,2,3\n"
              "BUTTON=1\nLEFT=select,0\nACTION=page,1\nDOWN=page,200\nUP=page,-1\n"
              "PAGE=1\nBACKGROUND=color,00FF00\nBUTTON=0\nACTION=page,0\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\nRIGHT 1\n- 1\nDOWN 1\n- 1\nUP 1\n- 1\nB 1\n- 1\n"
                               "B 1\n- 1\n");
    EXPECT_EQ(run.out, "Action is page--2--3\nAction is select--1\n");
    std::vector<uint16_t> expected = { 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800,
                                       0xF800, 0xF800, 0x07C0, 0x07C0, 0xF800, 0xF800 };
    ASSERT_EQ(run.frameCount(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pixel(run.rawFrame(static_cast<int>(i) + 1), 0, 0), expected[i]) << "frame " << i + 1;
}

TEST(LauncherTest, QuitAndStartSelectEndTheRunWithoutAMenuProgram)
{
    TestCard card;
    ASSERT_CARD(card);
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
}

TEST(LauncherTest, QuitAndStartSelectStartTheMenuProgram)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBUTTON=0\nACTION=quit\n");
    std::string record = card.temp() / "menu-record";
    std::string menu = card.recorder("/" + (card.temp() / "menu/gp2xmenu").substr(1), record, 7);
    HeadlessRun quit = card.run("- 1\nB 1\n- 100\n", { "--menu", menu });
    EXPECT_EQ(quit.status, 7) << quit.err;
    EXPECT_EQ(TempFolder::readFile(record), card.temp() / "menu" + "\ngp2xmenu\n");

    std::remove(record.c_str());
    HeadlessRun startSelect = card.run("- 1\nSELECT+START 1\n", { "--menu", menu });
    EXPECT_EQ(startSelect.status, 7);
    EXPECT_EQ(TempFolder::readFile(record), card.temp() / "menu" + "\ngp2xmenu\n");
}

TEST(LauncherTest, MenuProgramThatFailsLeavesTheLauncherRunning)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBACKGROUND=color,0000FF\nBUTTON=0\nACTION=quit\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", { "--menu", card.temp() / "no-menu" });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is quit\n");
    EXPECT_NE(run.err.find("no-menu"), std::string::npos) << run.err;
    ASSERT_EQ(run.frameCount(), 3);
    EXPECT_EQ(pixel(run.rawFrame(3), 0, 0), 0x001F);
}

TEST(LauncherTest, ExecFromAFileListRunsTheProgramInItsFolder)
{
    TestCard card;
    ASSERT_CARD(card);
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
    EXPECT_EQ(run.out, "Action is exec--/mnt/sd/games/--/mnt/sd/games/run me.sh--first--run me.sh"
                       "--/mnt/sd/games/\n");
    // The program sees the real folder for the card's paths, its working directory included.
    EXPECT_EQ(TempFolder::readFile(record), card.card("games") + "\n" + card.card("games/run me.sh")
                                                + "\nfirst\nrun me.sh\n" + card.card("games/") + "\n");
    EXPECT_EQ(run.frameCount(), 3) << "the launcher is gone after the launch";
}

TEST(LauncherTest, DescriptorActionFillsInItsFolderAndRunsTheEmulator)
{
    TestCard card;
    ASSERT_CARD(card);
    std::string record = card.temp() / "record";
    card.recorder("emu/emu.sh", record);
    card.write("emu/Tarvo.dat", "FILTER=.rom\nDIRECTORY=%cwd%roms/\n"
                                "ACTION=exec,%cwd%,%cwd%emu.sh,%P0%,%cwd%\nSPEED=200\n");
    card.write("emu/roms/alpha.rom", "rom");
    card.write("emu/roms/beta.txt", "not listed");
    card.skin("PAGE=0\nBUTTON=0\nTYPE=selector,10,10,300,230\n"
              "ACTION=exec,/,/bin/false\n");
    // /mnt/sd/ lists ../, emu/, Tarvo/: go to emu/, enter, then ../ and alpha.rom: pick the rom.
    HeadlessRun run = card.run("- 1\nDOWN 1\n- 1\nB 1\n- 1\nDOWN 1\n- 1\nB 1\n- 1\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Changed to /mnt/sd/emu/\n"
                       "Action is exec--/mnt/sd/emu/--/mnt/sd/emu/emu.sh--/mnt/sd/emu/roms/alpha.rom"
                       "--/mnt/sd/emu/\n");
    EXPECT_EQ(TempFolder::readFile(record), card.card("emu") + "\n" + card.card("emu/emu.sh") + "\n"
                                                + card.card("emu/roms/alpha.rom") + "\n"
                                                + card.card("emu/") + "\n");
}

TEST(LauncherTest, ExecThatCannotStartIsReportedAndTheLoopGoesOn)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("SPEED_LAUNCH=250\n");
    card.skin("PAGE=0\nBACKGROUND=color,00FF00\n"
              "BUTTON=0\nACTION=exec,/mnt/sd/,/mnt/sd/missing,arg\nRIGHT=select,1\n"
              "BUTTON=1\nACTION=exec,/mnt/sd/\nLEFT=select,0\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\nRIGHT 1\n- 1\nB 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is exec--/mnt/sd/--/mnt/sd/missing--arg\n"
                       "Could not start /mnt/sd/missing: No such file or directory\n"
                       "Action is select--1\n"
                       "Action is exec--/mnt/sd/\n");
    ASSERT_EQ(run.frameCount(), 7);
    EXPECT_EQ(pixel(run.rawFrame(3), 0, 0), rgb565(0, 0xFF, 0)) << "drawn again after the failure";
    EXPECT_EQ(pixel(run.rawFrame(7), 0, 0), rgb565(0, 0xFF, 0));
}

TEST(LauncherTest, ActionsWithoutTextPrintAsEmptyWords)
{
    TestCard card;
    ASSERT_CARD(card);
    // ACTION= gives one word without any text; LEFT=, gives two; RIGHT=exec,, names no program.
    card.skin("PAGE=0\nBUTTON=0\nACTION=\nLEFT=,\nRIGHT=exec,,\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\nLEFT 1\n- 1\nRIGHT 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is \nAction is --\nAction is exec----\n");
    EXPECT_EQ(run.frameCount(), 7);
}

TEST(LauncherTest, NoExecPrintsWhatWouldRun)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBUTTON=0\nACTION=exec,/mnt/sd/games/,./game,one two\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", { "--no-exec" });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is exec--/mnt/sd/games/--./game--one two\n"
                       "Would run: exec /mnt/sd/games/ ./game one two\n");
    EXPECT_EQ(run.frameCount(), 3);
}

TEST(LauncherTest, ConfigActionRewritesTheConfigurationAndStartsTheMenu)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("// settings\nSKIN=concept\nSPEED_MENU=100\n");
    card.skin("PAGE=0\nBUTTON=0\nACTION=config,SKIN,night\nRIGHT=select,1\n"
              "BUTTON=1\nACTION=config\nLEFT=config,,x\n");
    std::string record = card.temp() / "menu-record";
    std::string menu = card.recorder("/" + (card.temp() / "menu/gp2xmenu").substr(1), record, 3);

    // A bare config, or one without a key, writes nothing and leaves for nowhere.
    HeadlessRun bare = card.run("- 1\nRIGHT 1\n- 1\nB 1\n- 1\nLEFT 1\n- 1\n", { "--menu", menu });
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out, "Action is select--1\nAction is config\nAction is config----x\n");
    EXPECT_EQ(card.temp().read("card/Tarvo/Tarvo.cfg"), "// settings\nSKIN=concept\nSPEED_MENU=100\n");

    HeadlessRun run = card.run("- 1\nB 1\n- 1\n", { "--menu", menu });
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(run.out, "Action is config--SKIN--night\n");
    std::string rewritten = card.temp().read("card/Tarvo/Tarvo.cfg");
    EXPECT_EQ(rewritten.rfind("// settings\nSKIN=night\nSPEED_MENU=100\n", 0), 0u) << rewritten;
    EXPECT_EQ(TempFolder::readFile(record), card.temp() / "menu" + "\ngp2xmenu\n");
    EXPECT_FALSE(std::filesystem::exists(card.card("Tarvo/Tarvo.newcfg")));
}

TEST(LauncherTest, ConfigActionWithoutMenuProgramEndsTheRun)
{
    TestCard card;
    ASSERT_CARD(card);
    card.config("SKIN=concept\n");
    card.skin("PAGE=0\nBUTTON=0\nACTION=config,KEYBOARD_RATE,500,10\n");
    HeadlessRun run = card.run("- 1\nB 1\n- 1\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Action is config--KEYBOARD_RATE--500--10\n");
    std::string rewritten = card.temp().read("card/Tarvo/Tarvo.cfg");
    EXPECT_EQ(rewritten.rfind("SKIN=concept\n", 0), 0u) << rewritten;
    EXPECT_NE(rewritten.find("\nKEYBOARD_RATE=500,10\n"), std::string::npos) << rewritten;
    EXPECT_EQ(run.frameCount(), 1);
}

// --- frames and the command line ----------------------------------------------------------------

TEST(LauncherTest, FramesHoldTheExactPixelsOfThePage)
{
    TestCard card;
    ASSERT_CARD(card);
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

    // The PNG holds the same frame, each channel widened by repeating its top bits.
    std::string png = run.frames + "/frame-0001.png";
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << png;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    ASSERT_EQ(image.width, 320u);
    ASSERT_EQ(image.height, 240u);
    auto at = [&](int x, int y) { return &rgb[(static_cast<std::size_t>(y) * 320 + x) * 3]; };
    // 0x7BCF: red 15, green 30, blue 15.
    EXPECT_EQ(at(319, 120)[0], (15 << 3) | (15 >> 2));
    EXPECT_EQ(at(319, 120)[1], (30 << 2) | (30 >> 4));
    EXPECT_EQ(at(319, 120)[2], (15 << 3) | (15 >> 2));
    EXPECT_EQ(at(5, 239)[0], 255);
    EXPECT_EQ(at(5, 239)[1], (62 << 2) | (62 >> 4));
    EXPECT_EQ(at(0, 0)[2], 0);
}

TEST(LauncherTest, FramesAreNumberedFromOneWithFourDigits)
{
    TestCard card;
    ASSERT_CARD(card);
    HeadlessRun run = card.run("- 1\nA 1\n- 1\n");
    EXPECT_EQ(run.frameCount(), 3);
    for (const char* name : { "/frame-0001.png", "/frame-0002.png", "/frame-0003.png",
                              "/frame-0003.rgb565" })
        EXPECT_TRUE(std::filesystem::exists(run.frames + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(run.frames + "/frame-0000.png"));
}

TEST(LauncherTest, BatteryFileFeedsTheBatteryText)
{
    TestCard card;
    ASSERT_CARD(card);
    // Two readings, 4660 then 1; the third frame finds the file used up.
    std::string battery = card.temp().write("battery", std::string("\x34\x12\x01\x00", 4));
    card.skin("PAGE=0\nRETURN=show,%battery%\nBUTTON=0\nTYPE=text,0,0,FFFFFF,FFFFFF,%battery%\n");
    HeadlessRun run = card.run("- 1\nA 1\n- 1\n", { "--battery", battery });
    EXPECT_EQ(run.status, 0) << run.err;
    // Without a font the text is not visible; the reading is still taken for every drawn text,
    // and a run with the file gives the same frames as one without where nothing is drawn.
    EXPECT_EQ(run.frameCount(), 3);
}

TEST(LauncherTest, MalformedKeyScriptStopsBeforeStartUp)
{
    TestCard card;
    ASSERT_CARD(card);
    card.skin("PAGE=0\nBACKGROUND=color,FFFFFF\n");
    for (const char* keys : { "- 1\nLEFT\n", "- 1\n\nJUMP 3\n", "- 1\n# ok\nA 0\n", "A+ 1\n",
                              "A 1 2\n", "B -4\n" }) {
        HeadlessRun run = card.run(keys);
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2) << keys;
        EXPECT_EQ(run.out, "") << keys;
        EXPECT_EQ(run.frameCount(), 0) << keys;
        EXPECT_NE(run.err.find("keys-"), std::string::npos) << run.err;
    }
    HeadlessRun third = card.run("- 1\n\n# comment\nJUMP 3\n");
    EXPECT_NE(third.err.find(".txt:4:"), std::string::npos) << third.err;
}

TEST(LauncherTest, BadCommandLinesStopWithStatusTwo)
{
    TestCard card;
    ASSERT_CARD(card);
    std::vector<std::vector<std::string>> commandLines = {
        {},
        { "--sd" },
        { "--sd", card.temp() / "missing" },
        { "--sd", card.card(), "--bogus" },
        { "--sd", card.card(), "--raw" },
        { "--sd", card.card(), "--keys", card.temp() / "no-keys" },
        { "--sd", card.card(), "--scale", "2" },
        { "--sd", card.card(), "extra" },
    };
    for (const auto& arguments : commandLines) {
        HeadlessRun run = card.runWith(arguments);
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2) << (arguments.empty() ? "" : arguments.back());
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
}
