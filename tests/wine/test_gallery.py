"""The effect catalogue under Wine: `zen.exe scene gallery` writes one scene per effect (a lit
sphere above a floor), `zen.exe render` draws each with the effect's best technique, with shader
model 1 at most and with the fixed-function fallback, and the pictures are measured: the lit side
of the sphere is brighter than the other, the fallbacks' mean colour stays near the best
technique's, a normal map changes the shading, a cube map's colours show in a reflective effect,
fog tints with distance; no log line reports an error (a shader that does not assemble would).
`zen.exe scene gallery --sheet` draws the best pictures itself and lays them out on gallery.png,
which is checked cell by cell against the pictures and copied next to the build for a look."""
import math
import os
import shutil
import struct
import sys
import unittest
import zlib
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from screen_reading import ZenUnderWine, read_bmp, windows_path  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows"))

WIDTH, HEIGHT = 200, 150
FOV = 0.7853982
LEVELS = {"best": (), "sm1": ("--shader-level", "11"), "fixed": ("--fixed-function",)}
# Effects whose pictures are lit by the gallery's sun (from the left).
LIT = ["Texture1DL", "Texture1DLFog", "Texture1DL1PL", "NormalmapTexture1DL", "LightmapTexture1DL",
       "VelvetTexture1DL", "DarkmapNormalmapTexture1DL", "ParallaxTexture1DL", "NormalmapLightmapTexture1DL",
       "ParallaxLightmapTexture1DL", "GlossmapTexture1DL", "NormalmapTexture1DL1PL"]
# Pairs (with, without): the first must differ from the second on the sphere.
NORMAL_MAPPED = [("NormalmapTexture1DL", "Texture1DL"), ("NormalmapTexture", "Texture"),
                 ("DarkmapNormalmapTexture1DL", "LightmapTexture1DL"),
                 ("NormalmapLightmapTexture1DL", "LightmapTexture1DL"), ("NormalmapLightmapTexture", "LightmapTexture"),
                 ("ParallaxLightmapTexture1DL", "LightmapTexture1DL"), ("NormalmapTexture1DL1PL", "Texture1DL1PL")]
# Pairs (with a gloss map, without): the gloss map's stripes change the highlight.
GLOSSED = [("GlossmapTexture", "Texture"), ("GlossmapTexture1DL", "Texture1DL")]
# Effects that show the gallery's cube map.
REFLECTIVE = ["ReflectiveCubeTexture", "GlossReflectiveCubeTexture"]
# (scene, level, start): pictures drawn with a fixed step after the scene ran `start` seconds.
TIMED = [(name, "best", start) for name in ("Lava", "Clouds", "FlatWater1DL") for start in (0, 3)] + \
    [(name, level, 1) for name in ("Clouds", "CloudsBall") for level in ("best", "sm1")]


def project(x, y, z):
    y_scale = 1.0 / math.tan(FOV / 2)
    x_scale = y_scale / (WIDTH / HEIGHT)
    return int((x * x_scale / z + 1) / 2 * WIDTH), int((1 - y * y_scale / z) / 2 * HEIGHT)


def ball_pixels(rows, x_from=-1.0, x_to=1.0):
    """The pixels inside the sphere's outline (centre (0, 0, 5), radius 1, shrunk a little to keep
    off the edge) whose x, in the sphere's own units, lies in [x_from, x_to)."""
    cx, cy = project(0, 0, 5)
    radius = (project(1, 0, 5)[0] - cx) * 0.85
    out = []
    for row in range(int(cy - radius), int(cy + radius) + 1):
        for column in range(int(cx - radius), int(cx + radius) + 1):
            dx, dy = (column - cx) / radius, (row - cy) / radius
            if dx * dx + dy * dy < 1 and x_from <= dx < x_to:
                out.append(rows[row][column])
    return out


