"""The shipped scene under Wine: `zen.exe content gallery` draws every camera shot of Main.STR at
its middle through the DirectX9 renderer, and each picture must show something (a spread of
colours and brightness, not a blank or single-colour frame), no two shots may look alike, and the
contact sheet must be a PNG that ImageMagick reads at the expected size. The embedded media
archive must be the one the build made."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402
from test_content import pe_resource  # noqa: E402
from test_render import read_bmp, windows_path  # noqa: E402
from screen_reading import ZenUnderWine  # noqa: E402

HERE = os.path.dirname(__file__)
BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(HERE, "../../build/windows")))
SHOTS = ["Overlook", "Lantern", "Orbit", "SeaLevel", "Cottage", "Cliffs", "Moonpath", "Aerial", "TowerFoot"]
WIDTH, HEIGHT = 320, 240


def luminance(pixel):
    r, g, b = pixel
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


class SceneGallery(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = BUILD_DIR.resolve()
        cls.zen_exe = build / "tools" / "zen.exe"
        if not cls.zen_exe.exists():
            missing("zen.exe is not built")
        cls.folder = Path(tempfile.mkdtemp(prefix="gallery-", dir=build))
        cls.wine = WineHarness(str(build))
        cls.wine.open()
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", str(cls.zen_exe), "--log", windows_path(cls.folder / "gallery.log"),
                                   "content", "gallery", windows_path(cls.folder), "--size", f"{WIDTH}x{HEIGHT}",
                                   # The scene the build packed, rather than building it again.
                                   "--media", windows_path(build / "content" / "Media.rar2")],
                                  env=cls.wine.env, stdout=out, stderr=subprocess.STDOUT, timeout=900).returncode
            out.seek(0)
            cls.output = out.read().decode("utf-8", "replace")
        cls.code = code
        cls.pictures = {}
        for name in SHOTS:
            path = cls.folder / f"{name}.bmp"
            if path.exists():
                cls.pictures[name] = read_bmp(path)[2]

        # The moon and the lamp close up, each also with its flares left out, in one zen.exe.
        cls.flares = ZenUnderWine(str(build), "flares-")
        step = 1 / 30
        timing = ["--frames", "2", "--step", str(step), "--start", str(10 - step)]
        shots = {}
        for tag, shot, size, flares in (("moon", "Moonpath", "1024x768", ["MoonFlare"]),
                                        ("lamp", "Lantern", f"{WIDTH}x{HEIGHT}", ["LampFlareAhead", "LampFlareBehind"])):
            scene = cls.folder / f"{shot}.STR"
            shots[tag] = [scene, "--size", size, *timing]
            shots[f"{tag}-hidden"] = [scene, "--size", size, *timing] + [w for f in flares for w in ("--hide", f)]
        cls.flares.batch_code, _ = cls.flares.draw(shots)

    @classmethod
    def tearDownClass(cls):
        cls.flares.close()
        cls.wine.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_every_shot_is_drawn(self):
        self.assertEqual(self.code, 0, self.output)
        self.assertEqual(sorted(self.pictures), sorted(SHOTS))
        log = (self.folder / "gallery.log").read_bytes().decode("cp1251")
        self.assertNotIn("ERROR.", log)
        self.assertNotIn("WARNING.", log)

    def test_each_shot_shows_a_scene(self):
        for name, rows in self.pictures.items():
            with self.subTest(shot=name):
                self.assertEqual((len(rows[0]), len(rows)), (WIDTH, HEIGHT))
                values = [luminance(p) for row in rows[::2] for p in row[::2]]
                mean = sum(values) / len(values)
                spread = (sum((v - mean) ** 2 for v in values) / len(values)) ** 0.5
                colours = {(r >> 3, g >> 3, b >> 3) for row in rows[::2] for (r, g, b) in row[::2]}
                # A night scene: dark but not black, with detail and many colours.
                self.assertGreater(mean, 8, "too dark")
                self.assertLess(mean, 160, "washed out")
                self.assertGreater(spread, 8, "no contrast")
                self.assertGreater(len(colours), 60, "too few colours")

    def test_no_two_shots_alike(self):
        names = sorted(self.pictures)
        for i, a in enumerate(names):
            for b in names[i + 1:]:
                pa, pb = self.pictures[a], self.pictures[b]
                diff = [abs(luminance(pa[y][x]) - luminance(pb[y][x]))
                        for y in range(0, HEIGHT, 4) for x in range(0, WIDTH, 4)]
                self.assertGreater(sum(diff) / len(diff), 6, f"{a} and {b} look the same")

    def test_the_moon_flare_glows_at_its_full_size(self):
        # The Moonpath at its middle on a 1024 x 768 screen: the moon's glow (520 m across,
        # 1900 m out) is about 200 pixels wide there, far more than the 64 x 64 pixels of a point
        # sprite held to the device's default limit; the render reports the pixels it covered.
        output = self.flare_output("moon")
        moon = re.findall(r"flare MoonFlare: (\d+) pixels", output)
        self.assertEqual(len(moon), 1, output)
        self.assertGreater(int(moon[0]), 150 * 150, output)
        self.assertLess(int(moon[0]), 260 * 260, output)

    def test_the_flares_add_light_where_they_are_and_take_none(self):
        # Each shot drawn again with its flares left out: an additive glow only brightens, so no
        # pixel may darken (a glow that multiplied in another pass's textures drew black, one
        # that wrote depth cut holes in what came after it), and a glow the size of the flare
        # must brighten around it: the moon's is about 200 pixels across, the lamp's no wider than
        # the largest point sprite (255 pixels).
        for tag, least, widest in (("moon", 3000, 260), ("lamp", 3000, 256)):
            with self.subTest(shot=tag):
                shown, hidden = (read_bmp(self.flares.folder / f"{t}.bmp")[2] for t in (tag, f"{tag}-hidden"))
                gains = [(x, y, luminance(shown[y][x]) - luminance(hidden[y][x]))
                         for y in range(len(shown)) for x in range(len(shown[0]))]
                darker = [g for g in gains if g[2] < -3]
                brighter = [(x, y) for x, y, gain in gains if gain > 8]
                self.assertEqual(darker[:5], [], f"{len(darker)} pixels darker with the flares")
                self.assertGreater(len(brighter), least, self.flare_output(tag))
                xs, ys = [x for x, _ in brighter], [y for _, y in brighter]
                self.assertLessEqual(max(xs) - min(xs), widest, "the glow stays around its flare")
                self.assertLessEqual(max(ys) - min(ys), widest, "the glow stays around its flare")

    def flare_output(self, tag):
        self.assertEqual(self.flares.batch_code, 0, self.flares.batch_output)
        return self.flares.outputs.get(tag, "")

    def test_contact_sheet_is_a_png(self):
        if not shutil.which("identify"):
            missing("ImageMagick's identify is not installed")
        result = subprocess.run(["identify", "-format", "%m %w %h", str(self.folder / "gallery.png")],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        kind, width, height = result.stdout.split()
        self.assertEqual(kind, "PNG")
        self.assertEqual(int(width), 3 * (WIDTH // 2 + 8) + 8)
        self.assertEqual(int(height), 3 * (HEIGHT // 2 + 28 + 8) + 8)


class MediaArchive(unittest.TestCase):
    def test_the_program_carries_the_archive_the_build_made(self):
        scr = BUILD_DIR / "Brightfold.scr"
        archive = BUILD_DIR / "content" / "Media.rar2"
        if not scr.exists() or not archive.exists():
            missing("Brightfold.scr and its media archive are not built")
        data = archive.read_bytes()
        self.assertGreater(len(data), 100_000)
        self.assertLess(len(data), 16 * 1024 * 1024)
        self.assertEqual(pe_resource(scr, "MEDIADATA", 227), data)


if __name__ == "__main__":
    unittest.main()
