// The hot-key control keeps modifiers as HOTKEYF_ flags, the settings store
// as the RegisterHotKey mask; the settings page converts between the two.
#pragma once

#include "settings/core/SettingKeys.h" // HotKeyLowWord: the 16-bit cut of stored key codes

#include <cstdint>
#include <optional>

namespace win32 {

// The hot-key control's flags and RegisterHotKey's modifier bits, copied from
// the system headers under names of their own (app/Win32Mirrors.cpp checks
// the copies).
constexpr uint16_t kHotkeyfShift = 0x01;
constexpr uint16_t kHotkeyfControl = 0x02;
constexpr uint16_t kHotkeyfAlt = 0x04;
constexpr uint16_t kHotkeyfExt = 0x08;
// Our own flag: the common control has none for the Windows key.
constexpr uint16_t kHotkeyfWin = 0x10;

constexpr int kModAlt = 0x01;
constexpr int kModControl = 0x02;
constexpr int kModShift = 0x04;
constexpr int kModWin = 0x08;

} // namespace win32

// Only the four modifier bits cross over; every other bit is dropped, so a
// stored 0x08 is always the Windows key and kHotkeyfExt is never stored.
uint16_t ModToHotKeyFlags(int storedMask);
int HotKeyFlagsToMod(uint16_t flags);

// The zoom-out limit may not exceed the zoom-in limit once a slider moved:
// the position to give the zoom-out slider, or nothing when it may stay.
std::optional<int> ZoomOutSliderCorrection(int zoomInPosition, int zoomOutPosition);
