"""The shipped programs start on a clean Windows 10 or 11: Brightfold.scr and zen.exe import
only DLLs that every such system has (no D3DX, no compiler runtime), read from their import
tables with the cross toolchain's objdump."""
import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import missing  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))
OBJDUMP = "x86_64-w64-mingw32-objdump"

# System DLLs of a clean Windows 10/11 (lower case), among them the ones such programs use.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "d3d9.dll", "dsound.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll", "xinput1_4.dll", "dwmapi.dll", "bcrypt.dll",
}


def imported_dlls(path):
    dump = subprocess.run([OBJDUMP, "-p", str(path)], capture_output=True, text=True, timeout=120, check=True)
    return [line.split("DLL Name:", 1)[1].strip() for line in dump.stdout.splitlines() if "DLL Name:" in line]


class Imports(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not shutil.which(OBJDUMP):
            missing(f"{OBJDUMP} is not installed")
        cls.build = Path(BUILD_DIR).resolve()

    def test_programs_import_only_system_dlls(self):
        for name in ("Brightfold.scr", "tools/zen.exe"):
            with self.subTest(program=name):
                path = self.build / name
                if not path.exists():
                    missing(f"{name} is not built")
                dlls = imported_dlls(path)
                self.assertIn("kernel32.dll", [dll.lower() for dll in dlls], "the import table was not read")
                foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
                self.assertEqual(foreign, [], f"{name} imports DLLs a clean Windows lacks")

    def test_a_program_linked_with_d3dx_is_caught(self):
        # The assembler probe links D3DX on purpose: the same check must find it there.
        path = self.build / "ShaderAssemblyProbe.exe"
        if not path.exists():
            missing("ShaderAssemblyProbe.exe is not built")
        foreign = [dll.lower() for dll in imported_dlls(path) if dll.lower() not in SYSTEM_DLLS]
        self.assertTrue(any(dll.startswith("d3dx9_") for dll in foreign), foreign)

if __name__ == "__main__":
    unittest.main()
