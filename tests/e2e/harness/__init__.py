"""Test harness for Loupa.exe under Wine on a virtual X display.

Pieces, usable on their own:
  display      VirtualDisplay (Xvfb + openbox), DualMonitorDisplay (Xephyr)
  wine         WinePrefix (cached, fonts linked), WineSession (wineserver -p/-k)
  loupa        LoupaProcess, the settings and shortcut locations, reset_state
  xinput       Input: pointer, buttons, wheel and keys through xdotool
  xwindows     Windows: window tree, map states, owners, Wine's tray
  images       screenshots, ImageMagick comparison, crops, pixels
  shelllink    .lnk parser
  ini          setting.ini reader and writer
  target       TestTarget: LoupaTestTarget.exe, its pattern window and input log
  waiting      wait_until / holds: polling with deadlines
  environment  Environment: display + prefix session + input + windows
  testcase     LoupaTestCase, the unittest base of the end-to-end tests
"""

from .display import DualMonitorDisplay, VirtualDisplay
from .environment import Environment
from .images import Image, blank, compare, crop, scale, screenshot
from .loupa import LoupaProcess, appdata_settings, reset_state, settings_dir, startup_shortcut
from .paths import (ARTIFACTS_DIR, BUILD_DIR, REPO_ROOT, SCREENSHOTS_DIR, WORK_DIR, loupa_exe,
                    test_target_exe)
from .target import TestTarget
from .testcase import LoupaTestCase, main
from .waiting import WaitTimeout, holds, wait_until
from .wine import WinePrefix, WineSession
from .xinput import Input
from .xwindows import PopupMenu, Windows, WineTray, XWindow
