"""unittest base for end-to-end tests of Loupa.exe.

One Environment (display, prefix, wineserver) for the classes of a module
that ask for the same one (monitors, DPI, the stand-in Magnification.dll):
main() runs those classes one after the other, and the environment is
started once for them. Every test starts from the reset state, and every
Loupa it starts is killed after it.
When a test fails, its screenshot, X window listing, Wine logs and the
setting files go to build/e2e-artifacts/<module>.<class>.<test>/, beside
what the test kept there itself (artifacts_dir()); the folder is emptied
when the test starts.
"""

import contextlib
import functools
import re
import shutil
import sys
import traceback
import types
import unittest
from pathlib import Path

from . import loupa, magnification
from .environment import BASE_DPI, Environment, stop_on_sigterm
from .paths import ARTIFACTS_DIR
from .probe import Probe
from .target import DEFAULT_RECT, TestTarget
from .zoomview import ZoomView
from .waiting import holds, wait_until


def _module_name(cls):
    """The test file's name also when it runs as a script (__main__)."""
    module = sys.modules.get(cls.__module__)
    if cls.__module__ == "__main__" and getattr(module, "__file__", None):
        return Path(module.__file__).stem
    return cls.__module__


def _environment_key(cls):
    """What tells one class's environment from another's."""
    colors = tuple(sorted(cls.colors.items())) if cls.colors else None
    return (_module_name(cls), cls.dual_monitor, tuple(cls.right_monitor), cls.magnifier, cls.dpi,
            colors)


def _environment_name(key):
    module, dual_monitor, right_monitor, magnifier, dpi, colors = key
    name = module
    if dual_monitor:
        name += ".dual-{}x{}".format(*right_monitor)
    if dpi != BASE_DPI:
        name += f".dpi{dpi}"
    if magnifier:
        name += ".magnifier"
    if colors:
        name += ".colors"
    return name


# The environment of the classes that run now, kept for the next class that
# asks for the same: (key, Environment) or None.
_shared = None


def _stop_shared():
    global _shared
    if _shared is not None:
        _, env = _shared
        _shared = None
        env.stop()


def _environment_for(cls):
    global _shared
    key = _environment_key(cls)
    if _shared is not None and _shared[0] != key:
        _stop_shared()
    if _shared is None:
        env = Environment(cls.dual_monitor, name=_environment_name(key), magnifier=cls.magnifier,
                          right_monitor=cls.right_monitor, dpi=cls.dpi, colors=cls.colors)
        env.start()
        _shared = (key, env)
    return _shared[1]


def _test_cases(suite):
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from _test_cases(test)
        else:
            yield test


class _GroupingLoader(unittest.TestLoader):
    """Loads a module's tests with the classes that share an environment
    next to each other, in their first class's order; within a class the
    order stays unittest's."""

    def loadTestsFromModule(self, module, *args, **kwargs):
        tests = list(_test_cases(super().loadTestsFromModule(module, *args, **kwargs)))
        keys = []
        for test in tests:
            key = _environment_key(type(test)) if isinstance(test, LoupaTestCase) else None
            if key not in keys:
                keys.append(key)
        rank = {key: index for index, key in enumerate(keys)}
        tests.sort(key=lambda test: rank[_environment_key(type(test))
                                        if isinstance(test, LoupaTestCase) else None])
        return self.suiteClass(tests)


