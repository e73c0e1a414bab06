// PNG loading and drawing: the input is a PNG file, loaded from the card as the skin's pictures
// are. A picture that loads is copied and blended into frames at places that clip each edge; the
// frames must hold exactly the pixels the drawing rules give, and nothing outside the picture.
#include "fuzz/FuzzSupport.h"
#include "gfx/DLImage.h"
#include "gfx/PngReader.h"

namespace {

const uint16_t background = 0x7BCF; // every channel at 15, bit 5 clear

// Per 5-bit channel: (source * a) / 255 + (destination * (255 - a)) / 255.
uint16_t blend(uint16_t source, uint16_t destination, int a)
{
    uint16_t result = 0;
    for (int shift : {0, 6, 11}) {
        int s = (source >> shift) & 31, d = (destination >> shift) & 31;
        result |= ((s * a) / 255 + (d * (255 - a)) / 255) << shift;
    }
    return result;
}

void checkDrawing(const DLImage& image, int x, int y, bool blended)
{
    std::vector<uint16_t> frame(SCREEN_WIDTH * SCREEN_HEIGHT, background);
    if (blended)
        image.blitBlended(frame.data(), x, y);
    else
        image.blit(frame.data(), x, y);
    for (int row = 0; row < SCREEN_HEIGHT; ++row) {
        for (int column = 0; column < SCREEN_WIDTH; ++column) {
            int u = column - x, v = row - y;
            uint16_t expected = background;
            if (u >= 0 && v >= 0 && u < image.width && v < image.height) {
                expected = static_cast<uint16_t>(image.pixelAt(u, v));
                if (blended && image.alpha)
                    expected = blend(expected, background, image.alpha[v * image.width + u]);
            }
            FUZZ_CHECK(frame[row * SCREEN_WIDTH + column] == expected);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::Card card;
    card.write("picture.png", std::string(reinterpret_cast<const char*>(data), size));
    DLImage image;
    if (!image.loadPng("/mnt/sd/picture.png", 16, true)) {
        FUZZ_CHECK(!image.pixels && !image.alpha && image.width == 0 && image.height == 0);
        return 0;
    }
    FUZZ_CHECK(image.width > 0 && image.height > 0 && image.width <= int(maxPngSide) &&
               image.height <= int(maxPngSide));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            FUZZ_CHECK((image.pixelAt(x, y) & 0x20) == 0); // green keeps 5 bits
    const int places[][2] = {{0, 0}, {-image.width / 2, -image.height / 2}, {300, 220}};
    for (const auto& place : places) {
        checkDrawing(image, place[0], place[1], false);
        checkDrawing(image, place[0], place[1], true);
    }
    return 0;
}
