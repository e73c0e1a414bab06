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


def _filtered(row, previous, channels):
    """The row with the filter that leaves the smallest sum of magnitudes (the usual heuristic)."""
    best = None
    n = len(row)
    for kind in range(5):
        out = bytearray(n + 1)
        out[0] = kind
        for i in range(n):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            upleft = previous[i - channels] if i >= channels else 0
            if kind == 0:
                v = row[i]
            elif kind == 1:
                v = row[i] - left
            elif kind == 2:
                v = row[i] - up
            elif kind == 3:
                v = row[i] - ((left + up) >> 1)
            else:
                v = row[i] - _paeth(left, up, upleft)
            out[i + 1] = v & 255
        score = sum(b if b < 128 else 256 - b for b in out[1:])
        if best is None or score < best[0]:
            best = (score, out)
    return best[1]


def write(path, width, height, channels, rows):
    colour = {3: 2, 4: 6}[channels]
    raw = bytearray()
    previous = bytearray(width * channels)
    for row in rows:
        raw += _filtered(row, previous, channels)
        previous = row

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(SIGNATURE)
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))
