#!/usr/bin/python3
"""The harness itself: what the other end-to-end tests rely on seeing."""

import struct
import unittest

import harness
from harness import ini, magnification, pattern, probe, rects, sheet, shelllink, target
from harness.images import Image
from harness.wine import ANSI_ENCODING
from harness.waiting import WaitTimeout, holds, wait_until
from harness.xevents import MapRecorder, Shown, parse_events, resource_id_mask
from harness.xwindows import MenuLine, PopupMenu, XWindow

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
        data = text.encode("utf-16-le" if unicode else ANSI_ENCODING)
        # Counted in code units: two bytes each in UTF-16, one in ANSI.
        body += struct.pack("<H", len(data) // 2 if unicode else len(data)) + data
    return header + body + b"\0\0\0\0"  # empty ExtraData


def link_info(base, suffix, base_unicode=None):
    """LinkInfo with a VolumeID and LocalBasePath (+ Unicode forms)."""
    header_size = 0x24 if base_unicode is not None else 0x1C
    volume = struct.pack("<IIII", 0x11, 3, 0x1234, 0x10) + b"\0"
    base_off = header_size + len(volume)
    tail = base.encode(ANSI_ENCODING) + b"\0"
    suffix_off = base_off + len(tail)
    tail += suffix.encode(ANSI_ENCODING) + b"\0"
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
                  strings=["\u30ab\u30d5\u30a7", "--x"], unicode=False),
             dict(target="D:\\a\\b.exe", description="\u30ab\u30d5\u30a7", arguments="--x")),
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

    def test_a_callable_message_tells_what_was_last_seen(self):
        seen = []

        def look():
            seen.append(len(seen))
            return False

        with self.assertRaisesRegex(WaitTimeout, r"the zoom \(looked [1-9]\d* times\)"):
            wait_until(look, timeout=0.1, message=lambda: f"the zoom (looked {len(seen)} times)")

    def test_holds_sees_a_change(self):
        values = iter([True, True, False, True])
        self.assertFalse(holds(lambda: next(values), 5, interval=0))
        self.assertTrue(holds(lambda: True, 0.1, interval=0.01))


class Profile_RoundTrip(unittest.TestCase):
    def test_written_as_windows_writes_and_read_back(self):
        import tempfile
        from pathlib import Path

        with tempfile.TemporaryDirectory() as tmp:
            path = Path(tmp) / "setting.ini"
            name = "\u30ab\u30d5\u30a7"  # two bytes a character in code page 932
            ini.write_profile(path, {"DEFAULT": [("AutoStartUp", "1"), ("Name", name)]})
            self.assertEqual(path.read_bytes(),
                             b"[DEFAULT]\r\nAutoStartUp=1\r\nName=\x83J\x83t\x83F\r\n")
            self.assertEqual(ini.keys_of(path, "default"), [("AutoStartUp", "1"), ("Name", name)])
            path.write_bytes(b"x=1\r\n[A]\r\n; note\r\n\r\nk = v \r\nbare\r\n[B]\r\n")
            self.assertEqual(ini.read_profile(path),
                             [(None, [("x", "1")]), ("A", [("k", "v"), ("bare", None)]),
                              ("B", [])])
            self.assertEqual(ini.keys_of(path, "C"), [])

    def test_entries_as_the_profile_functions_parse_them(self):
        text = ("lead=0\r\n[DEFAULT] ; main\r\n  Key \t=\t value \r\n\r\n; note\n"
                "bare\r\n[broken\r\n[Other]\rhidden=1\r\n[default]\r\nKey=2\r\n")
        self.assertEqual(ini.profile_entries(text),
                         [("key", "lead", "0"), ("section", "DEFAULT"), ("key", "Key", "value"),
                          ("key", "; note", None), ("key", "bare", None),
                          ("key", "[broken", None), ("section", "Other"),
                          ("section", "default"), ("key", "Key", "2")])
        self.assertEqual(ini.profile_section_keys(text), ["Key", "; note", "bare", "[broken"])
        self.assertEqual(ini.profile_section_keys(text, "other"), [])
        self.assertEqual(ini.profile_section_keys(text, "missing"), [])
        self.assertEqual(ini.profile_entries("[A]\rk=1\r\rj= 2"),
                         [("section", "A"), ("key", "k", "1"), ("key", "j", "2")])


