// Shared pieces of the page tests: temporary folders, PNG files written with libpng, a font
// picture with known glyphs, a frame buffer that stands in for the back buffer, and a fixture
// holding what pages and buttons draw with.
#ifndef TARVO_TESTS_PAGE_PAGETESTSUPPORT_H
#define TARVO_TESTS_PAGE_PAGETESTSUPPORT_H

#include <stdint.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/WString.h"
#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "gfx/ImageCache.h"
#include "page/PageContext.h"
#include "platform/ClockControl.h"

// A folder below the system's temporary folder, removed with everything in it (permissions
// restored first) when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing slash, as the launcher writes directories.
    const std::string& path() const { return path_; }
    // Creates an empty file (or one with the given content) and its folders below the folder.
    void file(const std::string& name, const std::string& content = std::string()) const;
    void folder(const std::string& name) const;

private:
    std::string path_;
};

// One colour (r, g, b, a) all over.
bool writeSolidPng(const std::string& path, int width, int height, unsigned char r, unsigned char g,
                   unsigned char b, unsigned char a);

// A font picture whose glyphs are all fontGlyphWidth columns wide and fontGlyphHeight rows tall
// and fully covered, so that a character draws a block of exactly the font colour.
const int fontGlyphWidth = 2;
const int fontGlyphHeight = 8;
bool writeTestFont(const std::string& path);

// A 320 x 240 frame that backBuffer points at while the object lives. When the test has failed
// by the time the frame goes, it is written as <suite>-<test>.png in the working directory (the
// test's output folder).
class TestFrame {
public:
    explicit TestFrame(uint16_t fill = 0x1234);
    ~TestFrame();
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    uint16_t at(int x, int y) const { return pixels[y * 320 + x]; }
    void fill(uint16_t value);
    // Writes the frame to <name>.png in the working directory; returns the file name.
    std::string save(const std::string& name) const;

    // Pixels of the rectangle [x0, x1] x [y0, y1] that differ from value.
    int countOther(int x0, int y0, int x1, int y1, uint16_t value) const;

    std::vector<uint16_t> pixels;

private:
    uint16_t* previous;
};

WString::Array words(std::initializer_list<const char*> items);
// The texts of an array, "<null>" for a word without text.
std::vector<std::string> listOf(const WString::Array& array);

// What a page or button draws with: the test font in a temporary folder, and an image cache.
class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeTestFont(tmp.path() + "font.png"));
        ASSERT_TRUE(font.load((tmp.path() + "font.png").c_str()));
        context = PageContext(&font, &images, nullptr, &clock);
    }

    TempFolder tmp;
    BitmapFont font;
    VariableStore variables;
    ClockControl clock;
    ImageCache images{variables, clock};
    PageContext context;
};

#endif
