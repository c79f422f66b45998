#!/usr/bin/python3
"""Loupa and the peer magnifiers side by side: CPU, frames, memory, start-up.

    bench/run.py [--seconds N] [--rounds N]
                 [--programs loupa,loupa-reading,xzoom,kmag,vmg]
                 [--tick-samples N] [--no-install]

Each program runs in turn on a fresh 1920x1080 Xvfb + openbox showing the
same scene: LoupaTestTarget's noise pattern over the screen (below a band
for Wine's tray), the
pointer moved every 100 ms along a fixed path (or parked, for the "still"
phases). First the scene alone is measured (the baselines), then the program
is started (start-up time), then each phase runs for the same N seconds:
zoomed with the pointer moving, zoomed with it still, and for Loupa also
hidden (resident, zoom cancelled) with the pointer moving and still.
"loupa-reading" is Loupa again with FollowCaret, InvertColors and
FollowFocus on, to weigh the three options against Loupa without them; for both, a line to type
into on the target holds the focus (its caret rests, so the view follows the
pointer, and the caret is looked for at every tick). The programs are measured
in several interleaved rounds (three by default) and each is reported by its
median round: a shared machine's load drifts.

CPU is utime + stime from /proc: the program (with its child processes),
plus for Loupa the wineserver above its baseline, plus the X server above its
baseline. Frames are counted with the X DAMAGE extension. The Debian peers
(xzoom, vmg, kmag) are installed with apt-get when missing. LoupaTickBench.exe
then times one tick and the mouse hook inside the real zoom window.

The table is printed and saved to build/bench/results.txt (raw figures in
results.json, a screenshot of each program zooming beside them). Nothing is
asserted: the goals are stated next to the figures.
"""

import argparse
import json
import math
import os
import platform
import shutil
import statistics
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

BENCH_DIR = Path(__file__).resolve().parent
sys.path.insert(0, str(BENCH_DIR.parent / "tests" / "e2e"))
sys.path.insert(0, str(BENCH_DIR))

import frames as frames_mod  # noqa: E402
import procstat  # noqa: E402
from harness import (BUILD_DIR, Environment, TestTarget, appdata_settings, ini,  # noqa: E402
                     loupa_exe, reset_state)
from harness.environment import stop_on_sigterm  # noqa: E402
from harness.loupa import LoupaProcess  # noqa: E402
from harness.processes import OwnedProcess  # noqa: E402
from harness.waiting import WaitTimeout, wait_until  # noqa: E402

OUT_DIR = BUILD_DIR / "bench"
PEER_PACKAGES = ("xzoom", "vmg", "kmag")
RATE = 4
PERIOD_MS = 50
POINTER_PERIOD = 0.1
PARK = (960, 540)  # where the pointer rests in the "still" phases
# The test target's pattern over the screen below a band left for Wine's
# tray, as in the end-to-end tests. Under Wine a foreground window that
# covers the whole screen changes how the pointer reaches other programs.
TARGET_RECT = (0, 48, 1920, 1080)
SETTLE = 1.5  # after a zoom starts or ends: its 600 ms glide and the last paints
START_TIMEOUT = 60
STARTS = 3  # timed starts per program, after an untimed first one
# Loupa's two reading options, and what Loupa runs with in each of its rows.
READING = {"FollowCaret": "1", "InvertColors": "1", "FollowFocus": "1"}
LOUPA_VARIANTS = {"loupa": {}, "loupa-reading": READING}
# At most this much more CPU per zoomed second with the options on.
READING_ALLOWANCE = 0.10
# Wine's floor for a moving frame (bench/FloorMagnifier.cpp), and the goals
# against it and against xzoom.
FLOOR = "floor"
FLOOR_ALLOWANCE = 1.15
STILL_AGAINST_XZOOM = 0.25


def floor_exe():
    return Path(os.environ.get("LOUPA_BENCH_FLOOR")
                or BUILD_DIR / "win" / "LoupaBenchFloor.exe").resolve()


def tick_bench_exe():
    return Path(os.environ.get("LOUPA_TICK_BENCH")
                or BUILD_DIR / "win" / "LoupaTickBench.exe").resolve()


# ---- the scene ------------------------------------------------------------
def pointer_path(step):
    """An ellipse over most of the screen in 64 steps of about 45 pixels."""
    angle = 2 * math.pi * (step % 64) / 64
    return int(960 + 600 * math.cos(angle)), int(540 + 300 * math.sin(angle))


