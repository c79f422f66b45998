#!/usr/bin/python3
"""The zoom window as a user meets it: over a fixed pattern, the tray menu
and the hot key zoom in; the window covers the monitor under the cursor
with that monitor magnified around the cursor and the rate in green at the
top right; it follows the cursor, lets clicks through, zooms out, cancels,
moves to the other monitor with the cursor, and takes the top back from
another program's top-most window. With FollowCaret it follows the text
caret while the user types, the system caret or a caret that a program
tells of through accessibility; with FollowFocus it follows the
keyboard focus from control to control; with InvertColors it shows inverted
colours. At 150 % scaling it still covers the monitor pixel for pixel, and
its caption is half as large again.

Each case runs on both paths (where the view is placed, caret or cursor,
does not depend on the path: those cases run on the first only): the screen
copy that Loupa falls back to, and the Magnification API through the
stand-in Magnification.dll, where the view is the same without a caption,
and the library's call log shows what Loupa asked of it.

Every expected picture is computed from a screenshot taken before the zoom,
with the rule by which the view is placed: for a client area W x H, rate r
and the cursor (px, py) in client coordinates clamped into [0, W] x [0, H],
the source is (0, 0, W / r, H / r) offset by (px - px / r, py - py / r), all
truncated, stretched over the whole window pixel by pixel. A view on the
caret is a source of the same size whose left is the x of the middle of the
caret's rectangle less half the width, in whole pixels (its top likewise),
moved as little as needed to lie inside the client area; a view on the
focus likewise on the middle of the focused button, smaller than the view."""

import time

import harness
from harness import Image, ZoomView, blank, compare, crop, ini, negate, scale
from harness import magnification
from harness.environment import BASE_DPI, mul_div
from harness.loupa import TRAY_MENU, appdata_settings
from harness.processes import run_tool
from harness.rects import offset, size
from harness.zoomview import GREEN

START = 30  # seconds for Loupa to show its icon, generous for a loaded machine
VIEW = 10  # seconds for a view to appear: a glide takes 0.6 s, a tick 50 ms
RATE_IN, RATE_OUT = 4, 2  # the default MaxRateZoomIn and MaxRateZoomOut

# Wine's tray sits at the top left. A target leaves a band free at the top
# of its monitor, as a maximised window leaves the task bar: so the tray
# stays above the target both for the window manager and for Wine, which
# sends a click on the click-through zoom window to the topmost Wine window
# under it; and openbox does not take the target, a window without frame
# filling its monitor, for a full-screen one, which it keeps above all
# others on that monitor while it has the focus.
TRAY_BAND = 48

# The caption "Loupa \nx 4.00 " is right-aligned at the top of the window in
# two lines of a 35-pixel font at 96 DPI; the rest of the window is the
# magnified view.
CAPTION_SIZE = (240, 96)
# Pixels allowed to differ (by more than FUZZ) outside the caption: a view
# off by one source pixel differs in a quarter of the window or more.
TOLERANCE = 500
FUZZ = "3%"

# The colour matrices of MagSetColorEffect, row by row, a pixel's (r, g, b,
# a, 1) times the matrix: each colour channel c to 1 - c, and no change.
INVERSION = [-1, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 1]
IDENTITY = [1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1]

# Another program's top-most window that comes up over the zoom: where, and
# how long it may stay up before the zoom must be on top again (many ticks).
COVER = (400, 300, 800, 600)
COVER_MS = 10000


def source_rect(width, height, rate, cursor):
    """The part of a width x height client area shown at rate with the
    cursor at cursor (client coordinates)."""
    px = min(max(cursor[0], 0), width)
    py = min(max(cursor[1], 0), height)
    dx, dy = int(px - px / rate), int(py - py / rate)
    return (dx, dy, dx + int(width / rate), dy + int(height / rate))


