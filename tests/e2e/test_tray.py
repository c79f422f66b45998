#!/usr/bin/python3
"""Loupa's notification-area icon as a user meets it: the icon in Wine's
tray, its menu and the menu's commands, clicks on the icon, and never a
window of Loupa on the screen that the user did not ask for.

Windows shown are recorded from X events from before Loupa starts (a
window that flashes up for a moment counts too) and the window tree is
checked after each step."""

import time

import harness
from harness import ini, shelllink
from harness.images import Image
from harness.loupa import appdata_settings, startup_shortcut
from harness.probe import Probe
from harness.sheet import CHECK_ALT, IDCANCEL, IDM_ABOUTBOX, IDOK, PAGE_CLASS
from harness.wine import locale_variables
from harness.xevents import MapRecorder
from harness.xwindows import PopupMenu
from harness.zoomview import ZoomView

START = 30  # seconds for a start to show its effects, generous for a loaded machine
END = 15
STEP = 10  # a menu, a click or a command to take effect
QUIET = 1.5  # seconds of watching that nothing happens

EMPTY_SPOT = (1700, 900)  # bare desktop, clear of the tray and the settings sheet
SHEET_SPOT = (600, 300)  # where the user moves the settings sheet, off the tray

SETTINGS_CAPTION = "設定"
AUTO_START = "OS起動時に常駐"


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


class TrayTestCase(harness.LoupaTestCase):
    def setUp(self):
        super().setUp()
        self.maps = MapRecorder(self.display, self.env.work_dir / f"{self._testMethodName}-xev.log")
        self.maps.start()
        self.addCleanup(self.maps.stop)

    # ---- Loupa and its windows ------------------------------------------
    def icon(self):
        return self.windows.tray().icon_center(0)

    def shown_since(self, loupa, mark):
        """Windows of loupa shown after mark, up to now."""
        now = self.maps.mark()
        return self.maps.shown_by(self.windows.search(pid=loupa.pid), mark, now)

    def assertShown(self, loupa, mark, expected=()):
        """Since mark exactly the expected windows of loupa (X ids) were
        shown, and none is mapped now."""
        shown = {s.window for s in self.shown_since(loupa, mark)}
        self.assertEqual(sorted(map(hex, shown)), sorted(map(hex, expected)),
                         "windows of Loupa shown")
        self.assertEqual(self.windows.visible_of(loupa.pid), [], "windows of Loupa mapped")
        # The hidden main dialog by its caption, whoever owns it.
        self.assertEqual(self.windows.find(name="^Loupa$", visible_only=True), [])

    def sheets(self, loupa):
        return [w for w in self.windows.visible_of(loupa.pid) if w.name == SETTINGS_CAPTION]

    def state(self):
        """What a menu command could change on disk."""
        link = startup_shortcut(self.prefix)
        return (appdata_settings(self.prefix).read_bytes(),
                link.read_bytes() if link.exists() else None)

    def auto_start(self):
        return dict(ini.keys_of(appdata_settings(self.prefix))).get("AutoStartUp")

    # ---- the menu --------------------------------------------------------
    def close_menu(self, loupa, menu):
        """A click on the bare desktop closes the menu (nothing if it is
        closed already)."""
        def open_():
            return menu.window.id in [w.id for w in self.windows.visible_of(loupa.pid)]

        clicks = []

        def closed():
            if not loupa.running() or not open_():
                return True
            # Again after a while: a menu not yet tracking the pointer loses clicks.
            if len(clicks) < 1 or time.monotonic() - clicks[-1] > 2:
                self.input.click(1, *EMPTY_SPOT)
                clicks.append(time.monotonic())
            return False

        self.wait_until(closed, STEP, message="the menu to close")

    def menu_layout(self, menu, artifact=None):
        """The menu's layout, read once it is drawn (the same twice in a
        row); the menu's picture is kept as an artifact."""
        shot = self.env.work_dir / "menu-layout.ppm"
        previous = [None]

        def drawn():
            screen = Image.load(self.env.screenshot(shot))
            layout = menu.layout(screen)
            stable = layout.lines and layout == previous[0]
            previous[0] = layout
            return (screen, layout) if stable else None

        screen, layout = self.wait_until(drawn, STEP, message="the menu drawn")
        if artifact:
            out = self.artifacts_dir()
            out.mkdir(parents=True, exist_ok=True)
            screen.crop(menu.window.rect).save(out / f"{artifact}.png")
        return screen, layout

    def auto_start_line(self, layout):
        return layout.groups[2][0]

    def assertChecked(self, layout, checked):
        marks = [layout.checked(line) for line in layout.lines]
        self.assertEqual(marks, [False, False, False, checked, False],
                         "check marks of the items, top to bottom")


