"""The stand-in Magnification.dll (tests/magnification): put into the
prefix's system folder for the cases that take the Magnification API path,
and the log of the calls it was given, read back.

Each line of the log is a name and key=value fields: the calls
("MagSetWindowSource window=0x2004c rect=750,375,1230,645 captured=0
result=1"), "attach module=...", "detach freed=1" (freed by FreeLibrary;
0 when the process ended with it loaded) and the magnifier windows'
"create", "size" and "destroy"."""

import shutil
from typing import NamedTuple

from .paths import magnification_standin

LOG_VARIABLE = "MAGNIFICATION_STANDIN_LOG"
# "fail": MagInitialize fails; "no-class": it succeeds without registering
# the "Magnifier" window class.
INITIALIZE_VARIABLE = "MAGNIFICATION_STANDIN_INITIALIZE"
CALLED = ("MagInitialize", "MagUninitialize", "MagSetWindowSource", "MagGetWindowSource",
          "MagSetWindowTransform", "MagGetWindowTransform", "MagSetWindowFilterList",
          "MagGetWindowFilterList", "MagSetImageScalingCallback", "MagGetImageScalingCallback",
          "MagSetColorEffect", "MagGetColorEffect")


def system_copy(prefix):
    return prefix.drive_c / "windows" / "system32" / "Magnification.dll"


def install(prefix):
    standin = magnification_standin()
    if not standin.is_file():
        raise FileNotFoundError(f"{standin} is missing: build the target MagnificationStandIn")
    shutil.copy2(standin, system_copy(prefix))


def remove(prefix):
    system_copy(prefix).unlink(missing_ok=True)


class Call(NamedTuple):
    name: str
    fields: dict

    def rect(self):
        return tuple(int(v) for v in self.fields["rect"].split(","))

    def matrix(self):
        return [float(v) for v in self.fields["matrix"].split(",")]

    def size(self, key="size"):
        """A WxH field as (w, h)."""
        return tuple(int(v) for v in self.fields[key].split("x"))


def parse_calls(text):
    """The calls of a log's complete lines."""
    calls = []
    for line in text.split("\n")[:-1]:
        name, *fields = line.split(" ")
        calls.append(Call(name, dict(f.split("=", 1) for f in fields if "=" in f)))
    return calls


def read_calls(path, name=None):
    """The logged calls, of one name if given; none while there is no log."""
    try:
        text = path.read_text(errors="replace")
    except FileNotFoundError:
        return []
    return [c for c in parse_calls(text) if name is None or c.name == name]


def scale_matrix(rate):
    """MAGTRANSFORM of a pure scale, row by row, in single precision as
    logged (%g)."""
    r = float(f"{rate:g}")
    return [r, 0.0, 0.0, 0.0, r, 0.0, 0.0, 0.0, 1.0]


def rates_set(calls):
    """The rates of the MagSetWindowTransform calls, in order, each repeat of
    the one before left out; a matrix that is not a pure scale fails."""
    rates = []
    for call in calls:
        if call.name != "MagSetWindowTransform":
            continue
        matrix = call.matrix()
        rate = matrix[0]
        if matrix != scale_matrix(rate):
            raise AssertionError(f"not a pure scale: {call}")
        if not rates or rates[-1] != rate:
            rates.append(rate)
    return rates
