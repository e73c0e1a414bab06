"""Tests of pngfile, the PNG reader and writer of the picture generator.

    python3 -m unittest discover -s sdcard-src
"""
import os
import random
import tempfile
import unittest

import pngfile

HERE = os.path.dirname(os.path.abspath(__file__))
PNGSUITE = os.path.join(HERE, "..", "..", "shared", "testdata", "png", "pngsuite")


class PngFileTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "picture.png")

    def tearDown(self):
        self.folder.cleanup()

    def round_trip(self, width, height, channels, rows):
        pngfile.write(self.path, width, height, channels, rows)
        return pngfile.read(self.path)

    def test_round_trip_keeps_every_sample_whatever_filter_each_row_gets(self):
        generator = random.Random(7)
        for channels in (3, 4):
            width, height = 37, 23
            rows = []
            for y in range(height):
                # Noise, flat runs, ramps and copies of the row above make the writer pick
                # different filters for different rows.
                kind = y % 4
                if kind == 0:
                    row = bytearray(generator.randrange(256) for _ in range(width * channels))
                elif kind == 1:
                    row = bytearray([200] * (width * channels))
                elif kind == 2:
                    row = bytearray((x * 7 + y) & 255 for x in range(width * channels))
                else:
                    row = bytearray(rows[-1])
                rows.append(row)
            self.assertEqual(self.round_trip(width, height, channels, rows),
                             (width, height, channels, rows))

    def test_one_pixel_picture_round_trips(self):
        rows = [bytearray([1, 2, 3, 4])]
        self.assertEqual(self.round_trip(1, 1, 4, rows), (1, 1, 4, rows))

    def test_reads_rgb_and_rgba_files_written_by_libpng(self):
        if not os.path.isdir(PNGSUITE):
            self.skipTest("no PNG test files at " + PNGSUITE)
        rgb = pngfile.read(os.path.join(PNGSUITE, "basn2c08.png"))
        rgba = pngfile.read(os.path.join(PNGSUITE, "basn6a08.png"))
        self.assertEqual(rgb[:3], (32, 32, 3))
        self.assertEqual(rgba[:3], (32, 32, 4))
        # basn2c08 is made of ramps: its first row fades blue out from white, its last row is a
        # grey ramp from 31 down to 0. basn6a08's first row is one colour fading in.
        for x in range(32):
            self.assertEqual(list(rgb[3][0][x * 3:x * 3 + 3]), [255, 255, 255 - x])
            self.assertEqual(list(rgb[3][31][x * 3:x * 3 + 3]), [31 - x] * 3)
        self.assertEqual(list(rgba[3][0][:12]), [255, 0, 8, 0, 255, 0, 8, 8, 255, 0, 8, 16])
        # What was read writes back and reads again unchanged.
        for picture in (rgb, rgba):
            self.assertEqual(self.round_trip(*picture), picture)

    def test_refuses_files_it_cannot_read(self):
        with open(self.path, "wb") as f:
            f.write(b"GIF89a not a png at all")
        with self.assertRaises(ValueError):
            pngfile.read(self.path)
        if not os.path.isdir(PNGSUITE):
            return
        for name in ("basn2c16.png", "basn3p08.png", "ibasn2c08.png"):
            with self.assertRaises(ValueError, msg=name):
                pngfile.read(os.path.join(PNGSUITE, name))


if __name__ == "__main__":
    unittest.main()
