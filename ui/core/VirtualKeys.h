// The virtual-key codes the hot-key logic tells apart, copied from the system
// headers under names of their own (app/Win32Mirrors.cpp checks the copies).
#pragma once

#include <cstdint>

namespace win32 {

constexpr uint16_t kVkBack = 0x08;
constexpr uint16_t kVkTab = 0x09;
constexpr uint16_t kVkReturn = 0x0D;
constexpr uint16_t kVkEscape = 0x1B;
constexpr uint16_t kVkSpace = 0x20;
constexpr uint16_t kVkPrior = 0x21;
constexpr uint16_t kVkNext = 0x22;
constexpr uint16_t kVkEnd = 0x23;
constexpr uint16_t kVkHome = 0x24;
constexpr uint16_t kVkLeft = 0x25;
constexpr uint16_t kVkUp = 0x26;
constexpr uint16_t kVkRight = 0x27;
constexpr uint16_t kVkDown = 0x28;
constexpr uint16_t kVkInsert = 0x2D;
constexpr uint16_t kVkDelete = 0x2E;
constexpr uint16_t kVkNumpad0 = 0x60;
constexpr uint16_t kVkDivide = 0x6F;
constexpr uint16_t kVkNumLock = 0x90;
constexpr uint16_t kVkOem1 = 0xBA;
constexpr uint16_t kVkOem3 = 0xC0;
constexpr uint16_t kVkOem4 = 0xDB;
constexpr uint16_t kVkOem8 = 0xDF;
constexpr uint16_t kVkOem102 = 0xE2;

constexpr uint16_t kVkShift = 0x10;
constexpr uint16_t kVkControl = 0x11;
constexpr uint16_t kVkMenu = 0x12;
constexpr uint16_t kVkLWin = 0x5B;
constexpr uint16_t kVkRWin = 0x5C;
constexpr uint16_t kVkApps = 0x5D;
constexpr uint16_t kVkLShift = 0xA0;
constexpr uint16_t kVkRShift = 0xA1;
constexpr uint16_t kVkLControl = 0xA2;
constexpr uint16_t kVkRControl = 0xA3;
constexpr uint16_t kVkLMenu = 0xA4;
constexpr uint16_t kVkRMenu = 0xA5;

} // namespace win32
