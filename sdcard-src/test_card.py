"""Checks of the demo card (sdcard/) that the launcher itself cannot make: every move and page
a skin names exists, texts fit on the screen, the lists line up with their cursor bars, the
settings write values the launcher accepts, the demo programs run, the descriptors find their
ROMs, and the committed pictures are what the generator draws.

    python3 -m unittest discover -s sdcard-src
"""
import glob
import os
import shutil
import stat
import subprocess
import tempfile
import unittest

import pictures
import pngfile

HERE = os.path.dirname(os.path.abspath(__file__))
CARD = os.path.normpath(os.path.join(HERE, "..", "sdcard"))
BASE = os.path.join(CARD, "Tarvo")
FONT = os.path.join(BASE, "ARIALN.TTF_0_12_255_255_255.png")
SKINS = sorted(os.path.basename(os.path.dirname(p))
               for p in glob.glob(os.path.join(BASE, "skins", "*", "Tarvo.skin")))


def read_lines(path):
    """(KEYWORD, [arguments]) for every line of a launcher text file, as the launcher splits
    them: comments skipped, keyword upper-cased, arguments split at commas outside quotes."""
    with open(path, "rb") as f:
        text = f.read().split(b"\0")[0].decode("latin-1").replace("\r", "")
    result = []
    for line in text.split("\n"):
        line = line.strip(" \t")
        if not line or line.startswith("//") or line.find("=") < 1:
            continue
        keyword, rest = line.split("=", 1)
        arguments, current, quoted = [], "", False
        for c in rest:
            if c == '"':
                quoted = not quoted
            elif c == "," and not quoted:
                arguments.append(current)
                current = ""
            else:
                current += c
        arguments.append(current)
        result.append((keyword.upper(), arguments))
    return result


def expand(text, variables):
    """%name% references, as the launcher expands skin arguments (no indexed forms needed)."""
    result, name, inside = "", "", False
    for c in text:
        if c == "%":
            if inside:
                if not name:
                    result += "%"
                elif name in variables:
                    result += ",".join(variables[name])
                else:
                    result += "%" + name + "%"
                name = ""
            inside = not inside
        elif inside:
            name += c
        else:
            result += c
    return result


def configuration():
    return {keyword: arguments for keyword, arguments in read_lines(os.path.join(BASE, "Tarvo.cfg"))}


def load_skin(skin):
    """The skin's pages: {page: {"return": words, "buttons": {n: {KEYWORD: arguments}}}}, with
    every argument expanded as the launcher does when it reads the skin."""
    variables = configuration()
    variables["basedir"] = ["/mnt/sd/Tarvo/"]
    variables["version"] = ["Tarvo 0.4"]
    variables["skindir"] = ["/mnt/sd/Tarvo/skins/%s/" % skin]
    pages, page, button = {}, None, None
    for keyword, arguments in read_lines(os.path.join(BASE, "skins", skin, "Tarvo.skin")):
        arguments = [expand(a, variables) for a in arguments]
        if keyword == "PAGE" and len(arguments) == 1:
            page = pages.setdefault(int(arguments[0]), {"return": [], "buttons": {}})
            button = None
        elif keyword == "VARIABLE" and len(arguments) >= 2:
            variables[arguments[0]] = arguments[1:]
        elif keyword == "STARTPAGE":
            pass
        elif page is None:
            raise AssertionError("%s: %s before the first PAGE" % (skin, keyword))
        elif keyword == "RETURN":
            page["return"] = arguments
        elif keyword == "BUTTON":
            button = page["buttons"].setdefault(int(arguments[0]), {})
        elif button is not None:
            button[keyword] = arguments
    return pages


def on_card(path):
    assert path.startswith("/mnt/sd/"), path
    return os.path.join(CARD, path[len("/mnt/sd/"):])


class Font:
    """Glyph widths and height from the font picture, read as the launcher reads it."""

    def __init__(self, path):
        width, height, channels, rows = pngfile.read(path)
        self.height = height - 1

        def level(x):
            return sum(rows[0][x * channels:x * channels + 3]) // 3

        self.widths = {}
        cursor, start = 0, 1
        for code in range(33, 127):
            if cursor < width:
                cursor += 1
            while cursor < width and level(cursor) <= 128:
                cursor += 1
            self.widths[code] = cursor - start
            start = cursor

    def width(self, text):
        total, last = 0, 0
        for c in text.encode("latin-1"):
            if 33 <= c <= 126:
                last = self.widths[c]
            elif c == 32:
                last = 3
            total += last
        return total


