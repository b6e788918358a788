"""The settings dialog of /c driven by a second program (DialogDriver.exe: FindWindow, WM_GETTEXT,
BM_CLICK, trackbar messages) and the registry values it leaves behind."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, _wait_until, host_zen, missing  # noqa: E402
from screen_reading import Picture, difference  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows")))
TEXTS = Path(__file__).resolve().parents[2] / "content" / "texts" / "Messages.txt"
DEFAULTS = {
    "ShowFPS": 0, "ExitOnMouseMove": 0, "ShowTime": 1, "UseDesktopSettings": 1, "Music": 1, "SFX": 1,
    "Hour24": 0, "Volume": 80, "Width": 800, "Height": 600, "ColorDepth": 32, "AntiAliasing": 0, "Gamma": 0,
}


def messages():
    table = {}
    for line in TEXTS.read_bytes().decode("cp1251").splitlines():
        line = line.split(";", 1)[0]
        if " = " in line:
            key, value = line.split(" = ", 1)
            table.setdefault(key, value)
    return table


class SettingsDialog(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.driver = BUILD_DIR.resolve() / "DialogDriver.exe"
        if not cls.driver.exists():
            missing(f"{cls.driver}")
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()
        cls.texts = messages()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def drive(self, *steps):
        """Runs /c and the driver with `steps`; returns the driver's lines and the saver's run."""
        out = BUILD_DIR.resolve() / "dialog-out.txt"
        if out.exists():
            out.unlink()
        saver = self.wine.start("/c")
        try:
            # The driver starts once the dialog is up: two Wine processes starting at the same
            # moment is a race of its own that this test has no business with.
            shown = self.wine.window_id("Lighthouse 3D Screensaver Settings", timeout=120)
            self.assertIsNotNone(shown, "the settings dialog never appeared")
            driver = self.wine.run(f"Z:{str(out)}".replace("/", "\\"), *steps, program=self.driver, timeout=120,
                                   fresh_log=False)
            self.assertEqual(driver.exit_code, 0, f"driver output: {out.read_text(errors='replace') if out.exists() else '(none)'}")
        finally:
            result = self.wine.wait(saver, 120)
        self.assertFalse(result.timed_out, result.log)
        self.assertEqual(result.exit_code, 0, result.log)
        lines = out.read_text(encoding="cp1251").splitlines()
        self.assertEqual(lines[-1], "done")
        return lines, result

    def fresh_registry(self, **values):
        self.wine.delete_key()
        self.wine.run("/a", timeout=120)  # Writes the defaults.
        for name, value in values.items():
            self.wine.set_dword(name, value)

    def registry(self):
        return {name: value for name, (_, value) in self.wine.registry_values().items()}

    def test_texts_come_from_the_interface_texts_and_modes_are_listed_once(self):
        self.fresh_registry()
        lines, result = self.drive("texts", "cancel")
        texts = dict(line.split("|", 1) for line in lines if "|" in line and not line.startswith("mode|"))
        self.assertEqual(texts["caption"], self.texts["Mes_Settings_Title"])
        for control, key in ((1016, "Mes_Settings_Box_Mode"), (11012, "Mes_Settings_UseDesktop"),
                             (1044, "Mes_Settings_ShowFPS"), (1045, "Mes_Settings_ExitOnMouse"),
                             (1112, "Mes_Settings_24h"), (1111, "Mes_Settings_12h"), (1063, "Mes_Settings_Button_RestoreDefs"),
                             (1, "Mes_Button_OK"), (2, "Mes_Button_Cancel"), (1062, "Mes_Settings_Button_About")):
            self.assertEqual(texts[str(control)], self.texts[key], control)
        self.assertEqual(texts["11118"], "100%")  # Gamma 0.
        modes = [line[5:] for line in lines if line.startswith("mode|")]
        self.assertTrue(modes)
        self.assertEqual(len(modes), len(set(modes)), modes)
        self.assertIn("1024x768x32bits", modes)
        self.assertIn("INFO. Работа скринсейвера завершена корректно.", result.lines)

    def test_cancel_writes_nothing(self):
        self.fresh_registry(Volume=55)
        before = self.registry()
        self.drive("click:1044", "track:1020:20", "cancel")
        self.assertEqual(self.registry(), before)

    # OK also takes the size and depth of the mode selected in the list: with Use Desktop Settings
    # on, the desktop's (1024 x 768 x 32 under Xvfb).
    DESKTOP = {"Width": 1024, "Height": 768, "ColorDepth": 32}

    def test_ok_writes_the_changed_values_and_keeps_the_others(self):
        self.fresh_registry(Gamma=30)
        self.drive("click:1044", "track:1020:37", "ok")
        expected = dict(DEFAULTS, ShowFPS=1, Volume=37, Gamma=30, **self.DESKTOP)
        self.assertEqual(self.registry(), expected)

    def test_restore_defaults_then_ok_writes_the_defaults(self):
        self.fresh_registry(ShowFPS=1, Volume=12, Hour24=1, Gamma=50)
        self.drive("click:1063", "ok")
        self.assertEqual(self.registry(), dict(DEFAULTS, **self.DESKTOP))

    def test_gamma_trackbar_shows_the_setting_and_saves_where_it_is_moved(self):
        # -60 as the registry keeps it (a DWORD holding the two's complement).
        self.fresh_registry(Gamma=(1 << 32) - 60)
        lines, _ = self.drive("gamma", "track:1046:-100", "gamma", "track:1046:100", "gamma", "track:1046:-1",
                              "gamma", "ok")
        self.assertEqual([line for line in lines if line.startswith("gamma|")],
                         ["gamma|-100 100 -60|40%", "gamma|-100 100 -100|0%", "gamma|-100 100 100|200%",
                          "gamma|-100 100 -1|99%"])
        self.assertEqual(self.registry()["Gamma"], (1 << 32) - 1)

    def test_at_144_dpi_the_dialog_grows_and_stays_on_the_screen(self):
        self.fresh_registry()
        self.wine.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
        try:
            lines, _ = self.drive("rects", "cancel")
        finally:
            self.wine.reg("delete", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/f")
        rects = {}
        for line in lines:
            parts = line.split("|")
            if parts[0] in ("screen", "window", "client"):
                rects[parts[0]] = [int(value) for value in parts[1].split()]
            elif parts[0] == "rect":
                rects[int(parts[1])] = [int(value) for value in parts[2].split()]
        width, height = rects["screen"]
        left, top, right, bottom = rects["window"]
        self.assertEqual(right - left, 590 * 144 // 96)  # Laid out in pixels at 96 DPI, scaled.
        self.assertTrue(0 <= left and right <= width and 0 <= top and bottom <= height, rects)
        client = rects["client"]
        controls = {key: value for key, value in rects.items() if isinstance(key, int)}
        self.assertIn(2, controls)
        for control, (l, t, r, b) in controls.items():
            self.assertTrue(client[0] <= l < r <= client[2] and client[1] <= t < b <= client[3], (control, rects))

    def test_about_box_shows_its_eight_texts(self):
        self.fresh_registry()
        lines, _ = self.drive("about", "cancel")
        self.assertIn("about|" + self.texts["Mes_About_Title"], lines)
        for n in range(8):
            self.assertIn(f"{1040 + n}|" + self.texts[f"Mes_About_String{n + 1}"], lines)

    def test_preview_picture_is_drawn_inside_its_parent(self):
        # The parent is made in the saver's own process (PreviewProbe.exe runs the saver's entry
        # on a second thread): under Wine what a child window of another process's window
        # paints never reaches the screen.
        probe, zen = BUILD_DIR.resolve() / "PreviewProbe.exe", host_zen(BUILD_DIR)
        if not probe.exists() or not zen.exists():
            missing(f"{probe} and the native zen {zen}")
        out, flag = BUILD_DIR.resolve() / "preview-out.txt", BUILD_DIR.resolve() / "preview-close.flag"
        for path in (out, flag):
            if path.exists():
                path.unlink()
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([str(zen), "content", "pictures", folder, "preview.bmp"], check=True,
                           stdout=subprocess.DEVNULL, timeout=300)
            # The system's bitmap loader scales by taking the nearest pixel.
            expected = Picture.command([str(Path(folder) / "preview.bmp"), "-sample", "152x112!"])
        windows = lambda path: "Z:" + str(path).replace("/", "\\")  # noqa: E731
        process = self.wine.start("/p", "#" * 20, windows(out), windows(flag), program=probe)
        try:
            window = self.wine.window_id("Preview Probe")
            self.assertIsNotNone(window)
            geometry = self.wine.xdotool("getwindowgeometry", window).stdout
            x, y = (int(value) for value in re.search(r"Position: (\d+),(\d+)", geometry).groups())
            self.assertIn("Geometry: 152x112", geometry)
            shot = {}

            def painted():
                path = self.wine.screenshot(BUILD_DIR.resolve() / "preview-shot.png")
                shot["picture"] = Picture.command([str(path), "-crop", f"152x112+{x}+{y}", "+repage"])
                return shot["picture"].mean_level(0, 0, 152, 112, 2) > 10

            self.assertTrue(_wait_until(painted, 120, 0.2))
            placed = difference(shot["picture"], expected, 0, 0, 152, 112, step=1)
            self.assertLess(placed, 2)  # Pixel for pixel, at the parent's client origin.
            # The comparison tells pictures apart: the same one a few rows off differs plainly.
            self.assertGreater(difference(shot["picture"], expected, 0, 0, 152, 100, dy=12, step=1), 10)
        finally:
            flag.write_text("close")
            result = self.wine.wait(process, 120)
        self.assertFalse(result.timed_out, result.log)
        self.assertEqual(out.read_text().splitlines()[-1], "saver 0")
        self.assertEqual(result.lines[-1], "INFO. Конец лога.")

    def test_preview_runs_inside_its_parent_and_ends_when_the_parent_goes(self):
        out = BUILD_DIR.resolve() / "parent-out.txt"
        flag = BUILD_DIR.resolve() / "parent-close.flag"
        for path in (out, flag):
            if path.exists():
                path.unlink()
        parent = self.wine.start(f"Z:{str(out)}".replace("/", "\\"), "parent",
                                 f"Z:{str(flag)}".replace("/", "\\"), program=self.driver)
        saver = None
        try:
            self.assertTrue(_wait_until(lambda: out.exists() and "hwnd|" in out.read_text(), 60))
            hwnd = out.read_text().splitlines()[0].split("|")[1]
            saver = self.wine.start("/p", hwnd)
            self.assertTrue(self.wine.wait_for_log_line("Сейвер создан.", 120), self.wine.read_log())
            # The preview child window exists inside the parent (the picture it paints there is
            # not visible to X captures when the parent belongs to another process under Wine).
            self.assertIsNotNone(self.wine.window_id("Preview Parent"))
            flag.write_text("close")
            result = self.wine.wait(saver, 120)
            saver = None
            self.assertFalse(result.timed_out, result.log)
            self.assertEqual(result.exit_code, 0, result.log)
            self.assertIn("INFO. Работа скринсейвера завершена корректно.", result.lines)
            self.assertEqual(result.lines[-1], "INFO. Конец лога.")
        finally:
            if not flag.exists():
                flag.write_text("close")
            if saver:
                self.wine.wait(saver, 30)
            self.wine.wait(parent, 60)


if __name__ == "__main__":
    unittest.main()
