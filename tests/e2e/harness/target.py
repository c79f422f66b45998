"""LoupaTestTarget.exe: a Wine window of the harness that shows a fixed noise
pattern (colours tied to screen cells), takes the focus, and logs one line
per input message it receives."""

from pathlib import Path

from .paths import test_target_exe
from .waiting import wait_until


class TestTarget:
    """One LoupaTestTarget.exe covering rect = (x, y, width, height) of the
    screen; stop() ends only its PID."""

    def __init__(self, prefix, display, log_path, rect=(0, 0, 1920, 1080), exe=None):
        self.prefix = prefix
        self.display = display
        self.log_path = Path(log_path)  # the program's input log
        self.wine_log_path = self.log_path.with_suffix(".wine.log")
        self.rect = tuple(rect)
        self.exe = Path(exe or test_target_exe())
        self.process = None

    @property
    def pid(self):
        return self.process.pid if self.process else None

    def start(self, timeout=30):
        """Starts the program and waits for its READY line."""
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_path.unlink(missing_ok=True)
        args = [str(self.exe), self.prefix.to_windows(self.log_path), *map(str, self.rect)]
        self.process = self.prefix.start(args, self.wine_log_path, self.display)
        wait_until(lambda: "READY" in self.messages() or not self.process.running(), timeout,
                   message=f"{self.exe.name} to start")
        if not self.process.running():
            raise RuntimeError(f"{self.exe.name} ended at start:\n{self.process.log_text()}")
        return self

    def window(self, windows, timeout=10):
        """Its mapped X window."""
        return wait_until(lambda: windows.visible_of(self.pid), timeout,
                          message=f"the window of {self.exe.name}")[0]

    def lines(self):
        """The input log, one entry per message: [name, wParam, lParam]."""
        try:
            text = self.log_path.read_text(errors="replace")
        except FileNotFoundError:
            return []
        return [line.split() for line in text.splitlines() if line.strip()]

    def messages(self):
        """Just the message names of the input log, in order."""
        return [fields[0] for fields in self.lines()]

    def running(self):
        return self.process is not None and self.process.running()

    def stop(self):
        if self.process is not None:
            self.process.stop(sig=None)
