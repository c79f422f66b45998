#include "zoom/Magnification.h"

#include "app/Startup.h"

int g_osMajorVersion = 0;
fw::ModuleOwner g_hMagnification;
MagnificationEntries g_mag = {};
bool g_magnifierUsable = false;

int QueryOsMajorVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(&info)) {
        return 0;
    }
    return static_cast<int>(info.dwMajorVersion);
}

std::wstring MagnificationLibraryPath() {
    wchar_t folder[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return {};
    }
    return std::wstring(folder, n) + L"\\Magnification.dll";
}

namespace {
template <typename F> void Bind(F& entry, const char* name) {
    entry = reinterpret_cast<F>(
        reinterpret_cast<void*>(::GetProcAddress(g_hMagnification.Get(), name)));
}
} // namespace

BOOL LoadMagnification() {
    if (!StartupSequence::GateOpen(g_osMajorVersion)) {
        return FALSE;
    }
    // By full path: a search by plain name would also find a planted copy
    // beside the executable.
    std::wstring path = MagnificationLibraryPath();
    if (path.empty()) {
        return FALSE;
    }
    g_hMagnification.Reset(::LoadLibraryW(path.c_str()));
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
