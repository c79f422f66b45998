// A recording fake of the zoom window's platform, with the settings it reads,
// shared by the unit tests and the fuzzer. It knows no test framework: a call
// that breaks the platform's rules goes to ReportFakeFault.
#pragma once

#include "Calls.h"
#include "FakeSettings.h"
#include "settings/core/SettingKeys.h"
#include "zoom/core/ZoomController.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

inline std::string Fmt(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

inline std::string Fmt(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

inline std::string Fmt(POINT p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

inline bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

inline bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.left <= inner.right && inner.top <= inner.bottom;
}

// A desktop with monitors, a cursor, one window and a timer. Queries are
// recorded with a leading '?' so tests can look at the actions alone.
class FakeZoomPlatform : public IZoomPlatform {
public:
    // The first monitor is the primary one.
    std::vector<RECT> monitors{{0, 0, 1920, 1080}};
    POINT cursor{960, 540};
    std::optional<POINT> caret;
    std::optional<FocusMark> focus;
    bool cursorFails = false; // as on a locked session or the secure desktop
    bool live = true;
    bool timerFails = false;
    ZoomTimerKind timerKind = ZoomTimerKind::Multimedia;
    std::function<void()> onRepaint;
    std::function<void()> onMove;
    std::function<void()> onCursor; // after the position is handed out

    Calls calls;
    // Its reads go to calls, among the platform's.
    FakeSettings settings{calls};
    RECT window{0, 0, 1920, 1080};
    bool visible = false;
    bool cancelHotKey = false;
    ZoomTimer timer;
    std::uint32_t nextTimerId = 7;
    std::vector<double> scales;
    int repaints = 0;
    bool inverted = false;
    bool watchingCarets = false;
    bool watchingFocus = false;
    RECT lastClient{};

    FakeZoomPlatform() {
        settings.values = {{kMaxRateZoomInKey, 4}, {kMaxRateZoomOutKey, 2}};
        settings.readOnly = true;
    }

    Calls Actions() const {
        Calls actions;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(actions),
                     [](const std::string& c) { return c[0] != '?'; });
        return actions;
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    bool CursorPos(POINT& pt) override {
        calls.push_back("?Cursor");
        if (cursorFails) {
            return false;
        }
        pt = cursor;
        if (onCursor) {
            onCursor();
        }
        return true;
    }
    RECT MonitorRectAt(POINT pt) override {
        calls.push_back("?MonitorAt(" + Fmt(pt) + ")");
        return MonitorFor(pt);
    }
    // The monitor the system would name for pt, without recording a call.
    RECT MonitorFor(POINT pt) const {
        for (const RECT& m : monitors) {
            if (Contains(m, pt)) {
                return m;
            }
        }
        return monitors.front();
    }
    RECT ClientRect() override {
        calls.push_back("?Client");
        lastClient = RECT{0, 0, window.right - window.left, window.bottom - window.top};
        return lastClient;
    }
    POINT ScreenToClient(POINT pt) override {
        calls.push_back("?ToClient(" + Fmt(pt) + ")");
        return POINT{pt.x - window.left, pt.y - window.top};
    }
    bool IsVisible() override {
        calls.push_back("?Visible");
        return visible;
    }
    void CaptureMonitor(const RECT& monitor) override {
        calls.push_back("Capture(" + Fmt(monitor) + ")");
        if (visible && window == monitor) {
            ReportFakeFault("captured the monitor the window covers");
        }
    }
    void ShowWithoutActivating(const RECT& rect) override {
        calls.push_back("Show(" + Fmt(rect) + ")");
        window = rect;
        visible = true;
    }
    void MoveTopMost(const RECT& rect) override {
        calls.push_back("Move(" + Fmt(rect) + ")");
        window = rect;
        if (onMove) {
            onMove();
        }
    }
    void Hide() override {
        calls.push_back("Hide");
        visible = false;
    }
    void SetCancelHotKey(bool registered) override {
        calls.push_back(registered ? "CancelKey(on)" : "CancelKey(off)");
        if (registered == cancelHotKey) {
            ReportFakeFault(registered ? "cancel key registered twice"
                                       : "cancel key removed while not registered");
        }
        cancelHotKey = registered;
    }
    void Repaint(bool erase) override {
        calls.push_back(erase ? "Repaint(erase)" : "Repaint");
        ++repaints;
        if (onRepaint) {
            onRepaint();
        }
    }
    void Pause(int ms) override { calls.push_back("Pause(" + std::to_string(ms) + ")"); }
    ZoomTimer StartTimer(int periodMs) override {
        calls.push_back("StartTimer(" + std::to_string(periodMs) + ")");
        if (timer.Running()) {
            ReportFakeFault("a second timer started");
        }
        if (timerFails) {
            return ZoomTimer{};
        }
        timer = ZoomTimer{timerKind, nextTimerId++};
        return timer;
    }
    void StopTimer(const ZoomTimer& stopped) override {
        calls.push_back("StopTimer(" + std::to_string(stopped.id) + ")");
        if (stopped.kind != timer.kind || stopped.id != timer.id) {
            ReportFakeFault("stopped a timer that does not run: " + std::to_string(stopped.id));
        }
        timer = ZoomTimer{};
    }
    void SetMagnifierScale(double rate) override {
        calls.push_back("Scale(" + Fmt(rate) + ")");
        scales.push_back(rate);
    }
    void SetMagnifierSource(const RECT& source, const RECT& monitor) override {
        calls.push_back("Source(" + Fmt(source) + " in " + Fmt(monitor) + ")");
        if (!Inside(source, lastClient)) {
            ReportFakeFault("source " + Fmt(source) + " outside client " + Fmt(lastClient));
        }
    }
    bool ShowsLiveScreen() override {
        calls.push_back("?Live");
        return live;
    }
    std::optional<POINT> TextCaret() override {
        calls.push_back("?Caret");
        return caret;
    }
    std::optional<FocusMark> KeyboardFocus() override {
        calls.push_back("?Focus");
        return focus;
    }
    void WatchReading(bool carets, bool focusToo) override {
        calls.push_back(std::string("Watch(") + (carets ? "carets" : "-") + "," +
                        (focusToo ? "focus" : "-") + ")");
        if (carets == watchingCarets && focusToo == watchingFocus) {
            ReportFakeFault("the reading events handed over again unchanged");
        }
        watchingCarets = carets;
        watchingFocus = focusToo;
    }
    void SetColorInversion(bool invert) override {
        calls.push_back(invert ? "Invert(on)" : "Invert(off)");
        if (invert == inverted) {
            ReportFakeFault("the colour inversion handed over again unchanged");
        }
        inverted = invert;
    }
};

// The zoom logic with the steps its commands are made of in reach, so that a
// case can set a zoom up directly.
class ZoomControllerProbe : public ZoomController {
public:
    using ZoomController::AnimateZoomTo;
    using ZoomController::ApplyZoom;
    using ZoomController::Tick;
    using ZoomController::UpdateSourceRect;
    using ZoomController::ZoomController;
};
