"""The screensaver's lifecycle under Wine: modes, settings in the registry, the log file."""
import os
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import REGISTRY_PATH, WineHarness, _wait_until, missing  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))

SETTING_LINES_DEFAULT = [
    "INFO. ShowFPS: false", "INFO. ExitOnMouseMove: false", "INFO. ShowTime: true",
    "INFO. UseDesktopSettings: true", "INFO. Music: true", "INFO. SFX: true", "INFO. Hour24: false",
    "INFO. Volume: 80", "INFO. Width: 800", "INFO. Height: 600", "INFO. ColorDepth: 32",
    "INFO. AntiAliasing: 0", "INFO. Gamma: 0",
]
# The Direct3D 9 renderer's capability lines after the device is made, as patterns, in order.
CAPABILITY_LINES = [
    r"COLOR BPP (16|32)", r"Alpha BPP \d+", r"Depth BPP \d+", r"Stencil BPP \d+", r"Samples \d+",
    r"Vendor \[.*\]", r"Driver \[.*\]", r"Simultaneous Textures \[\d+\]", r"Max Active Lights \[\d+\]",
    r"Volume Textures \[(true|false)\]", r"Cube Textures \[(true|false)\]", r"Projected Textures \[(true|false)\]",
    r"VERTEX SHADER \d+", r"PIXEL SHADER \d+", r"Point Sprites \[(true|false)\]", r"Occlusion Query \[(true|false)\]",
    r"Hardware Shadowmaps \[(true|false)\]", r"A16B16G16R16F Textures \[(true|false)\]",
    *[rf"{name} {kind} Textures MipMap Autogen support\[(true|false)\]"
      for kind in ("RenderTarget", "CubeRenderTarget") for name in ("A8", "A16B16G16R16", "R8G8B8", "R8G8B8A8")],
]
DEFAULT_VALUES = {
    "ShowFPS": 0, "ExitOnMouseMove": 0, "ShowTime": 1, "UseDesktopSettings": 1, "Music": 1, "SFX": 1,
    "Hour24": 0, "Volume": 80, "Width": 800, "Height": 600, "ColorDepth": 32, "AntiAliasing": 0, "Gamma": 0,
}


def read_ppm(path):
    """The picture at `path` as (width, height, RGB bytes), through ImageMagick."""
    data = subprocess.run(["convert", str(path), "ppm:-"], capture_output=True, check=True, timeout=60).stdout
    fields, at = [], 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    return int(fields[1]), int(fields[2]), data[at + 1:]


def loading_screen_shown(pixels):
    """The loading screen's bottom-left corner picture ("Loading...", about 500 bright pixels in
    its 256 x 64 cell) is there; the night scene leaves that corner dark."""
    width, height, rgb = pixels
    bright = 0
    for y in range(height - 64, height):
        row = rgb[y * width * 3:(y * width + 256) * 3]
        for x in range(0, len(row), 3):
            bright += row[x] + row[x + 1] + row[x + 2] > 450
    return bright > 250


def white_pixels(pixels, left, top, right, bottom):
    """Near-white pixels in the rectangle (top-left origin, exclusive right and bottom)."""
    width, _, rgb = pixels
    count = 0
    for y in range(top, bottom):
        row = rgb[(y * width + left) * 3:(y * width + right) * 3]
        for x in range(0, len(row), 3):
            if row[x] > 200 and row[x + 1] > 200 and row[x + 2] > 200:
                count += 1
    return count


def assert_in_order(test, lines, expected):
    """Every expected line occurs in `lines`, in this order (other lines may come between)."""
    at = 0
    for line in expected:
        try:
            at = lines.index(line, at) + 1
        except ValueError:
            test.fail(f"missing (in order) {line!r}\n--- log ---\n" + "\n".join(lines))


