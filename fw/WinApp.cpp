#include "fw/WinApp.h"

#include "fw/Wnd.h"

#include <ole2.h>

namespace fw {

namespace {
// The one application object; set by its constructor during static
// initialisation.
CWinApp* g_pApp = nullptr;

std::wstring ModuleBaseName(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring name(path, n);
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
    return m_oleInitialized;
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

std::wstring AfxLoadString(UINT id) {
    // A zero length gives a read-only pointer into the resource itself: no
    // buffer size to guess.
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(AfxGetInstanceHandle(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text != nullptr ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
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
