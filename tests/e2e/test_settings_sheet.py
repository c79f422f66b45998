#!/usr/bin/python3
"""The settings sheet as a user meets it: a double click on the tray icon
opens one sheet "設定" that shows the stored settings on two pages; OK
stores what it shows and new hot keys work at once; Cancel, or Escape while
nothing is zoomed, leaves everything as it was; a hot-key control with the
focus takes every key combination, Loupa's own included. At 150 % scaling
the sheet and its texts grow with the dialog font."""

import shutil

import harness
from harness import ini
from harness.environment import HIGH_CONTRAST_BLACK
from harness.loupa import appdata_settings, settings_dir
from harness.sheet import (CHECK_ALT, CHECK_CTRL, CHECK_FOLLOWCARET, CHECK_FOLLOWFOCUS,
                           CHECK_INVERTCOLORS, CHECK_SHIFT, CHECK_WIN, HOTKEY_ZOOMCANCEL,
                           HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, IDAPPLY, IDCANCEL, IDHELP, IDOK,
                           SLIDER_ZOOMIN, SLIDER_ZOOMOUT, TITLE, page_font)

GLIDE = 10
QUIET = 1.5
START = 30
PAINTED = 10  # for the sheet to show what it holds

VK_BACK, VK_SHIFT, VK_CONTROL, VK_MENU, VK_ESCAPE, VK_Z = 8, 16, 17, 18, 27, 90
VK_OEM_MINUS, VK_OEM_7 = 189, 222
MOD_ALT, MOD_WIN = 0x1, 0x8

# The page's texts in template order: statics (the template's scale line
# gives way to numbers under the ticks, then the sliders' values follow),
# then group boxes, check boxes.
STATIC_TEXTS = [
    "最大拡大率：",
    "最大縮小率：",
    "拡大率(x)：",
    "高速でズームする倍率を設定：",
    "拡大 ：",
    "縮小 ：",
    "キャンセル ： ",
    "＋ マウスホイール",
    "上：拡大\u3000下：縮小",
] + [str(n) for n in range(2, 21, 2)] + ["4 倍", "2 倍"]
RATE_SUFFIX = " 倍"
GROUP_TEXTS = ["ショートカットキー", "マウスズーム"]
CHECK_BOXES = {CHECK_CTRL: "Ctrl", CHECK_ALT: "Alt", CHECK_WIN: "Win", CHECK_SHIFT: "Shift"}
VIEW_CHECK_BOXES = {CHECK_FOLLOWCARET: "文字カーソルを追う", CHECK_INVERTCOLORS: "色を反転する",
                    CHECK_FOLLOWFOCUS: "キーボード フォーカスを追う"}
VIEW_KEYS = ("FollowCaret", "InvertColors", "FollowFocus")
# Where the sheet is moved to: clear of Wine's tray, whose icon stays clickable.
SHEET_PLACE = (760, 240)


