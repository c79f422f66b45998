"""X windows as a user (or a window manager) sees them."""

import re
from dataclasses import dataclass, field

from .images import Image, screenshot
from .processes import run_tool

TRAY_NAME = "Wine System Tray"

# A line of `xwininfo -root -tree`:
#   0xc00001 "name": ("res" "class")  123x82+1+20  +898+508
_TREE_LINE = re.compile(
    r'^(?P<indent>\s*)(?P<id>0x[0-9a-f]+) (?:"(?P<name>.*)"|\(has no name\)): '
    r'\((?P<cls>.*)\)\s+(?P<w>\d+)x(?P<h>\d+)[+-]-?\d+[+-]-?\d+\s+'
    r'\+(?P<x>-?\d+)\+(?P<y>-?\d+)\s*$')


@dataclass
class XWindow:
    id: int
    name: str = None
    res_class: str = None
    x: int = 0  # absolute position of the window's inside
    y: int = 0
    width: int = 0
    height: int = 0
    map_state: str = None  # IsViewable, IsUnMapped, IsUnviewable
    override_redirect: bool = None
    pid: int = None
    depth: int = 0  # 1 = child of the root
    children: list = field(default_factory=list, repr=False)

    @property
    def rect(self):
        return (self.x, self.y, self.x + self.width, self.y + self.height)

    @property
    def viewable(self):
        return self.map_state == "IsViewable"

    def __str__(self):
        return (f"{self.id:#x} {self.name!r} ({self.res_class}) {self.width}x{self.height}"
                f"+{self.x}+{self.y} {self.map_state or ''}"
                f"{' override-redirect' if self.override_redirect else ''}"
                f"{f' pid {self.pid}' if self.pid else ''}")


class Windows:
    """Lists and finds the X windows of one display."""

    def __init__(self, display):
        self.display = display

    def _tool(self, *args, check=True):
        return run_tool([str(a) for a in args], env=self.display.env(), check=check)

    def tree(self):
        """Every window below the root, depth first, with names and absolute
        geometry (no map state: see info())."""
        windows, stack = [], []
        for line in self._tool("xwininfo", "-root", "-tree").splitlines():
            m = _TREE_LINE.match(line)
            if not m:
                continue
            indent = len(m["indent"])
            while stack and stack[-1][0] >= indent:
                stack.pop()
            cls = re.findall(r'"([^"]*)"', m["cls"])
            window = XWindow(int(m["id"], 16), m["name"], cls[-1] if cls else None,
                             int(m["x"]), int(m["y"]), int(m["w"]), int(m["h"]),
                             depth=len(stack) + 1)
            if stack:
                stack[-1][1].children.append(window)
            stack.append((indent, window))
            windows.append(window)
        return windows

    def info(self, window_id):
        """Map state, absolute geometry, name and owner PID of one window;
        None when it no longer exists."""
        out = self._tool("xwininfo", "-id", window_id, "-stats", check=False)
        if "Map State" not in out:
            return None
        stats = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line
                     and not line.strip().startswith("xwininfo"))
        name = re.search(r'Window id: 0x[0-9a-f]+ (?:"(.*)"|\(has no name\))', out)
        window = XWindow(window_id, name.group(1) if name else None,
                         x=int(stats["Absolute upper-left X"]),
                         y=int(stats["Absolute upper-left Y"]),
                         width=int(stats["Width"]), height=int(stats["Height"]),
                         map_state=stats["Map State"].strip(),
                         override_redirect=stats.get("Override Redirect State", "").strip() == "yes")
        props = self._tool("xprop", "-id", window_id, "_NET_WM_PID", "WM_CLASS", check=False)
        pid = re.search(r"_NET_WM_PID\(CARDINAL\) = (\d+)", props)
        window.pid = int(pid.group(1)) if pid else None
        cls = re.search(r'WM_CLASS\(STRING\) = (.*)', props)
        if cls:
            names = re.findall(r'"([^"]*)"', cls.group(1))
            window.res_class = names[-1] if names else None
        return window

    def search(self, name=None, pid=None, res_class=None, visible_only=False):
        """Ids of the windows matching all the given criteria (xdotool
        search; name and res_class are regular expressions)."""
        args = ["xdotool", "search"]
        if visible_only:
            args.append("--onlyvisible")
        if pid is not None:
            args += ["--pid", pid]
        if res_class is not None:
            args += ["--classname", res_class]
        elif name is not None:
            args += ["--name", name]
        out = self._tool(*args, check=False)
        return [int(w) for w in out.split()]

    def find(self, **criteria):
        """search() with details; windows that vanished meanwhile are left out."""
        return [w for w in (self.info(i) for i in self.search(**criteria)) if w is not None]

    def place(self, window_id, x, y, width, height):
        """Moves and sizes a top-level window (through the window manager)."""
        self._tool("xdotool", "windowsize", "--sync", window_id, width, height)
        self._tool("xdotool", "windowmove", "--sync", window_id, x, y)

    def visible_of(self, pid):
        """Viewable windows owned by a Wine process (Wine sets _NET_WM_PID)."""
        return [w for w in self.find(pid=pid, visible_only=True) if w.viewable]

    def dump(self):
        """Readable listing of the whole tree with map states, for artifacts."""
        lines = []
        for window in self.tree():
            detail = self.info(window.id)
            state = f" {detail.map_state}" if detail else " (gone)"
            pid = f" pid {detail.pid}" if detail and detail.pid else ""
            lines.append("  " * window.depth + f"{window.id:#x} {window.name!r} "
                         f"({window.res_class}) {window.width}x{window.height}"
                         f"+{window.x}+{window.y}{state}{pid}")
        return "\n".join(lines) + "\n"

    # ---- Wine's own notification area ----------------------------------
    def tray(self):
        """Wine's "Wine System Tray" window while it is shown, else None."""
        for window in self.find(name=f"^{TRAY_NAME}$", visible_only=True):
            if window.viewable and window.name == TRAY_NAME:
                return WineTray(self.display, window)
        return None


