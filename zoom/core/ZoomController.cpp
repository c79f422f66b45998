#include "zoom/core/ZoomController.h"

#include "settings/core/ZoomWindowMessages.h"
#include "settings/core/SettingKeys.h"

#include <cmath>

namespace {

// A zoom starts with the window shown far outside every monitor, so that it is
// painted once before it covers anything.
constexpr int kOffScreen = 99999;
constexpr int kShowSettleMs = 10;

// Repeated wheel steps of 0.1 drift off the rates they name (forty notches
// from 1.0 give 4.999999999999999, and a later zoom-in would then stop at 5
// instead of 6; up two and down two would leave 1.0000000000000002 on screen).
// Rates set by the wheel are kept on a grid of thousandths.
double SnapWheelRate(double rate) {
    return std::round(rate * 1000.0) / 1000.0;
}

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

} // namespace

double NextWholeRate(double rate) {
    return std::trunc(rate) + 1.0;
}

double PreviousWholeRate(double rate, double wheelStep) {
    const double whole = std::trunc(rate);
    return whole + wheelStep - 0.001 < rate ? whole : whole - 1.0;
}

RECT SourceRectAround(const RECT& client, POINT cursor, double rate) {
    if (!(rate >= 1.0)) {
        rate = 1.0;
    }
    const double width = client.right;
    const double height = client.bottom;
    double px = cursor.x;
    double py = cursor.y;
    if (px < 0) {
        px = 0;
    }
    if (px > width) {
        px = width;
    }
    if (py < 0) {
        py = 0;
    }
    if (py > height) {
        py = height;
    }
    const int dx = static_cast<int>(px - px / rate);
    const int dy = static_cast<int>(py - py / rate);
    RECT source{};
    source.left = dx;
    source.top = dy;
    source.right = dx + static_cast<int>(width / rate);
    source.bottom = dy + static_cast<int>(height / rate);
    return source;
}

RECT SourceRectShowing(const RECT& client, const RECT& target, double rate) {
    if (!(rate >= 1.0)) {
        rate = 1.0;
    }
    const int width = static_cast<int>(client.right / rate);
    const int height = static_cast<int>(client.bottom / rate);
    const auto place = [](int first, int last, int length, int limit) {
        const int start = last - first > length ? first : (first + last) / 2 - length / 2;
        return start < 0 ? 0 : start > limit - length ? limit - length : start;
    };
    RECT source{};
    source.left = place(target.left, target.right, width, client.right);
    source.top = place(target.top, target.bottom, height, client.bottom);
    source.right = source.left + width;
    source.bottom = source.top + height;
    return source;
}

POINT ViewFocus::Centre() const {
    return POINT{(m_target.left + m_target.right) / 2, (m_target.top + m_target.bottom) / 2};
}

void ViewFocus::Observe(bool followCaret, bool followFocus, POINT cursor,
                        std::optional<POINT> caret, std::optional<FocusMark> focus) {
    if (!followCaret && !followFocus) {
        Reset();
        return;
    }
    const bool caretMoved =
        followCaret && m_caretSeen && caret && (!m_lastCaret || *caret != *m_lastCaret);
    const bool focusMoved = followFocus && m_focusSeen && focus &&
                            (!m_lastFocus || focus->changes != m_lastFocus->changes);
    if (m_seen && cursor != m_lastCursor) {
        m_source = ViewSource::Cursor;
    } else if (caretMoved) {
        m_source = ViewSource::Caret;
        m_target = RECT{caret->x, caret->y, caret->x, caret->y};
    } else if (focusMoved) {
        m_source = ViewSource::Focus;
        m_target = focus->rect;
    } else if ((OnCaret() && !followCaret) || (OnFocus() && !followFocus)) {
        m_source = ViewSource::Cursor;
    }
    m_seen = true;
    m_lastCursor = cursor;
    m_caretSeen = followCaret;
    m_lastCaret = followCaret ? caret : std::nullopt;
    m_focusSeen = followFocus;
    m_lastFocus = followFocus ? focus : std::nullopt;
}

bool SystemExcludesFromCapture(unsigned majorVersion, unsigned buildNumber) {
    return majorVersion > 10 || (majorVersion == 10 && buildNumber >= 19041);
}

bool CopiesScreenLive(int osMajorVersion, bool excludedFromCapture) {
    return (osMajorVersion > 0 && osMajorVersion <= 5) || excludedFromCapture;
}

ZoomController::ZoomController(IZoomPlatform& platform, ISettings& settings)
    : m_platform(platform), m_settings(settings) {}

POINT ZoomController::Cursor() {
    POINT pt{};
    if (m_platform.CursorPos(pt)) {
        m_lastCursor = pt;
    }
    return m_lastCursor;
}

void ZoomController::UpdateMonitorRect() {
    m_monitorRect = m_platform.MonitorRectAt(Cursor());
    m_monitorKnown = true;
}