class SheetTestCase(harness.LoupaTestCase):
    def setUp(self):
        super().setUp()
        self.sheets = harness.SettingsSheet(self.env, self.probe)
        self.names = None

    def key_name(self, vk):
        if self.names is None:
            self.names = self.probe.key_names(VK_SHIFT, VK_CONTROL, VK_MENU, VK_ESCAPE, VK_Z,
                                              VK_OEM_MINUS, VK_OEM_7)
        return self.names[vk]

    def hot_key_text(self, vk, win=False, ctrl=False, shift=False, alt=False):
        """How a hot-key control writes a combination: Win, Ctrl, Shift, Alt,
        the key, joined by " + ", in the layout's key names."""
        parts = (["Win"] if win else []) + [self.key_name(m) for m, on in
                                            ((VK_CONTROL, ctrl), (VK_SHIFT, shift), (VK_MENU, alt))
                                            if on]
        return " + ".join(parts + [self.key_name(vk)])

    def open_sheet(self, loupa):
        """Opens the sheet with a double click on the tray icon and moves it
        aside; returns it."""
        self.sheets.open_by_double_click()
        return self.sheets.move(loupa.pid, *SHEET_PLACE)

    def wait_shows(self, what, differences):
        """Waits until a screenshot shows something: differences(image, sheet)
        lists the pixels that are not as they should be."""
        seen = []

        def shown():
            sheet = self.sheets.read()
            image = self.sheets.screenshot(self.env.work_dir / "sheet.png")
            seen[:] = differences(image, sheet)
            return not seen

        self.wait_until(shown, PAINTED,
                        message=lambda: f"{what} on the screen ({len(seen)} pixels differ, "
                                        f"first {seen[:5]})")

    def default_hot_key_texts(self):
        return {
            HOTKEY_ZOOMIN: self.hot_key_text(VK_OEM_7, win=True, alt=True),
            HOTKEY_ZOOMOUT: self.hot_key_text(VK_OEM_MINUS, win=True, alt=True),
            HOTKEY_ZOOMCANCEL: self.hot_key_text(VK_ESCAPE),
        }

    def wait_texts_shown(self, what, hot_keys):
        """Waits until the screen shows the labels and the hot-key controls'
        combinations, each as the system draws that text there in the page's
        font."""
        def differences(image, shown):
            wrong = []
            for control in shown.visible_controls("Static"):
                wrong += self.sheets.static_text_differences(image, shown, control)
            for control_id, text in hot_keys.items():
                wrong += self.sheets.hot_key_text_differences(image, shown, control_id, text)
            return wrong

        self.wait_shows(what, differences)

    def wait_hot_key_shows(self, control_id, text):
        self.wait_shows(f"{text!r} in hot-key control {control_id}",
                        lambda image, sheet: self.sheets.hot_key_text_differences(
                            image, sheet, control_id, text))

    def has_focus(self, control_id):
        sheet = self.sheets.read()
        return sheet.focus == sheet.control(control_id).hwnd

    def focus_control(self, control_id):
        """Clicks into a control and waits until it has the keyboard focus."""
        self.sheets.click(control_id)
        self.wait_until(lambda: self.has_focus(control_id), 10,
                        message=f"the focus in control {control_id}")

    def settings(self):
        return dict(ini.keys_of(appdata_settings(self.prefix)))

    def message_boxes(self):
        """Loupa's message boxes on the screen: windows captioned with its
        name (the hidden main dialog has the same caption)."""
        return [w for w in self.probe.windows("Loupa") if w.visible
                and any(c.cls.lower() == "static" and c.text for c in w.controls)]

    def close_message_box(self):
        """Waits for one message box of Loupa; closes it; returns its text."""
        box = self.wait_until(self.message_boxes, PAINTED, message="a message box of Loupa")[0]
        text = "\n".join(c.text for c in box.controls if c.cls.lower() == "static")
        self.input.click(1, *self.sheets.center(box.control(IDOK)))
        self.wait_until(lambda: not self.message_boxes(), PAINTED,
                        message="the message box to close")
        return text

    def slider_values(self):
        return [c.text for c in self.sheets.read().visible_controls("Static")
                if c.text.endswith(RATE_SUFFIX)]

    def wait_settings_file(self):
        path = appdata_settings(self.prefix)
        self.wait_until(lambda: len(ini.keys_of(path)) >= 7, START,
                        message=f"the hot keys in {path}", ignore=(OSError,))
        return path

