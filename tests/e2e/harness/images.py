"""Screenshots and pixel checks with ImageMagick."""

import subprocess
from collections import Counter
from pathlib import Path

from .processes import run_tool


def screenshot(display, path, window="root", rect=None):
    """Saves the whole screen (or one X window, by id), or only rect = (left,
    top, right, bottom) of it, in the format path's suffix names: .ppm
    (uncompressed, read without a converter) for what a polling loop looks
    at, .png for what is kept."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    target = window if window == "root" else hex(window) if isinstance(window, int) else window
    crop = []
    if rect is not None:
        left, top, right, bottom = rect
        crop = ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    run_tool(["import", "-display", display.name, "-window", target, *crop, "-depth", "8",
              str(path)], env=display.env())
    return path


def compare(a, b, fuzz="5%"):
    """Number of pixels that differ by more than fuzz (ImageMagick's AE)."""
    done = subprocess.run(["compare", "-metric", "AE", "-fuzz", fuzz, str(a), str(b), "null:"],
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    if done.returncode not in (0, 1):  # 1 only says "different"
        raise RuntimeError(f"compare failed: {done.stderr.decode(errors='replace')}")
    return int(float(done.stderr.decode().split()[0]))


def crop(src, dst, rect):
    """Cuts rect = (left, top, right, bottom) out of src into dst."""
    left, top, right, bottom = rect
    run_tool(["convert", str(src), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
              "+repage", str(dst)])
    return Path(dst)


def blank(src, dst, rects, color="black"):
    """Paints each rect = (left, top, right, bottom) of src in one colour:
    what a comparison must leave out."""
    draws = []
    for left, top, right, bottom in rects:
        draws += ["-draw", f"rectangle {left},{top} {right - 1},{bottom - 1}"]
    run_tool(["convert", str(src), "-fill", color, *draws, str(dst)])
    return Path(dst)


def negate(src, dst):
    """Every channel c becomes 255 - c."""
    run_tool(["convert", str(src), "-negate", str(dst)])
    return Path(dst)


def scale(src, dst, factor):
    """Scales by whole-pixel replication (factor 4 -> 400%)."""
    run_tool(["convert", str(src), "-scale", f"{int(factor * 100)}%", str(dst)])
    return Path(dst)


class Image:
    """Pixels of an image file as RGB triples, for checks in Python."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @classmethod
    def load(cls, path):
        if Path(path).suffix == ".ppm":
            image = cls.from_ppm(Path(path).read_bytes())
            if image is not None:
                return image
        raw = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"],
                             stdin=subprocess.DEVNULL, capture_output=True, check=True,
                             timeout=60).stdout
        return cls.from_ppm(raw)

    @classmethod
    def from_ppm(cls, raw):
        """Binary PPM: "P6\n<w> <h>\n255\n" then RGB bytes; None for another
        kind (another depth)."""
        fields, pos = [], 0
        while len(fields) < 4:
            while raw[pos:pos + 1].isspace():
                pos += 1
            if raw[pos:pos + 1] == b"#":
                pos = raw.index(b"\n", pos)
                continue
            end = pos
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            return None
        width, height = int(fields[1]), int(fields[2])
        return cls(width, height, raw[pos + 1:pos + 1 + width * height * 3])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, rect):
        left, top, right, bottom = rect
        rows = [self.data[(y * self.width + left) * 3:(y * self.width + right) * 3]
                for y in range(top, bottom)]
        return Image(right - left, bottom - top, b"".join(rows))

    def pixels(self):
        d = self.data
        return (tuple(d[i:i + 3]) for i in range(0, len(d), 3))

    def dominant_color(self):
        return Counter(self.pixels()).most_common(1)[0][0]

    def count_unlike(self, color, tolerance=16):
        """Pixels whose channels differ from color by more than tolerance."""
        return sum(1 for p in self.pixels()
                   if max(abs(a - b) for a, b in zip(p, color)) > tolerance)

    def unlike_pixels(self, other, tolerance=16):
        """(x, y) of the pixels that differ between two images of one size."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("images differ in size")
        w = self.width
        return [(i % w, i // w) for i, (p, q) in enumerate(zip(self.pixels(), other.pixels()))
                if max(abs(x - y) for x, y in zip(p, q)) > tolerance]

    def differs_from(self, other, tolerance=16):
        """Pixels that differ between two images of one size."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("images differ in size")
        a, b = self.pixels(), other.pixels()
        return sum(1 for p, q in zip(a, b) if max(abs(x - y) for x, y in zip(p, q)) > tolerance)

    def save(self, path):
        """Writes the pixels through a PPM into any format ImageMagick knows."""
        header = f"P6\n{self.width} {self.height}\n255\n".encode()
        subprocess.run(["convert", "ppm:-", str(path)], input=header + self.data, check=True,
                       capture_output=True, timeout=60)
        return Path(path)