class WineTray:
    """Wine shows notification-area icons in a row of square cells (small
    icon plus a border) from the left of its tray window; the window keeps a
    minimum width, so empty cells follow the icons."""

    def __init__(self, display, window):
        self.display = display
        self.window = window

    @property
    def cell(self):
        return self.window.height

    def cell_rect(self, index):
        left = self.window.x + index * self.cell
        return (left, self.window.y, left + self.cell, self.window.y + self.cell)

    def icon_center(self, index=0):
        left, top, right, bottom = self.cell_rect(index)
        return ((left + right) // 2, (top + bottom) // 2)

    def icon_count(self, shot_path):
        """Cells that show an icon, judged from a screenshot saved at
        shot_path: a cell holding anything but the tray's background."""
        area = Image.load(screenshot(self.display, shot_path, rect=self.window.rect))
        background = area.dominant_color()
        count = 0
        for index in range(self.window.width // self.cell):
            left, top, right, bottom = self.cell_rect(index)
            x, y = self.window.x, self.window.y
            cell = area.crop((left - x, top - y, right - x, bottom - y))
            if cell.count_unlike(background) < 8:
                break
            count += 1
        return count


@dataclass
class MenuLine:
    """One line of dark ink in a menu (an item's text, with its check mark
    when one is drawn), absolute coordinates, right and bottom exclusive."""
    top: int
    bottom: int
    left: int
    right: int


@dataclass
class MenuLayout:
    """What a menu shows: its separator rows (absolute y) and its lines of
    ink, grouped by the separators (the first group above the first one)."""
    separators: list
    groups: list

    @property
    def lines(self):
        return [line for group in self.groups for line in group]

    @property
    def text_left(self):
        """Where item texts start: most lines start there, a line with a check
        mark starts further left."""
        lefts = sorted(line.left for line in self.lines)
        return lefts[len(lefts) // 2] if lefts else None

    def checked(self, line, margin=3):
        """Whether line has ink left of the texts' column: a check mark."""
        return line.left < self.text_left - margin


class PopupMenu:
    """A Wine pop-up menu on screen. Its keyboard goes wherever the X focus
    is, so items are chosen with the mouse, as a user would."""

    # Menu texts and check marks are black; separators, borders and the
    # highlighted item's white text are not.
    DARK = 100

    def __init__(self, display, window):
        self.display = display
        self.window = window

    def separator_rows(self, screen):
        """Rows (absolute y) of the separator lines: rows inked across most of
        the menu's width, away from its border."""
        x, y, right, bottom = self.window.rect
        area = screen.crop((x + 3, y, right - 3, bottom))
        background = area.dominant_color()
        rows = []
        for row in range(3, area.height - 3):
            line = area.crop((0, row, area.width, row + 1))
            if line.count_unlike(background) > 0.7 * area.width:
                if not rows or rows[-1] != y + row - 1:  # one line may be two rows
                    rows.append(y + row)
                else:
                    rows[-1] = y + row
        return rows

    def highlighted(self, point, shot_path):
        """Whether the item at point shows as selected, judged from a
        screenshot saved at shot_path."""
        return self.row_highlighted(Image.load(screenshot(self.display, shot_path)), point[1])

    def item_centers(self, layout, shot_path):
        """Screen points of the items of layout, a list of item labels with
        None for each separator, in menu order. Items between two separators
        (or a separator and the menu's edge) share that space evenly."""
        screen = Image.load(screenshot(self.display, shot_path))
        separators = self.separator_rows(screen)
        expected = layout.count(None)
        if len(separators) != expected:
            raise RuntimeError(f"menu shows {len(separators)} separators, expected {expected}")
        x, top, right, bottom = self.window.rect
        bounds = [top] + separators + [bottom]
        groups, current = [], []
        for label in layout:
            if label is None:
                groups.append(current)
                current = []
            else:
                current.append(label)
        groups.append(current)
        centers = {}
        for (start, end), labels in zip(zip(bounds, bounds[1:]), groups):
            for index, label in enumerate(labels):
                centers[label] = ((x + right) // 2,
                                  int(start + (index + 0.5) * (end - start) / len(labels)))
        return centers

    def layout(self, screen):
        """Reads the menu from a screenshot taken while no item is
        highlighted (a highlighted item's text is not dark)."""
        x, top, right, bottom = self.window.rect
        separators = self.separator_rows(screen)
        area = screen.crop((x + 1, top + 1, right - 1, bottom - 1))
        lines = []
        for row in range(area.height):
            inked = [col for col in range(area.width)
                     if max(area.pixel(col, row)) < self.DARK]
            if not inked:
                continue
            y, left, end = top + 1 + row, x + 1 + inked[0], x + 2 + inked[-1]
            # A blank row or two inside a line: a mnemonic's underline.
            if lines and y - lines[-1].bottom <= 2:
                line = lines[-1]
                line.bottom = y + 1
                line.left, line.right = min(line.left, left), max(line.right, end)
            else:
                lines.append(MenuLine(y, y + 1, left, end))
        bounds = separators + [bottom]
        groups = [[] for _ in bounds]
        for line in lines:
            groups[next(i for i, limit in enumerate(bounds) if line.top < limit)].append(line)
        return MenuLayout(separators, groups)

    def row_highlighted(self, screen, y):
        """Whether the item at row y (absolute) is highlighted: its row takes
        another colour than the menu's background."""
        x, top, right, bottom = self.window.rect
        menu = screen.crop((x + 3, top + 3, right - 3, bottom - 3))
        row = screen.crop((x + 3, y, right - 3, y + 1))
        return row.count_unlike(menu.dominant_color()) > row.width // 2
