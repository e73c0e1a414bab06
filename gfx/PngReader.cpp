// PNG decoding with libpng: the transformations to 8-bit RGB/RGBA, the rows handed on one at a
// time, the error return, the clean-up.
#include "gfx/PngReader.h"

#include "base/Diagnostics.h"
#include "platform/Files.h"

#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Everything one load holds. It lives at file scope because libpng reports errors by longjmp
// back into readPng: objects with static storage keep the values they had when the jump fires,
// whereas locals changed after setjmp would be indeterminate.
struct LoadState {
    // The source: a file (path names it for diagnostics), or else the bytes of data from offset on.
    const char* path;
    FILE* file;
    const unsigned char* data;
    size_t size;
    size_t offset;
    png_structp png;
    png_infop info;
    // One row, or the whole picture for an interlaced file.
    unsigned char* block;
    png_bytep* rowTable;
};

LoadState state;

#if PNG_LIBPNG_VER >= 10400
const png_alloc_size_t maxChunkBytes = 1024 * 1024;
#endif

#ifdef PNG_HANDLE_AS_UNKNOWN_SUPPORTED
// Ancillary chunks the decoder has no use for (tRNS, the only one it needs, is not here); five
// bytes each, the name and its NUL, as libpng takes them.
png_byte unusedChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0"
                          "sCAL\0sPLT\0sRGB\0sTER\0tEXt\0tIME\0zTXt";
#endif

void reportError(png_structp png, png_const_charp message)
{
    fprintf(stderr, "libpng error: %s\n", message);
    // libpng's error handler must not return; this lands in readPng's setjmp.
    longjmp(png_jmpbuf(png), 1);
}

// libpng's reads from a picture in memory; past its end is an error, as for a short file.
void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    if (length > state.size - state.offset)
        png_error(png, "Visual PNG: the data ends early");
    memcpy(out, state.data + state.offset, length);
    state.offset += length;
}

// Frees what the load holds.
void releaseState()
{
    free(state.rowTable);
    free(state.block);
    if (state.png)
        png_destroy_read_struct(&state.png, state.info ? &state.info : 0, 0);
    if (state.file)
        fclose(state.file);
    state = LoadState();
}

// The part of a load that may raise libpng errors. Kept out of readPng so that no local of the
// function holding the setjmp changes between setjmp and a longjmp.
void decode(PngRowReceiver& receiver)
{
    png_structp png = state.png;
    png_infop info = state.info;

    if (state.file)
        png_init_io(png, state.file);
    else
        png_set_read_fn(png, 0, readFromMemory);
    png_set_sig_bytes(png, 8);
    // The sides are checked below, with a diagnostic, before anything is allocated for the rows;
    // libpng's own limit (a million) would refuse larger ones without saying which picture.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
#if PNG_LIBPNG_VER >= 10400
    // A damaged chunk length must not make libpng reserve gigabytes for one chunk.
    png_set_chunk_malloc_max(png, maxChunkBytes);
#endif
#ifdef PNG_HANDLE_AS_UNKNOWN_SUPPORTED
    // None of these affects the pixels we ask for, so they are skipped unread rather than
    // parsed: less work, and less of libpng exposed to damaged files.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unusedChunks,
                                static_cast<int>(sizeof(unusedChunks) / 5));
