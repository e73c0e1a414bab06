#!/usr/bin/env python3
"""Peak memory of the launcher on hostile SD cards: every card is built in a scratch folder, one
tarvo-headless runs on it (--sd CARD --keys KEYS --no-exec), and one line says the card's name,
the run's peak RSS in KiB, its exit status and how many diagnostics it printed. A card within the
launcher's limits should stay well under 32 MiB (32768 KiB): the handheld has 64 MiB for
everything. Run by hand; it takes a minute or two.

    bench/hostile-cards.py PROGRAM [--only NAME] [--keep]

PROGRAM is a host tarvo-headless (build/host/frontends/tarvo-headless); --only runs one card;
--keep leaves the scratch folder (its path is printed) for a closer look.

The cards (the limits are the README's):
  demo               the demo card (sdcard/), for comparison
  cwd-descriptor     a folder 3,775 bytes deep holding a 500 KB folder descriptor of
                     DIRECTORY=%cwd%%cwd%...; the list enters it
  many-variables     20,000 variables in Tarvo.cfg and 20,000 VARIABLE lines in the skin (names
                     built to collide in the names' index once cost 4.8G instructions; the index
                     is seeded now, so ordinary names show what such a card costs)
  picture-spellings  one PNG of 2048x2048 (15 KiB of file) named 128 ways ("//" runs) by the 64
                     elements of a page
  lists              64 lists of a folder of 70,000 files with 60-byte names
  cfg-values         a 4 MiB Tarvo.cfg of 65,535-value lines
  skin-values        a 4 MiB skin of VARIABLE lines of 65,535 values
  resume-lines       a resume file of 200 LIST lines, all for the lists of the 70,000-file folder
  off-card           "../" at the card's root, and a start folder "/mnt/sd/../"
  preview-names      a list in a folder 3,775 bytes deep, and a preview of 16,000 pictures, all
                     "%P0%" (the entry's whole path)
  action-words       the same list, whose action has 32,000 words "%P0%"
  skin-expansion     a skin that makes a 64 KiB value and copies it under 400 names
  element-arguments  63 elements whose TYPE lines give 65,535 empty arguments each
  element-texts      the same with one-byte arguments ("a,a,a,..."): 2 million texts
  skin-lines         131,060 short VARIABLE lines, as many as a file may have
  skin-worst         a 64 KiB value kept by an ACTION of element after element until the expansion
                     budget runs out, then VARIABLE lines up to the line limit
  cfg-and-skin       Tarvo.cfg at its stored-values limit with skin-worst as the skin
  failed-skin        the same, Tarvo.cfg choosing a skin of variables alone, which fails and
                     leaves its variables behind before the fallback skin is read
  everything         all limits at once: Tarvo.cfg at its stored values, a failed skin at its
                     stored values, then a skin at its stored values, its expansion budget and
                     the elements' arguments, showing a 2048x2048 picture (the pictures' total),
                     62 lists of the 70,000-file folder (the lists' total) and a preview of 2 MiB
                     (the previews' total), with a resume file of 200 LIST lines
"""
import argparse
import os
import re
import resource
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAX_FILE_BYTES = 4 * 1024 * 1024
MAX_FILE_LINES = 131072
DIAGNOSTIC = re.compile(r"^[^ ].*?:(\d+:)? (warning|error): ")
START = "- 1\n"


def write(path, data, mode="w"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, mode) as f:
        f.write(data)


def skin(card, text, name="concept"):
    write(os.path.join(card, "Tarvo/skins", name, "Tarvo.skin"), text)


def config(card, text):
    write(os.path.join(card, "Tarvo/Tarvo.cfg"), text)


def fill(line_of, limit=MAX_FILE_BYTES, count=MAX_FILE_LINES):
    """line_of(0), line_of(1), ... while they fit limit bytes, at most count of them."""
    out, size, i = [], 0, 0
    while len(out) < count:
        line = line_of(i) + "\n"
        if size + len(line) > limit:
            break
        out.append(line)
        size += len(line)
        i += 1
    return "".join(out)