def centred_rect(width, height, rate, centre):
    """The part of a width x height client area shown at rate centred on
    centre (client coordinates), kept inside the client area."""
    w, h = int(width / rate), int(height / rate)
    left = min(max(centre[0] - w // 2, 0), width - w)
    top = min(max(centre[1] - h // 2, 0), height - h)
    return (left, top, left + w, top + h)


def caption_box(monitor, dpi):
    """The caption's corner of a zoom window over monitor at dpi, in the
    window's coordinates."""
    width, _ = size(monitor)
    box_width, box_height = (mul_div(length, dpi, BASE_DPI) for length in CAPTION_SIZE)
    return (width - box_width, 0, width, box_height)


def near(pixel, color, tolerance):
    return max(abs(a - b) for a, b in zip(pixel, color)) <= tolerance


def runs(values):
    """Sorted integers as [(first, last), ...] runs of consecutive values."""
    found = []
    for value in values:
        if found and value == found[-1][1] + 1:
            found[-1] = (found[-1][0], value)
        else:
            found.append((value, value))
    return found


class Caption:
    """The caption's letters: the points of the caption box that are plain
    green on screen, relative to the box's top-right corner. Letter edges are
    blended with the view beneath and are left out; where the view beneath is
    green itself, letters cannot be told apart: those points are hidden."""

    def __init__(self, points, hidden):
        self.points = frozenset(points)
        self.hidden = frozenset(hidden)
        self.lines = runs(sorted({y for _, y in self.points}))

    def line(self, index, hidden=frozenset()):
        """The points of one text line relative to the line's top, leaving
        out hidden ones."""
        top, bottom = self.lines[index]
        return {(x, y - top) for x, y in self.points
                if top <= y <= bottom and (x, y) not in hidden}

    def differing_columns(self, other, index):
        """Columns (relative to the right edge) where line index differs
        from the same line of other, where both can be seen."""
        hidden = self.hidden | other.hidden
        return sorted({x for x, _ in self.line(index, hidden) ^ other.line(index, hidden)})

    def __repr__(self):
        return f"Caption({len(self.points)} points, rows {self.lines})"


class ZoomTestCase(harness.LoupaTestCase):
    def setUp(self):
        super().setUp()
        self.file_count = 0
        self.kept = []
        # The screen copy writes the rate over the view; the Magnification
        # API path shows the view alone.
        self.captioned = not self.magnifier

    # ---- the scene ----------------------------------------------------
    def start_resident(self, variables=None, timeout=START):
        """Loupa with its icon in Wine's tray, which must lie in its band."""
        loupa = super().start_resident(variables, timeout)
        tray = self.windows.tray()
        self.assertLessEqual(tray.window.rect[3], TRAY_BAND - 4,
                             f"the tray lies outside the band left for it: {tray.window}")
        return loupa

    def wait_zoom_window(self, loupa, rect, timeout=VIEW):
        """Waits until Loupa's one mapped window lies exactly at rect."""
        def placed():
            shown = self.zoom_windows(loupa)
            return len(shown) == 1 and shown[0].rect == tuple(rect) and shown[0]

        try:
            return self.wait_until(placed, timeout, message=f"the zoom window at {rect}")
        except harness.WaitTimeout as error:
            shown = [str(w) for w in self.zoom_windows(loupa)]
            raise AssertionError(f"{error}; Loupa shows {shown}") from None

    def choose(self, loupa, label):
        self.choose_menu_item(loupa, self.open_tray_menu(loupa), label)

    # ---- pictures -----------------------------------------------------
    def work_file(self, label):
        self.file_count += 1
        name = "".join(c if c.isalnum() or c in "-." else "_" for c in label)
        # Uncompressed: most are looked at once, in a polling loop.
        return self.env.work_dir / f"{self._testMethodName}-{self.file_count:03d}-{name}.ppm"

    def shot(self, label):
        return self.env.screenshot(self.work_file(label))

    def zoomed_view(self, before, monitor, rate, cursor, label, centred=False, inverted=False):
        """What the zoom window over monitor shows beneath its caption at
        rate with the cursor at cursor (screen coordinates), made from the
        screenshot before; centred on cursor when centred (the view on the
        caret), in inverted colours when inverted."""
        width, height = size(monitor)
        client_cursor = (cursor[0] - monitor[0], cursor[1] - monitor[1])
        placed = centred_rect if centred else source_rect
        source = offset(placed(width, height, rate, client_cursor), monitor[0], monitor[1])
        part = crop(before, self.work_file(f"{label}-source"), source)
        view = scale(part, self.work_file(f"{label}-view"), rate)
        if inverted:
            view = negate(view, self.work_file(f"{label}-inverted"))
        image = Image.load(view)
        self.assertEqual((image.width, image.height), (width, height), f"source {source}")
        return view

    def monitor_part(self, shot, monitor, label, without_caption):
        part = crop(shot, self.work_file(label), monitor)
        return blank(part, part, [caption_box(monitor, self.dpi)]) if without_caption else part

    def differences(self, shot, expected, monitor, without_caption):
        part = self.monitor_part(shot, monitor, "part", without_caption)
        return compare(part, expected, FUZZ)

    def wait_view(self, monitor, expected, what, without_caption=True, timeout=VIEW):
        """Polls screenshots until the part over monitor shows expected (a
        picture of the monitor's size, its caption box blanked when
        without_caption); returns the screenshot that does."""
        last = {}

        def shows():
            shot = self.shot("screen")
            last.update(shot=shot, count=self.differences(shot, expected, monitor,
                                                          without_caption))
            return last["count"] <= TOLERANCE and shot

        try:
            return self.wait_until(shows, timeout, message=what)
        except harness.WaitTimeout as error:
            self.keep(expected, last.get("shot"))
            raise AssertionError(f"{error}: {last.get('count')} pixels differ from "
                                 f"{expected.name}") from None

    def wait_zoomed_view(self, before, monitor, rate, cursor, what, **how):
        """Waits until the screen over monitor shows the zoomed view (all of
        it where there is no caption; how as for zoomed_view); returns that
        screenshot and the view computed for it."""
        view = self.zoomed_view(before, monitor, rate, cursor, what, **how)
        expected = view
        if self.captioned:
            expected = blank(view, self.work_file(f"{what}-expected"),
                             [caption_box(monitor, self.dpi)])
        shot = self.wait_view(monitor, expected, f"{what}: {rate}x around {cursor}",
                              without_caption=self.captioned)
        return shot, view

    def caption(self, shot, view, monitor):
        box = caption_box(monitor, self.dpi)
        seen = Image.load(shot).crop(offset(box, monitor[0], monitor[1])).pixels()
        beneath = Image.load(view).crop(box).pixels()
        width = box[2] - box[0]
        points, hidden = [], []
        for index, (on_screen, below) in enumerate(zip(seen, beneath)):
            point = (index % width - width, index // width)
            if near(below, GREEN, 60):
                hidden.append(point)
            elif near(on_screen, GREEN, 8):
                points.append(point)
        return Caption(points, hidden)

    def assertCaption(self, caption):
        """Green letters in two lines at the top right corner; none at all
        where the view has no caption."""
        if not self.captioned:
            self.assertEqual(caption.points, frozenset(), f"a caption: {caption}")
            return
        self.assertGreater(len(caption.points), 300, f"no green caption: {caption}")
        self.assertEqual(len(caption.lines), 2, f"not two lines: {caption}")
        self.assertLess(caption.lines[0][0], 20, f"not at the top: {caption}")
        self.assertGreater(max(x for x, _ in caption.points), -25,
                           f"not right-aligned: {caption}")

    # ---- the Magnification API ----------------------------------------
    def assertMagnifierSetUp(self, loupa, monitor):
        """MagInitialize once, before Loupa's windows existed; then one
        "Magnifier" child at the zoom window's client size."""
        calls = self.magnifier_calls(loupa)
        names = [c.name for c in calls]
        self.assertEqual(names.count("MagInitialize"), 1, names[:5])
        init = calls[names.index("MagInitialize")]
        self.assertEqual(init.fields["result"], "1", init)
        self.assertNotIn("LoupaWnd", init.fields["windows"].split("|"), init)
        created = [c for c in calls if c.name == "create"]
        self.assertEqual(len(created), 1, created)
        self.assertLess(names.index("MagInitialize"), names.index("create"))
        self.assertEqual({k: created[0].fields[k] for k in ("class", "name", "style", "position")},
                         {"class": "Magnifier", "name": "MagnifierWindow",
                          "style": "0x50000000", "position": "0,0"})
        self.assertEqual(created[0].size(), size(monitor))
        self.assertEqual(created[0].size("host"), size(monitor))

    def assertNothingElseAsked(self, loupa):
        """Loupa never undoes the initialisation, filters windows, sets a
        colour effect or scales the image itself."""
        asked = {c.name for c in self.magnifier_calls(loupa)}
        self.assertEqual(asked & set(magnification.CALLED),
                         {"MagInitialize", "MagSetWindowSource", "MagSetWindowTransform"})

    def assertSourceSet(self, loupa, monitor, cursor, rate):
        """MagSetWindowSource was given the source for cursor (screen
        coordinates) in screen coordinates: offset by the monitor's corner."""
        width, height = size(monitor)
        client = (cursor[0] - monitor[0], cursor[1] - monitor[1])
        source = offset(source_rect(width, height, rate, client), monitor[0], monitor[1])
        rects = [c.rect() for c in self.magnifier_calls(loupa, "MagSetWindowSource")]
        self.assertIn(source, rects)

    def exit_loupa(self, loupa):
        self.choose(loupa, "終了(&X)")
        self.assertEqual(loupa.wait_exit(START), 0)

    # ---- failure hygiene ----------------------------------------------
    def keep(self, *paths):
        """Files to go with the artifacts if the test fails."""
        self.kept += [p for p in paths if p is not None]

    def save_artifacts(self, subtest=None):
        super().save_artifacts(subtest)
        out = self.artifacts_dir(subtest)
        for path in self.kept:
            if path.exists():
                Image.load(path).save(out / path.with_suffix(".png").name)


class Zoom_OneMonitor(ZoomTestCase):
    MONITOR = (0, 0, 1920, 1080)
    TARGET = (0, TRAY_BAND, 1920, 1080)

    def scene(self):
        loupa = self.start_resident()
        return loupa, self.start_target(self.TARGET)

    def test_menu_zoom_in_covers_the_monitor_with_it_magnified_around_the_cursor(self):
        loupa, _ = self.scene()
        before = self.shot("before")
        point = (1000, 600)

        self.choose(loupa, "ズームイン")

        window = self.wait_zoom_window(loupa, self.MONITOR)
        extents = run_tool(["xprop", "-id", str(window.id), "_NET_FRAME_EXTENTS"],
                           env=self.display.env(), check=False)
        self.assertNotRegex(extents, r"=.*[1-9]", "the zoom window has a frame")
        # The cursor still rests on the menu item: the view follows it.
        self.input.move(*point)
        shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, "zoomed")
        self.assertCaption(self.caption(shot, view, self.MONITOR))
        if not self.magnifier:
            return
        self.assertMagnifierSetUp(loupa, self.MONITOR)
        # Every step of the glide, 0.25 apart, as a pure scale.
        self.assertEqual(magnification.rates_set(self.magnifier_calls(loupa)),
                         [1 + 0.25 * step for step in range(1, 13)])
        self.assertSourceSet(loupa, self.MONITOR, point, RATE_IN)

        self.exit_loupa(loupa)

        calls = self.magnifier_calls(loupa)
        self.assertEqual([c.name for c in calls[-2:]], ["destroy", "detach"])
        self.assertEqual(calls[-1].fields, {"freed": "1"}, "the library was not freed")
        self.assertNothingElseAsked(loupa)

    def hot_key_zoom_in(self, point):
        """The scene zoomed in by the hot key, the cursor resting at point;
        Loupa, the target, and the zoomed screenshot and view."""
        loupa, target = self.scene()
        before = self.shot("before")
        target.focus(self.input, point)

        self.input.key("super+alt+apostrophe")

        self.wait_zoom_window(loupa, self.MONITOR)
        shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, "zoomed")
        return loupa, target, shot, view

    def test_hot_key_zoom_in_shows_a_still_view_while_the_cursor_rests(self):
        _, target, shot, view = self.hot_key_zoom_in((700, 300))
        self.assertCaption(self.caption(shot, view, self.MONITOR))
        # A view made from the screen with the zoom window on it would grow
        # tick after tick.
        still = self.monitor_part(shot, self.MONITOR, "still", without_caption=False)
        self.keep(still)
        self.assertTrue(self.holds(lambda: self.differences(self.shot("later"), still,
                                                            self.MONITOR, False) == 0, 2.0),
                        "the view changed while the cursor rested")
        # The program in front keeps the keyboard while zoomed.
        self.input.key("b")
        self.wait_until(lambda: ord("B") in [m.wparam for m in target.messages("WM_KEYDOWN")], 5,
                        message="the key typed while zoomed in the target's log")

    def test_top_most_window_coming_up_over_the_zoom_is_covered_again(self):
        self.hot_key_zoom_in((700, 300))

        out = self.env.work_dir / "cover.txt"
        above = self.probe.cover(out, COVER, COVER_MS, until_above="LoupaWnd")

        # Checked in the windows' own order. Openbox keeps the X window that
        # came up last on top among the top-most ones whatever Wine restacks
        # (with the zoom placed at every tick as well), so a screenshot can't
        # tell here.
        self.assertIn("LoupaWnd", [cls for cls, _ in above],
                      f"visible windows above the other program's at its end: {above}")

    def test_view_follows_the_cursor_and_clicks_reach_the_window_below(self):
        loupa, target = self.scene()
        start = (960, 540)
        before = self.shot("before")
        target.focus(self.input, start)
        self.input.key("super+alt+apostrophe")
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, start, "zoomed")
        points = [
            ("right of the middle", (1400, 600)),
            ("lower left", (300, 900)),
            ("bottom right corner", (1919, 1079)),
            ("upper right", (1700, 200)),
            ("left edge", (0, 700)),
        ]
        for name, point in points:
            with self.subTest(name):
                self.input.move(*point)

                self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, name)

        mark = target.mark()
        clicks = [(500, 500), (1500, 800)]
        for point in clicks:
            self.input.click(1, *point)
        # In the target's own coordinates: a click lands where the pointer
        # is, not where the magnified picture shows that spot.
        def logged():
            found = [m.lparam for m in target.messages("WM_LBUTTONDOWN", since=mark)]
            return found if len(found) >= len(clicks) else None

        self.assertEqual(self.wait_until(logged, 5, message="the clicks in the target's log"),
                         [(y - TRAY_BAND) << 16 | x for x, y in clicks])
        self.wait_zoom_window(loupa, self.MONITOR, timeout=1)

    def test_menu_zoom_out_glides_to_2x(self):
        loupa, _ = self.scene()
        before = self.shot("before")
        point = (1200, 700)
        self.choose(loupa, "ズームイン")
        self.input.move(*point)
        shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, "zoomed in")
        caption_in = self.caption(shot, view, self.MONITOR)

        self.choose(loupa, "ズームアウト")
        self.input.move(*point)

        shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_OUT, point, "zoomed out")
        self.wait_zoom_window(loupa, self.MONITOR, timeout=1)
        caption_out = self.caption(shot, view, self.MONITOR)
        self.assertCaption(caption_in)
        self.assertCaption(caption_out)
        if not self.captioned:
            return
        # "Loupa " stays; from "x 4.00 " to "x 2.00 " one letter changes.
        self.assertEqual(caption_in.differing_columns(caption_out, 0), [])
        changed = caption_in.differing_columns(caption_out, 1)
        self.assertTrue(changed, "the rate in the caption did not change")
        self.assertLess(changed[-1] - changed[0], 30, f"more than a letter changed: {changed}")

    def test_menu_cancel_glides_back_and_unmaps_the_window(self):
        loupa, _ = self.scene()
        before = self.shot("before")
        point = (800, 400)
        self.choose(loupa, "ズームイン")
        self.input.move(*point)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, "zoomed in")
        menu = self.open_tray_menu(loupa)
        item = menu.item_centers(TRAY_MENU, self.work_file("menu"))["キャンセル"]
        self.input.move(*item)
        self.wait_until(lambda: menu.highlighted(item, self.work_file("menu-item")), 5,
                        message="キャンセル to be highlighted")

        self.input.click(1)
        clicked = time.monotonic()

        self.wait_until(lambda: not self.zoom_windows(loupa), 5, interval=0.01,
                        message="the zoom window to be unmapped")
        print(f"\n  zoom window unmapped {time.monotonic() - clicked:.2f} s after キャンセル",
              flush=True)
        # Below the tray, whose title shows whether it has the focus.
        unzoomed = crop(before, self.work_file("target-before"), self.TARGET)
        self.wait_view(self.TARGET, unzoomed, "the target as before the zoom",
                       without_caption=False)
        self.assertTrue(self.holds(lambda: not self.zoom_windows(loupa), 1.0),
                        "the zoom window came back")


