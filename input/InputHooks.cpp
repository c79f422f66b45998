#include "input/InputHooks.h"

#include "fw/Handles.h"
#include "fw/WinApp.h"
#include "input/core/WheelChord.h"
#include "settings/core/ZoomWindowMessages.h"

namespace {
fw::HookOwner g_mouseHook;
fw::HookOwner g_keyboardHook;
// The zoom window and the store of the wheel chord; written once on the
// hooks' own thread.
HWND g_hookTarget = nullptr;
ISettings* g_hookSettings = nullptr;
// Touched only on the hooks' thread, by hook calls that may nest.
WheelEventOrder g_wheelEvents;

// The key as it is now on the keyboard. The hooks' thread never has the
// keyboard focus, so its own key state (GetKeyState) is stale on Windows.
bool KeyDown(int vk) {
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}
} // namespace

void InstallZoomHooks(HWND target, ISettings& settings) {
    HINSTANCE instance = fw::AfxGetInstanceHandle();
    g_hookSettings = &settings;
    g_mouseHook.Reset(::SetWindowsHookExW(WH_MOUSE_LL, &MouseHookProc, instance, 0));
    g_hookTarget = target;
    g_keyboardHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHookProc, instance, 0));
}

void RemoveZoomHooks() {
    g_mouseHook.Reset();
    g_keyboardHook.Reset();
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Runs for every mouse event of the desktop: everything but a vertical
    // wheel turn leaves at once.
    if (code < 0 || wParam != WM_MOUSEWHEEL) {
        return ::CallNextHookEx(g_mouseHook.Get(), code, wParam, lParam);
    }
    const WheelEventOrder::Event event = g_wheelEvents.Arrive();
    std::optional<bool> step;
    WheelChordSettings chord = ReadWheelChordSettings(*g_hookSettings);
    if (!IsWheelChordEmpty(chord)) {
        HeldModifiers held;
        held.ctrl = KeyDown(VK_CONTROL);
        held.alt = KeyDown(VK_MENU);
        held.shift = KeyDown(VK_SHIFT);
        held.lwin = KeyDown(VK_LWIN);
        held.rwin = !held.lwin && KeyDown(VK_RWIN);
        const auto* record = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        // A step still to come from an earlier notch shows the zoom too.
        const bool shown =
            ::IsWindowVisible(g_hookTarget) != FALSE || g_wheelEvents.EarlierPending(event);
        WheelDecision decision =
            DecideWheelZoom(chord, held, WheelDeltaFromMouseData(record->mouseData), shown);
        if (decision.zoom) {
            step = decision.forward;
        }
    }
    g_wheelEvents.Decide(event, step);
    g_wheelEvents.TakeSteps(
        [](bool forward) { ::SendMessageW(g_hookTarget, WM_ZOOMWHEEL, forward ? 1 : 0, 0); });
    if (!step) {
        return ::CallNextHookEx(g_mouseHook.Get(), code, wParam, lParam);
    }
    // Swallowed: the program under the cursor must not scroll as well.
    return 1;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && wParam == WM_KEYUP &&
        reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == VK_ESCAPE) {
        ::SendMessageW(g_hookTarget, WM_ZOOMESCAPE, 0, 0);
    }
    // Never swallows a key.
    return ::CallNextHookEx(g_keyboardHook.Get(), code, wParam, lParam);
}
