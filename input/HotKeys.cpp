#include "input/HotKeys.h"

#include "fw/Trace.h"
#include "input/core/ZoomHotKeys.h"

namespace {

// False when the system refuses the combination; a key of 0 asks for nothing.
bool RegisterZoomHotKey(HWND hwnd, const HotKeyRegistration& hotKey) {
    if (hotKey.key == 0) {
        return true;
    }
    if (::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers, hotKey.key)) {
        return true;
    }
    // Systems before Windows 7 refuse the no-repeat flag; there a held key
    // repeats, but the hot key works.
    fw::Trace(L"RegisterHotKey", ::GetLastError());
    return ::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers & ~win32::kModNoRepeat, hotKey.key);
}

} // namespace

std::vector<int> RegisterZoomHotKeys(HWND hwnd, ISettings& settings, bool withCancel) {
    std::vector<int> refused;
    for (const HotKeyRegistration& hotKey : ReadZoomHotKeys(settings)) {
        if (!RegisterZoomHotKey(hwnd, hotKey)) {
            refused.push_back(hotKey.id);
        } else if (hotKey.id == HOTKEY_ZOOMCANCEL && !withCancel) {
            ::UnregisterHotKey(hwnd, hotKey.id);
        }
    }
    return refused;
}

void RegisterCancelHotKey(HWND hwnd, ISettings& settings) {
    // The user was told of a refused key when it was first tried.
    if (!RegisterZoomHotKey(hwnd, ReadCancelHotKey(settings))) {
        fw::Trace(L"RegisterHotKey", ::GetLastError());
    }
}

void UnregisterCancelHotKey(HWND hwnd) {
    ::UnregisterHotKey(hwnd, HOTKEY_ZOOMCANCEL);
}

void UnregisterZoomHotKeys(HWND hwnd) {
    for (int id : {HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL}) {
        ::UnregisterHotKey(hwnd, id);
    }
}