class Zoom_OneMonitor_Magnifier(Zoom_OneMonitor):
    magnifier = True
    # How the view is made does not matter there.
    test_top_most_window_coming_up_over_the_zoom_is_covered_again = None

    def test_zoom_copies_the_screen_when_the_magnifier_cannot_be_made(self):
        target = self.start_target(self.TARGET)
        before = self.shot("before")
        point = (700, 300)
        self.captioned = True
        # The library's switch, and what MagInitialize then returns.
        for switch, result in (("fail", "0"), ("no-class", "1")):
            with self.subTest(switch):
                loupa = self.start_resident({magnification.INITIALIZE_VARIABLE: switch})
                target.focus(self.input, point)

                self.input.key("super+alt+apostrophe")

                shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, switch)
                self.assertCaption(self.caption(shot, view, self.MONITOR))
                self.exit_loupa(loupa)
                calls = [(c.name, c.fields.get("result", c.fields.get("freed")))
                         for c in self.magnifier_calls(loupa) if c.name != "attach"]
                self.assertEqual(calls, [("MagInitialize", result), ("detach", "1")])


class Zoom_Reading(ZoomTestCase):
    """The options for reading and writing while zoomed, over a control of
    the test target that has the focus: a line to type into (an edit
    control, or a line that draws a caret of its own and tells of it through
    accessibility), or buttons to Tab through. A hidden system caret cannot
    be shown here: Wine reports GUI_CARETBLINKING for every caret."""
    MONITOR = (0, 0, 1920, 1080)
    TARGET = (0, TRAY_BAND, 1920, 1080)
    REST = (1400, 700)  # where the pointer rests, far from the line typed into
    TYPED = "loupa"

    def scene(self, control=None, **settings):
        """Loupa started with settings in its file, zoomed in by the hot key
        over the target with the pointer resting at REST; Loupa, the target
        and the screenshot from before the zoom."""
        ini.write_profile(appdata_settings(self.prefix), {"DEFAULT": list(settings.items())})
        loupa = self.start_resident()
        target = self.start_target(self.TARGET, control=control)
        target.focus(self.input, self.REST)
        if control == "buttons":
            self.wait_until(target.focused_button, 10, message="the focus on a button")
        elif control:
            self.wait_until(target.caret, 10, message="the caret of the line")
        before = self.shot("before")
        self.input.key("super+alt+apostrophe")
        self.wait_zoom_window(loupa, self.MONITOR)
        return loupa, target, before

    def type_key(self, target, key):
        """Types one letter into the target; where its caret then lies."""
        mark = target.mark()
        self.input.key(key)
        return self.wait_until(lambda: target.caret(since=mark), 5,
                               message=f"the caret after {key!r} in the target's log")

    def tab(self, target):
        """Moves the focus to the next button; the middle of that button."""
        mark = target.mark()
        self.input.key("Tab")
        return self.wait_until(lambda: target.focused_button(since=mark), 5,
                               message="the next button focused, in the target's log")

    def assertFollowsThenBackOnTheCursor(self, before, steps):
        """Each step (an action giving the point the view must centre on)
        brings the view centred there; then a move of the pointer takes it
        back around the pointer."""
        for index, step in enumerate(steps):
            point = step()
            self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, f"step {index}",
                                  centred=True)
        moved = (self.REST[0] + 30, self.REST[1] + 10)
        self.input.move(*moved)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, moved, "the pointer moved")

    def assertStaysOnTheCursor(self, before, steps):
        """The view stays around the resting pointer while steps happen."""
        shot, _ = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST, "zoomed")
        still = self.monitor_part(shot, self.MONITOR, "still", without_caption=True)
        self.keep(still)
        for step in steps:
            step()
        self.assertTrue(self.holds(lambda: self.differences(self.shot("after"), still,
                                                            self.MONITOR, True) == 0, 1.0),
                        "the view left the resting pointer")

    def typing(self, target):
        return [lambda key=key: self.type_key(target, key) for key in self.TYPED]

    def test_view_follows_the_caret_while_typing_and_the_cursor_once_it_moves(self):
        _, target, before = self.scene("edit", FollowCaret=1)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST, "zoomed")
        self.assertFollowsThenBackOnTheCursor(before, self.typing(target))

    def test_view_follows_a_caret_known_only_through_accessibility(self):
        _, target, before = self.scene("own-caret", FollowCaret=1)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST, "zoomed")
        self.assertFollowsThenBackOnTheCursor(before, self.typing(target))

    def test_view_stays_around_the_cursor_while_typing_without_follow_caret(self):
        _, target, before = self.scene("edit", FollowCaret=0)
        self.assertStaysOnTheCursor(before, self.typing(target))

    def test_view_follows_the_keyboard_focus_and_the_cursor_once_it_moves(self):
        _, target, before = self.scene("buttons", FollowFocus=1)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST, "zoomed")
        self.assertFollowsThenBackOnTheCursor(before, [lambda: self.tab(target)] * 3)

    def test_view_stays_around_the_cursor_on_tab_without_follow_focus(self):
        _, target, before = self.scene("buttons", FollowFocus=0, FollowCaret=1)
        self.assertStaysOnTheCursor(before, [lambda: self.tab(target)] * 3)

    def test_inverted_colours_until_the_setting_is_off_again(self):
        loupa, _, before = self.scene(InvertColors=1)

        shot, view = self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST,
                                           "inverted", inverted=True)
        # Green on the inverted view, drawn after the inversion.
        self.assertCaption(self.caption(shot, view, self.MONITOR))

        # Read at every tick: the view shows its own colours at once.
        path = appdata_settings(self.prefix)
        settings = dict(ini.keys_of(path))
        settings["InvertColors"] = "0"
        ini.write_profile(path, {"DEFAULT": list(settings.items())})
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, self.REST, "as they are")
        if self.magnifier:
            effects = [c.matrix() for c in self.magnifier_calls(loupa, "MagSetColorEffect")]
            self.assertEqual(effects, [INVERSION, IDENTITY])


