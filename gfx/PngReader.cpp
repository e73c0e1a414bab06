// PNG decoding: the common case read with zlib alone, everything else with libpng (the
// transformations to 8-bit RGB/RGBA, the rows handed on one at a time, the error return, the
// clean-up).
#include "gfx/PngReader.h"

#include "base/Diagnostics.h"
#include "gfx/PictureFault.h"
#include "platform/Files.h"

#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

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
    // The file's bytes when readPng read it whole, freed with the rest.
    unsigned char* fileBytes;
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

// Files up to this size are read whole and, when they are 8-bit RGB or RGBA without interlacing
// (what image editors save), decoded by decodeCommon; larger ones are streamed through libpng.
const size_t wholeFileMax = 1024 * 1024;

// A picture of up to this many bytes of image data (a full-screen RGBA background is 300 KiB)
// is inflated whole; a larger one this many bytes at a time, or one row when a row is longer.
const size_t wholePictureBytes = 512 * 1024;
const size_t stripBytes = 32 * 1024;

uint32_t bigEndian(const unsigned char* bytes)
{
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
        (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

// The prediction of PNG's Paeth filter: of the pixel's left, upper and upper-left neighbours,
// the one nearest to left + up - upLeft, the first of them on a tie. The distances to left, up
// and upLeft are |up - upLeft|, |left - upLeft| and the absolute value of their sum.
inline int paeth(int left, int up, int upLeft)
{
    const int fromUp = up - upLeft;
    const int fromLeft = left - upLeft;
    int nearest = fromUp < 0 ? -fromUp : fromUp;
    const int toUp = fromLeft < 0 ? -fromLeft : fromLeft;
    const int toUpLeft = fromUp + fromLeft < 0 ? -(fromUp + fromLeft) : fromUp + fromLeft;
    int prediction = left;
    if (toUp < nearest) {
        nearest = toUp;
        prediction = up;
    }
    return toUpLeft < nearest ? upLeft : prediction;
}

// Undoes the row's filter (its first byte) in place, the row above being previous (zeros above
// the first row); bytes is the row's length without the filter byte, a whole number of pixels
// of STEP bytes. The left neighbours stay in registers rather than being read back from the row
// just written. False for a filter that does not exist.
template <int STEP>
bool unfilter(unsigned char* row, const unsigned char* previous, size_t bytes)
{
    const int filter = row[0];
    ++row;
    ++previous;
    const unsigned char* const end = row + bytes;
    int left[STEP];
    int upLeft[STEP];
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (int c = 0; c < STEP; ++c)
            left[c] = row[c];
        for (row += STEP; row != end; row += STEP) {
            for (int c = 0; c < STEP; ++c) {
                left[c] = (row[c] + left[c]) & 0xFF;
                row[c] = static_cast<unsigned char>(left[c]);
            }
        }
        return true;
    case 2:
        for (size_t i = 0; i < bytes; ++i)
            row[i] = static_cast<unsigned char>(row[i] + previous[i]);
        return true;
    case 3:
        for (int c = 0; c < STEP; ++c) {
            left[c] = (row[c] + (previous[c] >> 1)) & 0xFF;
            row[c] = static_cast<unsigned char>(left[c]);
        }
        for (row += STEP, previous += STEP; row != end; row += STEP, previous += STEP) {
            for (int c = 0; c < STEP; ++c) {
                left[c] = (row[c] + ((left[c] + previous[c]) >> 1)) & 0xFF;
                row[c] = static_cast<unsigned char>(left[c]);
            }
        }
        return true;
    case 4:
        for (int c = 0; c < STEP; ++c) {
            upLeft[c] = previous[c];
            left[c] = (row[c] + upLeft[c]) & 0xFF;
            row[c] = static_cast<unsigned char>(left[c]);
        }
        for (row += STEP, previous += STEP; row != end; row += STEP, previous += STEP) {
            for (int c = 0; c < STEP; ++c) {
                const int up = previous[c];
                left[c] = (row[c] + paeth(left[c], up, upLeft[c])) & 0xFF;
                upLeft[c] = up;
                row[c] = static_cast<unsigned char>(left[c]);
            }
        }
        return true;
    default:
        return false;
    }
}

// Whether a picture of width x height pixels is within the receiver's bound.
bool fits(uint32_t width, uint32_t height, const PngRowReceiver& receiver)
{
    if (width == 0 || height == 0)
        return false;
    if (receiver.maxPixels)
        return width <= receiver.maxPixels / height;
    return width <= maxPngSide && height <= maxPngSide;
}

// The common case without libpng: an 8-bit RGB or RGBA picture without interlacing, whose
// chunks are IHDR, IDAT and IEND and ancillary ones other than tRNS, every checksum right. libpng
// reads a row for each call to zlib, which keeps zlib's inflate off its fast loop for every
// row shorter than 258 bytes (an icon's) and for the end of every other row; here the picture is
// inflated whole, or a strip of rows at a time. False, with no message, for anything else, a
// damaged file included: the caller then decodes the same bytes with libpng from the start, which
// decides and reports exactly as it always has (the receiver may then see begin() a second time).
bool decodeCommon(const unsigned char* data, size_t size, PngRowReceiver& receiver)
{
    size_t position = 8;
    if (size < position + 25 || bigEndian(data + position) != 13 ||
        memcmp(data + position + 4, "IHDR", 4) != 0 ||
        crc32(0, data + position + 4, 17) != bigEndian(data + position + 21))
        return false;
    const unsigned char* header = data + position + 8;
    const uint32_t width = bigEndian(header);
    const uint32_t height = bigEndian(header + 4);
    if (!fits(width, height, receiver) || header[8] != 8 || (header[9] != 2 && header[9] != 6) ||
        header[10] != 0 || header[11] != 0 || header[12] != 0)
        return false;
    position += 25;

    // Where the image data lies, every chunk's checksum checked on the way.
    size_t firstData = 0;
    size_t dataChunks = 0;
    bool dataEnded = false;
    for (;;) {
        if (size - position < 12)
            return false;
        const uint32_t length = bigEndian(data + position);
        const unsigned char* type = data + position + 4;
        if (length > size - position - 12 ||
            crc32(0, type, length + 4) != bigEndian(type + 4 + length))
            return false;
        if (memcmp(type, "IDAT", 4) == 0) {
            if (dataEnded)
                return false;
            if (!dataChunks++)
                firstData = position;
        } else {
            dataEnded = dataChunks > 0;
            if (memcmp(type, "IEND", 4) == 0) {
                if (length)
                    return false;
                break;
            }
            // A critical chunk (a palette, say) or a transparent colour: libpng's work.
            if (!(type[0] & 0x20) || memcmp(type, "tRNS", 4) == 0)
                return false;
        }
        position += 12 + length;
    }
    if (!dataChunks)
        return false;

    const int channels = header[9] == 2 ? 3 : 4;
    const size_t stride = static_cast<size_t>(width) * channels + 1;
    const bool whole = stride * height <= wholePictureBytes;
    const size_t stripRows = whole ? height : stride < stripBytes ? stripBytes / stride : 1;
    // The row above the strip, then the strip.
    unsigned char* buffer = static_cast<unsigned char*>(malloc((stripRows + 1) * stride));
    // A whole picture is inflated in one call from its data in one block (joined when it comes
    // in several chunks), the one way zlib keeps no window: otherwise it copies what each call
    // gives into a window of its own.
    unsigned char* joined = 0;
    size_t chunk = firstData;
    size_t chunksLeft = dataChunks;
    z_stream stream;
    memset(&stream, 0, sizeof(stream));
    if (whole && buffer) {
        size_t total = 0;
        for (size_t i = 0, at = firstData; i < dataChunks; ++i, at += 12 + bigEndian(data + at))
            total += bigEndian(data + at);
        if (dataChunks == 1) {
            stream.next_in = const_cast<unsigned char*>(data + firstData + 8);
        } else if ((joined = static_cast<unsigned char*>(malloc(total ? total : 1))) != 0) {
            for (size_t i = 0, at = 0; i < dataChunks; ++i, chunk += 12 + bigEndian(data + chunk)) {
                memcpy(joined + at, data + chunk + 8, bigEndian(data + chunk));
                at += bigEndian(data + chunk);
            }
            stream.next_in = joined;
        }
        stream.avail_in = static_cast<uInt>(total);
        chunksLeft = 0;
    }
    if (!buffer || (whole && !stream.next_in) || inflateInit(&stream) != Z_OK) {
        free(buffer);
        free(joined);
        return false;
    }
    memset(buffer, 0, stride);
    bool ok = receiver.begin(width, height, channels);
    bool ended = false;
    for (uint32_t y = 0; ok && y < height;) {
        const uint32_t rows =
            height - y < stripRows ? height - y : static_cast<uint32_t>(stripRows);
        stream.next_out = buffer + stride;
        stream.avail_out = static_cast<uInt>(rows * stride);
        while (ok && stream.avail_out) {
            if (!stream.avail_in) {
                if (!chunksLeft) {
                    ok = false;
                    break;
                }
                --chunksLeft;
                stream.next_in = const_cast<unsigned char*>(data + chunk + 8);
                stream.avail_in = bigEndian(data + chunk);
                chunk += 12 + stream.avail_in;
                continue;
            }
            const int result = inflate(&stream, whole ? Z_FINISH : Z_NO_FLUSH);
            ended = result == Z_STREAM_END;
            ok = result == Z_OK || (ended && !stream.avail_out);
        }
        for (uint32_t i = 0; ok && i < rows; ++i) {
            unsigned char* row = buffer + (i + 1) * stride;
            ok = channels == 3 ? unfilter<3>(row, row - stride, stride - 1)
                               : unfilter<4>(row, row - stride, stride - 1);
            if (ok)
                receiver.row(y + i, row + 1);
        }
        memcpy(buffer, buffer + rows * stride, stride);
        y += rows;
    }
    // The data must end with the last row, its checksum right, and nothing after it.
    if (ok && !ended) {
        unsigned char extra;
        stream.next_out = &extra;
        stream.avail_out = 1;
        while (ok && !ended) {
            if (!stream.avail_in && chunksLeft) {
                --chunksLeft;
                stream.next_in = const_cast<unsigned char*>(data + chunk + 8);
                stream.avail_in = bigEndian(data + chunk);
                chunk += 12 + stream.avail_in;
            }
            const int result = inflate(&stream, Z_NO_FLUSH);
            ended = result == Z_STREAM_END;
            ok = (result == Z_OK || ended) && stream.avail_out;
        }
    }
    ok = ok && ended && !stream.avail_in && !chunksLeft;
    inflateEnd(&stream);
    free(buffer);
    free(joined);
    return ok;
}

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
    free(state.fileBytes);
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
    if (!fits(w, h, receiver)) {
        if (state.path)
            notePictureRefused(state.path);
        if (state.path && receiver.maxPixels)
            diagnoseAt(SourcePlace(state.path, 0), DIAGNOSTIC_ERROR,
                       "picture is %lux%lu pixels, more than %lu in all: it is not loaded",
                       static_cast<unsigned long>(w), static_cast<unsigned long>(h),
                       static_cast<unsigned long>(receiver.maxPixels));
        else if (state.path)
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
    if ((samples != 3 && samples != 4) || !fits(w, h, receiver) ||
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
        // after the last one. At most 2048 * 2048 * 4 bytes (a font picture's
        // maxFontPixels * 4).
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
        free(block);
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

    // A file of ordinary size is read whole: decodeCommon takes most pictures from there, and
    // libpng the rest.
    long size = -1;
    if (fseek(state.file, 0, SEEK_END) == 0)
        size = ftell(state.file);
    if (size >= 8 && static_cast<unsigned long>(size) <= wholeFileMax &&
        fseek(state.file, 0, SEEK_SET) == 0) {
        state.fileBytes = static_cast<unsigned char*>(malloc(static_cast<size_t>(size)));
        if (state.fileBytes &&
            fread(state.fileBytes, 1, static_cast<size_t>(size), state.file) ==
                static_cast<size_t>(size)) {
            fclose(state.file);
            state.file = 0;
            if (png_sig_cmp(state.fileBytes, 0, 8) != 0) {
                releaseState();
                return false;
            }
            if (decodeCommon(state.fileBytes, static_cast<size_t>(size), receiver)) {
                releaseState();
                return true;
            }
            state.data = state.fileBytes;
            state.size = static_cast<size_t>(size);
            state.offset = 8;
            return decodeSource(receiver);
        }
        free(state.fileBytes);
        state.fileBytes = 0;
    }
    if (fseek(state.file, 0, SEEK_SET) != 0) {
        releaseState();
        return false;
    }

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
    if (decodeCommon(data, size, receiver))
        return true;
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

namespace {

// The chunks of a PNG file after its signature, from a file or from memory.
struct ChunkSource {
    FILE* file;
    const unsigned char* data;
    size_t size;
    size_t offset;

    bool read(unsigned char* out, size_t count)
    {
        if (file)
            return fread(out, 1, count, file) == count;
        if (count > size - offset)
            return false;
        memcpy(out, data + offset, count);
        offset += count;
        return true;
    }
    bool skip(uint32_t count)
    {
        if (file)
            return fseek(file, static_cast<long>(count), SEEK_CUR) == 0;
        if (count > size - offset)
            return false;
        offset += count;
        return true;
    }
};

bool findText(ChunkSource& source, const char* keyword, size_t maxLength, WString& text)
{
    text = "";
    unsigned char signature[8];
    if (!source.read(signature, 8) || png_sig_cmp(signature, 0, 8) != 0)
        return false;
    const size_t keywordLength = strlen(keyword);
    for (;;) {
        unsigned char head[8];
        if (!source.read(head, 8))
            return false;
        const uint32_t length = bigEndian(head);
        if (memcmp(head + 4, "IDAT", 4) == 0 || memcmp(head + 4, "IEND", 4) == 0 ||
            length > 0x7FFFFFFF)
            return false;
        if (memcmp(head + 4, "tEXt", 4) != 0 || length < keywordLength + 1 ||
            length - keywordLength - 1 > maxLength) {
            if (!source.skip(length + 4))
                return false;
            continue;
        }
        // The chunk, its checksum and a terminating 0.
        unsigned char* chunk = static_cast<unsigned char*>(malloc(length + 5));
        if (!chunk)
            return false;
        const bool read = source.read(chunk, length + 4);
        chunk[length + 4] = 0;
        const bool found = read &&
            crc32(crc32(0, head + 4, 4), chunk, length) == bigEndian(chunk + length) &&
            memcmp(chunk, keyword, keywordLength + 1) == 0;
        if (found) {
            chunk[length] = 0;
            text = reinterpret_cast<const char*>(chunk) + keywordLength + 1;
        }
        free(chunk);
        if (found || !read)
            return found;
    }
}

} // namespace

bool readPngText(const char* path, const char* keyword, size_t maxLength, WString& text)
{
    ChunkSource source = {path ? openFile(path, "rb") : 0, 0, 0, 0};
    text = "";
    if (!source.file)
        return false;
    const bool found = findText(source, keyword, maxLength, text);
    fclose(source.file);
    return found;
}

bool readPngTextData(const unsigned char* data, size_t size, const char* keyword, size_t maxLength,
                     WString& text)
{
    ChunkSource source = {0, data, data ? size : 0, 0};
    return findText(source, keyword, maxLength, text);
}