class SettingsSheet_Opening(SheetTestCase):
    def test_double_click_opens_one_sheet_showing_the_settings(self):
        loupa = self.wait_resident(self.start_loupa())

        sheet = self.open_sheet(loupa)

        self.assertEqual(self.sheets.x_window(loupa.pid).name, TITLE)
        self.assertEqual([c.text for c in sheet.visible_controls("Static")], STATIC_TEXTS)
        buttons = {c.id: c for c in sheet.controls if c.cls == "Button"}
        self.assertEqual([c.text for c in sheet.controls if c.id == -1 and c.cls == "Button"],
                         GROUP_TEXTS)
        self.assertEqual({i: (buttons[i].text, buttons[i].check) for i in CHECK_BOXES},
                         {i: (text, 1 if i == CHECK_CTRL else 0)
                          for i, text in CHECK_BOXES.items()})
        self.assertEqual((sheet.control(SLIDER_ZOOMIN).pos, sheet.control(SLIDER_ZOOMOUT).pos),
                         (4, 2))
        # Only OK and Cancel: no Apply, no Help.
        self.assertEqual(sorted(c.id for c in sheet.visible_controls("Button")
                                if c.id in (IDOK, IDCANCEL, IDAPPLY, IDHELP)),
                         [IDOK, IDCANCEL])

        # What the screen shows: the labels in Japanese and the combinations.
        hot_keys = self.default_hot_key_texts()
        # Written out, not through the helper: the modifiers' order and
        # joints are what the control must draw.
        hot_keys[HOTKEY_ZOOMIN] = "Win + Alt + " + self.key_name(VK_OEM_7)
        self.wait_texts_shown("the labels and the default hot keys", hot_keys)
        out = self.artifacts_dir()
        out.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.env.work_dir / "sheet.png", out / "settings-sheet-96dpi.png")

        # A second double click brings no second sheet.
        self.sheets.open_by_double_click()
        self.assertTrue(self.holds(lambda: len(self.sheets.windows()) == 1, QUIET),
                        f"{len(self.sheets.windows())} sheets are open")
        self.assertEqual(self.sheets.read().hwnd, sheet.hwnd)

        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()
        self.assertTrue(loupa.running())

    def test_escape_closes_the_sheet_while_nothing_is_zoomed(self):
        loupa = self.wait_resident(self.start_loupa())
        path = self.wait_settings_file()
        self.open_sheet(loupa)
        before = path.read_bytes()
        # The focus in the sheet, on a control that leaves Escape to the
        # dialog (a hot-key control would take it as a combination).
        hot_key_controls = {self.sheets.read().control(i).hwnd
                            for i in (HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL)}
        self.input.focus(self.sheets.x_window(loupa.pid).id)
        self.wait_until(lambda: self.sheets.read().focus not in hot_key_controls | {0, None}, 10,
                        message="the focus in the sheet, outside the hot-key controls")

        self.input.key("Escape")

        self.sheets.wait_closed()
        self.assertEqual(path.read_bytes(), before)
        self.assertTrue(loupa.running())


class SettingsSheet_At150Percent(SheetTestCase):
    dpi = 144

    def test_sheet_and_its_texts_grow_with_the_dpi(self):
        loupa = self.wait_resident(self.start_loupa())

        sheet = self.open_sheet(loupa)

        # Each text as the system draws it in the page's font at 144 DPI,
        # the hot-key controls' combinations too, none cut off by its control.
        self.wait_texts_shown("the labels and the default hot keys at 144 DPI",
                              self.default_hot_key_texts())
        out = self.artifacts_dir()
        out.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.env.work_dir / "sheet.png", out / "settings-sheet-144dpi.png")
        font_height = -page_font(self.dpi)["font_height"]
        for control_id in (HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL):
            _, top, _, bottom = sheet.control(control_id).rect
            self.assertGreater(bottom - top, font_height, f"control {control_id}")

        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()
        self.assertTrue(loupa.running())


class SettingsSheet_HighContrast(SheetTestCase):
    colors = HIGH_CONTRAST_BLACK

    def test_hot_key_fields_write_in_the_window_text_colour(self):
        self.open_sheet(self.wait_resident(self.start_loupa()))
        shot = self.env.work_dir / "high-contrast-1.png"

        def white_on_black(control_id):
            field = self.sheets.screenshot(shot).crop(self.sheets.read().control(control_id).rect)
            return field.dominant_color() == (0, 0, 0) and field.count_unlike((0, 0, 0)) > 20

        for control_id in (HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL):
            self.wait_until(lambda: white_on_black(control_id), PAINTED,
                            message=f"white text on black in hot-key field {control_id}")
        sheet = self.sheets.show_page(1, CHECK_FOLLOWCARET)
        image = self.sheets.screenshot(self.env.work_dir / "high-contrast-2.png")
        for control_id in VIEW_CHECK_BOXES:
            label = image.crop(sheet.control(control_id).rect)
            self.assertGreater(label.count_unlike(label.dominant_color()), 40, control_id)


