// tarvo-mkfont: renders the printable characters 33 to 126 of a TrueType/OpenType font with
// FreeType into the font picture that the launcher's BitmapFont reads, followed by those of the
// Latin-1 Supplement (U+00A0 to U+00FF), Latin Extended-A (U+0100 to U+017F), Greek (U+0370 to
// U+03FF) and Cyrillic (U+0400 to U+04FF) that the font has.
//
//   tarvo-mkfont [--face N] [--name NAME] [--output-dir DIR] FONT SIZE R G B
//
// writes DIR/NAME_N_SIZE_R_G_B.png (NAME defaults to the font file's name, N to 0, DIR to the
// current folder). The launcher's default font picture is made with
//
//   tarvo-mkfont --name ARIALN.TTF --output-dir sdcard/Tarvo
//                /usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf 12 255 255
//                255
//
// (one line; run from the repository's root).
//
// Picture layout (what BitmapFont expects):
// - Row 0 is the marker row: an opaque white pixel at the first column of every glyph but the
//   first, which starts at column 1. Column 0 and everything else in the row are transparent black.
// - Rows 1 and below hold the glyphs side by side in character order, all sharing one baseline:
//   33 to 126, then the others. Each glyph pixel is the colour scaled by FreeType's coverage,
//   with the coverage as alpha. BitmapFont reads a pixel's grey level (r + g + b) / 3 as its
//   coverage, so white keeps the coverage exact; other colours only tint the picture for viewing.
// - A glyph's cell is as wide as FreeType's advance for it, widened where the glyph's ink reaches
//   left of the pen or right of the advance, so that no ink is cut off. BitmapFont advances the
//   pen by the cell width.
// - A text chunk (tEXt) before the image data, keyword "Tarvo glyphs", lists the code points of
//   the glyphs after 126 in order, as hexadecimal ranges: "A0-17F,384-38A,38C,...".
#include <ft2build.h>
#include FT_FREETYPE_H
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <string>
#include <vector>

namespace {

const int firstCode = 33;
const int lastCode = 126;
// The blocks rendered after 126, each code point the font has a glyph for.
const FT_ULong moreCodes[][2] = {{0xA0, 0x17F}, {0x370, 0x3FF}, {0x400, 0x4FF}};
const char mapKeyword[] = "Tarvo glyphs";

struct Options {
    std::string fontPath;
    std::string name;
    std::string outputDir = ".";
    long face = 0;
    int size = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
};

struct Glyph {
    int cellWidth = 0;
    int inkColumn = 0; // column of the bitmap's left edge within the cell
    int top = 0;       // rows of ink above the baseline
    int rows = 0;
    int columns = 0;
    std::vector<unsigned char> coverage; // rows * columns
};

void usage()
{
    std::fprintf(
        stderr,
        "usage: tarvo-mkfont [--face N] [--name NAME] [--output-dir DIR] FONT SIZE R G B\n"
        "  Renders the characters 33 to 126 of FONT, and those of U+00A0 to U+017F, Greek\n"
        "  and Cyrillic that it has, at SIZE pixels in the colour R G B (0-255 each) into\n"
        "  DIR/NAME_N_SIZE_R_G_B.png, the launcher's font picture.\n");
}

bool parseNumber(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return *text && !*end && errno == 0 && value >= low && value <= high;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    std::vector<const char*> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--face" || arg == "--name" || arg == "--output-dir") && i + 1 < argc) {
            const char* value = argv[++i];
            if (arg == "--face") {
                if (!parseNumber(value, 0, 65535, options.face))
                    return false;
            } else if (arg == "--name") {
                options.name = value;
            } else {
                options.outputDir = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() != 5)
        return false;
    options.fontPath = positional[0];
    long numbers[4];
    const long highs[4] = {1000, 255, 255, 255};
    for (int i = 0; i < 4; ++i) {
        if (!parseNumber(positional[i + 1], i == 0 ? 1 : 0, highs[i], numbers[i]))
            return false;
    }
    options.size = int(numbers[0]);
    options.red = int(numbers[1]);
    options.green = int(numbers[2]);
    options.blue = int(numbers[3]);
    if (options.name.empty()) {
        std::string::size_type slash = options.fontPath.find_last_of('/');
        options.name =
            slash == std::string::npos ? options.fontPath : options.fontPath.substr(slash + 1);
    }
    return !options.name.empty() && options.name.find('/') == std::string::npos;
}

// The characters to render: 33 to 126, then those of moreCodes that the font has.
std::vector<FT_ULong> codesOf(FT_Face face)
{
    std::vector<FT_ULong> codes;
    for (FT_ULong code = firstCode; code <= lastCode; ++code)
        codes.push_back(code);
    for (const auto& block : moreCodes) {
        for (FT_ULong code = block[0]; code <= block[1]; ++code) {
            if (FT_Get_Char_Index(face, code) != 0)
                codes.push_back(code);
        }
    }
    return codes;
}

// The map of the glyphs after 126: runs of consecutive code points as FIRST-LAST (or FIRST
// alone), in hexadecimal, separated by commas.
std::string mapOf(const std::vector<FT_ULong>& codes)
{
    std::string map;
    for (size_t i = lastCode - firstCode + 1; i < codes.size();) {
        size_t end = i + 1;
        while (end < codes.size() && codes[end] == codes[end - 1] + 1)
            ++end;
        char range[32];
        if (end - i == 1)
            std::snprintf(range, sizeof(range), "%lX", static_cast<unsigned long>(codes[i]));
        else
            std::snprintf(range, sizeof(range), "%lX-%lX", static_cast<unsigned long>(codes[i]),
                          static_cast<unsigned long>(codes[end - 1]));
        map += (map.empty() ? "" : ",") + std::string(range);
        i = end;
    }
    return map;
}

bool renderGlyphs(FT_Face face, const std::vector<FT_ULong>& codes, std::vector<Glyph>& glyphs)
{
    for (FT_ULong code : codes) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) {
            std::fprintf(stderr, "tarvo-mkfont: FreeType cannot render character U+%04lX\n",
                         static_cast<unsigned long>(code));
            return false;
        }
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0) {
            std::fprintf(stderr, "tarvo-mkfont: character U+%04lX did not render as grey levels\n",
                         static_cast<unsigned long>(code));
            return false;
        }
        Glyph glyph;
        const int advance = int((slot->advance.x + 32) >> 6);
        const int left = std::min(0, slot->bitmap_left);
        const int right = std::max(advance, slot->bitmap_left + int(bitmap.width));
        glyph.cellWidth = std::max(1, right - left);
        glyph.inkColumn = slot->bitmap_left - left;
        glyph.top = slot->bitmap_top;
        glyph.rows = int(bitmap.rows);
        glyph.columns = int(bitmap.width);
        glyph.coverage.resize(size_t(glyph.rows) * glyph.columns);
        for (int row = 0; row < glyph.rows; ++row) {
            const unsigned char* source = bitmap.buffer + row * bitmap.pitch;
            std::copy(source, source + glyph.columns, glyph.coverage.begin() + row * glyph.columns);
        }
        glyphs.push_back(glyph);
    }
    return true;
}

