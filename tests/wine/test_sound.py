"""Sound under Wine, captured: our audio library, loaded by the engine's sound manager from the
program's own resource, plays through Wine's DirectSound into an ALSA file device, and the
captured samples are measured. A positional tone to the left is heard on the left, twice as far
it is quieter by the distance law (minimum distance 1, roll-off 7), the global volume scales
flat sounds, and without a sound device the saver runs silent with one failure line."""
import array
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import wave
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD",
                                os.path.join(os.path.dirname(__file__), "../../build/windows"))).resolve()
PROBE = BUILD_DIR / "SoundProbe.exe"
NULL_DEVICE = "pcm.!default { type null }\nctl.!default { type null }\n"


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def distance_gain_db(distance, minimum=1.0, rolloff=7.0):
    return -20 * math.log10(1 + rolloff * (distance - minimum) / minimum)


def levels(capture):
    """RMS in dB of the left and right channels of a float32 stereo capture, over the frames
    where anything sounds (the capture also holds the silence around the sound)."""
    samples = array.array("f")
    data = capture.read_bytes()
    samples.frombytes(data[:len(data) // 8 * 8])
    left, right = samples[0::2], samples[1::2]
    active = [i for i in range(len(left)) if abs(left[i]) + abs(right[i]) > 1e-5]
    if not active:
        return None, None
    to_db = lambda energy: 10 * math.log10(energy / len(active) + 1e-30)  # noqa: E731
    return to_db(sum(left[i] ** 2 for i in active)), to_db(sum(right[i] ** 2 for i in active))


class Sound(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for path in (PROBE, BUILD_DIR / "Brightfold.scr"):
            if not path.exists():
                missing(f"{path} is not built")
        if shutil.which("lame") is None:
            missing("the lame encoder (scripts/setup.sh installs it)")
        cls.work = Path(tempfile.mkdtemp(prefix="brightfold-sound-"))
        with wave.open(str(cls.work / "tone.wav"), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(44100)
            out.writeframes(b"".join(struct.pack("<h", int(0.5 * 32767 * math.sin(2 * math.pi * 440 * i / 44100)))
                                     for i in range(44100 * 2)))
        subprocess.run(["lame", "--quiet", "-b", "128", str(cls.work / "tone.wav"), str(cls.work / "tone.mp3")],
                       check=True, timeout=120)
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.home.joinpath(".asoundrc").write_text(NULL_DEVICE)
        cls.wine.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def capture(self, place, volume, name):
        """Plays the tone through the probe with the ALSA file device; the capture's path."""
        capture = self.work / f"{name}.raw"
        if capture.exists():
            capture.unlink()
        self.wine.home.joinpath(".asoundrc").write_text(
            f'pcm.!default {{ type file; slave.pcm "null"; file "{capture}"; format "raw" }}\n'
            "ctl.!default { type null }\n")
        out, log = self.work / f"{name}.out", self.work / f"{name}.log"
        result = self.wine.run(windows_path(out), windows_path(log), windows_path(self.work / "tone.mp3"), place,
                               str(volume), "1200", program=PROBE, timeout=120)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0, out.read_text() if out.exists() else "no output")
        lines = out.read_text().splitlines()
        self.assertIn("loaded 1", lines)
        self.assertIn("playing 1", lines)
        self.assertTrue(capture.exists() and capture.stat().st_size > 48000 * 8, "nothing was captured")
        return capture

    def test_a_tone_to_the_left_is_heard_on_the_left(self):
        left, right = levels(self.capture("-5,0,0", 100, "left"))
        self.assertIsNotNone(left)
        self.assertGreaterEqual(left - right, 20.0, f"left {left:.1f} dB, right {right:.1f} dB")
        # And to the right, the other way round.
        left, right = levels(self.capture("5,0,0", 100, "right"))
        self.assertGreaterEqual(right - left, 20.0, f"left {left:.1f} dB, right {right:.1f} dB")

    def test_twice_as_far_is_quieter_by_the_distance_law(self):
        near, _ = levels(self.capture("-5,0,0", 100, "near"))
        far, _ = levels(self.capture("-10,0,0", 100, "far"))
        expected = distance_gain_db(5) - distance_gain_db(10)  # 6.88 dB
        self.assertAlmostEqual(near - far, expected, delta=1.0)

    def test_flat_sounds_play_at_the_global_volume(self):
        full_left, full_right = levels(self.capture("flat", 100, "full"))
        half_left, _ = levels(self.capture("flat", 50, "half"))
        # A flat mono sound plays on both sides alike: 0.5 amplitude sine, -9.03 dB.
        self.assertAlmostEqual(full_left, full_right, delta=0.5)
        self.assertAlmostEqual(full_left, -9.03, delta=1.0)
        self.assertAlmostEqual(full_left - half_left, 20 * math.log10(2), delta=1.0)

    def test_without_a_sound_device_the_saver_runs_silent_and_says_so_once(self):
        rc = self.wine.home / ".asoundrc"
        rc.unlink()
        try:
            process = self.wine.start("/s")
            reached = self.wine.wait_for_log_line("Окна скринсейвера созданы.", 120)
            # The saver may end on its own or run on; either way the sound lines are written.
            result = self.wine.wait(process, 30)
        finally:
            rc.write_text(NULL_DEVICE)
        self.assertTrue(reached, result.log)
        failures = [line for line in result.lines if "Невозможно инициализировать звук" in line]
        self.assertEqual(len(failures), 1, result.log)
        self.assertRegex(failures[0], r"^ERROR\. Невозможно инициализировать звук\. Причина \[\d+\]\. Устройство \[.*\]$")
        self.assertIn("INFO. Менеджер звука инициализирован.", result.lines)
        self.assertFalse(any("Звук инициализирован" in line for line in result.lines), result.log)
        if not result.timed_out:
            self.assertEqual(result.exit_code, 0, result.log)
            self.assertIn("INFO. Менеджер звука завершил работу.", result.lines)


if __name__ == "__main__":
    unittest.main()
