// The zoom logic over any sequence of commands, ticks, cursor and caret
// moves, settings and platform behaviour on a desktop of several monitors,
// with the invariants checked after every step.
//
// Input: a byte choosing the monitor layout, then steps. Each step is a byte
// choosing the command, followed by the bytes of its argument (see the switch).
#include "zoom/core/ZoomController.h"

#include "settings/core/ZoomWindowMessages.h"

#include "../support/FakeZoomPlatform.h"
#include "FuzzInput.h"

#include <climits>
#include <cstdio>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

void ReportFakeFault(const std::string& what) {
    FuzzFail("fake platform: " + what);
}

namespace {

// The primary monitor comes first.
const std::vector<RECT> kLayouts[] = {
    {{0, 0, 1920, 1080}},
    {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}, {1920, -200, 3840, 880}},
    {{0, 0, 1920, 1080}, {0, -1080, 1920, 0}, {-2560, -400, 0, 1040}},
    {{0, 0, 1024, 768}, {1024, 0, 4864, 2160}, {-800, 168, 0, 768}},
    // Far corners of the virtual screen and monitors of a single pixel.
    {{0, 0, 1920, 1080}, {-32768, -32768, -30848, -31688}, {30000, 30000, 30001, 30001}},
    {{-1, -1, 0, 0}, {0, 0, 1, 1}},
};

const int kLimits[] = {0, 1, 2, 3, 4, 5, 19, 20, 21, -1, -20, 100000, INT_MAX, INT_MIN};

const double kTargets[] = {1.0,
                           0.0,
                           -3.0,
                           1.05,
                           2.5,
                           20.0,
                           20.5,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};

const std::uintptr_t kWheelParams[] = {1,
                                       0,
                                       static_cast<std::uintptr_t>(-1),
                                       120,
                                       static_cast<std::uintptr_t>(-120),
                                       UINTPTR_MAX / 2 + 1};

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

