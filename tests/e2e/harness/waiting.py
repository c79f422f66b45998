"""Polling with deadlines: the only way the harness waits for anything."""

import os
import time


class WaitTimeout(AssertionError):
    """A condition did not come true before its deadline."""


def scaled(seconds):
    """Deadlines grow on slow machines through $LOUPA_E2E_TIMEOUT_SCALE."""
    return seconds * float(os.environ.get("LOUPA_E2E_TIMEOUT_SCALE", "1"))


def wait_until(condition, timeout=10.0, interval=0.05, message=None, ignore=()):
    """Polls condition() until it returns a true value, which is returned.

    Exceptions of the types in ignore count as "not yet" (a file being
    written, a window that vanished between two calls). Raises WaitTimeout
    with message once the deadline has passed (a callable message is asked
    then, so it can tell what was last seen); the condition is always
    evaluated at least once after the deadline, so a slow poll cannot turn a
    met condition into a failure.
    """
    deadline = time.monotonic() + scaled(timeout)
    last_error = None
    while True:
        expired = time.monotonic() >= deadline
        try:
            value = condition()
        except ignore as error:
            value, last_error = None, error
        if value:
            return value
        if expired:
            what = (message() if callable(message) else message) or \
                getattr(condition, "__name__", "condition")
            detail = f" (last error: {last_error!r})" if last_error else ""
            raise WaitTimeout(f"timed out after {scaled(timeout):.1f} s waiting for {what}{detail}")
        time.sleep(interval)


def holds(condition, duration, interval=0.05):
    """True when condition() stays true for the whole duration.

    Used to observe that something does not happen (a window never shows);
    it is an observation window, not a wait for a state. It stretches with
    the deadlines: on a slow machine what should not happen takes as much
    longer to show.
    """
    end = time.monotonic() + scaled(duration)
    while True:
        if not condition():
            return False
        if time.monotonic() >= end:
            return True
        time.sleep(interval)
