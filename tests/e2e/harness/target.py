"""LoupaTestTarget.exe: the Wine window the tests zoom over and send input
to, and the log of the input messages it received."""

from dataclasses import dataclass
from pathlib import Path

from .paths import test_target_exe
from .waiting import wait_until

# Clear of Wine's tray at the top left, large enough that a zoom around its
# centre shows nothing but its pattern.
DEFAULT_RECT = (300, 160, 1620, 940)

# Virtual-key state bits in the low word of a mouse message's wParam.
MK_SHIFT = 0x04
MK_CONTROL = 0x08


@dataclass(frozen=True)
class Message:
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
    for the next read."""
    messages = []
    for line in text.split("\n")[:-1]:
        parts = line.split()
        if len(parts) == 3:
            messages.append(Message(parts[0], int(parts[1]), int(parts[2])))
    return messages


class TestTarget:
    """One LoupaTestTarget.exe on the display; stop() ends only its PID."""

    def __init__(self, prefix, display, log_path, rect=DEFAULT_RECT):
        self.prefix = prefix
        self.display = display
        self.log_path = Path(log_path)
        self.rect = tuple(rect)
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
        """Starts the target and waits until it logged READY and shows its
        window where it was asked to."""
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_path.unlink(missing_ok=True)
        left, top, right, bottom = self.rect
        self.process = self.prefix.start(
            [str(test_target_exe()), self.prefix.to_windows(self.log_path),
             *[str(v) for v in (left, top, right - left, bottom - top)]],
            self.log_path.with_suffix(".wine.log"), self.display)

        def shown():
            if not self.process.running():
                raise RuntimeError(f"the test target ended: {self.process.log_text()}")
            if not any(m.name == "READY" for m in self.messages()):
                return None
            return [w for w in windows.visible_of(self.pid)
                    if (w.x, w.y, w.x + w.width, w.y + w.height) == self.rect]

        self.window = wait_until(shown, timeout, message="the test target's window")[0]
        return self

    def stop(self):
        if self.process is not None:
            self.process.stop(sig=None)

    def running(self):
        return self.process is not None and self.process.running()

    # ---- the input log ----------------------------------------------------
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

    def focus(self, input, timeout=10):
        """Puts the pointer on the target's centre and clicks there (through
        the click-through zoom window too) until the X focus is on the
        target: Wine's global hot keys and low-level hooks see X input only
        while a Wine window has it. A window that appears meanwhile (a tray)
        may take the focus once more, hence the repeated click."""
        input.move(*self.center)

        def focused():
            if input.focused_window() == self.window.id:
                return True
            input.click(1)
            return False

        wait_until(focused, timeout, interval=0.5,
                   message="the keyboard focus on the test target")
