"""Our BMP/ICO/CUR files, read back by independent readers (Pillow, ImageMagick)."""

import os
import shutil
import subprocess
import tempfile
import unittest

try:
    from PIL import Image
except ImportError:  # pragma: no cover - reported as a skip
    Image = None

SAMPLES = ["s1x1", "s3x2", "s17x5", "s256x256", "s300x40"]


def expected_pixels(path):
    with open(path, encoding="ascii") as text:
        width, height = (int(v) for v in text.readline().split())
        pixels = [int(line, 16) for line in text if line.strip()]
    assert len(pixels) == width * height, path
    return width, height, [((p >> 16) & 255, (p >> 8) & 255, p & 255) for p in pixels]


@unittest.skipIf(Image is None, "Pillow is not installed")
class ImageReadback(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        native = os.environ.get("SNARVIK_NATIVE_DIR")
        if not native:
            raise unittest.SkipTest("SNARVIK_NATIVE_DIR not set")
        cls.folder = tempfile.mkdtemp(prefix="snarvik-readback-")
        env = dict(os.environ, SNARVIK_READBACK_DIR=cls.folder)
        run = subprocess.run(
            [os.path.join(native, "snarvik_unit_tests"),
             "--gtest_filter=OutputReadbackSamples.*"],
            env=env, capture_output=True, text=True, timeout=120)
        if run.returncode != 0:
            raise AssertionError("writing the samples failed:\n" + run.stdout + run.stderr)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def check(self, name, extension, expected_format, opaque):
        path = os.path.join(self.folder, name + extension)
        width, height, pixels = expected_pixels(
            os.path.join(self.folder, name + (".bmp" if extension == ".bmp" else ".ico") + ".txt"))
        with Image.open(path) as picture:
            self.assertEqual(picture.format, expected_format)
            self.assertEqual(picture.size, (width, height))
            rgba = picture.convert("RGBA")
            got = list(rgba.getdata())
        self.assertEqual([p[:3] for p in got], pixels)
        if opaque:
            self.assertEqual({p[3] for p in got}, {255})

    def test_pillow_reads_bitmaps(self):
        for name in SAMPLES:
            with self.subTest(name):
                self.check(name, ".bmp", "BMP", False)

    def test_pillow_reads_icons(self):
        for name in SAMPLES:
            with self.subTest(name):
                self.check(name, ".ico", "ICO", True)

    def test_cursor_files_are_the_icon_bytes(self):
        for name in SAMPLES:
            with self.subTest(name):
                with open(os.path.join(self.folder, name + ".ico"), "rb") as icon, \
                        open(os.path.join(self.folder, name + ".cur"), "rb") as cursor:
                    self.assertEqual(icon.read(), cursor.read())
                # Pillow goes by content: the cursor file is an icon container.
                self.check(name, ".cur", "ICO", True)

    @unittest.skipIf(shutil.which("convert") is None, "ImageMagick is not installed")
    def test_imagemagick_reads_the_same_pixels(self):
        for name in SAMPLES:
            for extension, expected in ((".bmp", ".bmp.txt"), (".ico", ".ico.txt"),
                                        (".cur", ".ico.txt")):
                with self.subTest(name + extension):
                    width, height, pixels = expected_pixels(
                        os.path.join(self.folder, name + expected))
                    path = os.path.join(self.folder, name + extension)
                    run = subprocess.run(["identify", "-format", "%w %h", path],
                                         capture_output=True, text=True, timeout=60)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertEqual(run.stdout.split(), [str(width), str(height)])
                    run = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                                         capture_output=True, timeout=60)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    raw = run.stdout
                    got = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
                    self.assertEqual(got, pixels)

if __name__ == "__main__":
    unittest.main()
