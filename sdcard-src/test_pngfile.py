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
    def round_trip(self, width, height, channels, rows, writer=pngfile.write):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "picture.png")
            writer(path, width, height, channels, rows)
            return pngfile.read(path)

    def test_round_trip_keeps_every_sample(self):
        generator = random.Random(7)
        for channels, writer in ((3, pngfile.write), (4, pngfile.write),
                                 (3, pngfile.write_ordinary), (4, pngfile.write_ordinary)):
            # Noise, flat runs, ramps and copies of the row above.
            rows = []
            for y in range(23):
                rows.append([bytearray(generator.randrange(256) for _ in range(37 * channels)),
                             bytearray([200] * (37 * channels)),
                             bytearray((x * 7 + y) & 255 for x in range(37 * channels)),
                             bytearray(rows[-1] if rows else b"")][y % 4])
            self.assertEqual(self.round_trip(37, 23, channels, rows, writer),
                             (37, 23, channels, rows))

    def test_reads_files_written_by_libpng_and_refuses_what_it_cannot_read(self):
        if not os.path.isdir(PNGSUITE):
            self.skipTest("no PNG test files at " + PNGSUITE)
        rgb = pngfile.read(os.path.join(PNGSUITE, "basn2c08.png"))
        rgba = pngfile.read(os.path.join(PNGSUITE, "basn6a08.png"))
        # basn2c08's first row fades blue out from white, its last row is a grey ramp from 31
        # down to 0; basn6a08's first row is one colour fading in.
        self.assertEqual(rgb[:3] + rgba[:3], (32, 32, 3, 32, 32, 4))
        for x in range(32):
            self.assertEqual(list(rgb[3][0][x * 3:x * 3 + 3]), [255, 255, 255 - x])
            self.assertEqual(list(rgb[3][31][x * 3:x * 3 + 3]), [31 - x] * 3)
        self.assertEqual(list(rgba[3][0][:12]), [255, 0, 8, 0, 255, 0, 8, 8, 255, 0, 8, 16])
        # 16-bit samples, a palette and interlacing are beyond it.
        for name in ("basn2c16.png", "basn3p08.png", "ibasn2c08.png"):
            with self.assertRaises(ValueError, msg=name):
                pngfile.read(os.path.join(PNGSUITE, name))


if __name__ == "__main__":
    unittest.main()