void ZoomController::FindMonitor(POINT cursor) {
    // Monitors never overlap, so a cursor still on the monitor found last is
    // on that monitor until the display layout changes; asking the system is
    // one of the costliest queries of a tick under Wine.
    const RECT& m = m_monitorRect;
    if (!m_monitorKnown || cursor.x < m.left || cursor.x >= m.right || cursor.y < m.top ||
        cursor.y >= m.bottom) {
        m_monitorRect = m_platform.MonitorRectAt(cursor);
        m_monitorKnown = true;
    }
}

void ZoomController::OnDisplayChange() {
    m_monitorKnown = false;
}

void ZoomController::ZoomIn() {
    const int limit = m_settings.ReadSettingInt(kMaxRateZoomInKey);
    m_settings.ReadSettingInt(kMaxRateZoomOutKey);
    if (m_animating) {
        return;
    }
    if (limit > m_rate) {
        AnimateZoomTo(limit);
    } else {
        ApplyZoom(NextWholeRate(m_rate));
    }
}

void ZoomController::ZoomOut() {
    m_settings.ReadSettingInt(kMaxRateZoomInKey);
    const int limit = m_settings.ReadSettingInt(kMaxRateZoomOutKey);
    if (m_animating) {
        return;
    }
    if (limit != 1 && limit < m_rate) {
        AnimateZoomTo(limit);
    } else {
        ApplyZoom(PreviousWholeRate(m_rate, m_wheelStep));
    }
}

void ZoomController::Cancel() {
    if (!m_animating) {
        AnimateZoomTo(1.0);
    }
}

void ZoomController::Wheel(bool forward) {
    if (m_animating) {
        return;
    }
    m_rate = SnapWheelRate(forward ? m_rate + m_wheelStep : m_rate - m_wheelStep);
    ApplyZoom(m_rate);
}

void ZoomController::OnZoomWheel(std::uintptr_t wparam) {
    Wheel(static_cast<std::intptr_t>(wparam) > 0);
}

void ZoomController::OnHotKey(int id) {
    switch (id) {
    case HOTKEY_ZOOMIN: ZoomIn(); break;
    case HOTKEY_ZOOMOUT: ZoomOut(); break;
    case HOTKEY_ZOOMCANCEL: Cancel(); break;
    default: break;
    }
}

void ZoomController::AnimateZoomTo(double target) {
    if (m_animating) {
        return;
    }
    m_targetRate = target > kMaxRate ? kMaxRate : target;
    if (!(m_targetRate > 1.0)) {
        m_targetRate = 1.0;
    }
    m_animStep = (m_targetRate - m_rate) / m_animTicks;
    m_animTick = 0;
    m_animating = true;
    AdvanceAnimation();
}

void ZoomController::AdvanceAnimation() {
    if (m_animating) {
        bool finished = true;
        if (m_animTick < m_animTicks) {
            ++m_animTick;
            m_rate += m_animStep;
            finished = !(m_rate > 1.0);
        }
        if (finished) {
            m_rate = m_targetRate;
            m_animating = false;
            m_animTick = 0;
        }
    }
    ApplyZoom(m_rate);
}

void ZoomController::ApplyZoom(double rate) {
    // One reading of the cursor for the monitor and the source: read twice,
    // a cursor crossing to another monitor in between gave a source rectangle
    // around a point off the monitor shown. It is also the costliest query of
    // a tick under Wine.
    const POINT cursor = Cursor();
    if (m_inZoomTick) {
        FollowReading(cursor);
    }
    // The monitor of the caret or the focus when the view is on one, so the
    // zoom moves there if it lies on another.
    const POINT centre = m_focus.Source() == ViewSource::Cursor ? cursor : m_focus.Centre();
    FindMonitor(centre);
    if (!(rate > 1.0)) {
        CloseZoom(cursor);
        return;
    }
    m_rate = rate > kMaxRate ? kMaxRate : rate;
    m_platform.SetMagnifierScale(m_rate);
    UpdateSourceRect(m_rate, centre);
    PlaceWindow();
}

void ZoomController::FollowReading(POINT cursor) {
    const bool caret = (m_settings.ReadSettingInt(kFollowCaretKey) & 1) != 0;
    const bool focus = (m_settings.ReadSettingInt(kFollowFocusKey) & 1) != 0;
    WatchReading(caret, focus);
    m_focus.Observe(caret, focus, cursor, caret ? m_platform.TextCaret() : std::nullopt,
                    focus ? m_platform.KeyboardFocus() : std::nullopt);
}

void ZoomController::WatchReading(bool carets, bool focus) {
    if (carets != m_watchingCarets || focus != m_watchingFocus) {
        m_platform.WatchReading(carets, focus);
        m_watchingCarets = carets;
        m_watchingFocus = focus;
    }
}

void ZoomController::UpdateColorInversion() {
    const bool invert = (m_settings.ReadSettingInt(kInvertColorsKey) & 1) != 0;
    if (invert != m_inverted) {
        m_platform.SetColorInversion(invert);
        m_inverted = invert;
        m_paintedValid = false;
    }
}

