"""Test harness for Loupa.exe under Wine on a virtual X display.

Pieces, usable on their own:
  display      VirtualDisplay (Xvfb + openbox), DualMonitorDisplay (Xephyr)
  wine         WinePrefix (cached, fonts linked), WineSession (wineserver -p/-k)
  loupa        LoupaProcess, the settings and shortcut locations, reset_state
  xinput       Input: pointer, buttons, wheel and keys through xdotool
  xwindows     Windows: window tree, map states, owners, Wine's tray, menus
  xevents      MapRecorder: every window shown, from X events
  images       screenshots, ImageMagick comparison, crops, pixels
  shelllink    .lnk parser
  ini          setting.ini reader and writer
  rects        screen rectangles: size, offset, intersection
  waiting      wait_until / holds: polling with deadlines
  environment  Environment: display + prefix session + input + windows
  target       TestTarget: the window to zoom over and send input to, its input log
  probe        Probe: LoupaProbe.exe, reads windows from outside, renders reference text
  pattern      the test target's picture: cell colours, measured magnification
  zoomview     ZoomView: the zoom window's caption and magnification on screen
  magnification  the stand-in Magnification.dll: installed, and its call log read
  sheet        SettingsSheet: the settings sheet found, read and driven
  testcase     LoupaTestCase, the unittest base of the end-to-end tests
"""

from .display import DualMonitorDisplay, VirtualDisplay
from .environment import Environment
from .images import Image, blank, compare, crop, negate, scale, screenshot
from .loupa import LoupaProcess, appdata_settings, reset_state, settings_dir, startup_shortcut
from .paths import (ARTIFACTS_DIR, BUILD_DIR, REPO_ROOT, SCREENSHOTS_DIR, WORK_DIR, loupa_exe,
                    probe_exe, test_target_exe)
from .probe import Probe
from .sheet import SettingsSheet
from .target import TestTarget
from .testcase import LoupaTestCase, main
from .waiting import WaitTimeout, holds, wait_until
from .wine import WinePrefix, WineSession
from .xevents import MapRecorder
from .xinput import Input
from .xwindows import PopupMenu, Windows, WineTray, XWindow
from .zoomview import ZoomView
