"""Reading the full-screen saver's screenshots back: pictures as pixel rows, the loading screen
composed from its own pictures, the clock's glyph cells matched against the glyph pictures, and
the scene's brightness; and the pictures zen.exe draws (read from its BMP files)."""
import math
import shutil
import struct
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

# Overlay cells, in fractions of the screen (x from the left, y from the bottom).
CELL_W, CELL_H = 0.04, 0.075
CLOCK_Y = 0.01
GLYPHS = {**{str(d): f"digit_{d}.tga" for d in range(10)}, "a": "digit_a.tga", "p": "digit_p.tga",
          "m": "digit_m.tga", ":": "digit_ddot.tga"}
LOADER_CORNERS = {"4loader_ld.tga": "SouthWest", "4loader_rd.tga": "SouthEast", "4loader_lu.tga": "NorthWest",
                  "4loader_ru.tga": "NorthEast"}


@dataclass
class Picture:
    width: int
    height: int
    channels: int
    data: bytes

    @classmethod
    def load(cls, path, alpha=False):
        """Any picture ImageMagick reads, as 8-bit RGB (or RGBA) rows from the top."""
        size = subprocess.run(["identify", "-format", "%w %h", str(path)], capture_output=True, check=True,
                              text=True, timeout=60).stdout.split()
        form = "rgba" if alpha else "rgb"
        # A TGA keeps its rows bottom-up with the orientation noted beside them: turn them upright.
        data = subprocess.run(["convert", str(path), "-auto-orient", "-depth", "8", f"{form}:-"], capture_output=True, check=True,
                              timeout=60).stdout
        return cls(int(size[0]), int(size[1]), 4 if alpha else 3, data)

    @classmethod
    def command(cls, args):
        """The RGB picture an ImageMagick command line writes (its output given as PPM on stdout)."""
        data = subprocess.run(["convert", *args, "-depth", "8", "ppm:-"], capture_output=True, check=True,
                              timeout=60).stdout
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            fields.append(data[start:at])
        return cls(int(fields[1]), int(fields[2]), 3, data[at + 1:])

    def pixel(self, x, y):
        at = (y * self.width + x) * self.channels
        return self.data[at:at + self.channels]

    def mean_level(self, left, top, right, bottom, step=4):
        """Mean of the red, green and blue levels (0-255) over a rectangle, every `step` pixels."""
        total = count = 0
        for y in range(top, bottom, step):
            row = self.data[(y * self.width + left) * self.channels:(y * self.width + right) * self.channels]
            for x in range(0, len(row), self.channels * step):
                total += row[x] + row[x + 1] + row[x + 2]
                count += 3
        return total / max(count, 1)

    def is_black(self):
        return max(self.data[::331]) < 8


def loading_screen(pictures, width, height):
    """The loading screen as it should look: the background over the whole screen, each corner
    picture over it at its own size, flush with its corner."""
    args = [str(pictures / "loader.jpg"), "-resize", f"{width}x{height}!"]
    for name, gravity in LOADER_CORNERS.items():
        args += ["(", str(pictures / name), "-auto-orient", ")", "-gravity", gravity, "-composite"]
    return Picture.command(args)


def difference(shot, expected, left, top, right, bottom, dx=0, dy=0, step=2):
    """Mean absolute difference per channel between `shot` at (x + dx, y + dy) and `expected` at
    (x, y) over the rectangle (top-left origin, right and bottom excluded)."""
    total = count = 0
    for y in range(top, bottom, step):
        sy = y + dy
        if not 0 <= sy < shot.height:
            continue
        for x in range(left, right, step):
            sx = x + dx
            if not 0 <= sx < shot.width:
                continue
            a, b = shot.pixel(sx, sy), expected.pixel(x, y)
            total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
            count += 3
    return total / max(count, 1)


def white(rgb):
    return rgb[0] > 190 and rgb[1] > 190 and rgb[2] > 190


