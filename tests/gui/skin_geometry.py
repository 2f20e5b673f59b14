"""Where things are on the main window, read from a skin's layout file and the picture
headers in its pack, so the test clicks where the skin puts each button.

The Python tests' one reader of the skin files; the C++ side (player, skin generator and
their tests) reads and writes them through the varo_formats library."""
import os
import struct
from dataclasses import dataclass

PIECES = 19
# Main window pieces by the control they dress.
BACKGROUND, PLAY, STOP, PAUSE, PREVIOUS, NEXT, PLAYLIST, MINIMISE, EXIT, VERSION = range(1, 11)


@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    width: int
    height: int

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def moved(self, dx, dy):
        return Rect(self.x + dx, self.y + dy, self.width, self.height)


class SkinGeometry:
    def __init__(self, skin_dir, name):
        self.name = name
        with open(os.path.join(skin_dir, name + ".txt"), encoding="ascii") as f:
            lines = f.read().splitlines()
        if len(lines) < 90:
            raise ValueError(f"{name}.txt: {len(lines)} lines, the layout has 94")
        number = lambda i: int(lines[i]) if i < len(lines) and lines[i].strip() else 0  # noqa: E731
        positions = [(number(2 * i), number(2 * i + 1)) for i in range(PIECES)]
        blocks = [number(38 + i) for i in range(PIECES)]
        rests = [number(57 + i) for i in range(PIECES)]
        with open(os.path.join(skin_dir, name + ".bmp"), "rb") as f:
            pack = f.read()
        self.pieces = {}
        offset = 0
        for i in range(PIECES):
            size = (blocks[i] - 2) * 2048 + rests[i] if blocks[i] > 2 else rests[i]
            header = pack[offset:offset + 26]
            if len(header) < 26 or header[:2] != b"BM":
                raise ValueError(f"{name}.bmp: piece {i + 1} is no bitmap")
            width, height = struct.unpack("<ii", header[18:26])
            self.pieces[i + 1] = Rect(*positions[i], width, abs(height))
            offset += size
        self.grid_rect = Rect(*(number(i) for i in range(80, 84)))
        self.label_colour = number(89)  # 0x00BBGGRR
        self.label_left, self.label_top = number(90), number(91)
        self.label_width, self.label_height = number(92), number(93)

    def piece(self, index):
        return self.pieces[index]

    def grid(self):
        """The playlist grid, in the playlist window."""
        return self.grid_rect

    def label_colour_rgb(self):
        c = self.label_colour
        return c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF

    def labels(self):
        """The block holding the title and artist labels (with their shadows)."""
        if self.label_left != 0:
            return Rect(self.label_left, self.label_top, self.label_width + 1,
                        2 * self.label_height + 5)
        # Default placement: title at top 48, artist at 58, both across the background.
        return Rect(0, 48, self.pieces[BACKGROUND].width, 40)
