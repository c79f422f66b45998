"""Loupa's zoom window as a user sees it: whether it is shown, the rate its
caption gives, and how much it magnifies the test target's picture.

Under Wine the zoom stretches a snapshot of the monitor and writes
"Loupa \\nx %.2f " in green (RGB 0,255,0), font "MS Pゴシック" of height 35
at 96 DPI and as much more as the DPI is higher, right-aligned at the top.
The caption is compared pixel for pixel with the same text drawn by
LoupaProbe; the magnification is measured on the picture of the test target
around the pointer, which a zoom keeps in place."""

from . import pattern
from .environment import BASE_DPI, mul_div
from .images import Image
from .waiting import holds, wait_until

GREEN = (0, 255, 0)
CAPTION_FONT = "MS Pゴシック"
CAPTION_FONT_HEIGHT = 35  # at 96 DPI
ANSI_CHARSET = 0
FW_NORMAL = 400
FF_SWISS = 0x20
DT_RIGHT = 0x2
# The top-right corner of the zoom window that holds the caption, at 96 DPI.
CAPTION_AREA = (400, 100)
# Half the length of the row, around the pointer, that the scale is measured on.
MEASURE_SPAN = 300


def caption_text(rate):
    return f"Loupa \nx {rate:.2f} "


def caption_font_height(dpi):
    return mul_div(CAPTION_FONT_HEIGHT, dpi, BASE_DPI)


def caption_area(dpi):
    return tuple(mul_div(length, dpi, BASE_DPI) for length in CAPTION_AREA)


def green_pixels(image, rect, area):
    """Pure green pixels of the caption area (width, height) at the top right
    of a window at rect (left, top, right, bottom) in image, relative to the
    window's top-right corner."""
    left, top, right, _ = rect
    width, height = area
    return frozenset((x - right, y - top)
                     for y in range(top, top + height)
                     for x in range(max(left, right - width), right)
                     if image.pixel(x, y) == GREEN)


class ZoomView:
    """caption: whether the zoom writes its caption (the screen-copy path);
    through the Magnification API the view has none."""

    def __init__(self, env, probe, loupa, pattern_rect, caption=True):
        self.env = env
        self.with_caption = caption
        self.probe = probe
        self.loupa = loupa
        self.cells = pattern.cells_by_colour(pattern_rect)
        self.area = caption_area(env.dpi)
        self._captions = {}
        self.last = "nothing seen yet"

    def window(self):
        """Loupa's zoom window while it is mapped: its window that covers a
        whole monitor. None while hidden."""
        for window in self.env.windows.visible_of(self.loupa.pid):
            if window.rect in self.env.display.monitors:
                return window
        return None

    def caption(self, rate, width, dpi=None):
        """The caption's green pixels for rate in a window of that width, as
        LoupaProbe draws them at dpi (default: the display's)."""
        dpi = dpi or self.env.dpi
        key = (f"{rate:.2f}", width, dpi)
        if key not in self._captions:
            path = self.env.work_dir / f"caption-{key[0]}-{width}-{dpi}.bmp"
            self.probe.render_text(path, (width, self.area[1]), caption_text(rate),
                                   font=CAPTION_FONT, font_height=caption_font_height(dpi),
                                   charset=ANSI_CHARSET, weight=FW_NORMAL,
                                   pitch_and_family=FF_SWISS, color=GREEN, background=(0, 0, 0),
                                   draw_format=DT_RIGHT)
            image = Image.load(path)
            self._captions[key] = green_pixels(image, (0, 0, width, image.height), self.area)
        return self._captions[key]

    def scale_at(self, image, point):
        """Magnification of the test target's picture along the pointer's
        row; None where the row shows no two cell borders."""
        window = self.window()
        x, y = point
        left = max(window.x if window else 0, x - MEASURE_SPAN)
        right = min((window.x + window.width) if window else image.width, x + MEASURE_SPAN)
        return pattern.scale_along_row(image.pixel, y, left, right, self.cells)

    def shows(self, rate, point):
        """True when one screenshot shows the zoom window with the caption of
        rate (or none without caption) and the picture around point
        magnified by rate (1 %)."""
        window = self.window()
        if window is None:
            self.last = "the zoom window is not shown"
            return False
        image = Image.load(self.env.screenshot(self.env.work_dir / "zoom.ppm"))
        shown = green_pixels(image, window.rect, self.area)
        expected = self.caption(rate, window.width) if self.with_caption else frozenset()
        text = caption_text(rate) if self.with_caption else ""
        scale = self.scale_at(image, point)
        self.last = (f"caption differs from {text!r} in "
                     f"{len(shown ^ expected)} pixels, picture scaled by {scale}")
        return shown == expected and scale is not None and abs(scale - rate) <= 0.01 * rate

    def wait_rate(self, rate, point, timeout=10):
        """Waits until the zoom shows rate (see shows())."""
        wait_until(lambda: self.shows(rate, point), timeout,
                   message=lambda: f"the zoom at x {rate:.2f}: {self.last}")

    def wait_hidden(self, timeout=10):
        wait_until(lambda: self.window() is None, timeout, message="the zoom window to hide")

    def stays_hidden(self, duration=1.5):
        return holds(lambda: self.window() is None, duration)
