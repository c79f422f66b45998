// The platform-free files copy the few Win32 values they need under names of
// their own; a copy that differs from the system's value fails the build.
#include "app/core/TrayController.h"
#include "input/core/WheelChord.h"
#include "input/core/ZoomHotKeys.h"
#include "settings/core/ZoomWindowMessages.h"
#include "ui/core/HotKeyModifiers.h"
#include "ui/core/VirtualKeys.h"

#include <windows.h>

#include <commctrl.h>

static_assert(win32::kVkBack == VK_BACK);
static_assert(win32::kVkTab == VK_TAB);
static_assert(win32::kVkReturn == VK_RETURN);
static_assert(win32::kVkEscape == VK_ESCAPE);
static_assert(win32::kVkSpace == VK_SPACE);
static_assert(win32::kVkPrior == VK_PRIOR);
static_assert(win32::kVkNext == VK_NEXT);
static_assert(win32::kVkEnd == VK_END);
static_assert(win32::kVkHome == VK_HOME);
static_assert(win32::kVkLeft == VK_LEFT);
static_assert(win32::kVkUp == VK_UP);
static_assert(win32::kVkRight == VK_RIGHT);
static_assert(win32::kVkDown == VK_DOWN);
static_assert(win32::kVkInsert == VK_INSERT);
static_assert(win32::kVkDelete == VK_DELETE);
static_assert(win32::kVkNumpad0 == VK_NUMPAD0);
static_assert(win32::kVkDivide == VK_DIVIDE);
static_assert(win32::kVkNumLock == VK_NUMLOCK);
static_assert(win32::kVkOem1 == VK_OEM_1);
static_assert(win32::kVkOem3 == VK_OEM_3);
static_assert(win32::kVkOem4 == VK_OEM_4);
static_assert(win32::kVkOem8 == VK_OEM_8);
static_assert(win32::kVkOem102 == VK_OEM_102);
static_assert(win32::kVkShift == VK_SHIFT);
static_assert(win32::kVkControl == VK_CONTROL);
static_assert(win32::kVkMenu == VK_MENU);
static_assert(win32::kVkLWin == VK_LWIN);
static_assert(win32::kVkRWin == VK_RWIN);
static_assert(win32::kVkApps == VK_APPS);
static_assert(win32::kVkLShift == VK_LSHIFT);
static_assert(win32::kVkRShift == VK_RSHIFT);
static_assert(win32::kVkLControl == VK_LCONTROL);
static_assert(win32::kVkRControl == VK_RCONTROL);
static_assert(win32::kVkLMenu == VK_LMENU);
static_assert(win32::kVkRMenu == VK_RMENU);

static_assert(win32::kHotkeyfShift == HOTKEYF_SHIFT);
static_assert(win32::kHotkeyfControl == HOTKEYF_CONTROL);
static_assert(win32::kHotkeyfAlt == HOTKEYF_ALT);
static_assert(win32::kHotkeyfExt == HOTKEYF_EXT);
// Our own flag must not collide with the control's.
static_assert((win32::kHotkeyfWin &
               (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT)) == 0);
static_assert(win32::kModAlt == MOD_ALT);
static_assert(win32::kModControl == MOD_CONTROL);
static_assert(win32::kModShift == MOD_SHIFT);
static_assert(win32::kModWin == MOD_WIN);
static_assert(win32::kModNoRepeat == MOD_NOREPEAT);

static_assert(win32::kWmUser == WM_USER);
static_assert(win32::kWheelDelta == WHEEL_DELTA);
static_assert(win32::kErrorTimeout == ERROR_TIMEOUT);
static_assert(win32::kWmLButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(win32::kWmRButtonDown == WM_RBUTTONDOWN);
