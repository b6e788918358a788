"""`zen.exe render` under Wine: the test scene made by `zen.exe scene render-test` is drawn through
the DirectX9 renderer (shader techniques, then the fixed-function fallbacks) and the screenshot it
writes through the engine's BMP codec is checked pixel by pixel: the textured cube's quadrants in
place and upright, the coloured floor, the two blended quads composed back to front, the culled
objects absent; and the log carries the capability lines in order."""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 320, 240
FOV = 0.7853982  # The scene camera's vertical field of view.

CAPABILITY_LINES = [
    "INFO. COLOR BPP ", "INFO. Alpha BPP ", "INFO. Depth BPP ", "INFO. Stencil BPP ", "INFO. Samples ",
    "INFO. Vendor [", "INFO. Driver [", "INFO. Simultaneous Textures [", "INFO. Max Active Lights [",
    "INFO. Volume Textures [", "INFO. Cube Textures [", "INFO. Projected Textures [", "INFO. VERTEX SHADER ",
    "INFO. PIXEL SHADER ", "INFO. Point Sprites [", "INFO. Occlusion Query [", "INFO. Hardware Shadowmaps [",
    "INFO. A16B16G16R16F Textures [",
    "INFO. A8 RenderTarget Textures MipMap Autogen support[",
    "INFO. A16B16G16R16 RenderTarget Textures MipMap Autogen support[",
    "INFO. R8G8B8 RenderTarget Textures MipMap Autogen support[",
    "INFO. R8G8B8A8 RenderTarget Textures MipMap Autogen support[",
    "INFO. A8 CubeRenderTarget Textures MipMap Autogen support[",
    "INFO. A16B16G16R16 CubeRenderTarget Textures MipMap Autogen support[",
    "INFO. R8G8B8 CubeRenderTarget Textures MipMap Autogen support[",
    "INFO. R8G8B8A8 CubeRenderTarget Textures MipMap Autogen support[",
]


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def read_bmp(path):
    """(width, height, rows top-down of (r, g, b) tuples) of a 24-bit uncompressed BMP."""
    data = Path(path).read_bytes()
    assert data[:2] == b"BM", "not a BMP file"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    assert bits == 24 and compression == 0, (bits, compression)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        stored = height - 1 - y if height > 0 else y  # Bottom-up unless the height is negative.
        start = offset + stored * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x]) for x in range(width)])
    return width, abs(height), rows


def project(x, y, z):
    """Pixel (column, row) of a world point seen by the scene camera (origin, looking along +z)."""
    y_scale = 1.0 / math.tan(FOV / 2)
    x_scale = y_scale / (WIDTH / HEIGHT)
    column = (x * x_scale / z + 1) / 2 * WIDTH
    row = (1 - y * y_scale / z) / 2 * HEIGHT
    return int(column), int(row)


