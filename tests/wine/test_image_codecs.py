"""The image codecs of the Windows build (`zen.exe image info` under Wine). The Windows build links
libjpeg-turbo compiled from Debian's source package; it must decode JPEG pictures to exactly the
pixels the native build's libjpeg gives (same CRC-32 of the stored pixels), and the BMP, TGA and
CUBE codecs must agree too. A damaged JPEG must fail cleanly instead of ending the process."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))
NATIVE_DIR = os.environ.get("BRIGHTFOLD_NATIVE_BUILD", os.path.join(HERE, "../../build/native"))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class ImageCodecs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = Path(BUILD_DIR).resolve()
        cls.zen_exe = next((p for p in (build / "tools" / "zen.exe", build / "zen.exe") if p.exists()), None)
        cls.zen_native = Path(NATIVE_DIR).resolve() / "tools" / "zen"
        if cls.zen_exe is None:
            missing("zen.exe is not built")
        if not cls.zen_native.exists():
            missing(f"the native zen tool is not built ({cls.zen_native})")
        if shutil.which("convert") is None:
            missing("ImageMagick is not installed")
        cls.folder = Path(tempfile.mkdtemp(prefix="image-codecs-", dir=build))
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def make(self, name, *arguments, prefix=""):
        path = self.folder / name
        subprocess.run(["convert", *arguments, prefix + str(path)], check=True, timeout=60)
        return path

    def windows_info(self, path):
        # Output through a file: Wine's helper processes inherit the handles of a pipe.
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", str(self.zen_exe), "image", "info", windows_path(path)], env=self.wine.env,
                                  stdout=out, stderr=subprocess.STDOUT, timeout=120).returncode
            out.seek(0)
            return code, out.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def native_info(self, path):
        run = subprocess.run([str(self.zen_native), "image", "info", str(path)], capture_output=True, timeout=60)
        return run.returncode, run.stdout.decode()

    def test_pictures_decode_to_the_same_pixels_as_in_the_native_build(self):
        pictures = [
            self.make("colour.jpg", "-size", "61x37", "plasma:fractal", "-seed", "7", "-quality", "85"),
            self.make("grey.jpg", "-size", "40x24", "gradient:", "-quality", "70"),
            self.make("progressive.jpg", "-size", "33x33", "plasma:fractal", "-interlace", "Plane"),
            self.make("full.jpg", "-size", "20x20", "plasma:fractal", "-sampling-factor", "1x1"),
            self.make("colour.bmp", "-size", "7x5", "plasma:fractal", prefix="BMP3:"),
            self.make("runs.tga", "-size", "9x4", "gradient:red-blue", "-compress", "RLE"),
        ]
        for picture in pictures:
            with self.subTest(picture=picture.name):
                native_code, native = self.native_info(picture)
                self.assertEqual(native_code, 0, native)
                code, output = self.windows_info(picture)
                self.assertEqual(code, 0, output)
                self.assertEqual(output, native)

    def test_a_damaged_jpeg_fails_with_a_reason(self):
        whole = self.make("whole.jpg", "-size", "64x64", "plasma:fractal", "-quality", "90").read_bytes()
        cut = self.folder / "cut.jpg"
        cut.write_bytes(whole[: len(whole) // 2])
        code, output = self.windows_info(cut)
        self.assertEqual(code, 1, output)
        self.assertIn("cut.jpg: cannot be decoded", output)
        self.assertIn("Premature end of JPEG file", output)
        garbage = self.folder / "garbage.jpg"
        garbage.write_bytes(b"BM" + bytes(200))
        code, output = self.windows_info(garbage)
        self.assertEqual(code, 1, output)
        self.assertIn("Not a JPEG file", output)


if __name__ == "__main__":
    unittest.main()
