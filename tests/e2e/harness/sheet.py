"""Loupa's settings sheet ("設定") as a user meets it: found and read from
outside through LoupaProbe, compared with screenshots, driven with the mouse
and the keyboard."""

from .images import Image
from .waiting import wait_until

TITLE = "設定"

# The page's controls (dialog 107) and the sheet's buttons.
SLIDER_ZOOMIN = 1000
SLIDER_ZOOMOUT = 1001
CHECK_CTRL = 1003
CHECK_ALT = 1004
CHECK_WIN = 1005
CHECK_SHIFT = 1006
HOTKEY_ZOOMIN = 1007
HOTKEY_ZOOMOUT = 1009
HOTKEY_ZOOMCANCEL = 1010
IDOK = 1
IDCANCEL = 2
IDHELP = 9
IDAPPLY = 0x3021
PAGE_CLASS = "#32770"

# The page's statics draw in the template's font, 9 point "MS UI Gothic"
# (12 pixels at 96 dpi), character set 1, with word breaks.
PAGE_FONT = dict(font="MS UI Gothic", font_height=-12, charset=1)
DT_WORDBREAK_EXPANDTABS = 0x10 | 0x40


def intersect(a, b):
    left, top = max(a[0], b[0]), max(a[1], b[1])
    right, bottom = min(a[2], b[2]), min(a[3], b[3])
    return (left, top, right, bottom) if left < right and top < bottom else None


def offset(rect, dx, dy):
    return (rect[0] + dx, rect[1] + dy, rect[2] + dx, rect[3] + dy)


class SettingsSheet:
    def __init__(self, env, probe):
        self.env = env
        self.probe = probe

    def windows(self):
        return self.probe.windows(TITLE)

    def read(self):
        """The one open sheet, with its controls as they are now."""
        found = self.windows()
        if len(found) != 1:
            raise AssertionError(f"{len(found)} windows titled {TITLE!r}")
        return found[0]

    def wait_open(self, timeout=15):
        """Waits for the sheet with its page; returns it."""
        return wait_until(lambda: [w for w in self.windows()
                                   if any(c.id == SLIDER_ZOOMIN for c in w.controls)],
                          timeout, message="the settings sheet")[0]

    def wait_closed(self, timeout=10):
        wait_until(lambda: not self.windows(), timeout, message="the settings sheet to close")

    @staticmethod
    def center(control):
        left, top, right, bottom = control.rect
        return (left + right) // 2, (top + bottom) // 2

    def click(self, control_id):
        """Clicks the middle of a control of the open sheet."""
        self.env.input.click(1, *self.center(self.read().control(control_id)))

    def screenshot(self, path):
        return Image.load(self.env.screenshot(path))

    # ---- what the screen shows ---------------------------------------------
    @staticmethod
    def visible_rect(sheet, control):
        """The part of a page control that the page's client area shows."""
        page = [c for c in sheet.controls if c.cls == PAGE_CLASS and c.visible]
        return intersect(control.rect, page[0].rect) if page else control.rect

    def text_differences(self, image, sheet, control, text, origin=(0, 0), draw_format=0,
                         **font):
        """Pixels where the visible part of a control differs from text drawn
        at origin (client coordinates) into a box of the control's size, on
        the control's background, in its font (the menu font unless given).
        A list of screen points."""
        left, top, right, bottom = control.rect
        box = (left + origin[0], top + origin[1], right, bottom)
        visible = intersect(box, self.visible_rect(sheet, control))
        if visible is None:
            raise AssertionError(f"control {control.id} is not visible")
        shown = image.crop(visible)
        path = self.env.work_dir / f"text-{control.id}.bmp"
        self.probe.render_text(path, (box[2] - box[0], box[3] - box[1]), text,
                               background=shown.dominant_color(), draw_format=draw_format,
                               **font)
        drawn = Image.load(path).crop(offset(visible, -box[0], -box[1]))
        return [(visible[0] + x, visible[1] + y) for x, y in shown.unlike_pixels(drawn)]

    def hot_key_text_differences(self, image, sheet, control_id, text):
        """text_differences() for a hot-key control, which draws its text at
        (1, 1) in the menu font. The caret of a focused control (one column,
        at most two pixels wide) does not count."""
        control = sheet.control(control_id)
        differences = self.text_differences(image, sheet, control, text, origin=(1, 1))
        columns = sorted({x for x, _ in differences})
        if control.hwnd == sheet.focus and columns and columns[-1] - columns[0] <= 1:
            return []
        return differences

    def static_text_differences(self, image, sheet, control):
        """text_differences() of a static control for its own text."""
        return self.text_differences(image, sheet, control, control.text,
                                     draw_format=DT_WORDBREAK_EXPANDTABS, **PAGE_FONT)

    @staticmethod
    def thumb_center(image, control):
        """Where a horizontal slider's thumb lies on the screen: in the rows
        just above the channel (the long line across the slider) only the
        thumb's outline is drawn."""
        area = image.crop(control.rect)
        background = area.dominant_color()
        ink = [area.crop((0, y, area.width, y + 1)).count_unlike(background)
               for y in range(area.height)]
        channel = [y for y, count in enumerate(ink) if count > 0.6 * area.width]
        if not channel:
            raise AssertionError(f"no channel in slider {control.id}")
        row = min(channel) - 3
        columns = [x for x in range(area.width)
                   if max(abs(a - b) for a, b in zip(area.pixel(x, row), background)) > 16]
        if not columns or columns[-1] - columns[0] > 24:
            raise AssertionError(f"no thumb found in slider {control.id}: ink at {columns}")
        return (control.rect[0] + (columns[0] + columns[-1]) // 2,
                control.rect[1] + (min(channel) + max(channel)) // 2)
