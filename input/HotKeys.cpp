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

void RegisterZoomHotKeys(HWND hwnd) {
    for (const HotKeyRegistration& hotKey : ReadZoomHotKeys(Settings())) {
        RegisterZoomHotKey(hwnd, hotKey);
    }
}

void UnregisterZoomHotKeys(HWND hwnd) {
    for (int id : {HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL}) {
        ::UnregisterHotKey(hwnd, id);
    }
}
