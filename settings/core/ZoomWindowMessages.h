// What the zoom window and the input it receives agree on: the ids of its hot
// keys and the private messages the low-level hooks send it. Below both, so
// that neither includes the other.
#pragma once

constexpr int HOTKEY_ZOOMIN = 101;
constexpr int HOTKEY_ZOOMOUT = 102;
constexpr int HOTKEY_ZOOMCANCEL = 103;

namespace win32 {
// WM_USER, copied from the system headers (app/Win32Mirrors.cpp checks it).
constexpr unsigned kWmUser = 0x0400;
} // namespace win32

// wParam 1 for a wheel turn forward, 0 backward.
constexpr unsigned WM_ZOOMWHEEL = win32::kWmUser + 5;
// Escape released; the zoom window gives it no meaning.
constexpr unsigned WM_ZOOMESCAPE = win32::kWmUser + 6;