class Tray_Icon(TrayTestCase):
    def test_start_shows_the_icon_in_the_wine_tray_and_no_window(self):
        loupa = self.start_resident()

        tray = self.windows.tray()
        self.assertNotEqual(tray.window.pid, loupa.pid)  # the tray is Wine's, the icon in it
        self.assertShown(loupa, 0)
        self.assertTrue(self.holds(lambda: not self.windows.visible_of(loupa.pid), QUIET))
        self.assertShown(loupa, 0)

    def test_single_left_click_does_nothing(self):
        loupa = self.start_resident()
        mark = self.maps.mark()
        before = self.state()

        self.input.click(1, *self.icon())

        self.assertTrue(self.holds(lambda: loupa.running()
                                   and not self.windows.visible_of(loupa.pid), QUIET),
                        "a window or menu of Loupa showed, or Loupa ended")
        self.assertShown(loupa, mark)
        self.assertEqual(self.state(), before)

    def test_double_click_opens_one_settings_sheet(self):
        loupa = self.start_resident()

        self.input.double_click(1, *self.icon())

        sheet = self.wait_until(lambda: self.sheets(loupa), STEP,
                                message="the settings sheet")[0]
        self.assertEqual(len(self.windows.visible_of(loupa.pid)), 1)
        self.assertEqual([s.window for s in self.shown_since(loupa, 0)], [sheet.id])
        # It opens over the tray: the user moves it aside to reach the icon.
        self.windows.place(sheet.id, *SHEET_SPOT, sheet.width, sheet.height)
        self.wait_until(lambda: [w for w in self.sheets(loupa) if w.x >= SHEET_SPOT[0]], STEP,
                        message="the sheet moved off the tray")
        self.assertFalse(overlap(self.sheets(loupa)[0].rect, self.windows.tray().cell_rect(0)))
        mark = self.maps.mark()

        self.input.double_click(1, *self.icon())

        self.assertTrue(self.holds(lambda: len(self.sheets(loupa)) == 1
                                   and len(self.windows.find(name=f"^{SETTINGS_CAPTION}$",
                                                             visible_only=True)) == 1,
                                   QUIET),
                        [str(w) for w in self.windows.visible_of(loupa.pid)])
        self.assertEqual(self.shown_since(loupa, mark), [], "a window was shown again")


class Tray_TaskbarCreated(TrayTestCase):
    def test_broadcasts_keep_the_run_and_its_one_icon_and_a_restart_brings_it_back(self):
        loupa = self.start_resident()
        mark = self.maps.mark()
        # The shell broadcasts it after a scale change or a remote session
        # too, with the icon still there: no message box, no second icon.
        self.probe.taskbar_created(3)
        self.assertTrue(self.holds(lambda: loupa.running() and self.tray_icon_count() == 1
                                   and not self.windows.visible_of(loupa.pid), QUIET))
        self.assertShown(loupa, mark)
        self.probe.taskbar_created(1, forget=True)
        self.wait_tray_icons(1)
        # The hot keys still work.
        target = self.start_target()
        target.focus(self.input)
        zoom = ZoomView(self.env, self.probe, loupa, target.rect)
        self.input.key("super+alt+apostrophe")
        zoom.wait_rate(4.0, target.center, STEP)


