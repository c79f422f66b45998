// The text caret and the focus of the program the user works in, found from
// outside it, in the physical pixels the zoom works in.
#pragma once

#include <windows.h>

#include <optional>

// The foreground thread's system caret.
struct SystemCaret {
    // The middle of its rectangle in physical screen coordinates, while the
    // caret is shown; nothing when it is hidden or there is none.
    std::optional<POINT> shown;
    // Whether the thread has a system caret at all, shown or hidden: a
    // program with one places it where the typing goes.
    bool exists = false;
};
SystemCaret ForegroundSystemCaret();

// Runs the calling thread in the DPI awareness of a window for as long as
// it lives, so that what that window's program reports about positions
// comes in the program's own terms, whatever its awareness; a system
// without per-monitor awareness changes nothing.
class WindowDpiScope {
public:
    explicit WindowDpiScope(HWND hwnd);
    ~WindowDpiScope();
    WindowDpiScope(const WindowDpiScope&) = delete;
    WindowDpiScope& operator=(const WindowDpiScope&) = delete;

private:
    HANDLE m_previous = nullptr;
};

// rect, in screen coordinates as hwnd's program sees them (scaled-down
// logical pixels when that program is not aware of its monitor's DPI), in
// physical screen pixels.
RECT LogicalToPhysicalRect(HWND hwnd, RECT rect);
