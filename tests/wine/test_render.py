"""`zen.exe render` under Wine: the test scene made by `zen.exe scene render-test` is drawn through
the DirectX9 renderer (shader techniques, then the fixed-function fallbacks) and the screenshot it
writes through the engine's BMP codec is checked pixel by pixel: the textured cube's quadrants in
place and upright, the coloured floor, the two blended quads composed back to front, the culled
objects absent; and the log carries the capability lines in order."""
import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
# read_bmp and windows_path are also imported from here by other modules.
from screen_reading import ZenUnderWine, read_bmp, windows_path  # noqa: E402,F401

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
        cls.tool = ZenUnderWine(BUILD_DIR, "render-")
        code, output = cls.tool.run("scene", "render-test", windows_path(cls.tool.folder))
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the test scene was not made: {output}")
        cls.scene = cls.tool.folder / "RenderTest.STR"
        frames = [cls.scene, "--frames", "4", "--size", f"{WIDTH}x{HEIGHT}"]
        cls.tool.draw({"shaders": frames, "fixed": frames + ["--fixed-function"]})

    @classmethod
    def tearDownClass(cls):
        cls.tool.close()

    def render(self, name):
        rows, lines, output = self.tool.picture(name)
        self.assertIn("drew 4 frames", output)
        self.assertEqual((len(rows[0]), len(rows)), (WIDTH, HEIGHT))
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
        rows, lines = self.render("fixed")
        self.check_capabilities(lines)
        self.check_picture(rows)

    def test_errors_end_with_a_reason_and_a_non_zero_code(self):
        code, output = self.tool.run("render", windows_path(self.tool.folder / "Missing.STR"), "--frames", "1",
                                     "--size", "64x64")
        self.assertEqual(code, 1, output)
        self.assertIn("is not a readable scene file", output)
        code, output = self.tool.run("render", windows_path(self.scene), "--frames", "0", "--size", "64x64")
        self.assertEqual(code, 2, output)
        self.assertIn("usage: zen render SCENE.STR", output)


if __name__ == "__main__":
    unittest.main()
