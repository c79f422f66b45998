"""Loupa's settings sheet ("設定") as a user meets it: found and read from
outside through LoupaProbe, compared with screenshots, driven with the mouse
and the keyboard."""

import re

from .environment import mul_div
from .images import Image
from .paths import REPO_ROOT
from .rects import intersect, offset
from .waiting import wait_until
from .wine import LOCALE

TITLE = "設定"


def _resource_ids():
    """The numeric #defines of res/resource.h, the one place the ids are set."""
    text = (REPO_ROOT / "res" / "resource.h").read_text(encoding="utf-8")
    return {name: int(value, 0) for name, value in
            re.findall(r"^#define (ID\w+) (0x[0-9A-Fa-f]+|\d+)$", text, re.M)}


_IDS = _resource_ids()
# The page's controls (dialog 107) and the sheet's buttons.
SLIDER_ZOOMIN = _IDS["IDC_SLIDER_ZOOMIN"]
SLIDER_ZOOMOUT = _IDS["IDC_SLIDER_ZOOMOUT"]
CHECK_CTRL = _IDS["IDC_CHECK_CTRL"]
CHECK_ALT = _IDS["IDC_CHECK_ALT"]
CHECK_WIN = _IDS["IDC_CHECK_WIN"]
CHECK_SHIFT = _IDS["IDC_CHECK_SHIFT"]
HOTKEY_ZOOMIN = _IDS["IDC_HOTKEY_ZOOMIN"]
HOTKEY_ZOOMOUT = _IDS["IDC_HOTKEY_ZOOMOUT"]
HOTKEY_ZOOMCANCEL = _IDS["IDC_HOTKEY_ZOOMCANCEL"]
# The second page, "表示" (dialog 108).
CHECK_FOLLOWCARET = _IDS["IDC_CHECK_FOLLOWCARET"]
CHECK_INVERTCOLORS = _IDS["IDC_CHECK_INVERTCOLORS"]
CHECK_FOLLOWFOCUS = _IDS["IDC_CHECK_FOLLOWFOCUS"]
# The hidden main dialog's system-menu command that opens the about box.
IDM_ABOUTBOX = _IDS["IDM_ABOUTBOX"]

TAB_CLASS = "SysTabControl32"
IDOK = 1
IDCANCEL = 2
IDHELP = 9
IDAPPLY = 0x3021
PAGE_CLASS = "#32770"

# The page takes the sheet's font, that of the system's own property-sheet
# template: Wine's Japanese resources give it 9 point "MS UI Gothic" (12
# pixels at 96 dpi, 18 at 144), its English ones 8 point "MS Shell Dlg" (11,
# 16). The page keeps its template's character set 1; statics draw with word
# breaks, so a label wider than its control loses its last line. The hot-key
# controls draw in the same font.
PAGE_FONTS = {"ja_JP.UTF-8": ("MS UI Gothic", 9), "en_US.UTF-8": ("MS Shell Dlg", 8)}


def page_font(dpi, locale=LOCALE):
    face, points = PAGE_FONTS[locale]
    return dict(font=face, font_height=-mul_div(points, dpi, 72), charset=1)


DT_WORDBREAK_EXPANDTABS = 0x10 | 0x40
DT_CENTER, DT_RIGHT = 0x1, 0x2


