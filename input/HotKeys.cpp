#include "input/HotKeys.h"

#include "input/ZoomHotKeys.h"
#include "settings/Settings.h"

namespace {

void RegisterZoomHotKey(HWND hwnd, const HotKeyRegistration& hotKey) {
    if (hotKey.key == 0) {
        return;
    }
    if (!::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers, hotKey.key)) {
        // Systems before Windows 7 refuse the no-repeat flag; there a held key
        // repeats, but the hot key works.
        ::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers & ~kHotKeyNoRepeat, hotKey.key);
    }
}

} // namespace

void RegisterZoomHotKeys(HWND hwnd, bool withCancel) {
    for (const HotKeyRegistration& hotKey : ReadZoomHotKeys(Settings())) {
        if (hotKey.id != HOTKEY_ZOOMCANCEL || withCancel) {
            RegisterZoomHotKey(hwnd, hotKey);
        }
    }
}

void RegisterCancelHotKey(HWND hwnd) {
    RegisterZoomHotKey(hwnd, ReadCancelHotKey(Settings()));
}

void UnregisterCancelHotKey(HWND hwnd) {
    ::UnregisterHotKey(hwnd, HOTKEY_ZOOMCANCEL);
}

void UnregisterZoomHotKeys(HWND hwnd) {
    for (int id : {HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL}) {
        ::UnregisterHotKey(hwnd, id);
    }
}
