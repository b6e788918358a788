"""Particles under Wine: the rain scene made by `zen.exe scene rain-test` is drawn by `zen.exe render`
through the DirectX9 renderer with a fixed time step and a fixed seed. The picture shows the drops as
sprites of their colour where the falling drops must be and nowhere else, and drawing the same frame
again gives the same picture byte for byte."""
import math
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from screen_reading import ZenUnderWine, read_bmp, windows_path  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 320, 240
FOV = 0.7853982
STEP, FRAMES = 0.05, 10
DROP = (77, 153, 255)  # (0.3, 0.6, 1.0) in bytes.
# The scene: drops start anywhere in a ball of radius 1.5 around (0, 3, 10) and fall straight
# down at 2 units/s with gravity 3 units/s^2. A drop born in the first frame has moved for the
# nine frames after it: at most 9 steps of the semi-implicit motion.
CENTER, RADIUS, SIZE = (0.0, 3.0, 10.0), 1.5, 0.2


def fallen(frames, step, speed=2.0, gravity=3.0):
    velocity, distance = speed, 0.0
    for _ in range(frames):
        velocity += gravity * step
        distance += velocity * step
    return distance


def project(x, y, z):
    y_scale = 1.0 / math.tan(FOV / 2)
    x_scale = y_scale / (WIDTH / HEIGHT)
    return (x * x_scale / z + 1) / 2 * WIDTH, (1 - y * y_scale / z) / 2 * HEIGHT


def is_drop(pixel, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, DROP))


# Pictures of the rain scene: (tag, seed).
SHOTS = [("rain-1", 7), ("rain-2", 7), ("rain-other-seed", 8)]


class Particles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = ZenUnderWine(BUILD_DIR, "particles-")
        code, output = cls.tool.run("scene", "rain-test", windows_path(cls.tool.folder))
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the rain scene was not made: {output}")
        cls.scene = cls.tool.folder / "RainTest.STR"
        cls.tool.draw({tag: [cls.scene, "--frames", str(FRAMES), "--size", f"{WIDTH}x{HEIGHT}", "--step", str(STEP),
                             "--seed", str(seed)] for tag, seed in SHOTS})

    @classmethod
    def tearDownClass(cls):
        cls.tool.close()

    def render(self, name):
        _, lines, _ = self.tool.picture(name)
        self.assertFalse([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], lines)
        self.assertIn("INFO. Point Sprites [true]", lines)
        return self.tool.folder / f"{name}.bmp"

    def test_rain_shows_as_sprites_where_the_drops_fall_and_repeats_exactly(self):
        first = self.render("rain-1")
        width, height, rows = read_bmp(first)
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        # Where drops may be: the ball swept down by the fall, grown by a sprite's reach.
        drop = fallen(FRAMES - 1, STEP)
        cx, cy, cz = CENTER
        reach = RADIUS + SIZE
        left, top = project(cx - reach, cy + reach, cz - reach)
        right, bottom = project(cx + reach, cy - reach - drop, cz - reach)
        inside = outside = 0
        for y, row in enumerate(rows):
            for x, pixel in enumerate(row):
                if is_drop(pixel):
                    if left - 1 <= x <= right + 1 and top - 1 <= y <= bottom + 1:
                        inside += 1
                    else:
                        outside += 1
                else:
                    # Everything that is not a drop is the black background.
                    self.assertEqual(pixel, (0, 0, 0), f"pixel {(x, y)} is neither drop nor background")
        # 10 bursts of 12 drops, each a few pixels across (0.2 units at depth 8.5-11.5).
        self.assertGreater(inside, 120 * 4, "the drops are visible as sprites larger than a pixel")
        self.assertEqual(outside, 0, "no drop outside the rain's region")
        # Drops have fallen: some sit below the lowest point of the cloud.
        cloud_bottom = project(cx, cy - RADIUS, cz - RADIUS)[1]
        below = sum(1 for y, row in enumerate(rows) if y > cloud_bottom + 2 for pixel in row if is_drop(pixel))
        self.assertGreater(below, 0, "drops below the cloud: they fall")

        second = self.render("rain-2")
        self.assertEqual(Path(first).read_bytes(), Path(second).read_bytes(), "the same frame twice")
        other = self.render("rain-other-seed")
        self.assertNotEqual(Path(first).read_bytes(), Path(other).read_bytes(), "another seed, other drops")


if __name__ == "__main__":
    unittest.main()
