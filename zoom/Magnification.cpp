#include "zoom/Magnification.h"

#include "fw/SystemLibrary.h"
#include "zoom/core/MagnificationGate.h"

int g_osMajorVersion = 0;
fw::ModuleOwner g_hMagnification;
MagnificationEntries g_mag = {};

int QueryOsMajorVersion() {
    return static_cast<int>(fw::OsVersion().dwMajorVersion);
}

std::wstring MagnificationLibraryPath() {
    return fw::SystemLibraryPath(L"Magnification.dll");
}

namespace {
template <typename F> void Bind(F& entry, const char* name) {
    entry = fw::ProcAddress<F>(g_hMagnification.Get(), name);
}
} // namespace

BOOL LoadMagnification() {
    if (!MagnificationGateOpen(g_osMajorVersion)) {
        return FALSE;
    }
    g_hMagnification = fw::LoadSystemLibrary(L"Magnification.dll");
    if (!g_hMagnification) {
        return FALSE;
    }
    Bind(g_mag.MagInitialize, "MagInitialize");
    Bind(g_mag.MagUninitialize, "MagUninitialize");
    Bind(g_mag.MagSetWindowSource, "MagSetWindowSource");
    Bind(g_mag.MagGetWindowSource, "MagGetWindowSource");
    Bind(g_mag.MagSetWindowTransform, "MagSetWindowTransform");
    Bind(g_mag.MagGetWindowTransform, "MagGetWindowTransform");
    Bind(g_mag.MagSetWindowFilterList, "MagSetWindowFilterList");
    Bind(g_mag.MagGetWindowFilterList, "MagGetWindowFilterList");
    Bind(g_mag.MagSetImageScalingCallback, "MagSetImageScalingCallback");
    Bind(g_mag.MagGetImageScalingCallback, "MagGetImageScalingCallback");
    Bind(g_mag.MagSetColorEffect, "MagSetColorEffect");
    Bind(g_mag.MagGetColorEffect, "MagGetColorEffect");
    return TRUE;
}
