"""Reading and writing the PNG files of the demo card with zlib and struct alone.

Reads what rsvg-convert writes (8-bit RGB or RGBA, not interlaced) and writes 8-bit RGB or RGBA.
A picture is (width, height, channels, rows), each row a bytearray of width * channels samples.
"""
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != SIGNATURE:
        raise ValueError(path + ": not a PNG file")
    pos = 8
    idat = bytearray()
    width = height = channels = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError(path + ": only 8-bit RGB or RGBA, not interlaced")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(bytes(idat))
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    pos = 0
    for _ in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upleft = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 255
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, upleft)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


def _filtered(kind, line, previous, channels):
    """The row as filter type kind writes it, each byte less its prediction."""
    out = bytearray(len(line))
    for i, value in enumerate(line):
        left = line[i - channels] if i >= channels else 0
        up = previous[i]
        upleft = previous[i - channels] if i >= channels else 0
        prediction = (0, left, up, (left + up) >> 1, _paeth(left, up, upleft))[kind]
        out[i] = (value - prediction) & 255
    return out


def _adaptive(rows, channels):
    """Every row with the filter that common image tools choose, as libpng does by default: the
    one whose bytes, read as signed, sum to the least in absolute value."""
    previous = bytearray(len(rows[0]) if rows else 0)
    out = []
    for line in rows:
        best = None
        for kind in range(5):
            candidate = _filtered(kind, line, previous, channels)
            cost = sum(b if b < 128 else 256 - b for b in candidate)
            if best is None or cost < best[0]:
                best = (cost, kind, candidate)
        out.append(bytes([best[1]]) + bytes(best[2]))
        previous = line
    return b"".join(out)


def write_ordinary(path, width, height, channels, rows):
    """Writes the picture the way common image tools save one: adaptive row filters and zlib's
    default level and strategy. The launcher's start-up is measured on pictures like these as
    well as on the demo card's own (bench/ordinary-card/)."""
    _write(path, width, height, channels, zlib.compress(_adaptive(rows, channels), 6), 8192)


def write(path, width, height, channels, rows):
    """Writes every row unfiltered (filter type 0), the form that costs the launcher least to
    decode: a filter must be undone on every byte of the row (Paeth costs the most), and on these
    pictures (flat areas, dithering in a repeating pattern, icons on transparency) deflate finds
    the repeats as well in the plain samples: the dithered backgrounds shrink by almost half, the
    icons stay about as large. Measured on the demo card with callgrind: a background decodes in
    about half the instructions, an icon in about three quarters.

    Pictures of less than 64 KiB of samples (every icon) are compressed with deflate's fixed
    codes: codes of a block's own make the decoder build their tables first, which on an icon
    costs more than the tenth more data the fixed codes take (measured: 5 to 20% fewer
    instructions for every icon and the font, 0.3% more for a background, which keeps its own)."""
    raw = b"".join(b"\0" + bytes(row) for row in rows)
    strategy = zlib.Z_FIXED if len(raw) < 65536 else zlib.Z_DEFAULT_STRATEGY
    compressor = zlib.compressobj(9, zlib.DEFLATED, 15, 8, strategy)
    _write(path, width, height, channels, compressor.compress(raw) + compressor.flush())


def _write(path, width, height, channels, data, chunk_size=None):
    """The file around the compressed data, in data chunks of chunk_size bytes (libpng's default
    is 8 KiB) or in one."""
    colour = {3: 2, 4: 6}[channels]

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(SIGNATURE)
        f.write(chunk(b"IHDR", header))
        step = chunk_size or max(len(data), 1)
        for start in range(0, max(len(data), 1), step):
            f.write(chunk(b"IDAT", data[start:start + step]))
        f.write(chunk(b"IEND", b""))
