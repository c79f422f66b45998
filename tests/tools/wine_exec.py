#!/usr/bin/python3
"""Runs a Windows test executable under Wine: CMake's cross-compiling
emulator for the Win32 tests.

    wine_exec.py [--timeout S] [--current-display | --screen WxH] <exe> [args...]

Takes the cached Wine prefix (making it if needed), starts a virtual display
of its own (the tests create windows) unless --current-display, runs the exe
with its output in a file, prints that output, tears down what it started
and exits with the exe's exit code.
"""

import argparse
import contextlib
import os
import signal
import sys
import tempfile
from pathlib import Path

# The Wine prefix and virtual display of the end-to-end harness.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

from harness.display import VirtualDisplay  # noqa: E402
from harness.paths import WORK_DIR  # noqa: E402
from harness.wine import EXPECTED_LOCALE, WinePrefix  # noqa: E402

TIMED_OUT = 124


def _terminate(signum, _frame):
    # ctest ends a test that ran too long: clean up on the way out.
    raise SystemExit(128 + signum)


def _screen_size(text):
    try:
        width, height = (int(n) for n in text.lower().split("x"))
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a size WxH: {text}") from None
    if width <= 0 or height <= 0:
        raise argparse.ArgumentTypeError(f"not a size WxH: {text}")
    return width, height


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--timeout", type=float,
                        default=float(os.environ.get("LOUPA_WINE_EXEC_TIMEOUT", "240")),
                        help="seconds before the exe is killed (0: no limit)")
    parser.add_argument("--current-display", action="store_true",
                        help="use $DISPLAY instead of a virtual display")
    parser.add_argument("--screen", type=_screen_size, default=(1920, 1080), metavar="WxH",
                        help="size of the virtual display (default 1920x1080)")
    parser.add_argument("exe")
    parser.add_argument("args", nargs=argparse.REMAINDER)
    options = parser.parse_args(argv)

    signal.signal(signal.SIGTERM, _terminate)
    signal.signal(signal.SIGHUP, _terminate)

    exe = Path(options.exe).resolve()
    log_dir = WORK_DIR / "wine_exec"
    log_dir.mkdir(parents=True, exist_ok=True)
    prefix = WinePrefix()
    with contextlib.ExitStack() as stack:
        display = None
        if not options.current_display:
            width, height = options.screen
            display = stack.enter_context(VirtualDisplay(width, height, log_dir=log_dir))
        # Entered last, left first: the wineserver ends the Wine processes
        # while their display still exists.
        stack.enter_context(prefix.session())
        with tempfile.NamedTemporaryFile(dir=log_dir, prefix=exe.stem + "-", suffix=".log",
                                         delete=False) as log:
            log_path = Path(log.name)
        # The Win32 tests check that they run on the system expected.
        expected = "{:04x}/{}".format(*EXPECTED_LOCALE)
        process = prefix.start([str(exe), *options.args], log_path,
                               display or os.environ.get("DISPLAY"),
                               variables={"LOUPA_EXPECTED_LOCALE": expected})
        code = process.wait(options.timeout) if options.timeout > 0 else process.popen.wait()
        if code is None:
            process.stop(sig=None)
        sys.stdout.write(process.log_text())
        sys.stdout.flush()
        log_path.unlink(missing_ok=True)
        if code is None:
            print(f"\n{exe.name}: killed after {options.timeout:.0f} s", file=sys.stderr)
            return TIMED_OUT
        return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