class ClockReader:
    """Reads the clock at the bottom right of a screenshot: each glyph cell of the clock's layout
    is compared, pixel for pixel, with every glyph picture drawn at the cell's size, and the
    closest glyph is the character read."""

    def __init__(self, pictures, width, height):
        self.width, self.height = width, height
        self.glyphs = {char: Picture.load(pictures / name, alpha=True) for char, name in GLYPHS.items()}
        self._masks = {}

    @staticmethod
    def text(hour, minute, second, hour24):
        suffix = ""
        if not hour24:
            suffix = " am " if hour < 12 else " pm "
            if hour >= 13:
                hour -= 12
        return f"{hour}:{minute:02d}:{second:02d}{suffix}"

    def cells(self, text, hour24):
        """(character, first column, last column + 1) of each drawn glyph; pixel columns whose
        centres lie inside the cell."""
        x = 1.01 - len(text) * CELL_W + (-0.02 if hour24 else 0.02)
        cells = []
        for char in text:
            if char == " ":
                x += CELL_W / 2
                continue
            left, right = x * self.width, (x + CELL_W) * self.width
            cells.append((char, math.ceil(left - 0.5), math.ceil(right - 0.5)))
            x += CELL_W
        return cells

    def rows(self):
        top = self.height - (CLOCK_Y + CELL_H) * self.height
        bottom = self.height - CLOCK_Y * self.height
        return int(top + 0.5), int(bottom + 0.5)

    def glyph_mask(self, char, columns):
        """The glyph's white texels sampled at the cell's pixel centres, row by row."""
        key = (char, columns)
        if key not in self._masks:
            glyph = self.glyphs[char]
            top, bottom = self.rows()
            mask = []
            for y in range(top, bottom):
                gy = min(int((y + 0.5 - top) / (bottom - top) * glyph.height), glyph.height - 1)
                for x in range(columns):
                    texel = glyph.pixel(min(int((x + 0.5) / columns * glyph.width), glyph.width - 1), gy)
                    mask.append(texel[3] > 128 and white(texel))
            self._masks[key] = mask
        return self._masks[key]

    def screen_mask(self, shot, left, right):
        top, bottom = self.rows()
        return [white(shot.pixel(x, y)) for y in range(top, bottom) for x in range(left, right)]

    def classify(self, shot, left, right):
        """The glyph closest to the cell: fewest pixels where the screen's white and the glyph's
        white disagree."""
        screen = self.screen_mask(shot, left, right)
        scores = {char: sum(a != b for a, b in zip(screen, self.glyph_mask(char, right - left)))
                  for char in self.glyphs}
        return min(scores, key=scores.get)

    def read(self, shot, layout_text, hour24):
        """The characters read in the cells where `layout_text` would be drawn (spaces kept)."""
        read = []
        cells = iter(self.cells(layout_text, hour24))
        for char in layout_text:
            if char == " ":
                read.append(" ")
                continue
            _, left, right = next(cells)
            read.append(self.classify(shot, left, right))
        return "".join(read)

    def find_time(self, shot, taken_after, taken_before, hour24, slack=3):
        """The clock text matching a local time between `taken_after` - `slack` seconds and
        `taken_before` (both time.time() values), with that second; (None, None) when no second in
        that span reads back. Also returns what was read under the latest second's layout."""
        last = None
        for moment in range(int(taken_before), int(taken_after) - slack - 1, -1):
            local = time.localtime(moment)
            expected = self.text(local.tm_hour, local.tm_min, local.tm_sec, hour24)
            read = self.read(shot, expected, hour24)
            if last is None:
                last = read
            if read == expected:
                return expected, moment, last
        return None, None, last


class ZenUnderWine:
    """The build's zen.exe under a Wine harness, with a scratch folder next to the build (removed
    by close()). Pictures are drawn in one batch: starting the tool under Wine costs more than
    drawing a small picture."""

    def __init__(self, build_dir, prefix):
        from harness import WineHarness, missing
        build = Path(build_dir).resolve()
        self.exe = next((p for p in (build / "tools" / "zen.exe", build / "zen.exe") if p.exists()), None)
        if self.exe is None:
            missing("zen.exe is not built")
        self.folder = Path(tempfile.mkdtemp(prefix=prefix, dir=build))
        self.wine = WineHarness(build_dir)
        self.wine.open()
        self.outputs = {}

    def close(self):
        self.wine.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def run(self, *arguments, timeout=180):
        """(exit code, standard output and error) of one zen.exe run."""
        # Output through a file: Wine's helper processes inherit the handles of a pipe.
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", str(self.exe), *arguments], env=self.wine.env, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
            out.seek(0)
            return code, out.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def draw(self, shots, timeout=1800):
        """Draws every {tag: [render arguments]} in one zen.exe: picture <tag>.bmp, log <tag>.log in
        the folder (Path arguments become Windows paths). (exit code, output) of the batch; each
        render's own output is kept for picture()."""
        listing, tags = [], list(shots)
        for tag in tags:
            words = ["--log", self.folder / f"{tag}.log", "render", *shots[tag], "--shot", self.folder / f"{tag}.bmp"]
            listing.append(" ".join(f'"{windows_path(w)}"' if isinstance(w, Path) else str(w) for w in words))
        batch = self.folder / f"batch-{len(self.outputs)}.txt"
        batch.write_text("\n".join(listing) + "\n")
        code, output = self.run("batch", windows_path(batch), timeout=timeout)
        current = None
        for line in output.splitlines():
            if line.startswith("line ") and line[5:].isdigit() and 0 < int(line[5:]) <= len(tags):
                current = tags[int(line[5:]) - 1]
                self.outputs[current] = ""
            elif current is not None:
                self.outputs[current] += line + "\n"
        self.batch_output = output
        return code, output

    def picture(self, tag):
        """(rows, log lines, output) of a picture draw() made; AssertionError when it is missing."""
        shot, log = self.folder / f"{tag}.bmp", self.folder / f"{tag}.log"
        if not shot.exists():
            raise AssertionError(f"{tag} was not drawn: {self.outputs.get(tag, getattr(self, 'batch_output', ''))}")
        lines = log.read_bytes().decode("cp1251").replace("\r\n", "\n").splitlines() if log.exists() else []
        return read_bmp(shot)[2], lines, self.outputs.get(tag, "")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def read_bmp(path):
    """(width, height, rows top-down of (r, g, b) tuples) of a 24-bit uncompressed BMP."""
    data = Path(path).read_bytes()
    assert data[:2] == b"BM", "not a BMP file"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    assert bits == 24 and compression == 0, (bits, compression)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        stored = height - 1 - y if height > 0 else y  # Bottom-up unless the height is negative.
        start = offset + stored * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x]) for x in range(width)])
    return width, abs(height), rows