class PointerMover:
    """Moves the X pointer to the next point of the path every 100 ms (on a
    fixed schedule) while running."""

    def __init__(self, bench_input):
        self.input = bench_input
        self._stop = threading.Event()
        self._thread = None
        self.step = 0

    def __enter__(self):
        self._stop.clear()
        self._thread = threading.Thread(target=self._run, name="pointer", daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join(10)

    def _run(self):
        next_time = time.monotonic()
        while not self._stop.is_set():
            self.step += 1
            self.input.xdotool("mousemove", *pointer_path(self.step))
            next_time += POINTER_PERIOD
            self._stop.wait(max(0.0, next_time - time.monotonic()))


@dataclass
class Phase:
    label: str
    seconds: float
    cpu: dict  # group -> CPU seconds over the phase
    frame_pixels: list = field(default_factory=list)
    by_name: dict = field(default_factory=dict)  # group -> {process name: CPU seconds}

    def per_second(self, group):
        return self.cpu.get(group, 0.0) / self.seconds

    @property
    def fps(self):
        return len(self.frame_pixels) / self.seconds

    @property
    def megapixels_per_frame(self):
        if not self.frame_pixels:
            return 0.0
        return sum(self.frame_pixels) / len(self.frame_pixels) / 1e6


class Stage:
    """One fresh display and Wine session with the scene on it."""

    def __init__(self, name, seconds, edit=False):
        self.name = name
        self.seconds = seconds
        self.edit = edit
        self.env = Environment(name=f"bench-{name}")
        self.target = None
        self.counter = None
        self.baselines = {}

    def __enter__(self):
        self.env.start()
        try:
            self.target = TestTarget(self.env.prefix, self.env.display,
                                     self.env.work_dir / "target-input.log", TARGET_RECT,
                                     control="edit" if self.edit else None)
            self.target.start(self.env.windows)
            self.counter = frames_mod.FrameCounter(self.env.display.name).start()
            self.park()
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.counter is not None:
            self.counter.stop()
        if self.target is not None:
            self.target.stop()
        self.env.stop()

    @property
    def x_server_pid(self):
        return self.env.display.servers[-1].process.pid

    def wine(self):
        return procstat.wine_processes(self.env.prefix.path)

    def wineserver_pids(self):
        # Debian's 64-bit server is wineserver64.
        return [pid for pid, name in self.wine().items() if (name or "").startswith("wineserver")]

    def other_wine_pids(self, *exclude):
        skip = {self.target.pid, *exclude, *self.wineserver_pids()}
        return [pid for pid in self.wine() if pid not in skip]

    def park(self):
        self.env.input.move(*PARK)

    def phase(self, label, moving, groups):
        """Measures the groups ({name: pids function}) for the stage's
        seconds, with the pointer moving or parked."""
        if not moving:
            self.park()
        meter = procstat.CpuMeter(groups)
        if moving:
            with PointerMover(self.env.input):
                time.sleep(POINTER_PERIOD)  # the mover is on its schedule
                mark = self.counter.mark()
                meter.start()
                time.sleep(self.seconds)
                cpu = meter.stop()
                pixels = self.counter.frames_since(mark)
        else:
            mark = self.counter.mark()
            meter.start()
            time.sleep(self.seconds)
            cpu = meter.stop()
            pixels = self.counter.frames_since(mark)
        print(f"  {label}: " + ", ".join(f"{k} {v / self.seconds:.3f}" for k, v in cpu.items())
              + f" CPU-s/s, {len(pixels) / self.seconds:.1f} frames/s", flush=True)
        return Phase(label, self.seconds, cpu, pixels, meter.by_name)

    def measure_baselines(self):
        groups = {"X": lambda: [self.x_server_pid], "wineserver": self.wineserver_pids,
                  "wine other": self.other_wine_pids}
        self.baselines = {"moving": self.phase("scene alone, pointer moving", True, groups),
                          "still": self.phase("scene alone, pointer still", False, groups)}

    def screenshot(self, name):
        path = OUT_DIR / f"{name}.png"
        try:
            self.env.screenshot(path)
        except Exception as error:  # a missing picture must not lose the figures
            print(f"  no screenshot: {error}", flush=True)
        return path


# ---- results ----------------------------------------------------------------
@dataclass
class Result:
    name: str
    how: str
    start_seconds: float = None
    start_note: str = ""
    phases: dict = field(default_factory=dict)  # key -> (Phase, baseline Phase)
    peak_rss_mb: dict = field(default_factory=dict)
    wine: bool = False
    error: str = None
    rounds: list = None  # CPU per zoomed second of every round, when there were several

    def above(self, key, group):
        phase, baseline = self.phases[key]
        return max(0.0, phase.per_second(group) - baseline.per_second(group))

    def total(self, key):
        """CPU-s per s: the program, plus wineserver (Wine) and X server above
        their baselines."""
        if key not in self.phases:
            return None
        phase, _ = self.phases[key]
        total = phase.per_second("program") + self.above(key, "X")
        if self.wine:
            total += self.above(key, "wineserver")
        return total

    def ms_per_mp_frame(self, key):
        if key not in self.phases:
            return None
        phase, _ = self.phases[key]
        if phase.fps <= 0 or phase.megapixels_per_frame <= 0:
            return None
        return self.total(key) * 1000 / phase.fps / phase.megapixels_per_frame


def timed_starts(result, start, stop, first_does):
    """Starts the program once, then STARTS more times, each timed; keeps
    the last one running. The figure is the median of the later starts."""
    process, first = start()
    times = []
    for _ in range(STARTS):
        stop(process)
        process, seconds = start()
        times.append(seconds)
    result.start_seconds = statistics.median(times)
    result.start_note = (f"median of {STARTS} starts, {min(times):.2f} to {max(times):.2f} s; "
                         f"first start ({first_does}) {first:.2f} s")
    return process


def measure_loupa(stage, result, settings):
    """Loupa's rows; settings go into its file after the first start, which
    wrote the defaults."""
    env = stage.env
    reset_state(env.prefix)
    result.wine = True

    def start():
        loupa = LoupaProcess(env.prefix, env.display, "bench",
                             log_path=env.work_dir / "loupa.log")
        started = time.monotonic()
        loupa.start()
        wait_until(lambda: env.windows.tray() or not loupa.running(), START_TIMEOUT,
                   interval=0.01, message="Loupa's icon in the Wine System Tray",
                   ignore=(RuntimeError,))
        if not loupa.running():
            raise RuntimeError(f"Loupa ended at start:\n{loupa.log_text()}")
        return loupa, time.monotonic() - started

    def stop(loupa):
        loupa.stop()
        # Wine's tray drops the icons of an ended process at once.
        wait_until(lambda: env.windows.tray() is None, 10, message="the tray to empty",
                   ignore=(RuntimeError,))

    # The first start writes setting.ini and the start-up shortcut; the
    # figure is that of the later ones, the start a user meets every day.
    loupa = timed_starts(result, start, stop, "writes the settings and the shortcut")
    print(f"  start to tray icon: {result.start_seconds:.2f} s ({result.start_note})", flush=True)
    if settings:
        # Kept in memory, and taken up within a second of the edit.
        path = appdata_settings(env.prefix)
        stored = dict(ini.keys_of(path))
        stored.update(settings)
        ini.write_profile(path, {"DEFAULT": list(stored.items())})

    def zoom_window():
        return [w for w in env.windows.visible_of(loupa.pid) if w.width >= 1900]

    groups = {"program": lambda: [loupa.pid], "X": lambda: [stage.x_server_pid],
              "wineserver": stage.wineserver_pids,
              "wine other": lambda: stage.other_wine_pids(loupa.pid)}
    try:
        env.input.click(1, *PARK)  # the focus to a Wine window: hot keys need it
        env.input.key("super+alt+apostrophe")
        wait_until(zoom_window, 10, message="the zoom window", ignore=(RuntimeError,))
        time.sleep(SETTLE)
        result.phases["zoomed moving"] = (stage.phase("zoomed, pointer moving", True, groups),
                                          stage.baselines["moving"])
        result.phases["zoomed still"] = (stage.phase("zoomed, pointer still", False, groups),
                                         stage.baselines["still"])
        stage.screenshot(f"{result.name}-zoomed")
        env.input.key("Escape")
        wait_until(lambda: not zoom_window(), 10, message="the zoom window to hide",
                   ignore=(RuntimeError,))
        time.sleep(SETTLE)
        result.phases["hidden moving"] = (stage.phase("hidden, pointer moving", True, groups),
                                          stage.baselines["moving"])
        result.phases["hidden still"] = (stage.phase("hidden, pointer still", False, groups),
                                         stage.baselines["still"])
        result.peak_rss_mb = {"Loupa.exe": procstat.peak_rss_mb(loupa.pid)}
        for pid in stage.wineserver_pids():
            result.peak_rss_mb["wineserver"] = procstat.peak_rss_mb(pid)
    finally:
        loupa.stop()
        reset_state(env.prefix)


def measure_floor(stage, result):
    """Wine's floor: LoupaBenchFloor.exe, a minimal magnifier under the same
    Wine, zoomed from its start."""
    env = stage.env
    result.wine = True
    if not floor_exe().exists():
        raise RuntimeError(f"{floor_exe()} not built")

    def start():
        process = LoupaProcess(env.prefix, env.display, "bench-floor",
                               file_name=floor_exe().name, exe=floor_exe(),
                               log_path=env.work_dir / "floor.log")
        started = time.monotonic()
        process.start()
        wait_until(lambda: zoom_window_of(process) or not process.running(), START_TIMEOUT,
                   interval=0.01, message="the floor's window", ignore=(RuntimeError,))
        if not process.running():
            raise RuntimeError(f"the floor ended at start:\n{process.log_text()}")
        return process, time.monotonic() - started

    def zoom_window_of(process):
        return [w for w in env.windows.visible_of(process.pid) if w.width >= 1900]

    floor, result.start_seconds = start()
    result.start_note = "one start"
    groups = {"program": lambda: [floor.pid], "X": lambda: [stage.x_server_pid],
              "wineserver": stage.wineserver_pids,
              "wine other": lambda: stage.other_wine_pids(floor.pid)}
    try:
        time.sleep(SETTLE)
        result.phases["zoomed moving"] = (stage.phase("zoomed, pointer moving", True, groups),
                                          stage.baselines["moving"])
        result.phases["zoomed still"] = (stage.phase("zoomed, pointer still", False, groups),
                                         stage.baselines["still"])
        stage.screenshot(f"{result.name}-zoomed")
        result.peak_rss_mb = {floor_exe().name: procstat.peak_rss_mb(floor.pid)}
    finally:
        floor.stop()


# ---- peers ---------------------------------------------------------------------
@dataclass
class Peer:
    name: str
    how: str
    command: list
    window: dict  # how Windows.search finds the window that shows the zoom
    files: dict = field(default_factory=dict)  # path under HOME -> content


PEERS = [
    Peer("xzoom", "xzoom -mag 4 -geometry 1920x1080+0+0 -delay 50 (fixed source area)",
         ["xzoom", "-mag", str(RATE), "-geometry", "1920x1080+0+0", "-delay", str(PERIOD_MS)],
         {"name": "^xzoom"}),  # no WM_CLASS
    Peer("kmag", "kmagrc: Geometry=1920,1080 ZoomIndex=6 (4x) FPSIndex=4 (25/s: 15 or 25 "
         "offered) Mode=followmouse",
         ["kmag"], {"res_class": "^kmag$"},
         {".config/kmagrc": "[General Options]\nGeometry=1920,1080\nZoomIndex=6\n"
                            "FPSIndex=4\nMode=followmouse\nStaysOnTop=true\n"}),
    # xSquare and Square are the lens's width and height.
    Peer("vmg", "~/.magnifier.ini: iMagnification=4, xSquare=1920 Square=1056 (lens around "
         "the pointer)",
         ["vmg"], {"res_class": "^vmg$"},
         {".magnifier.ini": "[General]\niMagnification=4\nxSquare=1920\nSquare=1056\n"
                            "ShowWhenExecuted=1\nFirstRun=0\n"}),
]


def peer_env(stage, peer):
    home = stage.env.work_dir / f"{peer.name}-home"
    shutil.rmtree(home, ignore_errors=True)
    for relative, content in peer.files.items():
        path = home / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(content)
    runtime = home / "runtime"
    runtime.mkdir(parents=True, exist_ok=True)
    runtime.chmod(0o700)
    env = stage.env.display.env()
    env.update(HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
               XDG_RUNTIME_DIR=str(runtime))
    return env


def measure_peer(stage, peer, result):
    env = stage.env

    def mapped():
        ids = env.windows.search(visible_only=True, **peer.window)
        return [w for w in (env.windows.info(i) for i in ids) if w and w.viewable]

    def start():
        process_env = peer_env(stage, peer)
        started = time.monotonic()
        process = OwnedProcess(peer.command, env.work_dir / f"{peer.name}.log", env=process_env)
        wait_until(lambda: mapped() or not process.running(), START_TIMEOUT, interval=0.01,
                   message=f"a window of {peer.name}", ignore=(RuntimeError,))
        if not process.running():
            raise RuntimeError(f"{peer.name} ended at start:\n{process.log_text()}")
        return process, time.monotonic() - started

    def stop(process):
        process.stop()
        wait_until(lambda: not mapped(), 10, message=f"the window of {peer.name} to go",
                   ignore=(RuntimeError,))

    # As for Loupa, the later starts count: libraries in the page cache.
    process = timed_starts(result, start, stop, "cold caches")
    print(f"  start to window mapped: {result.start_seconds:.2f} s ({result.start_note})",
          flush=True)
    try:
        groups = {"program": lambda: procstat.descendants(process.pid),
                  "X": lambda: [stage.x_server_pid]}
        time.sleep(SETTLE)
        result.phases["zoomed moving"] = (stage.phase("zoomed, pointer moving", True, groups),
                                          stage.baselines["moving"])
        result.phases["zoomed still"] = (stage.phase("zoomed, pointer still", False, groups),
                                         stage.baselines["still"])
        stage.screenshot(f"{peer.name}-zoomed")
        result.peak_rss_mb = {peer.name: sum(procstat.peak_rss_mb(pid) or 0
                                             for pid in procstat.descendants(process.pid))}
    finally:
        process.stop()


def install_peers():
    def installed(package):
        done = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package],
                              capture_output=True, text=True)
        return done.stdout.strip() == "install ok installed"

    missing = [p for p in PEER_PACKAGES if not installed(p)]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 or not shutil.which("sudo") else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    log = OUT_DIR / "apt.log"
    print(f"installing the peers: {' '.join(missing)} (log: {log})", flush=True)
    install = [*sudo, "apt-get", "install", "-y", "-q", "--no-install-recommends", *missing]
    with open(log, "w") as out:
        if subprocess.run(install, env=env, stdout=out, stderr=subprocess.STDOUT).returncode:
            subprocess.run([*sudo, "apt-get", "update", "-q"], env=env, stdout=out,
                           stderr=subprocess.STDOUT)
            subprocess.run(install, env=env, stdout=out, stderr=subprocess.STDOUT, check=True)


