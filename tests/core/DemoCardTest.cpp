// The demo SD card of the repository: every page of every skin on it renders, with every picture
// it names found.
#include "tests/core/TestCard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string demoCard = std::string(TARVO_SOURCE_DIR) + "/sdcard";

std::set<int> pageNumbers(const std::string& skinText)
{
    std::set<int> pages;
    std::istringstream lines(skinText);
    std::string line;
    const std::regex pageLine(R"(^\s*page\s*=\s*(\d+)\s*\r?$)", std::regex::icase);
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, pageLine))
            pages.insert(std::stoi(match[1]));
    }
    return pages;
}

} // namespace

TEST(DemoCardTest, EveryPageOfEverySkinRendersWithAllItsPictures)
{
    if (!fs::exists(demoCard + "/Tarvo/Tarvo.cfg"))
        GTEST_SKIP() << "no demo card at " << demoCard;
    int skinsSeen = 0;
    for (const auto& skinFolder : fs::directory_iterator(demoCard + "/Tarvo/skins")) {
        std::string skinFile = skinFolder.path().string() + "/Tarvo.skin";
        if (!fs::exists(skinFile))
            continue;
        ++skinsSeen;
        std::string skinName = skinFolder.path().filename().string();
        std::string skinText = TempFolder::readFile(skinFile);
        std::set<int> pages = pageNumbers(skinText);
        EXPECT_FALSE(pages.empty()) << skinName;
        for (int page : pages) {
            TestCard card;
            ASSERT_TRUE(card.ok());
            fs::copy(demoCard, card.card(),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            // A later line of the same keyword wins, in the configuration and for STARTPAGE.
            card.config(TempFolder::readFile(demoCard + "/Tarvo/Tarvo.cfg") + "\nSKIN=" + skinName +
                        "\n");
            card.skin(skinText + "\nSTARTPAGE=" + std::to_string(page) + "\n", skinName);
            HeadlessRun run = card.run("- 1\n");
            SCOPED_TRACE(skinName + " page " + std::to_string(page));
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out.find("Could not load image"), std::string::npos) << run.out;
            EXPECT_NE(run.out.find("Loaded font: "), std::string::npos) << run.out;
            std::vector<uint16_t> frame = run.rawFrame(1);
            ASSERT_EQ(frame.size(), 320u * 240u);
            EXPECT_TRUE(std::any_of(frame.begin(), frame.end(), [](uint16_t p) { return p != 0; }))
                << "the page draws nothing";
        }
    }
    EXPECT_GE(skinsSeen, 2) << "the demo card has a default skin and a second one";
}
