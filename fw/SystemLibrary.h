// Run-time binding to the system's own libraries, and the system's version.
// A DLL is loaded from the system folder by its full path, never found by its
// plain name: a search would first look beside the executable, where anyone
// can leave a planted copy (a Downloads folder, say).
#pragma once

#include "fw/Handles.h"

#include <windows.h>

#include <string>

namespace fw {

// The full path of fileName in the system folder; empty when the folder
// cannot be obtained.
std::wstring SystemLibraryPath(const wchar_t* fileName);

// Loads fileName from the system folder; empty on failure.
ModuleOwner LoadSystemLibrary(const wchar_t* fileName);

// The system's own version, whatever the executable's manifest declares
// (GetVersionEx tells an executable without a compatibility manifest that
// Windows 10 is Windows 8); all zero when it cannot be read.
OSVERSIONINFOW OsVersion();

// The procedure name of module as the function type F; null when the module
// is null or lacks it.
template <typename F> F ProcAddress(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace fw
