"""Where the harness finds the program and keeps its files."""

import os
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[3]
BUILD_DIR = REPO_ROOT / "build"
ARTIFACTS_DIR = BUILD_DIR / "e2e-artifacts"
WORK_DIR = BUILD_DIR / "e2e-work"
SCREENSHOTS_DIR = BUILD_DIR / "screenshots"


def loupa_exe():
    """The Loupa.exe under test: $LOUPA_EXE, else the cross build's."""
    return Path(os.environ.get("LOUPA_EXE") or BUILD_DIR / "win" / "Loupa.exe").resolve()


def test_target_exe():
    """The test target window program: $LOUPA_TEST_TARGET, else the cross
    build's LoupaTestTarget.exe."""
    return Path(os.environ.get("LOUPA_TEST_TARGET")
                or BUILD_DIR / "win" / "LoupaTestTarget.exe").resolve()


def probe_exe():
    """LoupaProbe.exe, which reads windows from outside: $LOUPA_PROBE, else
    the cross build's."""
    return Path(os.environ.get("LOUPA_PROBE") or BUILD_DIR / "win" / "LoupaProbe.exe").resolve()


def wineprefix_dir():
    """The cached Wine prefix: $LOUPA_WINEPREFIX, else build/wineprefix."""
    return Path(os.environ.get("LOUPA_WINEPREFIX") or BUILD_DIR / "wineprefix").resolve()


def magnification_standin():
    """The tests' stand-in for the system's Magnification.dll:
    $LOUPA_MAGNIFICATION_STANDIN, else the cross build's."""
    return Path(os.environ.get("LOUPA_MAGNIFICATION_STANDIN")
                or BUILD_DIR / "win" / "tests" / "win" / "MagnificationStandIn.dll").resolve()
