// The zoom window's logic: rate arithmetic, animation, cursor-following
// geometry, placement and timer. It talks to the system only through
// IZoomPlatform, so it builds and is tested without Windows.
#pragma once

#include "settings/core/ISettings.h"
#include "zoom/core/TickGate.h"
#include "zoom/core/ZoomTypes.h"

#include <cstdint>
#include <optional>

// Which timer drives the ticks: the multimedia timer, or the window timer that
// stands in when the multimedia timer cannot be started.
enum class ZoomTimerKind { None, Multimedia, Window };

struct ZoomTimer {
    ZoomTimerKind kind = ZoomTimerKind::None;
    // timeSetEvent's identifier, or the window timer's identifier.
    std::uint32_t id = 0;

    bool Running() const { return kind != ZoomTimerKind::None; }
};

// Where the keyboard focus went: the focused object's rectangle in screen
// coordinates, and how many focus changes had been seen then, so that a move
// to an object of the same rectangle still counts as a change.
struct FocusMark {
    RECT rect{};
    std::uint32_t changes = 0;
};

// What the view is placed by.
enum class ViewSource { Cursor, Caret, Focus };

// What the zoom logic needs of the system and of its window. Points and
// rectangles are in screen coordinates unless a comment says client ones.
class IZoomPlatform {
public:
    virtual ~IZoomPlatform() = default;

    // False when the position cannot be read (a locked session, the secure
    // desktop); pt is then left as it is.
    virtual bool CursorPos(POINT& pt) = 0;
    // rcMonitor of the monitor that contains pt, or of the primary monitor
    // when none does.
    virtual RECT MonitorRectAt(POINT pt) = 0;
    // The zoom window's client rectangle: (0, 0, width, height).
    virtual RECT ClientRect() = 0;
    // pt in the zoom window's client coordinates.
    virtual POINT ScreenToClient(POINT pt) = 0;
    virtual bool IsVisible() = 0;

    // The window is about to cover this monitor and is not over it now: the
    // moment to take the picture when the image is stretched from a snapshot.
    // Paths that show the screen live ignore it.
    virtual void CaptureMonitor(const RECT& monitor) = 0;
    // Shows the window top-most at rect without activating it.
    virtual void ShowWithoutActivating(const RECT& rect) = 0;
    // Moves and sizes the window top-most to rect; shown or hidden stays as is.
    virtual void MoveTopMost(const RECT& rect) = 0;
    virtual void Hide() = 0;
    // Registers the cancel hot key, or removes it. It is held only while a
    // zoom is shown: held for the whole run, a bare Escape would be lost to
    // every other program.
    virtual void SetCancelHotKey(bool registered) = 0;
    // Invalidates the whole client area, erasing the background when asked,
    // and repaints it before returning.
    virtual void Repaint(bool erase) = 0;
    virtual void Pause(int ms) = 0;
    // Starts a periodic timer whose ticks arrive as
    // ZoomController::OnTimer(ZoomController::kTimerId). A result of kind
    // None means that no timer could be started.
    virtual ZoomTimer StartTimer(int periodMs) = 0;
    // Stops a timer that StartTimer returned.
    virtual void StopTimer(const ZoomTimer& timer) = 0;

    virtual void SetMagnifierScale(double rate) = 0;
    // source is relative to the top-left corner of monitor.
    virtual void SetMagnifierSource(const RECT& source, const RECT& monitor) = 0;
    // True when the picture comes live from the screen (magnifier control or
    // live capture), so every tick must repaint; false when it is stretched
    // from the CaptureMonitor snapshot, where unchanged geometry would give
    // identical pixels.
    virtual bool ShowsLiveScreen() = 0;

    // The text caret of the foreground thread: the middle of its rectangle,
    // in screen coordinates; nothing when that thread shows no caret.
    virtual std::optional<POINT> TextCaret() = 0;
    // Where the keyboard focus went last, as reported since the focus has
    // been watched; nothing before the first report.
    virtual std::optional<FocusMark> KeyboardFocus() = 0;
    // Starts or stops listening for where carets that are not the system
    // caret and the keyboard focus go. Called on a change only, and with
    // both off when the zoom closes; a source turned off forgets its report.
    virtual void WatchReading(bool carets, bool focus) = 0;
    // Shows the view with its colours inverted, or as they are. The view
    // starts with them as they are.
    virtual void SetColorInversion(bool invert) = 0;
};