void ZoomController::CloseZoom(POINT cursor) {
    ForgetZoom();
    WatchReading(false, false);
    m_platform.SetMagnifierScale(1.0);
    UpdateSourceRect(1.0, cursor);
    StopZoomTimer();
    m_platform.Hide();
    if (m_cancelHotKeyHeld) {
        m_platform.SetCancelHotKey(false);
        m_cancelHotKeyHeld = false;
    }
}

void ZoomController::ForgetZoom() {
    m_focus.Reset();
    m_rate = 1.0;
    // Only a failed timer start closes a zoom in the middle of an animation;
    // a hidden window must not be left animating, or every command is ignored.
    m_animating = false;
    m_animTick = 0;
    m_coveredRect = RECT{};
    m_paintedValid = false;
}

void ZoomController::UpdateSourceRect(double rate, POINT point) {
    const RECT client = m_platform.ClientRect();
    const POINT inClient = m_platform.ScreenToClient(point);
    if (m_focus.Source() == ViewSource::Cursor) {
        m_sourceRect = SourceRectAround(client, inClient, rate);
    } else {
        RECT target = m_focus.Target();
        const POINT centre = m_focus.Centre();
        target.left += inClient.x - centre.x;
        target.right += inClient.x - centre.x;
        target.top += inClient.y - centre.y;
        target.bottom += inClient.y - centre.y;
        m_sourceRect = SourceRectShowing(client, target, rate);
    }
    m_platform.SetMagnifierSource(m_sourceRect, m_monitorRect);
}

void ZoomController::PlaceWindow() {
    if (m_platform.IsVisible()) {
        if (m_monitorRect != m_coveredRect) {
            m_platform.CaptureMonitor(m_monitorRect);
            m_paintedValid = false;
        }
        // Recorded before the move: a tick taken in while the window moves
        // (a command's move is not inside a tick, so the tick is not dropped)
        // would otherwise capture the monitor the window already covers.
        m_coveredRect = m_monitorRect;
        m_platform.MoveTopMost(m_monitorRect);
        return;
    }
    // The first picture already shows the colours asked for.
    UpdateColorInversion();
    m_platform.CaptureMonitor(m_monitorRect);
    const RECT farAway{kOffScreen, kOffScreen, kOffScreen + Width(m_monitorRect),
                       kOffScreen + Height(m_monitorRect)};
    m_platform.ShowWithoutActivating(farAway);
    RepaintAndRemember(true);
    m_platform.Pause(kShowSettleMs);
    m_platform.MoveTopMost(m_monitorRect);
    m_coveredRect = m_monitorRect;
    if (!m_cancelHotKeyHeld) {
        m_platform.SetCancelHotKey(true);
        m_cancelHotKeyHeld = true;
    }
    StartZoomTimer();
}

void ZoomController::StartZoomTimer() {
    m_zoomTimer = m_platform.StartTimer(m_timerPeriodMs);
    m_ticks.Open(m_zoomTimer.kind == ZoomTimerKind::Multimedia ? m_zoomTimer.id : 0);
    if (!m_zoomTimer.Running()) {
        // Without ticks the view would freeze and an animation never end.
        CloseZoom(Cursor());
    }
}

void ZoomController::StopZoomTimer() {
    if (m_zoomTimer.Running()) {
        m_platform.StopTimer(m_zoomTimer);
    }
    m_zoomTimer = ZoomTimer{};
    m_ticks.Close();
}

bool ZoomController::OnTimer(std::uintptr_t timerId) {
    if (timerId != kTimerId) {
        return false;
    }
    // Cleared after the tick, not before: a tick that costs more than the
    // period (a slow settings file, a loaded machine) would otherwise find
    // the next one queued every time, and posted ticks, served before input
    // and paint, would starve the thread's menus and dialogs. The periods
    // that pass meanwhile post nothing; the next tick catches up.
    const bool repainted = Tick();
    m_ticks.Release();
    return repainted;
}

bool ZoomController::Tick() {
    if (m_inZoomTick || !m_zoomTimer.Running()) {
        return false;
    }
    m_inZoomTick = true;
    UpdateColorInversion();
    if (m_animating) {
        AdvanceAnimation();
    } else {
        ApplyZoom(m_rate);
    }
    const bool repaint = m_platform.ShowsLiveScreen() || !PaintedViewIsCurrent();
    if (repaint) {
        RepaintAndRemember(false);
    }
    m_inZoomTick = false;
    return repaint;
}

void ZoomController::RepaintAndRemember(bool erase) {
    m_platform.Repaint(erase);
    m_paintedValid = true;
    m_paintedRate = m_rate;
    m_paintedMonitor = m_monitorRect;
    m_paintedSource = m_sourceRect;
}

bool ZoomController::PaintedViewIsCurrent() const {
    return m_paintedValid && m_paintedRate == m_rate && m_paintedMonitor == m_monitorRect &&
           m_paintedSource == m_sourceRect;
}

void ZoomController::OnDestroy() {
    StopZoomTimer();
    ForgetZoom();
    // The window removes all its hot keys as it goes.
    m_cancelHotKeyHeld = false;
}
