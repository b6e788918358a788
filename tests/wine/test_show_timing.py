"""The saver's start-up and frame times under Wine at 1024x768, for the performance notes: the
saver runs full screen inside ShowTimingProbe.exe (the same process entry and resources as
Brightfold.scr /s), which stamps each start-up step and the log's every line with the seconds
since the process was created, then times FRAMES frames of the shipped scene, as many with the
render-to-texture passes (the sea's reflection and refraction) stopped, and as many that only
clear and present, the three taking turns over the same stretch of the show. The figures are printed; the test checks that the run is whole and
consistent (every step in order, time only moving forward, the clear frame cheaper than the
scene's), not how fast this machine is."""
import os
import re
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until, missing  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD",
                                os.path.join(os.path.dirname(__file__), "../../build/windows"))).resolve()
PROBE = BUILD_DIR / "ShowTimingProbe.exe"
FRAMES = 16  # Of each kind: two blocks of eight timed frames (each block runs twelve).
STEPS = ["main", "engine", "data", "scene", "first-render", "first-rendered", "first-frame"]
PHASES = ["scene", "no-reflections", "clear"]


def parse(text):
    """(stamps {name: (seconds, processor)}, log [(seconds, line)], frames {phase: (count, mean
    ms)}, other lines); processor lines go into frames as "processor PHASE": (all, rasteriser,
    device thread) ms a frame."""
    stamps, log, frames, other = {}, [], {}, []
    for line in text.splitlines():
        words = line.split(" ", 2)
        if words[0] == "stamp" and len(words) == 3:
            seconds, processor = words[2].split()
            stamps[words[1]] = (float(seconds), float(processor))
        elif words[0] == "log" and len(words) >= 2:
            log.append((float(words[1]), words[2] if len(words) == 3 else ""))
        elif words[0] == "frames":
            name, count, mean = line.split()[1:]
            frames[name] = (int(count), float(mean))
        elif words[0] == "processor" and len(line.split()) == 5:
            name, *ms = line.split()[1:]
            frames["processor " + name] = tuple(float(m) for m in ms)
        else:
            other.append(line)
    return stamps, log, frames, other


class ParseProbeOutput(unittest.TestCase):
    def test_lines_are_read_by_kind(self):
        stamps, log, frames, other = parse(
            "stamp main 0.1000 0.0400\nlog 0.2000 Режим скринсейвера 1.\nlog 0.2500 \n"
            "frames clear 30 22.500\nprocessor clear 9.500 4.250 -1.000\ncontrollers 2\nsaver 0\n")
        self.assertEqual(stamps, {"main": (0.1, 0.04)})
        self.assertEqual(log, [(0.2, "Режим скринсейвера 1."), (0.25, "")])
        self.assertEqual(frames, {"clear": (30, 22.5), "processor clear": (9.5, 4.25, -1.0)})
        self.assertEqual(other, ["controllers 2", "saver 0"])