// The next whole rate above rate: what a zoom-in gives once the limit is reached.
double NextWholeRate(double rate);
// The whole rate below rate. A rate no more than a wheel step less 0.001 above
// a whole number counts as that number: with step 0.1, 2.05 gives 1.
double PreviousWholeRate(double rate, double wheelStep);
// The part of the client area to magnify by rate so that the point under the
// cursor stays under it. cursor is in client coordinates and is clamped into
// client first, so the result always lies inside client.
RECT SourceRectAround(const RECT& client, POINT cursor, double rate);
// The part of the client area to magnify by rate that shows target: centred
// on target's middle, or, along an axis where target is longer than the
// part, from target's top-left; moved as little as needed to lie inside
// client. A caret is an empty target at its point.
RECT SourceRectShowing(const RECT& client, const RECT& target, double rate);

// What the view is placed by: the cursor, or, while the cursor rests, the
// latest of a caret move and a focus change, until the cursor moves again.
class ViewFocus {
public:
    // What one tick saw: the text caret's position and the keyboard focus,
    // each if any and only when followed. A source's first look after a
    // reset or after it was turned on only records; a caret that shows up
    // counts as moved, and a focus mark with another count of changes as a
    // focus change. A caret move and a focus change in the same tick give
    // the caret: it is where the typing goes inside the newly focused field.
    // A source turned off gives the view back to the cursor.
    void Observe(bool followCaret, bool followFocus, POINT cursor, std::optional<POINT> caret,
                 std::optional<FocusMark> focus);
    // Back to the cursor with no history: the zoom starts or ends.
    void Reset() { *this = ViewFocus{}; }

    ViewSource Source() const { return m_source; }
    bool OnCaret() const { return m_source == ViewSource::Caret; }
    bool OnFocus() const { return m_source == ViewSource::Focus; }
    // What the view shows while it is not on the cursor: the caret as an
    // empty rectangle at its point, or the focused object's rectangle.
    const RECT& Target() const { return m_target; }
    // The middle of Target.
    POINT Centre() const;

private:
    bool m_seen = false;
    POINT m_lastCursor{};
    bool m_caretSeen = false;
    std::optional<POINT> m_lastCaret;
    bool m_focusSeen = false;
    std::optional<FocusMark> m_lastFocus;
    ViewSource m_source = ViewSource::Cursor;
    RECT m_target{};
};

// Windows 10 version 2004 (build 19041) is the first to leave a window with
// WDA_EXCLUDEFROMCAPTURE out of screen copies; earlier versions take the value
// for WDA_MONITOR and would copy the window as a black area.
bool SystemExcludesFromCapture(unsigned majorVersion, unsigned buildNumber);
// Whether the screen-copy path copies the screen live at every tick. That
// needs a copy that cannot contain the zoom window: on Windows 5 and older a
// copy of the screen leaves layered windows out, elsewhere only a window
// excluded from capture stays out. Otherwise the view would magnify its own
// output, and the path stretches a snapshot taken before the window covers
// the monitor.
bool CopiesScreenLive(int osMajorVersion, bool excludedFromCapture);

class ZoomController {
public:
    // The WM_TIMER identifier of the ticks, whichever timer sends them.
    static constexpr std::uintptr_t kTimerId = 1;
    static constexpr double kMaxRate = 20.0;

    ZoomController(IZoomPlatform& platform, ISettings& settings);
    ZoomController(const ZoomController&) = delete;
    ZoomController& operator=(const ZoomController&) = delete;

    // Takes the monitor under the cursor into m_monitorRect. The window calls
    // it once before it is created, to size itself.
    void UpdateMonitorRect();
    // WM_DISPLAYCHANGE: monitors may have moved or changed size.
    void OnDisplayChange();

    // Commands. ZoomIn and ZoomOut read both limits at every call, also while
    // an animation runs; every command is ignored while one runs.
    void ZoomIn();
    void ZoomOut();
    void Cancel();
    void Wheel(bool forward);
    // WM_ZOOMWHEEL: wparam greater than 0 (as a signed value) is forward.
    void OnZoomWheel(std::uintptr_t wparam);
    // WM_HOTKEY: HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT or HOTKEY_ZOOMCANCEL; others do nothing.
    void OnHotKey(int id);