class TargetLog_Parses(unittest.TestCase):
    def test_complete_well_formed_lines_only(self):
        text = ("READY 0 0\nWM_KEYDOWN 222 1\ngarbage\nWM_LBUTTONDOWN x 3\n"
                "WM_MOUSEWHEEL -7864320 32769000\nWM_KEYUP 22")
        self.assertEqual(target.parse_log(text), [("READY", 0, 0), ("WM_KEYDOWN", 222, 1),
                                                  ("WM_MOUSEWHEEL", -7864320, 32769000)])

    def test_wheel_delta_and_key_state_of_wheel_messages(self):
        text = ("READY 0 0\nWM_MOUSEWHEEL 7864328 35389920\nWM_MOUSEWHEEL 4287102976 0\n"
                "WM_KEYDOWN 65 1966081\nWM_KEYUP 6")
        messages = target.parse_log(text)
        self.assertEqual([m.name for m in messages],
                         ["READY", "WM_MOUSEWHEEL", "WM_MOUSEWHEEL", "WM_KEYDOWN"])
        forward, backward = messages[1], messages[2]
        self.assertEqual((forward.wheel_delta, forward.key_state), (120, target.MK_CONTROL))
        self.assertEqual((backward.wheel_delta, backward.key_state), (-120, 0))
        # wParam sign-extended: the same backward notch.
        self.assertEqual(target.parse_log("WM_MOUSEWHEEL -7864320 0\n")[0].wheel_delta, -120)


class MagnificationLog_Parses(unittest.TestCase):
    def test_calls_and_the_rates_of_pure_scales(self):
        text = ("attach module=C:\\windows\\system32\\Magnification.dll\n"
                "MagSetWindowTransform window=0x1 matrix=1.1,0,0,0,1.1,0,0,0,1 result=1\n"
                "MagSetWindowSource window=0x1 rect=1920,0,2240,256 captured=1 result=1\n"
                "MagSetWindowTransform window=0x1 matrix=1.1,0,0,0,1.1,0,0,0,1 result=1\n"
                "size window=0x1 size=1280x1024 host=1280x1024\n"
                "MagSetWindowTransform window=0x1 matrix=4,0,0,0,4,0,0,0,1 result=1\n"
                "MagSetWindowTransform window=0x1 matrix=2,0")  # still being written
        calls = magnification.parse_calls(text)
        self.assertEqual([c.name for c in calls], ["attach"] + ["MagSetWindowTransform",
                         "MagSetWindowSource", "MagSetWindowTransform", "size",
                         "MagSetWindowTransform"])
        self.assertEqual(calls[2].rect(), (1920, 0, 2240, 256))
        self.assertEqual(calls[4].size("host"), (1280, 1024))
        self.assertEqual(magnification.rates_set(calls), [1.1, 4.0])
        for matrix in ("2,0,0,0,3,0,0,0,1", "2,0,0.5,0,2,0,0,0,1", "2,0,0,0,2,0,0,0,0"):
            with self.subTest(matrix), self.assertRaises(AssertionError):
                magnification.rates_set(magnification.parse_calls(
                    f"MagSetWindowTransform window=0x1 matrix={matrix} result=1\n"))


class Probe_Parses(unittest.TestCase):
    def test_escapes_what_the_command_line_may_spoil(self):
        self.assertEqual(probe.escape("設定\nx 1.10 "), "\\u8a2d\\u5b9a\\nx 1.10 ")
        with self.assertRaises(ValueError):
            probe.escape("\U0001F50D")

    def test_windows_with_their_controls(self):
        text = ("WINDOW\t10\t264\t1\t12\t3\t22\t376\t350\n"
                "CONTROL\t12\t1000\tmsctls_trackbar32\t1\t109\t103\t349\t139\t4\t\t\n"
                "CONTROL\t14\t1003\tButton\t1\t46\t246\t87\t262\t\t1\tCtrl\n"
                "CONTROL\t16\t-1\tStatic\t0\t1\t2\t3\t4\t\t\ta\tb\n"
                "WINDOW\t20\t300\t0\t0\t0\t0\t10\t10\n")
        first, second = probe.parse_windows(text)
        self.assertEqual((first.hwnd, first.pid, first.visible, first.focus, first.rect),
                         (10, 264, True, 12, (3, 22, 376, 350)))
        self.assertEqual(first.control(1000).pos, 4)
        self.assertEqual((first.control(1003).check, first.control(1003).text), (1, "Ctrl"))
        self.assertEqual(first.control(-1).text, "a\tb")
        self.assertEqual([c.id for c in first.visible_controls()], [1000, 1003])
        self.assertEqual((second.visible, second.controls), (False, []))
        with self.assertRaises(LookupError):
            first.control(1001)


