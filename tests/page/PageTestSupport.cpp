// Shared pieces of the page tests.
#include "tests/page/PageTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/Platform.h"
#include "tests/gfx/TestPng.h"

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "tarvo-page-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Folders a test made unreadable must be opened again before they can be removed.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

void TempFolder::file(const std::string& name, const std::string& content) const
{
    fs::create_directories(fs::path(path_ + name).parent_path());
    std::ofstream out(path_ + name, std::ios::binary);
    out << content;
}

void TempFolder::folder(const std::string& name) const
{
    fs::create_directories(path_ + name);
}

bool writeSolidPng(const std::string& path, int width, int height, unsigned char r, unsigned char g,
                   unsigned char b, unsigned char a)
{
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i) {
        rgba.push_back(r);
        rgba.push_back(g);
        rgba.push_back(b);
        rgba.push_back(a);
    }
    return writeTestPng(path, rgbaPng(width, height, rgba));
}

bool writeTestFont(const std::string& path)
{
    const int glyphs = 126 - 33 + 1;
    const int width = 1 + glyphs * fontGlyphWidth;
    const int height = fontGlyphHeight + 1;
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4, 0);
    auto set = [&](int x, int y, unsigned char level) {
        unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = p[1] = p[2] = level;
        p[3] = 255;
    };
    // A marker at the first column of every glyph after the first; the last ends at the edge.
    for (int g = 1; g < glyphs; ++g)
        set(1 + g * fontGlyphWidth, 0, 255);
    for (int y = 1; y < height; ++y) {
        for (int x = 1; x < width; ++x)
            set(x, y, 255);
    }
    return writeTestPng(path, rgbaPng(width, height, rgba));
}

TestFrame::TestFrame(uint16_t fillValue) : pixels(320 * 240, fillValue), previous(backBuffer)
{
    backBuffer = pixels.data();
}

TestFrame::~TestFrame()
{
    backBuffer = previous;
    // A frame that a failed test drew is kept for a person to look at.
    if (::testing::Test::HasFailure()) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name =
            test ? std::string(test->test_suite_name()) + "-" + test->name() : std::string("frame");
        std::fprintf(stderr, "frame written to %s\n", save(name).c_str());
    }
}

void TestFrame::fill(uint16_t value)
{
    std::fill(pixels.begin(), pixels.end(), value);
}

std::string TestFrame::save(const std::string& name) const
{
    std::vector<unsigned char> rgba;
    rgba.reserve(pixels.size() * 4);
    for (uint16_t p : pixels) {
        const unsigned r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        rgba.push_back(static_cast<unsigned char>(r << 3 | r >> 2));
        rgba.push_back(static_cast<unsigned char>(g << 2 | g >> 4));
        rgba.push_back(static_cast<unsigned char>(b << 3 | b >> 2));
        rgba.push_back(255);
    }
    const std::string file = name + ".png";
    writeTestPng(file, rgbaPng(320, 240, rgba));
    return file;
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
