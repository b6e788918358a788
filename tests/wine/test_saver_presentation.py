"""What the full-screen saver shows under Wine, read back from screenshots: the loading screen
composed from its own pictures, the clock's digits against the local time in both styles, the
fade at the end of a camera shot; and the mouse ending the run (a click; the 11th move when
ExitOnMouseMove is on, not the 10th)."""
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until, host_zen, missing  # noqa: E402
from screen_reading import ClockReader, LOADER_CORNERS, Picture, difference, loading_screen  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD",
                                os.path.join(os.path.dirname(__file__), "../../build/windows"))).resolve()
WIDTH, HEIGHT = 1024, 768
TITLE = "Lighthouse 3D Screensaver"
CLEAN_END = ["INFO. Работа скринсейвера завершена корректно.", "INFO. Окна скринсейвера удалены.",
             "INFO. Скринсейвер завершил работу.", "INFO. Конец лога."]
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
# The scene above the clock, where a fade shows.
SCENE_AREA = (0, 0, WIDTH, 640)


class SaverPresentation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        zen = host_zen(BUILD_DIR)
        if not (BUILD_DIR / "Brightfold.scr").exists() or not zen.exists():
            missing(f"{BUILD_DIR / 'Brightfold.scr'} and the native zen {zen}")
        cls.folder = tempfile.TemporaryDirectory(prefix="brightfold-presentation-")
        cls.pictures = Path(cls.folder.name) / "pictures"
        names = ["loader.jpg", *LOADER_CORNERS, *(f"digit_{n}.tga" for n in
                                                 ("0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "p", "m", "ddot"))]
        subprocess.run([str(zen), "content", "pictures", str(cls.pictures), *names], check=True,
                       stdout=subprocess.DEVNULL, timeout=300)
        # The director's shot lengths, from the scene the saver carries.
        media = Path(cls.folder.name) / "media"
        subprocess.run([str(zen), "rar", "extract", str(BUILD_DIR / "content" / "Media.rar2"), str(media)], check=True,
                       stdout=subprocess.DEVNULL, timeout=300)
        dump = subprocess.run([str(zen), "scene", "dump", str(media / "Main.STR")], capture_output=True, text=True,
                              check=True, timeout=300).stdout
        cls.shot_lengths = [float(value) for value in re.findall(r"fade-in=\S+ duration=([0-9.]+)\)", dump)]
        cls.reader = ClockReader(cls.pictures, WIDTH, HEIGHT)
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.folder.cleanup()

    def shoot(self):
        """A screenshot and the wall-clock times just before and after it."""
        before = time.time()
        data = subprocess.run(["import", "-display", self.wine.env["DISPLAY"], "-window", "root", "-depth", "8",
                               "rgb:-"], capture_output=True, check=True, timeout=60).stdout
        after = time.time()
        self.assertEqual(len(data), WIDTH * HEIGHT * 3)
        return Picture(WIDTH, HEIGHT, 3, data), before, after

    def read_clock(self, hour24, timeout=90):
        """Screenshots until the clock reads back as a local time of the run; returns that
        time (seconds since the epoch) and the screenshot."""
        found = {}

        def readable():
            shot, before, after = self.shoot()
            text, moment, read = self.reader.find_time(shot, before, after, hour24)
            found.update(text=text, moment=moment, read=read, shot=shot)
            return text is not None

        self.assertTrue(_wait_until(readable, timeout, 0), f"the clock reads {found.get('read')!r}")
        return found["moment"], found["shot"]

    def start_saver(self, dpi=None, **settings):
        self.wine.delete_key()
        self.wine.run("/a", timeout=120)  # Writes the defaults.
        for name, value in settings.items():
            self.wine.set_dword(name, value)
        self.addCleanup(self.wine.delete_key)
        if dpi:
            self.wine.reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
            self.addCleanup(self.wine.reg, "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        return self.wine.start("/s")

    def end_cleanly(self, process):
        result = self.wine.wait(process, 120)
        self.assertFalse(result.timed_out, result.log)
        self.assertEqual(result.exit_code, 0, result.log)
        at = 0
        for line in CLEAN_END:
            self.assertIn(line, result.lines[at:], result.log)
            at = result.lines.index(line, at) + 1
        self.assertEqual(result.lines[-1], CLEAN_END[-1])
        # The sound device the sound manager opened at the engine's start cannot be opened a
        # second time for the window: that one error line is expected.
        errors = [line for line in result.lines
                  if line.startswith("ERROR.") and not line.startswith("ERROR. Невозможно инициализировать звук.")]
        self.assertFalse(errors, result.log)

    def test_at_144_dpi_loading_screen_then_the_12_hour_clock_and_a_click_ends_the_run(self):
        # At 144 DPI (Wine's LogPixels) the saver still draws every pixel of the screen: the
        # pictures and glyphs are read back at their own pixel sizes.
        process = self.start_saver(dpi=144)
        try:
            # The first picture on the screen is the loading screen.
            first = {}

            def shown():
                first["shot"] = self.shoot()[0]
                return not first["shot"].is_black()

            self.assertTrue(_wait_until(shown, 120, 0))
            shot, expected = first["shot"], loading_screen(self.pictures, WIDTH, HEIGHT)
            self.assertLess(difference(shot, expected, 0, 0, WIDTH, HEIGHT, step=4), 6)
            # Each corner picture at its own size, flush with its corner: moved two pixels any
            # way, it matches clearly worse.
            for name, gravity in LOADER_CORNERS.items():
                corner = Picture.load(self.pictures / name)
                left = 0 if gravity.endswith("West") else WIDTH - corner.width
                top = 0 if gravity.startswith("North") else HEIGHT - corner.height
                box = (left + 3, top + 3, left + corner.width - 3, top + corner.height - 3)
                placed = difference(shot, expected, *box)
                self.assertLess(placed, 8, name)
                for dx, dy in ((2, 0), (-2, 0), (0, 2), (0, -2)):
                    self.assertGreater(difference(shot, expected, *box, dx, dy), placed * 1.25, (name, dx, dy))

            # The scene, with the clock in 12-hour style reading the local time.
            self.read_clock(hour24=False)
            window = self.wine.window_id(TITLE)
            self.assertIsNotNone(window)
            geometry = self.wine.xdotool("getwindowgeometry", window).stdout
            self.assertIn("Position: 0,0", geometry)
            self.assertIn(f"Geometry: {WIDTH}x{HEIGHT}", geometry)
            for x, y in ((200, 200), (260, 240), (320, 280)):  # Moves alone do not end this run.
                self.wine.xdotool("mousemove", "--window", window, str(x), str(y))
            self.read_clock(hour24=False)
            self.assertIsNone(process.poll())
            self.wine.xdotool("click", "1")
        except BaseException:
            self.wine.wait(process, 0)
            raise
        self.end_cleanly(process)

    def observe(self, hour24):
        """A screenshot: the clock's time read from it (None when unreadable), and the scene's
        brightness noted with the time it was taken."""
        shot, before, after = self.shoot()
        moment = self.reader.find_time(shot, before, after, hour24)[1]
        self.levels.append((after, shot.mean_level(*SCENE_AREA), moment is not None))
        return moment

    def fade(self):
        """The time of the first screenshot in which the scene is under a third of its brightness
        a few seconds before while the clock is still drawn over it, or None."""
        for when, level, clock in self.levels:
            before = [entry[1] for entry in self.levels if when - 6 < entry[0] < when - 1.5]
            if clock and before and level < 0.35 * max(before):
                return when, level
        return None

    def test_24_hour_clock_the_fade_at_a_shots_end_and_the_eleventh_mouse_move(self):
        self.assertTrue(self.shot_lengths)
        self.levels = []
        process = self.start_saver(Hour24=1, ExitOnMouseMove=1)
        try:
            self.assertTrue(self.wine.wait_for_log_line("Сейвер создан.", 120), self.wine.read_log())
            loop_started = time.time()
            window = self.wine.window_id(TITLE)
            self.assertIsNotNone(window)
            self.read_clock(hour24=True)

            # Ten moves, each to a new place and each seen by the saver before the next: a
            # clock drawn two seconds on belongs to a frame that took its input after the move
            # (Wine would merge moves waiting together into one).
            for n in range(10):
                self.wine.xdotool("mousemove", "--window", window, str(100 + 30 * n), str(120 + 20 * n))
                moved = time.time()
                self.assertTrue(_wait_until(lambda: (self.observe(True) or 0) >= int(moved) + 2, 90, 0))
                self.assertIsNone(process.poll(), f"the run ended after {n + 1} moves")

            # A fade at the end of the first shot: the scene goes nearly black under the clock,
            # then the next shot comes up.
            limit = loop_started + max(self.shot_lengths) + 30
            self.assertTrue(_wait_until(lambda: self.observe(True) is not None and self.fade(), limit - time.time(), 0),
                            self.levels)
            dark_at, dark_level = self.fade()
            self.assertGreater(dark_at - loop_started, min(self.shot_lengths) - 2, self.levels)
            self.assertTrue(_wait_until(lambda: self.observe(True) is not None and self.levels[-1][0] > dark_at and
                                        self.levels[-1][1] > 2 * dark_level, 60, 0), self.levels)
            self.assertIsNone(process.poll())

            self.wine.xdotool("mousemove", "--window", window, "600", "500")  # The 11th.
        except BaseException:
            self.wine.wait(process, 0)
            raise
        self.end_cleanly(process)


if __name__ == "__main__":
    unittest.main()