class Tray_Menu(TrayTestCase):
    def test_right_click_opens_the_menu_with_its_items(self):
        loupa = self.start_resident()
        mark = self.maps.mark()

        menu = self.open_tray_menu(loupa)

        screen, layout = self.menu_layout(menu, artifact="tray-menu")
        self.assertEqual((menu.window.x, menu.window.y), self.icon(),
                         "the menu's top-left corner is at the pointer")
        with self.subTest("six items and three separators, cancel greyed"):
            self.assertEqual(len(layout.separators), 3, layout)
            # Nothing is zoomed: "キャンセル" shows no dark text.
            self.assertEqual([len(group) for group in layout.groups], [1, 2, 1, 1], layout)
            # Items share one pitch, separators another, and the menu is
            # exactly that high (plus its frame).
            zoom_items = layout.groups[1]
            pitch = zoom_items[1].top - zoom_items[0].top
            grey = screen.crop((layout.text_left, zoom_items[1].top + pitch,
                                zoom_items[1].right, zoom_items[1].bottom + pitch))
            self.assertGreater(grey.count_unlike(grey.dominant_color()), 20,
                               "no greyed text on the cancel line")
            first, second, third = layout.separators
            separator = third - second - pitch
            self.assertGreater(pitch, separator)
            self.assertAlmostEqual(second - first, 3 * pitch + separator, delta=2)
            frame = menu.window.height - 6 * pitch - 3 * separator
            self.assertTrue(0 <= frame <= 12, f"menu height {menu.window.height}, items "
                            f"{pitch}, separators {separator}")
        with self.subTest("Japanese texts in order"):
            self.assertTexts(screen, layout)
        with self.subTest("auto-start checked by default"):
            self.assertChecked(layout, True)
        self.close_menu(loupa, menu)
        self.assertShown(loupa, mark, {menu.window.id})

    def assertTexts(self, screen, layout):
        """The texts can be told apart and sit where their items are:
        "ズームイン" and "ズームアウト" begin with the same three characters,
        "設定(&S)" with none of them (missing glyphs would all draw as one
        box), and the zoom items, with their hot keys after a tab, are the
        longest."""
        left = layout.text_left
        zoom_in, zoom_out = layout.groups[1]
        setting = layout.groups[0][0]
        for line in layout.lines:
            self.assertGreaterEqual(line.bottom - line.top, 6, f"no text in {line}")
        # "OS起動時に常駐": six full-width characters and two half-width ones.
        glyph = (self.auto_start_line(layout).right - left) / 7
        prefix_width = int(3 * glyph) - 2

        def prefix(line, shift=0):
            top = line.top + shift
            return screen.crop((left, top - 2, left + prefix_width, top + 14))

        def difference(a, b):
            return min(prefix(a).differs_from(prefix(b, shift)) for shift in range(-2, 3))

        self.assertLessEqual(difference(zoom_in, zoom_out), 4, "ズーム of zoom in and zoom out")
        self.assertGreater(difference(zoom_in, setting), 20, "zoom in and settings look alike")
        for line in (zoom_in, zoom_out):
            self.assertGreater(line.right, self.auto_start_line(layout).right + 2 * glyph,
                               "no key hint after the zoom item")

    def test_auto_start_item_removes_and_makes_the_shortcut(self):
        loupa = self.start_resident()
        link = startup_shortcut(self.prefix)
        self.wait_until(lambda: link.exists() and self.auto_start() == "1", START,
                        message="the defaults: Loupa.lnk and AutoStartUp=1", ignore=(OSError,))
        mark = self.maps.mark()
        menus = []
        # (check mark shown, then after choosing: shortcut, AutoStartUp)
        steps = [(True, False, "0"), (False, True, "1")]
        for checked, linked, value in steps:
            with self.subTest(f"from {'on' if checked else 'off'}"):
                menu = self.open_tray_menu(loupa)
                menus.append(menu.window.id)
                _, layout = self.menu_layout(menu, artifact=f"menu-auto-start-{value}")
                self.assertChecked(layout, checked)

                self.choose_menu_item(loupa, menu, AUTO_START)

                self.wait_until(lambda: link.exists() == linked and self.auto_start() == value,
                                STEP, message=f"Loupa.lnk {'made' if linked else 'removed'} "
                                f"and AutoStartUp={value}", ignore=(OSError,))
        parsed = self.wait_until(lambda: shelllink.read(link), STEP, message="a whole Loupa.lnk",
                                 ignore=(OSError, shelllink.ShellLinkError))
        self.assertEqual((parsed.target or "").lower(), loupa.windows_path.lower())
        menu = self.open_tray_menu(loupa)
        menus.append(menu.window.id)
        self.assertChecked(self.menu_layout(menu)[1], True)
        self.close_menu(loupa, menu)
        self.assertShown(loupa, mark, set(menus))

    def test_auto_start_item_leaves_the_shortcut_when_the_file_cannot_be_written(self):
        loupa = self.start_resident()
        link = startup_shortcut(self.prefix)
        path = appdata_settings(self.prefix)
        self.wait_until(lambda: link.exists() and self.auto_start() == "1", START,
                        message="the defaults: Loupa.lnk and AutoStartUp=1", ignore=(OSError,))
        shortcut = link.read_bytes()
        # A folder in the file's place stops every writer; file modes would
        # not stop Wine running as root.
        path.unlink()
        path.mkdir()

        self.choose_menu_item(loupa, self.open_tray_menu(loupa), AUTO_START)

        self.assertTrue(self.holds(lambda: link.exists() and link.read_bytes() == shortcut, QUIET),
                        "the shortcut changed although AutoStartUp could not be written")
        self.assertTrue(loupa.running())

    def test_menu_closes_without_a_command(self):
        loupa = self.start_resident()
        cases = [
            ("right click elsewhere", lambda: self.input.right_click(*EMPTY_SPOT)),
            ("left click elsewhere", lambda: self.input.click(1, *EMPTY_SPOT)),
        ]
        for name, close in cases:
            with self.subTest(name):
                mark = self.maps.mark()
                before = self.state()
                menu = self.open_tray_menu(loupa)
                self.menu_layout(menu)

                close()

                self.wait_until(lambda: not self.windows.visible_of(loupa.pid), STEP,
                                message="the menu to close")
                self.assertTrue(self.holds(loupa.running, QUIET))
                self.assertEqual(self.state(), before)
                self.assertShown(loupa, mark, {menu.window.id})

    def test_escape_in_the_menu_runs_no_command(self):
        # With nothing zoomed Escape is no hot key of Loupa's; whether the
        # menu gets it is Wine's affair (keys go to the tray, which holds the
        # X focus). Nothing may come of it; a click then closes the menu.
        loupa = self.start_resident()
        mark = self.maps.mark()
        before = self.state()
        menu = self.open_tray_menu(loupa)
        self.menu_layout(menu)

        self.input.key("Escape")

        shown = [[], [menu.window.id]]  # whether the menu stays open is Wine's affair
        self.assertTrue(self.holds(lambda: loupa.running() and [
            w.id for w in self.windows.visible_of(loupa.pid)] in shown, QUIET),
            [str(w) for w in self.windows.visible_of(loupa.pid)])
        self.close_menu(loupa, menu)
        self.assertEqual(self.state(), before)
        self.assertShown(loupa, mark, {menu.window.id})

    def test_zoom_in_and_cancel_leave_no_window(self):
        loupa = self.start_resident()
        mark = self.maps.mark()

        menu = self.open_tray_menu(loupa)
        self.choose_menu_item(loupa, menu, "ズームイン")
        zoom = self.wait_until(lambda: self.windows.visible_of(loupa.pid), STEP,
                               message="the zoom window")[0]
        self.assertEqual(zoom.rect, self.display.monitors[0], str(zoom))
        cancel_menu = self.open_tray_menu(loupa)
        self.choose_menu_item(loupa, cancel_menu, "キャンセル")
        self.wait_until(lambda: not self.windows.visible_of(loupa.pid), STEP,
                        message="the zoom window to hide")
        self.assertShown(loupa, mark, {menu.window.id, zoom.id, cancel_menu.window.id})
        after = self.maps.mark()
        self.assertTrue(self.holds(lambda: not self.windows.visible_of(loupa.pid), QUIET))
        self.assertShown(loupa, after)

    def test_exit_removes_the_icon_and_ends(self):
        loupa = self.start_resident()
        menu = self.open_tray_menu(loupa)

        self.choose_menu_item(loupa, menu, "終了(&X)")

        self.assertEqual(loupa.wait_exit(END), 0)
        self.wait_tray_icons(0)
        # The single-instance mutex went with the process: a new start stays.
        loupa.start()
        self.wait_until(lambda: not loupa.running() or self.tray_icon_count() == 1, START,
                        message="the icon of the new start", ignore=(RuntimeError,))
        self.assertTrue(loupa.running(), "the new start ended")


    def test_exit_with_the_settings_sheet_open_closes_it_unsaved(self):
        loupa = self.start_resident()
        sheets = harness.SettingsSheet(self.env, self.probe)
        sheets.open_by_double_click()
        # Moved off the tray, whose icon stays in reach.
        sheets.move(loupa.pid, *SHEET_SPOT)
        before = self.state()  # opening wrote the keys the sheet read
        sheets.click(CHECK_ALT)
        self.wait_until(lambda: sheets.read().control(CHECK_ALT).check == 1, STEP,
                        message="Alt checked in the sheet")

        self.choose_menu_item(loupa, self.open_tray_menu(loupa), "終了(&X)")

        self.assertEqual(loupa.wait_exit(END), 0)
        self.wait_tray_icons(0)
        self.assertEqual(self.state(), before)


