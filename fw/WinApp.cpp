#include "fw/WinApp.h"

#include "fw/Trace.h"
#include "fw/Wnd.h"

#include <ole2.h>

namespace fw {

namespace {
// The one application object; set by its constructor during static
// initialisation.
CWinApp* g_pApp = nullptr;

std::wstring ModuleBaseName(HINSTANCE instance) {
    std::wstring name = ModuleFilePath(instance);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}
} // namespace

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    if (m_oleInitialized) {
        ::OleUninitialize();
        m_oleInitialized = false;
    }
    return 0;
}

BOOL CWinApp::AfxOleInit() {
    HRESULT hr = ::OleInitialize(nullptr);
    m_oleInitialized = SUCCEEDED(hr);
    if (!m_oleInitialized) {
        Trace(L"OleInitialize", static_cast<DWORD>(hr));
    }
    return m_oleInitialized;
}

std::wstring ModuleFilePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    // Long-path systems allow up to 32767 characters.
    while (path.size() <= 32768) {
        const DWORD n = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) {
            break;
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        // Cut short: the buffer was too small.
        path.assign(path.size() * 2, L'\0');
    }
    return std::wstring();
}

int CWinApp::Run(HINSTANCE instance) {
    m_hInstance = instance;
    m_appName = ModuleBaseName(instance);
    m_profileName = m_appName + L".INI";
    if (!InitInstance()) {
        return ExitInstance();
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

LANGID AfxResourceLanguage() {
    static const LANGID language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE
                                       ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                       : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    return language;
}

std::pair<const BYTE*, size_t> AfxFindResource(LPCWSTR type, LPCWSTR name) {
    HMODULE module = AfxGetInstanceHandle();
    HRSRC info = ::FindResourceExW(module, type, name, AfxResourceLanguage());
    HGLOBAL data = info != nullptr ? ::LoadResource(module, info) : nullptr;
    if (data == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<const BYTE*>(::LockResource(data)), ::SizeofResource(module, info)};
}

std::wstring AfxLoadString(UINT id) {
    // A block holds sixteen strings, each its length and then its characters.
    auto [block, size] =
        AfxFindResource(MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1));
    const WORD* entry = reinterpret_cast<const WORD*>(block);
    const WORD* end = entry + size / sizeof(WORD);
    for (UINT i = 0; entry != nullptr && entry < end && i < id % 16; ++i) {
        entry += 1 + *entry;
    }
    if (entry == nullptr || entry >= end || end - (entry + 1) < *entry) {
        return std::wstring();
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(entry + 1), *entry);
}

HMENU AfxLoadMenu(UINT id) {
    auto [menu, size] = AfxFindResource(MAKEINTRESOURCEW(4) /* RT_MENU */, MAKEINTRESOURCEW(id));
    return menu != nullptr ? ::LoadMenuIndirectW(menu) : nullptr;
}

std::wstring AfxFormatString(UINT id, std::initializer_list<std::wstring> arguments) {
    std::wstring text = AfxLoadString(id);
    wchar_t marker[] = L"%1";
    for (const std::wstring& argument : arguments) {
        size_t at = text.find(marker);
        if (at != std::wstring::npos) {
            text.replace(at, 2, argument);
        }
        ++marker[1];
    }
    return text;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_pApp != nullptr && g_pApp->m_hInstance != nullptr ? g_pApp->m_hInstance
                                                               : ::GetModuleHandleW(nullptr);
}

int AfxMessageBox(const wchar_t* text, UINT type) {
    HWND owner =
        g_pApp != nullptr && g_pApp->m_pMainWnd != nullptr ? g_pApp->m_pMainWnd->m_hWnd : nullptr;
    return AfxMessageBox(owner, text, type);
}

int AfxMessageBox(HWND owner, const wchar_t* text, UINT type) {
    const wchar_t* caption = g_pApp != nullptr ? g_pApp->AppName().c_str() : L"";
    return ::MessageBoxW(owner, text, caption, type);
}

} // namespace fw
