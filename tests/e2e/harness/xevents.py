"""Windows shown on a display, recorded from the root window's X events.

Polling the window tree misses a window that shows for a moment; the
events do not. A top-level window shows either by a MapNotify on the root
(pop-up menus and other override-redirect windows map there directly) or,
under a window manager, by a ReparentNotify into the manager's frame, which
the manager makes as soon as a window asks to be mapped.
"""

import re
import socket
import struct
import time
from dataclasses import dataclass
from pathlib import Path

from .processes import OwnedProcess, run_tool
from .waiting import wait_until

MARK_ATOM = "_LOUPA_E2E_MARK_{}"

_HEAD = re.compile(r"^(?P<type>\w+) event, serial \d+, synthetic (?P<synthetic>YES|NO), "
                   r"window (?P<root>0x[0-9a-f]+),")
_MAP = re.compile(r"event 0x[0-9a-f]+, window (?P<window>0x[0-9a-f]+), "
                  r"override (?P<override>YES|NO)")
_REPARENT = re.compile(r"event 0x[0-9a-f]+, window (?P<window>0x[0-9a-f]+), "
                       r"parent (?P<parent>0x[0-9a-f]+)")
_PROPERTY = re.compile(r"atom 0x[0-9a-f]+ \((?P<atom>[^)]*)\)")


@dataclass
class Shown:
    window: int
    override_redirect: bool  # False: framed by the window manager


def parse_events(text):
    """The xev log as a list of ("shown", Shown) and ("mark", number), in
    order. Synthetic events (sent by clients, not by the server) are left
    out."""
    events = []
    for block in text.split("\n\n"):
        block = block.strip()
        head = _HEAD.match(block)
        if not head or head["synthetic"] == "YES":
            continue
        kind, root = head["type"], int(head["root"], 16)
        if kind == "MapNotify":
            m = _MAP.search(block)
            if m:
                events.append(("shown", Shown(int(m["window"], 16), m["override"] == "YES")))
        elif kind == "ReparentNotify":
            m = _REPARENT.search(block)
            # Back to the root is the manager letting go of a window.
            if m and int(m["parent"], 16) != root:
                events.append(("shown", Shown(int(m["window"], 16), False)))
        elif kind == "PropertyNotify":
            m = _PROPERTY.search(block)
            prefix = MARK_ATOM.format("")
            if m and m["atom"].startswith(prefix) and m["atom"][len(prefix):].isdigit():
                events.append(("mark", int(m["atom"][len(prefix):])))
    return events


def resource_id_mask(display):
    """The mask of the X server's resource ids: every window id of one client
    shares the bits outside it (the client's base). Read from the reply to a
    connection set-up, as any X client learns it."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
        sock.settimeout(10)
        sock.connect(f"/tmp/.X11-unix/X{display.name.lstrip(':')}")
        # Little-endian, protocol 11.0, no authorisation.
        sock.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, 0, 0))

        def read(size):
            data = b""
            while len(data) < size:
                chunk = sock.recv(size - len(data))
                if not chunk:
                    raise RuntimeError("the X server closed the connection during set-up")
                data += chunk
            return data

        status, _, _, _, words = struct.unpack("<BBHHH", read(8))
        body = read(words * 4)
        if status != 1:
            raise RuntimeError(f"X connection refused: {body[:64]!r}")
        _release, _base, mask = struct.unpack_from("<III", body, 0)
        return mask


class MapRecorder:
    """Records every top-level window shown on a display from start() on
    (an xev on the root window, logged to a file).

    mark() puts a numbered marker into the event stream and waits for it to
    come back: everything that happened before the call is then recorded,
    and shown(since, until) tells what showed between two marks."""

    def __init__(self, display, log_path):
        self.display = display
        self.log_path = Path(log_path)
        self.process = None
        self.marks = 0
        self._mask = None

    def start(self):
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_path.unlink(missing_ok=True)
        # Line-buffered: xev's output would otherwise sit in its buffer.
        self.process = OwnedProcess(["stdbuf", "-oL", "xev", "-root", "-event", "substructure",
                                     "-event", "property"], str(self.log_path),
                                    env=self.display.env())
        try:
            self.mark()
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self):
        if self.process is not None:
            self.process.stop()
            self.process = None

    def events(self):
        return parse_events(self.process.log_text())

    def mark(self, timeout=10):
        """A new marker, once it is in the record; returns its number."""
        self.marks += 1
        number = self.marks
        atom = MARK_ATOM.format(number)
        sent = []

        def recorded():
            if ("mark", number) in self.events() or not self.process.running():
                return True
            # Again now and then: xev may not listen yet when it has just started.
            if not sent or time.monotonic() - sent[-1] > 0.5:
                run_tool(["xprop", "-root", "-f", atom, "8s", "-set", atom, str(number)],
                         env=self.display.env())
                sent.append(time.monotonic())
            return False

        wait_until(recorded, timeout, message=f"marker {number} in the X event record")
        if not self.process.running():
            raise RuntimeError(f"xev ended:\n{self.process.log_text()[-2000:]}")
        return number

    def shown(self, since=0, until=None):
        """Windows shown after mark since (0: from the start) and before mark
        until (None: up to now), in order."""
        result, recording = [], since == 0
        for kind, value in self.events():
            if kind == "mark":
                if value == since:
                    recording = True
                elif until is not None and value == until:
                    break
            elif recording:
                result.append(value)
        return result

    def shown_by(self, known_windows, since=0, until=None):
        """shown(), narrowed to the X clients that own any of known_windows
        (ids): a process's windows, gone ones included, share their client's
        id base."""
        if self._mask is None:
            self._mask = resource_id_mask(self.display)
        bases = {window & ~self._mask for window in known_windows}
        return [s for s in self.shown(since, until) if s.window & ~self._mask in bases]

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
