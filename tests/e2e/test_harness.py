#!/usr/bin/python3
"""The harness itself: what the other end-to-end tests rely on seeing."""

import struct
import unittest

import harness
from harness import ini, shelllink
from harness.images import Image
from harness.target import parse_log, pattern_color
from harness.waiting import WaitTimeout, holds, wait_until

CLSID = bytes.fromhex("0114020000000000c000000000000046")


def link_bytes(flags, id_list=None, link_info=b"", strings=(), unicode=True):
    """A shell link laid out by hand after the format's description."""
    flags |= 0x80 if unicode else 0
    header = struct.pack("<I16sIIQQQIIIHHII", 0x4C, CLSID, flags, 0x20, 0, 0, 0, 0, 0, 1, 0,
                         0, 0, 0)
    assert len(header) == 0x4C
    body = b""
    if id_list is not None:
        body += struct.pack("<H", len(id_list)) + id_list
    body += link_info
    for text in strings:
        body += struct.pack("<H", len(text))
        body += text.encode("utf-16-le" if unicode else "cp1252")
    return header + body + b"\0\0\0\0"  # empty ExtraData


def link_info(base, suffix, base_unicode=None):
    """LinkInfo with a VolumeID and LocalBasePath (+ Unicode forms)."""
    header_size = 0x24 if base_unicode is not None else 0x1C
    volume = struct.pack("<IIII", 0x11, 3, 0x1234, 0x10) + b"\0"
    base_off = header_size + len(volume)
    tail = base.encode("cp1252") + b"\0"
    suffix_off = base_off + len(tail)
    tail += suffix.encode("cp1252") + b"\0"
    extra, offsets = b"", b""
    if base_unicode is not None:
        base_w_off = header_size + len(volume) + len(tail)
        extra = base_unicode.encode("utf-16-le") + b"\0\0"
        offsets = struct.pack("<II", base_w_off, 0)
    size = header_size + len(volume) + len(tail) + len(extra)
    head = struct.pack("<IIIIIII", size, header_size, 1, header_size, base_off, 0, suffix_off)
    return head + offsets + volume + tail + extra


class ShellLinkParser_Reads(unittest.TestCase):
    def test_fields_of_hand_made_links(self):
        cases = [
            ("unicode strings after an ID list",
             dict(flags=0x1 | 0x2 | 0x4 | 0x8, id_list=b"\x04\x00ab" + b"\0\0",
                  link_info=link_info("C:\\Programs\\", "Loupa.exe"),
                  strings=["Loupa", ".\\Loupa.exe"]),
             dict(target="C:\\Programs\\Loupa.exe", description="Loupa",
                  relative_path=".\\Loupa.exe")),
            ("ANSI strings, no ID list",
             dict(flags=0x2 | 0x4 | 0x20, link_info=link_info("D:\\a\\b.exe", ""),
                  strings=["caf\u00e9", "--x"], unicode=False),
             dict(target="D:\\a\\b.exe", description="caf\u00e9", arguments="--x")),
            ("Unicode LocalBasePath wins over the ANSI one",
             dict(flags=0x2 | 0x4, link_info=link_info("C:\\?\\", "", "C:\\\u30EB\\"),
                  strings=["\u30EB\u30FC\u30DA"]),
             dict(target="C:\\\u30EB\\", description="\u30EB\u30FC\u30DA")),
            ("every string, no LinkInfo",
             dict(flags=0x4 | 0x8 | 0x10 | 0x20 | 0x40, strings=["d", "r", "w", "a", "i"]),
             dict(target=None, description="d", relative_path="r", working_dir="w",
                  arguments="a", icon_location="i")),
        ]
        for name, layout, expected in cases:
            with self.subTest(name):
                link = shelllink.parse(link_bytes(**layout))
                for field, value in expected.items():
                    self.assertEqual(getattr(link, field), value, field)

    def test_rejects_what_is_not_a_whole_link(self):
        good = link_bytes(0x4, strings=["Loupa"])
        cases = [
            ("too short", good[:40]),
            ("wrong header size", b"\x4d" + good[1:]),
            ("wrong class id", good[:4] + b"\0" * 16 + good[20:]),
            ("string cut short", good[:0x4C + 2 + 4]),
            ("LinkInfo past the end",
             link_bytes(0x2, link_info=link_info("C:\\x", ""))[:0x4C + 20]),
        ]
        for name, data in cases:
            with self.subTest(name):
                with self.assertRaises(shelllink.ShellLinkError):
                    shelllink.parse(data)


