#include "input/HotKeys.h"

#include "input/ZoomHotKeys.h"
#include "settings/Settings.h"

namespace {
void Register(HWND hwnd, const HotKeyRegistration& hotKey) {
    ::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers, hotKey.key);
}
} // namespace

void RegisterZoomHotKeys(HWND hwnd, bool withCancel) {
    for (const HotKeyRegistration& hotKey : ReadZoomHotKeys(Settings())) {
        if (hotKey.id != HOTKEY_ZOOMCANCEL || withCancel) {
            Register(hwnd, hotKey);
        }
    }
}

void RegisterCancelHotKey(HWND hwnd) {
    Register(hwnd, ReadCancelHotKey(Settings()));
}

void UnregisterCancelHotKey(HWND hwnd) {
    ::UnregisterHotKey(hwnd, HOTKEY_ZOOMCANCEL);
}

void UnregisterZoomHotKeys(HWND hwnd) {
    for (int id : {HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL}) {
        ::UnregisterHotKey(hwnd, id);
    }
}
