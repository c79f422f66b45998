#include "settings/StartupShortcut.h"

#include "fw/Handles.h"
#include "fw/WinApp.h"

#include <objidl.h>
#include <shlobj.h>

namespace {

constexpr const wchar_t* kProductName = L"Loupa";

using fw::ComRef;

// Empty when the path cannot be made absolute.
std::wstring FullPathOf(const wchar_t* path) {
    if (path == nullptr || *path == L'\0') {
        return std::wstring();
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetFullPathNameW(path, static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (n == 0) {
            return std::wstring();
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        // Too small: n is the size needed, terminator included.
        full.assign(n, L'\0');
    }
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the shell link at linkPath names a target that is known to be
// gone: a file or folder of its path is missing. A file that is no link, a
// link without a path, or a target that cannot be looked at now (a network
// drive away) is not.
bool TargetIsGone(const std::wstring& linkPath) {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.Out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.Out())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return false;
    }
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || target[0] == L'\0') {
        return false;
    }
    if (::GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

bool GetStartupShortcutPath(std::wstring& path) {
    fw::CoTaskMemOwner<ITEMIDLIST> folderId;
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, folderId.Put())) || !folderId ||
        !::SHGetPathFromIDListW(folderId.Get(), folder) || folder[0] == L'\0') {
        return false;
    }
    path = std::wstring(folder) + L"\\" + kProductName + L".lnk";
    return true;
}

HRESULT CreateShortcut(const wchar_t* linkPath, const wchar_t* targetPath) {
    std::wstring target = FullPathOf(targetPath);
    if (target.empty()) {
        return E_FAIL;
    }
    if (linkPath == nullptr || *linkPath == L'\0') {
        return E_INVALIDARG;
    }
    ComRef<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.Out());
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.Out());
    if (FAILED(hr)) {
        return hr;
    }
    hr = link->SetPath(target.c_str());
    if (SUCCEEDED(hr)) {
        hr = link->SetDescription(kProductName);
    }
    if (SUCCEEDED(hr)) {
        hr = file->Save(linkPath, TRUE);
    }
    return hr;
}

bool UpdateStartupShortcut(bool enable) {
    std::wstring link;
    if (!GetStartupShortcutPath(link)) {
        return false;
    }
    bool exists = Exists(link);
    if (enable) {
        // A shortcut to another existing program is the user's own and stays;
        // one whose target is gone (the folder was moved or unpacked
        // elsewhere) would start nothing, and is pointed at this program.
        if (exists && !TargetIsGone(link)) {
            return true;
        }
        std::wstring exe = fw::ModuleFilePath(fw::AfxGetInstanceHandle());
        return SUCCEEDED(CreateShortcut(link.c_str(), exe.c_str()));
    }
    if (exists) {
        ::DeleteFileW(link.c_str());
    }
    return true;
}

bool StartupShortcut::UpdateStartupShortcut(bool enable) {
    return ::UpdateStartupShortcut(enable);
}
