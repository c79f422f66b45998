"""Virtual X displays: Xvfb with openbox, or two monitors through Xephyr."""

import os
import socket
import tempfile
from pathlib import Path

from .paths import WORK_DIR
from .processes import OwnedProcess, run_tool
from .waiting import wait_until

# No key bindings at all, so every key combination reaches Wine (the stock
# configuration takes Alt+Escape, Win+d, ...). A click focuses and raises.
# Bindings of the "Client" context pass the click on to the window; one of
# the "Frame" context (which covers the client area too) would keep every
# left button press from Wine's windows: no double click on the tray icon,
# no click into a dialog's control.
OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy><center>yes</center></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <dragThreshold>4</dragThreshold>
    <doubleClickTime>500</doubleClickTime>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Middle" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
    <context name="Titlebar">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
  </mouse>
</openbox_config>
"""

FIRST_DISPLAY = int(os.environ.get("LOUPA_FIRST_DISPLAY", "100"))


def _display_taken(number):
    return (os.path.exists(f"/tmp/.X{number}-lock")
            or os.path.exists(f"/tmp/.X11-unix/X{number}"))


def _lock_holder(number):
    """The PID in the display's lock file (the X server that owns the
    number), or None."""
    try:
        return int(Path(f"/tmp/.X{number}-lock").read_text().strip())
    except (OSError, ValueError):
        return None


def _accepts_connections(number):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
        try:
            sock.connect(f"/tmp/.X11-unix/X{number}")
            return True
        except OSError:
            return False


class XServer:
    """One X server (Xvfb or Xephyr) on the first free display number.

    -noreset: by default a server resets when its last client leaves, and a
    client connecting during that reset is turned away; the readiness probe
    is such a last client.
    """

    def __init__(self, command, env=None, log_dir=None, first=FIRST_DISPLAY):
        self.command = list(command)
        self.env = env
        self.log_dir = Path(log_dir or WORK_DIR / "displays")
        self.first = first
        self.number = None
        self.process = None

    @property
    def name(self):
        return f":{self.number}"

    def start(self):
        number = self.first
        for _ in range(200):
            while _display_taken(number):
                number += 1
            name = Path(self.command[0]).name
            process = OwnedProcess([self.command[0], f":{number}", "-noreset", *self.command[1:]],
                                   self.log_dir / f"{name}-{number}.log", env=self.env)
            # Another server may take the number between our check and its
            # lock file: then ours exits and we move on. Ours is the one only
            # when the lock names it: the other server answering at that
            # number is no sign, and a run that took another run's display
            # would lose it, and every program on it, when that run ends.
            wait_until(lambda: not process.running() or (_lock_holder(number) == process.pid
                                                          and _accepts_connections(number)),
                       timeout=30, message=f"{name} on :{number}")
            if process.running():
                self.number, self.process = number, process
                return self
            number += 1
        raise RuntimeError("no free X display number")

    def stop(self):
        if self.process is not None:
            self.process.stop()
            self.process = None


class VirtualDisplay:
    """Xvfb 1920x1080x24 plus openbox; a context manager.

    Without a window manager, hiding a top-most Wine pop-up blocks for about
    two seconds each time, so openbox is part of the display.
    """

    def __init__(self, width=1920, height=1080, window_manager=True, log_dir=None,
                 retro=False):
        self.width, self.height = width, height
        self.window_manager = window_manager
        # The classic stippled root instead of black: fine detail to zoom.
        self.retro = retro
        self.log_dir = Path(log_dir or WORK_DIR / "displays")
        self.servers = []
        self.wm = None
        self._rc_dir = None

    # The display that X clients (Wine, xdotool, import) talk to.
    @property
    def name(self):
        return self.servers[-1].name

    @property
    def monitors(self):
        """Monitor rectangles (left, top, right, bottom) in root coordinates."""
        return [(0, 0, self.width, self.height)]

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.name
        return env

    def _start_servers(self):
        server = XServer(["Xvfb", "-screen", "0", f"{self.width}x{self.height}x24",
                          "-nolisten", "tcp", *(["-retro"] if self.retro else [])],
                         log_dir=self.log_dir)
        self.servers.append(server.start())

    def start(self):
        try:
            self._start_servers()
            if self.window_manager:
                self._start_openbox()
        except BaseException:
            self.stop()
            raise
        return self

    def _start_openbox(self):
        self._rc_dir = tempfile.TemporaryDirectory(prefix="loupa-openbox-")
        rc = Path(self._rc_dir.name) / "rc.xml"
        rc.write_text(OPENBOX_RC)
        self.wm = OwnedProcess(["openbox", "--sm-disable", "--config-file", str(rc)],
                               self.log_dir / f"openbox-{self.servers[-1].number}.log",
                               env=self.env())

        def managing():
            if not self.wm.running():
                raise RuntimeError(f"openbox exited:\n{self.wm.log_text()}")
            out = run_tool(["xprop", "-root", "-notype", "_NET_SUPPORTING_WM_CHECK"],
                           env=self.env(), check=False)
            return "window id" in out

        wait_until(managing, timeout=30, message="openbox to manage the display")

    def stop(self):
        if self.wm is not None:
            self.wm.stop()
            self.wm = None
        while self.servers:
            self.servers.pop().stop()
        if self._rc_dir is not None:
            self._rc_dir.cleanup()
            self._rc_dir = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class DualMonitorDisplay(VirtualDisplay):
    """Two monitors side by side, tops aligned: 1920x1080 on the left and
    right (default 1920x1080) beside it; Xephyr with Xinerama nested in an
    Xvfb that holds both; openbox and the clients use the Xephyr display."""

    def __init__(self, window_manager=True, log_dir=None, retro=False, right=(1920, 1080)):
        self.right = tuple(right)
        super().__init__(1920 + self.right[0], max(1080, self.right[1]), window_manager, log_dir,
                         retro)

    @property
    def monitors(self):
        return [(0, 0, 1920, 1080), (1920, 0, 1920 + self.right[0], self.right[1])]

    def _start_servers(self):
        outer = XServer(["Xvfb", "-screen", "0", f"{self.width}x{self.height}x24",
                         "-nolisten", "tcp"], log_dir=self.log_dir)
        self.servers.append(outer.start())
        nested_env = dict(os.environ, DISPLAY=outer.name)
        right = f"{self.right[0]}x{self.right[1]}+1920+0"
        nested = XServer(["Xephyr", "-screen", "1920x1080+0+0", "-screen", right,
                          "+xinerama", "-extension", "RANDR", "-nolisten", "tcp",
                          *(["-retro"] if self.retro else [])],
                         env=nested_env, log_dir=self.log_dir, first=outer.number + 1)
        self.servers.append(nested.start())
