"""Everything an end-to-end run needs, started and ended together: a
virtual display, the Wine prefix with its persistent wineserver at a chosen
DPI, and the means to see and drive the desktop."""

import atexit
import shutil
import signal
import time
from pathlib import Path

from . import magnification
from .display import DualMonitorDisplay, VirtualDisplay
from .images import screenshot
from .paths import WORK_DIR
from .probe import Probe
from .wine import EXPECTED_LOCALE, LOCALE, WinePrefix
from .xinput import Input
from .xwindows import Windows


_live = []

# The scaling that Windows calls 100 %. Wine honours LogPixels: every Wine
# program started afterwards sees that DPI on every monitor.
BASE_DPI = 96
DPI_KEY = r"HKCU\Control Panel\Desktop"
COLORS_KEY = r"HKCU\Control Panel\Colors"

# The colours of Windows' "High Contrast Black" that dialogs are drawn in.
HIGH_CONTRAST_BLACK = dict(Window="0 0 0", WindowText="255 255 255", ButtonFace="0 0 0",
                           ButtonText="255 255 255", GrayText="63 242 63",
                           Hilight="26 235 255", HilightText="0 0 0", Background="0 0 0")


def mul_div(number, numerator, denominator):
    """MulDiv: number * numerator / denominator rounded half away from zero,
    as Windows scales lengths for a DPI."""
    product = number * numerator
    half = denominator // 2
    return (product + half) // denominator if product >= 0 else -((-product + half) // denominator)


@atexit.register
def _stop_live():
    # A run interrupted past its tear-down (Ctrl+C, ctest's time-out) still
    # ends its wineserver and display.
    while _live:
        _live[-1].stop()


def stop_on_sigterm():
    """Turns SIGTERM into KeyboardInterrupt, so that with-blocks and the
    exit hook above tear down what was started."""
    def interrupt(_signum, _frame):
        raise KeyboardInterrupt("SIGTERM")

    signal.signal(signal.SIGTERM, interrupt)


def check_locale(probe):
    """Fails unless Wine runs as the users' Japanese system."""
    language, code_page = probe.locale()
    print(f"Wine locale {LOCALE}: UI language {language:04x}, code page {code_page}", flush=True)
    if (language, code_page) != EXPECTED_LOCALE:
        raise RuntimeError(
            f"Wine runs with UI language {language:04x} and code page {code_page}, not as a "
            f"Japanese system ({EXPECTED_LOCALE[0]:04x}, {EXPECTED_LOCALE[1]}): glibc lacks the "
            f"locale {LOCALE}; `make deps` generates it")


class Environment:
    """magnifier: the stand-in Magnification.dll lies in the system folder,
    so Loupa takes the Magnification API path (else the screen copy).
    right_monitor: the size of the second monitor when dual_monitor.
    dpi: the DPI every Wine program of the run sees (96 is 100 %); colors:
    the system colours they see ({name in Control Panel\\Colors: "r g b"}),
    None for the prefix's own."""

    def __init__(self, dual_monitor=False, name="e2e", retro=False, magnifier=False,
                 right_monitor=(1920, 1080), dpi=BASE_DPI, colors=None):
        self.name = name
        self.dpi = dpi
        self.colors = colors
        self._colors_before = None
        self.work_dir = WORK_DIR / name
        self.magnifier = magnifier
        self.display = (DualMonitorDisplay(retro=retro, right=right_monitor) if dual_monitor
                        else VirtualDisplay(retro=retro))
        self.prefix = WinePrefix()
        self.session = self.prefix.session()
        self.windows = Windows(self.display)
        self.input = Input(self.display)
        self._started = []

    def start(self):
        shutil.rmtree(self.work_dir, ignore_errors=True)
        self.work_dir.mkdir(parents=True)
        _live.append(self)
        try:
            self.session.start()
            self._started.append(self.session)
            if self.magnifier:
                magnification.install(self.prefix)
            self.display.log_dir = self.work_dir
            self.display.start()
            self._started.append(self.display)
            self._warm_up()
        except BaseException:
            self.stop()
            raise
        return self

    def _warm_up(self):
        # The first Wine process of a server starts the desktop process;
        # paying for it here keeps the first test's deadlines honest. It
        # sets this run's DPI, whatever an earlier run left in the prefix.
        started = time.monotonic()
        self._set_dpi(self.dpi, "warm-up.log")
        if self.colors:
            self._colors_before = self.work_dir / "colors-before.reg"
            self._reg("reg", "export", COLORS_KEY, self._colors_before, "/y")
            reg = self.work_dir / "colors.reg"
            reg.write_text(f"Windows Registry Editor Version 5.00\r\n\r\n[{COLORS_KEY}]\r\n"
                           .replace("HKCU", "HKEY_CURRENT_USER") +
                           "".join(f'"{n}"="{v}"\r\n' for n, v in self.colors.items()))
            self._reg("regedit", "/S", reg)
        self.warm_up_seconds = time.monotonic() - started
        check_locale(Probe(self.prefix, self.display, self.work_dir))

    def _reg(self, tool, *args):
        """reg or regedit; paths as the Windows side names them."""
        log = self.work_dir / f"{tool}.log"
        args = [self.prefix.to_windows(a) if isinstance(a, Path) else a for a in args]
        if self.prefix.run([tool, *args], log, self.display, timeout=120) != 0:
            raise RuntimeError(f"{tool} failed, see {log}")

    def _set_dpi(self, dpi, log_name):
        log = self.work_dir / log_name
        code = self.prefix.run(["reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD",
                                "/d", str(dpi), "/f"], log, self.display, timeout=120)
        if code != 0:
            raise RuntimeError(f"Wine does not run programs (exit code {code}), see {log}")

    def stop(self):
        # The wineserver first: it ends every Wine process of the prefix
        # while their display still exists.
        if self in _live:
            _live.remove(self)
        started, self._started = self._started, []
        try:
            if self.dpi != BASE_DPI and self.session in started and self.display in started:
                # Other users of the prefix (the Win32 tests) expect 100 %.
                try:
                    self._set_dpi(BASE_DPI, "dpi-reset.log")
                except Exception:
                    pass
            if self._colors_before is not None and self.session in started:
                try:
                    self._reg("regedit", "/S", self._colors_before)  # for later runs
                except Exception:
                    pass
            if self.session in started:
                # While the prefix is still this run's.
                magnification.remove(self.prefix)
                self.session.stop()
        finally:
            if self.display in started:
                self.display.stop()

    def screenshot(self, path, window="root", rect=None):
        return screenshot(self.display, path, window, rect)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
