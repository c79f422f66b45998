"""Real X input through xdotool: what a user's mouse and keyboard do."""

import contextlib

from .processes import run_tool

# Buttons 4 and 5 are the vertical wheel, one notch per click.
WHEEL_UP, WHEEL_DOWN = 4, 5


class Input:
    def __init__(self, display):
        self.display = display

    def xdotool(self, *args):
        return run_tool(["xdotool", *[str(a) for a in args]], env=self.display.env())

    # ---- pointer ------------------------------------------------------
    def move(self, x, y):
        # --sync waits for the pointer to move, for a long while when it is
        # already there.
        if self.pointer() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def pointer(self):
        """Current pointer position (x, y) in root coordinates."""
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getmouselocation", "--shell").split())
        return int(values["X"]), int(values["Y"])

    def _maybe_move(self, x, y):
        if x is not None and y is not None:
            self.move(x, y)

    def click(self, button=1, x=None, y=None):
        self._maybe_move(x, y)
        self.xdotool("click", button)

    def double_click(self, button=1, x=None, y=None):
        """Two clicks well inside the double-click time."""
        self._maybe_move(x, y)
        self.xdotool("click", "--repeat", 2, "--delay", 80, button)

    def right_click(self, x=None, y=None):
        self.click(3, x, y)

    def button_down(self, button=1):
        self.xdotool("mousedown", button)

    def button_up(self, button=1):
        self.xdotool("mouseup", button)

    def wheel(self, notches, x=None, y=None):
        """Turns the wheel: positive notches forward (away from the user),
        negative backward."""
        self._maybe_move(x, y)
        if notches:
            button = WHEEL_UP if notches > 0 else WHEEL_DOWN
            self.xdotool("click", "--repeat", abs(notches), "--delay", 30, button)

    # ---- keyboard -----------------------------------------------------
    def focus(self, window_id):
        """Gives a window the keyboard focus through the window manager."""
        self.xdotool("windowactivate", "--sync", window_id)

    def focused_window(self):
        """Id of the X window that has the keyboard focus."""
        return int(self.xdotool("getwindowfocus", "-f").strip() or 0)

    # Key names are X keysyms, modifiers joined with "+": "super+alt+apostrophe",
    # "super+alt+minus", "Escape", "ctrl".
    def key(self, combo):
        self.xdotool("key", combo)

    def key_down(self, keys):
        self.xdotool("keydown", keys)

    def key_up(self, keys):
        self.xdotool("keyup", keys)

    @contextlib.contextmanager
    def held(self, keys):
        """Holds keys (e.g. "ctrl" or "ctrl+shift") for the with-block.

        Keys that bring up a window under the pointer (Loupa's zoom window)
        stay held until it shows: X tells a Wine process about the keys held
        when one of its windows appears there, and Wine 8 presses those keys
        again in its shared key state if they went up meanwhile. A busy
        process reads that stale report late, after the program with the
        focus has let the keys go; they then stay down for every program
        (Escape alone no longer matches a hot key) until pressed once more."""
        self.key_down(keys)
        try:
            yield
        finally:
            self.key_up(keys)

    def chord(self, modifiers, key, while_held=None):
        """Holds modifiers (e.g. "ctrl+shift"), taps key, calls while_held
        (if given: a wait for what the chord brings up, see held()), then
        lets the modifiers go: a user's order. `key("ctrl+shift+z")` lets
        the modifiers go before the key."""
        with self.held(modifiers):
            self.key(key)
            if while_held is not None:
                while_held()

    def type_text(self, text):
        self.xdotool("type", "--delay", 20, text)
