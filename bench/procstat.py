"""CPU time and memory of processes, read from /proc."""

import os

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def _stat_fields(pid):
    """The fields of /proc/<pid>/stat after the command name (which may hold
    spaces and parentheses): state is [0], ppid [1], utime [11], stime [12]."""
    with open(f"/proc/{pid}/stat", "rb") as stat:
        text = stat.read().decode(errors="replace")
    return text[text.rindex(")") + 2:].split()


def cpu_seconds(pid):
    """User plus system CPU time of a process (all its threads) so far; None
    once it is gone."""
    try:
        fields = _stat_fields(pid)
    except (OSError, ValueError):
        return None
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def parent_of(pid):
    try:
        return int(_stat_fields(pid)[1])
    except (OSError, ValueError):
        return None


def status_kb(pid, key):
    """A "kB" line of /proc/<pid>/status (VmHWM: peak resident set, VmRSS:
    resident set now); None when the process or the line is missing."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def peak_rss_mb(pid):
    kb = status_kb(pid, "VmHWM")
    return None if kb is None else kb / 1024


def all_pids():
    return [int(name) for name in os.listdir("/proc") if name.isdigit()]


def comm(pid):
    try:
        with open(f"/proc/{pid}/comm") as name:
            return name.read().strip()
    except OSError:
        return None


def descendants(root):
    """root and every process below it."""
    parents = {pid: parent_of(pid) for pid in all_pids()}
    family = {root}
    grew = True
    while grew:
        grew = False
        for pid, parent in parents.items():
            if parent in family and pid not in family:
                family.add(pid)
                grew = True
    return sorted(pid for pid in family if pid in parents)


def wine_processes(prefix_path):
    """{pid: name} of every process that runs on the Wine prefix (its
    environment names it), the wineserver included."""
    wanted = f"WINEPREFIX={prefix_path}".encode()
    found = {}
    for pid in all_pids():
        try:
            with open(f"/proc/{pid}/environ", "rb") as environ:
                if wanted in environ.read().split(b"\0"):
                    found[pid] = comm(pid)
        except OSError:
            continue
    return found


class CpuMeter:
    """CPU seconds of named groups of processes over an interval. A group is
    a function returning its PIDs, asked at the start; a process that ends
    inside the interval counts up to its last reading at the start."""

    def __init__(self, groups):
        self.groups = groups
        self._start = None
        self._names = {}
        # After stop(): {group: {process name: CPU seconds}}, for the report.
        self.by_name = {}

    def start(self):
        self._start = {}
        for name, pids in self.groups.items():
            self._start[name] = {pid: cpu_seconds(pid) for pid in pids()}
            self._names.update({pid: comm(pid) for pid in self._start[name]})
        return self

    def stop(self):
        """{group: CPU seconds used since start()}."""
        used = {}
        for group, readings in self._start.items():
            total = 0.0
            names = {}
            for pid, before in readings.items():
                after = cpu_seconds(pid)
                if before is not None and after is not None:
                    total += after - before
                    name = self._names.get(pid) or str(pid)
                    names[name] = names.get(name, 0.0) + after - before
            used[group] = total
            self.by_name[group] = names
        return used