def png(path, width, height, rgb):
    """A PNG of one colour, 8-bit RGB: a 2048x2048 one compresses to some 16 KiB."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    row = b"\0" + bytes(rgb) * width
    pixels = zlib.compress(row * height, 9)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    write(path, b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) +
          chunk(b"IEND", b""), "wb")


def game(i):
    """The 60-byte name of file i of the big folder: 65,536 of them reach the lists' 4 MiB of
    names as they reach their 65,536 entries."""
    name = "game-%06d-" % i
    return name + "x" * (60 - len(name) - 4) + ".gpe"


def big_folder(card):
    """games/, 70,000 empty files."""
    folder = os.path.join(card, "games")
    os.makedirs(folder)
    for i in range(70000):
        os.close(os.open(os.path.join(folder, game(i)), os.O_CREAT | os.O_WRONLY, 0o644))
    return "/mnt/sd/games/"


def list_page(first, last, folder):
    return "".join("BUTTON=%d\nTYPE=selector,0,0,319,239\nOPTIONS=startdir,%s\n" % (i, folder)
                   for i in range(first, last))


# A value of 64 KiB: "0123456789abcdef" four times over, six times.
BIG_VALUE = "VARIABLE=a,0123456789abcdef\n" + "VARIABLE=a,%a%%a%%a%%a%\n" * 6
COMMAS = "," * 65535


def stored_values(name):
    """16,400 variables name00000, name00001, ... of one 58-byte value each: past the 32,768
    values (a name counting as one) and 1 MiB that a file's variables may hold together, and a
    variable for every two values, the costliest way to hold them. A name ending in "=" makes
    configuration lines (K00000=...), any other VARIABLE lines."""
    value = "v" * 58
    if name.endswith("="):
        return "".join("%s%05d=%s\n" % (name[:-1], i, value) for i in range(16400))
    return "".join("VARIABLE=%s%05d,%s\n" % (name, i, value) for i in range(16400))


def kept_expansions(pages):
    """An ACTION that keeps the 64 KiB value, on every element of pages 1 to pages: 64 of them
    are the 4 MiB that a reading's expansions may add, and more of them lie past it."""
    lines = []
    for page in range(1, pages + 1):
        lines.append("PAGE=%d\nBACKGROUND=color,00FF00\n" % page)
        for element in range(64):
            lines.append("BUTTON=%d\nTYPE=text,0,0,FFFFFF,FFFFFF,x\nACTION=exec,%%a%%\n" %
                         element)
    return "".join(lines)


def element_texts(page, size, count=32760):
    """TYPE lines of count one-byte arguments on page's elements, up to size bytes."""
    arguments = ",".join(["a"] * count)
    return "PAGE=%d\n" % page + fill(
        lambda i: "BUTTON=%d\nTYPE=text,0,0,FFFFFF,FFFFFF,x,%s" % (i % 64, arguments), size)


def card_demo(card):
    shutil.rmtree(card)
    shutil.copytree(os.path.join(SOURCE, "sdcard"), card, symlinks=True)
    for leftover in ("Tarvo/Tarvo.log", "Tarvo/Tarvo.resume"):
        if os.path.exists(os.path.join(card, leftover)):
            os.remove(os.path.join(card, leftover))
    return START


# 14 names of 255 bytes and one of 190, each with its "/": 3,775 bytes below the card.
DEEP = ["d%02d" % i + "d" * 252 for i in range(14)] + ["e" * 190]


def card_cwd_descriptor(card):
    write(os.path.join(card, *DEEP, "Tarvo.dat"),
          "FILTER=.gpe\nDIRECTORY=" + "%cwd%" * 100000 + "\n")
    skin(card, "PAGE=0\nBACKGROUND=color,000080\nBUTTON=0\nTYPE=selector,0,0,319,239\n"
         "OPTIONS=startdir,/mnt/sd/%s/\n" % "/".join(DEEP[:-1]))
    # The list shows "../" and the deepest folder: down to it, and in.
    return START + "DOWN 1\n- 1\nB 1\n- 1\n"


def deep_list(card):
    """Element 0 lists a folder 3,775 bytes deep, where its one entry is a 3,785-byte path."""
    write(os.path.join(card, *DEEP, "a.gpe"), "")
    return ("PAGE=0\nBACKGROUND=color,000080\nBUTTON=0\nTYPE=selector,0,0,319,239\n"
            "OPTIONS=startdir,/mnt/sd/%s/\n" % "/".join(DEEP))


def card_preview_names(card):
    # A preview of 16,000 pictures, all "%P0%": every name the entry's whole path. (The pages
    # keep 32,768 arguments, a preview's pictures counting twice.)
    skin(card, deep_list(card) + "BUTTON=1\nTYPE=preview,0,0,10,10,%s\n" %
         ",".join(["%P0%"] * 16000))
    return START


def card_action_words(card):
    # B on the list's entry: an action of 32,000 words, all "%P0%".
    skin(card, deep_list(card) + "ACTION=exec,%s\n" % ",".join(["%P0%"] * 32000))
    return START + "DOWN 1\n- 1\nB 1\n- 1\n"