#endif
    png_read_info(png, info);

    png_uint_32 w = 0;
    png_uint_32 h = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &w, &h, &bitDepth, &colorType, 0, 0, 0);
    if (w > maxPngSide || h > maxPngSide) {
        if (state.path)
            diagnoseAt(SourcePlace(state.path, 0), DIAGNOSTIC_ERROR,
                       "picture is %lux%lu pixels, more than %lu on a side: it is not loaded",
                       static_cast<unsigned long>(w), static_cast<unsigned long>(h),
                       static_cast<unsigned long>(maxPngSide));
        png_error(png, "Visual PNG: picture too large");
    }

    if (bitDepth == 16)
        png_set_strip_16(png); // keeps the high byte of each sample
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand(png);
    if (bitDepth < 8)
        png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_expand(png); // the transparent colour or palette alphas become an alpha channel
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // Without this an interlaced file would be read as if its passes were consecutive rows.
    const int passes = png_set_interlace_handling(png);

    png_read_update_info(png, info);
    png_get_IHDR(png, info, &w, &h, 0, 0, 0, 0, 0);
    size_t rowBytes = png_get_rowbytes(png, info);
    int samples = png_get_channels(png, info);
    if ((samples != 3 && samples != 4) || w == 0 || h == 0 || w > maxPngSide || h > maxPngSide ||
        rowBytes != static_cast<size_t>(w) * samples)
        png_error(png, "Visual PNG: unsupported pixel layout");
    if (!receiver.begin(w, h, samples))
        png_error(png, "Visual PNG: out of memory");

    if (passes == 1) {
        state.block = static_cast<unsigned char*>(malloc(rowBytes));
        if (!state.block)
            png_error(png, "Visual PNG: out of memory");
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, state.block, 0);
            receiver.row(y, state.block);
        }
    } else {
        // Each pass adds pixels to rows that earlier passes began: the rows are complete only
        // after the last one. At most 2048 * 2048 * 4 bytes.
        state.block = static_cast<unsigned char*>(malloc(rowBytes * h));
        if (!state.block)
            png_error(png, "Visual PNG: out of memory");
        state.rowTable = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * h));
        if (!state.rowTable)
            png_error(png, "Visual PNG: out of memory");
        for (png_uint_32 i = 0; i < h; ++i)
            state.rowTable[i] = state.block + i * rowBytes;
        png_read_image(png, state.rowTable);
        for (png_uint_32 y = 0; y < h; ++y)
            receiver.row(y, state.rowTable[y]);
    }
    // The rest of the data and its checksums: a damaged end still fails the load.
    png_read_end(png, 0);
}

// The load once the source in state has passed the signature check.
bool decodeSource(PngRowReceiver& receiver)
{
    // The version of the headers the program is built with: libpng refuses any other.
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, 0, reportError, 0);
    if (!state.png) {
        releaseState();
        return false;
    }
    state.info = png_create_info_struct(state.png);
    if (!state.info) {
        releaseState();
        return false;
    }

    if (setjmp(png_jmpbuf(state.png))) {
        releaseState();
        return false;
    }
    decode(receiver);
    releaseState();
    return true;
}

// Collects the rows into one block for the whole-picture form.
class BlockReceiver : public PngRowReceiver {
public:
    BlockReceiver() : block(0), rowBytes(0), width(0), height(0), channels(0) {}
    bool begin(uint32_t pictureWidth, uint32_t pictureHeight, int pictureChannels)
    {
        width = pictureWidth;
        height = pictureHeight;
        channels = pictureChannels;
        rowBytes = static_cast<size_t>(width) * channels;
        block = static_cast<unsigned char*>(malloc(rowBytes * height));
        return block != 0;
    }
    void row(uint32_t y, const unsigned char* samples)
    {
        memcpy(block + y * rowBytes, samples, rowBytes);
    }
    // The block goes to rows when the load succeeded, and is freed otherwise.
    bool finish(bool ok, unsigned char*& rows, uint32_t& outWidth, uint32_t& outHeight,
                int& outChannels)
    {
        if (!ok) {
            free(block);
            return false;
        }
        rows = block;
        outWidth = width;
        outHeight = height;
        outChannels = channels;
        return true;
    }

private:
    unsigned char* block;
    size_t rowBytes;
    uint32_t width;
    uint32_t height;
    int channels;
};

} // namespace

bool readPng(const char* path, PngRowReceiver& receiver)
{
    if (!path)
        return false;
    state = LoadState();
    state.path = path;
    state.file = openFile(path, "rb");
    if (!state.file)
        return false;

    unsigned char signature[8];
    if (fread(signature, 1, sizeof(signature), state.file) != sizeof(signature) ||
        png_sig_cmp(signature, 0, sizeof(signature)) != 0) {
        releaseState();
        return false;
    }
    return decodeSource(receiver);
}

bool readPngData(const unsigned char* data, size_t size, PngRowReceiver& receiver)
{
    if (!data || size < 8 || png_sig_cmp(const_cast<unsigned char*>(data), 0, 8) != 0)
        return false;
    state = LoadState();
    state.data = data;
    state.size = size;
    state.offset = 8;
    return decodeSource(receiver);
}

bool readPng(const char* path, unsigned char*& rows, uint32_t& width, uint32_t& height,
             int& channels)
{
    rows = 0;
    BlockReceiver receiver;
    return receiver.finish(readPng(path, receiver), rows, width, height, channels);
}

bool readPngData(const unsigned char* data, size_t size, unsigned char*& rows, uint32_t& width,
                 uint32_t& height, int& channels)
{
    rows = 0;
    BlockReceiver receiver;
    return receiver.finish(readPngData(data, size, receiver), rows, width, height, channels);
}
