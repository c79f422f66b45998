// The three global hot keys as the settings describe them.
#pragma once

#include "settings/core/ZoomWindowMessages.h"

#include <array>
#include <cstdint>

class ISettings;

namespace win32 {
// RegisterHotKey's MOD_NOREPEAT (app/Win32Mirrors.cpp checks the copy): a
// held key gives one command, not one per key repeat (which raced a held
// zoom-in to 20x). Added at registration; the stored masks do not carry it.
constexpr uint16_t kModNoRepeat = 0x4000;
} // namespace win32

struct HotKeyRegistration {
    int id = 0;
    uint16_t modifiers = 0; // RegisterHotKey mask, win32::kModNoRepeat included
    uint16_t key = 0;       // virtual-key code; 0 (an emptied field) registers nothing
};

// Reads the six hot-key settings, each key before its modifiers, in the order
// zoom in, zoom out, cancel; the registrations come back in that order too.
std::array<HotKeyRegistration, 3> ReadZoomHotKeys(ISettings& settings);
// Reads HotKeyZoomCancel, then HotKeyModZoomCancel.
HotKeyRegistration ReadCancelHotKey(ISettings& settings);
