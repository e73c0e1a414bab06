#!/usr/bin/env python3
"""Writes a card folder as a zip file, the way the studio in the browser opens a card.

    zip-card.py FOLDER ZIP

Entries are the card's files below FOLDER ("Tarvo/Tarvo.cfg", ...), sorted, each with its bytes
as they are (deflated) and a fixed date, so that the same card always gives the same zip.
Links are refused: a card's zip holds files only.
"""
import os
import sys
import zipfile


def main(argv):
    if len(argv) != 3:
        print("usage: zip-card.py FOLDER ZIP", file=sys.stderr)
        return 2
    folder, target = argv[1], argv[2]
    paths = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in files:
            path = os.path.join(root, name)
            if os.path.islink(path):
                print(f"zip-card.py: {path} is a link; a card's zip holds files only",
                      file=sys.stderr)
                return 1
            paths.append(path)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
        for path in sorted(paths):
            entry = zipfile.ZipInfo(os.path.relpath(path, folder).replace(os.sep, "/"),
                                    date_time=(2026, 1, 1, 0, 0, 0))
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o100644 << 16
            with open(path, "rb") as source:
                archive.writestr(entry, source.read())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