bool writePicture(const std::string& path, int width, int height,
                  const std::vector<unsigned char>& rgba, const std::string& map)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "tarvo-mkfont: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::fprintf(stderr, "tarvo-mkfont: libpng could not write %s\n", path.c_str());
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    // Rows of glyphs compress as well without filters, and decode cheaper: the launcher decodes
    // the picture at every start.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_text text = {};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>(mapKeyword);
    text.text = const_cast<char*>(map.c_str());
    text.text_length = map.size();
    if (!map.empty())
        png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row)
        png_write_row(png, const_cast<png_bytep>(&rgba[size_t(row) * width * 4]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "tarvo-mkfont: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "tarvo-mkfont: FreeType could not start\n");
        return 1;
    }
    if (FT_New_Face(library, options.fontPath.c_str(), options.face, &face) != 0) {
        std::fprintf(stderr, "tarvo-mkfont: cannot open face %ld of %s\n", options.face,
                     options.fontPath.c_str());
        FT_Done_FreeType(library);
        return 1;
    }
    std::vector<Glyph> glyphs;
    bool ok = FT_Set_Pixel_Sizes(face, 0, FT_UInt(options.size)) == 0;
    if (!ok)
        std::fprintf(stderr, "tarvo-mkfont: %s has no size %d\n", options.fontPath.c_str(),
                     options.size);
    const std::vector<FT_ULong> codes = codesOf(face);
    ok = ok && renderGlyphs(face, codes, glyphs);

    // All glyphs share one baseline: room above it for the tallest ascent, below for the
    // deepest descent, and at least the font's own line metrics.
    int ascent = 0;
    int descent = 0;
    if (ok) {
        ascent = int((face->size->metrics.ascender + 63) >> 6);
        descent = int((-face->size->metrics.descender + 63) >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok)
        return 1;
    for (const Glyph& glyph : glyphs) {
        ascent = std::max(ascent, glyph.top);
        descent = std::max(descent, glyph.rows - glyph.top);
    }

    int width = 1;
    for (const Glyph& glyph : glyphs)
        width += glyph.cellWidth;
    const int height = 1 + ascent + descent;
    std::vector<unsigned char> rgba(size_t(width) * height * 4, 0);
    auto pixel = [&](int column, int row) { return &rgba[(size_t(row) * width + column) * 4]; };

    int start = 1;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& glyph = glyphs[i];
        if (i > 0)
            std::memset(pixel(start, 0), 255, 4);
        for (int row = 0; row < glyph.rows; ++row) {
            const int pictureRow = 1 + ascent - glyph.top + row;
            for (int column = 0; column < glyph.columns; ++column) {
                const unsigned value = glyph.coverage[size_t(row) * glyph.columns + column];
                unsigned char* out = pixel(start + glyph.inkColumn + column, pictureRow);
                out[0] = static_cast<unsigned char>((options.red * value + 127) / 255);
                out[1] = static_cast<unsigned char>((options.green * value + 127) / 255);
                out[2] = static_cast<unsigned char>((options.blue * value + 127) / 255);
                out[3] = static_cast<unsigned char>(value);
            }
        }
        start += glyph.cellWidth;
    }

    char suffix[96];
    std::snprintf(suffix, sizeof(suffix), "_%ld_%d_%d_%d_%d.png", options.face, options.size,
                  options.red, options.green, options.blue);
    const std::string path = options.outputDir + "/" + options.name + suffix;
    if (static_cast<long>(width) * height > 512 * 1024) {
        std::fprintf(stderr,
                     "tarvo-mkfont: the picture would be %dx%d, more than the 524288 pixels the "
                     "launcher loads: choose a smaller size\n",
                     width, height);
        return 1;
    }
    if (!writePicture(path, width, height, rgba, mapOf(codes)))
        return 1;
    std::printf("Wrote %s: %dx%d, glyphs %d tall, %d characters\n", path.c_str(), width, height,
                height - 1, static_cast<int>(codes.size()));
    return 0;
}