class Zoom_Reading_Magnifier(Zoom_Reading):
    """Inverted colours on the Magnification API path, where the magnifier
    child's colour effect makes them."""
    magnifier = True
    # Where the view is placed does not depend on the path.
    test_view_follows_the_caret_while_typing_and_the_cursor_once_it_moves = None
    test_view_follows_a_caret_known_only_through_accessibility = None
    test_view_stays_around_the_cursor_while_typing_without_follow_caret = None
    test_view_follows_the_keyboard_focus_and_the_cursor_once_it_moves = None
    test_view_stays_around_the_cursor_on_tab_without_follow_focus = None


class Zoom_At150Percent(ZoomTestCase):
    dpi = 144
    MONITOR = (0, 0, 1920, 1080)
    TARGET = (0, TRAY_BAND, 1920, 1080)

    def test_view_stays_exact_and_the_caption_grows_by_half(self):
        loupa = self.start_resident()
        target = self.start_target(self.TARGET)
        before = self.shot("before")
        point = (700, 300)
        target.focus(self.input, point)

        self.input.key("super+alt+apostrophe")

        # Physical pixels: the window covers the whole monitor, and the view
        # is the one computed from the screen pixel for pixel.
        self.wait_zoom_window(loupa, self.MONITOR)
        self.wait_zoomed_view(before, self.MONITOR, RATE_IN, point, "zoomed")
        # The caption, pixel for pixel, is the one drawn at 144 DPI...
        zoom = ZoomView(self.env, self.probe, loupa, target.rect)
        zoom.wait_rate(RATE_IN, point, VIEW)
        # ...which is half as large again as at 96 DPI.
        width, _ = size(self.MONITOR)

        def extent(points):
            xs, ys = [x for x, _ in points], [y for _, y in points]
            return max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

        grown = extent(zoom.caption(RATE_IN, width))
        base = extent(zoom.caption(RATE_IN, width, dpi=BASE_DPI))
        for shown, at_96 in zip(grown, base):
            self.assertAlmostEqual(shown / at_96, 1.5, delta=0.1, msg=f"{grown} against {base}")


