"""Shadow maps and projected caustics under Wine, from the gallery's scenes: the sphere and floor
lit by a steep sun plainly (ReceiversPlain), with the sun's shadow map (Shadowmap) and with a
drifting caustic on the floor (ProjectedCaustic). Each floor pixel is traced back to the floor:
inside the sphere's silhouette cast along the sun the shadow darkens it to about the shadow
colour (0.4) of the plain picture, outside it leaves it alone; the caustic only ever adds light,
adds it to a good part of the floor and nowhere on the sphere, and its pattern moves between two
scene times."""
import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from screen_reading import ZenUnderWine, windows_path  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 400, 300
FOV = 0.7853982
BALL, RADIUS, FLOOR_Y = (0.0, 0.0, 5.0), 1.0, -1.5
SUN = (0.5, -1.0, 0.3)  # Along which the gallery's steep sun shines.


def unit(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def floor_point(column, row):
    """The floor point seen at the pixel's centre, or None for the sky, the floor's far end, the
    sphere and a band of two pixels around its outline (where the edge is drawn either way)."""
    t = math.tan(FOV / 2)
    x = ((column + 0.5) / WIDTH * 2 - 1) * t * WIDTH / HEIGHT
    y = (1 - (row + 0.5) / HEIGHT * 2) * t
    if y >= -0.02:
        return None
    # Angle from the sphere's centre seen from the eye against the outline's.
    d = unit((x, y, 1.0))
    cos_to_centre = d[2]
    outline = math.asin(RADIUS / BALL[2])
    if math.acos(min(cos_to_centre, 1.0)) < outline + 2.5 * 2 * t / HEIGHT:
        return None
    s = FLOOR_Y / y
    point = (x * s, FLOOR_Y, s)
    return point if -6 < point[0] < 6 and 2 < point[2] < 40 else None


def shadow_distance(point):
    """How far the line from `point` towards the sun passes from the sphere's centre (inf when
    the sphere lies behind the point, away from the sun)."""
    f = unit(SUN)
    to_centre = tuple(c - p for c, p in zip(BALL, point))
    along = -sum(a * b for a, b in zip(to_centre, f))  # Distance towards the sun.
    if along <= 0:
        return math.inf
    closest = tuple(p - along * fc for p, fc in zip(point, f))
    return math.dist(closest, BALL)


def level(pixel):
    return sum(pixel) / 3


# The pictures: (scene, scene time before the three frames of 0.1 s).
SHOTS = [("Shadowmap", 0.0), ("ReceiversPlain", 0.0), ("ProjectedCaustic", 0.0), ("ProjectedCaustic", 2.0)]


class Receivers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = ZenUnderWine(BUILD_DIR, "receivers-")
        code, output = cls.tool.run("scene", "gallery", windows_path(cls.tool.folder))
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the gallery was not made: {output}")
        cls.tool.draw({f"{name}-{start:g}": [cls.tool.folder / f"{name}.STR", "--frames", "3", "--size",
                                             f"{WIDTH}x{HEIGHT}", "--step", "0.1", "--start", f"{start:g}"]
                       for name, start in SHOTS})

    @classmethod
    def tearDownClass(cls):
        cls.tool.close()

    def picture(self, name, start=0.0):
        """Rows of the scene `name` drawn at scene time `start`; no error line in the log."""
        rows, lines, _ = self.tool.picture(f"{name}-{start:g}")
        self.assertEqual([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], [], name)
        return rows

    def floor_pixels(self):
        for row in range(HEIGHT // 2, HEIGHT):
            for column in range(WIDTH):
                point = floor_point(column, row)
                if point is not None:
                    yield row, column, point

    def test_the_shadow_falls_where_the_sun_puts_it(self):
        shadowed, plain = self.picture("Shadowmap"), self.picture("ReceiversPlain")
        inside, outside = [], []
        for row, column, point in self.floor_pixels():
            distance = shadow_distance(point)
            ratio = level(shadowed[row][column]) / max(level(plain[row][column]), 1)
            if distance < RADIUS - 0.08:
                inside.append(ratio)
            elif distance > RADIUS + 0.08:
                outside.append(ratio)
        self.assertGreater(len(inside), 1000, "the silhouette falls on the floor in view")
        dark = sum(1 for r in inside if 0.3 <= r <= 0.5)
        self.assertGreater(dark, 0.97 * len(inside), f"{dark} of {len(inside)} inside at about 0.4")
        lit = sum(1 for r in outside if r >= 0.95)
        self.assertGreater(lit, 0.995 * len(outside), f"{lit} of {len(outside)} outside untouched")

    def test_the_caustic_lights_the_floor_and_moves(self):
        early, late = self.picture("ProjectedCaustic", 0.0), self.picture("ProjectedCaustic", 2.0)
        plain = self.picture("ReceiversPlain")
        floor = list(self.floor_pixels())
        for name, rows in (("early", early), ("late", late)):
            added = [level(rows[r][c]) - level(plain[r][c]) for r, c, _ in floor]
            self.assertGreater(sum(1 for a in added if a >= -2), 0.995 * len(added), f"{name}: only adds")
            self.assertGreater(sum(1 for a in added if a > 25), 0.2 * len(added), f"{name}: a pattern shows")
        # Much of the lit floor is already near white, where any caustic clips: a tenth is a lot.
        moved = sum(1 for r, c, _ in floor if abs(level(early[r][c]) - level(late[r][c])) > 25)
        self.assertGreater(moved, 0.05 * len(floor), "the pattern moved between the two times")
        # The sphere is not a receiver: the same in all three pictures.
        cx, cy = WIDTH // 2, HEIGHT // 2
        for dx, dy in ((0, 0), (-20, -20), (20, 10), (-10, 25)):
            for rows in (early, late):
                self.assertLessEqual(abs(level(rows[cy + dy][cx + dx]) - level(plain[cy + dy][cx + dx])), 3)


if __name__ == "__main__":
    unittest.main()
