"""The archive of pictures (resource 134) inside the Windows build: what Brightfold.scr carries is
the archive the build packed, it lists and unpacks with our own tool and with unar, every picture
decodes through the engine's codecs at its size and format, and drawing them again gives the same
bytes. The native zen the Windows build made for itself does most of the work; the Windows zen.exe
then reads the same archive and pictures under Wine, through the codecs the saver itself runs."""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, host_zen, missing  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD",
                                os.path.join(os.path.dirname(__file__), "../../build/windows"))).resolve()
ZEN = host_zen(BUILD_DIR)
ZEN_EXE = next((path for path in (BUILD_DIR / "zen.exe", BUILD_DIR / "tools" / "zen.exe") if path.exists()), None)
PICTURE_RESOURCE = 134

# Name: (width, height, engine pixel format: 0 R8G8B8, 1 R8G8B8A8).
PICTURES = {
    "loader.jpg": (1024, 768, 0),
    "4loader_ld.tga": (256, 64, 1), "4loader_rd.tga": (256, 64, 1),
    "4loader_lu.tga": (256, 128, 1), "4loader_ru.tga": (128, 128, 1),
    **{f"digit_{c}.tga": (64, 64, 1) for c in list("0123456789apm") + ["dot", "ddot"]},
    "settings.bmp": (258, 275, 0), "preview.bmp": (152, 112, 0), "logo.bmp": (90, 176, 0),
}


def pe_resource(path, type_name, resource_id):
    """The bytes of a resource with a named type and a numeric id in a PE file; None if absent."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size

    def offset_of(rva):
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise ValueError(f"RVA {rva:#x} lies in no section")

    base = offset_of(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", data, base + (name & 0x7FFFFFFF))[0]
                start = base + (name & 0x7FFFFFFF) + 2
                name = data[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    for name, types in entries(0):
        if name != type_name:
            continue
        for rid, languages in entries(types & 0x7FFFFFFF):
            if rid != resource_id:
                continue
            for _, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                return data[offset_of(rva):offset_of(rva) + size]
    return None


def zen(*arguments):
    result = subprocess.run([str(ZEN), *map(str, arguments)], capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"zen {' '.join(map(str, arguments))} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


class PictureArchive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not ZEN.exists():
            missing(f"no host tool at {ZEN} (build the windows preset first)")
        cls.work = Path(tempfile.mkdtemp(prefix="brightfold-content-"))
        cls.archive = pe_resource(BUILD_DIR / "Brightfold.scr", "MEDIADATA", PICTURE_RESOURCE)
        if cls.archive is None:
            raise AssertionError("Brightfold.scr has no MEDIADATA 134")
        cls.archive_path = cls.work / "CustomData.rar2"
        cls.archive_path.write_bytes(cls.archive)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_the_program_carries_the_archive_the_build_packed(self):
        self.assertEqual(self.archive, (BUILD_DIR / "content" / "CustomData.rar2").read_bytes())
        self.assertEqual(self.archive[:7], b"Rar!\x1a\x07\x00")

    def test_our_rar_tool_lists_every_picture_and_can_extract_it(self):
        listing = zen("rar", "list", self.archive_path)
        rows = [line.split() for line in listing.splitlines()[1:]]
        self.assertEqual([row[-1] for row in rows], list(PICTURES))
        self.assertTrue(all(row[5] == "ok" for row in rows), listing)
        # Everything that shrinks is compressed (method 3), the JPEG may be stored (method 0).
        for row in rows:
            if not row[-1].endswith(".jpg"):
                self.assertEqual(row[3], "3", row)

    def test_unar_lists_and_extracts_the_archive_byte_for_byte(self):
        if not shutil.which("unar") or not shutil.which("lsar"):
            self.skipTest("unar is not installed")
        listing = json.loads(subprocess.run(["lsar", "-j", str(self.archive_path)], capture_output=True, text=True,
                                            check=True).stdout)
        names = [entry["XADFileName"] for entry in listing["lsarContents"]]
        self.assertEqual(names, list(PICTURES))
        unpacked = self.work / "unar"
        subprocess.run(["unar", "-q", "-f", "-D", "-o", str(unpacked), str(self.archive_path)], check=True)
        packed = BUILD_DIR / "content" / "pictures"  # What the build drew and packed.
        for name in PICTURES:
            self.assertEqual((unpacked / name).read_bytes(), (packed / name).read_bytes(), name)

    def test_every_picture_decodes_through_the_engine_codecs(self):
        folder = self.work / "decoded"
        zen("rar", "extract", self.archive_path, folder)
        for name, (width, height, pixel_format) in PICTURES.items():
            info = zen("image", "info", folder / name).split()
            self.assertEqual(info[0], f"{width}x{height}", name)
            self.assertEqual(info[1:3], ["format", str(pixel_format)], name)

    def test_drawing_again_gives_the_same_bytes(self):
        first, second = self.work / "first", self.work / "second"
        zen("content", "pictures", first)
        zen("content", "pictures", second)
        extracted = self.work / "embedded"
        zen("rar", "extract", self.archive_path, extracted)
        for name in PICTURES:
            drawn = (first / name).read_bytes()
            self.assertEqual(drawn, (second / name).read_bytes(), name)
            self.assertEqual(drawn, (extracted / name).read_bytes(), name)
        repacked = self.work / "again.rar2"
        zen("content", "archive", repacked)
        self.assertEqual(repacked.read_bytes(), self.archive)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class PictureArchiveUnderWine(unittest.TestCase):
    """The Windows engine's archive and image codecs (libjpeg built for Windows included) read what
    the native tools wrote."""

    @classmethod
    def setUpClass(cls):
        if ZEN_EXE is None or not ZEN.exists():
            missing(f"no zen.exe or host zen in {BUILD_DIR}")
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()
        cls.work = Path(tempfile.mkdtemp(prefix="brightfold-content-wine-"))
        cls.archive_path = cls.work / "CustomData.rar2"
        cls.archive_path.write_bytes(pe_resource(BUILD_DIR / "Brightfold.scr", "MEDIADATA", PICTURE_RESOURCE))

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def zen_exe(self, *arguments):
        # Output through a file: Wine's helper processes may hold on to a pipe after zen ends.
        output = self.work / "zen-exe-output.txt"
        with open(output, "wb") as sink:
            code = subprocess.run(["wine", str(ZEN_EXE), *arguments], env=self.wine.env, stdout=sink,
                                  stderr=subprocess.STDOUT, timeout=120).returncode
        text = output.read_bytes().decode("utf-8", "replace").replace("\r\n", "\n")
        self.assertEqual(code, 0, text)
        return text

    def test_windows_zen_unpacks_and_decodes_every_picture(self):
        listing = self.zen_exe("rar", "list", windows_path(self.archive_path))
        rows = [line.split() for line in listing.splitlines()[1:]]
        self.assertEqual([row[-1] for row in rows], list(PICTURES))
        self.assertTrue(all(row[5] == "ok" for row in rows), listing)
        folder = self.work / "unpacked"
        self.zen_exe("rar", "extract", windows_path(self.archive_path), windows_path(folder))
        for name, (width, height, pixel_format) in PICTURES.items():
            info = self.zen_exe("image", "info", windows_path(folder / name)).split()
            self.assertEqual(info[:3], [f"{width}x{height}", "format", str(pixel_format)], name)
            # The same pixels as the native decoder sees (the JPEG decoders are the same library).
            native = zen("image", "info", folder / name).split()
            self.assertEqual(info, native, name)


if __name__ == "__main__":
    unittest.main()