class SettingsSheet:
    def __init__(self, env, probe, title=TITLE, locale=LOCALE):
        """title and locale: the sheet's caption and the locale Loupa runs in."""
        self.env = env
        self.probe = probe
        self.title = title
        self.locale = locale

    def windows(self):
        return self.probe.windows(self.title)

    def read(self):
        """The one open sheet, with its controls as they are now."""
        found = self.windows()
        if len(found) != 1:
            raise AssertionError(f"{len(found)} windows titled {self.title!r}")
        return found[0]

    def wait_open(self, timeout=15):
        """Waits for the sheet with its page; returns it."""
        return wait_until(lambda: [w for w in self.windows()
                                   if any(c.id == SLIDER_ZOOMIN for c in w.controls)],
                          timeout, message="the settings sheet")[0]

    def open_by_double_click(self, timeout=15):
        """Double-clicks the first icon of Wine's tray; returns the sheet."""
        tray = wait_until(self.env.windows.tray, timeout, message="the Wine System Tray")
        self.env.input.double_click(1, *tray.icon_center(0))
        return self.wait_open(timeout)

    def x_window(self, pid):
        """The sheet's X window, shown by the process with that Unix pid."""
        found = [w for w in self.env.windows.visible_of(pid) if w.name == self.title]
        if len(found) != 1:
            raise AssertionError(f"{len(found)} X windows named {self.title!r} of pid {pid}")
        return found[0]

    def move(self, pid, x, y, timeout=10):
        """Moves the sheet through the window manager, as a drag would, to
        about (x, y); returns it as it then is."""
        before = self.read().rect
        window = self.x_window(pid)
        self.env.input.xdotool("windowmove", "--sync", window.id, x, y)
        return wait_until(lambda: [w for w in self.windows() if w.rect != before], timeout,
                          message=f"the settings sheet to move to {x},{y}")[0]

    def wait_closed(self, timeout=10):
        wait_until(lambda: not self.windows(), timeout, message="the settings sheet to close")

    @staticmethod
    def center(control):
        left, top, right, bottom = control.rect
        return (left + right) // 2, (top + bottom) // 2

    def click(self, control_id):
        """Clicks the middle of a control of the open sheet."""
        self.env.input.click(1, *self.center(self.read().control(control_id)))

    def show_page(self, index, visible_control, timeout=10):
        """Selects the index-th tab (from 0) with the keyboard, after a click
        on the first tab, and waits until visible_control shows."""
        tab = [c for c in self.read().controls if c.cls.lower() == TAB_CLASS.lower()][0]
        self.env.input.click(1, tab.rect[0] + 12, tab.rect[1] + 10)
        for _ in range(index):
            self.env.input.key("Right")
        return wait_until(lambda: self.read().control(visible_control).visible and self.read(),
                          timeout, message=f"page {index + 1} of the sheet")

    def screenshot(self, path):
        return Image.load(self.env.screenshot(path))

    # ---- what the screen shows ---------------------------------------------
    @staticmethod
    def visible_rect(sheet, control):
        """The part of a page control that the page's client area shows."""
        page = [c for c in sheet.controls if c.cls == PAGE_CLASS and c.visible]
        return intersect(control.rect, page[0].rect) if page else control.rect

    def text_differences(self, image, sheet, control, text, origin=(0, 0), draw_format=0,
                         covered=()):
        """Pixels where the visible part of a control differs from text drawn
        at origin (client coordinates) into a box of the control's size, on
        the control's background, in the page's font;
        a list of screen points, empty when they agree. Pixels inside the
        covered rectangles (other controls on top) do not count, and neither
        do a few stray ones: up to 5 % of the text's ink, at least 6 (one
        stroke of one glyph may come out a pixel narrower on the screen)."""
        left, top, right, bottom = control.rect
        box = (left + origin[0], top + origin[1], right, bottom)
        visible = intersect(box, self.visible_rect(sheet, control))
        if visible is None:
            raise AssertionError(f"control {control.id} is not visible")
        shown = image.crop(visible)
        background = shown.dominant_color()
        path = self.env.work_dir / f"text-{control.id}.bmp"
        self.probe.render_text(path, (box[2] - box[0], box[3] - box[1]), text,
                               background=background, draw_format=draw_format,
                               **page_font(self.env.dpi, self.locale))
        drawn = Image.load(path).crop(offset(visible, -box[0], -box[1]))
        differences = [(visible[0] + x, visible[1] + y) for x, y in shown.unlike_pixels(drawn)]
        differences = [p for p in differences
                       if not any(r[0] <= p[0] < r[2] and r[1] <= p[1] < r[3] for r in covered)]
        return differences if len(differences) > max(6, drawn.count_unlike(background) // 20) \
            else []

    def hot_key_text_differences(self, image, sheet, control_id, text):
        """text_differences() for a hot-key control, which draws its text at
        (1, 1). The caret of a focused control (one column,
        at most two pixels wide) does not count."""
        control = sheet.control(control_id)
        differences = self.text_differences(image, sheet, control, text, origin=(1, 1),
                                            covered=self.others(sheet, control))
        columns = sorted({x for x, _ in differences})
        if control.hwnd == sheet.focus and columns and columns[-1] - columns[0] <= 1:
            return []
        return differences

    def static_text_differences(self, image, sheet, control):
        """text_differences() of a static control for its own text. The
        scale's numbers are centred under their ticks, the sliders' values
        ("4 倍", "4x") right-aligned at the sliders' ends."""
        align = (DT_CENTER if control.text.isdigit() else
                 DT_RIGHT if re.fullmatch(r"\d+( 倍|x)", control.text) else 0)
        return self.text_differences(image, sheet, control, control.text,
                                     draw_format=DT_WORDBREAK_EXPANDTABS | align,
                                     covered=self.others(sheet, control))

    @staticmethod
    def others(sheet, control):
        """Rectangles of the other controls with their borders (the probe
        gives client areas), group boxes and the page aside: where two
        controls overlap, either may be painted last."""
        return [(c.rect[0] - 2, c.rect[1] - 2, c.rect[2] + 2, c.rect[3] + 2)
                for c in sheet.visible_controls()
                if c.hwnd != control.hwnd
                and c.cls.lower() not in (PAGE_CLASS.lower(), "systabcontrol32")
                and not (c.cls.lower() == "button" and c.id == -1)]

    @staticmethod
    def thumb_center(image, control):
        """Where a horizontal slider's thumb lies on the screen: in the rows
        just above the channel (the long line across the slider) only the
        thumb's outline is drawn, and the focus rectangle's sides at the
        slider's edges."""
        area = image.crop(control.rect)
        background = area.dominant_color()
        ink = [area.crop((0, y, area.width, y + 1)).count_unlike(background)
               for y in range(area.height)]
        channel = [y for y, count in enumerate(ink) if count > 0.6 * area.width]
        if not channel:
            raise AssertionError(f"no channel in slider {control.id}")
        row = min(channel) - 3
        columns = [x for x in range(3, area.width - 3)
                   if max(abs(a - b) for a, b in zip(area.pixel(x, row), background)) > 16]
        if not columns or columns[-1] - columns[0] > 24:
            raise AssertionError(f"no thumb found in slider {control.id}: ink at {columns}")
        return (control.rect[0] + (columns[0] + columns[-1]) // 2,
                control.rect[1] + (min(channel) + max(channel)) // 2)