class LoupaTestCase(unittest.TestCase):
    dual_monitor = False
    # The size of the second monitor.
    right_monitor = (1920, 1080)
    # With the stand-in Magnification.dll in the system folder: Loupa renders
    # through the Magnification API and logs its calls to the library.
    magnifier = False
    dpi = BASE_DPI  # as Windows calls 100 %; 144 is 150 %
    colors = None  # system colours for the run, e.g. HIGH_CONTRAST_BLACK
    env = None

    @classmethod
    def setUpClass(cls):
        cls.env = _environment_for(cls)

    @classmethod
    def tearDownClass(cls):
        # The environment stays for the next class that asks for the same;
        # main() (or the exit hook) ends the last one.
        cls.env = None

    def __init__(self, method_name="runTest"):
        super().__init__(method_name)
        test = getattr(type(self), method_name, None)
        if callable(test):
            # Still a method, so that unittest can pick tests by name.
            setattr(self, method_name, types.MethodType(self._collecting_artifacts(test), self))

    @staticmethod
    def _collecting_artifacts(test):
        @functools.wraps(test)
        def run(self, *args, **kwargs):
            try:
                return test(self, *args, **kwargs)
            except unittest.SkipTest:
                raise
            except BaseException:
                self.save_artifacts()
                raise
        return run

    @contextlib.contextmanager
    def subTest(self, *msg, **params):
        # A failing sub-test does not leave the test method: collect here.
        with super().subTest(*msg, **params):
            try:
                yield
            except unittest.SkipTest:
                raise
            except BaseException:
                self.save_artifacts(msg[0] if msg else None)
                raise

    def setUp(self):
        self.prefix = self.env.prefix
        self.display = self.env.display
        self.windows = self.env.windows
        self.input = self.env.input
        self.loupas = []
        self.targets = []
        self.probe = Probe(self.prefix, self.display, self.env.work_dir)
        loupa.reset_state(self.prefix)
        # Artifacts of an earlier run would pass for this one's.
        out = self.artifacts_dir()
        shutil.rmtree(out, ignore_errors=True)
        for subtest in out.parent.glob(out.name + ".*"):
            shutil.rmtree(subtest, ignore_errors=True)

    def tearDown(self):
        for process in self.loupas + self.targets:
            process.stop()

    # ---- helpers ------------------------------------------------------
    def loupa(self, file_name="Loupa.exe", folder=None, variables=None):
        """A copy of Loupa.exe for this test (not started yet), with
        environment variables added; stopped after the test. With the
        stand-in Magnification.dll, its calls go to process.calls_log."""
        folder = folder or self._testMethodName
        log = (self.env.work_dir / "logs" /
               f"{self._log_name()}-{len(self.loupas) + 1}-{file_name}.log")
        variables = dict(variables or {})
        calls_log = log.with_suffix(".magnification.log")
        if self.magnifier:
            calls_log.unlink(missing_ok=True)
            variables[magnification.LOG_VARIABLE] = self.prefix.to_windows(calls_log)
        process = loupa.LoupaProcess(self.prefix, self.display, folder, file_name, log_path=log,
                                     variables=variables)
        if self.magnifier:
            process.calls_log = calls_log
        self.loupas.append(process)
        return process

    def _log_name(self):
        # Classes that share an environment may have tests of one name.
        return f"{type(self).__name__}.{self._testMethodName}"

    def start_loupa(self, file_name="Loupa.exe", folder=None, variables=None, first_start=False):
        """Unless first_start, an empty setting.ini where none is: no welcome
        balloon over the tray."""
        process = self.loupa(file_name, folder, variables)
        settings = loupa.appdata_settings(self.prefix)
        if not first_start and not settings.exists() and not process.settings_beside.exists():
            settings.parent.mkdir(parents=True, exist_ok=True)
            settings.write_bytes(b"")
        return process.start()

    def magnifier_calls(self, process, name=None):
        """The calls process made to the stand-in Magnification.dll so far."""
        if process.calls_log is None:
            return []
        return magnification.read_calls(process.calls_log, name)

    def start_target(self, rect=DEFAULT_RECT, control=None, hold=None):
        """A LoupaTestTarget window at rect, shown with its pattern and
        logging, with the control named (see TestTarget) holding the focus,
        holding the hot key hold = (modifiers, vk) if given; stopped after
        the test."""
        log = (self.env.work_dir / "logs" /
               f"{self._log_name()}-target-{len(self.targets) + 1}.log")
        target = TestTarget(self.prefix, self.display, log, rect, control=control, hold=hold)
        self.targets.append(target)
        return target.start(self.windows)

    def wait_resident(self, process, icons=1, timeout=30):
        """Waits until Loupa shows its icon (it owns its instance and runs its
        message loop) and checks that it still runs."""
        self.wait_until(lambda: not process.running() or self.tray_icon_count() == icons,
                        timeout, message=f"{icons} icon(s) in the Wine System Tray",
                        ignore=(RuntimeError,))
        self.assertTrue(process.running(), f"{process.exe_path.name} ended with exit code "
                        f"{process.process.returncode}:\n{process.log_text()}")
        return process

    def start_resident(self, variables=None, timeout=30):
        """Starts Loupa and waits for its icon in Wine's tray."""
        return self.wait_resident(self.start_loupa(variables=variables), timeout=timeout)

    def zoom_windows(self, loupa):
        """Loupa's mapped windows that are not menus."""
        return [w for w in self.windows.visible_of(loupa.pid) if not w.override_redirect]

    def _zoomed(self, loupa):
        return [w for w in self.zoom_windows(loupa) if w.rect in self.display.monitors]

    def wait_zoomed(self, loupa, how, timeout=10):
        """Waits until Loupa's zoom window covers a monitor after how."""
        return self.wait_until(lambda: self._zoomed(loupa), timeout, ignore=(RuntimeError,),
                               message=f"the zoom window after {how}")

    def wait_hidden(self, loupa, how, again=None, timeout=10):
        """Waits until the zoom window has gone after how; again() is
        repeated while it stays (a cancel during the glide in is ignored)."""
        def gone():
            if not self._zoomed(loupa):
                return True
            if again:
                again()
            return False
        self.wait_until(gone, timeout, interval=1.0 if again else 0.05, ignore=(RuntimeError,),
                        message=f"the zoom window to go after {how}")

    def start_zoom_scene(self, rect=DEFAULT_RECT, variables=None):
        """A resident Loupa (with variables added to its environment) and the
        test target under the pointer with the focus: where hot keys and the
        wheel are tried. (loupa, target, zoom view)"""
        process = self.start_resident(variables)
        target = self.start_target(rect)
        target.focus(self.input)
        return process, target, ZoomView(self.env, self.probe, process, target.rect,
                                         caption=not self.magnifier)

    def wait_until(self, condition, timeout=10, message=None, ignore=(), interval=0.05):
        return wait_until(condition, timeout, interval, message=message, ignore=ignore)

    def holds(self, condition, duration):
        return holds(condition, duration)

    def tray_icon_count(self):
        tray = self.windows.tray()
        if tray is None:
            return 0
        return tray.icon_count(self.env.work_dir / "tray.ppm")

    def wait_tray_icons(self, count, timeout=15):
        """Waits until Wine's tray shows exactly count icons."""
        return self.wait_until(lambda: self.tray_icon_count() == count, timeout,
                               message=f"{count} icon(s) in the Wine System Tray",
                               ignore=(RuntimeError,))

    def open_tray_menu(self, process, icon=0):
        return loupa.open_tray_menu(self.env, process, icon)

    def choose_menu_item(self, process, menu, label):
        loupa.choose_menu_item(self.env, process, menu, label)

    # ---- failure hygiene ------------------------------------------------
    def artifacts_dir(self, subtest=None):
        cls = type(self)
        name = f"{_module_name(cls)}.{cls.__name__}.{self._testMethodName}"
        if subtest:
            name += "." + re.sub(r"[^A-Za-z0-9_.-]+", "_", str(subtest))
        return ARTIFACTS_DIR / name

    def save_artifacts(self, subtest=None):
        """Best effort: a failing collection must not hide the test's failure."""
        out = self.artifacts_dir(subtest)
        out.mkdir(parents=True, exist_ok=True)
        steps = [
            ("screenshot", lambda: self.env.screenshot(out / "screen.png")),
            ("windows", lambda: (out / "windows.txt").write_text(self.windows.dump())),
            ("logs", lambda: [shutil.copy2(path, out / path.name)
                              for p in self.loupas + self.targets
                              for path in (p.log_path, getattr(p, "calls_log", None))
                              if path is not None and path.exists()]),
            ("settings", lambda: self._copy_state(out)),
        ]
        for name, step in steps:
            try:
                step()
            except Exception:
                (out / f"{name}-error.txt").write_text(traceback.format_exc())
        print(f"\nartifacts saved in {out}", file=sys.stderr)

    def _copy_state(self, out):
        candidates = [loupa.appdata_settings(self.prefix)]
        candidates += [p.settings_beside for p in self.loupas]
        for index, path in enumerate(candidates):
            if path.is_file():
                shutil.copy2(path, out / f"setting-{index}.ini")
        listing = sorted(p.name for p in self.prefix.startup_dir.iterdir())
        (out / "startup-folder.txt").write_text("\n".join(listing) + "\n")


def main():
    """Entry point of a test module run by ctest."""
    stop_on_sigterm()
    try:
        program = unittest.main(module="__main__", verbosity=2, testLoader=_GroupingLoader(),
                                exit=False)
    finally:
        _stop_shared()
    sys.exit(not program.result.wasSuccessful())