def read_png(path):
    """(width, height, rows top-down of (r, g, b) tuples) of an 8-bit RGB, non-interlaced PNG."""
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    position, idat, header = 8, b"", None
    while position < len(data):
        length, kind = struct.unpack_from(">I4s", data, position)
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    width, height, depth, color, _, _, interlace = header
    assert depth == 8 and color == 2 and interlace == 0, header
    raw, stride, rows, previous = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up, corner = previous[i], previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[3 * x:3 * x + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def mean(pixels):
    n = max(len(pixels), 1)
    return tuple(sum(p[i] for p in pixels) / n for i in range(3))


def brightness(pixels):
    return sum(mean(pixels)) / 3


class Gallery(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = ZenUnderWine(BUILD_DIR, "gallery-")
        cls.folder = cls.tool.folder
        # The scenes and, drawn by the tool itself with the best technique, their pictures
        # (<name>.bmp) and the contact sheet; one log for all of it.
        cls.gallery_log = cls.folder / "gallery.log"
        code, output = cls.tool.run("--log", windows_path(cls.gallery_log), "scene", "gallery",
                                    windows_path(cls.folder), "--sheet", "--size", f"{WIDTH}x{HEIGHT}", timeout=1200)
        if code != 0:
            cls.tool.close()
            raise RuntimeError(f"the gallery was not made: {output}")
        cls.scenes = sorted(p.stem for p in cls.folder.glob("*.STR"))
        cls.order = [line.split("/")[-1].split("\\")[-1][:-4] for line in output.splitlines()
                     if line.startswith("wrote ") and line.endswith(".STR")]
        cls.pictures = {}
        # Every other picture the tests read, in one zen.exe.
        shots = {f"{name}-{level}": [cls.folder / f"{name}.STR", "--frames", "3", "--size", f"{WIDTH}x{HEIGHT}",
                                     *LEVELS[level]] for name in cls.scenes for level in ("sm1", "fixed")}
        for name, level, start in TIMED:
            shots[f"{name}-{level}-{start}"] = [cls.folder / f"{name}.STR", "--frames", "2", "--size",
                                                f"{WIDTH}x{HEIGHT}", "--step", "0.0333333", "--start", str(start),
                                                "--seed", "7", *LEVELS[level]]
        cls.batch_code, cls.batch_output = cls.tool.draw(shots)

    @classmethod
    def tearDownClass(cls):
        if (cls.folder / "gallery.png").exists():
            shutil.copyfile(cls.folder / "gallery.png", Path(BUILD_DIR).resolve() / "gallery.png")
        cls.tool.close()

    def picture(self, name, level):
        """Rows of the scene `name` drawn at `level` ("best", "sm1", "fixed"); the log must hold no
        error line."""
        key = (name, level)
        if key not in self.pictures and level == "best":
            self.pictures[key] = read_bmp(self.folder / f"{name}.bmp")[2]
        if key not in self.pictures:
            rows, lines, _ = self.tool.picture(f"{name}-{level}")
            errors = [line for line in lines if line.startswith(("ERROR", "CRITICAL"))]
            self.assertEqual(errors, [], f"{name} at {level}")
            self.pictures[key] = rows
        return self.pictures[key]

    def test_the_tool_draws_every_scene_without_an_error_and_lays_them_out_on_the_sheet(self):
        lines = self.gallery_log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines()
        self.assertEqual([line for line in lines if line.startswith(("ERROR", "CRITICAL"))], [])
        self.assertEqual(sorted(self.order), self.scenes)
        width, height, sheet = read_png(self.folder / "gallery.png")
        columns, gap, label = 6, 8, 28
        rows = (len(self.order) + columns - 1) // columns
        self.assertEqual((width, height), (columns * (WIDTH + gap) + gap, rows * (HEIGHT + label + gap) + gap))
        for index, name in enumerate(self.order):
            with self.subTest(scene=name):
                left, top = gap + index % columns * (WIDTH + gap), gap + index // columns * (HEIGHT + label + gap)
                cell = [row[left:left + WIDTH] for row in sheet[top:top + HEIGHT]]
                on_sheet, drawn = mean(ball_pixels(cell)), mean(ball_pixels(self.picture(name, "best")))
                self.assertTrue(all(abs(a - b) <= 3 for a, b in zip(on_sheet, drawn)), f"{on_sheet} and {drawn}")

    def test_every_scene_draws_its_sphere_at_every_level(self):
        self.assertGreaterEqual(len(self.scenes), 4)
        self.assertEqual(self.batch_code, 0, self.batch_output)
        for name in self.scenes:
            for level in LEVELS:
                with self.subTest(scene=name, level=level):
                    rows = self.picture(name, level)
                    self.assertGreater(brightness(ball_pixels(rows)), 20, "the sphere is drawn")

    def test_the_lit_side_is_brighter(self):
        for name in LIT:
            for level in LEVELS:
                with self.subTest(scene=name, level=level):
                    rows = self.picture(name, level)
                    lit, dark = brightness(ball_pixels(rows, -1, -0.3)), brightness(ball_pixels(rows, 0.3, 1))
                    self.assertGreater(lit, dark * 1.5 + 10, f"lit {lit:.0f}, unlit {dark:.0f}")

    def test_fallbacks_keep_the_mean_colour(self):
        for name in self.scenes:
            best = mean(ball_pixels(self.picture(name, "best")))
            for level in ("sm1", "fixed"):
                with self.subTest(scene=name, level=level):
                    other = mean(ball_pixels(self.picture(name, level)))
                    self.assertTrue(all(abs(a - b) <= 40 for a, b in zip(best, other)), f"{best} and {other}")

    def test_a_normal_map_changes_the_shading(self):
        for bumped, plain in NORMAL_MAPPED:
            with self.subTest(scene=bumped):
                a, b = ball_pixels(self.picture(bumped, "best")), ball_pixels(self.picture(plain, "best"))
                differing = sum(1 for p, q in zip(a, b) if max(abs(p[i] - q[i]) for i in range(3)) > 24)
                self.assertGreater(differing, len(a) // 10)

    def test_a_gloss_map_changes_the_highlight(self):
        for glossed, plain in GLOSSED:
            for level in ("best", "sm1"):
                with self.subTest(scene=glossed, level=level):
                    a, b = ball_pixels(self.picture(glossed, level)), ball_pixels(self.picture(plain, level))
                    differing = sum(1 for p, q in zip(a, b) if max(abs(p[i] - q[i]) for i in range(3)) > 24)
                    self.assertGreater(differing, len(a) // 25)

    def test_reflective_effects_show_the_cube_map(self):
        for name in REFLECTIVE:
            with self.subTest(scene=name):
                pixels = ball_pixels(self.picture(name, "best"))
                saturated = [p for p in pixels if max(p) - min(p) > 60]
                self.assertGreater(len(saturated), len(pixels) // 4)

    def test_fog_tints_with_distance(self):
        # The floor left of the sphere, near and far: fog (0.2, 0.3, 0.6) x 255 at density 0.08.
        for level in LEVELS:
            with self.subTest(level=level):
                fogged, clear = self.picture("Texture1DLFog", level), self.picture("Texture1DL", level)
                fog = (51, 76, 153)
                for x, z in ((-1.8, 4.0), (-5.0, 20.0)):
                    column, row = project(x, -1.5, z)
                    f = math.exp(-0.08 * z)
                    seen, plain = fogged[row][column], clear[row][column]
                    expected = tuple(f * p + (1 - f) * c for p, c in zip(plain, fog))
                    self.assertTrue(all(abs(s - e) <= 30 for s, e in zip(seen, expected)),
                                    f"z {z}: {seen}, expected {expected} from {plain}")

    # --- Water, clouds, lava, grass ---------------------------------------------------------

    def timed(self, name, start, level="best"):
        """Rows of `name` drawn with a fixed step of 1/30 s after the scene ran `start` seconds."""
        key = (name, level, start)
        self.assertIn(key, TIMED)
        if key not in self.pictures:
            self.pictures[key] = self.tool.picture(f"{name}-{level}-{start}")[0]
        return self.pictures[key]

    def test_water_mirrors_the_sphere(self):
        # The water scenes lift the water to y = -1 and the sphere to (0, 0.5, 5): its mirror
        # image, centred at (0, -2.5, 5), shows at the picture's lower edge. There the water is
        # greener than beside it, where it mirrors only the dark (or the sky cube's faces seen
        # there, magenta and blue, which have no green): the sphere is a light beige.
        _, top = project(0, -1.5, 5)
        rows = range(top + 3, HEIGHT - 1)
        for name in ("ReflectiveQuietFlatWater", "ReflectiveRefractiveQuietFlatWater", "FlatWater1DL"):
            with self.subTest(scene=name):
                picture = self.picture(name, "best")
                cx, _ = project(0, 0, 5)
                half = (project(0.4, 0, 5)[0] - cx)
                under = [picture[r][c] for r in rows for c in range(cx - half, cx + half)]
                beside = [picture[r][c] for r in rows for c in range(cx - 5 * half, cx - 3 * half)]
                self.assertGreater(mean(under)[1], mean(beside)[1] + 15, f"under {mean(under)}, beside {mean(beside)}")

    def test_open_water_shows_the_sky_cube(self):
        # The water between the sphere and its mirror image (7 to 4 units away, seen 8 to 14
        # degrees below the horizon) mirrors mostly the cube (its +y blue and +z magenta faces):
        # saturated colours, where the quiet water (no cube) stays a dark tint.
        _, first = project(0, -1, 7.5)
        _, last = project(0, -1, 4.2)
        band = [(r, c) for r in range(first, last) for c in range(5, WIDTH - 5)]
        for name, least in (("FlatWater", 0.5), ("FlatWater1DL", 0.5)):
            with self.subTest(scene=name):
                picture = self.picture(name, "best")
                saturated = [1 for r, c in band if max(picture[r][c]) - min(picture[r][c]) > 60]
                self.assertGreater(len(saturated), least * len(band))
        quiet = self.picture("ReflectiveQuietFlatWater", "best")
        self.assertLess(sum(1 for r, c in band if max(quiet[r][c]) - min(quiet[r][c]) > 60), len(band) // 4)

    def test_shader_model_1_water_keeps_the_best_mean(self):
        # On the water between the sphere and its mirror image. (The fixed-function water has no
        # view-dependent reflection: it keeps only the colour, with the cube's mean mixed in.)
        _, first = project(0, -1, 7.5)
        _, last = project(0, -1, 4.2)
        band = [(r, c) for r in range(first, last) for c in range(0, WIDTH, 2)]
        for name in ("ReflectiveQuietFlatWater", "ReflectiveRefractiveQuietFlatWater", "FlatWater", "FlatWater1DL"):
            with self.subTest(scene=name):
                best, sm1 = self.picture(name, "best"), self.picture(name, "sm1")
                a, b = mean([best[r][c] for r, c in band]), mean([sm1[r][c] for r, c in band])
                self.assertTrue(all(abs(x - y) <= 40 for x, y in zip(a, b)), f"{a} and {b}")

    def test_lava_and_clouds_move_with_time(self):
        for name in ("Lava", "Clouds", "FlatWater1DL"):
            with self.subTest(scene=name):
                a, b = self.timed(name, 0), self.timed(name, 3)
                if name == "FlatWater1DL":  # The water below the horizon.
                    region = [(r, c) for r in range(HEIGHT // 2 + 4, HEIGHT) for c in range(WIDTH)]
                    pa, pb = [a[r][c] for r, c in region], [b[r][c] for r, c in region]
                else:
                    pa, pb = ball_pixels(a), ball_pixels(b)
                changed = sum(1 for p, q in zip(pa, pb) if max(abs(p[i] - q[i]) for i in range(3)) > 12)
                self.assertGreater(changed, len(pa) // 5)

    def test_grass_lit_by_the_sun_takes_its_share_of_the_light(self):
        # Facing up, lit by a sun 15 degrees high (height 0.268) with ambient 0.3: the colour x
        # (0.3 + 0.9 x 0.268) = 0.54 of the unlit picture's, at every level.
        for level in LEVELS:
            with self.subTest(level=level):
                lit, unlit = brightness(ball_pixels(self.picture("Grass", level))), \
                    brightness(ball_pixels(self.picture("GrassUnlit", level)))
                self.assertAlmostEqual(lit / unlit, 0.54, delta=0.08)

    def test_blended_clouds_draw_back_to_front(self):
        # The floor's clouds lie behind the sphere's lower half: drawn first, they show through
        # the sphere's thin cloud there, which they could not if the sphere came first (its depth
        # would hide them). Both scenes at the same moment, so the sphere's clouds are the same.
        cx, cy = project(0, 0, 5)
        radius = (project(1, 0, 5)[0] - cx) * 0.85
        lower = [(r, c) for r in range(cy + 3, int(cy + radius)) for c in range(int(cx - radius), int(cx + radius))
                 if (r - cy) ** 2 + (c - cx) ** 2 < radius ** 2]
        for level in ("best", "sm1"):
            with self.subTest(level=level):
                over, alone = self.timed("Clouds", 1, level), self.timed("CloudsBall", 1, level)
                a, b = [over[r][c] for r, c in lower], [alone[r][c] for r, c in lower]
                self.assertGreater(brightness(a), brightness(b) + 8, f"{mean(a)} over the floor, {mean(b)} alone")
                # Above the floor's horizon nothing lies behind: the same picture there.
                upper = [(r, c) for r in range(int(cy - radius), cy - 3) for c in range(cx - 3, cx + 3)]
                self.assertTrue(all(over[r][c] == alone[r][c] for r, c in upper))

if __name__ == "__main__":
    unittest.main()
