"""Starting and ending the processes the harness owns, by PID only."""

import os
import signal
import subprocess

from .waiting import scaled


def run_tool(args, env=None, timeout=30, check=True):
    """Runs a short X or ImageMagick command and returns its stdout.

    Never used for wine, whose output must go to a file.
    """
    done = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=scaled(timeout))
    if check and done.returncode != 0:
        raise RuntimeError(f"{args[0]} failed ({done.returncode}): "
                           f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout.decode(errors="replace")


class OwnedProcess:
    """A background process whose output goes to a log file.

    stop() ends exactly this PID: SIGTERM, then SIGKILL if it does not go.
    """

    def __init__(self, args, log_path, env=None, cwd=None):
        self.args = list(args)
        self.log_path = log_path
        os.makedirs(os.path.dirname(log_path), exist_ok=True)
        with open(log_path, "ab") as log:
            self.popen = subprocess.Popen(self.args, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                          stdout=log, stderr=subprocess.STDOUT)
        self.pid = self.popen.pid

    def running(self):
        return self.popen.poll() is None

    @property
    def returncode(self):
        return self.popen.poll()

    def wait(self, timeout):
        """The exit code, or None if the process still runs after timeout s."""
        try:
            return self.popen.wait(timeout=scaled(timeout))
        except subprocess.TimeoutExpired:
            return None

    def stop(self, grace=5.0, sig=signal.SIGTERM):
        if not self.running():
            return self.popen.returncode
        if sig is not None:
            os.kill(self.pid, sig)
            if self.wait(grace) is not None:
                return self.popen.returncode
        os.kill(self.pid, signal.SIGKILL)
        return self.popen.wait()

    def log_text(self):
        try:
            with open(self.log_path, "rb") as log:
                return log.read().decode(errors="replace")
        except FileNotFoundError:
            return ""
