// The shared fixture of the page tests: a scratch folder to build folders and pictures in, a font
// of known glyph geometry, a plain frame to draw into, and what pages and buttons draw with.
#ifndef TARVO_TESTS_PAGE_PAGETESTSUPPORT_H
#define TARVO_TESTS_PAGE_PAGETESTSUPPORT_H

#include "base/WString.h"
#include "config/VariableStore.h"
#include "gfx/BitmapFont.h"
#include "gfx/ImageCache.h"
#include "page/PageContext.h"
#include "platform/ClockControl.h"
#include "tests/gfx/TestPng.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <string>
#include <vector>

// Every glyph of the test font is fontGlyphWidth columns wide and fontGlyphHeight rows tall and
// fully covered, so that a character draws a block of exactly the font colour.
const int fontGlyphWidth = 2;
const int fontGlyphHeight = 8;

// A 320 x 240 frame.
struct TestFrame {
    explicit TestFrame(uint16_t fill = 0x1234) : pixels(320 * 240, fill) {}
    uint16_t* data() { return pixels.data(); }
    uint16_t at(int x, int y) const { return pixels[y * 320 + x]; }
    // Pixels of the rectangle [x0, x1] x [y0, y1] that differ from value.
    int countOther(int x0, int y0, int x1, int y1, uint16_t value) const;
    std::vector<uint16_t> pixels;
};

WString::Array words(std::initializer_list<const char*> items);
// The texts of an array, "<null>" for a word without text.
std::vector<std::string> listOf(const WString::Array& array);

class PageFixture : public ::testing::Test {
protected:
    // Loads the test font, written into the scratch folder as font.png.
    void SetUp() override;
    // Creates the file (empty, or with content) and its folders below dir; gives its path.
    std::string file(const std::string& name, const std::string& content = std::string()) const;
    // A picture of one colour (r, g, b, a) all over; gives its path.
    std::string solidPng(const std::string& name, int width, int height,
                         const std::vector<unsigned char>& pixel) const;

    ScratchFolder scratch;
    const std::string dir = scratch.path("");
    BitmapFont font;
    VariableStore variables;
    ClockControl clock;
    ImageCache images{variables, clock};
    PageContext context;
};

#endif
