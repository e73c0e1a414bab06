// The launcher on the desktop backend, as tarvo-desktop runs it: the start page in the window,
// keys turned into page actions, and the window following the page.
#include "core/Launcher.h"
#include "core/Notice.h"
#include "frontends/FrontEndOptions.h"
#include "platform/DesktopControl.h"
#include "platform/Files.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

uint32_t windowPixel(int x, int y)
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    bool captured = desktopCaptureWindow(&pixels, &width, &height) && width == 320;
    return captured && height == 240 ? pixels[static_cast<std::size_t>(y * 320 + x)] : 0xDEADBEEF;
}

// Whether the bottom row shows the notice bar (its colour, widened by the renderer).
bool showsNotice()
{
    const uint32_t pixel = windowPixel(319, 239);
    const int bar[3] = {0x21, 0x20, 0x21};
    for (int channel = 0; channel < 3; ++channel) {
        if (std::abs(int(pixel >> (16 - 8 * channel) & 0xFF) - bar[channel]) > 4)
            return false;
    }
    return true;
}

// A press and a release of key, each a pass of the launcher.
void tap(Launcher& launcher, const char* key)
{
    desktopPushKey(key, true);
    launcher.pass();
    desktopPushKey(key, false);
}

} // namespace

TEST(DesktopLauncherTest, KeysSwitchPagesInTheWindow)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("card/Tarvo/skins/concept/Tarvo.skin",
                 "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nACTION=page,1\n"
                 "PAGE=1\nBACKGROUND=color,0000FF\nBUTTON=0\nLEFT=page,0\n");
    setSdRoot((folder / "card").c_str());
    desktopSetScale(1);

    Launcher launcher;
    launcher.start();
    EXPECT_TRUE(launcher.pass()) << "the first pass is an event";
    EXPECT_EQ(windowPixel(160, 120), 0xFF0000u);

    ASSERT_TRUE(desktopPushKey("Return", true));
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(windowPixel(0, 0), 0x0000FFu);
    ASSERT_TRUE(desktopPushKey("Return", false));
    ASSERT_TRUE(desktopPushKey("Left", true));
    EXPECT_TRUE(launcher.pass());
    EXPECT_EQ(windowPixel(319, 239), 0xFF0000u);
    desktopCloseWindow();
    setSdRoot(nullptr);
}

// A stranger's skin names programs: by default the window starts none and says so; with --exec
// it starts only what lies on the card, not a program outside it nor one reached through a link
// on the card that points outside. A program that fails to start leaves the window as it was.
TEST(DesktopLauncherTest, ExecStartsOnlyWhatIsAllowedAndLiesOnTheCard)
{
    // The last step ends the process, so it runs in a fresh copy of this program, which repeats
    // the test up to there: the environment hands it this copy's folder.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder folder;
    if (!getenv("TARVO_TEST_EXEC_FOLDER")) {
        setenv("TARVO_TEST_EXEC_FOLDER", folder.path().c_str(), 1);
        // Each records that it ran and ends with its own status: a program started where none
        // may be ends this test program with a failure. (Not through $0: a script checked on
        // the card runs from the very file checked, and sees itself as /dev/fd/N.)
        auto recorder = [&](const std::string& name, int status) {
            return "#!/bin/sh\ntouch '" + folder / name + ".ran'\nexit " + std::to_string(status) +
                "\n";
        };
        folder.write("card/run.sh", recorder("card/run.sh", 7), 0755);
        folder.write("card/broken.sh", recorder("card/broken.sh", 8), 0644);
        const std::string outside = folder.write("outside.sh", recorder("outside.sh", 9), 0755);
        symlink(outside.c_str(), (folder / "card/link.sh").c_str());
        folder.write("card/Tarvo/skins/concept/Tarvo.skin",
                     "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\n"
                     "ACTION=exec,/mnt/sd/,/mnt/sd/run.sh\nLEFT=exec,/," +
                         outside +
                         "\nRIGHT=exec,/mnt/sd/,./link.sh\nUP=exec,/mnt/sd/,./broken.sh\n");
    }
    const std::string base = getenv("TARVO_TEST_EXEC_FOLDER");
    setSdRoot((base + "/card").c_str());
    desktopSetScale(1);
    auto ran = [&](const std::string& program) {
        struct stat info;
        return stat((base + "/" + program + ".ran").c_str(), &info) == 0;
    };

    FrontEndOptions byDefault, allowed;
    byDefault.sdFolder = allowed.sdFolder = base + "/card";
    allowed.exec = true;
    Launcher shy(desktopLauncherOptions(byDefault));
    shy.start();
    shy.pass();
    EXPECT_FALSE(showsNotice()) << "no notice before anything failed";
    tap(shy, "Return");
    EXPECT_FALSE(ran("card/run.sh")) << "started without --exec";
    EXPECT_TRUE(showsNotice());
    shy.pass();
    EXPECT_TRUE(showsNotice()) << "the release keeps the notice";
    desktopCloseWindow();

    Launcher launcher(desktopLauncherOptions(allowed));
    launcher.start();
    launcher.pass();
    for (const char* key : {"Left", "Right"}) {
        tap(launcher, key);
        EXPECT_TRUE(showsNotice()) << key;
        launcher.pass();
    }
    EXPECT_FALSE(ran("outside.sh")) << "a program outside the card, or linked from it, started";
    const uint32_t window = desktopWindowId();
    ASSERT_NE(window, 0u);
    tap(launcher, "Up");
    EXPECT_TRUE(showsNotice()) << "a program that cannot start";
    EXPECT_EQ(desktopWindowId(), window) << "the window stays through a failed start";
    launcher.pass();
    EXPECT_EXIT(tap(launcher, "Return"), ::testing::ExitedWithCode(7), "");
    EXPECT_TRUE(ran("card/run.sh"));
    desktopCloseWindow();
    setSdRoot(nullptr);
}
