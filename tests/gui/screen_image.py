"""Pixels of screenshots, read through ImageMagick as raw RGB: crops, comparisons and
colour counts (no OCR: a label is checked by what its pixels do)."""
import subprocess


class Crop:
    def __init__(self, path, rect):
        self.rect = rect
        geometry = f"{rect.width}x{rect.height}+{rect.x}+{rect.y}"
        self.rgb = subprocess.run(["convert", path, "-crop", geometry, "+repage", "-depth", "8",
                                   "rgb:-"], check=True, capture_output=True, timeout=30).stdout
        if len(self.rgb) != 3 * rect.width * rect.height:
            raise ValueError(f"{path}: crop {geometry} lies outside the picture")

    def pixels(self):
        b = self.rgb
        return (tuple(b[i:i + 3]) for i in range(0, len(b), 3))

    def count(self, colour, tolerance=24):
        return sum(1 for p in self.pixels() if max(abs(a - c) for a, c in zip(p, colour)) <= tolerance)

    def differing_pixels(self, other):
        if self.rect != other.rect:
            raise ValueError("crops of different places")
        a, b = self.rgb, other.rgb
        return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])

    def share_of(self, colour, tolerance=8):
        return self.count(colour, tolerance) / (self.rect.width * self.rect.height)


def pixel(path, x, y):
    out = subprocess.run(["convert", path, "-crop", f"1x1+{x}+{y}", "+repage", "-depth", "8",
                          "rgb:-"], check=True, capture_output=True, timeout=30).stdout
    return tuple(out)
