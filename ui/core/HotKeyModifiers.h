// The hot-key control keeps modifiers as HOTKEYF_ flags, the settings store
// as the RegisterHotKey mask; the settings page converts between the two.
#pragma once

#include "settings/core/ZoomWindowMessages.h" // HotKeyLowWord: the 16-bit cut of stored key codes

#include <cstdint>
#include <optional>

// The system headers define these as macros with the same values; whichever
// comes first wins and the other is then unused.
#ifndef HOTKEYF_SHIFT
constexpr uint16_t HOTKEYF_SHIFT = 0x01;
#endif
#ifndef HOTKEYF_CONTROL
constexpr uint16_t HOTKEYF_CONTROL = 0x02;
#endif
#ifndef HOTKEYF_ALT
constexpr uint16_t HOTKEYF_ALT = 0x04;
#endif
#ifndef HOTKEYF_EXT
constexpr uint16_t HOTKEYF_EXT = 0x08;
#endif
// Our own flag: the common control has none for the Windows key.
constexpr uint16_t HOTKEYF_WIN = 0x10;

#ifndef MOD_ALT
constexpr int MOD_ALT = 0x01;
#endif
#ifndef MOD_CONTROL
constexpr int MOD_CONTROL = 0x02;
#endif
#ifndef MOD_SHIFT
constexpr int MOD_SHIFT = 0x04;
#endif
#ifndef MOD_WIN
constexpr int MOD_WIN = 0x08;
#endif

// Only the four modifier bits cross over; every other bit is dropped, so a
// stored 0x08 is always the Windows key and HOTKEYF_EXT is never stored.
uint16_t ModToHotKeyFlags(int storedMask);
int HotKeyFlagsToMod(uint16_t flags);

// The zoom-out limit may not exceed the zoom-in limit once a slider moved:
// the position to give the zoom-out slider, or nothing when it may stay.
std::optional<int> ZoomOutSliderCorrection(int zoomInPosition, int zoomOutPosition);
