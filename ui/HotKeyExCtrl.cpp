#include "ui/HotKeyExCtrl.h"

#include "fw/Dc.h"
#include "fw/Handles.h"
#include "fw/Trace.h"
#include "fw/WinApp.h"
#include "ui/core/HotKeyModifiers.h"

#include <vector>

fw::HookOwner CHotKeyExCtrl::s_hHotKeyExHook;
HWND CHotKeyExCtrl::s_hWndHotKeyExTarget = nullptr;
HotKeyKeyFilter CHotKeyExCtrl::s_keyFilter;

namespace {
class LayoutKeyNames : public IKeyNames {
public:
    std::wstring GetKeyName(uint16_t vk) const override { return CHotKeyExCtrl::GetKeyName(vk); }
    std::wstring LoadText(unsigned id) const override { return fw::AfxLoadString(id); }
};
} // namespace

void CHotKeyExCtrl::SetHotKeyEx(WORD key, WORD modifiers) {
    m_state = SetHotKeyValue(m_state, key, modifiers);
    RedrawNow();
}

void CHotKeyExCtrl::GetHotKeyEx(WORD& key, WORD& modifiers) const {
    key = m_state.m_wKey;
    modifiers = m_state.m_wModifiers;
}

std::wstring CHotKeyExCtrl::GetHotKeyName(WORD key, WORD modifiers) {
    return ::GetHotKeyName(key, modifiers, LayoutKeyNames());
}

std::wstring CHotKeyExCtrl::GetKeyName(UINT vk) {
    LONG param = KeyNameParam(static_cast<uint16_t>(vk), ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    std::vector<wchar_t> buffer(128);
    for (;;) {
        int n = ::GetKeyNameTextW(param, buffer.data(), static_cast<int>(buffer.size()));
        if (n < static_cast<int>(buffer.size()) - 1) {
            return std::wstring(buffer.data(), n > 0 ? n : 0);
        }
        buffer.resize(buffer.size() * 2);
    }
}

void CHotKeyExCtrl::RedrawNow() {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CALLBACK CHotKeyExCtrl::HotKeyExHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION) {
        return ::CallNextHookEx(s_hHotKeyExHook.Get(), code, wParam, lParam);
    }
    switch (wParam) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (!s_keyFilter.Takes(static_cast<uint16_t>(event->vkCode), down)) {
            if (down) {
                ::PostMessageW(s_hWndHotKeyExTarget, WM_HOTKEYEX_DIALOGKEY, 0, 0);
            }
            break;
        }
        UINT message = static_cast<UINT>((wParam & ~WPARAM(4)) + WM_USER);
        ::PostMessageW(s_hWndHotKeyExTarget, message, event->vkCode, 0);
        // Shift is also let through: the dialog reads it for Shift + Tab,
        // and alone it does nothing.
        if (HotKeyModifierOfKey(static_cast<uint16_t>(event->vkCode)) == HOTKEYF_SHIFT) {
            break;
        }
        // Consumed: the Windows keys belong to the control while it
        // captures, and so do the program's own hot keys.
        return 1;
    }
    }
    return ::CallNextHookEx(s_hHotKeyExHook.Get(), 0, wParam, lParam);
}

LRESULT CHotKeyExCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEYEX_KEYDOWN: OnKeyEvent(UINT(wParam), true); break;
    case WM_HOTKEYEX_KEYUP: OnKeyEvent(UINT(wParam), false); break;
    case WM_HOTKEYEX_DIALOGKEY: EndCapture(); break;
    }
    return CHotKeyCtrl::WindowProc(msg, wParam, lParam);
}

void CHotKeyExCtrl::OnKeyEvent(UINT vk, bool down) {
    m_state = StepHotKeyCapture(m_state, static_cast<uint16_t>(vk), down);
    RedrawNow();
}

void CHotKeyExCtrl::EndCapture() {
    m_state = EndHotKeyCapture(m_state);
    RedrawNow();
}

void CHotKeyExCtrl::OnSetFocus(HWND) {
    Default();
    // The capture follows the focus, also from a control that never saw
    // its focus go.
    m_state = BeginHotKeyCapture(m_state);
    s_keyFilter.Begin(m_escapeIsHotKey);
    s_hWndHotKeyExTarget = m_hWnd;
    if (!s_hHotKeyExHook) {
        s_hHotKeyExHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &CHotKeyExCtrl::HotKeyExHookProc,
                                                  fw::AfxGetInstanceHandle(), 0));
        // The next focus gain tries again.
        if (!s_hHotKeyExHook) {
            fw::Trace(L"SetWindowsHookExW", ::GetLastError());
        }
    }
}

void CHotKeyExCtrl::OnKillFocus(HWND) {
    Default();
    s_hHotKeyExHook.Reset();
    s_hWndHotKeyExTarget = nullptr;
    EndCapture();
}

// A sheet closed by a key in the control may destroy it with the focus and
// no focus loss: its hook would go on taking every key of the desktop.
void CHotKeyExCtrl::OnDestroy() {
    if (s_hWndHotKeyExTarget == m_hWnd) {
        s_hHotKeyExHook.Reset();
        s_hWndHotKeyExTarget = nullptr;
    }
    Default();
}

void CHotKeyExCtrl::OnPaint() {
    fw::CPaintDC dc(m_hWnd);
    // The dialog's font, which the dialog made for the DPI it is shown at;
    // the system's metrics would be those of the DPI the session began with.
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (font == nullptr) {
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    // The scheme's colours, not the DC's black: black text on the window
    // colour of a high-contrast black scheme shows nothing.
    RECT client{};
    GetClientRect(&client);
    ::FillRect(dc.m_hDC, &client, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetTextColor(dc.m_hDC,
                   ::GetSysColor(::IsWindowEnabled(m_hWnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    ::SetBkMode(dc.m_hDC, TRANSPARENT);
    {
        fw::SelectedObject selected(dc.m_hDC, font);
        std::wstring text = GetHotKeyName(m_state.m_wKey, m_state.m_wModifiers);
        ::TextOutW(dc.m_hDC, 1, 1, text.c_str(), static_cast<int>(text.size()));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.m_hDC, text.c_str(), static_cast<int>(text.size()), &extent);
        ::SetCaretPos(extent.cx + 1, 1);
    }
    ::SetBkMode(dc.m_hDC, OPAQUE);
}
