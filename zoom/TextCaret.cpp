#include "zoom/TextCaret.h"

#include "fw/SystemLibrary.h"

namespace {

// Bound at run time: the system of a user may predate them (they came with
// Windows 8.1 and 10).
using DpiContext = HANDLE;
using PFN_SetThreadDpiAwarenessContext = DpiContext(WINAPI*)(DpiContext);
using PFN_GetWindowDpiAwarenessContext = DpiContext(WINAPI*)(HWND);
using PFN_LogicalToPhysicalPointForPerMonitorDPI = BOOL(WINAPI*)(HWND, POINT*);

struct DpiFunctions {
    PFN_SetThreadDpiAwarenessContext setThreadContext = nullptr;
    PFN_GetWindowDpiAwarenessContext windowContext = nullptr;
    PFN_LogicalToPhysicalPointForPerMonitorDPI logicalToPhysical = nullptr;

    bool Complete() const {
        return setThreadContext != nullptr && windowContext != nullptr &&
               logicalToPhysical != nullptr;
    }
};

const DpiFunctions& Dpi() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        f.setThreadContext = fw::ProcAddress<PFN_SetThreadDpiAwarenessContext>(
            user32, "SetThreadDpiAwarenessContext");
        f.windowContext = fw::ProcAddress<PFN_GetWindowDpiAwarenessContext>(
            user32, "GetWindowDpiAwarenessContext");
        f.logicalToPhysical = fw::ProcAddress<PFN_LogicalToPhysicalPointForPerMonitorDPI>(
            user32, "LogicalToPhysicalPointForPerMonitorDPI");
        return f;
    }();
    return functions;
}

} // namespace

WindowDpiScope::WindowDpiScope(HWND hwnd) {
    const DpiFunctions& dpi = Dpi();
    if (dpi.Complete()) {
        m_previous = dpi.setThreadContext(dpi.windowContext(hwnd));
    }
}

WindowDpiScope::~WindowDpiScope() {
    if (m_previous != nullptr) {
        Dpi().setThreadContext(m_previous);
    }
}

RECT LogicalToPhysicalRect(HWND hwnd, RECT rect) {
    const DpiFunctions& dpi = Dpi();
    if (!dpi.Complete()) {
        return rect;
    }
    // Both corners inside the rectangle: the conversion may refuse a point
    // beyond the window, and the right and bottom edges lie just beyond it.
    POINT first{rect.left, rect.top};
    POINT last{rect.right > rect.left ? rect.right - 1 : rect.left,
               rect.bottom > rect.top ? rect.bottom - 1 : rect.top};
    dpi.logicalToPhysical(hwnd, &first);
    dpi.logicalToPhysical(hwnd, &last);
    return RECT{first.x, first.y, rect.right > rect.left ? last.x + 1 : first.x,
                rect.bottom > rect.top ? last.y + 1 : first.y};
}

SystemCaret ForegroundSystemCaret() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(0, &info) || info.hwndCaret == nullptr) {
        return {};
    }
    // A hidden caret (HideCaret) keeps its window and its rectangle.
    if ((info.flags & GUI_CARETBLINKING) == 0) {
        return {std::nullopt, true};
    }
    POINT middle{(info.rcCaret.left + info.rcCaret.right) / 2,
                 (info.rcCaret.top + info.rcCaret.bottom) / 2};
    // rcCaret is in the caret window's client coordinates as its own program
    // sees them: scaled-down logical pixels when that program is not aware of
    // the monitor's DPI. So it goes to the screen in that program's terms,
    // and from there to the physical pixels the zoom works in.
    {
        WindowDpiScope own(info.hwndCaret);
        ::ClientToScreen(info.hwndCaret, &middle);
    }
    const DpiFunctions& dpi = Dpi();
    if (dpi.Complete()) {
        dpi.logicalToPhysical(info.hwndCaret, &middle);
    }
    return {middle, true};
}
