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

// RegisterHotKey's MOD_NOREPEAT: a held key gives one command, not one per
// key repeat (which raced a held zoom-in to 20x). Added at registration; the
// stored masks do not carry it.
constexpr uint16_t kHotKeyNoRepeat = 0x4000;

struct HotKeyRegistration {
    int id = 0;
    uint16_t modifiers = 0; // RegisterHotKey mask, kHotKeyNoRepeat included
    uint16_t key = 0;       // virtual-key code; 0 (an emptied field) registers nothing
};

// Reads the six hot-key settings, each key before its modifiers, in the order
// zoom in, zoom out, cancel; the registrations come back in that order too.
std::array<HotKeyRegistration, 3> ReadZoomHotKeys(ISettings& settings);
// Reads HotKeyZoomCancel, then HotKeyModZoomCancel.
HotKeyRegistration ReadCancelHotKey(ISettings& settings);