    // WM_TIMER: a tick when timerId is kTimerId. True when it repainted.
    // The tick posted by the multimedia timer has arrived: the next may be
    // posted.
    bool OnTimer(std::uintptr_t timerId);
    // The window is going away: no tick may reach it any more.
    void OnDestroy();

    double Rate() const { return m_rate; }
    double TargetRate() const { return m_targetRate; }
    double AnimStep() const { return m_animStep; }
    const RECT& MonitorRect() const { return m_monitorRect; }
    const RECT& SourceRect() const { return m_sourceRect; }
    int AnimTicks() const { return m_animTicks; }
    int AnimTick() const { return m_animTick; }
    bool IsAnimating() const { return m_animating; }
    const ViewFocus& Focus() const { return m_focus; }
    int TimerPeriodMs() const { return m_timerPeriodMs; }
    const ZoomTimer& Timer() const { return m_zoomTimer; }
    // The running multimedia timer's gate, for its own thread; OnTimer
    // releases a claimed tick once it has run.
    TickGate& Ticks() { return m_ticks; }
    // Whether the cancel hot key is registered: while a zoom is shown.
    bool HoldsCancelHotKey() const { return m_cancelHotKeyHeld; }

private:
    // The unit tests and the fuzzer set a zoom up through its steps.
    friend class ZoomControllerProbe;

    void AnimateZoomTo(double target);
    // Follows the cursor (or takes the next animation step) and repaints.
    // A tick that arrives inside another, or while no timer runs, is dropped.
    bool Tick();
    // The steps the commands are made of.
    void ApplyZoom(double rate);
    // Around point: the point stays in place; while the view is on the caret
    // or the focus, point is the middle of what it shows, which it centres.
    void UpdateSourceRect(double rate, POINT point);
    void PlaceWindow();
    void AdvanceAnimation();

    // The cursor position, or the last one read when it cannot be read:
    // the view stays where it was instead of jumping to a corner.
    POINT Cursor();
    void FindMonitor(POINT cursor);
    // Inside a tick: reads FollowCaret and FollowFocus, and looks at the
    // caret and the focus they ask for.
    void FollowReading(POINT cursor);
    // Tells the platform which reading events to listen for, on a change.
    void WatchReading(bool carets, bool focus);
    // Reads InvertColors and hands a change over to the platform.
    void UpdateColorInversion();
    void CloseZoom(POINT cursor);
    // Back to no zoom, on this side only: what closing the zoom and the
    // window's end share.
    void ForgetZoom();
    void StartZoomTimer();
    void StopZoomTimer();
    void RepaintAndRemember(bool erase);
    bool PaintedViewIsCurrent() const;

    IZoomPlatform& m_platform;
    ISettings& m_settings;

    const double m_wheelStep = 0.1;
    const int m_animDurationMs = 600;
    const int m_timerPeriodMs = 50;
    const int m_animTicks = m_animDurationMs / m_timerPeriodMs;

    double m_animStep = 0.1;
    double m_rate = 1.0;
    RECT m_monitorRect{};
    bool m_monitorKnown = false;
    RECT m_sourceRect{};
    double m_targetRate = 1.0;
    int m_animTick = 0;
    bool m_animating = false;

    ZoomTimer m_zoomTimer;
    TickGate m_ticks;
    bool m_inZoomTick = false;
    bool m_cancelHotKeyHeld = false;
    POINT m_lastCursor{};

    ViewFocus m_focus;
    // The reading events the platform listens for.
    bool m_watchingCarets = false;
    bool m_watchingFocus = false;
    // The inversion the platform shows, not the setting: that is read anew.
    bool m_inverted = false;

    // Where the window was last placed, to notice a move to another monitor.
    RECT m_coveredRect{};
    // The view of the last repaint; valid only while the window shows it.
    bool m_paintedValid = false;
    double m_paintedRate = 0.0;
    RECT m_paintedMonitor{};
    RECT m_paintedSource{};
};
