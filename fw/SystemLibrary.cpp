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

} // namespace fw