ENGLISH = "en_US.UTF-8"
# The lines of dark text: "&Cancel Zoom" is greyed while nothing is zoomed,
# and the zoom items' lines go on with their hot keys.
ENGLISH_MENU = ["Se&ttings", "Zoom &In", "Zoom &Out", "&Start with Windows", "E&xit"]


def ink_width(image, dark=PopupMenu.DARK):
    columns = [x for x in range(image.width)
               if any(max(image.pixel(x, y)) < dark for y in range(image.height))]
    return columns[-1] + 1 - columns[0] if columns else 0


class Tray_English(TrayTestCase):
    """Loupa where the Windows display language is not Japanese (the same
    prefix, Loupa alone under another locale): every text is English."""

    def test_menu_sheet_about_box_and_message_in_english(self):
        loupa = self.start_resident(variables=locale_variables(ENGLISH))
        # Reference texts drawn as a program of that locale draws them.
        english = Probe(self.prefix, self.display, self.env.work_dir, locale_variables(ENGLISH))

        with self.subTest("tray menu"):
            menu = self.open_tray_menu(loupa)
            _, layout = self.menu_layout(menu, artifact="tray-menu-english")
            self.assertEqual(len(layout.lines), len(ENGLISH_MENU), layout)
            path = self.env.work_dir / "menu-text.bmp"
            for line, text in zip(layout.lines, ENGLISH_MENU):
                english.render_text(path, (400, 40), text)
                width = ink_width(Image.load(path))
                if text == ENGLISH_MENU[0]:
                    # The default item, what a double click does: bold, wider.
                    self.assertGreater(line.right - layout.text_left, width + 2, text)
                elif text.startswith("Zoom"):
                    self.assertGreater(line.right - layout.text_left, width + 40, text)
                else:
                    self.assertAlmostEqual(line.right - layout.text_left, width, delta=2,
                                           msg=f"the width of {text!r}")
            self.close_menu(loupa, menu)

        out = self.artifacts_dir()
        out.mkdir(parents=True, exist_ok=True)
        sheets = harness.SettingsSheet(self.env, english, title="Settings", locale=ENGLISH)
        with self.subTest("settings sheet"):
            sheets.open_by_double_click()
            sheet = sheets.move(loupa.pid, *SHEET_SPOT)
            self.assertEqual(sheets.x_window(loupa.pid).name, "Settings")
            texts = [c.text for c in sheet.controls]
            self.assertIn("Zoom in:", texts)
            self.assertIn("Cancel", texts)  # the system's own button, in its language
            self.assertEqual([c.text for c in sheet.controls if c.cls == PAGE_CLASS],
                             ["Settings", "Display"])

            def statics_drawn():
                shown = sheets.read()
                image = sheets.screenshot(self.env.work_dir / "sheet.png")
                return not [p for c in shown.visible_controls("Static")
                            for p in sheets.static_text_differences(image, shown, c)]

            self.wait_until(statics_drawn, STEP, message="the English labels on the screen")

        with self.subTest("message box"):
            path = appdata_settings(self.prefix)
            path.unlink()
            path.mkdir()
            sheets.click(IDOK)
            box = self.wait_until(lambda: [w for w in self.probe.windows("Loupa") if w.visible],
                                  STEP, message="Loupa's message box")[0]
            self.env.screenshot(out / "message-box-english.png")
            texts = [c.text for c in box.controls]
            self.assertTrue(any(t.startswith("The settings could not be saved.\n") for t in texts),
                            texts)
            self.assertEqual(box.control(IDOK).text, "OK")
            self.input.click(1, *sheets.center(box.control(IDOK)))
            self.wait_until(lambda: not [w for w in self.probe.windows("Loupa") if w.visible],
                            STEP, message="the message box to close")
            sheets.click(IDCANCEL)
            sheets.wait_closed()

        with self.subTest("about box"):
            main = [w for w in self.probe.windows("Loupa") if not w.visible]
            self.assertEqual(len(main), 1, "the hidden main dialog")
            self.probe.syscommand(main[0].hwnd, IDM_ABOUTBOX)
            about = self.wait_until(lambda: self.probe.windows("About Loupa"), STEP,
                                    message="the about box")[0]
            self.env.screenshot(out / "about-box-english.png")
            self.assertIn("About Loupa", [w.name for w in self.windows.visible_of(loupa.pid)])
            self.assertTrue(any(c.text.startswith("Loupa Version ") for c in about.controls))
            self.input.click(1, *sheets.center(about.control(IDOK)))
            self.wait_until(lambda: not self.probe.windows("About Loupa"), STEP,
                            message="the about box to close")


if __name__ == "__main__":
    harness.main()
