#!/usr/bin/python3
"""Runs a Windows test executable under Wine: CMake's cross-compiling
emulator for the Win32 tests.

    wine_exec.py [--timeout S] [--current-display | --screen WxH] <exe> [args...]
    wine_exec.py [--screen WxH] --start-session | --stop-session

Takes the cached Wine prefix (making it if needed), starts a virtual display
of its own (the tests create windows) unless --current-display, runs the exe
with its output in a file, prints that output, tears down what it started
and exits with the exe's exit code.

--start-session starts a display and wineserver that stay, in a process of
their own, until --stop-session (or until the process that started them
ends): every run of an exe with that screen size meanwhile uses them, one
run at a time, instead of starting its own. The Win32 tier runs in one such
session (a ctest fixture).
"""

import argparse
import contextlib
import fcntl
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# The Wine prefix and virtual display of the end-to-end harness.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

from harness import magnification  # noqa: E402
from harness.display import VirtualDisplay  # noqa: E402
from harness.paths import WORK_DIR  # noqa: E402
from harness.waiting import wait_until  # noqa: E402
from harness.wine import EXPECTED_LOCALE, WinePrefix  # noqa: E402

TIMED_OUT = 124
LOG_DIR = WORK_DIR / "wine_exec"
# The shared session: its process, display and screen size.
SESSION_STATE = LOG_DIR / "session.json"
# Held by each run in the shared session, so that runs take turns as they do
# on the prefix's lock.
SESSION_RUN_LOCK = LOG_DIR / "session-run.lock"
# Making the prefix, on a fresh tree, is part of a session's start.
SESSION_START_TIMEOUT = 600


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


def _alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False
    except PermissionError:
        return True


def _session():
    """The shared session's state while its process runs, else None."""
    try:
        state = json.loads(SESSION_STATE.read_text())
    except (OSError, ValueError):
        return None
    return state if _alive(state["pid"]) else None


def _hold_session(screen, owner):
    """The session's own process: holds the prefix, a display and a
    wineserver until SIGTERM or until owner (the process that asked for the
    session) ends."""
    stopping = []
    signal.signal(signal.SIGTERM, lambda *_: stopping.append(True))
    signal.signal(signal.SIGHUP, lambda *_: stopping.append(True))
    prefix = WinePrefix()
    with contextlib.ExitStack() as stack:
        display = stack.enter_context(VirtualDisplay(*screen, log_dir=LOG_DIR))
        stack.enter_context(prefix.session())
        SESSION_STATE.write_text(json.dumps({"pid": os.getpid(), "display": display.name,
                                             "screen": list(screen)}))
        try:
            while not stopping and _alive(owner):
                time.sleep(0.5)
        finally:
            SESSION_STATE.unlink(missing_ok=True)
    return 0


def _stop_session():
    state = _session()
    if state is None:
        SESSION_STATE.unlink(missing_ok=True)
        return 0
    os.kill(state["pid"], signal.SIGTERM)
    wait_until(lambda: not _alive(state["pid"]), 120, interval=0.2,
               message="the shared Wine session to end")
    return 0


def _start_session(screen):
    _stop_session()  # left by a run that was itself ended early
    log_path = LOG_DIR / "session.log"
    with open(log_path, "ab") as log:
        holder = subprocess.Popen(
            [sys.executable, "-B", str(Path(__file__).resolve()), "--hold-session",
             str(os.getppid()), "--screen", "{}x{}".format(*screen)],
            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            start_new_session=True)
    wait_until(lambda: holder.poll() is not None or (_session() or {}).get("pid") == holder.pid,
               SESSION_START_TIMEOUT, interval=0.2, message="the shared Wine session to start")
    if holder.poll() is not None:
        sys.stdout.write(log_path.read_text(errors="replace"))
        print("the shared Wine session did not start", file=sys.stderr)
        return 1
    print(f"shared Wine session on {_session()['display']}")
    return 0


def _run(prefix, exe, args, log_dir, display, timeout):
    """Runs exe to its end (or kills it after timeout s); its exit code."""
    with tempfile.NamedTemporaryFile(dir=log_dir, prefix=exe.stem + "-", suffix=".log",
                                     delete=False) as log:
        log_path = Path(log.name)
    # The Win32 tests check that they run on the system expected.
    expected = "{:04x}/{}".format(*EXPECTED_LOCALE)
    process = prefix.start([str(exe), *args], log_path, display,
                           variables={"LOUPA_EXPECTED_LOCALE": expected})
    try:
        code = process.wait(timeout) if timeout > 0 else process.popen.wait()
    finally:
        # Ended early (ctest's time-out) or killed after timeout: in a shared
        # session no wineserver -k ends it.
        if process.running():
            process.stop(sig=None)
            code = None
    sys.stdout.write(process.log_text())
    sys.stdout.flush()
    log_path.unlink(missing_ok=True)
    if code is None:
        print(f"\n{exe.name}: killed after {timeout:.0f} s", file=sys.stderr)
        return TIMED_OUT
    return code


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--timeout", type=float,
                        default=float(os.environ.get("LOUPA_WINE_EXEC_TIMEOUT", "240")),
                        help="seconds before the exe is killed (0: no limit)")
    parser.add_argument("--current-display", action="store_true",
                        help="use $DISPLAY instead of a virtual display")
    parser.add_argument("--screen", type=_screen_size, default=(1920, 1080), metavar="WxH",
                        help="size of the virtual display (default 1920x1080)")
    session = parser.add_mutually_exclusive_group()
    session.add_argument("--start-session", action="store_true",
                         help="start the shared display and wineserver, and return")
    session.add_argument("--stop-session", action="store_true",
                         help="end the shared display and wineserver")
    session.add_argument("--hold-session", type=int, metavar="OWNER", help=argparse.SUPPRESS)
    parser.add_argument("exe", nargs="?")
    parser.add_argument("args", nargs=argparse.REMAINDER)
    options = parser.parse_args(argv)

    LOG_DIR.mkdir(parents=True, exist_ok=True)
    if options.hold_session is not None:
        return _hold_session(options.screen, options.hold_session)
    if options.start_session:
        return _start_session(options.screen)
    if options.stop_session:
        return _stop_session()
    if options.exe is None:
        parser.error("the exe to run is missing")

    signal.signal(signal.SIGTERM, _terminate)
    signal.signal(signal.SIGHUP, _terminate)

    exe = Path(options.exe).resolve()
    prefix = WinePrefix()
    shared = None if options.current_display else _session()
    if shared is not None and tuple(shared["screen"]) == tuple(options.screen):
        with open(SESSION_RUN_LOCK, "a") as turn:
            fcntl.flock(turn, fcntl.LOCK_EX)
            try:
                return _run(prefix, exe, options.args, LOG_DIR, shared["display"],
                            options.timeout)
            finally:
                # What a test put in the system folder goes with it, as at
                # the start of a session of its own.
                magnification.remove(prefix)
    with contextlib.ExitStack() as stack:
        display = None
        if not options.current_display:
            width, height = options.screen
            display = stack.enter_context(VirtualDisplay(width, height, log_dir=LOG_DIR))
        # Entered last, left first: the wineserver ends the Wine processes
        # while their display still exists.
        stack.enter_context(prefix.session())
        return _run(prefix, exe, options.args, LOG_DIR, display or os.environ.get("DISPLAY"),
                    options.timeout)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
