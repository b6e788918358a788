"""The application manifests carried in the programs' resources (type 24, number 1), read from the
PE files themselves: per-monitor DPI awareness (with the older form as fallback), common controls
version 6 for the screensaver's dialogs, and the supported Windows versions."""
import os
import struct
import sys
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import missing  # noqa: E402

BUILD_DIR = Path(os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows")))

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}


def resource(pe, type_id, name_id):
    """The bytes of resource (type_id, name_id), first language, from the PE image `pe`."""
    (header,) = struct.unpack_from("<I", pe, 0x3C)
    if pe[header:header + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", pe, header + 6)
    optional = header + 24
    magic = struct.unpack_from("<H", pe, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva, _ = struct.unpack_from("<II", pe, directories + 2 * 8)
    table = optional + optional_size
    spans = []
    for i in range(sections):
        size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", pe, table + 40 * i + 8)
        spans.append((rva, max(size, raw_size), raw_offset))

    def offset(rva):
        for start, size, raw in spans:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"address {rva:#x} outside the sections")

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", pe, directory + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", pe, directory + 16 + 8 * i)
            yield key, target

    def find(directory, key_wanted):
        for key, target in entries(directory):
            if not key & 0x80000000 and key == key_wanted:
                return target
        return None

    by_type = find(base, type_id)
    if by_type is None or not by_type & 0x80000000:
        return None
    by_name = find(base + (by_type & 0x7FFFFFFF), name_id)
    if by_name is None or not by_name & 0x80000000:
        return None
    languages = list(entries(base + (by_name & 0x7FFFFFFF)))
    if not languages:
        return None
    data_rva, data_size = struct.unpack_from("<II", pe, base + languages[0][1])
    start = offset(data_rva)
    return pe[start:start + data_size]


def manifest_of(test, program):
    path = BUILD_DIR / program
    if not path.exists():
        missing(f"{path} (build the Windows tree first)")
    data = resource(path.read_bytes(), 24, 1)
    test.assertIsNotNone(data, f"{program} carries no manifest")
    return ElementTree.fromstring(data)


def texts(root, local_name):
    return [element.text.strip() for element in root.iter() if element.tag.endswith("}" + local_name)]


class Manifests(unittest.TestCase):
    def test_screensaver_is_per_monitor_aware_styled_and_names_its_systems(self):
        root = manifest_of(self, "Brightfold.scr")
        self.assertEqual(texts(root, "dpiAwareness"), ["PerMonitorV2, PerMonitor"])
        self.assertEqual(texts(root, "dpiAware"), ["true/pm"])
        controls = [element.attrib for element in root.iter()
                    if element.tag.endswith("}assemblyIdentity")
                    and element.attrib.get("name") == "Microsoft.Windows.Common-Controls"]
        self.assertEqual(len(controls), 1)
        self.assertEqual(controls[0]["version"], "6.0.0.0")
        self.assertEqual(controls[0]["publicKeyToken"], "6595b64144ccf1df")
        found = {element.attrib["Id"] for element in root.iter() if element.tag.endswith("}supportedOS")}
        self.assertEqual(found, SUPPORTED_OS)

    def test_tool_is_per_monitor_aware_too(self):
        root = manifest_of(self, "tools/zen.exe")
        self.assertEqual(texts(root, "dpiAwareness"), ["PerMonitorV2, PerMonitor"])
        self.assertEqual(texts(root, "dpiAware"), ["true/pm"])


if __name__ == "__main__":
    unittest.main()
