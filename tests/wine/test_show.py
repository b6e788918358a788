"""A minute of the show under Wine: the saver runs `/s` for sixty seconds with its sound going to
an ALSA file device. The log must hold no error or warning line, the screenshots taken through the
run must show at least three different camera shots (told apart by the cuts between them: a
faded-out frame, or a jump in the picture too large for one camera's flight), and the captured
sound must not be silent. The time from the process start to the first frame of the scene is
printed (to the nearest screenshot) for the performance notes.

The screen is sampled as often as the machine allows (about ten times a second, the picture
reduced to a grid by ImageMagick): a fade is dark for well under a second, and at one sample a
second a run would miss a fade now and then and count too few shots."""
import array
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until, missing  # noqa: E402
from test_saver_lifecycle import loading_screen_shown, read_ppm  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD",
                                os.path.join(os.path.dirname(__file__), "../../build/windows"))).resolve()
RUN_SECONDS = 60
GRID = (16, 12)
FADED = 0.5  # A frame darker than this fraction of the brightness around it is fading.
AROUND = 3.0  # Seconds each side of a frame that set the brightness it is compared with.
CUT = 28.0  # Mean luminance change across the grid that no camera's flight makes in a second.


def grid_signature(display):
    """Mean luminance of each cell of a GRID over the screen, averaged by ImageMagick."""
    grab = subprocess.Popen(["import", "-display", display, "-window", "root", "ppm:-"], stdout=subprocess.PIPE)
    cells = subprocess.run(["convert", "ppm:-", "-scale", f"{GRID[0]}x{GRID[1]}!", "-depth", "8", "rgb:-"],
                           stdin=grab.stdout, capture_output=True, timeout=60).stdout
    grab.stdout.close()
    grab.wait(60)
    if len(cells) != GRID[0] * GRID[1] * 3:
        return None
    return [0.2126 * cells[at] + 0.7152 * cells[at + 1] + 0.0722 * cells[at + 2] for at in range(0, len(cells), 3)]


def distance(a, b):
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


