#!/usr/bin/env python3
"""Checks the zip scripts/package packs from a built launcher.   Usage: check_package.py TARVO

As a user's card, the zip holds Tarvo.gpe, executable: TARVO stripped (a static ARM program with
TARVO's segments, no symbol table; check_binary.py checks TARVO's code), the files git tracks in
sdcard/Tarvo/ unchanged, none that a run leaves, and the licences. Two packings are the same bytes.
"""
import os, struct, subprocess, sys, tempfile, zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
LICENCES = "README.txt libpng.txt zlib.txt newlib.txt gcc.txt GPL-2.txt GPL-3.txt".split()
RUN_LEFTOVERS = {"Tarvo.log", "Tarvo.resume", "Tarvo.newcfg", "Tarvo.newresume"}


def elf_summary(elf):
    """(type, machine), entry, program headers and section types of a 32-bit little-endian ELF."""
    if elf[:6] != b"\x7fELF\x01\x01":
        return None
    kind, machine, _, entry, phoff, shoff = struct.unpack_from("<HHIIII", elf, 16)
    phsize, phnum, shsize, shnum = struct.unpack_from("<HHHH", elf, 42)
    headers = [struct.unpack_from("<8I", elf, phoff + i * phsize) for i in range(phnum)]
    sections = [struct.unpack_from("<2I", elf, shoff + i * shsize)[1] for i in range(shnum)]
    return (kind, machine), entry, headers, sections


def check(launcher, folder):
    zips = [os.path.join(folder, name) for name in ("a.zip", "b.zip")]
    for path in zips:  # dated 1980-01-01 00:00 (UTC) by the variable, not by the clock
        subprocess.run([os.path.join(ROOT, "scripts", "package"), "--assemble", launcher, path],
                       check=True, stdout=subprocess.DEVNULL,
                       env=dict(os.environ, SOURCE_DATE_EPOCH="315532800"))
    archive = zipfile.ZipFile(zips[0])
    errors = ["%s is not dated 1980-01-01 00:00" % entry.filename for entry in archive.infolist()
              if entry.date_time != (1980, 1, 1, 0, 0, 0)][:1]
    if open(zips[0], "rb").read() != open(zips[1], "rb").read():
        errors.append("packing twice gives two different zips")
    entries = {entry.filename: entry for entry in archive.infolist() if not entry.is_dir()}
    tracked = subprocess.run(["git", "ls-files", "-z", "sdcard/Tarvo"], cwd=ROOT, check=True,
                             capture_output=True).stdout.decode().split("\0")
    card = {name[len("sdcard/"):] for name in tracked if name}
    wanted = card | {"Tarvo.gpe"} | {"Tarvo/licences/" + name for name in LICENCES}
    errors += ["%s is missing" % name for name in sorted(wanted - entries.keys())]
    errors += ["%s is not part of the release" % name for name in sorted(entries.keys() - wanted)]
    for name in sorted(entries.keys() & wanted):
        data = archive.read(name)
        if not data or os.path.basename(name) in RUN_LEFTOVERS:
            errors.append("%s is empty or left over from a run" % name)
        if name in card and data != open(os.path.join(ROOT, "sdcard", name), "rb").read():
            errors.append("%s differs from sdcard/%s" % (name, name))
    if "Tarvo.gpe" not in entries:
        return errors
    entry = entries["Tarvo.gpe"]
    if entry.create_system != 3 or (entry.external_attr >> 16) & 0o111 != 0o111:
        errors.append("Tarvo.gpe is not executable in the zip's Unix mode")
    elf = elf_summary(archive.read("Tarvo.gpe"))
    if not elf or elf[0] != (2, 40):  # ET_EXEC, EM_ARM
        errors.append("Tarvo.gpe is not a 32-bit little-endian ARM executable")
    elif any(header[0] in (2, 3) for header in elf[2]):  # PT_DYNAMIC, PT_INTERP
        errors.append("Tarvo.gpe is not static: it has a dynamic section or an interpreter")
    elif elf[1:3] != elf_summary(open(launcher, "rb").read())[1:3]:
        errors.append("Tarvo.gpe's entry or segments are not those of %s" % launcher)
    elif 2 in elf[3]:  # SHT_SYMTAB
        errors.append("Tarvo.gpe is not stripped: it has a symbol table")
    return errors


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check_package.py TARVO")
    with tempfile.TemporaryDirectory() as folder:
        errors = check(os.path.abspath(sys.argv[1]), folder)
    print("".join("check_package.py: error: %s\n" % error for error in errors), end="",
          file=sys.stderr)
    sys.exit(1 if errors else 0)
