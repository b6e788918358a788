"""The engine's window and input layer under Wine: a system window made through the window layer
(WindowInputProbe.exe), key and mouse input sent with xdotool, and the InputEvents the registered
handlers receive; full-screen windows over the display devices and the display mode afterwards."""
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))

KEYBOARD, MOUSE, SYSTEM = 0, 1, 2
PRESSED, RELEASED, MOVED, CLOSED = 1, 2, 3, 4
KEY_Q = 26        # Letters are 10-35.
KEY_NO_CODE = 100  # The generic shift key has no code of its own.
KEY_F4 = 53       # F1-F12 are 50-61.


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Probe:
    """Output of one WindowInputProbe run, read as it grows."""

    def __init__(self, path):
        self.path = Path(path)
        if self.path.exists():
            self.path.unlink()

    def lines(self):
        try:
            return self.path.read_text().splitlines()
        except FileNotFoundError:
            return []

    def events(self, handler):
        found = []
        for line in self.lines():
            words = line.split()
            if words[:1] == ["event"] and words[1] == handler:
                found.append(tuple(int(word) for word in words[2:]))
        return found

    def wait_for_event(self, event, timeout=30):
        return _wait_until(lambda: event in self.events("first"), timeout)


class WindowInput(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()
        cls.program = Path(BUILD_DIR).resolve() / "WindowInputProbe.exe"
        cls.out = Path(BUILD_DIR).resolve() / "probe-out.txt"
        cls.log = Path(BUILD_DIR).resolve() / "probe-log.txt"

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def engine_log(self):
        return self.log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines()

    def display(self):
        probe = Probe(self.out)
        result = self.wine.run("display", windows_path(self.out), program=self.program, timeout=60)
        self.assertEqual(result.exit_code, 0)
        return probe.lines()[0]

    def test_keys_and_mouse_reach_both_handlers_the_later_registered_first(self):
        probe = Probe(self.out)
        process = self.wine.start("events", windows_path(self.out), windows_path(self.log), program=self.program)
        try:
            self.assertTrue(_wait_until(lambda: "ready" in probe.lines(), 60), probe.lines())
            client = next(line.split()[1:] for line in probe.lines() if line.startswith("client "))
            window = self.wine.window_id("Brightfold Input Probe")
            self.assertIsNotNone(window)
            self.wine.xdotool("windowfocus", "--sync", window)

            self.wine.xdotool("key", "q")
            self.assertTrue(probe.wait_for_event((KEYBOARD, RELEASED, KEY_Q, 0)), probe.lines())
            self.wine.xdotool("mousemove", "--window", window, "50", "60")
            # Client positions: the pointer on the screen less the client area's origin.
            pointer = dict(item.split(":") for item in self.wine.xdotool("getmouselocation").stdout.split())
            moved = (MOUSE, MOVED, int(pointer["x"]) - int(client[0]), int(pointer["y"]) - int(client[1]))
            self.assertTrue(probe.wait_for_event(moved), probe.lines())
            self.wine.xdotool("click", "1")
            self.assertTrue(probe.wait_for_event((MOUSE, RELEASED, 0, 0)), probe.lines())
            self.wine.xdotool("click", "3")
            self.assertTrue(probe.wait_for_event((MOUSE, RELEASED, 1, 0)), probe.lines())
            self.wine.xdotool("key", "shift")
            self.assertTrue(probe.wait_for_event((KEYBOARD, RELEASED, KEY_NO_CODE, 0)), probe.lines())
            # Alt+F4: the close message, then the default procedure destroys the window.
            self.wine.xdotool("key", "alt+F4")
            result = self.wine.wait(process, 60)
        finally:
            if process.poll() is None:
                self.wine.wait(process, 0)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0, probe.lines())

        first = probe.events("first")
        for event in [(KEYBOARD, PRESSED, KEY_Q, 0), moved, (MOUSE, PRESSED, 0, 0), (MOUSE, PRESSED, 1, 0),
                      (KEYBOARD, PRESSED, KEY_NO_CODE, 0)]:
            self.assertIn(event, first)
        # Order of arrival is kept: press before release, the mouse after the key.
        self.assertLess(first.index((KEYBOARD, PRESSED, KEY_Q, 0)), first.index((KEYBOARD, RELEASED, KEY_Q, 0)))
        self.assertLess(first.index((KEYBOARD, RELEASED, KEY_Q, 0)), first.index(moved))
        self.assertLess(first.index((MOUSE, PRESSED, 0, 0)), first.index((MOUSE, RELEASED, 0, 0)))
        self.assertEqual(first[-2:], [(SYSTEM, CLOSED, 0, 0), (SYSTEM, CLOSED, 0, 0)])
        # Keys held with Alt come as system key messages and are keys all the same: F4 is pressed
        # before the window closes.
        self.assertIn((KEYBOARD, PRESSED, KEY_F4, 0), first[:-2])
        self.assertEqual(probe.lines()[-2:], ["closed", "destroy 0"])

        # Each dispatch hands all of its events to "second" (registered last) before "first", and
        # "first", although registered twice, gets each event once.
        lines = probe.lines()
        self.assertEqual(probe.events("second"), first)
        group = []
        for line in lines[lines.index("ready") + 1:]:
            if line == "frame":
                handlers = [words.split()[1] for words in group]
                split = handlers.index("first")
                self.assertEqual(handlers[:split], ["second"] * split, group)
                self.assertEqual(handlers[split:], ["first"] * split, group)
                group = []
            elif line.startswith("event "):
                group.append(line)

        log = self.engine_log()
        self.assertIn("INFO. Создание системного окна [Brightfold Input Probe].", log)
        self.assertIn("WARNING. Обработчик ввода [first] уже зарегестрирован.", log)
        self.assertFalse([line for line in log if line.startswith("ERROR.")], log)

    def test_full_screen_windows_cover_the_display_and_go_with_their_class(self):
        for bits in ("32", "16"):
            probe = Probe(self.out)
            result = self.wine.run("fullscreen", bits, windows_path(self.out), windows_path(self.log),
                                   program=self.program, timeout=60)
            self.assertEqual(result.exit_code, 0)
            self.assertEqual(probe.lines(), ["create 0", "window 0 0 1024 768 popup 1 visible 1", "destroy 0",
                                             "window alive 0"], bits)
            self.assertEqual(self.display(), "display 1024 768 32")

    def test_full_screen_without_a_display_mode_of_that_depth_fails_cleanly(self):
        probe = Probe(self.out)
        result = self.wine.run("fullscreen", "24", windows_path(self.out), windows_path(self.log),
                               program=self.program, timeout=60)
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(probe.lines(), ["create 1"])
        log = self.engine_log()
        start = log.index("INFO. Создание системного окна [Brightfold Full Screen Probe].")
        self.assertEqual(log[start + 1:start + 3], ["WARNING. Указатель на окно равен 0.",
                                                    "ERROR. Невозможно создать окно [Brightfold Full Screen Probe]."])


if __name__ == "__main__":
    unittest.main()
