#!/usr/bin/python3
"""A short Loupa session on a virtual display, recorded as screenshots.

    session.py [--out DIR]

Starts a virtual display, Wine and Loupa.exe ($LOUPA_EXE, else the cross
build's), drives a few zoom steps as a user would (tray menu, hot keys,
Ctrl+wheel, Escape), saves numbered screenshots (build/screenshots/ by
default) and ends Loupa and everything it started.

Each step is a function over the Session; a step marked optional reports
when what it needs does not happen (a feature not there yet) and the
session goes on. Add a step by writing a function and listing it in STEPS.
"""

import argparse
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from harness import Environment, SCREENSHOTS_DIR, compare, reset_state  # noqa: E402
from harness.environment import stop_on_sigterm  # noqa: E402
from harness.loupa import (LoupaProcess, choose_menu_item, menus_of,  # noqa: E402
                           open_tray_menu)
from harness.waiting import WaitTimeout, wait_until  # noqa: E402

EMPTY_SPOT = (1900, 1060)  # bare desktop, right of and below the note

NOTE_TEXT = "ルーペ Loupa\r\n画面の拡大鏡です。\r\nAlt+Win+' ズームイン / Alt+Win+- ズームアウト / Esc\r\n"


class StepUnavailable(Exception):
    """What an optional step needs did not happen."""


class Session:
    def __init__(self, env, out_dir):
        self.env = env
        self.out_dir = Path(out_dir)
        self.input = env.input
        self.windows = env.windows
        self.loupa = None
        self.note = None
        self.note_window = None
        self.shots = []

    # ---- what steps use -----------------------------------------------
    def shot(self, label):
        """Saves the screen as NN-label.png."""
        path = self.out_dir / f"{len(self.shots) + 1:02d}-{label}.png"
        self.env.screenshot(path)
        self.shots.append(path)
        print(f"  screenshot {path}", flush=True)
        return path

    def wait(self, condition, timeout, what):
        try:
            return wait_until(condition, timeout, message=what, ignore=(RuntimeError,))
        except WaitTimeout as error:
            raise StepUnavailable(str(error)) from None

    def settle(self, timeout=5):
        """Waits until two screenshots in a row are alike (an animation has
        finished). Only for tidier pictures: a caret may blink for ever, so
        an unsettled screen is no error."""
        work = self.env.work_dir
        previous = self.env.screenshot(work / "settle-a.png")

        def still():
            nonlocal previous
            current = self.env.screenshot(work / "settle-b.png")
            same = compare(previous, current, fuzz="1%") == 0
            previous = shutil.copy(current, work / "settle-a.png")
            return same

        try:
            wait_until(still, timeout)
        except WaitTimeout:
            pass

    def loupa_windows(self):
        return self.windows.visible_of(self.loupa.pid)

    def open_tray_menu(self):
        try:
            return open_tray_menu(self.env, self.loupa)
        except WaitTimeout as error:
            raise StepUnavailable(str(error)) from None

    def choose(self, menu, label):
        try:
            choose_menu_item(self.env, self.loupa, menu, label)
        except WaitTimeout as error:
            raise StepUnavailable(str(error)) from None

    def close_menus(self):
        """A click on the bare desktop closes an open menu."""
        if self.loupa and menus_of(self.env, self.loupa):
            self.input.click(1, *EMPTY_SPOT)

    def text_point(self):
        """A point on the note's first lines: where zooming shows text."""
        return self.note_window.x + 110, self.note_window.y + 45

    def focus_note(self):
        """Hot keys and hooks see X input only while a Wine window has it;
        the tray menu leaves the focus with Loupa's hidden dialog."""
        self.input.focus(self.note_window.id)


# ---- steps ---------------------------------------------------------------
def step_desktop(s):
    """A Wine window with Japanese text: something to zoom, and the focus
    target for keys."""
    folder = s.env.prefix.drive_c / "loupa-e2e" / "session"
    folder.mkdir(parents=True, exist_ok=True)
    note = folder / "loupa.txt"
    note.write_bytes("\ufeff".encode("utf-16-le") + NOTE_TEXT.encode("utf-16-le"))
    s.note = s.env.prefix.start(["C:\\windows\\system32\\notepad.exe",
                                 s.env.prefix.to_windows(note)],
                                s.env.work_dir / "notepad.log", s.env.display)
    window = wait_until(lambda: s.windows.visible_of(s.note.pid), 20, message="notepad")[0]
    # Clear of the tray window at the top left; the pointer rests on it.
    s.windows.place(window.id, 360, 240, 1200, 600)
    s.note_window = wait_until(lambda: [w for w in s.windows.visible_of(s.note.pid)
                                        if w.x >= 360 and w.width == 1200], 10,
                               message="notepad in place")[0]
    s.input.move(960, 540)
    s.settle()
    s.shot("desktop")


