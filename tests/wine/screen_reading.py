"""Reading the full-screen saver's screenshots back: pictures as pixel rows, the loading screen
composed from its own pictures, the clock's glyph cells matched against the glyph pictures, and
the scene's brightness."""
import math
import subprocess
import time
from dataclasses import dataclass

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