class SettingsSheet_HotKeys(SheetTestCase):
    def test_new_zoom_in_combination_works_at_once_after_ok(self):
        loupa, target, zoom = self.start_zoom_scene()
        path = self.wait_settings_file()
        self.open_sheet(loupa)

        self.focus_control(HOTKEY_ZOOMIN)
        self.input.chord("ctrl+shift", "z")
        self.wait_hot_key_shows(HOTKEY_ZOOMIN, self.hot_key_text(VK_Z, ctrl=True, shift=True))
        self.sheets.click(IDOK)
        self.sheets.wait_closed()

        settings = dict(ini.keys_of(path))
        self.assertEqual((settings["HotKeyZoomIn"], settings["HotKeyModZoomIn"]), ("90", "6"))
        target.focus(self.input)
        self.input.key("super+alt+apostrophe")
        self.assertTrue(zoom.stays_hidden(QUIET), "the old zoom-in combination still zooms")
        self.input.chord("ctrl+shift", "z",
                         while_held=lambda: zoom.wait_rate(4.0, target.center, GLIDE))
        self.input.key("Escape")
        zoom.wait_hidden(GLIDE)
        self.assertTrue(loupa.running())

    def test_backspace_empties_a_field_and_ok_registers_nothing(self):
        loupa, target, zoom = self.start_zoom_scene()
        path = self.wait_settings_file()
        self.open_sheet(loupa)

        self.focus_control(HOTKEY_ZOOMIN)
        self.input.key("BackSpace")
        self.wait_hot_key_shows(HOTKEY_ZOOMIN, "")
        # A key that types text counts only with Ctrl, Alt or the Windows key.
        self.input.key("shift+z")
        self.assertTrue(self.holds(lambda: not self.sheets.hot_key_text_differences(
            self.sheets.screenshot(self.env.work_dir / "sheet.png"), self.sheets.read(),
            HOTKEY_ZOOMIN, ""), QUIET), "Shift+Z filled the field")
        self.sheets.click(IDOK)
        self.sheets.wait_closed()

        settings = dict(ini.keys_of(path))
        self.assertEqual((settings["HotKeyZoomIn"], settings["HotKeyModZoomIn"]), ("0", "0"))
        # Nothing is registered for it: Backspace and the old combination are
        # the program's again.
        target.focus(self.input)
        mark = target.mark()
        self.input.key("BackSpace")
        self.input.key("super+alt+apostrophe")
        self.wait_until(lambda: {VK_BACK, VK_OEM_7} <= {
            m.wparam for m in target.messages(since=mark)
            if m.name in ("WM_KEYDOWN", "WM_SYSKEYDOWN")}, PAINTED,
            message="Backspace and the old zoom-in combination at the program")
        self.assertTrue(zoom.stays_hidden(QUIET), "something still zooms in")
        self.assertTrue(loupa.running())

    def test_focused_control_takes_the_zoom_in_combination(self):
        loupa, target, zoom = self.start_zoom_scene()
        self.open_sheet(loupa)
        self.wait_hot_key_shows(HOTKEY_ZOOMCANCEL, self.hot_key_text(VK_ESCAPE))

        self.focus_control(HOTKEY_ZOOMCANCEL)
        self.input.chord("super+alt", "apostrophe")

        self.wait_hot_key_shows(HOTKEY_ZOOMCANCEL,
                                self.hot_key_text(VK_OEM_7, win=True, alt=True))
        self.assertTrue(zoom.stays_hidden(QUIET), "the zoom-in combination zoomed")
        self.assertEqual(len(self.sheets.windows()), 1)

        # Cancelled: the zoom-in combination is Loupa's again.
        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()
        target.focus(self.input)
        self.input.key("super+alt+apostrophe")
        zoom.wait_rate(4.0, target.center, GLIDE)


