#!/usr/bin/env python3
"""Plays one case folder through tarvo-headless and compares what the run gives with what the
case expects. The format of a case folder is in tests/cases/README.md.

    run_case.py --headless PROGRAM [--lint PROGRAM] [--emulator COMMAND] [--update] [--no-aslimit]
                CASEDIR

Exit status 0 when everything matches, 1 with one line per mismatch otherwise. --update rewrites
the case's digest lines with the frames of this run (for writing a new case; look at the frames
first: the folder is printed).
"""
import argparse
import hashlib
import os
import re
import resource
import shutil
import signal
import subprocess
import struct
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 320, 240
# A diagnostic line in the compilers' format: PATH:LINE: warning: ... (or PATH: error: ...).
DIAGNOSTIC = re.compile(r"^[^ ].*?:(\d+:)? (warning|error): ")


def screen_colour(text):
    """A skin colour RRGGBB in the screen format: five bits a channel, bit 5 clear."""
    r, g, b = int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16)
    return (r & 0xF8) << 8 | (g & 0xF8) << 3 | b >> 3


def read_png(path, pixels=True):
    """(width, height, rows of RGB or RGBA bytes or None, channels, text chunks) of an 8-bit RGB
    or RGBA PNG, as tarvo-headless and tarvo-mkfont write them."""
    with open(path, "rb") as png:
        data = png.read()
    position, compressed, texts = 8, b"", {}
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height, _, colour_type = struct.unpack(">IIBB", body[:10])
        elif kind == b"tEXt":
            key, _, value = body.partition(b"\0")
            texts[key.decode("latin-1")] = value.decode("latin-1")
        compressed += body if kind == b"IDAT" else b""
        position += 12 + length
    channels = 4 if colour_type == 6 else 3
    if not pixels:
        return width, height, None, channels, texts
    raw, stride = zlib.decompress(compressed), channels * width
    rows = [bytearray(stride)]
    for y in range(height):
        start = y * (stride + 1)
        kind, line, up = raw[start], bytearray(raw[start + 1:start + 1 + stride]), rows[-1]
        for i in range(stride):
            left, corner = (line[i - channels], up[i - channels]) if i >= channels else (0, 0)
            estimate = left + up[i] - corner
            nearest = min((abs(estimate - left), left), (abs(estimate - up[i]), up[i]),
                          (abs(estimate - corner), corner), key=lambda d: d[0])[1]
            line[i] = (line[i] + (0, left, up[i], (left + up[i]) // 2, nearest)[kind]) & 255
        rows.append(line)
    return width, height, rows[1:], channels, texts


def font_glyphs(path):
    """{character: (grey levels of the glyph's rows)} of a font picture: row 0 marks where each
    glyph starts, the first at column 1; 33 to 126, then the characters its "Tarvo glyphs" text
    lists as hexadecimal ranges."""
    width, height, rows, channels, texts = read_png(path)
    levels = [[sum(row[x * channels:x * channels + 3]) // 3 for x in range(width)] for row in rows]
    codes = list(range(33, 127))
    for item in filter(None, texts.get("Tarvo glyphs", "").split(",")):
        first, _, last = item.strip().partition("-")
        codes += range(int(first, 16), int(last or first, 16) + 1)
    starts = [1] + [x for x in range(2, width) if levels[0][x] > 128]
    ends = starts[1:] + [width]
    return {chr(code): [row[start:end] for row in levels[1:]]
            for code, start, end in zip(codes, starts, ends)}


def read_case(path):
    """The case file's directives as (line number, word, rest) in order."""
    directives = []
    with open(path, encoding="utf-8") as case:
        for number, line in enumerate(case.read().splitlines(), 1):
            if line.startswith("#") or not line.strip():
                continue
            word, _, rest = line.partition(" ")
            directives.append((number, word, rest))
    return directives


def split_runs(directives):
    """The directives of each run: an "again" line starts the next run on the same card."""
    runs = [[]]
    for directive in directives:
        if directive[1] == "again":
            runs.append([])
        else:
            runs[-1].append(directive)
    return runs


class Run:
    def __init__(self, programs, case_dir, directives, work, number=1):
        self.card = os.path.join(work, "card")
        self.frames = os.path.join(work, "out", "frames" if number == 1 else "frames-%d" % number)
        self.pictures = {}
        self.glyphs = None
        self.name = "" if number == 1 else "run %d: " % number
        source = os.path.join(case_dir, "card")
        # A later run goes on with the card as the runs before it left it.
        if number == 1 and os.path.isdir(source):
            shutil.copytree(source, self.card, symlinks=True)
        elif number == 1:
            os.mkdir(self.card)
        keys = [rest for _, word, rest in directives if word == "keys"] or ["- 1"]
        with open(os.path.join(work, "keys"), "w", encoding="utf-8") as script:
            script.write("\n".join(keys) + "\n")
        extra = []
        tool = "headless"
        file_size_limit = None
        address_space_limit = None
        self.before = {}
        for _, word, rest in directives:
            if word == "args":
                extra += [self.substitute(a) for a in rest.split()]
            elif word == "tool":
                tool = rest
            elif word == "pad":
                path, size = rest.rsplit(" ", 1)
                with open(os.path.join(self.card, path), "a", encoding="utf-8") as padded:
                    padded.write("// " + "x" * int(size) + "\n")
            elif word == "touch":
                name = re.sub(rb"\\x([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]),
                              rest.encode("utf-8"))
                open(os.path.join(os.fsencode(self.card), name), "wb").close()
            elif word == "fsize":
                file_size_limit = int(rest)
            elif word == "aslimit" and not programs["no_aslimit"]:
                address_space_limit = int(rest)
            elif word == "unchanged":
                with open(os.path.join(self.card, rest), "rb") as kept:
                    self.before[rest] = kept.read()
        if tool == "lint":
            command = [programs["lint"], "--sd", self.card] + extra
        elif tool == "pages":
            command = [programs["headless"], "--sd", self.card, "--pages", self.frames] + extra
        else:
            command = [programs["headless"], "--sd", self.card, "--keys",
                       os.path.join(work, "keys"), "--frames", self.frames, "--raw"] + extra
        def limit_resources():
            if file_size_limit:
                # Writes past the limit fail with EFBIG instead of ending the program.
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))
            if address_space_limit:
                # An allocation past the limit fails as it would on a handheld out of memory.
                resource.setrlimit(resource.RLIMIT_AS, (address_space_limit, address_space_limit))

        done = subprocess.run(programs["emulator"] + command, cwd=work, capture_output=True, timeout=120,
                              preexec_fn=limit_resources
                              if file_size_limit or address_space_limit else None)
        self.status = done.returncode
        self.out = done.stdout.decode("utf-8", "surrogateescape")
        self.err = done.stderr.decode("utf-8", "surrogateescape")

    def substitute(self, text):
        return text.replace("$CARD", self.card)

    def frame(self, number):
        """(RGB565 bytes, width) of frame number (raw), or of the PNG so named in the frames
        folder; None when there is none."""
        if not number.isdigit():
            path = os.path.join(self.frames, number)
            if not os.path.exists(path):
                return None
            if path in self.pictures:
                return self.pictures[path]
            width, _, rows, _, _ = read_png(path)
            # The PNG widened each channel by repeating its top bits: the top bits give it back.
            pixels = [r >> 3 << 11 | g >> 2 << 5 | b >> 3 for row in rows
                      for r, g, b in zip(row[0::3], row[1::3], row[2::3])]
            self.pictures[path] = struct.pack("<%dH" % len(pixels), *pixels), width
            return self.pictures[path]
        path = os.path.join(self.frames, "frame-%04d.rgb565" % int(number))
        if not os.path.exists(path):
            return None
        with open(path, "rb") as raw:
            return raw.read(), WIDTH

    def frame_count(self):
        if not os.path.isdir(self.frames):
            return 0
        return sum(1 for name in os.listdir(self.frames) if name.endswith(".png"))


def check(run, case_dir, directives):
    """One message per mismatch."""
    problems = []
    status = 0
    expected_out = []
    expected_diagnostics = None
    expected_pictures = None
    for number, word, rest in directives:
        where = "%d: " % number
        fields = rest.split()
        if word == "status":
            status = int(rest)
        elif word == "out":
            expected_out.append(run.substitute(rest))
        elif word == "diag":
            expected_diagnostics = expected_diagnostics or []
            if rest != "none":
                expected_diagnostics.append(run.substitute(rest))
        elif word == "err":
            if rest not in run.err:
                problems.append(where + "standard error lacks %r" % rest)
        elif word == "frames":
            if run.frame_count() != int(rest):
                problems.append(where + "%d frames, expected %s" % (run.frame_count(), rest))
        elif word == "png":
            expected_pictures = expected_pictures or {}
            if rest != "none":
                expected_pictures[fields[0]] = (int(fields[1]), int(fields[2]))
        elif word == "pixel":
            frame, x, y = fields[0], int(fields[1]), int(fields[2])
            found = run.frame(frame)
            if not found:
                problems.append(where + "no frame %s" % frame)
                continue
            data, width = found
            offset = 2 * (y * width + x)
            value = data[offset] | data[offset + 1] << 8
            if value != screen_colour(fields[3]):
                problems.append(where + "frame %s pixel (%d, %d) is %04X, expected %04X (%s)"
                                % (frame, x, y, value, screen_colour(fields[3]), fields[3]))
        elif word == "glyphs":
            frame, x, y, colour, ground, text = rest.split(" ", 5)
            problems += [where + problem for problem in
                         check_glyphs(run, frame, int(x), int(y), colour, ground, text)]
        elif word == "digest":
            found = run.frame(fields[0])
            actual = hashlib.sha256(found[0]).hexdigest() if found else "none"
            if len(fields) < 2 or actual != fields[1]:
                problems.append(where + "frame %s digest %s differs" % (fields[0], actual))
        elif word == "file":
            with open(os.path.join(case_dir, "expected", rest), "rb") as wanted:
                expected = run.substitute(wanted.read().decode("utf-8", "surrogateescape"))
            path = os.path.join(run.card, rest)
            if not os.path.isfile(path):
                problems.append(where + "no file %s on the card" % rest)
                continue
            with open(path, "rb") as found:
                actual = found.read().decode("utf-8", "surrogateescape")
            if actual != expected:
                problems.append(where + "%s is %r, expected %r" % (rest, actual, expected))
        elif word == "unchanged":
            with open(os.path.join(run.card, rest), "rb") as found:
                if found.read() != run.before[rest]:
                    problems.append(where + "%s changed" % rest)
        elif word == "absent":
            if os.path.lexists(os.path.join(run.card, rest)):
                problems.append(where + "%s exists, expected none" % rest)
        elif word not in ("args", "keys", "tool", "pad", "touch", "fsize", "aslimit", "png"):
            problems.append(where + "unknown directive %r" % word)
    if expected_pictures is not None:
        names = os.listdir(run.frames) if os.path.isdir(run.frames) else []
        actual = {name: read_png(os.path.join(run.frames, name), pixels=False)[:2]
                  for name in names if name.endswith(".png")}
        if actual != expected_pictures:
            problems.append("pictures differ:\n  got:      %r\n  expected: %r"
                            % (sorted(actual.items()), sorted(expected_pictures.items())))
    if run.status != status:
        problems.append("exit status %d, expected %d" % (run.status, status))
    if expected_diagnostics is not None:
        actual = [line for line in run.err.splitlines() if DIAGNOSTIC.match(line)]
        if actual != expected_diagnostics:
            problems.append("diagnostics differ:\n  got:      %r\n  expected: %r"
                            % (actual, expected_diagnostics))
    actual_out = run.out.splitlines()
    if actual_out != expected_out or (run.out and not run.out.endswith("\n")):
        problems.append("standard output differs:\n  got:      %r\n  expected: %r"
                        % (actual_out, expected_out))
    # A mismatch of a later run as a whole says which run it was.
    return [problem if problem[0].isdigit() else run.name + problem for problem in problems]


def check_glyphs(run, frame, x, y, colour, ground, text):
    """Text drawn at (x, y) of frame in colour over a ground of one colour: each glyph cut from
    the card's font picture, its coverage a mixing each 5-bit channel as
    ((255 - a) * ground + a * colour) / 255."""
    found = run.frame(frame)
    if not found:
        return ["no frame %s" % frame]
    if not run.glyphs:
        run.glyphs = font_glyphs(os.path.join(run.card, "Tarvo", "ARIALN.TTF_0_12_255_255_255.png"))
    (data, width), glyphs = found, run.glyphs
    pen, colour, ground = x, screen_colour(colour), screen_colour(ground)
    def mix(a):
        return sum(((255 - a) * (ground >> s & 31) + a * (colour >> s & 31)) // 255 << s
                   for s in (0, 6, 11))
    for character in text:
        if character == " ":
            pen += 3
            continue
        if character not in glyphs:
            return ["the font picture has no glyph for %r" % character]
        for j, row in enumerate(glyphs[character]):
            for k, a in enumerate(row):
                if 0 <= pen + k < WIDTH and 0 <= y + j < HEIGHT:
                    offset = 2 * ((y + j) * width + pen + k)
                    if data[offset] | data[offset + 1] << 8 != mix(a):
                        return ["frame %s: %r at (%d, %d) is not its glyph"
                                % (frame, character, pen, y)]
        pen += len(glyphs[character][0])
    return []


def update_digests(run, case_file, number):
    """Rewrites the digest lines of run number (from 1) with its frames."""
    with open(case_file, encoding="utf-8") as case:
        lines = case.read().splitlines()
    current = 1
    for i, line in enumerate(lines):
        current += line.startswith("again")
        if line.startswith("digest ") and current == number:
            frame = line.split()[1]
            data = (run.frame(frame) or (b"",))[0]
            lines[i] = "digest %s %s" % (frame, hashlib.sha256(data).hexdigest())
    with open(case_file, "w", encoding="utf-8") as case:
        case.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--headless", required=True, help="the tarvo-headless program")
    parser.add_argument("--lint", help="the tarvo-lint program, for cases that say tool lint")
    parser.add_argument("--emulator", default="",
                        help="the command that runs the programs (qemu for the GP2X build)")
    parser.add_argument("--update", action="store_true", help="rewrite the digest lines")
    parser.add_argument("--no-aslimit", action="store_true",
                        help="ignore aslimit lines (a sanitizer build maps terabytes at start)")
    parser.add_argument("case", help="the case folder")
    options = parser.parse_args()
    case_dir = os.path.abspath(options.case)
    case_file = os.path.join(case_dir, "case")
    directives = read_case(case_file)
    work = tempfile.mkdtemp(prefix="tarvo-case-")
    programs = {"headless": os.path.abspath(options.headless),
                "lint": os.path.abspath(options.lint) if options.lint else "tarvo-lint",
                "emulator": options.emulator.split(), "no_aslimit": options.no_aslimit}
    # Each run is checked before the next one changes the card.
    runs, problems = [], []
    for number, part in enumerate(split_runs(directives), 1):
        runs.append(Run(programs, case_dir, part, work, number))
        if options.update:
            update_digests(runs[-1], case_file, number)
            part = split_runs(read_case(case_file))[number - 1]
        problems += check(runs[-1], case_dir, part)
    if not problems and not options.update:
        shutil.rmtree(work)
        return 0
    for problem in problems:
        # "CASE:LINE: what" for a directive's mismatch, "CASE: what" for the run as a whole.
        print("%s:%s" % (case_file, problem if problem[0].isdigit() else " " + problem))
    for run in runs:
        if run.err:
            print("standard error of the %s:\n" % (run.name[:-2] or "run") + run.err)
    print("the run's card and frames (PNG) are kept in " + work)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
