"""LoupaTestTarget.exe: a Wine window that shows a fixed noise pattern tied
to screen coordinates and logs the input messages it receives."""

from pathlib import Path

from .images import Image, screenshot
from .paths import test_target_exe
from .waiting import wait_until

CELL = 4  # pixels per side of one colour cell


def pattern_color(x, y):
    """The RGB colour the target shows at screen point (x, y), x, y >= 0:
    the hash of the 4 x 4 cell, as TestTarget.cpp computes it."""
    h = ((x // CELL) * 73856093 ^ (y // CELL) * 19349663) & 0xFFFFFFFF
    h ^= h >> 13
    h = (h * 0x5BD1E995) & 0xFFFFFFFF
    h ^= h >> 15
    return (h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF)


def parse_log(text):
    """[(message, wParam, lParam), ...] from the target's log lines
    ("WM_KEYDOWN 222 1"); a line still being written is left out."""
    entries = []
    for line in text.splitlines(keepends=True):
        fields = line.split()
        if not line.endswith("\n") or len(fields) != 3:
            continue
        try:
            entries.append((fields[0], int(fields[1]), int(fields[2])))
        except ValueError:
            continue
    return entries


class TestTarget:
    """One run of the target over rect = (left, top, right, bottom), screen
    coordinates; stop() ends only its PID."""

    def __init__(self, prefix, display, log_path, rect=(0, 0, 1920, 1080), exe=None):
        self.prefix = prefix
        self.display = display
        self.log_path = Path(log_path)
        self.rect = tuple(rect)
        self.exe = Path(exe or test_target_exe())
        self.process = None
        self.window = None

    @property
    def pid(self):
        return self.process.pid if self.process else None

    def start(self, windows, timeout=20):
        """Starts the target and waits until it has logged READY and its X
        window is mapped where it was asked to be."""
        if not self.exe.is_file():
            raise FileNotFoundError(f"{self.exe} is missing: build the target LoupaTestTarget")
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_path.unlink(missing_ok=True)
        left, top, right, bottom = self.rect
        args = [self.prefix.to_windows(self.exe), self.prefix.to_windows(self.log_path),
                left, top, right - left, bottom - top]
        self.process = self.prefix.start([str(a) for a in args],
                                         self.log_path.with_suffix(".wine.log"), self.display)

        def placed():
            if not self.process.running():
                raise RuntimeError(f"the test target ended with code {self.process.returncode}")
            shown = [w for w in windows.visible_of(self.pid) if w.rect == self.rect]
            return shown and ("READY", 0, 0) in self.entries() and shown[0]

        self.window = wait_until(placed, timeout, message=f"the test target over {self.rect}")
        wait_until(self.painted, timeout, message="the test target's pattern on the screen")
        return self

    def sample_points(self, count=7):
        """A grid of count x count screen points spread over the window."""
        left, top, right, bottom = self.rect
        return [(left + (right - left) * (2 * i + 1) // (2 * count),
                 top + (bottom - top) * (2 * j + 1) // (2 * count))
                for j in range(count) for i in range(count)]

    def painted(self, share=0.8):
        """Whether the screen shows the pattern at most sample points (the
        rest may lie under other windows)."""
        shot = Image.load(screenshot(self.display, self.log_path.with_suffix(".png")))
        points = self.sample_points()
        showing = sum(1 for x, y in points if shot.pixel(x, y) == pattern_color(x, y))
        return showing >= share * len(points)

    def running(self):
        return self.process is not None and self.process.running()

    def entries(self):
        """Everything logged so far, as parse_log gives it."""
        try:
            return parse_log(self.log_path.read_text(errors="replace"))
        except FileNotFoundError:
            return []

    def messages(self, name):
        """The logged (wParam, lParam) of one message name, in order."""
        return [(w, l) for message, w, l in self.entries() if message == name]

    def stop(self):
        if self.process is not None:
            self.process.stop(sig=None)
            self.process = None
