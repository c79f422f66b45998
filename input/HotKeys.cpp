#include "input/HotKeys.h"

#include "input/ZoomHotKeys.h"
#include "settings/Settings.h"

void RegisterZoomHotKeys(HWND hwnd) {
    for (const HotKeyRegistration& hotKey : ReadZoomHotKeys(Settings())) {
        ::RegisterHotKey(hwnd, hotKey.id, hotKey.modifiers, hotKey.key);
    }
}

void UnregisterZoomHotKeys(HWND hwnd) {
    for (int id : {HOTKEY_ZOOMIN, HOTKEY_ZOOMOUT, HOTKEY_ZOOMCANCEL}) {
        ::UnregisterHotKey(hwnd, id);
    }
}
