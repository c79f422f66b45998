// Hot-key control that captures every key combination, Windows key included,
// through a low-level keyboard hook while it has the focus.
#pragma once

#include "fw/Controls.h"
#include "fw/Handles.h"
#include "ui/core/HotKeyCapture.h"
#include "ui/core/HotKeyText.h"

constexpr UINT WM_HOTKEYEX_KEYDOWN = WM_USER + 0x100;
constexpr UINT WM_HOTKEYEX_KEYUP = WM_USER + 0x101;
// A key pressed in the control went to the dialog instead, with the
// modifiers held.
constexpr UINT WM_HOTKEYEX_DIALOGKEY = WM_USER + 0x102;

class CHotKeyExCtrl : public fw::CHotKeyCtrl {
public:
    void SetHotKeyEx(WORD key, WORD modifiers);
    void GetHotKeyEx(WORD& key, WORD& modifiers) const;
    // Escape alone is a combination here rather than the dialog's Cancel.
    void SetEscapeIsHotKey(bool escapeIsHotKey) { m_escapeIsHotKey = escapeIsHotKey; }

    static std::wstring GetHotKeyName(WORD key, WORD modifiers);
    static std::wstring GetKeyName(UINT vk);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    void OnDestroy() override;
    void OnPaint() override;

private:
    void OnKeyEvent(UINT vk, bool down);
    void EndCapture();
    void RedrawNow();

    static LRESULT CALLBACK HotKeyExHookProc(int code, WPARAM wParam, LPARAM lParam);

    HotKeyCaptureState m_state;
    bool m_escapeIsHotKey = false;

    // One capture at a time in the process: the control with the focus.
    static fw::HookOwner s_hHotKeyExHook;
    static HWND s_hWndHotKeyExTarget;
    static HotKeyKeyFilter s_keyFilter;
};
