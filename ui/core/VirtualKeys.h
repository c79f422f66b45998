// The virtual-key codes the hot-key logic tells apart. The system headers
// define them as macros with the same values; whichever comes first wins.
#pragma once

#include <cstdint>

#ifndef VK_BACK
constexpr uint16_t VK_BACK = 0x08;
#endif
#ifndef VK_TAB
constexpr uint16_t VK_TAB = 0x09;
#endif
#ifndef VK_RETURN
constexpr uint16_t VK_RETURN = 0x0D;
#endif
#ifndef VK_ESCAPE
constexpr uint16_t VK_ESCAPE = 0x1B;
#endif
#ifndef VK_SPACE
constexpr uint16_t VK_SPACE = 0x20;
#endif
#ifndef VK_PRIOR
constexpr uint16_t VK_PRIOR = 0x21;
#endif
#ifndef VK_NEXT
constexpr uint16_t VK_NEXT = 0x22;
#endif
#ifndef VK_END
constexpr uint16_t VK_END = 0x23;
#endif
#ifndef VK_HOME
constexpr uint16_t VK_HOME = 0x24;
#endif
#ifndef VK_LEFT
constexpr uint16_t VK_LEFT = 0x25;
#endif
#ifndef VK_UP
constexpr uint16_t VK_UP = 0x26;
#endif
#ifndef VK_RIGHT
constexpr uint16_t VK_RIGHT = 0x27;
#endif
#ifndef VK_DOWN
constexpr uint16_t VK_DOWN = 0x28;
#endif
#ifndef VK_INSERT
constexpr uint16_t VK_INSERT = 0x2D;
#endif
#ifndef VK_NUMLOCK
constexpr uint16_t VK_NUMLOCK = 0x90;
#endif
#ifndef VK_DELETE
constexpr uint16_t VK_DELETE = 0x2E;
#endif
#ifndef VK_NUMPAD0
constexpr uint16_t VK_NUMPAD0 = 0x60;
#endif
#ifndef VK_DIVIDE
constexpr uint16_t VK_DIVIDE = 0x6F;
#endif
#ifndef VK_OEM_1
constexpr uint16_t VK_OEM_1 = 0xBA;
#endif
#ifndef VK_OEM_3
constexpr uint16_t VK_OEM_3 = 0xC0;
#endif
#ifndef VK_OEM_4
constexpr uint16_t VK_OEM_4 = 0xDB;
#endif
#ifndef VK_OEM_8
constexpr uint16_t VK_OEM_8 = 0xDF;
#endif
#ifndef VK_OEM_102
constexpr uint16_t VK_OEM_102 = 0xE2;
#endif

#ifndef VK_SHIFT
constexpr uint16_t VK_SHIFT = 0x10;
#endif
#ifndef VK_CONTROL
constexpr uint16_t VK_CONTROL = 0x11;
#endif
#ifndef VK_MENU
constexpr uint16_t VK_MENU = 0x12;
#endif
#ifndef VK_LWIN
constexpr uint16_t VK_LWIN = 0x5B;
#endif
#ifndef VK_RWIN
constexpr uint16_t VK_RWIN = 0x5C;
#endif
#ifndef VK_APPS
constexpr uint16_t VK_APPS = 0x5D;
#endif
#ifndef VK_LSHIFT
constexpr uint16_t VK_LSHIFT = 0xA0;
#endif
#ifndef VK_RSHIFT
constexpr uint16_t VK_RSHIFT = 0xA1;
#endif
#ifndef VK_LCONTROL
constexpr uint16_t VK_LCONTROL = 0xA2;
#endif
#ifndef VK_RCONTROL
constexpr uint16_t VK_RCONTROL = 0xA3;
#endif
#ifndef VK_LMENU
constexpr uint16_t VK_LMENU = 0xA4;
#endif
#ifndef VK_RMENU
constexpr uint16_t VK_RMENU = 0xA5;
#endif
