#!/usr/bin/python3
"""Loupa's global hot keys as a user meets them: the default combinations
zoom in, zoom out and cancel over any program, the settings file names them
after the first start, and once Loupa has exited the same keys belong to the
program under the pointer again. Escape is Loupa's only while a zoom shows:
with nothing shown it reaches the program with the focus."""

import harness
from harness import ini
from harness.loupa import appdata_settings

GLIDE = 10  # a glide lasts 600 ms; generous for a loaded machine
SETTLED = 1.0  # how long a rate must stay to count as the end of a glide
START = 30

ALT_SUPER_APOSTROPHE = "super+alt+apostrophe"  # VK 222
ALT_SUPER_MINUS = "super+alt+minus"  # VK 189
VK_ESCAPE, VK_OEM_MINUS, VK_OEM_7 = 27, 189, 222

# AutoStartUp, then the keys kept in memory for the hooks and the zoom tick,
# then the hot keys as their registration reads them.
FIRST_START_KEYS = [
    ("AutoStartUp", "1"),
    ("MouseZoomCtrl", "1"), ("MouseZoomAlt", "0"), ("MouseZoomShift", "0"), ("MouseZoomWin", "0"),
    ("FollowCaret", "0"), ("InvertColors", "0"), ("FollowFocus", "0"),
    ("HotKeyZoomIn", "222"),
    ("HotKeyModZoomIn", "9"),
    ("HotKeyZoomOut", "189"),
    ("HotKeyModZoomOut", "9"),
    ("HotKeyZoomCancel", "27"),
    ("HotKeyModZoomCancel", "0"),
]


def key_presses(messages):
    """Virtual keys pressed, as the program with the focus saw them."""
    return [m.wparam for m in messages if m.name in ("WM_KEYDOWN", "WM_SYSKEYDOWN")]


class HotKeyTestCase(harness.LoupaTestCase):
    def assertGlidesTo(self, zoom, rate, point):
        zoom.wait_rate(rate, point, GLIDE)
        self.assertTrue(self.holds(lambda: zoom.shows(rate, point), SETTLED),
                        f"the zoom went on past x {rate:.2f}: {zoom.last}")


class HotKeys_Defaults(HotKeyTestCase):
    def test_first_start_writes_auto_start_the_copied_keys_and_the_six_hot_keys(self):
        self.start_loupa()
        path = appdata_settings(self.prefix)

        keys = self.wait_until(lambda: len(ini.keys_of(path)) >= len(FIRST_START_KEYS)
                               and ini.keys_of(path), START,
                               message=f"{len(FIRST_START_KEYS)} keys in {path}",
                               ignore=(OSError,))

        self.assertEqual(keys, FIRST_START_KEYS)

    def test_default_keys_zoom_in_zoom_out_and_cancel(self):
        loupa, target, zoom = self.start_zoom_scene()
        point = target.center

        # With nothing shown, Escape is the program's: that it arrives there
        # shows that nothing holds it. Zooming out changes nothing.
        mark = target.mark()
        self.input.key("Escape")
        self.wait_until(lambda: VK_ESCAPE in key_presses(target.messages(since=mark)), 10,
                        message="Escape in the log of the program with the focus")
        self.input.key(ALT_SUPER_MINUS)
        self.assertTrue(zoom.stays_hidden(SETTLED), f"{ALT_SUPER_MINUS} showed the zoom window")
        self.assertNotIn(VK_OEM_MINUS, key_presses(target.messages(since=mark)))

        mark = target.mark()
        self.input.key(ALT_SUPER_APOSTROPHE)
        self.assertGlidesTo(zoom, 4.0, point)

        self.input.key(ALT_SUPER_MINUS)
        self.assertGlidesTo(zoom, 2.0, point)

        self.input.key("Escape")
        zoom.wait_hidden(GLIDE)

        # The combinations were the zoom window's: the program with the
        # focus saw the modifiers go down, never the keys themselves.
        pressed = key_presses(target.messages(since=mark))
        for vk in (VK_OEM_7, VK_OEM_MINUS, VK_ESCAPE):
            self.assertNotIn(vk, pressed)
        self.assertTrue(loupa.running())


class HotKeys_Defaults_Magnifier(HotKeys_Defaults):
    magnifier = True
    # Nothing zooms there.
    test_first_start_writes_auto_start_the_copied_keys_and_the_six_hot_keys = None


class HotKeys_Exit(HotKeyTestCase):
    def test_after_exit_the_keys_and_the_ctrl_wheel_reach_the_program(self):
        loupa, target, zoom = self.start_zoom_scene()
        point = target.center

        # Each act takes what to wait for before its keys are all up.
        def keys(combo):
            def act(while_held=lambda: None):
                self.input.key(combo)
                while_held()
            return act

        def ctrl_wheel(while_held=lambda: None):
            # Ctrl held until the zoom shows (see Input.held).
            with self.input.held("ctrl"):
                self.input.wheel(+1)
                while_held()

        # (what the user does, the message the program under the pointer
        # then gets, the rate Loupa shows while it runs)
        cases = [
            ("Alt+Super+'", keys(ALT_SUPER_APOSTROPHE),
             lambda m: m.name == "WM_SYSKEYDOWN" and m.wparam == VK_OEM_7, 4.0),
            ("Alt+Super+-", keys(ALT_SUPER_MINUS),
             lambda m: m.name == "WM_SYSKEYDOWN" and m.wparam == VK_OEM_MINUS, 2.0),
            ("Escape", keys("Escape"),
             lambda m: m.name == "WM_KEYDOWN" and m.wparam == VK_ESCAPE, None),
            ("Ctrl+wheel", ctrl_wheel,
             lambda m: m.name == "WM_MOUSEWHEEL" and m.wheel_delta == 120, 1.1),
        ]

        # While Loupa runs, each is Loupa's.
        mark = target.mark()
        for name, act, _, rate in cases:
            if rate is None:
                act(lambda: zoom.wait_hidden(GLIDE))
            else:
                act(lambda: zoom.wait_rate(rate, point, GLIDE))
        self.input.key("Escape")
        zoom.wait_hidden(GLIDE)
        for name, _, delivered, _ in cases:
            self.assertFalse([m for m in target.messages(since=mark) if delivered(m)],
                             f"{name} reached the program while Loupa ran")

        self.choose_menu_item(loupa, self.open_tray_menu(loupa), "終了(&X)")
        self.assertEqual(loupa.wait_exit(START), 0)

        target.focus(self.input)
        for name, act, delivered, _ in cases:
            with self.subTest(name):
                mark = target.mark()
                act()
                self.wait_until(lambda: [m for m in target.messages(since=mark) if delivered(m)],
                                10, message=f"{name} to reach the program after Loupa's exit")


if __name__ == "__main__":
    harness.main()