class SaverLifecycle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def test_change_password_first_and_second_run(self):
        self.wine.delete_key()
        first = self.wine.run("/a", timeout=120)
        self.assertFalse(first.timed_out)
        self.assertEqual(first.exit_code, 0, first.log)
        lines = first.lines
        self.assertTrue(lines[0].startswith("INFO. Объект вывода сообщений зарегестрирован. ["), lines[0])
        self.assertTrue(lines[0].endswith("\\Brightfold\\ZENLog.txt]"), lines[0])
        assert_in_order(self, lines, [
            "INFO. Режим скринсейвера 4.",
            "INFO. Ресурс настроек загружен.",
            "INFO. Значения параметров по-умолчанию загружены.",
            "INFO. Значения параметров по-умолчанию установлены.",
            "INFO. Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...",
            "INFO. Значения параметров по-умолчанию записаны в реестр.",
            "INFO. Значения параметров прочитаны из реестра.",
            *SETTING_LINES_DEFAULT,
            "INFO. Ресурс локальных данных загружен.",
            "INFO. Значения локальных данных загружены.",
            "INFO. Скринсейвер инициализирован.",
            "INFO. Окна скринсейвера созданы.",
            "INFO. Сейвер создан.",
            "INFO. Работа скринсейвера завершена корректно.",
            "INFO. Окна скринсейвера удалены.",
            "INFO. Скринсейвер завершил работу.",
        ])
        self.assertEqual(lines[-1], "INFO. Конец лога.")
        self.assertFalse(any("Инициализация движка" in line for line in lines), "ChangePassword starts no engine")

        values = self.wine.registry_values()
        self.assertIsNotNone(values, "the settings key was not created")
        self.assertEqual({name: value for name, (kind, value) in values.items()}, DEFAULT_VALUES)
        self.assertTrue(all(kind == "REG_DWORD" for kind, _ in values.values()), values)

        # Second run: the values are read back, nothing is written.
        self.wine.set_dword("ShowFPS", 5)
        self.wine.set_dword("Volume", 35)
        self.wine.delete_value("Width")
        second = self.wine.run("/a", timeout=120)
        self.assertEqual(second.exit_code, 0, second.log)
        self.assertNotIn("INFO. Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...", second.lines)
        assert_in_order(self, second.lines, [
            "INFO. Значения параметров прочитаны из реестра.",
            "INFO. ShowFPS: true", "INFO. Volume: 35", "INFO. Width: 800",
            "INFO. Конец лога.",
        ])
        self.assertEqual(self.wine.registry_values()["ShowFPS"], ("REG_DWORD", 5))

    def test_configure_mode_reaches_the_settings_dialog(self):
        # The dialog is cancelled by a second program (FindWindow and BM_CLICK), the reliable way
        # to drive a dialog under Wine; a key sent through X can miss a dialog without focus.
        driver = Path(BUILD_DIR).resolve() / "DialogDriver.exe"
        if not driver.exists():
            missing(f"{driver}")
        out = Path(BUILD_DIR).resolve() / "lifecycle-dialog-out.txt"
        process = self.wine.start("/c")
        try:
            self.assertIsNotNone(self.wine.window_id("Lighthouse 3D Screensaver Settings", timeout=120),
                                 "the settings dialog never appeared")
            cancelled = self.wine.run(f"Z:{str(out)}".replace("/", "\\"), "cancel", program=driver, timeout=120,
                                      fresh_log=False)
            self.assertEqual(cancelled.exit_code, 0, out.read_text(errors="replace") if out.exists() else "(no output)")
        finally:
            result = self.wine.wait(process, 120)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0, result.log)
        assert_in_order(self, result.lines, [
            "INFO. Режим скринсейвера 3.",
            "INFO. Инициализация движка v.0.1.2:",
            "INFO. Инициализация класса [Object] прошла удачно.",
            "INFO. Инициализация менеджера ввода.",
            "INFO. Менеджер ввода инициализирован.",
            "INFO. Инициализация движка завершилась удачно.",
            "INFO. Постинициализация движка завершилась удачно.",
            "INFO. Загружается кодек [BMPImageCodec].",
            "INFO. Загружается кодек [JPGImageCodec].",
            "INFO. Загружается кодек [RAR2FileCodec].",
            "INFO. Директория [CustomData.rar2] добавлена к директории [].",
            "INFO. Скринсейвер инициализирован.",
            "INFO. Окна скринсейвера созданы.",
            "INFO. Сейвер создан.",
            "INFO. Запущен режим конфигурирования.",
            "INFO. Работа скринсейвера завершена корректно.",
            "INFO. Окна скринсейвера удалены.",
            "INFO. Завершение работы движка:",
            "INFO. Завершение работы движка завершилось удачно.",
            "INFO. Скринсейвер завершил работу.",
        ])
        self.assertEqual(result.lines[-1], "INFO. Конец лога.")
        # The dialog needs no window and no device: the renderer only listed the modes.
        self.assertFalse(any("Создание системного окна" in line or "VERTEXPROCESSING" in line
                             for line in result.lines), result.log)

    def run_full_screen(self, expect_color_bits, shot=None, ready=None):
        """Runs /s until the scene shows (and `ready(pixels)` holds, when given), takes a
        screenshot (to `shot` when given), ends the run with a key press and returns the
        screenshot's pixels."""
        process = self.wine.start("/s")
        pixels = None
        try:
            self.assertTrue(self.wine.wait_for_log_line("Сейвер создан.", 120), self.wine.read_log())
            window = self.wine.window_id("Lighthouse 3D Screensaver")
            self.assertIsNotNone(window)
            # The loading screen stays until the first frame of the scene is presented: wait for
            # it to give way. It can reach the screen after the log says the saver is made, so
            # a screen still black is not the scene either.
            path = shot or (Path(BUILD_DIR).resolve() / "saver-shot.png")
            def scene_shown():
                if not self.wine.screenshot(path):
                    return False
                shown = read_ppm(path)
                return (max(shown[2][::331]) >= 8 and not loading_screen_shown(shown) and
                        (ready is None or ready(shown)))
            self.assertTrue(_wait_until(scene_shown, 90))
            pixels = read_ppm(path)
            self.wine.xdotool("windowfocus", "--sync", window)
            self.wine.xdotool("key", "Escape")
        finally:
            result = self.wine.wait(process, 120)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0, result.log)
        lines = result.lines
        assert_in_order(self, lines, [
            "INFO. Режим скринсейвера 1.",
            "INFO. Директория [CustomData.rar2] добавлена к директории [].",
            "INFO. Директория [Media.rar2] добавлена к директории [].",
            "INFO. Скринсейвер инициализирован.",
            "INFO. Создание системного окна [Lighthouse 3D Screensaver].",
        ])
        # The device and its capability lines, one after the other, in this order.
        created = [i for i, line in enumerate(lines)
                   if line in ("INFO. Created HARDWARE VERTEXPROCESSING", "INFO. Created SOFTWARE VERTEXPROCESSING")]
        self.assertEqual(len(created), 1, result.log)
        block = lines[created[0] + 1:created[0] + 1 + len(CAPABILITY_LINES)]
        self.assertEqual(len(block), len(CAPABILITY_LINES), result.log)
        for line, pattern in zip(block, CAPABILITY_LINES):
            self.assertRegex(line, "^INFO. " + pattern + "$")
        self.assertEqual(block[0], f"INFO. COLOR BPP {expect_color_bits}")
        assert_in_order(self, lines[created[0]:], [
            "INFO. Окна скринсейвера созданы.",
            "INFO. LoadingTexture Loaded",
            "INFO. Сейвер создан.",
            "INFO. Работа скринсейвера завершена корректно.",
            "INFO. Окна скринсейвера удалены.",
            "INFO. Завершение работы движка завершилось удачно.",
            "INFO. Скринсейвер завершил работу.",
        ])
        self.assertEqual(lines[-1], "INFO. Конец лога.")
        for bad in ("Невозможно удалить системное окно", "Закрытие окна неудачно", "Создание окна неудачно"):
            self.assertFalse(any(bad in line for line in lines), result.log)
        # The full-screen window and the device are gone, and the desktop's mode is back.
        self.assertEqual(self.current_display(), "display 1024 768 32")
        return pixels

    def current_display(self):
        out = Path(BUILD_DIR).resolve() / "probe-out.txt"
        if out.exists():
            out.unlink()
        result = self.wine.run("display", "Z:" + str(out).replace("/", "\\"),
                               program=Path(BUILD_DIR).resolve() / "WindowInputProbe.exe", timeout=60)
        self.assertEqual(result.exit_code, 0)
        return out.read_text().splitlines()[0]

    def test_run_mode_opens_the_desktop_mode_full_screen_and_ends_cleanly(self):
        self.wine.delete_key()
        pixels = self.run_full_screen(32)
        # The clock (on by default) is white glyphs at the bottom right; the frame counter (off)
        # leaves the top left to the scene (where a bright star may show a white pixel or two).
        self.assertGreater(white_pixels(pixels, 640, 690, 1024, 768), 200)
        self.assertLess(white_pixels(pixels, 0, 0, 200, 70), 40)

    def test_frame_counter_shows_top_left_when_wanted(self):
        self.wine.delete_key()
        self.wine.run("/a", timeout=120)  # Writes the defaults.
        self.wine.set_dword("ShowFPS", 1)
        self.wine.set_dword("ShowTime", 0)
        try:
            # The first frames may still count "0" (one narrow glyph): wait for the counter to
            # have measured a rate before reading it.
            pixels = self.run_full_screen(32, ready=lambda shown: white_pixels(shown, 0, 0, 200, 70) > 100)
        finally:
            self.wine.delete_key()
        self.assertGreater(white_pixels(pixels, 0, 0, 200, 70), 100)
        self.assertLess(white_pixels(pixels, 640, 690, 1024, 768), 40)

    def test_run_mode_in_a_wanted_16_bit_mode_restores_the_desktop(self):
        self.wine.delete_key()
        self.wine.run("/a", timeout=120)  # Writes the defaults.
        for name, value in (("UseDesktopSettings", 0), ("Width", 1024), ("Height", 768), ("ColorDepth", 16)):
            self.wine.set_dword(name, value)
        try:
            self.run_full_screen(16)
        finally:
            self.wine.delete_key()

    def test_log_file_is_code_page_1251_with_crlf(self):
        self.wine.run("/a", timeout=120)
        raw = self.wine.log_path.read_bytes()
        self.assertIn("Конец лога.".encode("cp1251"), raw)
        self.assertIn(b"\r\n", raw)


if __name__ == "__main__":
    unittest.main()
