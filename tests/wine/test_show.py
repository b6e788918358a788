"""A minute of the show under Wine: the saver runs `/s` for sixty seconds with its sound going to
an ALSA file device. The log must hold no error or warning line, the screenshots taken through the
run must show at least three different camera shots (told apart by the cuts between them: a
faded-out frame, or a jump in the picture too large for one camera's flight), and the captured
sound must not be silent. The time from the process start to the first frame of the scene is
printed (to the nearest screenshot) for the performance notes."""
import array
import math
import os
import shutil
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
FADED = 0.5  # A frame darker than this fraction of the run's median brightness is fading.
CUT = 28.0  # Mean luminance change across the grid that no camera's flight makes in a second.


def signature(pixels):
    """Mean luminance of each cell of a GRID over the picture."""
    width, height, rgb = pixels
    cells = []
    for gy in range(GRID[1]):
        for gx in range(GRID[0]):
            total, count = 0.0, 0
            for y in range(gy * height // GRID[1], (gy + 1) * height // GRID[1], 4):
                row = y * width * 3
                for x in range(gx * width // GRID[0], (gx + 1) * width // GRID[0], 4):
                    at = row + x * 3
                    total += 0.2126 * rgb[at] + 0.7152 * rgb[at + 1] + 0.0722 * rgb[at + 2]
                    count += 1
            cells.append(total / max(count, 1))
    return cells


def distance(a, b):
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


def shots_seen(signatures):
    """The number of shots in a run of picture signatures: a new one begins after a fading
    frame (the presentation fades out at the end of every shot and in at the start of the next)
    or at a jump larger than CUT."""
    means = sorted(sum(cells) / len(cells) for cells in signatures)
    median = means[len(means) // 2] if means else 0
    shots, previous, faded = 0, None, True
    for cells in signatures:
        if sum(cells) / len(cells) < FADED * median:
            faded = True
            continue
        if faded or previous is None or distance(cells, previous) > CUT:
            shots += 1
        previous, faded = cells, False
    return shots


class ShotCounting(unittest.TestCase):
    def test_cuts_and_fades_separate_shots(self):
        bright, other, dark = [60.0] * 192, [60.0] * 96 + [0.0] * 96, [1.0] * 192
        drift = [62.0] * 192
        for frames, expected in [
            ([bright, drift, bright], 1),          # one camera moving a little
            ([bright, dark, bright], 2),           # a fade between two shots
            ([bright, other, bright, dark], 3),    # two cuts
            ([bright, bright, dark, dark, bright], 2),
        ]:
            with self.subTest(frames=len(frames), expected=expected):
                self.assertEqual(shots_seen(frames), expected)


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
        cls.signatures, cls.first_frame = [], None
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
                for k in range(RUN_SECONDS):
                    # One screenshot a second (each takes a while itself), so that every fade
                    # between shots is caught.
                    time.sleep(max(0.0, begin + k - time.monotonic()))
                    cls.wine.screenshot(shot)
                    cls.signatures.append(signature(read_ppm(shot)))
            window = cls.wine.window_id("Lighthouse 3D Screensaver", timeout=10)
            if window:
                cls.wine.xdotool("windowfocus", "--sync", window)
            cls.wine.xdotool("key", "Escape")
        finally:
            cls.result = cls.wine.wait(process, 120)
        print(f"\nshow: first scene frame {cls.first_frame} s after the process start; "
              f"{len(cls.signatures)} screenshots", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.wine.home.joinpath(".asoundrc").write_text("pcm.!default { type null }\nctl.!default { type null }\n")
        cls.wine.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_runs_a_minute_and_ends_cleanly(self):
        self.assertIsNotNone(self.first_frame, "the scene never replaced the loading screen")
        self.assertFalse(self.result.timed_out)
        self.assertEqual(self.result.exit_code, 0, self.result.log[-4000:])
        self.assertGreaterEqual(len(self.signatures), RUN_SECONDS // 4)

    def test_the_log_has_no_error_or_warning(self):
        # The sound device reports "already initialised" when it is opened a second time; sound
        # plays all the same (the capture test): that line belongs to the sound manager.
        bad = [line for line in self.result.lines if line.startswith(("ERROR.", "WARNING."))
               and not line.startswith("ERROR. Невозможно инициализировать звук. Причина [5].")]
        self.assertEqual(bad, [])

    def test_at_least_three_shots_appear(self):
        self.assertGreaterEqual(shots_seen(self.signatures), 3,
                                [round(distance(a, b), 1) for a, b in zip(self.signatures, self.signatures[1:])])

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
