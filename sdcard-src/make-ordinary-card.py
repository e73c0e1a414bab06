"""Writes the ordinary-pictures card: a copy of the demo card with every picture re-saved the way
common image tools save one (adaptive row filters, zlib's default level, 8 KiB data chunks), on
which the launcher's start-up is measured beside the demo card's own, decoded cheapest.

    python3 sdcard-src/make-ordinary-card.py [CARD [OUT]]   (default: sdcard/, bench/ordinary-card/)
"""
import os
import shutil
import sys

import pngfile

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    card = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "sdcard")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "bench", "ordinary-card")
    shutil.rmtree(out, ignore_errors=True)
    shutil.copytree(card, out, symlinks=True)
    for folder, _, names in os.walk(out):
        for name in sorted(names):
            path = os.path.join(folder, name)
            if name.lower().endswith(".png") and not os.path.islink(path):
                pngfile.write_ordinary(path, *pngfile.read(path))
    print("Ordinary-pictures card written to " + os.path.normpath(out))


if __name__ == "__main__":
    main()
