// Graphics benchmarks: the blend, the text, the opaque copy and PNG decoding, each beside the
// reference it is measured against (pixman's OVER composite, memcpy, libspng) in the same run.
//
// Times (host Release build):
//   build/host/bench/gfx/bench_gfx
// Instructions per pixel (callgrind), for any case below; bench_gfx_scalar is the same code
// compiled without vectorisation and with the blend the handheld runs (the product table):
//   valgrind --tool=callgrind --toggle-collect='*measuredRun*' --callgrind-out-file=/tmp/cg.out
//            build/host/bench/gfx/bench_gfx_scalar --measure=blend-full      (one line)
//   callgrind_annotate /tmp/cg.out | head      (the total, divided by the pixels printed)
// Cases: blend-icon blend-full pixman-icon pixman-full text pixman-text blit memcpy
//        png-rgba png-rgb spng-rgba spng-rgb
#include "gfx/BitmapFont.h"
#include "gfx/DLImage.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <pixman.h>
#include <png.h>
#include <random>
#include <spng.h>
#include <string>
#include <vector>

namespace {

const char textLine[] = "The quick brown fox jumps over"; // 30 characters

// A picture with every pixel partly transparent: the worst case, where no pixel can be copied
// or skipped. Its pixman twin holds the same colours premultiplied, as pixman's OVER expects.
struct BlendCase {
    DLImage image;
    std::vector<uint32_t> premultiplied;
    pixman_image_t* source = nullptr;

    BlendCase(int width, int height)
    {
        std::mt19937 random(width * 1000 + height);
        image.width = width;
        image.height = height;
        image.depth = 15;
        const size_t count = size_t(width) * height;
        image.pixels = std::malloc(count * 2);
        image.alpha = static_cast<unsigned char*>(std::malloc(count));
        uint16_t* pixels = static_cast<uint16_t*>(image.pixels);
        premultiplied.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const unsigned r = random() & 0xF8, g = random() & 0xF8, b = random() & 0xF8;
            const unsigned a = 1 + random() % 254;
            pixels[i] = uint16_t((r << 8) | (g << 3) | (b >> 3));
            image.alpha[i] = uint8_t(a);
            premultiplied[i] =
                (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
        }
        source = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, premultiplied.data(),
                                          width * 4);
    }
    ~BlendCase() { pixman_image_unref(source); }
};

struct Frame {
    std::vector<uint16_t> pixels;
    pixman_image_t* image = nullptr;
    Frame() : pixels(SCREEN_PIXELS)
    {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint16_t((i * 2654435761u) >> 16) & 0xFFDF;
        image =
            pixman_image_create_bits(PIXMAN_r5g6b5, SCREEN_WIDTH, SCREEN_HEIGHT,
                                     reinterpret_cast<uint32_t*>(pixels.data()), SCREEN_WIDTH * 2);
    }
    ~Frame() { pixman_image_unref(image); }
};

// The default font, and the same glyph levels as a pixman a8 mask (rows padded to 4 bytes).
struct TextCase {
    BitmapFont font;
    std::vector<uint8_t> maskBits;
    pixman_image_t* mask = nullptr;
    pixman_image_t* white = nullptr;
    bool ok = false;
    long pixels = 0;

    TextCase()
    {
        ok = font.load(TARVO_SOURCE_DIR "/sdcard/Tarvo/ARIALN.TTF_0_12_255_255_255.png");
        if (!ok)
            return;
        const int width = font.image->width;
        const int height = font.image->height;
        const int stride = (width + 3) & ~3;
        maskBits.assign(size_t(stride) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                maskBits[y * stride + x] = uint8_t(font.image->pixelAt(x, y));
        mask = pixman_image_create_bits(PIXMAN_a8, width, height,
                                        reinterpret_cast<uint32_t*>(maskBits.data()), stride);
        pixman_color_t color = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        white = pixman_image_create_solid_fill(&color);
        for (const char* p = textLine; *p; ++p)
            pixels += long(font.glyphEndOf(*p) - font.glyphStartOf(*p)) * font.lineHeight();
    }
    ~TextCase()
    {
        if (mask)
            pixman_image_unref(mask);
        if (white)
            pixman_image_unref(white);
    }

    void drawWithPixman(pixman_image_t* destination, int x, int y)
    {
        int pen = x;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(textLine); *p; ++p) {
            if (*p == ' ') {
                pen += 3;
                continue;
            }
            const int start = font.glyphStartOf(*p);
            const int width = font.glyphEndOf(*p) - start;
            pixman_image_composite32(PIXMAN_OP_OVER, white, mask, destination, 0, 0, start, 1, pen,
                                     y, width, font.lineHeight());
            pen += width;
        }
    }
};

// 320 x 240 pictures with smooth areas and detail, as skin backgrounds have, written by libpng.
struct PngCase {
    std::string rgbaPath;
    std::string rgbPath;

    PngCase()
    {
        const std::string folder =
            (std::filesystem::temp_directory_path() / "tarvo-bench-gfx").string();
        std::filesystem::create_directories(folder);
        rgbaPath = folder + "/picture-rgba.png";
        rgbPath = folder + "/picture-rgb.png";
        write(rgbaPath, true);
        write(rgbPath, false);
    }