void CheckInvariants(const ZoomController& zoom, const FakeZoomPlatform& fake,
                     const std::string& what) {
    const double rate = zoom.Rate();
    if (!(rate >= 1.0 && rate <= ZoomController::kMaxRate)) {
        FuzzFail(what + ": rate " + Fmt(rate) + " outside [1, 20]");
    }
    if (fake.visible == (rate == 1.0)) {
        FuzzFail(what + ": window " + (fake.visible ? "shown" : "hidden") + " at rate " +
                 Fmt(rate));
    }
    const bool timerRuns = zoom.Timer().Running() && fake.timer.Running() &&
                           zoom.Timer().kind == fake.timer.kind && zoom.Timer().id == fake.timer.id;
    const bool noTimer = !zoom.Timer().Running() && !fake.timer.Running();
    if (fake.visible && !timerRuns) {
        FuzzFail(what + ": window shown without its timer");
    }
    if (!fake.visible && !noTimer) {
        FuzzFail(what + ": a timer runs while the window is hidden");
    }
    if (!fake.visible && zoom.IsAnimating()) {
        FuzzFail(what + ": animating while hidden");
    }
    if (fake.cancelHotKey != fake.visible || zoom.HoldsCancelHotKey() != fake.visible) {
        FuzzFail(what + ": cancel hot key " + (fake.cancelHotKey ? "held" : "not held") +
                 " while the window is " + (fake.visible ? "shown" : "hidden"));
    }
    if (zoom.AnimTick() < 0 || zoom.AnimTick() > zoom.AnimTicks() ||
        (!zoom.IsAnimating() && zoom.AnimTick() != 0)) {
        FuzzFail(what + ": animation tick " + std::to_string(zoom.AnimTick()) + " of " +
                 std::to_string(zoom.AnimTicks()));
    }
    // The cursor stays put within a step, so every reading in it names the
    // same monitor; a kept monitor must still be the one under the point the
    // view is placed by: the cursor, or the caret the view follows.
    const POINT placedBy =
        zoom.Focus().Source() == ViewSource::Cursor ? fake.cursor : zoom.Focus().Centre();
    if (fake.visible && fake.Count("?Cursor") > 0 &&
        zoom.MonitorRect() != fake.MonitorFor(placedBy)) {
        FuzzFail(what + ": monitor " + Fmt(zoom.MonitorRect()) + " but the view's point " +
                 Fmt(placedBy) + " is on " + Fmt(fake.MonitorFor(placedBy)));
    }
    if (zoom.Focus().OnCaret() && fake.settings.values.count(kFollowCaretKey) != 0 &&
        (fake.settings.values.at(kFollowCaretKey) & 1) == 0 &&
        fake.Count("Read(FollowCaret)") > 0) {
        FuzzFail(what + ": the view follows the caret with FollowCaret off");
    }
    if (zoom.Focus().OnFocus() && fake.settings.values.count(kFollowFocusKey) != 0 &&
        (fake.settings.values.at(kFollowFocusKey) & 1) == 0 &&
        fake.Count("Read(FollowFocus)") > 0) {
        FuzzFail(what + ": the view follows the focus with FollowFocus off");
    }
    if (!fake.visible && (fake.watchingCarets || fake.watchingFocus)) {
        FuzzFail(what + ": reading events listened for while no zoom shows");
    }
    const auto invert = fake.settings.values.find(kInvertColorsKey);
    const bool wanted = invert != fake.settings.values.end() && (invert->second & 1) != 0;
    if (fake.Count("Read(InvertColors)") > 0 && fake.inverted != wanted) {
        FuzzFail(what + ": colours " + (fake.inverted ? "inverted" : "as they are") +
                 " after InvertColors was read as " + std::to_string(wanted));
    }
    if (fake.visible && fake.window != zoom.MonitorRect()) {
        FuzzFail(what + ": window at " + Fmt(fake.window) + " but the monitor is " +
                 Fmt(zoom.MonitorRect()));
    }
    // The source rectangle is computed against the client area before the
    // window moves to a new monitor, so after a move to a monitor of another
    // size it fits the old one until the next tick. The fake checks every
    // rectangle against the client area it was computed for; here, whenever
    // the size is the same again, it must fit the window as it is.
    const RECT client{0, 0, Width(fake.window), Height(fake.window)};
    const bool sameSize =
        client.right == fake.lastClient.right && client.bottom == fake.lastClient.bottom;
    if (sameSize && !Inside(zoom.SourceRect(), client)) {
        FuzzFail(what + ": source " + Fmt(zoom.SourceRect()) + " outside the client area " +
                 Fmt(client));
    }
}

// A point somewhere on the desktop: on a monitor, on its edges, just outside
// it, or anywhere in the coordinate range of a virtual screen.
POINT PickCursor(FuzzInput& input, const std::vector<RECT>& monitors) {
    const uint8_t how = input.Byte();
    const RECT& m = monitors[input.Byte() % monitors.size()];
    switch (how % 4) {
    case 0: {
        const int32_t width = m.right - m.left;
        const int32_t height = m.bottom - m.top;
        return POINT{m.left + static_cast<int32_t>(input.Uint16() % width),
                     m.top + static_cast<int32_t>(input.Uint16() % height)};
    }
    case 1: return POINT{m.left, m.top};
    case 2: return POINT{m.right - 1 + (how >> 7), m.bottom - 1 + ((how >> 6) & 1)};
    default: {
        const int16_t x = static_cast<int16_t>(input.Uint16());
        const int16_t y = static_cast<int16_t>(input.Uint16());
        return POINT{x, y};
    }
    }
}