class Waiting_Polls(unittest.TestCase):
    def test_returns_the_first_true_value(self):
        values = iter([0, None, "", "done", "later"])
        self.assertEqual(wait_until(lambda: next(values), timeout=5, interval=0), "done")

    def test_times_out_with_the_message(self):
        with self.assertRaisesRegex(WaitTimeout, "the moon"):
            wait_until(lambda: False, timeout=0.1, message="the moon")

    def test_ignored_errors_count_as_not_yet(self):
        calls = []

        def flaky():
            calls.append(1)
            if len(calls) < 3:
                raise FileNotFoundError("not yet")
            return True

        self.assertTrue(wait_until(flaky, timeout=5, interval=0, ignore=(OSError,)))
        with self.assertRaises(ZeroDivisionError):
            wait_until(lambda: 1 / 0, timeout=5, ignore=(OSError,))

    def test_holds_sees_a_change(self):
        values = iter([True, True, False, True])
        self.assertFalse(holds(lambda: next(values), 5, interval=0))
        self.assertTrue(holds(lambda: True, 0.1, interval=0.01))


class TargetLog_Parses(unittest.TestCase):
    def test_complete_lines_only(self):
        text = ("READY 0 0\nWM_KEYDOWN 222 1\ngarbage\nWM_LBUTTONDOWN x 3\n"
                "WM_MOUSEWHEEL -7864320 32769000\nWM_KEYUP 22")
        self.assertEqual(parse_log(text), [("READY", 0, 0), ("WM_KEYDOWN", 222, 1),
                                           ("WM_MOUSEWHEEL", -7864320, 32769000)])


class TargetPattern_Colours(unittest.TestCase):
    def test_cells_of_four_pixels_with_the_colours_seen_on_screen(self):
        # Colours read off a screenshot of the target at (952, 600) and (956, 600).
        self.assertEqual(pattern_color(952, 600), (13, 179, 93))
        self.assertEqual(pattern_color(955, 603), (13, 179, 93))
        self.assertEqual(pattern_color(956, 600), (254, 126, 232))


class Profile_RoundTrip(unittest.TestCase):
    def test_written_as_windows_writes_and_read_back(self):
        import tempfile
        from pathlib import Path

        with tempfile.TemporaryDirectory() as tmp:
            path = Path(tmp) / "setting.ini"
            ini.write_profile(path, {"DEFAULT": [("AutoStartUp", "1"), ("Name", "caf\u00e9")]})
            self.assertEqual(path.read_bytes(),
                             b"[DEFAULT]\r\nAutoStartUp=1\r\nName=caf\xe9\r\n")
            self.assertEqual(ini.keys_of(path, "default"),
                             [("AutoStartUp", "1"), ("Name", "caf\u00e9")])
            path.write_bytes(b"x=1\r\n[A]\r\n; note\r\n\r\nk = v \r\nbare\r\n[B]\r\n")
            self.assertEqual(ini.read_profile(path),
                             [(None, [("x", "1")]), ("A", [("k", "v"), ("bare", None)]),
                              ("B", [])])
            self.assertEqual(ini.keys_of(path, "C"), [])


def write_script(env, name, lines):
    """A JScript file in drive C:, run later with wscript."""
    path = env.prefix.drive_c / "loupa-e2e" / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")
    return env.prefix.to_windows(path)


# By full path: a bare program name goes through start.exe, another process.
WSCRIPT = "C:\\windows\\system32\\wscript.exe"


def js_string(text):
    return '"' + "".join(c if c.isascii() and c not in '"\\' else f"\\u{ord(c):04X}"
                         for c in text) + '"'