    static void write(const std::string& path, bool alpha)
    {
        const int width = SCREEN_WIDTH, height = SCREEN_HEIGHT, channels = alpha ? 4 : 3;
        std::vector<uint8_t> data(size_t(width) * height * channels);
        std::mt19937 random(7);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &data[(size_t(y) * width + x) * channels];
                const bool detail = ((x / 40) + (y / 30)) % 3 == 0;
                p[0] = uint8_t(x * 255 / width + (detail ? random() % 24 : 0));
                p[1] = uint8_t(y * 255 / height);
                p[2] = uint8_t((x ^ y) & 0xFF);
                if (alpha)
                    p[3] = uint8_t((x * 4 + y) & 0xFF);
            }
        }
        std::FILE* file = std::fopen(path.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8,
                     alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y)
            png_write_row(png, &data[size_t(y) * width * channels]);
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
    }
};

BlendCase& icon()
{
    static BlendCase c(48, 48);
    return c;
}
BlendCase& full()
{
    static BlendCase c(SCREEN_WIDTH, SCREEN_HEIGHT);
    return c;
}
TextCase& text()
{
    static TextCase c;
    return c;
}
PngCase& pngs()
{
    static PngCase c;
    return c;
}

// As the launcher loads a skin's picture: decoded straight into the screen format and the
// opacity plane.
bool decodeOurs(const std::string& path)
{
    DLImage image;
    bool ok = image.loadPng(path.c_str(), 15, true);
    benchmark::DoNotOptimize(image.pixels);
    return ok;
}

bool decodeSpng(const std::string& path, int format)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_file(ctx, file);
    size_t size = 0;
    bool ok = spng_decoded_image_size(ctx, format, &size) == 0;
    void* out = ok ? std::malloc(size) : nullptr;
    ok = ok && out && spng_decode_image(ctx, out, size, format, SPNG_DECODE_TRNS) == 0;
    benchmark::DoNotOptimize(out);
    std::free(out);
    spng_ctx_free(ctx);
    std::fclose(file);
    return ok;
}

// Each case: one run of the operation, and the pixels it handles.
struct Case {
    std::function<void(Frame&)> run;
    std::function<long()> pixels;
};

std::map<std::string, Case>& cases()
{
    static std::map<std::string, Case> all = {
        {"blend-icon",
         {[](Frame& f) { icon().image.blitBlended(f.pixels.data(), 136, 96); },
          [] { return 48L * 48; }}},
        {"blend-full",
         {[](Frame& f) { full().image.blitBlended(f.pixels.data(), 0, 0); },
          [] { return long(SCREEN_PIXELS); }}},
        {"pixman-icon",
         {[](Frame& f) {
              pixman_image_composite32(PIXMAN_OP_OVER, icon().source, nullptr, f.image, 0, 0, 0, 0,
                                       136, 96, 48, 48);
          },
          [] { return 48L * 48; }}},
        {"pixman-full",
         {[](Frame& f) {
              pixman_image_composite32(PIXMAN_OP_OVER, full().source, nullptr, f.image, 0, 0, 0, 0,
                                       0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
          },
          [] { return long(SCREEN_PIXELS); }}},
        {"text",
         {[](Frame& f) { text().font.drawText(f.pixels.data(), 4, 100, textLine); },
          [] { return text().pixels; }}},
        {"pixman-text",
         {[](Frame& f) { text().drawWithPixman(f.image, 4, 100); }, [] { return text().pixels; }}},
        {"blit",
         {[](Frame& f) {
              DLImage& image = full().image;
              unsigned char* alpha = image.alpha;
              image.alpha = nullptr; // the same picture, copied opaquely
              image.blit(f.pixels.data(), 0, 0);
              image.alpha = alpha;
          },
          [] { return long(SCREEN_PIXELS); }}},
        {"memcpy",
         {[](Frame& f) {
              std::memcpy(f.pixels.data(), full().image.pixels, SCREEN_BYTES);
              benchmark::ClobberMemory();
          },
          [] { return long(SCREEN_PIXELS); }}},
        {"png-rgba",
         {[](Frame&) { decodeOurs(pngs().rgbaPath); }, [] { return long(SCREEN_PIXELS); }}},
        {"png-rgb",
         {[](Frame&) { decodeOurs(pngs().rgbPath); }, [] { return long(SCREEN_PIXELS); }}},
        {"spng-rgba",
         {[](Frame&) { decodeSpng(pngs().rgbaPath, SPNG_FMT_RGBA8); },
          [] { return long(SCREEN_PIXELS); }}},
        {"spng-rgb",
         {[](Frame&) { decodeSpng(pngs().rgbPath, SPNG_FMT_RGB8); },
          [] { return long(SCREEN_PIXELS); }}},
    };
    return all;
}

void runCase(benchmark::State& state, const std::string& name)
{
    Case& c = cases().at(name);
    Frame frame;
    c.run(frame); // warm up, and let the lazily built tables and pictures come into being
    for (auto _ : state) {
        c.run(frame);
        benchmark::ClobberMemory();
    }
    state.counters["ns/pixel"] =
        benchmark::Counter(double(c.pixels()) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The only code callgrind counts in --measure mode (see the header).
__attribute__((noinline)) void measuredRun(Case& c, Frame& frame, int repeat)
{
    for (int i = 0; i < repeat; ++i)
        c.run(frame);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strncmp(argv[1], "--measure=", 10) == 0) {
        auto found = cases().find(argv[1] + 10);
        if (found == cases().end()) {
            std::fprintf(stderr, "unknown case %s\n", argv[1] + 10);
            return 2;
        }
        Frame frame;
        found->second.run(frame);
        const int repeat = 20;
        measuredRun(found->second, frame, repeat);
        std::printf("%s: %ld pixels measured\n", found->first.c_str(),
                    found->second.pixels() * repeat);
        return 0;
    }
    for (const auto& entry : cases()) {
        const std::string name = entry.first;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [name](benchmark::State& state) { runCase(state, name); });
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
