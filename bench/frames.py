"""Frames drawn on an X display, counted with the DAMAGE extension through
ctypes: one damage object on the root window reports every rectangle drawn
on the screen, and rectangles that come within a few milliseconds of each
other (by the server's clock) make one frame."""

import ctypes
import ctypes.util
import select
import struct
import threading

DAMAGE_REPORT_RAW_RECTANGLES = 0
DAMAGE_NOTIFY = 0
# XDamageNotifyEvent on LP64: timestamp (Time) at 56, area (XRectangle) at 64.
_EVENT_SIZE = 192
_TIMESTAMP = struct.Struct("=Q")
_AREA = struct.Struct("=hhHH")

# Drawing of one frame arrives within this time; frames are tens of ms apart.
FRAME_GAP_MS = 8
# Rectangles smaller than this (the pointer, a caret) are no frame.
MIN_FRAME_PIXELS = 100_000


def _library(name):
    path = ctypes.util.find_library(name)
    if path is None:
        raise OSError(f"lib{name} not found")
    return ctypes.CDLL(path)


class FrameCounter:
    """Records (server time in ms, pixels) of every damaged rectangle of the
    display while it runs; frames() groups them."""

    def __init__(self, display_name):
        self.display_name = display_name
        self._rects = []
        self._lock = threading.Lock()
        self._stop = threading.Event()
        self._thread = None
        self._error = None
        self._ready = threading.Event()

    def start(self):
        self._thread = threading.Thread(target=self._run, name="frame-counter", daemon=True)
        self._thread.start()
        self._ready.wait(10)
        if self._error:
            raise RuntimeError(self._error)
        return self

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(10)
            self._thread = None

    def _run(self):
        try:
            x11 = _library("X11")
            damage = _library("Xdamage")
        except OSError as error:
            self._error = str(error)
            self._ready.set()
            return
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                 ctypes.POINTER(ctypes.c_int)]
        damage.XDamageCreate.restype = ctypes.c_ulong
        damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        damage.XDamageDestroy.argtypes = [ctypes.c_void_p, ctypes.c_ulong]

        dpy = x11.XOpenDisplay(self.display_name.encode())
        if not dpy:
            self._error = f"cannot open display {self.display_name}"
            self._ready.set()
            return
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not damage.XDamageQueryExtension(dpy, ctypes.byref(event_base),
                                            ctypes.byref(error_base)):
            x11.XCloseDisplay(dpy)
            self._error = "the X server has no DAMAGE extension"
            self._ready.set()
            return
        notify = event_base.value + DAMAGE_NOTIFY
        handle = damage.XDamageCreate(dpy, x11.XDefaultRootWindow(dpy),
                                      DAMAGE_REPORT_RAW_RECTANGLES)
        x11.XFlush(dpy)
        self._ready.set()
        fd = x11.XConnectionNumber(dpy)
        event = ctypes.create_string_buffer(_EVENT_SIZE)
        while not self._stop.is_set():
            select.select([fd], [], [], 0.1)
            batch = []
            while x11.XPending(dpy):
                x11.XNextEvent(dpy, event)
                raw = event.raw
                if struct.unpack_from("=i", raw, 0)[0] != notify:
                    continue
                (stamp,) = _TIMESTAMP.unpack_from(raw, 56)
                _, _, width, height = _AREA.unpack_from(raw, 64)
                batch.append((stamp, width * height))
            if batch:
                with self._lock:
                    self._rects.extend(batch)
        damage.XDamageDestroy(dpy, handle)
        x11.XCloseDisplay(dpy)

    def mark(self):
        """A point in the record, for frames_since()."""
        with self._lock:
            return len(self._rects)

    def frames_since(self, mark):
        """Frames drawn since mark: a list of pixels per frame."""
        with self._lock:
            rects = self._rects[mark:]
        frames, current, last = [], 0, None
        for stamp, pixels in rects:
            if last is not None and stamp - last > FRAME_GAP_MS:
                frames.append(current)
                current = 0
            current += pixels
            last = stamp
        if last is not None:
            frames.append(current)
        return [pixels for pixels in frames if pixels >= MIN_FRAME_PIXELS]

