// The main loop's passes seen from inside the process: the speeds it applies and the pages it
// keeps, on the headless backend with buttons given poll by poll.
#include "core/Launcher.h"

#include "core/ProcessObjects.h"
#include "platform/Files.h"
#include "platform/HeadlessControl.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

std::deque<ButtonMask> polls;

ButtonMask nextPoll()
{
    if (polls.empty())
        return 0;
    ButtonMask buttons = polls.front();
    polls.pop_front();
    return buttons;
}

class LauncherPassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ok());
        headlessReset();
        headlessSetButtonSource(nextPoll);
        polls.clear();
        setSdRoot((folder / "card").c_str());
        // A speed no test asks for, so each test sees its own settings take effect.
        clockControl.applySpeed(0, 0, 33);
    }
    void TearDown() override
    {
        headlessReset();
        setSdRoot(nullptr);
    }

    // Plays the polls through passes; the number of events.
    int play(Launcher& launcher, std::initializer_list<ButtonMask> buttons)
    {
        polls.assign(buttons.begin(), buttons.end());
        int events = 0;
        for (std::size_t i = 0; i < buttons.size(); ++i)
            events += launcher.pass() ? 1 : 0;
        return events;
    }

    TempFolder folder;
};

} // namespace

TEST_F(LauncherPassTest, MenuSpeedIsAppliedAfterEveryEventPass)
{
    folder.write("card/Tarvo/Tarvo.cfg", "SPEED_MENU=133\n");
    folder.write("card/Tarvo/skins/concept/Tarvo.skin", "PAGE=0\n");
    Launcher launcher;
    launcher.start();
    EXPECT_EQ(clockControl.cpuMHz(), 33) << "start-up sets no speed";
    EXPECT_EQ(play(launcher, {0}), 1);
    EXPECT_EQ(clockControl.cpuMHz(), 133);

    // Something else changes the speed; idle passes leave it, the next event restores it.
    clockControl.applySpeed(0, 0, 250);
    EXPECT_EQ(play(launcher, {0, 0, 0}), 0);
    EXPECT_EQ(clockControl.cpuMHz(), 250);
    EXPECT_EQ(play(launcher, {BUTTON_A}), 1);
    EXPECT_EQ(clockControl.cpuMHz(), 133);
}

TEST_F(LauncherPassTest, DescriptorSpeedHoldsWhenNoMenuSpeedIsSet)
{
    folder.write("card/emu/Tarvo.dat", "FILTER=.rom\nACTION=exec,%cwd%,%cwd%emu,%P0%\nSPEED=200\n");
    folder.write("card/emu/a.rom", "rom");
    folder.write("card/Tarvo/skins/concept/Tarvo.skin",
                 "PAGE=0\nBUTTON=0\nTYPE=selector,0,0,320,240\nOPTIONS=startdir,/mnt/sd/emu/\n");
    LauncherOptions options;
    options.dryRunExec = true;
    Launcher launcher(options);
    launcher.start();
    testing::internal::CaptureStdout();
    // The start directory is listed without its descriptor (../ and a.rom): go up, which leaves
    // the cursor on emu/, and come back in so that the descriptor is read; then pick a.rom.
    play(launcher, {0, BUTTON_B, 0, BUTTON_B, 0, BUTTON_DOWN, 0, BUTTON_B, 0});
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Would run: exec /mnt/sd/emu/ /mnt/sd/emu/emu /mnt/sd/emu/a.rom\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(clockControl.cpuMHz(), 200);
}

TEST_F(LauncherPassTest, PagesKeepTheirSelectionWhenTheLauncherComesBack)
{
    folder.write("card/Tarvo/skins/concept/Tarvo.skin",
                 "PAGE=0\nBUTTON=0\nRIGHT=select,1\nBUTTON=1\nACTION=page,1\n"
                 "PAGE=1\nBUTTON=0\nACTION=page,0\n");
    Launcher launcher;
    launcher.start();
    testing::internal::CaptureStdout();
    play(launcher, {0, BUTTON_RIGHT, 0, BUTTON_B, 0});
    EXPECT_EQ(launcher.currentPageIndex(), 1);
    play(launcher, {BUTTON_B, 0});
    EXPECT_EQ(launcher.currentPageIndex(), 0);
    EXPECT_EQ(launcher.page(0).selected, 1);
    play(launcher, {BUTTON_B, 0});
    EXPECT_EQ(launcher.currentPageIndex(), 1) << "button 1 is still the selected one";
    testing::internal::GetCapturedStdout();
}