def card_many_variables(card):
    config(card, "".join("K%d=%d\n" % (i, i) for i in range(20000)))
    skin(card, "".join("VARIABLE=v%05d,%d\n" % (i, i) for i in range(20000)) +
         "PAGE=0\nBACKGROUND=color,00FF00\n")
    return START


def card_picture_spellings(card):
    png(os.path.join(card, "pic/red.png"), 2048, 2048, (255, 0, 0))
    lines = ["PAGE=0\nBACKGROUND=color,000080\n"]
    for i in range(64):
        lines.append("BUTTON=%d\nTYPE=image,0,0,/mnt/sd/pic%sred.png,/mnt/sd/pic%sred.png\n" %
                     (i, "/" * (2 * i + 1), "/" * (2 * i + 2)))
    skin(card, "".join(lines))
    return START


def card_lists(card):
    folder = big_folder(card)
    skin(card, "PAGE=0\nBACKGROUND=color,000080\n" + list_page(0, 64, folder))
    return START


def card_cfg_values(card):
    config(card, fill(lambda i: "K%d=%s" % (i, COMMAS)))
    skin(card, "PAGE=0\nBACKGROUND=color,00FF00\n")
    return START


def card_skin_values(card):
    head = "PAGE=0\nBACKGROUND=color,00FF00\n"
    skin(card, head + fill(lambda i: "VARIABLE=v%d%s" % (i, COMMAS), MAX_FILE_BYTES - len(head)))
    return START


def resume_lines(card, elements, selected=0):
    lines = ["SKIN=concept\nPAGE=0\nSELECTED=%d\n" % selected]
    for i in range(200):
        lines.append("LIST=%d,/mnt/sd/games/,%s\n" % (i % elements, game(69999 - i)))
    write(os.path.join(card, "Tarvo/Tarvo.resume"), "".join(lines))


def card_resume_lines(card):
    folder = big_folder(card)
    config(card, "SKIN=concept\nRESUME=1\n")
    skin(card, "PAGE=0\nBACKGROUND=color,000080\n" + list_page(0, 64, folder))
    resume_lines(card, 64)
    return START


def card_off_card(card):
    write(os.path.join(card, "games/a.gpe"), "")
    skin(card, "PAGE=0\nBACKGROUND=color,000080\nBUTTON=0\nTYPE=selector,0,0,159,239\n"
         "OPTIONS=startdir,/mnt/sd/\nBUTTON=1\nTYPE=selector,160,0,319,239\n"
         "OPTIONS=startdir,/mnt/sd/../\n")
    return START + "B 1\n- 1\nB 1\n- 1\n"


def card_skin_expansion(card):
    skin(card, "PAGE=0\nBACKGROUND=color,00FF00\n" + BIG_VALUE +
         "".join("VARIABLE=x%d,%%a%%\n" % i for i in range(400)))
    return START


def card_element_arguments(card):
    skin(card, "PAGE=0\nBACKGROUND=color,00FF00\n" +
         "".join("BUTTON=%d\nTYPE=text,0,0,FFFFFF,FFFFFF,x%s\n" % (i, "," * 65530)
                 for i in range(63)))
    return START


def card_element_texts(card):
    skin(card, "PAGE=0\nBACKGROUND=color,00FF00\n" + element_texts(1, MAX_FILE_BYTES - 100))
    return START


def card_skin_lines(card):
    skin(card, "PAGE=0\nBACKGROUND=color,00FF00\n" +
         "".join("VARIABLE=v%d,%d\n" % (i, i) for i in range(131060)))
    return START


def worst_skin(pages=5):
    text = BIG_VALUE + "PAGE=0\nBACKGROUND=color,00FF00\n" + kept_expansions(pages)
    lines = text.count("\n")
    return text + fill(lambda i: "VARIABLE=v%d,%d" % (i, i), MAX_FILE_BYTES - len(text),
                       MAX_FILE_LINES - lines - 1)


def card_skin_worst(card):
    skin(card, worst_skin())
    return START


def card_cfg_and_skin(card):
    config(card, "SKIN=concept\n" + stored_values("K="))
    skin(card, worst_skin())
    return START


def card_failed_skin(card):
    config(card, "SKIN=x\n" + stored_values("K="))
    skin(card, BIG_VALUE + stored_values("x") +
         "".join("VARIABLE=y%d,%%a%%\n" % i for i in range(240)), "x")
    skin(card, worst_skin())
    return START


