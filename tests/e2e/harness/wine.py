"""The cached Wine prefix and a run of Wine processes on it."""

import fcntl
import hashlib
import ntpath
import os
import pwd
import shutil
import subprocess
import time
from pathlib import Path

from . import magnification
from .paths import WORK_DIR, wineprefix_dir
from .processes import OwnedProcess
from .waiting import WaitTimeout, scaled

# Japanese captions and dialogs render only with the IPA fonts linked in.
FONT_LINK = "ipag.ttf,IPAGothic"
FONT_LINKED_FACES = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI"]
FONT_REPLACEMENTS = [
    ("MS UI Gothic", "IPAGothic"),
    ("MS Pゴシック", "IPAPGothic"),
    ("MS PGothic", "IPAPGothic"),
    ("MS Gothic", "IPAGothic"),
]


def _reg_multi_sz(*strings):
    data = "".join(s + "\0" for s in strings) + "\0"
    return "hex(7):" + ",".join(f"{b:02x}" for b in data.encode("utf-16-le"))


def registry_text():
    """The .reg content applied to a new prefix."""
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
    lines += [f'"{face}"={_reg_multi_sz(FONT_LINK)}' for face in FONT_LINKED_FACES]
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
    lines += [f'"{face}"="{font}"' for face, font in FONT_REPLACEMENTS]
    return "\r\n".join(lines) + "\r\n"


# Wine takes the UI language and code pages from the locale of each run. The
# users run Japanese Windows: UI language 0411, ANSI code page 932.
LOCALE = "ja_JP.UTF-8"
EXPECTED_LOCALE = (0x0411, 932)
# Python's codec of that ANSI code page (GetACP): the environment checks that
# Wine runs with it.
ANSI_ENCODING = f"cp{EXPECTED_LOCALE[1]}"


def locale_variables(locale):
    """The environment variables that make a Wine run take locale."""
    return {"LANG": locale, "LC_ALL": locale}


# Changing what a prefix is made of changes the stamp and remakes the prefix.
PREFIX_STAMP = "loupa-prefix 1 " + hashlib.sha256(registry_text().encode()).hexdigest()[:16]


