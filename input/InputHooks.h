// The system-wide low-level hooks of the zoom window: the wheel chord and the
// Escape release.
#pragma once

#include <windows.h>

class ISettings;

// Installs the mouse hook, then the keyboard hook; their messages go to
// target. The mouse hook reads the wheel chord from settings at every turn.
void InstallZoomHooks(HWND target, ISettings& settings);
// Removes the mouse hook, then the keyboard hook.
void RemoveZoomHooks();

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
