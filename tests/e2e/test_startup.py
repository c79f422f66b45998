#!/usr/bin/python3
"""Loupa's start-up as a user meets it: the settings file and the start-up
shortcut it makes, a welcome balloon at the very first start, one instance
per file name (a second start shows the running one's settings), and
nothing on screen but the notification-area icon."""

import re
import subprocess
import unittest

import harness
from harness import ini, shelllink
from harness.loupa import appdata_settings, settings_dir, startup_shortcut
from harness.paths import loupa_exe

START = 30  # seconds for a start to show its effects, generous for a loaded machine
END = 15
BALLOON = 15  # Wine's tray shows a balloon 2 s after it was asked to
WELCOME = "Loupa は通知領域で動作しています。"


class StartUpTestCase(harness.LoupaTestCase):
    def settings_keys(self, path):
        """The keys of section DEFAULT once the file holds any."""
        return self.wait_until(lambda: ini.keys_of(path), START,
                               message=f"keys in {path}", ignore=(OSError,))

    def shortcut(self):
        """Loupa.lnk from the Startup folder, once it is complete."""
        path = startup_shortcut(self.prefix)
        return self.wait_until(lambda: shelllink.read(path), START,
                               message="Loupa.lnk in the Startup folder",
                               ignore=(OSError, shelllink.ShellLinkError))

    def assertShortcutTargets(self, link, loupa):
        self.assertEqual(link.description, "Loupa")
        # Windows paths compare without regard to case.
        self.assertEqual((link.target or "").lower(), loupa.windows_path.lower())


class StartUp_Settings(StartUpTestCase):
    def test_first_start_writes_auto_start_and_creates_shortcut(self):
        loupa = self.start_loupa(first_start=True)
        path = appdata_settings(self.prefix)

        keys = self.settings_keys(path)

        self.assertEqual(keys[0], ("AutoStartUp", "1"))
        # Loupa goes on writing keys: each write rewrites the whole file, so a
        # read may meet it empty for a moment.
        sections = self.wait_until(lambda: [name for name, _ in ini.read_profile(path)], START,
                                   message=f"sections of {path}", ignore=(OSError,))
        self.assertEqual(sections, ["DEFAULT"])
        # Written as the private-profile functions write: ANSI, CRLF, no BOM.
        head = self.wait_until(lambda: path.read_bytes()[:40], START,
                               message=f"the bytes of {path}", ignore=(OSError,))
        self.assertTrue(head.startswith(b"[DEFAULT]\r\nAutoStartUp=1\r\n"), head)
        self.assertShortcutTargets(self.shortcut(), loupa)
        self.assertFalse(loupa.settings_beside.exists())

        # The welcome says where Loupa lives and how it is used.
        names = self.probe.key_names(18, 222)
        zoom_in = f"Win + {names[18]} + {names[222]}"
        welcome = self.wait_until(lambda: [t for t in self.probe.tooltips() if WELCOME in t],
                                  BALLOON, message="the welcome balloon")
        self.assertEqual(welcome, [WELCOME + f"{zoom_in} でズームイン、Esc で解除します。"
                                   "アイコンをダブルクリックすると設定が開きます。"])

        # With the file there, the next start says nothing.
        loupa.stop()
        self.wait_until(lambda: not self.probe.tooltips(), BALLOON, message="the balloon to go")
        self.wait_resident(loupa.start())
        self.assertTrue(self.holds(lambda: not self.probe.tooltips(), 4.0), self.probe.tooltips())

    def test_auto_start_off_removes_the_shortcut_at_next_start(self):
        loupa = self.start_loupa()
        path = appdata_settings(self.prefix)
        keys = self.settings_keys(path)
        self.shortcut()
        loupa.stop()
        ini.write_profile(path, {"DEFAULT": [(k, "0" if k == "AutoStartUp" else v)
                                             for k, v in keys]})

        loupa.start()

        self.wait_until(lambda: not startup_shortcut(self.prefix).exists(), START,
                        message="Loupa.lnk to be removed")
        self.wait_resident(loupa)
        self.assertEqual(ini.keys_of(path)[0], ("AutoStartUp", "0"))

    def test_settings_beside_the_executable_are_used(self):
        loupa = self.loupa()
        loupa.settings_beside.write_bytes(b"")  # even an empty one

        loupa.start()

        self.assertEqual(self.settings_keys(loupa.settings_beside)[0], ("AutoStartUp", "1"))
        self.assertShortcutTargets(self.shortcut(), loupa)
        self.wait_resident(loupa)
        self.assertFalse(settings_dir(self.prefix).exists(),
                         "a settings folder was made in %APPDATA% although one lies "
                         "beside the executable")


class StartUp_ImportTable(unittest.TestCase):
    def test_imports_only_known_dlls_and_the_common_controls(self):
        # Known DLLs come from the system folder, the common controls through
        # the manifest; any other import is looked for beside Loupa.exe first.
        known = ("advapi32 clbcatq combase comdlg32 coml2 gdi32 gdiplus imagehlp imm32 kernel32 "
                 "msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi "
                 "shcore shell32 shlwapi user32 wldap32 ws2_32 comctl32").split()
        out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(loupa_exe())],
                             capture_output=True, text=True, check=True).stdout
        imports = {name.lower()[:-4] for name in re.findall(r"DLL Name: (\S+)", out)}
        self.assertIn("kernel32", imports)
        self.assertEqual(imports - set(known), set())


class StartUp_SingleInstance(StartUpTestCase):
    def assertEndsWithoutWindow(self, loupa):
        shown = []

        def ended():
            shown.extend(self.windows.visible_of(loupa.pid))
            return not loupa.running()

        self.wait_until(ended, END, message=f"{loupa.exe_path.name} (second instance) to end")
        self.assertEqual(shown, [], "the second instance showed windows")

    def test_second_start_shows_the_running_settings_and_ends(self):
        first = self.start_loupa()
        self.wait_resident(first)
        sheets = harness.SettingsSheet(self.env, self.probe)
        cases = [
            ("same executable", None),
            # The sheet is open by now: it is brought forward, not doubled.
            ("same file name in another folder", "elsewhere"),
        ]
        for name, folder in cases:
            with self.subTest(name):
                second = self.start_loupa(folder=folder)

                self.assertEndsWithoutWindow(second)

                sheets.wait_open()
                self.assertEqual(len(sheets.windows()), 1)
                if folder is None:
                    # Off Wine's tray, whose icons are counted.
                    sheets.move(first.pid, 760, 240)
                self.assertEqual(sheets.x_window(first.pid).name, "設定")
                self.assertTrue(first.running())
                self.assertEqual(self.tray_icon_count(), 1)

    def test_copy_under_another_name_runs_beside(self):
        first = self.start_loupa()
        self.wait_resident(first)

        other = self.start_loupa("LoupaCopy.exe")

        self.wait_resident(other, icons=2)
        self.assertTrue(first.running())


class StartUp_Resident(StartUpTestCase):
    def test_shows_no_window_but_the_tray_icon(self):
        loupa = self.start_loupa()
        self.wait_resident(loupa)

        tray = self.windows.tray()
        self.assertNotEqual(tray.window.pid, loupa.pid)  # the tray is Wine's
        self.assertEqual(self.windows.visible_of(loupa.pid), [])
        # The hidden main dialog must not flash up later either.
        self.assertTrue(self.holds(lambda: not self.windows.visible_of(loupa.pid), 1.0),
                        [str(w) for w in self.windows.visible_of(loupa.pid)])


if __name__ == "__main__":
    harness.main()