class SettingsSheet_DialogKeys(SheetTestCase):
    def test_tab_escape_and_enter_work_the_sheet_from_the_fields(self):
        loupa = self.wait_resident(self.start_loupa())
        path = self.wait_settings_file()
        self.open_sheet(loupa)
        before = path.read_bytes()  # with the keys the sheet read
        defaults = self.default_hot_key_texts()

        # Tab and Shift + Tab move from field to field; each keeps its value.
        self.focus_control(HOTKEY_ZOOMIN)
        for key, field in (("Tab", HOTKEY_ZOOMOUT), ("Tab", HOTKEY_ZOOMCANCEL),
                           ("shift+Tab", HOTKEY_ZOOMOUT)):
            self.input.key(key)
            self.wait_until(lambda: self.has_focus(field), 10,
                            message=f"{key} to bring the focus to control {field}")
        self.wait_shows("every field as it was", lambda image, sheet: [
            p for i, text in defaults.items()
            for p in self.sheets.hot_key_text_differences(image, sheet, i, text)])

        # Up has its own name, not the keypad's 8; then Escape in the zoom-in
        # field closes the sheet as Cancel does.
        self.focus_control(HOTKEY_ZOOMIN)
        self.input.key("Up")
        self.wait_hot_key_shows(HOTKEY_ZOOMIN, "Up")
        self.artifacts_dir().mkdir(parents=True, exist_ok=True)
        shutil.copy(self.env.work_dir / "sheet.png", self.artifacts_dir() / "hot-key-up.png")
        self.input.key("Escape")
        self.sheets.wait_closed()
        self.assertEqual(path.read_bytes(), before)

        # In the cancel field Escape is a hot key; Enter presses OK, which
        # refuses one combination for two commands and writes nothing.
        self.open_sheet(loupa)
        self.focus_control(HOTKEY_ZOOMOUT)
        self.input.chord("super+alt", "apostrophe")
        self.wait_hot_key_shows(HOTKEY_ZOOMOUT, defaults[HOTKEY_ZOOMIN])
        self.focus_control(HOTKEY_ZOOMCANCEL)
        self.input.key("BackSpace")
        self.wait_hot_key_shows(HOTKEY_ZOOMCANCEL, "")
        self.input.key("Escape")
        self.wait_hot_key_shows(HOTKEY_ZOOMCANCEL, self.hot_key_text(VK_ESCAPE))
        self.input.key("Return")
        text = self.close_message_box()
        self.assertIn("同じキーが二つの操作に割り当てられています。\n「ズームイン」と「ズームアウト」", text)
        self.assertTrue(self.holds(lambda: len(self.sheets.windows()) == 1, QUIET), "closed")
        self.assertEqual(path.read_bytes(), before)

        self.focus_control(HOTKEY_ZOOMOUT)
        self.input.chord("ctrl+shift", "z")
        self.wait_hot_key_shows(HOTKEY_ZOOMOUT, self.hot_key_text(VK_Z, ctrl=True, shift=True))
        self.sheets.click(IDOK)
        self.sheets.wait_closed()
        settings = self.settings()
        self.assertEqual([settings[k] for k in ("HotKeyZoomOut", "HotKeyModZoomOut",
                                                "HotKeyZoomCancel", "HotKeyModZoomCancel")],
                         ["90", "6", "27", "0"])
        self.assertTrue(loupa.running())


