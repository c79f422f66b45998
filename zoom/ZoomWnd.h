// The zoom window: a borderless, top-most, click-through window over the
// monitor under the cursor, showing that monitor magnified around the cursor.
#pragma once

#include "fw/Wnd.h"
#include "settings/core/ZoomWindowMessages.h"
#include "zoom/BitmapDC.h"
#include "zoom/Magnification.h"
#include "zoom/ReadingEvents.h"
#include "zoom/core/ZoomController.h"

#include <string>
#include <vector>

class ISettings;

// What the zoom window needs of the keyboard and the mouse: the low-level
// hooks that send it WM_ZOOMWHEEL and WM_ZOOMESCAPE, and its hot keys. Its
// owner binds this to the input code.
class IZoomInput {
public:
    virtual ~IZoomInput() = default;
    // Installs the hooks; their messages go to target.
    virtual void InstallHooks(HWND target) = 0;
    virtual void RemoveHooks() = 0;
    // Registers zoom in and zoom out as the settings describe them, and cancel
    // too when withCancel (else cancel is only tried). Gives the ids the
    // system refused.
    virtual std::vector<int> RegisterHotKeys(HWND hwnd, bool withCancel) = 0;
    virtual void UnregisterHotKeys(HWND hwnd) = 0;
    virtual void SetCancelHotKey(HWND hwnd, bool registered) = 0;
    // Tells the hooks whether a zoom shows, and that a wheel step they posted
    // has been taken.
    virtual void SetZoomShown(bool shown) = 0;
    virtual void WheelStepTaken() = 0;
};

class CZoomWnd : public fw::CWnd, private IZoomPlatform {
public:
    // useMagnifier: this run renders through the Magnification API (the gate
    // is open and the library bound and initialised); otherwise the window
    // copies the screen.
    CZoomWnd(ISettings& settings, IZoomInput& input, bool useMagnifier);
    ~CZoomWnd() override;

    // The commands of the hot keys and the tray menu.
    void ZoomIn() { m_zoom.ZoomIn(); }
    void ZoomOut() { m_zoom.ZoomOut(); }
    void CancelZoom() { m_zoom.Cancel(); }

    // The monitor under the cursor when the object was made, or when a rate
    // was last applied; the window is created over it.
    const RECT& MonitorRect() const { return m_zoom.MonitorRect(); }
    const ZoomController& Controller() const { return m_zoom; }
    bool UsesMagnifier() const { return m_useMagnifier; }
    // The screen-copy path copies the screen at every tick rather than
    // stretching a snapshot.
    bool CopiesLive() const { return m_liveCapture; }
    // Registers the hot keys again from the settings: zoom in and zoom out,
    // and cancel while a zoom is shown. Gives the ids the system refused.
    std::vector<int> RegisterHotKeysAnew();
    // The ids the system refused when the window was created.
    const std::vector<int>& HotKeysRefusedAtCreation() const { return m_hotKeysRefusedAtCreation; }

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW cs) override;
    void OnDestroy() override;
    void OnPaint() override;
    void OnHotKey(UINT id, UINT modifiers, UINT vk) override;
    void OnZoomWheel(WPARAM forward);
    // The screen resolution or the monitors changed.
    void OnDisplayChange();
    // The DPI of the window's monitor changed, or the window moved to a
    // monitor of another DPI.
    LRESULT OnDpiChanged();

private:
    bool CreateMagnifierChild(int cx, int cy);
    void PaintScreenCopy(HDC dc);
    void DrawCaption(HDC dc);
    // Covers exactly rect with no visible window above it.
    bool IsPlacedTopMostAt(const RECT& rect) const;
    // Asks the system to leave this window out of screen copies, where it
    // honours that; true when it does.
    bool ExcludeFromCapture();

    static void CALLBACK ZoomTimerProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    // IZoomPlatform
    bool CursorPos(POINT& pt) override;
    RECT MonitorRectAt(POINT pt) override;
    RECT ClientRect() override;
    POINT ScreenToClient(POINT pt) override;
    bool IsVisible() override;
    void CaptureMonitor(const RECT& monitor) override;
    void ShowWithoutActivating(const RECT& rect) override;
    void MoveTopMost(const RECT& rect) override;
    void Hide() override;
    void SetCancelHotKey(bool registered) override;
    void Repaint(bool erase) override;
    void Pause(int ms) override;
    ZoomTimer StartTimer(int periodMs) override;
    void StopTimer(const ZoomTimer& timer) override;
    void SetMagnifierScale(double rate) override;
    void SetMagnifierSource(const RECT& source, const RECT& monitor) override;
    bool ShowsLiveScreen() override;
    std::optional<POINT> TextCaret() override;
    std::optional<FocusMark> KeyboardFocus() override;
    void WatchReading(bool carets, bool focus) override;
    void SetColorInversion(bool invert) override;

    IZoomInput& m_input;
    std::vector<int> m_hotKeysRefusedAtCreation;
    CReadingEvents m_reading;
    ZoomController m_zoom;
    // Rendering through the Magnification API; decided at construction and
    // dropped when the magnifier child cannot be made.
    bool m_useMagnifier;
    // Where the screen-copy path takes its picture: live from the screen, or
    // from the snapshot in m_bitmapDC. Decided when the window is created.
    bool m_liveCapture;
    // The caption's text with the rate's place: read once, drawn every tick.
    std::wstring m_captionFormat;
    CBitmapDC m_bitmapDC;
    HWND m_hwndMagnifier = nullptr;
    // Where the multimedia timer posts its ticks; set before the timer starts
    // and valid until it is killed.
    HWND m_tickTarget = nullptr;
    MAGTRANSFORM m_magTransform{};
    bool m_invertColors = false;
    // The caption's font, at the height of m_captionFontHeight.
    fw::FontOwner m_captionFont;
    int m_captionFontHeight = 0;
};