def shots_seen(samples):
    """The number of shots in a run of (seconds, signature) samples: a new one begins after a
    fading frame (the presentation fades out at the end of every shot and in at the start of the
    next), a frame darker than FADED of the median brightness within AROUND seconds of it, or at
    a jump larger than CUT between samples less than a second apart. The local median keeps a
    dark shot beside bright ones from counting as one long fade."""
    means = [(at, sum(cells) / len(cells)) for at, cells in samples]
    shots, previous, faded = 0, None, True
    for at, cells in samples:
        around = sorted(mean for when, mean in means if abs(when - at) <= AROUND)
        if sum(cells) / len(cells) < FADED * around[len(around) // 2]:
            faded = True
            continue
        jump = previous is not None and at - previous[0] < 1.0 and distance(cells, previous[1]) > CUT
        if faded or previous is None or jump:
            shots += 1
        previous, faded = (at, cells), False
    return shots


class ShotCounting(unittest.TestCase):
    def test_cuts_and_fades_separate_shots(self):
        bright, other, dark = [60.0] * 192, [60.0] * 96 + [0.0] * 96, [1.0] * 192
        drift, dim = [62.0] * 192, [20.0] * 192

        def run(*spans):  # (signature, seconds) spans, sampled ten times a second
            samples, at = [], 0.0
            for cells, seconds in spans:
                for _ in range(round(seconds * 10)):
                    samples.append((at, cells))
                    at += 0.1
            return samples

        for name, samples, expected in [
            ("one camera moving a little", run((bright, 5), (drift, 5), (bright, 5)), 1),
            ("a fade between two shots", run((bright, 5), (dark, 0.5), (bright, 5)), 2),
            ("two cuts, then a fade", run((bright, 5), (other, 5), (bright, 5), (dark, 0.5)), 3),
            ("a dark shot between bright ones", run((bright, 10), (dark, 0.5), (dim, 10), (dark, 0.5), (bright, 10)), 3),
            ("a change across a stall in sampling is no cut", [(0.0, bright), (2.0, other), (2.1, other)], 1),
        ]:
            with self.subTest(name):
                self.assertEqual(shots_seen(samples), expected)


class Show(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (BUILD_DIR / "Brightfold.scr").exists():
            missing("Brightfold.scr is not built")
        cls.work = Path(tempfile.mkdtemp(prefix="brightfold-show-", dir=BUILD_DIR))
        cls.capture = cls.work / "sound.raw"
        cls.wine = WineHarness(str(BUILD_DIR))
        cls.wine.open()
        cls.wine.home.joinpath(".asoundrc").write_text(
            f'pcm.!default {{ type file; slave.pcm "null"; file "{cls.capture}"; format "raw" }}\n'
            "ctl.!default { type null }\n")
        cls.samples, cls.first_frame = [], None
        started = time.monotonic()
        process = cls.wine.start("/s")
        try:
            shot = cls.work / "shot.png"

            def scene_shown():
                return cls.wine.screenshot(shot) and not loading_screen_shown(read_ppm(shot))
            # The loading screen is up once the saver is made; the scene's first frame replaces it.
            if cls.wine.wait_for_log_line("Сейвер создан.", 120) and _wait_until(scene_shown, 120, 0.1):
                cls.first_frame = time.monotonic() - started
                begin = time.monotonic()
                while time.monotonic() - begin < RUN_SECONDS:
                    cells = grid_signature(cls.wine.env["DISPLAY"])
                    if cells:
                        cls.samples.append((time.monotonic() - begin, cells))
            window = cls.wine.window_id("Lighthouse 3D Screensaver", timeout=10)
            if window:
                cls.wine.xdotool("windowfocus", "--sync", window)
            cls.wine.xdotool("key", "Escape")
        finally:
            cls.result = cls.wine.wait(process, 120)
        print(f"\nshow: first scene frame {cls.first_frame} s after the process start; "
              f"{len(cls.samples)} screen samples, {shots_seen(cls.samples)} shots", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.wine.home.joinpath(".asoundrc").write_text("pcm.!default { type null }\nctl.!default { type null }\n")
        cls.wine.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_runs_a_minute_and_ends_cleanly(self):
        self.assertIsNotNone(self.first_frame, "the scene never replaced the loading screen")
        self.assertFalse(self.result.timed_out)
        self.assertEqual(self.result.exit_code, 0, self.result.log[-4000:])
        self.assertGreaterEqual(len(self.samples), RUN_SECONDS)

    def test_the_log_has_no_error_or_warning(self):
        # The sound device reports "already initialised" when it is opened a second time; sound
        # plays all the same (the capture test): that line belongs to the sound manager.
        bad = [line for line in self.result.lines if line.startswith(("ERROR.", "WARNING."))
               and not line.startswith("ERROR. Невозможно инициализировать звук. Причина [5].")]
        self.assertEqual(bad, [])

    def test_at_least_three_shots_appear(self):
        self.assertGreaterEqual(shots_seen(self.samples), 3,
                                [(round(at, 1), round(sum(cells) / len(cells), 1)) for at, cells in self.samples])

    def test_sound_reaches_the_device(self):
        self.assertTrue(self.capture.exists(), "nothing was captured")
        data = self.capture.read_bytes()
        # At least half the run in 16-bit stereo at 22 kHz, whatever format the device chose.
        self.assertGreater(len(data), RUN_SECONDS // 2 * 22050 * 4)
        samples = array.array("f")
        samples.frombytes(data[:len(data) // 4 * 4])
        finite = [s for s in samples[::7] if math.isfinite(s) and abs(s) <= 1.0]
        self.assertGreater(len(finite), len(samples[::7]) * 0.9, "the capture is not float samples")
        rms = math.sqrt(sum(s * s for s in finite) / len(finite))
        self.assertGreater(rms, 1e-3, "the capture is silent")


if __name__ == "__main__":
    unittest.main()