class SettingsSheet_Saving(SheetTestCase):

    def test_a_key_another_program_holds_is_reported_at_start_and_on_ok(self):
        target = self.start_target(hold=(MOD_ALT | MOD_WIN, VK_OEM_7))
        self.assertEqual([m.name for m in target.messages() if m.name.startswith("HOTKEY")],
                         ["HOTKEY_HELD"])
        loupa = self.wait_resident(self.start_loupa())
        line = (f"ズームイン ({self.hot_key_text(VK_OEM_7, win=True, alt=True)}) "
                "は他のプログラムが使用しているため使えません。")
        balloons = self.wait_until(lambda: [t for t in self.probe.tooltips() if line in t],
                                   START, message="the balloon naming the held key")
        self.assertEqual(balloons, [line + "\n設定で別のキーを選べます。"])

        # OK with the key unchanged: a message box, and the sheet stays open.
        self.open_sheet(loupa)
        self.sheets.click(IDOK)
        box = self.wait_until(self.message_boxes, PAINTED, message="a message box of Loupa")[0]
        self.assertEqual([c.text for c in box.controls if c.cls.lower() == "static" and c.text],
                         [line + "\n別のキーを選んでください。"])
        self.input.click(1, *self.sheets.center(box.control(IDOK)))
        self.wait_until(lambda: not self.message_boxes(), PAINTED, message="the box to close")
        self.assertTrue(self.holds(lambda: len(self.sheets.windows()) == 1, QUIET))

        # A free combination: OK closes the sheet and the key zooms.
        self.focus_control(HOTKEY_ZOOMIN)
        self.input.chord("ctrl+shift", "z")
        self.wait_hot_key_shows(HOTKEY_ZOOMIN, self.hot_key_text(VK_Z, ctrl=True, shift=True))
        self.sheets.click(IDOK)
        self.sheets.wait_closed()
        zoom = harness.ZoomView(self.env, self.probe, loupa, target.rect)
        target.focus(self.input)
        self.input.chord("ctrl+shift", "z",
                         while_held=lambda: zoom.wait_rate(4.0, target.center, GLIDE))

    def test_a_failed_save_is_reported_and_the_sheet_stays_open(self):
        loupa = self.wait_resident(self.start_loupa())
        path = self.wait_settings_file()
        self.open_sheet(loupa)
        saved = path.read_bytes()  # with the keys the sheet read
        self.sheets.click(CHECK_ALT)
        self.wait_until(lambda: self.sheets.read().control(CHECK_ALT).check == 1, PAINTED,
                        message="Alt checked")
        # A folder in the file's place stops every writer; file modes would
        # not stop Wine running as root.
        path.unlink()
        path.mkdir()

        self.sheets.click(IDOK)

        text = self.close_message_box()
        self.assertIn("設定を保存できませんでした。", text)
        self.assertIn(self.prefix.to_windows(path).lower(), text.lower())
        self.assertTrue(self.holds(lambda: len(self.sheets.windows()) == 1, QUIET),
                        "the sheet closed after the failed save")

        # With the file back, OK stores what the sheet shows and closes it.
        path.rmdir()
        path.write_bytes(saved)
        self.sheets.click(IDOK)
        self.sheets.wait_closed()
        self.assertEqual(self.settings()["MouseZoomAlt"], "1")
        self.assertTrue(loupa.running())


class SettingsSheet_NoAppData(SheetTestCase):
    def test_without_appdata_nothing_is_written_and_ok_reports_the_failed_save(self):
        # A user whose roaming application-data folder cannot be found.
        roaming = settings_dir(self.prefix).parent
        aside = roaming.with_name(roaming.name + ".aside")
        roaming.rename(aside)
        self.addCleanup(aside.rename, roaming)
        self.addCleanup(shutil.rmtree, roaming, ignore_errors=True)
        windows = self.prefix.drive_c / "windows"
        before = {p.name.lower() for p in windows.iterdir()}

        loupa = self.start_loupa(first_start=True)
        text = self.close_message_box()
        self.assertIn("設定フォルダ (%APPDATA%) が見つからないため、設定は保存されません。", text)
        self.wait_resident(loupa)
        self.open_sheet(loupa)
        self.sheets.click(IDOK)
        self.assertIn("設定を保存できませんでした。", self.close_message_box())
        self.assertEqual(len(self.sheets.windows()), 1)
        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()

        self.assertEqual({p.name.lower() for p in windows.iterdir()} - before, set())
        self.assertFalse(appdata_settings(self.prefix).exists())
        self.assertTrue(loupa.running())