class WinePrefix:
    """A throw-away 64-bit prefix, made once and cached in the build tree.

    Every user of the prefix holds its lock (see session()); so tier-2 runs,
    end-to-end tests and `make run` never share a wineserver, and a run may
    end "its" wineserver with `wineserver -k` without hurting another.
    """

    def __init__(self, path=None):
        self.path = Path(path) if path else wineprefix_dir()
        self.lock_path = self.path.parent / (self.path.name + ".lock")
        self._lock_file = None

    # ---- environment and commands ------------------------------------
    def env(self, display=None, base=None):
        env = dict(os.environ if base is None else base)
        # Wine's own diagnostics stay on: a program that cannot open the
        # display ends with code 1, and only this message says why.
        env.update(WINEPREFIX=str(self.path), WINEARCH="win64", WINEDEBUG="-all,err+winediag",
                   WINEDLLOVERRIDES="mscoree,mshtml=", **locale_variables(LOCALE))
        # Wine would take its UI language from this list before the locale.
        env.pop("LANGUAGE", None)
        if display is not None:
            env["DISPLAY"] = display if isinstance(display, str) else display.name
        return env

    def start(self, args, log_path, display=None, cwd=None, variables=None):
        """Starts `wine args...` with its output in log_path (never a pipe:
        wine can hang on a pipe once the wineserver persists), with the
        environment variables given added to its environment.

        The PID is the Windows process's only when args[0] is the path of an
        .exe; a bare name ("wscript") is started through start.exe, another
        process."""
        env = self.env(display)
        env.update(variables or {})
        return OwnedProcess(["wine", *args], log_path, env=env, cwd=cwd)

    def run(self, args, log_path, display=None, timeout=120, cwd=None, variables=None):
        """Runs `wine args...` to its end and returns the exit code."""
        process = self.start(args, log_path, display, cwd, variables)
        code = process.wait(timeout)
        if code is None:
            process.stop(sig=None)
            raise WaitTimeout(f"wine {' '.join(args)} still running after {timeout} s; "
                              f"log: {log_path}")
        return code

    def wineserver(self, *args, timeout=60):
        done = subprocess.run(["wineserver", *args], env=self.env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=scaled(timeout))
        return done.returncode

    # ---- locking, creation, sessions ---------------------------------
    def lock(self, timeout=1800):
        """Takes the prefix for this process; waits while another has it."""
        if self._lock_file is not None:
            return
        self.lock_path.parent.mkdir(parents=True, exist_ok=True)
        lock_file = open(self.lock_path, "a+")
        deadline = time.monotonic() + scaled(timeout)
        told = False
        while True:
            try:
                fcntl.flock(lock_file, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except BlockingIOError:
                if time.monotonic() > deadline:
                    lock_file.close()
                    raise WaitTimeout(f"Wine prefix {self.path} stayed locked for {timeout} s")
                if not told:
                    lock_file.seek(0)
                    print(f"waiting for the Wine prefix, in use by {lock_file.read().strip()}",
                          flush=True)
                    told = True
                time.sleep(0.2)
        lock_file.seek(0)
        lock_file.truncate()
        lock_file.write(f"pid {os.getpid()}\n")
        lock_file.flush()
        self._lock_file = lock_file

    def unlock(self):
        if self._lock_file is not None:
            fcntl.flock(self._lock_file, fcntl.LOCK_UN)
            self._lock_file.close()
            self._lock_file = None

    @property
    def stamp_path(self):
        return self.path / ".loupa-prefix"

    def ready(self):
        try:
            return self.stamp_path.read_text() == PREFIX_STAMP
        except OSError:
            return False

    def ensure(self):
        """Makes the prefix if it is missing, half made or out of date.
        Call with the lock held."""
        if self.ready():
            return
        from .display import VirtualDisplay  # wineboot may show a window

        print(f"creating the Wine prefix {self.path} (once)", flush=True)
        # A leftover server of a broken prefix would hold files open.
        self.wineserver("-k")
        self.wineserver("-w")
        shutil.rmtree(self.path, ignore_errors=True)
        log_dir = WORK_DIR / "wineprefix"
        log_dir.mkdir(parents=True, exist_ok=True)
        with VirtualDisplay(window_manager=False, log_dir=log_dir) as display:
            code = self.run(["wineboot", "-i"], log_dir / "wineboot.log", display, timeout=300)
            if code != 0:
                raise RuntimeError(f"wineboot -i failed ({code}), see {log_dir / 'wineboot.log'}")
            reg = self.drive_c / "loupa-prefix.reg"
            reg.write_bytes(("\ufeff" + registry_text()).encode("utf-16-le"))
            code = self.run(["regedit", "/S", self.to_windows(reg)], log_dir / "regedit.log",
                            display, timeout=120)
            reg.unlink()
            if code != 0:
                raise RuntimeError(f"regedit failed ({code}), see {log_dir / 'regedit.log'}")
            # The registry reaches the disk when the server ends.
            self.wineserver("-k")
            self.wineserver("-w", timeout=120)
        self.stamp_path.write_text(PREFIX_STAMP)

    def session(self):
        return WineSession(self)

    # ---- folders and paths -------------------------------------------
    @property
    def drive_c(self):
        return self.path / "drive_c"

    @property
    def user_name(self):
        """Wine's name for the user: $USER, else the account name."""
        users = self.drive_c / "users"
        for name in (os.environ.get("USER"), pwd.getpwuid(os.getuid()).pw_name):
            if name and (users / name).is_dir():
                return name
        others = [p.name for p in users.iterdir() if p.is_dir() and p.name != "Public"]
        if len(others) != 1:
            raise RuntimeError(f"cannot tell the Wine user among {others}")
        return others[0]

    @property
    def user_dir(self):
        return self.drive_c / "users" / self.user_name

    @property
    def appdata(self):
        """%APPDATA%, the roaming application-data folder."""
        return self.user_dir / "AppData" / "Roaming"

    @property
    def startup_dir(self):
        """The current user's Startup folder."""
        return self.appdata / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "StartUp"

    def _drives(self):
        """(letter, unix root) for each drive of the prefix."""
        drives = []
        dosdevices = self.path / "dosdevices"
        for entry in sorted(dosdevices.iterdir()):
            if len(entry.name) == 2 and entry.name[1] == ":" and entry.is_dir():
                drives.append((entry.name[0].upper(), entry.resolve()))
        return drives

    def to_windows(self, unix_path):
        """Windows path of a Unix path, through the drive with the deepest
        root that contains it (C: for anything in drive_c)."""
        target = Path(os.path.abspath(unix_path))
        resolved = Path(os.path.realpath(target.parent)) / target.name
        best = None
        for letter, root in self._drives():
            try:
                rest = resolved.relative_to(root)
            except ValueError:
                continue
            if best is None or len(root.parts) > len(best[1].parts):
                best = (letter, root, rest)
        if best is None:
            raise ValueError(f"{unix_path} is on no drive of {self.path}")
        letter, _, rest = best
        return f"{letter}:\\" + "\\".join(rest.parts)

    def to_unix(self, windows_path):
        """Unix path of a Windows path; names match case-insensitively, as on
        Windows, where the file exists."""
        drive, rest = ntpath.splitdrive(windows_path)
        if len(drive) != 2 or drive[1] != ":":
            raise ValueError(f"not an absolute drive path: {windows_path}")
        roots = dict(self._drives())
        path = roots.get(drive[0].upper())
        if path is None:
            raise ValueError(f"no drive {drive} in {self.path}")
        for part in [p for p in rest.replace("/", "\\").split("\\") if p]:
            candidate = path / part
            if not candidate.exists() and path.is_dir():
                matches = [c for c in path.iterdir() if c.name.lower() == part.lower()]
                if matches:
                    candidate = matches[0]
            path = candidate
        return path


class WineSession:
    """One run on the prefix: lock, create if needed, `wineserver -p`, and
    `wineserver -k` (this prefix only) at the end."""

    def __init__(self, prefix):
        self.prefix = prefix

    def start(self):
        self.prefix.lock()
        try:
            self.prefix.ensure()
            # Leftovers of a run that was itself killed (a ctest time-out).
            self.prefix.wineserver("-k")
            self.prefix.wineserver("-w")
            magnification.remove(self.prefix)
            if self.prefix.wineserver("-p") != 0:
                raise RuntimeError("wineserver -p failed")
        except BaseException:
            self.prefix.unlock()
            raise
        return self

    def stop(self):
        try:
            self.prefix.wineserver("-k")
            self.prefix.wineserver("-w")
        finally:
            self.prefix.unlock()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
