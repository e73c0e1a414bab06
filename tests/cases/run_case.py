#!/usr/bin/env python3
"""Plays one case folder through tarvo-headless and compares what the run gives with what the
case expects. The format of a case folder is in tests/cases/README.md.

    run_case.py --headless PROGRAM [--lint PROGRAM] [--update] CASEDIR

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
import sys
import tempfile

WIDTH, HEIGHT = 320, 240
# A diagnostic line in the compilers' format: PATH:LINE: warning: ... (or PATH: error: ...).
DIAGNOSTIC = re.compile(r"^[^ ].*?:(\d+:)? (warning|error): ")


def screen_colour(text):
    """A skin colour RRGGBB in the screen format: five bits a channel, bit 5 clear."""
    r, g, b = int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16)
    return (r & 0xF8) << 8 | (g & 0xF8) << 3 | b >> 3


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


class Run:
    def __init__(self, programs, case_dir, directives, work):
        self.card = os.path.join(work, "card")
        self.frames = os.path.join(work, "frames")
        source = os.path.join(case_dir, "card")
        if os.path.isdir(source):
            shutil.copytree(source, self.card, symlinks=True)
        else:
            os.mkdir(self.card)
        keys = [rest for _, word, rest in directives if word == "keys"] or ["- 1"]
        with open(os.path.join(work, "keys"), "w", encoding="utf-8") as script:
            script.write("\n".join(keys) + "\n")
        extra = []
        tool = "headless"
        file_size_limit = None
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
            elif word == "fsize":
                file_size_limit = int(rest)
            elif word == "unchanged":
                with open(os.path.join(self.card, rest), "rb") as kept:
                    self.before[rest] = kept.read()
        if tool == "lint":
            command = [programs["lint"], "--sd", self.card] + extra
        else:
            command = [programs["headless"], "--sd", self.card, "--keys",
                       os.path.join(work, "keys"), "--frames", self.frames, "--raw"] + extra
        def limit_file_size():
            # Writes past the limit fail with EFBIG instead of ending the program.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))

        done = subprocess.run(command, cwd=work, capture_output=True, timeout=120,
                              preexec_fn=limit_file_size if file_size_limit else None)
        self.status = done.returncode
        self.out = done.stdout.decode("utf-8", "surrogateescape")
        self.err = done.stderr.decode("utf-8", "surrogateescape")

    def substitute(self, text):
        return text.replace("$CARD", self.card)

    def frame(self, number):
        path = os.path.join(self.frames, "frame-%04d.rgb565" % number)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as raw:
            return raw.read()

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
        elif word == "pixel":
            frame, x, y = int(fields[0]), int(fields[1]), int(fields[2])
            data = run.frame(frame)
            if data is None:
                problems.append(where + "no frame %d" % frame)
                continue
            offset = 2 * (y * WIDTH + x)
            value = data[offset] | data[offset + 1] << 8
            if value != screen_colour(fields[3]):
                problems.append(where + "frame %d pixel (%d, %d) is %04X, expected %04X (%s)"
                                % (frame, x, y, value, screen_colour(fields[3]), fields[3]))
        elif word == "digest":
            data = run.frame(int(fields[0]))
            actual = hashlib.sha256(data).hexdigest() if data is not None else "none"
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
        elif word not in ("args", "keys", "tool", "pad", "fsize"):
            problems.append(where + "unknown directive %r" % word)
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
    return problems


def update_digests(run, case_file):
    with open(case_file, encoding="utf-8") as case:
        lines = case.read().splitlines()
    for i, line in enumerate(lines):
        if line.startswith("digest "):
            frame = int(line.split()[1])
            data = run.frame(frame)
            lines[i] = "digest %d %s" % (frame, hashlib.sha256(data or b"").hexdigest())
    with open(case_file, "w", encoding="utf-8") as case:
        case.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--headless", required=True, help="the tarvo-headless program")
    parser.add_argument("--lint", help="the tarvo-lint program, for cases that say tool lint")
    parser.add_argument("--update", action="store_true", help="rewrite the digest lines")
    parser.add_argument("case", help="the case folder")
    options = parser.parse_args()
    case_dir = os.path.abspath(options.case)
    case_file = os.path.join(case_dir, "case")
    directives = read_case(case_file)
    work = tempfile.mkdtemp(prefix="tarvo-case-")
    programs = {"headless": os.path.abspath(options.headless),
                "lint": os.path.abspath(options.lint) if options.lint else "tarvo-lint"}
    run = Run(programs, case_dir, directives, work)
    if options.update:
        update_digests(run, case_file)
        directives = read_case(case_file)
    problems = check(run, case_dir, directives)
    if not problems and not options.update:
        shutil.rmtree(work)
        return 0
    for problem in problems:
        # "CASE:LINE: what" for a directive's mismatch, "CASE: what" for the run as a whole.
        print("%s:%s" % (case_file, problem if problem[0].isdigit() else " " + problem))
    if run.err:
        print("standard error of the run:\n" + run.err)
    print("the run's card and frames (PNG) are kept in " + work)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
