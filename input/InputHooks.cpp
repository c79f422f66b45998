#include "input/InputHooks.h"

#include "fw/Handles.h"
#include "fw/Trace.h"
#include "fw/WinApp.h"
#include "input/core/WheelChord.h"
#include "settings/core/ZoomWindowMessages.h"

#include <atomic>
#include <thread>

namespace {
// Touched only on the hooks' thread.
fw::HookOwner g_mouseHook;
fw::HookOwner g_keyboardHook;
WheelEventOrder g_wheelEvents;
WheelDeltaSum g_wheelDeltas;
// The masking key went out in the Win or Alt chord held now.
bool g_chordMasked = false;

// Written before the thread starts, read on it.
HWND g_hookTarget = nullptr;
ISettings* g_hookSettings = nullptr;

std::thread g_hookThread;
std::atomic<DWORD> g_hookThreadId{0};
std::atomic<bool> g_zoomShown{false};
// Steps posted to the zoom window and not taken yet: they may show the zoom.
std::atomic<int> g_stepsInFlight{0};

// The key as it is now on the keyboard. The hooks' thread never has the
// keyboard focus, so its own key state (GetKeyState) is stale on Windows.
bool KeyDown(int vk) {
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

bool IsWinOrAlt(DWORD vk) {
    return vk == VK_LWIN || vk == VK_RWIN || vk == VK_LMENU || vk == VK_RMENU || vk == VK_MENU;
}

void MaskChord() {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = kChordMaskKey;
        key.ki.dwExtraInfo = kInjectedKeyMark;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

void PostStep(bool forward) {
    ++g_stepsInFlight;
    if (!::PostMessageW(g_hookTarget, WM_ZOOMWHEEL, forward ? 1 : 0, 0)) {
        --g_stepsInFlight;
    }
}

// A hook the system refuses never runs; the hot keys still zoom.
HHOOK InstallHook(int type, HOOKPROC proc, HINSTANCE instance) {
    HHOOK hook = ::SetWindowsHookExW(type, proc, instance, 0);
    if (hook == nullptr) {
        fw::Trace(L"SetWindowsHookExW", ::GetLastError());
    }
    return hook;
}

void RunHooks(HANDLE ready) {
    MSG msg;
    // The thread's message queue, before anyone posts WM_QUIT to it.
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    g_hookThreadId = ::GetCurrentThreadId();
    HINSTANCE instance = fw::AfxGetInstanceHandle();
    g_mouseHook.Reset(InstallHook(WH_MOUSE_LL, &MouseHookProc, instance));
    g_keyboardHook.Reset(InstallHook(WH_KEYBOARD_LL, &KeyboardHookProc, instance));
    ::SetEvent(ready);
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&msg);
    }
    g_mouseHook.Reset();
    g_keyboardHook.Reset();
}
} // namespace

void InstallZoomHooks(HWND target, ISettings& settings) {
    if (g_hookThread.joinable()) {
        return;
    }
    g_hookTarget = target;
    g_hookSettings = &settings;
    fw::KernelHandleOwner ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_hookThread = std::thread(RunHooks, ready.Get());
    ::WaitForSingleObject(ready.Get(), INFINITE);
}

void RemoveZoomHooks() {
    if (!g_hookThread.joinable()) {
        return;
    }
    ::PostThreadMessageW(g_hookThreadId, WM_QUIT, 0, 0);
    g_hookThread.join();
    g_hookThreadId = 0;
    g_stepsInFlight = 0;
}

DWORD ZoomHooksThreadId() {
    return g_hookThreadId;
}

void SetZoomShownForHooks(bool shown) {
    g_zoomShown = shown;
}

void ZoomWheelStepTaken() {
    if (g_stepsInFlight > 0) {
        --g_stepsInFlight;
    }
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Runs for every mouse event of the desktop: everything but a vertical
    // wheel turn leaves at once.
    if (code < 0 || wParam != WM_MOUSEWHEEL) {
        return ::CallNextHookEx(g_mouseHook.Get(), code, wParam, lParam);
    }
    const WheelEventOrder::Event event = g_wheelEvents.Arrive();
    const auto* record = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    WheelDecision decision;
    HeldModifiers held;
    const WheelChordSettings chord = ReadWheelChordSettings(*g_hookSettings);
    if (!IsWheelChordEmpty(chord)) {
        held.ctrl = KeyDown(VK_CONTROL);
        held.alt = KeyDown(VK_MENU);
        held.shift = KeyDown(VK_SHIFT);
        held.lwin = KeyDown(VK_LWIN);
        held.rwin = !held.lwin && KeyDown(VK_RWIN);
        // A step still to come from an earlier notch shows the zoom too.
        const bool shown =
            g_zoomShown || g_stepsInFlight > 0 || g_wheelEvents.EarlierPending(event);
        decision =
            DecideWheelZoom(chord, held, WheelDeltaFromMouseData(record->mouseData), shown);
    }
    if (decision.zoom) {
        const int steps = g_wheelDeltas.Add(WheelDeltaFromMouseData(record->mouseData), record->time);
        g_wheelEvents.Decide(event, decision.forward, steps);
        if ((held.alt || held.lwin || held.rwin) && !g_chordMasked) {
            MaskChord();
            g_chordMasked = true;
        }
    } else {
        g_wheelDeltas.Reset();
        g_wheelEvents.Decide(event, std::nullopt);
    }
    g_wheelEvents.TakeSteps(PostStep);
    if (!decision.zoom) {
        return ::CallNextHookEx(g_mouseHook.Get(), code, wParam, lParam);
    }
    // Swallowed: the program under the cursor must not scroll as well.
    return 1;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        // Our own masking key means nothing here.
        if (key->dwExtraInfo != kInjectedKeyMark) {
            if (up && IsWinOrAlt(key->vkCode)) {
                g_chordMasked = false;
            } else if (wParam == WM_KEYUP && key->vkCode == VK_ESCAPE) {
                ::PostMessageW(g_hookTarget, WM_ZOOMESCAPE, 0, 0);
            }
        }
    }
    // Never swallows a key.
    return ::CallNextHookEx(g_keyboardHook.Get(), code, wParam, lParam);
}
