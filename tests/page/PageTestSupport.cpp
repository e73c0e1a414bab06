// The shared fixture of the page tests.
#include "tests/page/PageTestSupport.h"

#include <filesystem>
#include <fstream>

void PageFixture::SetUp()
{
    // The marker row starts a glyph every fontGlyphWidth columns after the first.
    const int width = 1 + (126 - 33 + 1) * fontGlyphWidth, height = fontGlyphHeight + 1;
    std::vector<unsigned char> rgba;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool lit = x > 0 && (y > 0 || (x > 1 && (x - 1) % fontGlyphWidth == 0));
            const unsigned char level = lit ? 255 : 0;
            rgba.insert(rgba.end(), {level, level, level, 255});
        }
    }
    ASSERT_TRUE(font.load(scratch.write("font.png", rgbaPng(width, height, rgba)).c_str()));
    context = PageContext(&font, &images, nullptr, &clock);
}

std::string PageFixture::file(const std::string& name, const std::string& content) const
{
    std::filesystem::create_directories(std::filesystem::path(dir + name).parent_path());
    std::ofstream(dir + name, std::ios::binary) << content;
    return dir + name;
}

std::string PageFixture::solidPng(const std::string& name, int width, int height,
                                  const std::vector<unsigned char>& pixel) const
{
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(), pixel.begin(), pixel.end());
    return scratch.write(name, rgbaPng(width, height, rgba));
}

int TestFrame::countOther(int x0, int y0, int x1, int y1, uint16_t value) const
{
    int other = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x)
            other += at(x, y) != value;
    }
    return other;
}

WString::Array words(std::initializer_list<const char*> items)
{
    WString::Array result;
    for (const char* item : items)
        result.append(WString(item));
    return result;
}

std::vector<std::string> listOf(const WString::Array& array)
{
    std::vector<std::string> names;
    for (int i = 0; i < array.count(); ++i)
        names.push_back(array[i].text() ? array[i].text() : "<null>");
    return names;
}
