"""Our shader assembler against the system's D3DXAssembleShader under Wine
(ShaderAssemblyProbe.exe): every program of the registered effect classes, and a corpus that
covers the instructions, registers, modifiers, declarations and definitions of vs_1_1, vs_2_0,
vs_2_x, ps_1_1 to ps_1_3 and ps_2_0, must give the same tokens (comment tokens aside). Corpus
texts labelled "error:" must fail in both; "stricter:" texts are ones D3DX takes although the
device would refuse them, and only ours must fail."""
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from harness import WineHarness, missing  # noqa: E402

BUILD_DIR = os.environ.get("BRIGHTFOLD_WINDOWS_BUILD", os.path.join(os.path.dirname(__file__), "../../build/windows"))
CORPUS = Path(__file__).resolve().parent / "data" / "shader-programs.txt"


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def parse(text):
    """[(label, d3dx line, ours line)] from the probe's output; None without its last line."""
    lines = text.splitlines()
    if not lines or lines[-1] != "done":
        return None
    programs = []
    for index, line in enumerate(lines):
        if line.startswith("program "):
            label = line.split(" ", 2)[2] if line.count(" ") >= 2 else ""
            programs.append((label.strip(), lines[index + 1], lines[index + 2]))
    return programs


class ShaderAssembly(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.build = Path(BUILD_DIR).resolve()
        cls.program = cls.build / "ShaderAssemblyProbe.exe"
        if not cls.program.exists():
            missing("ShaderAssemblyProbe.exe is not built")
        cls.wine = WineHarness(BUILD_DIR)
        cls.wine.open()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def run_probe(self, name, *texts):
        out = self.build / f"shader-assembly-{name}.txt"
        log = self.build / f"shader-assembly-{name}-log.txt"
        if out.exists():
            out.unlink()
        result = self.wine.run(windows_path(out), windows_path(log), *texts, program=self.program, timeout=180)
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, 0, out.read_text() if out.exists() else "no output")
        programs = parse(out.read_text())
        self.assertIsNotNone(programs, "the probe did not finish its output")
        return programs

    def test_every_effect_program_gives_the_tokens_of_d3dx(self):
        programs = self.run_probe("effects")
        self.assertGreaterEqual(len(programs), 4, "the effect classes' programs were not found")
        for label, d3dx, ours in programs:
            with self.subTest(program=label):
                self.assertTrue(d3dx.startswith("d3dx ok"), f"D3DX refuses {label}: {d3dx}")
                self.assertEqual(ours.split()[1:], d3dx.split()[1:])

    def test_corpus_gives_the_tokens_and_verdicts_of_d3dx(self):
        programs = self.run_probe("corpus", windows_path(CORPUS))
        self.assertGreaterEqual(len(programs), 30)
        for label, d3dx, ours in programs:
            with self.subTest(program=label):
                if label.startswith("error:"):
                    self.assertTrue(d3dx.startswith("d3dx fail"), d3dx)
                    self.assertTrue(ours.startswith("ours fail line "), ours)
                elif label.startswith("stricter:"):
                    self.assertTrue(ours.startswith("ours fail line "), ours)
                else:
                    self.assertTrue(d3dx.startswith("d3dx ok"), d3dx)
                    self.assertEqual(ours.split()[1:], d3dx.split()[1:])


if __name__ == "__main__":
    unittest.main()
