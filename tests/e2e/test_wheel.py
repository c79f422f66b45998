#!/usr/bin/python3
"""Zooming with the mouse wheel as a user meets it: the configured chord of
modifier keys (Ctrl by default) turns wheel notches into zoom steps of 0.1
that the program under the pointer never sees; any other wheel turn is that
program's, and so is a backward notch with nothing zoomed, which would change
nothing. The chord comes from the settings kept in memory, which follow an
edit of the file within a second."""

import time

import harness
from harness import ini, magnification
from harness.loupa import appdata_settings
from harness.waiting import scaled
from harness.target import MK_CONTROL, MK_SHIFT

GLIDE = 10
QUIET = 1.5  # how long the zoom window must stay hidden after a notch that is not Loupa's
START = 30


class WheelTestCase(harness.LoupaTestCase):
    def turn(self, modifiers, notches):
        """Turns the wheel over the pointer while holding modifiers ("" for
        none, "ctrl+alt", ...)."""
        if modifiers:
            with self.input.held(modifiers):
                self.input.wheel(notches)
        else:
            self.input.wheel(notches)

    def assertReachesProgram(self, target, zoom, modifiers, notches, key_state):
        """One notch that Loupa must leave alone: the program under the
        pointer gets it, with the modifiers held, and nothing zooms."""
        mark = target.mark()
        self.turn(modifiers, notches)
        wheel = self.wait_until(lambda: target.messages("WM_MOUSEWHEEL", since=mark), 10,
                                message=f"the wheel with {modifiers or 'no key'} at the program")
        self.assertEqual([(m.wheel_delta, m.key_state) for m in wheel],
                         [(120 * notches, key_state)])
        self.assertTrue(zoom.stays_hidden(QUIET),
                        f"the wheel with {modifiers or 'no key'} zoomed: {zoom.window()}")

    def assertZoomsWithoutProgram(self, target, zoom, modifiers):
        """A notch forward zooms to x 1.10, one backward closes the zoom; the
        program under the pointer sees neither."""
        mark = target.mark()
        # Held until the zoom shows (see Input.held).
        with self.input.held(modifiers):
            self.input.wheel(+1)
            zoom.wait_rate(1.1, target.center, GLIDE)
        self.turn(modifiers, -1)
        zoom.wait_hidden(GLIDE)
        self.assertEqual(target.messages("WM_MOUSEWHEEL", since=mark), [],
                         f"the program under the pointer saw the {modifiers} wheel")


class Wheel_DefaultChord(WheelTestCase):
    def test_ctrl_wheel_steps_the_zoom_and_is_swallowed(self):
        loupa, target, zoom = self.start_zoom_scene()

        self.assertZoomsWithoutProgram(target, zoom, "ctrl")
        if self.magnifier:
            # A scale for each notch.
            self.assertEqual(magnification.rates_set(self.magnifier_calls(loupa)), [1.1, 1.0])

    def test_other_wheel_turns_reach_the_program(self):
        _, target, zoom = self.start_zoom_scene()
        cases = [
            ("wheel alone, forward", "", +1, 0),
            ("wheel alone, backward", "", -1, 0),
            ("Ctrl+Shift+wheel, forward", "ctrl+shift", +1, MK_CONTROL | MK_SHIFT),
            ("Ctrl+Shift+wheel, backward", "ctrl+shift", -1, MK_CONTROL | MK_SHIFT),
            # With nothing zoomed it would change nothing: the program's own.
            ("Ctrl+wheel backward, nothing zoomed", "ctrl", -1, MK_CONTROL),
        ]
        for name, modifiers, notches, key_state in cases:
            with self.subTest(name):
                self.assertReachesProgram(target, zoom, modifiers, notches, key_state)


class Wheel_HotPathsReadNoFile(WheelTestCase):
    def test_plain_notches_and_a_still_zoom_look_the_file_up_at_most_once_a_second(self):
        # Wine traces every look-up of a file by its name.
        loupa, target, zoom = self.start_zoom_scene(
            variables={"WINEDEBUG": "-all,err+winediag,trace+file"})
        lookups = lambda: sum("nt_to_unix_file_name" in line and "setting.ini" in line.lower()
                              for line in loupa.log_text().splitlines())
        while not self.holds(lambda n=lookups(): lookups() == n, 1.5):
            pass  # start-up's write-backs settle
        count, started, mark = lookups(), time.monotonic(), target.mark()
        self.input.wheel(10)
        self.wait_until(lambda: len(target.messages("WM_MOUSEWHEEL", since=mark)) == 10)
        self.assertLessEqual(lookups() - count, time.monotonic() - started, "plain notches")
        with self.input.held("ctrl"):
            self.input.wheel(+1)
            zoom.wait_rate(1.1, target.center, GLIDE)
        count, started = lookups(), time.monotonic()
        self.assertTrue(self.holds(loupa.running, 3))
        self.assertLessEqual(lookups() - count, time.monotonic() - started, "a still zoom")


class Wheel_DefaultChord_Magnifier(Wheel_DefaultChord):
    magnifier = True
    # Nothing zooms there.
    test_other_wheel_turns_reach_the_program = None


class Wheel_AltChord(WheelTestCase):
    def test_releasing_alt_after_a_zoom_leaves_notepad_out_of_its_menu(self):
        path = appdata_settings(self.prefix)
        path.parent.mkdir(parents=True, exist_ok=True)
        ini.write_profile(path, {"DEFAULT": [("MouseZoomCtrl", "0"), ("MouseZoomAlt", "1")]})
        loupa = self.wait_resident(self.start_loupa())
        notepad = self.prefix.start(["C:\\windows\\system32\\notepad.exe"],
                                    self.env.work_dir / "logs" / "notepad.log", self.display)
        self.addCleanup(notepad.stop, sig=None)
        window = self.wait_until(lambda: [w for w in self.windows.visible_of(notepad.pid)
                                          if w.width > 200], START)[0]
        self.input.move(window.x + window.width // 2, window.y + window.height // 2)
        self.wait_until(lambda: self.input.focused_window() == window.id or self.input.click(1),
                        GLIDE, interval=0.5, message="the focus on Notepad")
        with self.input.held("alt"):
            self.input.wheel(+1)
            self.wait_until(lambda: self.windows.visible_of(loupa.pid), GLIDE)
        # After a lone Alt the letter would go to Notepad's menu bar.
        self.input.key("x")
        self.wait_until(lambda: any(c.text == "x" for w in self.probe.windows(window.name)
                                    for c in w.controls), GLIDE, message="x in Notepad's text")


class Wheel_ChordFromTheFile(WheelTestCase):
    def test_alt_added_while_running_counts_from_the_next_notch(self):
        loupa, target, zoom = self.start_zoom_scene()
        path = appdata_settings(self.prefix)
        # The chord's four keys are written at start-up.
        self.assertZoomsWithoutProgram(target, zoom, "ctrl")
        keys = dict(ini.keys_of(path))
        self.assertEqual([keys.get(k) for k in ("MouseZoomCtrl", "MouseZoomAlt",
                                                "MouseZoomShift", "MouseZoomWin")],
                         ["1", "0", "0", "0"])

        keys["MouseZoomAlt"] = "1"
        ini.write_profile(path, {"DEFAULT": list(keys.items())})
        # A hand edit takes effect within a second.
        time.sleep(scaled(1))

        self.assertReachesProgram(target, zoom, "ctrl", +1, MK_CONTROL)
        self.assertZoomsWithoutProgram(target, zoom, "ctrl+alt")
        # The same process all along: no restart was needed.
        self.assertTrue(loupa.running())


if __name__ == "__main__":
    harness.main()
