// The three global hot keys, registered on the zoom window.
#pragma once

#include <windows.h>

// Reads the six hot-key settings and registers zoom in (101) and zoom out
// (102) on hwnd, and cancel (103) too when withCancel: the cancel key is held
// only while a zoom is shown. A key of 0 registers nothing; a combination the
// system refuses stays unregistered; the others work.
void RegisterZoomHotKeys(HWND hwnd, bool withCancel);
// Reads the two cancel settings and registers 103 on hwnd.
void RegisterCancelHotKey(HWND hwnd);
void UnregisterCancelHotKey(HWND hwnd);
void UnregisterZoomHotKeys(HWND hwnd);