class Render(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = Path(BUILD_DIR).resolve()
        cls.zen_exe = next((p for p in (build / "tools" / "zen.exe", build / "zen.exe") if p.exists()), None)
        if cls.zen_exe is None:
            missing("zen.exe is not built")
        cls.folder = Path(tempfile.mkdtemp(prefix="render-", dir=build))
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()
        code, output = cls.zen("scene", "render-test", windows_path(cls.folder))
        if code != 0:
            raise RuntimeError(f"the test scene was not made: {output}")
        cls.scene = cls.folder / "RenderTest.STR"

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def zen(cls, *arguments, timeout=180):
        # Output through a file: Wine's helper processes inherit the handles of a pipe.
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", str(cls.zen_exe), *arguments], env=cls.wine.env, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
            out.seek(0)
            return code, out.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def render(self, name, *extra):
        shot, log = self.folder / f"{name}.bmp", self.folder / f"{name}.log"
        code, output = self.zen("render", windows_path(self.scene), "--frames", "4", "--size", f"{WIDTH}x{HEIGHT}",
                                "--shot", windows_path(shot), "--log", windows_path(log), *extra)
        self.assertEqual(code, 0, output)
        self.assertIn("drew 4 frames", output)
        # Kept next to the build for a look (`convert <name>.bmp <name>.png`).
        width, height, rows = read_bmp(shot)
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        lines = log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines()
        return rows, lines

    def assertColor(self, rows, point, expected, what, tolerance=24):
        column, row = point
        actual = rows[row][column]
        self.assertTrue(all(abs(a - e) <= tolerance for a, e in zip(actual, expected)),
                        f"{what} at {point}: {actual}, expected {expected}")

    def check_picture(self, rows):
        red, green, blue, yellow, black = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (0, 0, 0)
        # The cube's front face (z = 5.2, x -2.4..-0.8, y -1.0..0.6): the picture upright.
        for (x, y), color, name in (((-2.0, 0.2), red, "top left"), ((-1.2, 0.2), green, "top right"),
                                    ((-2.0, -0.6), blue, "bottom left"), ((-1.2, -0.6), yellow, "bottom right")):
            self.assertColor(rows, project(x, y, 5.2), color, f"cube quadrant {name}")
        # The floor (y = -1.2) in front of the cube and under the glass.
        self.assertColor(rows, project(0.0, -1.2, 4.0), (51, 153, 51), "floor")
        self.assertColor(rows, project(2.0, -1.2, 10.0), (51, 153, 51), "far floor")
        # Blended quads over the black background: each alone, and where they overlap the far
        # blue drawn first and the near red over it (back to front, whatever their order in the
        # file). Near first would give (64, 0, 128), or plain red where depth refused the far one.
        self.assertColor(rows, project(0.7, 0.05, 5.0), (128, 0, 0), "near glass alone")
        self.assertColor(rows, project(2.3, 1.6, 7.0), (0, 0, 128), "far glass alone")
        self.assertColor(rows, project(1.3, 0.5, 5.0), (128, 0, 64), "glass overlap", tolerance=12)
        # The ghost (in view, culled by its bound) and the sky are background.
        self.assertColor(rows, project(0.0, 1.2, 6.0), black, "culled ghost", tolerance=0)
        self.assertColor(rows, (5, 5), black, "sky", tolerance=0)
        magenta = [pixel for row in rows for pixel in row if pixel[0] > 200 and pixel[2] > 200 and pixel[1] < 60]
        self.assertEqual(magenta, [], "nothing of the culled magenta quads is drawn")

    def check_capabilities(self, lines):
        start = next(i for i, line in enumerate(lines) if line.startswith("INFO. Created ") and
                     line.endswith(" VERTEXPROCESSING"))
        found = lines[start + 1:start + 1 + len(CAPABILITY_LINES)]
        self.assertEqual(len(found), len(CAPABILITY_LINES))
        for line, prefix in zip(found, CAPABILITY_LINES):
            self.assertTrue(line.startswith(prefix), f"{line!r} where {prefix!r}... belongs")
        self.assertIn("INFO. Изображение [checker.bmp] загружено.", lines)
        self.assertFalse([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], lines)

    def test_shader_techniques_draw_the_scene(self):
        rows, lines = self.render("shaders")
        self.check_capabilities(lines)
        self.assertIn("INFO. VERTEX SHADER 30", lines)  # Wine's adapter: the vs_1_1 programs run.
        self.check_picture(rows)

    def test_fixed_function_fallbacks_draw_the_same_picture(self):
        rows, lines = self.render("fixed", "--fixed-function")
        self.check_capabilities(lines)
        self.check_picture(rows)

    def test_errors_end_with_a_reason_and_a_non_zero_code(self):
        code, output = self.zen("render", windows_path(self.folder / "Missing.STR"), "--frames", "1", "--size",
                                "64x64")
        self.assertEqual(code, 1, output)
        self.assertIn("is not a readable scene file", output)
        code, output = self.zen("render", windows_path(self.scene), "--frames", "0", "--size", "64x64")
        self.assertEqual(code, 2, output)
        self.assertIn("usage: zen render SCENE.STR", output)


if __name__ == "__main__":
    unittest.main()