def run_tick_bench(samples):
    exe = tick_bench_exe()
    if not exe.exists():
        return f"{exe} not built (cmake --build build/win --target LoupaTickBench)\n"
    with Stage("tick", 0) as stage:
        log = stage.env.work_dir / "tick-bench.log"
        stage.target.stop()  # the window alone on the display
        code = stage.env.prefix.run([str(exe), str(samples)], log, stage.env.display,
                                    timeout=600)
        text = log.read_text(errors="replace")
        if code != 0:
            text += f"\n(LoupaTickBench.exe exit code {code})\n"
        return text


# ---- the report ---------------------------------------------------------------
def fmt(value, digits=3, width=8):
    if value is None:
        return f"{'-':>{width}}"
    return f"{value:>{width}.{digits}f}"


def report(results, tick_text, options, context):
    lines = []
    add = lines.append
    add(f"Loupa benchmark, {context['date']}")
    add(f"machine: {context['cpu']}, {context['cores']} cores, load average before "
        f"{context['load_before']}, after {context['load_after']}; {context['wine']}")
    add(f"scene: Xvfb 1920x1080x24 + openbox, LoupaTestTarget noise over {TARGET_RECT} "
        f"(left, top, right, bottom); "
        f"{RATE}x; pointer moved every {int(POINTER_PERIOD * 1000)} ms along a fixed path "
        f"or parked; {options.seconds:g} s per phase, {options.rounds} round(s)")
    add("CPU: CPU-seconds per second (1.000 = one core busy): the program, plus for Loupa "
        "the wineserver, plus the X server, servers counted above their baseline (scene "
        "alone, same pointer motion)")
    add("")
    header = (f"{'program':<8} {'start s':>8} {'zoomed':>8} {'frames/s':>8} {'MP/frame':>8} "
              f"{'ms/MP/fr':>8} {'still':>8} {'hidden':>8} {'hid.still':>9} {'peak RSS MB':>12}")
    add(header)
    add("-" * len(header))
    for r in results:
        if r.error:
            add(f"{r.name:<8} failed: {r.error}")
            continue
        moving = r.phases.get("zoomed moving", (None,))[0]
        rss = " + ".join(f"{v:.0f}" for v in r.peak_rss_mb.values() if v is not None)
        add(f"{r.name:<8} {fmt(r.start_seconds, 2)} {fmt(r.total('zoomed moving'))} "
            f"{fmt(moving.fps if moving else None, 1)} "
            f"{fmt(moving.megapixels_per_frame if moving else None, 2)} "
            f"{fmt(r.ms_per_mp_frame('zoomed moving'), 2)} {fmt(r.total('zoomed still'))} "
            f"{fmt(r.total('hidden moving'))} {fmt(r.total('hidden still'), 3, 9)} "
            f"{rss:>12}")
    add("")
    add("zoomed: CPU per zoomed second, pointer moving; still: zoomed, pointer parked; "
        "hidden / hid.still: Loupa resident with the zoom cancelled (idle), pointer moving / "
        "parked; ms/MP/fr: ms of CPU per output megapixel per frame; start: to the tray icon "
        "(Loupa) or to the window mapped (peers); peak RSS: VmHWM (Loupa: Loupa.exe + "
        "wineserver, Linux RSS that counts Wine's own libraries)")
    add("")
    add("How each ran, and the parts of the CPU figures (CPU-s/s; servers raw / baseline):")
    for r in results:
        add(f"  {r.name}: {r.how}")
        if r.rounds:
            figures = ", ".join("failed" if v is None else f"{v:.3f}" for v in r.rounds)
            add(f"    zoomed CPU-s/s by round: {figures}; the median round is shown")
        if r.start_seconds is not None:
            add(f"    start-up {r.start_seconds:.2f} s ({r.start_note})")
        for key, (phase, baseline) in r.phases.items():
            parts = [f"program {phase.per_second('program'):.3f}"]
            for group in ("X", "wineserver", "wine other"):
                if group in phase.cpu:
                    parts.append(f"{group} {phase.per_second(group):.3f}/"
                                 f"{baseline.per_second(group):.3f}")
            add(f"    {key:<14} " + ", ".join(parts) +
                f"; {phase.fps:.1f} frames/s of {phase.megapixels_per_frame:.2f} MP")
            busy = sorted(phase.by_name.get("wine other", {}).items(), key=lambda kv: -kv[1])
            busy = [f"{name} {used / phase.seconds:.3f}" for name, used in busy if used > 0]
            if busy:
                add(f"    {'':<14} wine other: " + ", ".join(busy[:4]))
    add("")
    loupa = next((r for r in results if r.name == "loupa" and not r.error), None)
    peers = [r for r in results if r.name not in LOUPA_VARIANTS and r.name != FLOOR
             and not r.error and r.total("zoomed moving") is not None]
    if loupa and peers and "zoomed moving" in loupa.phases:
        best = min(peers, key=lambda r: r.total("zoomed moving"))
        mine = loupa.total("zoomed moving")
        add(f"Goal, CPU per zoomed second at or below the best peer's: Loupa "
            f"{mine:.3f}, best peer {best.name} {best.total('zoomed moving'):.3f}: "
            f"{'met' if mine <= best.total('zoomed moving') else 'NOT met'}")
        rated = [r for r in peers if r.ms_per_mp_frame("zoomed moving")]
        if rated and loupa.ms_per_mp_frame("zoomed moving"):
            best_rate = min(rated, key=lambda r: r.ms_per_mp_frame("zoomed moving"))
            add(f"  per output megapixel and frame: Loupa "
                f"{loupa.ms_per_mp_frame('zoomed moving'):.2f} ms, best peer "
                f"{best_rate.name} {best_rate.ms_per_mp_frame('zoomed moving'):.2f} ms")
    floor = next((r for r in results if r.name == FLOOR and not r.error), None)
    if loupa and floor and loupa.total("zoomed moving") and floor.total("zoomed moving"):
        ratio = loupa.total("zoomed moving") / floor.total("zoomed moving")
        add(f"Goal, zoomed with the pointer moving at most {FLOOR_ALLOWANCE:.2f}x Wine's floor: "
            f"Loupa {loupa.total('zoomed moving'):.3f}, floor "
            f"{floor.total('zoomed moving'):.3f} CPU-s/s: {ratio:.2f}x: "
            f"{'met' if ratio <= FLOOR_ALLOWANCE else 'NOT met'}")
    xzoom = next((r for r in results if r.name == "xzoom" and not r.error), None)
    if loupa and xzoom and loupa.total("zoomed still") is not None and xzoom.total("zoomed still"):
        ratio = loupa.total("zoomed still") / xzoom.total("zoomed still")
        add(f"Goal, zoomed with the pointer still at most {STILL_AGAINST_XZOOM:.2f}x xzoom: "
            f"Loupa {loupa.total('zoomed still'):.3f}, xzoom {xzoom.total('zoomed still'):.3f} "
            f"CPU-s/s: {ratio:.2f}x: {'met' if ratio <= STILL_AGAINST_XZOOM else 'NOT met'}")
    reading = next((r for r in results if r.name == "loupa-reading" and not r.error), None)
    if loupa and reading:
        for key, pointer in (("zoomed moving", "moving"), ("zoomed still", "still")):
            plain, with_all = loupa.total(key), reading.total(key)
            if plain is None or with_all is None:
                continue
            more = (with_all - plain) / plain if plain > 0 else 0.0
            add(f"Goal, the three reading options on cost at most "
                f"{READING_ALLOWANCE:.0%} more CPU while zoomed, pointer {pointer}: "
                f"{with_all:.3f} against {plain:.3f} CPU-s/s ({more:+.1%}): "
                f"{'met' if more <= READING_ALLOWANCE else 'NOT met'}")
    if loupa and "zoomed moving" in loupa.phases and not loupa.phases["zoomed moving"][0].fps:
        add("WARNING: Loupa drew no frame while the pointer moved: its view did not follow "
            "the pointer, and its zoomed figures are not comparable")
    if loupa and "hidden still" in loupa.phases:
        for key, pointer in (("hidden still", "still"), ("hidden moving", "moving")):
            phase, baseline = loupa.phases[key]
            add(f"Goal, zero CPU while hidden, pointer {pointer}: Loupa.exe "
                f"{phase.cpu['program']:.2f} CPU-s in {phase.seconds:g} s, wineserver "
                f"{phase.cpu['wineserver']:.2f} (scene alone {baseline.cpu['wineserver']:.2f}), "
                f"X server {phase.cpu['X']:.2f} (scene alone {baseline.cpu['X']:.2f})")
        add(f"  (/proc counts in steps of {1 / procstat.CLOCK_TICKS:.2f} s; with the pointer "
            f"moving the mouse hook runs at every event)")
    add("")
    add("Inside a Wine-tier build (LoupaTickBench.exe, the real zoom window and hook "
        "procedure; one tick is SendMessage WM_TIMER 1):")
    add(tick_text.rstrip())
    return "\n".join(lines) + "\n"


