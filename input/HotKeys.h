// The three global hot keys, registered on the zoom window.
#pragma once

#include <windows.h>

#include <vector>

class ISettings;

// Reads the six hot-key settings and registers zoom in (101) and zoom out
// (102) on hwnd, and cancel (103) too when withCancel: the cancel key is held
// only while a zoom is shown, so otherwise it is only tried (registered and
// released again). A key of 0 registers nothing; a combination the system
// refuses stays unregistered and the others work. Gives the ids of the
// refused ones, in that order, so that the user can be told.
std::vector<int> RegisterZoomHotKeys(HWND hwnd, ISettings& settings, bool withCancel);
// Reads the two cancel settings and registers 103 on hwnd.
void RegisterCancelHotKey(HWND hwnd, ISettings& settings);
void UnregisterCancelHotKey(HWND hwnd);
void UnregisterZoomHotKeys(HWND hwnd);
