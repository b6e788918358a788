"""Post-render effects under Wine: scenes made by `zen.exe scene post-test` are drawn by
`zen.exe render` through the DirectX9 renderer and the pictures are checked pixel by pixel:
sepia tones a known grey and a known red into the colours its formula gives, the film flag
leaves black bars of an eighth of the height above and below an unchanged band, and bloom turns
a small white square into a halo that fades with distance (and, shrinking the screen eight
times, gives spots of a few pixels alike halos wherever they fall among its blocks), depth of field keeps the focal plane
sharp and blurs the far one, ripples wave a straight edge, a glow stays around its own nodes,
and old film tones and darkens one band."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from screen_reading import ZenUnderWine, windows_path  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 320, 240


def sepia(rgb, amount=1.0):
    """The toned colour: luminance 0.299 r + 0.587 g + 0.184 b shifted by (80, 43, -23) / 255,
    blended by the amount, each channel clamped to the displayable range."""
    r, g, b = (c / 255 for c in rgb)
    lum = r * 0.299 + g * 0.587 + b * 0.184
    toned = (lum + 80 / 255, lum + 43 / 255, lum - 23 / 255)
    out = []
    for t, s in zip((r, g, b), toned):
        s = min(max(s, 0.0), 1.0)
        out.append(round(min(max((1 - amount) * t + amount * s, 0.0), 1.0) * 255))
    return tuple(out)


# The scenes drawn, with what each needs beyond three frames at the test's size.
SCENES = {"Sepia": [], "Letterbox": [], "Bloom": [], "BloomSpots": [], "DOF": [], "Ripple": ["--step", "0.25"], "Glow": [],
          "Film": ["--step", "0.1", "--seed", "7"]}


class PostRender(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = ZenUnderWine(BUILD_DIR, "post-render-")
        code, output = cls.tool.run("scene", "post-test", windows_path(cls.tool.folder))
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the post-render scenes were not made: {output}")
        cls.tool.draw({name: [cls.tool.folder / f"{name}.STR", "--frames", "3", "--size", f"{WIDTH}x{HEIGHT}", *extra]
                       for name, extra in SCENES.items()})

    @classmethod
    def tearDownClass(cls):
        cls.tool.close()

    def render(self, name):
        rows, lines, _ = self.tool.picture(name)
        self.assertEqual((len(rows[0]), len(rows)), (WIDTH, HEIGHT))
        self.assertFalse([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], lines)
        return rows

    def assertColor(self, rows, point, expected, what, tolerance=3):
        column, row = point
        actual = rows[row][column]
        self.assertTrue(all(abs(a - e) <= tolerance for a, e in zip(actual, expected)),
                        f"{what} at {point}: {actual}, expected {expected}")

    def test_sepia_tones_grey_and_red_by_its_formula(self):
        rows = self.render("Sepia")
        cases = [((60, 120), (128, 128, 128), "grey"), ((260, 120), (255, 0, 0), "red"),
                 ((20, 20), (128, 128, 128), "grey corner"), ((300, 220), (255, 0, 0), "red corner")]
        for point, source, what in cases:
            self.assertColor(rows, point, sepia(source), what)
        self.assertEqual(sepia((128, 128, 128)), (217, 180, 114))  # Worked by hand as well.

    def test_the_film_flag_leaves_black_bars_of_an_eighth_of_the_height(self):
        rows = self.render("Letterbox")
        bar = HEIGHT // 8
        for row in (0, bar // 2, bar - 1, HEIGHT - bar, HEIGHT - 1):
            for column in (10, 160, 310):
                self.assertColor(rows, (column, row), (0, 0, 0), "bar", tolerance=0)
        for row in (bar + 1, HEIGHT // 2, HEIGHT - bar - 2):
            self.assertColor(rows, (60, row), (128, 128, 128), "grey band")
            self.assertColor(rows, (260, row), (255, 0, 0), "red band")

    def test_bloom_spreads_a_bright_square_into_a_fading_halo(self):
        rows = self.render("Bloom")
        centre = rows[HEIGHT // 2][WIDTH // 2]
        self.assertEqual(centre, (255, 255, 255))
        # The square's right edge lies about 7 pixels right of the centre; step outward.
        glow = [rows[HEIGHT // 2][WIDTH // 2 + 7 + d][0] for d in (3, 6, 10, 15, 40)]
        self.assertGreater(glow[0], 30, glow)
        for nearer, farther in zip(glow, glow[1:]):
            self.assertGreaterEqual(nearer, farther, glow)
        self.assertGreater(glow[0], glow[3] + 20, glow)
        self.assertLessEqual(glow[4], 3, glow)
        self.assertEqual(rows[5][5], (0, 0, 0))

    def test_bloom_at_an_eighth_gives_every_small_spot_its_halo(self):
        rows = self.render("BloomSpots")
        middle = rows[HEIGHT // 2]
        # The spots' columns, each at another place within the eight-pixel blocks.
        centres = [73, 118, 163, 208]
        for column in centres:
            self.assertEqual(middle[column], (255, 255, 255), column)
        # Six pixels out from each spot's side, on both sides, the halo shows; spots alike get
        # halos alike (a bright pass that read one pixel of each block would miss some spots).
        halos = [min(middle[c - 8][0], middle[c + 8][0]) for c in centres]
        self.assertGreater(min(halos), 10, halos)
        self.assertLess(max(halos), 2.5 * min(halos), halos)
        # The glow fades with distance, and far from the spots the view stays black.
        self.assertGreater(middle[208 + 8][0], middle[208 + 24][0], middle[200:250])
        for point in [(260, HEIGHT // 2), (300, HEIGHT // 2), (160, 40), (160, 200), (20, 120)]:
            self.assertLessEqual(max(rows[point[1]][point[0]]), 3, point)

    def test_depth_of_field_keeps_the_focal_plane_sharp_and_blurs_the_far_one(self):
        rows = self.render("DOF")
        middle = rows[HEIGHT // 2]
        # Red channel across each edge, 3 pixels either side: the in-focus edge (column 131)
        # keeps its full step, the far one (column 189) is spread into a ramp.
        near = [middle[c][0] for c in range(128, 135)]
        far = [middle[c][0] for c in range(180, 199)]
        self.assertGreaterEqual(near[0], 250, near)
        self.assertLessEqual(near[-1], 5, near)
        self.assertLess(abs(far[6] - far[12]), 140, far)
        self.assertGreaterEqual(sum(1 for v in far if 25 <= v <= 230), 6, far)
        for lower, higher in zip(far, far[1:]):
            self.assertLessEqual(lower, higher + 2, far)
        # Inside each rectangle the colour stays, and the blurred one lights the black beside it.
        self.assertEqual(middle[80], (255, 255, 255))
        self.assertGreaterEqual(min(middle[260]), 245, middle[260])
        self.assertGreater(middle[183][0], 10, far)
        self.assertLessEqual(middle[140][0], 3, near)

    def test_ripples_wave_the_straight_edge_between_the_walls(self):
        rows = self.render("Ripple")
        edges = []
        for row in range(10, HEIGHT - 10, 4):
            line = rows[row]
            edges.append(next(c for c in range(WIDTH) if line[c][1] < 64 and line[c][0] > 200))
            self.assertColor(rows, (40, row), (128, 128, 128), "grey far from the edge", tolerance=2)
            self.assertColor(rows, (280, row), (255, 0, 0), "red far from the edge", tolerance=2)
        # Without ripples every row would turn red at column 160; the normal map moves it by up
        # to about 0.03 x 0.8 of the width, each way.
        self.assertGreaterEqual(max(edges) - min(edges), 6, edges)
        self.assertTrue(all(148 <= e <= 172 for e in edges), edges)
        self.assertGreater(len(set(edges)), 3, edges)

    def test_the_glow_surrounds_only_its_own_node(self):
        rows = self.render("Glow")
        middle = rows[HEIGHT // 2]
        self.assertEqual(middle[WIDTH // 2], (255, 255, 255))
        self.assertColor(rows, (40, HEIGHT // 2), (128, 128, 128), "grey wall")
        halo = [middle[WIDTH // 2 + 7 + d][0] for d in (3, 6, 10, 40)]
        self.assertGreater(halo[0], 30, halo)
        self.assertGreater(halo[0], halo[2], halo)
        self.assertLessEqual(halo[3], 3, halo)
        # Beside the grey wall's edge (column 73) it stays black: the wall does not glow.
        self.assertEqual([middle[c] for c in (78, 82, 90)], [(0, 0, 0)] * 3)

    def test_old_film_tones_the_picture_and_darkens_one_band(self):
        rows = self.render("Film")
        toned = sepia((128, 128, 128))
        half = tuple(round(c * 128 / 255) for c in toned)
        line = rows[HEIGHT // 2]
        dark = [c for c in range(WIDTH) if line[c][0] < toned[0] - 40]
        self.assertTrue(12 <= len(dark) <= 20, dark)
        self.assertEqual(dark, list(range(dark[0], dark[0] + len(dark))), dark)
        self.assertColor(rows, (dark[len(dark) // 2], HEIGHT // 2), half, "the band", tolerance=4)
        for column in (c for c in range(0, WIDTH, 8) if c not in dark and all(abs(c - d) > 2 for d in dark)):
            self.assertColor(rows, (column, HEIGHT // 2), toned, "toned")
        # The band runs the full height.
        self.assertColor(rows, (dark[len(dark) // 2], 5), half, "the band's top", tolerance=4)


if __name__ == "__main__":
    unittest.main()