def context_info():
    cpu = "unknown CPU"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              timeout=30).stdout.strip()
    except (OSError, subprocess.TimeoutExpired):
        wine = "wine version unknown"
    return {"date": time.strftime("%Y-%m-%d %H:%M:%S"), "cpu": cpu, "cores": os.cpu_count(),
            "load_before": " ".join(f"{x:.2f}" for x in os.getloadavg()), "wine": wine,
            "kernel": platform.release()}


def measure_program(name, peers, options):
    if name == FLOOR:
        result = Result(name, f"{floor_exe().name} under Wine: one snapshot of the monitor, "
                        f"stretched {RATE}x around the pointer into a top-most click-through "
                        f"window at a {PERIOD_MS} ms tick when the pointer has moved")
    elif name in LOUPA_VARIANTS:
        settings = ", ".join(f"{k}={v}" for k, v in LOUPA_VARIANTS[name].items())
        result = Result(name, f"{loupa_exe().name} under Wine, screen copy from a "
                        f"snapshot; zoom by Alt+Super+' (4x, {PERIOD_MS} ms ticks), "
                        f"hidden by Escape; the target's line to type into has the focus"
                        + (f"; {settings}" if settings else ""))
    else:
        result = Result(name, peers[name].how)
        if not shutil.which(peers[name].command[0]):
            result.error = f"{peers[name].command[0]} is not installed"
            return result
    try:
        with Stage(name, options.seconds, edit=name in LOUPA_VARIANTS) as stage:
            stage.measure_baselines()
            if name == FLOOR:
                measure_floor(stage, result)
            elif name in LOUPA_VARIANTS:
                measure_loupa(stage, result, LOUPA_VARIANTS[name])
            else:
                measure_peer(stage, peers[name], result)
    except (RuntimeError, WaitTimeout, OSError) as error:
        result.error = str(error).splitlines()[0]
        print(f"  failed: {error}", flush=True)
    return result


