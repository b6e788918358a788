"""The screensaver's lifecycle under Wine: modes, settings in the registry, the log file."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import REGISTRY_PATH, WineHarness  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))

SETTING_LINES_DEFAULT = [
    "INFO. ShowFPS: false", "INFO. ExitOnMouseMove: false", "INFO. ShowTime: true",
    "INFO. UseDesktopSettings: true", "INFO. Music: true", "INFO. SFX: true", "INFO. Hour24: false",
    "INFO. Volume: 80", "INFO. Width: 800", "INFO. Height: 600", "INFO. ColorDepth: 32",
    "INFO. AntiAliasing: 0", "INFO. Gamma: 0",
]
DEFAULT_VALUES = {
    "ShowFPS": 0, "ExitOnMouseMove": 0, "ShowTime": 1, "UseDesktopSettings": 1, "Music": 1, "SFX": 1,
    "Hour24": 0, "Volume": 80, "Width": 800, "Height": 600, "ColorDepth": 32, "AntiAliasing": 0, "Gamma": 0,
}


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

    def test_configure_mode_fails_honestly_at_the_renderer(self):
        result = self.wine.run("/c", timeout=120)
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
            "ERROR. Невозможно создать рендерер DirectX.",
            "ERROR. Невозможно инициализировать скринсейвер.",
            "ERROR. Невозможно создать скринсейвер.",
            "INFO. Окна скринсейвера удалены.",
            "INFO. Завершение работы движка:",
            "INFO. Завершение работы движка завершилось удачно.",
            "INFO. Скринсейвер завершил работу.",
            "INFO. Конец лога.",
        ])
        self.assertEqual(result.lines[-1], "INFO. Конец лога.")
        self.assertNotIn("INFO. Сейвер создан.", result.lines)

    def test_log_file_is_code_page_1251_with_crlf(self):
        self.wine.run("/a", timeout=120)
        raw = self.wine.log_path.read_bytes()
        self.assertIn("Конец лога.".encode("cp1251"), raw)
        self.assertIn(b"\r\n", raw)


if __name__ == "__main__":
    unittest.main()
