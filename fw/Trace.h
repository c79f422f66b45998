// A line for the debugger where the program ignores a failure on purpose:
// nothing is shown to the user, yet the call and its error code can be read
// with a debugger or a debug-output viewer.
#pragma once

#include <windows.h>

namespace fw {

// Writes "call failed: error code (0xcode)" with OutputDebugStringW; code is
// GetLastError's value, or the HRESULT of a call that returns one.
void Trace(const wchar_t* call, DWORD code);

} // namespace fw
