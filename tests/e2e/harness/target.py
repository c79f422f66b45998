"""LoupaTestTarget.exe: the Wine window the tests zoom over and send input
to, with a fixed noise pattern tied to screen coordinates (see pattern.py),
and the log of the input messages it received."""

from pathlib import Path
from typing import NamedTuple

from . import pattern
from .images import Image, screenshot
from .paths import test_target_exe
from .waiting import wait_until

# Clear of Wine's tray at the top left, large enough that a zoom around its
# centre shows nothing but its pattern.
DEFAULT_RECT = (300, 160, 1620, 940)

# Virtual-key state bits in the low word of a mouse message's wParam.
MK_SHIFT = 0x04
MK_CONTROL = 0x08


class Message(NamedTuple):
    """One logged line: `<name> <wParam> <lParam>`."""
    name: str
    wparam: int
    lparam: int

    @property
    def wheel_delta(self):
        """WM_MOUSEWHEEL: the high word of wParam as a signed number."""
        high = (self.wparam >> 16) & 0xFFFF
        return high - 0x10000 if high >= 0x8000 else high

    @property
    def key_state(self):
        """Mouse messages: the MK_ bits of the low word of wParam."""
        return self.wparam & 0xFFFF


def parse_log(text):
    """Messages of a log's complete lines; a line still being written is left
    for the next read, and a malformed one is left out."""
    messages = []
    for line in text.split("\n")[:-1]:
        parts = line.split()
        if len(parts) != 3:
            continue
        try:
            messages.append(Message(parts[0], int(parts[1]), int(parts[2])))
        except ValueError:
            continue
    return messages


class TestTarget:
    """One LoupaTestTarget.exe over rect = (left, top, right, bottom), screen
    coordinates, with a control that keeps the focus when control names one
    (see TestTarget.cpp: "edit", "own-caret", "buttons"), holding the global
    hot key hold = (modifiers, vk) if given, as another program would;
    stop() ends only its PID."""

    def __init__(self, prefix, display, log_path, rect=DEFAULT_RECT, exe=None, control=None,
                 hold=None):
        self.prefix = prefix
        self.display = display
        self.log_path = Path(log_path)
        self.rect = tuple(rect)
        self.control = control
        self.hold = hold
        self.exe = Path(exe or test_target_exe())
        self.process = None
        self.window = None

    @property
    def pid(self):
        return self.process.pid if self.process else None

    @property
    def center(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def start(self, windows, timeout=20):
        """Starts the target and waits until it has logged READY, its X
        window is mapped where it was asked to be and its pattern is on the
        screen."""
        if not self.exe.is_file():
            raise FileNotFoundError(f"{self.exe} is missing: build the target LoupaTestTarget")
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_path.unlink(missing_ok=True)
        left, top, right, bottom = self.rect
        args = [self.prefix.to_windows(self.exe), self.prefix.to_windows(self.log_path),
                left, top, right - left, bottom - top] + ([self.control] if self.control else [])
        if self.hold:
            args.append("hold:{}:{}".format(*self.hold))
        self.process = self.prefix.start([str(a) for a in args],
                                         self.log_path.with_suffix(".wine.log"), self.display)

        def placed():
            if not self.process.running():
                raise RuntimeError(f"the test target ended with code {self.process.returncode}:"
                                   f"\n{self.process.log_text()}")
            if not any(m.name == "READY" for m in self.messages()):
                return None
            shown = [w for w in windows.visible_of(self.pid) if w.rect == self.rect]
            return shown and shown[0]

        self.window = wait_until(placed, timeout, message=f"the test target over {self.rect}")
        wait_until(self.painted, timeout, message="the test target's pattern on the screen")
        return self

    def stop(self):
        if self.process is not None:
            self.process.stop(sig=None)
            self.process = None

    def running(self):
        return self.process is not None and self.process.running()

    # ---- the picture --------------------------------------------------------
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
        showing = sum(1 for x, y in points if shot.pixel(x, y) == pattern.colour_at(x, y))
        return showing >= share * len(points)

    # ---- the input log ------------------------------------------------------
    def messages(self, name=None, since=0):
        """Logged messages from index since on, of one name if given."""
        try:
            text = self.log_path.read_text(errors="replace")
        except FileNotFoundError:
            return []
        return [m for m in parse_log(text)[since:] if name is None or m.name == name]

    def mark(self):
        """Index of the next message: pass it as since= to see only what
        came after this moment."""
        return len(self.messages())

    def caret(self, since=0):
        """The control's caret as last logged (from index since on): the
        middle of its rectangle on the screen; None before any."""
        return self.last_point("CARET", since)

    def focused_button(self, since=0):
        """The middle of the button that last got the focus (from index
        since on), on the screen; None before any."""
        return self.last_point("FOCUS", since)

    def last_point(self, name, since):
        logged = self.messages(name, since)
        return (logged[-1].wparam, logged[-1].lparam) if logged else None

    # ---- the focus ----------------------------------------------------------
    def focus(self, input, point=None, timeout=10):
        """Puts the pointer on point (default: the centre) and clicks there
        (through the click-through zoom window too) until the X focus is on
        the target: Wine's global hot keys and low-level hooks see X input
        only while a Wine window has it. A window that appears meanwhile (a
        tray) may take the focus once more, hence the repeated click. The
        pointer stays on point."""
        input.move(*(point or self.center))

        def focused():
            if input.focused_window() == self.window.id:
                return True
            input.click(1)
            return False

        wait_until(focused, timeout, interval=0.5,
                   message="the keyboard focus on the test target")