class Desktop_Works(harness.LoupaTestCase):
    def test_pointer_moves_where_sent(self):
        for x, y in [(10, 20), (1919, 1079), (960, 540)]:
            self.input.move(x, y)
            self.assertEqual(self.input.pointer(), (x, y))

    def test_screenshot_covers_the_screen(self):
        shot = Image.load(self.env.screenshot(self.env.work_dir / "whole.png"))
        self.assertEqual((shot.width, shot.height), (1920, 1080))

    def test_paths_map_between_windows_and_unix(self):
        drive_c = self.prefix.drive_c
        self.assertEqual(self.prefix.to_windows(drive_c / "loupa-e2e" / "a b.exe"),
                         "C:\\loupa-e2e\\a b.exe")
        self.assertEqual(self.prefix.to_unix("c:\\WINDOWS\\System32\\notepad.exe"),
                         drive_c / "windows" / "system32" / "notepad.exe")
        self.assertTrue(self.prefix.to_unix("C:\\windows\\system32\\notepad.exe").is_file())
        self.assertEqual(self.prefix.to_windows("/usr/bin"), "Z:\\usr\\bin")
        self.assertEqual(self.prefix.startup_dir,
                         self.prefix.to_unix(f"C:\\users\\{self.prefix.user_name}\\AppData\\"
                                             "Roaming\\Microsoft\\Windows\\Start Menu\\"
                                             "Programs\\StartUp"))
        self.assertTrue(self.prefix.startup_dir.is_dir())

    def test_reads_a_shortcut_written_by_the_wine_shell(self):
        link = self.prefix.drive_c / "loupa-e2e" / "probe.lnk"
        script = write_script(self.env, "shortcut.js", [
            'var shell = new ActiveXObject("WScript.Shell");',
            f"var link = shell.CreateShortcut({js_string(self.prefix.to_windows(link))});",
            'link.TargetPath = "C:\\\\windows\\\\notepad.exe";',
            f"link.Description = {js_string('Loupa ルーペ')};",
            "link.Save();",
        ])
        code = self.prefix.run(["wscript", script], self.env.work_dir / "shortcut.log",
                               self.display, timeout=60)
        self.assertEqual(code, 0)
        parsed = shelllink.read(link)
        self.assertEqual(parsed.description, "Loupa ルーペ")
        self.assertEqual(parsed.target.lower(), "c:\\windows\\notepad.exe")

    def popup_text_image(self, name, text):
        """Shows a message box with text and returns the pixels of its
        text line, cut out of a screenshot of the box."""
        script = write_script(self.env, f"{name}.js", [
            'var shell = new ActiveXObject("WScript.Shell");',
            f"shell.Popup({js_string(text)}, 0, {js_string('設定')}, 48);",
        ])
        process = self.prefix.start([WSCRIPT, script], self.env.work_dir / f"{name}.log",
                                    self.display)
        try:
            box = self.wait_until(lambda: self.windows.visible_of(process.pid), 20,
                                  message="the message box")[0]
            self.assertEqual(box.name, "設定")
            # Text sits right of the icon, in the upper half of the box.
            shot = Image.load(self.env.screenshot(self.env.work_dir / f"{name}.png"))
            x, y, right, bottom = box.rect
            return shot.crop((x + 50, y + 8, right - 8, y + (bottom - y) // 2))
        finally:
            process.stop(sig=None)

    def test_japanese_text_renders(self):
        # Missing glyphs all draw as the same box: then two texts of distinct
        # characters would look like one text of a repeated character.
        repeated = self.popup_text_image("repeated", "日日日日日")
        distinct = self.popup_text_image("distinct", "日本語表示")
        background = repeated.dominant_color()
        self.assertGreater(repeated.count_unlike(background), 40, "no text drawn at all")
        self.assertGreater(distinct.differs_from(repeated), 40,
                           "distinct Japanese characters render alike: no Japanese font")

    def test_every_click_reaches_the_focused_wine_window(self):
        # The window manager must pass every press on: a binding that takes
        # the left button for itself lets only the click that focuses through.
        target = self.start_target((100, 200, 900, 700))
        presses = [(1, 300, 400), (1, 301, 400), (3, 302, 400), (1, 303, 400), (1, 304, 400)]
        expected = []
        for button, x, y in presses:
            self.input.click(button, x, y)
            name = "WM_LBUTTONDOWN" if button == 1 else "WM_RBUTTONDOWN"
            expected.append((name, (y - 200) << 16 | (x - 100)))
            self.wait_until(lambda: len(self.button_presses(target)) == len(expected), 5,
                            message=f"{name} at ({x}, {y}) in the target's log")
        self.assertEqual(self.button_presses(target), expected)

    @staticmethod
    def button_presses(target):
        return [(name, lparam) for name, _, lparam in target.entries()
                if name in ("WM_LBUTTONDOWN", "WM_RBUTTONDOWN")]


class DualMonitor_Works(harness.LoupaTestCase):
    dual_monitor = True

    def test_two_monitors_side_by_side(self):
        from harness.processes import run_tool

        info = run_tool(["xdpyinfo", "-ext", "XINERAMA"], env=self.display.env())
        heads = [line.strip() for line in info.splitlines() if line.strip().startswith("head #")]
        self.assertEqual(heads, ["head #0: 1920x1080 @ 0,0", "head #1: 1920x1080 @ 1920,0"])
        shot = Image.load(self.env.screenshot(self.env.work_dir / "dual.png"))
        self.assertEqual((shot.width, shot.height), (3840, 1080))
        self.input.move(2500, 100)
        self.assertEqual(self.input.pointer(), (2500, 100))


if __name__ == "__main__":
    harness.main()