def step_resident(s):
    s.loupa = LoupaProcess(s.env.prefix, s.env.display, "session",
                           log_path=s.env.work_dir / "loupa.log").start()
    try:
        s.wait(lambda: s.windows.tray() or not s.loupa.running(), 30,
               "Loupa's icon in the Wine System Tray")
    except StepUnavailable as error:
        print(f"  no tray icon: {error}", flush=True)
    if not s.loupa.running():
        raise RuntimeError(f"Loupa ended at start:\n{s.loupa.log_text()}")
    s.settle()
    s.shot("resident")


def step_tray_menu(s):
    s.open_tray_menu()
    s.settle()
    s.shot("tray-menu")
    s.close_menus()
    s.wait(lambda: not s.loupa_windows(), 5, "the menu to close")


def step_zoom_in_from_menu(s):
    s.choose(s.open_tray_menu(), "ズームイン")
    s.wait(s.loupa_windows, 5, "the zoom window")
    s.settle()
    s.shot("zoom-in-menu")


def step_pan(s):
    """The view follows the pointer: from the menu item onto the note's text."""
    s.input.move(*s.text_point())
    s.settle()
    s.shot("pan")


def step_zoom_out_hot_key(s):
    s.focus_note()
    s.input.key("super+alt+minus")
    s.settle()
    s.shot("zoom-out-hot-key")


def step_zoom_in_hot_key(s):
    s.focus_note()
    s.input.move(*s.text_point())
    s.input.key("super+alt+apostrophe")
    s.wait(s.loupa_windows, 5, "the zoom window")
    s.settle()
    s.shot("zoom-in-hot-key")


def step_ctrl_wheel(s):
    s.input.move(*s.text_point())
    with s.input.held("ctrl"):
        s.input.wheel(+5)
    s.settle()
    s.shot("ctrl-wheel")


def step_cancel(s):
    s.input.key("Escape")
    s.wait(lambda: not s.loupa_windows(), 5, "the zoom window to hide")
    s.settle()
    s.shot("cancelled")


def step_exit(s):
    s.choose(s.open_tray_menu(), "終了(&X)")
    s.wait(lambda: not s.loupa.running(), 10, "Loupa to exit")
    s.shot("exited")


# (label, function, optional)
STEPS = [
    ("desktop", step_desktop, False),
    ("resident", step_resident, False),
    ("tray menu", step_tray_menu, True),
    ("zoom in from the menu", step_zoom_in_from_menu, True),
    ("pan to the text", step_pan, True),
    ("zoom out by hot key", step_zoom_out_hot_key, True),
    ("cancel", step_cancel, True),
    ("zoom in by hot key", step_zoom_in_hot_key, True),
    ("Ctrl+wheel", step_ctrl_wheel, True),
    ("cancel again", step_cancel, True),
    ("exit from the menu", step_exit, True),
]


def run(out_dir):
    out_dir = Path(out_dir)
    shutil.rmtree(out_dir, ignore_errors=True)
    out_dir.mkdir(parents=True)
    unavailable = []
    with Environment(name="session", retro=True) as env:
        reset_state(env.prefix)
        session = Session(env, out_dir)
        try:
            for number, (label, step, optional) in enumerate(STEPS, 1):
                print(f"step {number}: {label}", flush=True)
                try:
                    step(session)
                except StepUnavailable as error:
                    if not optional:
                        raise
                    print(f"  not available yet: {error}", flush=True)
                    unavailable.append(label)
                    session.close_menus()
        finally:
            for process in (session.loupa, session.note):
                if process is not None:
                    process.stop()
            reset_state(env.prefix)
    print(f"\n{len(session.shots)} screenshots in {out_dir}")
    if unavailable:
        print("steps not available yet: " + ", ".join(unavailable))
    return 0


def main(argv):
    stop_on_sigterm()
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=str(SCREENSHOTS_DIR),
                        help="folder for the screenshots (emptied first)")
    options = parser.parse_args(argv)
    return run(options.out)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
