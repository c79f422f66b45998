// The text caret of the program the user types into, found from outside it.
#pragma once

#include <windows.h>

#include <optional>

// The middle of the foreground thread's caret rectangle in physical screen
// coordinates; nothing when that thread shows no caret.
std::optional<POINT> ForegroundTextCaret();