def card_everything(card):
    folder = big_folder(card)
    png(os.path.join(card, "pic/big.png"), 2048, 2048, (255, 0, 0))
    # What the preview shows when no entry has a picture: 836x836 decodes to 2 MiB.
    png(os.path.join(card, "pic/preview.png"), 836, 836, (0, 0, 255))
    config(card, "SKIN=x\nRESUME=1\n" + stored_values("K="))
    # A skin of variables alone: no page has anything, so it fails and the fallback is read.
    skin(card, BIG_VALUE + stored_values("x") +
         "".join("VARIABLE=y%d,%%a%%\n" % i for i in range(240)), "x")
    shown = ("PAGE=0\nBACKGROUND=color,000080\nBUTTON=0\n"
             "TYPE=image,0,0,/mnt/sd/pic/big.png\nBUTTON=1\n"
             "TYPE=preview,0,0,320,240,%P2%.png,/mnt/sd/pic/preview.png\n" +
             list_page(2, 64, folder))
    head = BIG_VALUE + stored_values("c") + shown + kept_expansions(5)
    # Lines of 4,000 arguments fill what the pages keep to within 4,000 of the bound.
    skin(card, head + element_texts(100, MAX_FILE_BYTES - len(head) - 100, 4000))
    resume_lines(card, 64, selected=2)
    return START + "DOWN 1\n- 1\nDOWN 1\n- 1\n"


CARDS = [
    ("demo", card_demo),
    ("cwd-descriptor", card_cwd_descriptor),
    ("many-variables", card_many_variables),
    ("picture-spellings", card_picture_spellings),
    ("lists", card_lists),
    ("cfg-values", card_cfg_values),
    ("skin-values", card_skin_values),
    ("resume-lines", card_resume_lines),
    ("off-card", card_off_card),
    ("preview-names", card_preview_names),
    ("action-words", card_action_words),
    ("skin-expansion", card_skin_expansion),
    ("element-arguments", card_element_arguments),
    ("element-texts", card_element_texts),
    ("skin-lines", card_skin_lines),
    ("skin-worst", card_skin_worst),
    ("cfg-and-skin", card_cfg_and_skin),
    ("failed-skin", card_failed_skin),
    ("everything", card_everything),
]


# A run may map at most this much: a card that would take more ends the run at a failed
# allocation (a status that is not 0) instead of taking the machine's memory.
ADDRESS_SPACE = 1 << 30

# One run, in a fresh small interpreter: the children's peak RSS is the largest of all the
# children a process has waited for, and a child's figure also counts what its parent held when
# it was forked (a vforked one, the most the parent ever held), so the run is forked, alone, from
# a process that never held much (some 5 MB counts; the launcher alone takes more).
RUN = """
import os, resource, sys
ADDRESS_SPACE = %d
program, card, keys, errors = sys.argv[1:]
run = os.fork()
if run == 0:
    resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_SPACE, ADDRESS_SPACE))
    os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
    os.dup2(os.open(errors, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644), 2)
    os.execv(program, [program, "--sd", card, "--keys", keys, "--no-exec"])
status = os.waitstatus_to_exitcode(os.waitpid(run, 0)[1])
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, status)
""" % ADDRESS_SPACE


def measure(program, card, keys):
    """(peak RSS in KiB, exit status, diagnostics) of one run of program on card."""
    errors = card + ".errors"
    answer = subprocess.run([sys.executable, "-S", "-c", RUN, program, card, keys, errors],
                            check=True, stdout=subprocess.PIPE).stdout.split()
    with open(errors, errors="replace") as text:
        diagnostics = sum(1 for line in text if DIAGNOSTIC.match(line))
    return int(answer[0]), int(answer[1]), diagnostics


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program")
    parser.add_argument("--only", metavar="NAME", choices=[name for name, _ in CARDS])
    parser.add_argument("--keep", action="store_true")
    options = parser.parse_args()
    program = os.path.abspath(options.program)
    scratch = tempfile.mkdtemp(prefix="hostile-")
    try:
        print("%-18s %10s %6s %11s" % ("card", "peak KiB", "status", "diagnostics"))
        for name, builder in CARDS:
            if options.only and name != options.only:
                continue
            card = os.path.join(scratch, name)
            keys = os.path.join(scratch, name + ".keys")
            os.makedirs(card)
            write(keys, builder(card))
            peak, status, diagnostics = measure(program, card, keys)
            print("%-18s %10d %6d %11d" % (name, peak, status, diagnostics), flush=True)
    finally:
        if options.keep:
            print("cards kept in", scratch)
        else:
            shutil.rmtree(scratch)


if __name__ == "__main__":
    main()
