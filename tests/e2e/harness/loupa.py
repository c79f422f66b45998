"""Loupa.exe as the user runs it: a copy in a folder of drive C:."""

import re
import shutil
from pathlib import Path

from .paths import WORK_DIR, loupa_exe
from .waiting import WaitTimeout, wait_until
from .xwindows import PopupMenu

SETTINGS_NAME = "setting.ini"
SHORTCUT_NAME = "Loupa.lnk"
PROGRAMS_DIR = "loupa-e2e"  # under drive_c

# The notification-area menu, top to bottom; None for a separator.
TRAY_MENU = ["設定(&S)", None, "ズームイン", "ズームアウト", "キャンセル", None,
             "OS起動時に常駐", None, "終了(&X)"]


def settings_dir(prefix):
    """%APPDATA%\\Loupa, where the settings live when none lie beside the
    executable."""
    return prefix.appdata / "Loupa"


def appdata_settings(prefix):
    return settings_dir(prefix) / SETTINGS_NAME


def startup_shortcut(prefix):
    return prefix.startup_dir / SHORTCUT_NAME


def reset_state(prefix):
    """Back to a machine where Loupa never ran: no settings folder, no
    start-up shortcut, no copies from earlier tests."""
    shutil.rmtree(settings_dir(prefix), ignore_errors=True)
    startup_shortcut(prefix).unlink(missing_ok=True)
    shutil.rmtree(prefix.drive_c / PROGRAMS_DIR, ignore_errors=True)


def _safe(name):
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", name)


class LoupaProcess:
    """One copy of Loupa.exe under a chosen file name in
    C:\\loupa-e2e\\<folder>, started with wine; stop() ends only its PID."""

    def __init__(self, prefix, display, folder, file_name="Loupa.exe", exe=None, log_path=None,
                 variables=None):
        self.prefix = prefix
        self.display = display
        # Environment variables added to the process's own.
        self.variables = dict(variables or {})
        # Where the stand-in Magnification.dll logs this process's calls, when
        # it is in place.
        self.calls_log = None
        self.folder = prefix.drive_c / PROGRAMS_DIR / folder
        self.exe_path = self.folder / file_name
        self.log_path = Path(log_path or WORK_DIR / "logs" / f"{_safe(folder)}-{_safe(file_name)}.log")
        self.process = None
        self.folder.mkdir(parents=True, exist_ok=True)
        if not self.exe_path.exists():
            shutil.copy2(exe or loupa_exe(), self.exe_path)

    @property
    def windows_path(self):
        """The absolute Windows path the program runs from."""
        return self.prefix.to_windows(self.exe_path)

    @property
    def settings_beside(self):
        return self.folder / SETTINGS_NAME

    @property
    def pid(self):
        return self.process.pid if self.process else None

    def start(self):
        if self.process is not None and self.process.running():
            raise RuntimeError(f"{self.exe_path.name} is already running")
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        # The Windows path, so the program sees C:\..., not a Z: alias.
        self.process = self.prefix.start([self.windows_path], self.log_path, self.display,
                                         cwd=self.folder, variables=self.variables)
        return self

    def running(self):
        return self.process is not None and self.process.running()

    def wait_exit(self, timeout=10):
        """Waits for the process to end; its exit code."""
        code = self.process.wait(timeout)
        if code is None:
            raise WaitTimeout(f"{self.exe_path.name} (pid {self.pid}) still runs after {timeout} s")
        return code

    def stop(self):
        """Kills this process only, at once, and waits for it."""
        if self.process is not None:
            self.process.stop(sig=None)

    def log_text(self):
        return self.process.log_text() if self.process else ""

    def wait_visible_windows(self, windows, timeout=10):
        """Waits for mapped X windows of this process; returns them."""
        return wait_until(lambda: windows.visible_of(self.pid), timeout,
                          message=f"a window of {self.exe_path.name}")


def menus_of(env, loupa):
    """Pop-up menus (override-redirect windows) that loupa shows."""
    return [w for w in env.windows.visible_of(loupa.pid) if w.override_redirect]


def open_tray_menu(env, loupa, icon=0, timeout=5):
    """Right button on the icon-th icon of Wine's tray; waits for loupa's
    pop-up menu and returns it."""
    tray = wait_until(env.windows.tray, timeout, message="the Wine System Tray")
    env.input.right_click(*tray.icon_center(icon))
    menus = wait_until(lambda: menus_of(env, loupa), timeout,
                       message=f"the tray menu of {loupa.exe_path.name}")
    return PopupMenu(env.display, menus[0])


def choose_menu_item(env, loupa, menu, label, layout=TRAY_MENU, timeout=5):
    """Clicks an item of an open menu and waits for the menu to close.

    The pointer rests on the item until the menu highlights it: a click the
    menu receives before it tracks the pointer can be lost."""
    shot = env.work_dir / "menu.ppm"
    # A menu just mapped may not be drawn yet.
    centers = wait_until(lambda: menu.item_centers(layout, shot), timeout,
                         message="the items of the menu drawn", ignore=(RuntimeError,))
    x, y = centers[label]
    nudges = iter(range(1 << 30))

    def highlighted():
        if menu.highlighted((x, y), shot):
            return True
        # A motion the menu got before it tracked the pointer is lost: move
        # again, a little, within the item.
        env.input.move(x + next(nudges) % 2 * 3, y)
        return False

    wait_until(highlighted, timeout, message=f"{label} highlighted")
    env.input.click(1)
    wait_until(lambda: menu.window.id not in [w.id for w in menus_of(env, loupa)], timeout,
               message=f"the menu to close after {label}")