def median_round(results):
    """The round with the median CPU per zoomed second (the lower middle one
    of an even count), with every round's figure noted beside it."""
    done = [r for r in results if not r.error and r.total("zoomed moving") is not None]
    if not done:
        return results[0]
    done.sort(key=lambda r: r.total("zoomed moving"))
    chosen = done[(len(done) - 1) // 2]
    if len(results) > 1:
        chosen.rounds = [None if r.error or r.total("zoomed moving") is None
                         else r.total("zoomed moving") for r in results]
    return chosen


def main(argv):
    stop_on_sigterm()
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=10,
                        help="length of every measured phase (default 10)")
    parser.add_argument("--programs", default="loupa,loupa-reading,floor,xzoom,kmag,vmg",
                        help="comma-separated, in this order by default")
    parser.add_argument("--tick-samples", type=int, default=1000,
                        help="samples per row of LoupaTickBench.exe (0: skip it)")
    parser.add_argument("--rounds", type=int, default=3,
                        help="measurements of every program, interleaved; the median "
                             "round is reported (default 3)")
    parser.add_argument("--no-install", action="store_true",
                        help="do not install missing peers (they are left out)")
    options = parser.parse_args(argv)

    OUT_DIR.mkdir(parents=True, exist_ok=True)
    wanted = [p.strip() for p in options.programs.split(",") if p.strip()]
    peers = {p.name: p for p in PEERS}
    unknown = [p for p in wanted if p not in LOUPA_VARIANTS and p not in peers and p != FLOOR]
    if unknown:
        parser.error(f"unknown programs: {', '.join(unknown)}")
    if any(p in peers for p in wanted) and not options.no_install:
        install_peers()
    context = context_info()

    # Rounds are interleaved, so that a change in the machine's load reaches
    # every program alike; each program is reported by its median round.
    rounds = {name: [] for name in wanted}
    for round_number in range(1, options.rounds + 1):
        for name in wanted:
            print(f"{name}" + (f", round {round_number}" if options.rounds > 1 else "") + ":",
                  flush=True)
            rounds[name].append(measure_program(name, peers, options))
    results = [median_round(rounds[name]) for name in wanted]

    tick_text = ""
    if options.tick_samples > 0:
        print("LoupaTickBench.exe:", flush=True)
        tick_text = run_tick_bench(options.tick_samples)
    context["load_after"] = " ".join(f"{x:.2f}" for x in os.getloadavg())

    text = report(results, tick_text, options, context)
    (OUT_DIR / "results.txt").write_text(text)
    raw = {"context": context, "seconds": options.seconds, "results": [
        {"name": r.name, "how": r.how, "start_seconds": r.start_seconds,
         "start_note": r.start_note, "error": r.error, "peak_rss_mb": r.peak_rss_mb,
         "zoomed_by_round": r.rounds,
         "phases": {key: {"cpu": phase.cpu, "baseline_cpu": baseline.cpu,
                          "seconds": phase.seconds, "frames": len(phase.frame_pixels),
                          "mp_per_frame": phase.megapixels_per_frame,
                          "total_cpu_per_s": r.total(key)}
                    for key, (phase, baseline) in r.phases.items()}}
        for r in results], "tick_bench": tick_text}
    (OUT_DIR / "results.json").write_text(json.dumps(raw, indent=1, ensure_ascii=False))
    print("\n" + text, end="")
    print(f"saved to {OUT_DIR / 'results.txt'}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