class SettingsSheet_Limits(SheetTestCase):
    def test_inverted_pair_opens_corrected_values_follow_and_ok_stores_both(self):
        loupa = self.wait_resident(self.start_loupa())
        path = self.wait_settings_file()
        settings = self.settings()
        settings.update(MaxRateZoomIn="5", MaxRateZoomOut="7")
        ini.write_profile(path, {"DEFAULT": list(settings.items())})

        # A hand-edited pair that dragging could not give opens as one it
        # could; Cancel writes nothing.
        sheet = self.open_sheet(loupa)
        before = path.read_bytes()
        self.assertEqual((sheet.control(SLIDER_ZOOMIN).pos, sheet.control(SLIDER_ZOOMOUT).pos),
                         (5, 5))
        self.assertEqual(self.slider_values(), ["5 倍", "5 倍"])
        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()
        self.assertEqual(path.read_bytes(), before)

        sheet = self.open_sheet(loupa)
        image = self.sheets.screenshot(self.env.work_dir / "sliders-5-5.png")
        thumb_in = self.sheets.thumb_center(image, sheet.control(SLIDER_ZOOMIN))

        # A click on the thumb gives the slider the focus without moving it;
        # then two steps left, the values following.
        self.input.click(1, *thumb_in)
        self.wait_until(lambda: self.has_focus(SLIDER_ZOOMIN), 10,
                        message="the focus on the zoom-in slider")
        self.assertEqual(self.sheets.read().control(SLIDER_ZOOMIN).pos, 5)
        self.input.key("Left")
        self.wait_until(lambda: self.slider_values() == ["4 倍", "4 倍"], 10,
                        message=lambda: f"the values 4 and 4, not {self.slider_values()}")
        self.input.key("Left")

        def positions():
            shown = self.sheets.read()
            return shown.control(SLIDER_ZOOMIN).pos, shown.control(SLIDER_ZOOMOUT).pos

        self.wait_until(lambda: positions() == (3, 3), 10,
                        message=lambda: f"sliders at 3 and 3, not {positions()}")
        self.assertEqual(self.slider_values(), ["3 倍", "3 倍"])

        def thumbs_aligned(image, shown):
            x_in = self.sheets.thumb_center(image, shown.control(SLIDER_ZOOMIN))[0]
            x_out = self.sheets.thumb_center(image, shown.control(SLIDER_ZOOMOUT))[0]
            return [] if abs(x_in - x_out) <= 1 else [(x_in, x_out)]

        self.wait_shows("both thumbs at one place", thumbs_aligned)

        self.sheets.click(IDOK)
        self.sheets.wait_closed()
        settings = self.settings()
        self.assertEqual((settings["MaxRateZoomIn"], settings["MaxRateZoomOut"]), ("3", "3"))

    def test_cancel_after_changes_leaves_the_file_and_the_hot_keys(self):
        loupa, target, zoom = self.start_zoom_scene()
        path = self.wait_settings_file()
        sheet = self.open_sheet(loupa)
        # Opening wrote the keys it missed; from here on nothing may change.
        before = path.read_bytes()

        image = self.sheets.screenshot(self.env.work_dir / "sheet-before.png")
        self.input.click(1, *self.sheets.thumb_center(image, sheet.control(SLIDER_ZOOMIN)))
        self.input.key("Left")
        self.sheets.click(CHECK_ALT)
        self.sheets.click(CHECK_CTRL)
        self.focus_control(HOTKEY_ZOOMIN)
        self.input.chord("ctrl+shift", "z")
        self.wait_hot_key_shows(HOTKEY_ZOOMIN, self.hot_key_text(VK_Z, ctrl=True, shift=True))
        changed = self.sheets.read()
        self.assertEqual((changed.control(SLIDER_ZOOMIN).pos, changed.control(SLIDER_ZOOMOUT).pos,
                          changed.control(CHECK_ALT).check, changed.control(CHECK_CTRL).check),
                         (3, 2, 1, 0))

        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()

        self.assertEqual(path.read_bytes(), before)
        target.focus(self.input)
        self.input.key("super+alt+apostrophe")
        zoom.wait_rate(4.0, target.center, GLIDE)
        self.input.key("Escape")
        zoom.wait_hidden(GLIDE)
        self.assertTrue(loupa.running())