class Zoom_TwoMonitors(ZoomTestCase):
    """A monitor of 1920x1080 and one of 1280x1024 on its right."""
    dual_monitor = True
    right_monitor = (1280, 1024)
    LEFT = (0, 0, 1920, 1080)
    RIGHT = (1920, 0, 3200, 1024)
    LEFT_TARGET = (0, TRAY_BAND, 1920, 1080)
    RIGHT_TARGET = (1920, TRAY_BAND, 3200, 1024)

    def assertUnchanged(self, shot, before, rect, what):
        """The part rect of shot is as it was in before."""
        unchanged = crop(before, self.work_file(f"{what}-before"), rect)
        self.keep(unchanged)
        count = self.differences(shot, unchanged, rect, without_caption=False)
        self.assertLessEqual(count, TOLERANCE, f"{what} changed in {count} pixels")

    def test_zoom_covers_the_cursors_monitor_and_moves_with_the_cursor(self):
        on_right, on_left = (2900, 600), (700, 500)
        # Loupa starts on the smaller monitor: on the Magnification API path
        # its magnifier child, made at that size, must grow on the left.
        self.input.move(*on_right)
        loupa = self.start_resident()
        self.start_target(self.LEFT_TARGET)
        right_target = self.start_target(self.RIGHT_TARGET)
        before = self.shot("before")
        right_target.focus(self.input, on_right)

        self.input.key("super+alt+apostrophe")

        self.wait_zoom_window(loupa, self.RIGHT)
        shot, _ = self.wait_zoomed_view(before, self.RIGHT, RATE_IN, on_right, "right monitor")
        self.assertUnchanged(shot, before, self.LEFT_TARGET, "the left monitor")

        self.input.move(*on_left)

        self.wait_zoom_window(loupa, self.LEFT)
        shot, view = self.wait_zoomed_view(before, self.LEFT, RATE_IN, on_left, "left monitor")
        self.assertCaption(self.caption(shot, view, self.LEFT))
        self.assertUnchanged(shot, before, self.RIGHT_TARGET, "the right monitor")
        if not self.magnifier:
            return
        self.assertMagnifierSetUp(loupa, self.RIGHT)
        self.assertSourceSet(loupa, self.RIGHT, on_right, RATE_IN)
        self.assertSourceSet(loupa, self.LEFT, on_left, RATE_IN)
        # The child always at the zoom window's size.
        sizes = [(c.size(), c.size("host")) for c in self.magnifier_calls(loupa)
                 if c.name in ("create", "size")]
        self.assertTrue(all(child == host for child, host in sizes), sizes)
        self.assertEqual(sizes[-1][0], size(self.LEFT))


class Zoom_TwoMonitors_Magnifier(Zoom_TwoMonitors):
    magnifier = True


if __name__ == "__main__":
    harness.main()
