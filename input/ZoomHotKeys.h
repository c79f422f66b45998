// The three global hot keys as the settings describe them.
#pragma once

#include <array>
#include <cstdint>

class ISettings;

constexpr int HOTKEY_ZOOMIN = 101;
constexpr int HOTKEY_ZOOMOUT = 102;
constexpr int HOTKEY_ZOOMCANCEL = 103;

// Key codes and modifier masks reach the platform as their low 16 bits,
// unsigned, whatever the file holds.
uint16_t HotKeyLowWord(int settingValue);

struct HotKeyRegistration {
    int id = 0;
    uint16_t modifiers = 0; // RegisterHotKey mask
    uint16_t key = 0;       // virtual-key code
};

// Reads the six hot-key settings, each key before its modifiers, in the order
// zoom in, zoom out, cancel; the registrations come back in that order too.
std::array<HotKeyRegistration, 3> ReadZoomHotKeys(ISettings& settings);
// Reads HotKeyZoomCancel, then HotKeyModZoomCancel.
HotKeyRegistration ReadCancelHotKey(ISettings& settings);
