#include "fw/SystemLibrary.h"

namespace fw {

std::wstring SystemLibraryPath(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return {};
    }
    return std::wstring(folder, n) + L"\\" + fileName;
}

ModuleOwner LoadSystemLibrary(const wchar_t* fileName) {
    const std::wstring path = SystemLibraryPath(fileName);
    return ModuleOwner(path.empty() ? nullptr : ::LoadLibraryW(path.c_str()));
}

OSVERSIONINFOW OsVersion() {
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
    // ntdll is in every process: nothing is searched for or loaded.
    const auto rtlGetVersion =
        ProcAddress<RtlGetVersionProc>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) {
        return OSVERSIONINFOW{};
    }
    return version;
}

} // namespace fw
