// The system-wide low-level hooks of the zoom window: the wheel chord and the
// Escape release. Windows calls a low-level hook on the thread that installed
// it and silently removes one that is slow to return, so both run on a thread
// of their own that does nothing else, and a hook call touches memory only.
#pragma once

#include <windows.h>

class ISettings;

// Starts the hooks' thread, which installs the mouse hook, then the keyboard
// hook; returns once both are installed. Their messages are posted to
// target. settings must answer the wheel chord's keys from memory, on any
// thread.
void InstallZoomHooks(HWND target, ISettings& settings);
// Removes the mouse hook, then the keyboard hook, and ends their thread.
void RemoveZoomHooks();
// The thread the hooks run on; 0 while none runs.
DWORD ZoomHooksThreadId();

// Whether a zoom shows; with none, a backward turn is the program's own.
void SetZoomShownForHooks(bool shown);
// The zoom window has taken one of the wheel steps posted to it.
void ZoomWheelStepTaken();

// A key event that Loupa injects itself carries this in its dwExtraInfo.
inline constexpr ULONG_PTR kInjectedKeyMark = 0x4C6F7570; // "Loup"
// An unassigned virtual key: pressed and released inside a Win or Alt chord,
// it keeps the shell from seeing a lone Win (the Start menu) and the program
// in front from seeing a lone Alt (its menu bar).
inline constexpr WORD kChordMaskKey = 0xE8;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
