"""Render-to-texture controllers, flares and lens flares under Wine: scenes made by `zen.exe scene
rtt-test` are drawn by `zen.exe render` through the DirectX9 renderer at a fixed step and the
pictures are checked pixel by pixel: a planar reflection mirrors a red ball below the horizon,
refraction raises the underwater floor, each cube-map face sees the wall it faces, a flare behind
a wall is measured at 0 pixels and one before it is seen, lens reflections lie on the line
through the screen centre and fade towards the edge, and the wave normal map is drawn."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from screen_reading import ZenUnderWine, windows_path  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 320, 240


def screen(x, y):
    """Pixel (column, row) of a point in screen units (-1..1, y up)."""
    return round((x + 1) / 2 * WIDTH - 0.5), round((1 - y) / 2 * HEIGHT - 0.5)


def is_red(pixel):
    return pixel[0] > 150 and pixel[1] < 60 and pixel[2] < 60


# The scenes drawn at a step of 0.04 s, with their frame counts.
SCENES = {"Reflection": 3, "Refraction": 3, "Cube": 3, "Flares": 5, "LensIn": 3, "LensEdge": 3, "LensOut": 3,
          "Waves": 3}


class RenderTexture(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = ZenUnderWine(BUILD_DIR, "render-texture-")
        code, output = cls.tool.run("scene", "rtt-test", windows_path(cls.tool.folder))
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the render-to-texture scenes were not made: {output}")
        cls.tool.draw({name: [cls.tool.folder / f"{name}.STR", "--frames", str(frames), "--size", f"{WIDTH}x{HEIGHT}",
                              "--step", "0.04"] for name, frames in SCENES.items()})

    @classmethod
    def tearDownClass(cls):
        cls.tool.close()

    def render(self, name):
        rows, lines, output = self.tool.picture(name)
        self.assertEqual((len(rows[0]), len(rows)), (WIDTH, HEIGHT))
        self.assertFalse([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], lines)
        return rows, output

    def red_rows(self, rows, columns):
        return [r for r in range(HEIGHT) if any(is_red(rows[r][c]) for c in columns)]

    def test_the_reflection_mirrors_the_ball_below_the_horizon(self):
        rows, _ = self.render("Reflection")
        red = [(c, r) for r in range(HEIGHT) for c in range(WIDTH) if is_red(rows[r][c])]
        above = [p for p in red if p[1] < HEIGHT // 2]
        below = [p for p in red if p[1] >= HEIGHT // 2]
        # The ball: 0.1207 of the half height above the middle (row 105.5), radius about 11.6
        # pixels; its mirror image 0.6036 below (row 192.4), the same size.
        for found, row in ((above, 105.5), (below, 192.4)):
            self.assertGreater(len(found), 250, (row, len(found)))
            centre_row = sum(p[1] for p in found) / len(found)
            centre_column = sum(p[0] for p in found) / len(found)
            self.assertLess(abs(centre_row - row), 3, (row, centre_row))
            self.assertLess(abs(centre_column - 159.5), 2, centre_column)
            self.assertTrue(all(abs(p[1] - row) <= 15 and abs(p[0] - 159.5) <= 15 for p in found), row)
        self.assertLess(abs(len(above) - len(below)), len(above) // 4, (len(above), len(below)))

    def test_refraction_raises_the_floor_under_the_water(self):
        rows, _ = self.render("Refraction")
        red = self.red_rows(rows, range(150, 170))
        # Seen through the water the stripe spans rows 166-176; where it lies it would span
        # 173-184.
        self.assertTrue(red, "no stripe")
        self.assertLessEqual(abs(min(red) - 166), 2, red)
        self.assertLessEqual(abs(max(red) - 176), 2, red)
        self.assertFalse([r for r in red if r >= 180], red)
        self.assertFalse([r for r in self.red_rows(rows, range(0, WIDTH, 4)) if r < HEIGHT // 2], "red above")

    def test_each_face_of_the_cube_map_sees_the_wall_it_faces(self):
        rows, _ = self.render("Cube")
        # The mirror ball (screen radius about 90 pixels) reflects back towards the camera at
        # its middle (-z), up at its top, and so on.
        cases = [((160, 120), (0, 255, 255), "-z cyan"), ((215, 120), (255, 0, 0), "+x red"),
                 ((105, 120), (0, 255, 0), "-x green"), ((160, 65), (0, 0, 255), "+y blue"),
                 ((160, 175), (255, 255, 0), "-y yellow"), ((70, 20), (255, 0, 255), "+z magenta behind")]
        for (column, row), expected, what in cases:
            actual = rows[row][column]
            self.assertTrue(all(abs(a - e) <= 40 for a, e in zip(actual, expected)),
                            f"{what} at {(column, row)}: {actual}")

    def test_a_flare_behind_the_wall_is_not_seen_and_one_before_it_is(self):
        rows, output = self.render("Flares")
        counts = dict(re.findall(r"flare (\w+): (\d+) pixels", output))
        self.assertEqual(counts.get("Hidden"), "0", output)
        self.assertGreater(int(counts.get("Shown", "0")), 400, output)
        shown, hidden = rows[HEIGHT // 2][276], rows[HEIGHT // 2][121]
        self.assertGreater(min(shown[0], shown[1]), 230, shown)
        self.assertTrue(all(abs(c - 128) <= 3 for c in hidden), hidden)

    def lens(self, name):
        rows, _ = self.render(name)
        return rows

    def test_lens_reflections_lie_on_the_line_through_the_centre_and_fade_at_the_edge(self):
        rows = self.lens("LensIn")
        # Source at (0.4, 0.3): reflections at t = 0, 2/3, 4/3, 2 of the way to its mirror image.
        for t in (0, 2 / 3, 4 / 3, 2):
            column, row = screen(0.4 * (1 - t), 0.3 * (1 - t))
            self.assertGreaterEqual(rows[row][column][0], 245, (t, rows[row][column]))
        lit = [(c, r) for r in range(HEIGHT) for c in range(WIDTH) if rows[r][c][0] > 40]
        # Every lit pixel lies within a reflection's half size of the line y = 0.75 x.
        for column, row in lit:
            x, y = (column + 0.5) / WIDTH * 2 - 1, 1 - (row + 0.5) / HEIGHT * 2
            self.assertLess(abs(y - 0.75 * x) / 1.25, 0.16, (column, row))
        self.assertEqual(rows[screen(0.4, -0.3)[1]][screen(0.4, -0.3)[0]], (0, 0, 0))
        # Near the edge (x 0.85) the reflections fade to 0.6; off the screen they are gone.
        edge = self.lens("LensEdge")
        for t in (0, 2 / 3, 4 / 3, 2):
            column, row = screen(0.85 * (1 - t), 0.3 * (1 - t))
            self.assertLess(abs(edge[row][column][0] - 0.6 * 255), 12, (t, edge[row][column]))
        out = self.lens("LensOut")
        self.assertFalse([c for r in out for c in r if c != (0, 0, 0)])

    def test_the_wave_normal_map_is_drawn(self):
        rows, _ = self.render("Waves")
        pixels = [rows[r][c] for r in range(0, HEIGHT, 6) for c in range(0, WIDTH, 6)]
        reds = [p[0] for p in pixels]
        blues = [p[2] for p in pixels]
        # A normal map of gentle waves: mostly facing out of the texture (blue high), leaning
        # both ways in x and y around the middle grey.
        self.assertGreater(sum(blues) / len(blues), 180, blues[:20])
        self.assertLess(min(reds), 110, reds[:40])
        self.assertGreater(max(reds), 146, reds[:40])
        self.assertLess(abs(sum(reds) / len(reds) - 128), 30, sum(reds) / len(reds))


if __name__ == "__main__":
    unittest.main()
