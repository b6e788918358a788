"""The device side of the DirectX9 renderer under Wine (DrawProbe.exe): the engine's scene objects
drawn and each frame read back through the renderer. Textures upright and exponential fog alike in
the shader and the fixed-function techniques, a texture drawn into as a render target (viewport switched and given
back), cube and volume textures, occlusion queries, non-indexed drawing, mirror culling and the
depth-equal override, indices past the vertices and a shader text that does not assemble (both
refused without ending the program and without a message box), and a texture rebuilt after the
device was lost and reset."""
import os
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))

RED, GREEN, BLUE, YELLOW, BLACK = "255,0,0", "0,255,0", "0,0,255", "255,255,0", "0,0,0"


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class DrawProbe(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.build = Path(BUILD_DIR).resolve()
        cls.program = cls.build / "DrawProbe.exe"
        if not cls.program.exists():
            missing("DrawProbe.exe is not built")
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def run_probe(self, *mode):
        """{check name: the rest of its line}, and the engine log's lines."""
        out, log = self.build / "draw-probe-out.txt", self.build / "draw-probe-log.txt"
        for path in (out, log):
            if path.exists():
                path.unlink()
        result = self.wine.run(windows_path(out), windows_path(log), *mode, program=self.program, timeout=180)
        self.assertFalse(result.timed_out, "the probe hung (a message box?)")
        self.assertEqual(result.exit_code, 0)
        lines = out.read_text().splitlines()
        self.assertEqual(lines[0], "open 0")
        self.assertEqual(lines[-3:], ["close 0", "release 0", "done"])
        checks = {}
        for line in lines:
            name, _, rest = line.partition(" ")
            checks[name] = rest
        return checks, log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines()

    def test_device_operations(self):
        checks, log = self.run_probe()
        # Top left, top right, bottom left, bottom right of a full-window quad with the picture.
        self.assertEqual(checks["orientation"], " ".join([RED, GREEN, BLUE, YELLOW]))
        self.assertEqual(checks["fixed"], " ".join([RED, GREEN, BLUE, YELLOW]))
        # Exponential fog: e^(-density x depth) of the colour stays, the rest is fog colour,
        # computed by the vertex program and by the fixed-function pipeline alike.
        for name in ("fog", "fixedfog"):
            channels = [int(value) for value in checks[name].split(",")]
            self.assertTrue(all(abs(value - 161) <= 3 for value in channels), f"{name}: {channels}")
        # Cleared to magenta as a 64x64 target, then drawn as a texture over the window.
        self.assertEqual(checks["target"], "viewport 64 64 after 128 128 pixel 255,0,255 dirty 0")
        # Six square faces make a cube, slices a volume (full mip chains of an 8-pixel side); a
        # cube of unequal sides is refused and stays unbound and dirty.
        self.assertEqual(checks["textures"], "cube/4 volume/4 none dirty 0 0 1")
        # The upload's mip chain, hand-computed: each level is the linear-light mean of the level
        # above as stored (2x2 of 0/255 is 188 with alpha 127.5 -> 128; 10, 20, 200, 250 is 167;
        # then 188 and 167 are 178), alpha averaged as stored.
        self.assertEqual(checks["mips"], "3 | 188,188,188,128 167,167,167,255 | 178,178,178,192")
        self.assertIn("ERROR. Изображение кубической текстуры [Skewed] должно содержать шесть квадратных граней.", log)
        self.assertEqual(checks["occlusion"], "1024")  # A 32 x 32 pixel square.
        # Without indices the whole quad; DrawNonIndexed(1) only its first (top-right) triangle.
        self.assertEqual(checks["nonindexed"], f"whole {GREEN} first {GREEN} {BLACK}")
        self.assertEqual(checks["mirror"], f"{BLACK} plain {RED}")
        self.assertEqual(checks["depthequal"], BLUE)
        self.assertEqual(checks["badindices"], BLACK)
        self.assertTrue(any(line.startswith("WARNING. Индексы выходят за пределы вершин.") for line in log), log)
        # Unbound, and reported once although two shader objects carry the text.
        self.assertEqual(checks["badshader"], "bound 0 reports 1")
        self.assertTrue(any(line.startswith("ERROR. Невозможно ассемблировать шейдер [Broken]: ") for line in log), log)

    def test_textures_come_back_after_a_lost_device(self):
        checks, _ = self.run_probe("lost")
        # The texture, the pass's state block and the corners filled again each frame.
        self.assertEqual(checks["before"], f"{RED} pool 3")
        self.assertEqual(checks["lost"], "drawn 0 pool 0 dirty 1")
        # The first fill after the reset is a managed buffer again; the next goes dynamic.
        self.assertEqual(checks["back"], f"1 {RED} dirty 0 pool 2")
        self.assertEqual(checks["refilled"], f"1 {RED} pool 3")


if __name__ == "__main__":
    unittest.main()