class Pattern_Measures(unittest.TestCase):
    AREA = (600, 300, 1000, 500)

    def test_cells_of_four_pixels_with_the_colours_seen_on_screen(self):
        # Colours read off a screenshot of the target at (952, 600) and (956, 600).
        self.assertEqual(pattern.colour_at(952, 600), (13, 179, 93))
        self.assertEqual(pattern.colour_at(955, 603), (13, 179, 93))
        self.assertEqual(pattern.colour_at(956, 600), (254, 126, 232))

    def test_scale_of_magnified_pictures(self):
        cells = pattern.cells_by_colour(self.AREA)
        for scale in [1.0, 1.1, 2.0, 4.0, 7.3]:
            with self.subTest(scale=scale):
                rows = pattern.picture((700, 395, 900, 405), scale, origin=(800, 400))
                measured = pattern.scale_along_row(lambda x, y: rows[y - 395][x - 700], 400,
                                                   700, 900, cells)
                self.assertAlmostEqual(measured, scale, delta=0.01 * scale)

    def test_no_scale_without_known_cells(self):
        cells = pattern.cells_by_colour(self.AREA)
        self.assertIsNone(pattern.scale_along_row(lambda x, y: (0, 0, 0), 0, 0, 100, cells))
        # A picture of cells far from the area is as unknown as black.
        rows = pattern.picture((0, 0, 100, 1))
        self.assertIsNone(pattern.scale_along_row(lambda x, y: rows[y][x], 0, 0, 100, cells))


def synthetic_slider(width, height, thumb_x):
    """White slider with a grey channel across and a thumb outline at thumb_x."""
    white, grey, blue = (255, 255, 255), (160, 160, 160), (0, 120, 215)
    pixels = [[white] * width for _ in range(height)]
    for x in range(8, width - 8):
        pixels[10][x] = pixels[13][x] = grey
    for y in range(4, 20):
        pixels[y][thumb_x - 5] = pixels[y][thumb_x + 5] = blue
    for x in range(0, width, 12):  # ticks below
        pixels[24][x] = pixels[25][x] = grey
    return Image(width, height, b"".join(bytes(p) for row in pixels for p in row))


class Sheet_Reads(unittest.TestCase):
    def test_thumb_of_a_slider(self):
        for thumb_x in [20, 117, 219]:
            with self.subTest(thumb_x=thumb_x):
                image = synthetic_slider(240, 30, thumb_x)
                control = probe.Control(1, 1000, "msctls_trackbar32", True, (0, 0, 240, 30))
                self.assertEqual(sheet.SettingsSheet.thumb_center(image, control),
                                 (thumb_x, 11))



class Rects_Meet(unittest.TestCase):
    def test_intersection_offset_and_size(self):
        self.assertEqual(rects.intersect((0, 0, 10, 10), (5, 6, 20, 20)), (5, 6, 10, 10))
        self.assertIsNone(rects.intersect((0, 0, 10, 10), (10, 0, 20, 10)))
        self.assertEqual(rects.offset((1, 2, 3, 4), 10, -2), (11, 0, 13, 2))
        self.assertEqual(rects.size((5, 6, 20, 10)), (15, 4))


class Images_Compare(unittest.TestCase):
    def test_unlike_pixels_are_located(self):
        a = Image(3, 2, bytes([10] * 18))
        b = Image(3, 2, bytes([10] * 9 + [40, 10, 10] + [10] * 3 + [20] * 3))
        self.assertEqual(a.unlike_pixels(b), [(0, 1)])
        self.assertEqual(a.unlike_pixels(b, tolerance=5), [(0, 1), (2, 1)])


WHITE, BLACK, GREY, BLUE = (255, 255, 255), (0, 0, 0), (160, 160, 160), (51, 153, 255)


def painted(width, height, shapes, background=WHITE):
    """An image of rectangles (left, top, right, bottom, colour), later
    ones over earlier ones."""
    pixels = [list(background) for _ in range(width * height)]
    for left, top, right, bottom, colour in shapes:
        for y in range(top, bottom):
            for x in range(left, right):
                pixels[y * width + x] = colour
    return Image(width, height, bytes(c for p in pixels for c in p))


def strokes(left, top, right, bottom, colour):
    """Text-like ink: one-pixel columns, every third one."""
    return [(x, top, x + 1, bottom, colour) for x in range(left, right, 3)]


