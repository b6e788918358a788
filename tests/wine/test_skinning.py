"""Skinning under Wine (SkinProbe.exe): a mesh on two bones drawn through the DirectX9 renderer
once skinned on the processor by the skin controller and once by a skinning vertex program that
reads the controller's bone palette. The two pictures must agree to within rounding (mean absolute
difference below 2 on 0-255) while the undeformed mesh looks clearly different, so the check would
notice a program that ignored the bones. The same holds for the lit effects' skinned programs
(Texture1DL1PL, DarkmapNormalmapTexture1DL), whose normals turn with the bones."""
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Skinning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.build = Path(BUILD_DIR).resolve()
        cls.program = cls.build / "SkinProbe.exe"
        if not cls.program.exists():
            missing("SkinProbe.exe is not built")
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def test_vertex_program_and_processor_draw_the_same_picture(self):
        out, log = self.build / "skin-probe-out.txt", self.build / "skin-probe-log.txt"
        for path in (out, log):
            if path.exists():
                path.unlink()
        result = self.wine.run(windows_path(out), windows_path(log), program=self.program, timeout=180)
        self.assertFalse(result.timed_out, "the probe hung (a message box?)")
        self.assertEqual(result.exit_code, 0)
        lines = out.read_text().splitlines()
        self.assertEqual(lines[0], "open 0")
        self.assertEqual(lines[-3:], ["close 0", "release 0", "done"])
        skin = next((line for line in lines if line.startswith("skin ")), None)
        self.assertIsNotNone(skin, lines)
        same, bent, lit_processor, lit_program = skin.split()[1:]
        engine_log = log.read_bytes().decode("cp1251", errors="replace")
        self.assertLess(float(same), 2.0, f"{skin}\n{engine_log}")
        self.assertGreater(float(bent), 5.0, skin)
        # The strip covers a good part of the 128 x 128 picture in both.
        self.assertGreater(int(lit_processor), 3000, skin)
        self.assertLess(abs(int(lit_processor) - int(lit_program)), 200, skin)
        # The lit effects' skinned programs (position, normal and, dark-mapped, tangent through the
        # palette, lit in world space) against the processor's deformed vertices and normals.
        lit = {line.split()[1]: line.split()[2:] for line in lines if line.startswith("lit ")}
        self.assertEqual(sorted(lit), ["DarkmapNormalmapTexture1DL", "Texture1DL1PL"], lines)
        for effect, (same, bent, pixels) in lit.items():
            with self.subTest(effect=effect):
                self.assertLess(float(same), 2.0, f"{effect}: {lit[effect]}\n{engine_log}")
                self.assertGreater(float(bent), 3.0, f"{effect}: {lit[effect]}")
                self.assertGreater(int(pixels), 3000, f"{effect}: {lit[effect]}")


if __name__ == "__main__":
    unittest.main()
