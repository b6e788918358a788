"""The "DirectX9" renderer module under Wine (RendererProbe.exe): one renderer per process, the
mode list and the desktop's mode, a device on a full-screen and on a windowed window, frames
cleared to red that a screenshot then finds on the screen."""
import os
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Renderer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()
        cls.build = Path(BUILD_DIR).resolve()
        cls.out = cls.build / "renderer-probe-out.txt"
        cls.log = cls.build / "renderer-probe-log.txt"
        cls.go = cls.build / "renderer-probe-out.txt.go"

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def pixel(self, shot, x, y):
        found = subprocess.run(["convert", str(shot), "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
                                f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
                               capture_output=True, text=True, timeout=60)
        return tuple(int(value) for value in found.stdout.strip().split(","))

    def run_probe(self, mode, points):
        """Runs the probe until its frames are on the screen, reads the given screen points, and
        lets it finish. Returns (output lines, {point: (r, g, b)}, engine log lines)."""
        for path in (self.out, self.log, self.go):
            if path.exists():
                path.unlink()
        process = self.wine.start(windows_path(self.out), windows_path(self.log), mode,
                                  program=self.build / "RendererProbe.exe")
        try:
            presented = _wait_until(lambda: self.out.exists() and "presented" in self.out.read_text().split(), 60)
            self.assertTrue(presented, self.out.read_text() if self.out.exists() else "no output")
            shot = self.wine.screenshot(self.build / f"renderer-probe-{mode}.png")
            colors = {point: self.pixel(shot, *point) for point in points}
            self.go.write_text("go\n")
            result = self.wine.wait(process, 60)
        finally:
            if process.poll() is None:
                self.wine.wait(process, 0)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0)
        log = self.log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines()
        return self.out.read_text().splitlines(), colors, log

    @staticmethod
    def modes(lines):
        found = []
        for line in lines:
            words = line.split()
            if words[0] == "mode":
                found.append(tuple(int(word) for word in words[2:9]) + (words[9] == "full",))
        return found

    def test_full_screen_device_presents_the_clear_colour_over_the_whole_screen(self):
        red, black = (255, 0, 0), (0, 0, 0)
        lines, colors, log = self.run_probe("fullscreen", [(0, 0), (512, 384), (1023, 767)])
        self.assertIn("second 1", lines)  # Refused, and nothing made.
        self.assertEqual(lines[lines.index("presented") - 4:], [
            "open 0", "viewport 1024 768", "begin 0", "clear 1 0 0 1", "presented", "close 0", "release 0", "done"])
        self.assertEqual(set(colors.values()), {red}, colors)
        self.assertNotIn(black, colors.values())
        self.assertIn("INFO. Created HARDWARE VERTEXPROCESSING", log)
        self.assertFalse([line for line in log if line.startswith("ERROR.")], log)

    def test_a_lost_device_skips_frames_gives_back_the_default_pool_and_is_reset(self):
        # The program tells the full-screen window it was deactivated, which loses the device,
        # then activated again: the device can be reset, and drawing resumes.
        lines, colors, log = self.run_probe("lost", [(512, 384)])
        at = lines.index("pool 1")
        self.assertEqual(lines[at:at + 4], ["pool 1", "lost 1 pool 0 dirty 1", "back 0", "presented"])
        self.assertEqual(colors[(512, 384)], (255, 0, 0))
        self.assertEqual(lines[-3:], ["close 0", "release 0", "done"])
        self.assertFalse([line for line in log if line.startswith("ERROR.")], log)

    def test_modes_are_listed_full_screen_first_and_the_desktop_mode_is_plain_32_bit(self):
        lines, _, _ = self.run_probe("windowed", [])
        modes = self.modes(lines)
        count, desktop = (int(word) for word in lines[1].split()[1::2])
        self.assertEqual(len(modes), count)
        self.assertGreater(count, 0)
        # Full-screen modes first; by size and colour depth ascending; the deepest depth buffer first.
        keys = [(not full, width, height, color, -depth, -stencil, alpha, samples)
                for width, height, color, alpha, depth, stencil, samples, full in modes]
        self.assertEqual(keys, sorted(keys))
        self.assertEqual(len(set(modes)), len(modes), "each mode once")
        width, height, color, alpha, depth, stencil, samples, full = modes[desktop]
        self.assertEqual((width, height, color, alpha, samples, full), (1024, 768, 32, 0, 0, True))
        self.assertEqual(depth, max(mode[4] for mode in modes if mode[:3] == (1024, 768, 32) and mode[7]))
        self.assertIn((1024, 768, 16, 0, 24, 8, 0, True), modes)

    def test_windowed_device_presents_into_its_client_area_only(self):
        lines, colors, log = self.run_probe("windowed", [(200, 150), (800, 600)])
        self.assertIn("open 0", lines)
        self.assertIn("viewport 320 240", lines)
        self.assertIn("begin 0", lines)
        # The 320 x 240 client area lies at (40, 30) plus the frame; (200, 150) is inside it.
        self.assertEqual(colors[(200, 150)], (255, 0, 0), colors)
        self.assertNotEqual(colors[(800, 600)], (255, 0, 0), colors)
        self.assertIn("INFO. Создание системного окна [Brightfold Renderer Probe].", log)


if __name__ == "__main__":
    unittest.main()