class PopupMenu_Reads(unittest.TestCase):
    # A 60x80 menu at (10, 20) of a 100x120 screen: a grey frame, three
    # separators, six text lines; the fifth has a check mark, the last an
    # underline below a blank row (a mnemonic).
    X, Y = 10, 20
    TEXT = [(7, 12, 20, 40), (22, 27, 20, 44), (30, 35, 20, 50), (38, 43, 20, 46),
            (53, 58, 20, 56), (68, 71, 20, 38)]

    def screen(self, extra=()):
        shapes = [(self.X, self.Y, self.X + 60, self.Y + 80, GREY),
                  (self.X + 1, self.Y + 1, self.X + 59, self.Y + 79, WHITE)]
        shapes += [(self.X + 3, self.Y + row, self.X + 57, self.Y + row + 1, GREY)
                   for row in (17, 48, 63)]
        for top, bottom, left, right in self.TEXT:
            shapes += strokes(self.X + left, self.Y + top, self.X + right, self.Y + bottom, BLACK)
        shapes += [(self.X + 5, self.Y + 54, self.X + 11, self.Y + 57, BLACK),  # check mark
                   (self.X + 24, self.Y + 72, self.X + 30, self.Y + 73, BLACK)]  # underline
        return painted(100, 120, shapes + list(extra))

    def menu(self):
        return PopupMenu(None, XWindow(1, x=self.X, y=self.Y, width=60, height=80))

    def test_lines_grouped_by_separators(self):
        layout = self.menu().layout(self.screen())
        self.assertEqual(layout.separators, [self.Y + 17, self.Y + 48, self.Y + 63])
        self.assertEqual([len(group) for group in layout.groups], [1, 3, 1, 1])
        expected = [MenuLine(self.Y + top, self.Y + bottom, self.X + left,
                             self.X + left + (right - left - 1) // 3 * 3 + 1)
                    for top, bottom, left, right in self.TEXT]
        expected[4].left = self.X + 5
        expected[5].bottom = self.Y + 73
        self.assertEqual(layout.lines, expected)
        self.assertEqual(layout.text_left, self.X + 20)
        self.assertEqual([layout.checked(line) for line in layout.lines],
                         [False, False, False, False, True, False])

    def test_highlighted_row(self):
        band = [(self.X + 3, self.Y + 29, self.X + 57, self.Y + 37, BLUE)]
        text = strokes(self.X + 20, self.Y + 30, self.X + 50, self.Y + 35, WHITE)
        menu = self.menu()
        screen = self.screen(band + text)
        cases = [(self.Y + 33, True), (self.Y + 29, True), (self.Y + 24, False),
                 (self.Y + 40, False), (self.Y + 55, False)]
        for y, expected in cases:
            with self.subTest(y=y):
                self.assertEqual(menu.row_highlighted(screen, y), expected)


XEV_LOG = """
CreateNotify event, serial 18, synthetic NO, window 0x50d,
    parent 0x50d, window 0xe00001, (0,0), width 486, height 350
border_width 0, override NO

PropertyNotify event, serial 18, synthetic NO, window 0x50d,
    atom 0x1f0 (_LOUPA_E2E_MARK_1), time 3034142, state PropertyNewValue

MapNotify event, serial 19, synthetic NO, window 0x50d,
    event 0x50d, window 0xe00004, override YES


ReparentNotify event, serial 18, synthetic NO, window 0x50d,
    event 0x50d, window 0x400008, parent 0x60025f,
    (0,0), override NO

ReparentNotify event, serial 18, synthetic NO, window 0x50d,
    event 0x50d, window 0x400008, parent 0x50d,
    (0,0), override NO

MapNotify event, serial 20, synthetic YES, window 0x50d,
    event 0x50d, window 0xe00009, override YES

PropertyNotify event, serial 18, synthetic NO, window 0x50d,
    atom 0x1f1 (_LOUPA_E2E_MARK_2), time 3034150, state PropertyNewValue

PropertyNotify event, serial 18, synthetic NO, window 0x50d,
    atom 0x1f2 (_LOUPA_E2E_MARK_X), time 3034151, state PropertyNewValue

MapNotify event, serial 19, synthetic NO, window 0x50d,
    event 0x50d, window 0x60025f, override NO
"""


class XEvents_Parse(unittest.TestCase):
    def test_shown_windows_and_marks(self):
        self.assertEqual(parse_events(XEV_LOG), [
            ("mark", 1),
            ("shown", Shown(0xe00004, True)),
            ("shown", Shown(0x400008, False)),  # framed; its return to the root is not
            ("mark", 2),
            ("shown", Shown(0x60025f, False)),
        ])


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
        for x, y in [(10, 20), (1919, 1079), (960, 540), (960, 540)]:
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

    def test_records_windows_shown_between_marks(self):
        with MapRecorder(self.display, self.env.work_dir / "xev.log") as maps:
            before = maps.mark()
            script = write_script(self.env, "shown.js", [
                'var shell = new ActiveXObject("WScript.Shell");',
                'shell.Popup("shown", 0, "shown", 0);',
            ])
            process = self.prefix.start([WSCRIPT, script], self.env.work_dir / "shown.log",
                                        self.display)
            try:
                box = self.wait_until(lambda: self.windows.visible_of(process.pid), 20,
                                      message="the message box")[0]
                after = maps.mark()
                own = self.windows.search(pid=process.pid)
                self.assertIn(box.id, [s.window for s in maps.shown_by(own, before, after)])
                self.assertEqual(maps.shown_by(own, 0, before), [])
                self.assertEqual(maps.shown_by(own, after), [])
                # Ids of one client share the bits outside the mask.
                mask = resource_id_mask(self.display)
                self.assertEqual(mask & (mask + 1), 0, hex(mask))  # low bits only
                self.assertEqual({w & ~mask for w in own}, {box.id & ~mask})
            finally:
                process.stop(sig=None)

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
            x, y, right, bottom = box.rect

            def text_line():
                # Text sits right of the icon, in the upper half of the box;
                # mapped is not yet painted.
                line = Image.load(self.env.screenshot(self.env.work_dir / f"{name}.ppm",
                                                      rect=(x + 50, y + 8, right - 8,
                                                            y + (bottom - y) // 2)))
                return line if line.count_unlike(line.dominant_color()) else None

            return self.wait_until(text_line, 10, message=f"text in the message box ({name})")
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
        return [(m.name, m.lparam) for m in target.messages()
                if m.name in ("WM_LBUTTONDOWN", "WM_RBUTTONDOWN")]


class Target_Works(harness.LoupaTestCase):
    def test_shows_its_pattern_and_logs_clicks_keys_and_wheel(self):
        window = self.start_target()
        window.focus(self.input)
        shot = Image.load(self.env.screenshot(self.env.work_dir / "target.png"))
        left, top, right, bottom = window.rect
        wrong = [(x, y) for x in range(left, right, 37) for y in range(top, bottom, 29)
                 if shot.pixel(x, y) != pattern.colour_at(x, y)]
        self.assertEqual(wrong, [])

        mark = window.mark()
        self.input.click(1, left + 30, top + 20)
        self.input.key("a")
        self.input.wheel(+1)
        self.input.wheel(-1)

        self.wait_until(lambda: len(window.messages(since=mark)) >= 5, 10,
                        message="five messages in the target's log")
        clicks = window.messages("WM_LBUTTONDOWN", since=mark)
        self.assertEqual([(m.lparam & 0xFFFF, m.lparam >> 16) for m in clicks], [(30, 20)],
                         "the click in the target's client coordinates")
        self.assertEqual([m.wparam for m in window.messages("WM_KEYDOWN", since=mark)], [65])
        self.assertEqual([m.wheel_delta for m in window.messages("WM_MOUSEWHEEL", since=mark)],
                         [120, -120])


    def test_focus_comes_back_from_a_later_window(self):
        first = self.start_target((100, 100, 700, 500))
        later = self.start_target((800, 100, 1400, 500))
        self.wait_until(lambda: self.input.focused_window() == later.window.id, 10,
                        message="the focus on the window started last")
        point = (250, 420)

        first.focus(self.input, point)

        self.assertEqual(self.input.focused_window(), first.window.id)
        self.assertEqual(self.input.pointer(), point)
        self.assertTrue(first.messages("WM_LBUTTONDOWN"), "no click gave the focus")


class Probe_Works(harness.LoupaTestCase):
    def test_reads_windows_and_key_names_and_draws_text(self):
        window = self.start_target((200, 150, 500, 350))
        found = self.probe.windows("Loupa Test Target")
        self.assertEqual([w.rect for w in found], [(200, 150, 500, 350)])
        self.assertEqual(self.probe.key_names(65, 27), {65: "A", 27: "Escape"})

        path = self.probe.render_text(self.env.work_dir / "text.bmp", (60, 20), "設定",
                                      color=(0, 0, 0), background=(255, 255, 255))
        drawn = Image.load(path)
        self.assertEqual((drawn.width, drawn.height), (60, 20))
        self.assertGreater(drawn.count_unlike((255, 255, 255)), 20, "no text drawn")
        self.assertTrue(window.running())


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
