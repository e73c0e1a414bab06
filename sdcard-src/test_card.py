"""A check of the demo card (sdcard/) for every skin on it, the night skin included, which no
case folder shows: every move, page and picture a skin names exists. The concept skin's pages
and programs are played in tests/cases/demo-*.

    python3 -m unittest discover -s sdcard-src
"""
import glob
import os
import re
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CARD = os.path.normpath(os.path.join(HERE, "..", "sdcard"))
BASE = os.path.join(CARD, "Tarvo")
SKINS = sorted(os.path.basename(os.path.dirname(p))
               for p in glob.glob(os.path.join(BASE, "skins", "*", "Tarvo.skin")))


def load_skin(skin):
    """{page: {button: {KEYWORD: arguments}}}, the page's own lines under button None, with the
    %name% references to VARIABLE lines and the start-up variables filled in. The demo skins
    quote nothing, so a comma always splits."""
    variables = {"basedir": "/mnt/sd/Tarvo/", "skindir": "/mnt/sd/Tarvo/skins/%s/" % skin}
    pages, page, button = {}, None, None
    with open(os.path.join(BASE, "skins", skin, "Tarvo.skin"), encoding="latin-1") as text:
        for line in text.read().splitlines():
            if line.startswith("//") or "=" not in line:
                continue
            keyword, rest = line.split("=", 1)
            words = re.sub(r"%(\w+)%", lambda m: variables.get(m.group(1), m.group(0)),
                           rest).split(",")
            keyword = keyword.upper()
            if keyword == "VARIABLE":
                variables[words[0]] = ",".join(words[1:])
            elif keyword == "PAGE":
                page, button = pages.setdefault(int(words[0]), {None: {}}), None
            elif keyword == "BUTTON":
                button = int(words[0])
                page.setdefault(button, {})
            elif keyword != "STARTPAGE":
                page[button][keyword] = words
    return pages


class DemoCardTest(unittest.TestCase):
    def test_every_move_page_and_picture_named_exists(self):
        self.assertGreaterEqual(len(SKINS), 2)
        for skin in SKINS:
            pages = load_skin(skin)
            self.assertIn(0, pages, skin)
            for number, buttons in pages.items():
                where = "%s page %d" % (skin, number)
                self.assertIn(0, buttons, where + " starts on element 0")
                for lines in buttons.values():
                    for target in lines.get("NAVIGATION", []):
                        self.assertIn(int(target), buttons, where)
                    for keyword in ("LEFT", "RIGHT", "UP", "DOWN", "ACTION", "RETURN"):
                        words = lines.get(keyword, [""])
                        if words[0] in ("select", "page"):
                            self.assertIn(int(words[1]), buttons if words[0] == "select"
                                          else pages, where)
                    for keyword, first in (("TYPE", 3), ("BACKGROUND", 1)):
                        words = lines.get(keyword, [""])
                        for path in words[first:first + 2] if words[0] == "image" else []:
                            self.assertTrue(os.path.isfile(CARD + path[len("/mnt/sd"):]), path)


if __name__ == "__main__":
    unittest.main()
