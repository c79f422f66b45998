// The three global hot keys, registered on the zoom window.
#pragma once

#include <windows.h>

// Reads the six hot-key settings and registers 101, 102 and 103 on hwnd.
// A combination the system refuses stays unregistered; the others work.
void RegisterZoomHotKeys(HWND hwnd);
void UnregisterZoomHotKeys(HWND hwnd);