int PickLimit(FuzzInput& input) {
    const uint8_t how = input.Byte();
    return how < 0xF0 ? kLimits[how % std::size(kLimits)] : input.Int32();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    FakeZoomPlatform fake;
    fake.monitors = input.Pick(kLayouts);
    fake.cursor = POINT{fake.monitors.front().left, fake.monitors.front().top};
    ZoomControllerProbe zoom(fake, fake.settings);
    zoom.UpdateMonitorRect();
    fake.window = zoom.MonitorRect();

    // A tick that arrives while the window repaints or moves: a message loop
    // that runs meanwhile on the window's thread dispatches the posted tick.
    bool tickInRepaint = false;
    bool tickInMove = false;
    fake.onRepaint = [&] {
        if (tickInRepaint) {
            tickInRepaint = false;
            zoom.OnTimer(ZoomController::kTimerId);
        }
    };
    fake.onMove = [&] {
        if (tickInMove) {
            tickInMove = false;
            zoom.OnTimer(ZoomController::kTimerId);
        }
    };

    for (int step = 0; step < 4096 && !input.Empty(); ++step) {
        std::string what = "step " + std::to_string(step) + " ";
        const uint8_t op = input.Byte();
        switch (op % 16) {
        case 0:
            what += "ZoomIn";
            zoom.ZoomIn();
            break;
        case 1:
            what += "ZoomOut";
            zoom.ZoomOut();
            break;
        case 2:
            what += "Cancel";
            zoom.Cancel();
            break;
        case 3:
            what += "Wheel forward";
            zoom.Wheel(true);
            break;
        case 4:
            what += "Wheel back";
            zoom.Wheel(false);
            break;
        case 5:
        case 6:
        case 7:
            what += "Tick";
            zoom.OnTimer(ZoomController::kTimerId);
            break;
        case 8:
            if ((op & 0x80) == 0) {
                fake.cursor = PickCursor(input, fake.monitors);
                what += "cursor to " + Fmt(fake.cursor);
            } else if ((op & 0x40) == 0) {
                fake.caret = PickCursor(input, fake.monitors);
                what += "caret to " + Fmt(*fake.caret);
            } else if ((op & 0x20) != 0) {
                const POINT at = PickCursor(input, fake.monitors);
                const int size = input.Byte() * 8;
                fake.focus = FocusMark{RECT{at.x, at.y, at.x + size, at.y + size / 4},
                                       fake.focus ? fake.focus->changes + 1 : 1};
                what += "focus to " + Fmt(fake.focus->rect);
            } else {
                fake.caret.reset();
                what += "no caret";
            }
            break;
        case 9:
            fake.settings.values[kMaxRateZoomInKey] = PickLimit(input);
            what += "MaxRateZoomIn=" + std::to_string(fake.settings.values[kMaxRateZoomInKey]);
            break;
        case 10:
            fake.settings.values[kMaxRateZoomOutKey] = PickLimit(input);
            what += "MaxRateZoomOut=" + std::to_string(fake.settings.values[kMaxRateZoomOutKey]);
            break;
        case 11: {
            const uint8_t flags = input.Byte();
            fake.timerFails = (flags & 0x07) == 0x07;
            fake.timerKind =
                (flags & 0x08) != 0 ? ZoomTimerKind::Window : ZoomTimerKind::Multimedia;
            fake.live = (flags & 0x10) == 0;
            fake.settings.values[kFollowCaretKey] = (flags & 0x40) != 0;
            fake.settings.values[kInvertColorsKey] = (flags & 0x80) != 0;
            fake.settings.values[kFollowFocusKey] = (flags & 0x06) == 0x02;
            what += "platform and view settings " + std::to_string(flags);
            if ((flags & 0x20) != 0) {
                fake.monitors = input.Pick(kLayouts);
                zoom.OnDisplayChange();
                what += ", display change";
            }
            break;
        }
        case 12: {
            const std::uintptr_t wparam = input.Pick(kWheelParams);
            what += "OnZoomWheel " + std::to_string(wparam);
            zoom.OnZoomWheel(wparam);
            break;
        }
        case 13: {
            const int id = HOTKEY_ZOOMIN + input.Byte() % 4 - (op >> 7);
            what += "OnHotKey " + std::to_string(id);
            zoom.OnHotKey(id);
            break;
        }
        case 14: {
            const double target = input.Pick(kTargets);
            what += "AnimateZoomTo " + Fmt(target);
            zoom.AnimateZoomTo(target);
            break;
        }
        default:
            tickInRepaint = (op & 0x10) != 0;
            tickInMove = (op & 0x20) != 0;
            what += "a tick inside the next repaint " + std::to_string(tickInRepaint) +
                    " and move " + std::to_string(tickInMove);
            break;
        }
        if (Tracing()) {
            std::fprintf(stderr, "%s\n", what.c_str());
            for (const std::string& call : fake.calls) {
                std::fprintf(stderr, "    %s\n", call.c_str());
            }
        }
        CheckInvariants(zoom, fake, what);
        fake.calls.clear();
    }
    return 0;
}