class DemoCardTest(unittest.TestCase):
    def test_card_has_the_default_skin_and_another_to_switch_to(self):
        self.assertIn("concept", SKINS)
        self.assertGreaterEqual(len(SKINS), 2)
        self.assertEqual(configuration()["SKIN"], ["concept"])

    def test_every_selection_and_page_change_names_something_that_exists(self):
        for skin in SKINS:
            pages = load_skin(skin)
            self.assertIn(0, pages, skin)
            for number, page in pages.items():
                buttons = page["buttons"]
                self.assertIn(0, buttons, "%s page %d starts on element 0" % (skin, number))
                word_lists = [("RETURN", page["return"])]
                for index, button in buttons.items():
                    for target in button.get("NAVIGATION", []):
                        self.assertIn(int(target), set(buttons),
                                      "%s page %d element %d" % (skin, number, index))
                    for keyword in ("LEFT", "RIGHT", "UP", "DOWN", "ACTION"):
                        if keyword in button:
                            word_lists.append(("%d %s" % (index, keyword), button[keyword]))
                for where, words in word_lists:
                    where = "%s page %d %s" % (skin, number, where)
                    if words[:1] == ["select"]:
                        self.assertEqual(len(words), 2, where)
                        self.assertIn(int(words[1]), set(buttons), where)
                    elif words[:1] == ["page"]:
                        self.assertEqual(len(words), 2, where)
                        self.assertIn(int(words[1]), set(pages), where)
                    elif words[:1] == ["exec"]:
                        self.assertGreaterEqual(len(words), 3, where)

    def test_every_picture_named_is_on_the_card(self):
        for skin in SKINS:
            for number, page in load_skin(skin).items():
                for button in page["buttons"].values():
                    kind = button.get("TYPE", [""])
                    if kind[0] == "image":
                        for picture in kind[3:5]:
                            self.assertTrue(os.path.isfile(on_card(picture)), picture)

    def test_texts_fit_on_the_screen(self):
        if not os.path.isfile(FONT):
            self.skipTest("no font picture at " + FONT)
        font = Font(FONT)
        for skin in SKINS:
            for number, page in load_skin(skin).items():
                for index, button in page["buttons"].items():
                    kind = button.get("TYPE", [""])
                    if kind[0] != "text":
                        continue
                    # The widest battery reading the device can give.
                    text = kind[5].replace("%battery%", "65535")
                    x, y = int(kind[1]), int(kind[2])
                    where = "%s page %d element %d (%s)" % (skin, number, index, text)
                    self.assertLessEqual(x + font.width(text), 320, where)
                    self.assertLessEqual(y + font.height, 240, where)

    def test_lists_keep_their_cursor_row_on_the_mark_drawn_for_it(self):
        if not os.path.isfile(FONT):
            self.skipTest("no font picture at " + FONT)
        line_height = Font(FONT).height
        # The concept skin's list background has its bar behind the middle row.
        _, _, channels, rows = pngfile.read(os.path.join(BASE, "skins", "concept", "bg-list.png"))
        cursor_y = pictures.LIST_Y + (pictures.LIST_ROWS // 2) * line_height
        bar = rows[cursor_y + line_height // 2][160 * channels:160 * channels + 3]
        panel = rows[cursor_y - 3 * line_height][160 * channels:160 * channels + 3]
        self.assertGreater(sum(bar), sum(panel) + 60, "no bar on the cursor row")
        for skin in SKINS:
            for number, page in load_skin(skin).items():
                buttons = page["buttons"]
                for index, button in buttons.items():
                    kind = button.get("TYPE", [""])
                    if kind[0] != "selector":
                        continue
                    x, y, right, bottom = map(int, kind[1:5])
                    list_rows = (bottom - y) // line_height
                    row_top = y + (list_rows // 2) * line_height
                    where = "%s page %d" % (skin, number)
                    self.assertEqual(index, 0, where + ": descriptors refer to the list as %P0%")
                    if skin == "concept":
                        self.assertEqual((y, list_rows), (pictures.LIST_Y, pictures.LIST_ROWS),
                                         where)
                    else:
                        # Other skins mark the cursor row with a rectangle beside it.
                        marks = [b["TYPE"] for b in buttons.values()
                                 if b.get("TYPE", [""])[0] == "rect" and int(b["TYPE"][3]) < x]
                        self.assertTrue(marks, where)
                        for mark in marks:
                            self.assertGreaterEqual(int(mark[2]), row_top, where)
                            self.assertLess(int(mark[4]), row_top + line_height, where)

    def test_settings_write_values_the_launcher_accepts(self):
        def check(key, values, where):
            if key == "SKIN":
                # %0% and the like name the folder picked in a list of the skins.
                if not values[0].startswith("%"):
                    self.assertIn(values, [[s] for s in SKINS], where)
                return
            numbers = [int(v) for v in values]
            if key == "KEYBOARD_RATE":
                self.assertEqual(len(numbers), 2, where)
                self.assertTrue(0 <= numbers[0] <= 9999 and 1 <= numbers[1] <= 999, where)
            else:
                self.assertIn(key, ("SPEED_MENU", "SPEED_LOADING", "SPEED_LAUNCH"), where)
                self.assertEqual(len(numbers), 1, where)
                self.assertTrue(33 <= numbers[0] <= 320, where)

        for key, values in configuration().items():
            check(key, values, "Tarvo.cfg " + key)
        for skin in SKINS:
            keys = set()
            for number, page in load_skin(skin).items():
                for button in page["buttons"].values():
                    words = button.get("ACTION", [])
                    if words[:1] == ["config"]:
                        check(words[1], words[2:], "%s page %d" % (skin, number))
                        keys.add(words[1])
                        if words[1] == "SKIN":
                            keys.add("SKIN=" + words[2])
            self.assertTrue({"KEYBOARD_RATE", "SPEED_MENU", "SPEED_LAUNCH"} <= keys, skin)
            self.assertTrue({"SKIN=" + s for s in SKINS} <= keys, skin)

    def test_demo_programs_report_their_folder_and_arguments(self):
        programs = glob.glob(os.path.join(CARD, "**", "*.gpe"), recursive=True)
        self.assertGreaterEqual(len(programs), 5)
        for program in programs:
            self.assertTrue(os.stat(program).st_mode & stat.S_IXUSR, program)
            folder = os.path.dirname(program)
            run = subprocess.run([program, "first argument", "x,y"], cwd=folder,
                                 capture_output=True, text=True, timeout=10)
            self.assertEqual(run.returncode, 0, program)
            self.assertIn("working directory: " + os.path.realpath(folder), run.stdout, program)
            self.assertIn("argument 1: first argument\n", run.stdout, program)
            self.assertIn("argument 2: x,y\n", run.stdout, program)

    def test_descriptors_start_their_emulator_with_roms_they_list(self):
        descriptors = glob.glob(os.path.join(CARD, "**", "Tarvo.dat"), recursive=True)
        self.assertTrue(descriptors)
        for descriptor in descriptors:
            folder = os.path.dirname(descriptor) + "/"
            lines = dict(read_lines(descriptor))
            listed = lines.get("DIRECTORY", [folder])[0].replace("%cwd%", folder)
            names = os.listdir(listed)
            roms = [n for n in names for f in lines["FILTER"] if n.endswith(f)]
            self.assertTrue(roms, descriptor)
            # A folder inside the listing would be looked for below the descriptor's folder.
            self.assertFalse([n for n in names if os.path.isdir(os.path.join(listed, n))],
                             descriptor)
            action = [w.replace("%cwd%", folder) for w in lines["ACTION"]]
            self.assertEqual(action[0], "exec", descriptor)
            self.assertEqual(action[1], folder, descriptor)
            self.assertIn("%P0%", action, descriptor)
            program = os.path.join(action[1], action[2])
            self.assertTrue(os.access(program, os.X_OK), program)
            self.assertTrue(33 <= int(lines["SPEED"][0]) <= 320, descriptor)

    def test_backgrounds_hold_only_levels_the_screen_shows(self):
        for path in glob.glob(os.path.join(BASE, "skins", "*", "bg-*.png")):
            width, height, channels, rows = pngfile.read(path)
            self.assertEqual((width, height, channels), (320, 240, 3), path)
            for row in rows:
                for v in row:
                    # A five-bit level widened by bit replication: the low three bits repeat
                    # the top ones, so dropping them on the handheld loses nothing.
                    self.assertEqual(v & 7, v >> 5, path)

    def test_committed_pictures_are_what_the_generator_draws(self):
        if not shutil.which("rsvg-convert") or not os.path.isdir("/usr/share/icons/Tango"):
            self.skipTest("needs rsvg-convert (librsvg2-bin) and tango-icon-theme")
        with tempfile.TemporaryDirectory() as folder:
            copy = os.path.join(folder, "sdcard")
            shutil.copytree(CARD, copy)
            subprocess.run([os.path.join(HERE, "make-pictures.sh"), copy], check=True,
                           capture_output=True, timeout=600)
            drawn = sorted(glob.glob(os.path.join(copy, "Tarvo", "skins", "*", "*.png")))
            committed = sorted(glob.glob(os.path.join(BASE, "skins", "*", "*.png")))
            self.assertEqual([os.path.relpath(p, copy) for p in drawn],
                             [os.path.relpath(p, CARD) for p in committed])
            for a, b in zip(drawn, committed):
                with open(a, "rb") as fa, open(b, "rb") as fb:
                    self.assertEqual(fa.read(), fb.read(), "%s is out of date" % b)


if __name__ == "__main__":
    unittest.main()
