// The notice's text fitted to the screen: what gives way is the middle of a long file name, and
// the end of the message stays.
#include "core/Notice.h"
#include "gfx/BitmapFont.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class NoticeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(font.loadBuiltIn()); }

    std::string fit(const std::string& text, int width = 316)
    {
        const WString fitted = fitNotice(font, text.c_str(), width);
        EXPECT_LE(font.textWidth(fitted.text()), width) << text;
        return fitted.text() ? fitted.text() : "";
    }

    BitmapFont font;
};

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
        text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(NoticeTest, ALongFileNameGivesWayInTheMiddleAndTheMessageStays)
{
    EXPECT_EQ("Could not start ./run.sh: Permission denied",
              fit("Could not start ./run.sh: Permission denied"));

    const std::string fitted =
        fit("Not started: /mnt/sd/games/a-long-folder-name/another-folder/yet-another-one/"
            "the-game-itself.gpe is not on the card");
    EXPECT_TRUE(startsWith(fitted, "Not started: /mnt/")) << fitted;
    EXPECT_TRUE(endsWith(fitted, ".gpe is not on the card")) << fitted;
    EXPECT_NE(fitted.find("..."), std::string::npos);
    // As much of the name as fits is kept: two letters more would not fit.
    EXPECT_GT(font.textWidth(fitted.c_str()) + font.textWidth("Wi"), 316) << fitted;

    // A message too long even without its longest word (a diagnostic in the desktop window,
    // say) loses the middle of the whole text: where it is and how it ends stay.
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "word" + std::to_string(i) + " ";
    words += "end";
    const std::string cut = fit(words);
    EXPECT_TRUE(startsWith(cut, "word0 ")) << cut;
    EXPECT_TRUE(endsWith(cut, " end")) << cut;

    // Too narrow for anything: nothing rather than text past the edge.
    EXPECT_EQ("", fit(words, 4));
}

TEST_F(NoticeTest, ACharacterOfSeveralBytesIsNeverSplit)
{
    std::string name = "/mnt/sd/";
    for (int i = 0; i < 80; ++i)
        name += "\xc3\xa9";
    const std::string fitted = fit("Not started: " + name + ".gpe is not on the card");
    const std::size_t dots = fitted.find("...");
    ASSERT_NE(dots, std::string::npos) << fitted;
    // No continuation byte right after the cut, and none missing its lead byte before it.
    EXPECT_NE(static_cast<unsigned char>(fitted[dots + 3]) & 0xC0, 0x80) << fitted;
    EXPECT_NE(static_cast<unsigned char>(fitted[dots - 1]), 0xC3) << fitted;
    EXPECT_TRUE(endsWith(fitted, ".gpe is not on the card")) << fitted;
}

} // namespace