class SettingsSheet_ViewPage(SheetTestCase):
    def view_checks(self):
        shown = self.sheets.read()
        return tuple(shown.control(i).check for i in VIEW_CHECK_BOXES)

    def test_second_page_ok_stores_the_three_flags_and_cancel_nothing(self):
        loupa = self.wait_resident(self.start_loupa())
        path = self.wait_settings_file()

        sheet = self.open_sheet(loupa)

        # Read when the sheet opens, page 2 not shown yet: the defaults were
        # written back.
        self.assertEqual(tuple(self.settings()[k] for k in VIEW_KEYS), ("0", "0", "0"))
        shown = {i: sheet.control(i) for i in VIEW_CHECK_BOXES}
        self.assertEqual({i: (c.text, c.check, c.visible) for i, c in shown.items()},
                         {i: (text, 0, False) for i, text in VIEW_CHECK_BOXES.items()})
        sheet = self.sheets.show_page(1, CHECK_FOLLOWCARET)
        self.assertFalse(sheet.control(SLIDER_ZOOMIN).visible, "page 1 still shows")
        page = [c for c in sheet.visible_controls("#32770")]
        self.assertEqual(len(page), 1, f"visible pages: {page}")
        image = self.sheets.screenshot(self.env.work_dir / "settings-page2.png")
        for control_id in VIEW_CHECK_BOXES:
            box = image.crop(sheet.control(control_id).rect)
            self.assertGreater(box.count_unlike(box.dominant_color()), 40,
                               f"check box {control_id} shows no text")

        self.sheets.click(CHECK_FOLLOWCARET)
        self.sheets.click(CHECK_INVERTCOLORS)
        self.sheets.click(CHECK_FOLLOWFOCUS)
        self.wait_until(lambda: self.view_checks() == (1, 1, 1), 10,
                        message=lambda: f"the boxes checked, not {self.view_checks()}")
        self.sheets.click(IDOK)
        self.sheets.wait_closed()

        settings = self.settings()
        self.assertEqual(tuple(settings[k] for k in VIEW_KEYS), ("1", "1", "1"))
        self.assertEqual((settings["MaxRateZoomIn"], settings["MouseZoomCtrl"]), ("4", "1"),
                         "page 1's values as shown")

        # Flags are bit 0; the page is applied on OK also when never shown.
        settings.update(FollowCaret="3", InvertColors="2", FollowFocus="2")
        ini.write_profile(path, {"DEFAULT": list(settings.items())})
        self.open_sheet(loupa)
        self.assertEqual(self.view_checks(), (1, 0, 0))
        self.sheets.click(IDOK)
        self.sheets.wait_closed()
        self.assertEqual(tuple(self.settings()[k] for k in VIEW_KEYS), ("1", "0", "0"))

        # Changed and cancelled, nothing changes.
        self.open_sheet(loupa)
        before = path.read_bytes()
        self.sheets.show_page(1, CHECK_FOLLOWCARET)
        self.sheets.click(CHECK_FOLLOWCARET)
        self.sheets.click(CHECK_INVERTCOLORS)
        self.sheets.click(CHECK_FOLLOWFOCUS)
        self.wait_until(lambda: self.view_checks() == (0, 1, 1), 10,
                        message=lambda: f"the boxes swapped, not {self.view_checks()}")
        self.sheets.click(IDCANCEL)
        self.sheets.wait_closed()
        self.assertEqual(path.read_bytes(), before)


if __name__ == "__main__":
    harness.main()