class ShowTiming(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not PROBE.exists():
            missing(f"{PROBE} is not built")
        cls.wine = WineHarness(str(BUILD_DIR))
        cls.wine.open()
        cls.out = BUILD_DIR / "show-timing.txt"
        if cls.out.exists():
            cls.out.unlink()
        started = time.monotonic()
        process = cls.wine.start("/s", str(cls.out), str(FRAMES), program=PROBE)

        def first_frame():
            return cls.out.exists() and b"stamp first-frame" in cls.out.read_bytes()
        cls.seen_first_frame = time.monotonic() - started if _wait_until(first_frame, 300, 0.02) else None
        # The probe ends the run itself once its frames are presented.
        cls.result = cls.wine.wait(process, 900)
        cls.text = cls.out.read_bytes().decode("cp1251") if cls.out.exists() else ""
        cls.stamps, cls.log, cls.frames, cls.other = parse(cls.text)
        cls.report()

    @classmethod
    def report(cls):
        lines = ["", "show timing (1024x768):"]
        if cls.seen_first_frame is not None:
            lines.append(f"  first scene frame {cls.seen_first_frame:.2f} s after wine was started")
        for name in STEPS:
            if name in cls.stamps:
                seconds, processor = cls.stamps[name]
                lines.append(f"  {name:15} {seconds:7.3f} s since the process was created, {processor:7.3f} s "
                             "of processor")
        for name in PHASES:
            if name in cls.frames:
                lines.append(f"  {name:15} {cls.frames[name][1]:9.3f} ms a frame over {cls.frames[name][0]} frames")
            if "processor " + name in cls.frames:
                every, raster, device = cls.frames["processor " + name]
                lines.append(f"  {'':15} processor {every:.1f} ms a frame, the rasteriser's {raster:.1f}, "
                             f"the device thread's {device:.1f}")
        if "scene" in cls.frames and "clear" in cls.frames and cls.frames["clear"][1] > 0:
            lines.append(f"  scene frame / clear frame: {cls.frames['scene'][1] / cls.frames['clear'][1]:.1f}")
        print("\n".join(lines), file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        if cls.out.exists():
            cls.out.unlink()

    def test_the_run_ends_by_itself_and_cleanly(self):
        self.assertFalse(self.result.timed_out)
        self.assertEqual(self.result.exit_code, 0)
        self.assertIn("saver 0", self.other)
        self.assertIn("Конец лога.", [line for _, line in self.log[-2:]])
        # The sound device's "already initialised" on its second opening is the sound manager's
        # (see test_show); nothing else may fail.
        bad = [line for line in self.result.lines if line.startswith(("ERROR.", "WARNING."))
               and not line.startswith("ERROR. Невозможно инициализировать звук. Причина [5].")]
        self.assertEqual(bad, [])

    def test_every_step_is_stamped_in_order(self):
        self.assertEqual([name for name in STEPS if name in self.stamps], STEPS)
        for earlier, later in zip(STEPS, STEPS[1:]):
            with self.subTest(earlier=earlier, later=later):
                self.assertLessEqual(self.stamps[earlier][0], self.stamps[later][0])
                self.assertLessEqual(self.stamps[earlier][1], self.stamps[later][1])
        # The process's processor time never runs ahead of two cores' worth of elapsed time.
        seconds, processor = self.stamps["first-frame"]
        self.assertLess(processor, 2 * seconds + 0.1)

    def test_the_log_is_timed_line_by_line(self):
        times = [seconds for seconds, _ in self.log]
        self.assertEqual(times, sorted(times))
        created = [seconds for seconds, line in self.log if line == "Сейвер создан."]
        self.assertEqual(len(created), 1)
        # The saver is made once the scene is loaded and before its first frame is drawn.
        self.assertLessEqual(self.stamps["scene"][0], created[0])
        self.assertLessEqual(created[0], self.stamps["first-render"][0])

    def test_each_phase_presents_its_frames(self):
        self.assertEqual(sorted(name for name in self.frames if name in PHASES), sorted(PHASES))
        for name in PHASES:
            with self.subTest(phase=name):
                self.assertEqual(self.frames[name][0], FRAMES)
                self.assertGreater(self.frames[name][1], 0)
        # The sea's reflection and refraction are what the second phase stops.
        stopped = [int(m.group(1)) for line in self.other for m in [re.fullmatch(r"controllers (\d+)", line)] if m]
        self.assertEqual(len(stopped), 1)
        self.assertGreaterEqual(stopped[0], 2)
        self.assertLess(self.frames["clear"][1], self.frames["scene"][1])

    def test_the_rasteriser_is_timed_apart(self):
        # Its threads are found on the host, and the scene's pixels cost more than a clear's.
        for name in PHASES:
            with self.subTest(phase=name):
                every, raster, device = self.frames["processor " + name]
                self.assertGreaterEqual(raster, 0)
                self.assertGreaterEqual(device, 0)
        self.assertLess(self.frames["processor clear"][1], self.frames["processor scene"][1])


if __name__ == "__main__":
    unittest.main()
