// Private messages to the zoom window from the low-level hooks.
#pragma once

#include <windows.h>

// wParam 1 for a wheel turn forward, 0 backward.
constexpr UINT WM_ZOOMWHEEL = WM_USER + 5;
// Escape released; the zoom window gives it no meaning.
constexpr UINT WM_ZOOMESCAPE = WM_USER + 6;
