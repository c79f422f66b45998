// Application object: the one per-process object whose InitInstance and
// ExitInstance the program entry runs.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace fw {

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returning false skips the message pump; ExitInstance runs either way.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Runs the application: called once by the program entry.
    int Run(HINSTANCE instance);

    // OLE for this thread; undone by the framework when the application ends.
    BOOL AfxOleInit();

    // The executable's file name without extension: names the mutex and
    // captions message boxes.
    const std::wstring& AppName() const { return m_appName; }

    // Profile file used by the profile functions. A bare name is looked up in
    // the Windows folder, as the private-profile functions do.
    const std::wstring& ProfileName() const { return m_profileName; }
    void SetProfileName(std::wstring path) { m_profileName = std::move(path); }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    std::wstring m_appName;
    std::wstring m_profileName;
    bool m_oleInitialized = false;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The full path of module's file, of any length; empty on failure.
std::wstring ModuleFilePath(HMODULE module);
// Modal message box captioned with the application name, owned by the main
// window, or by owner where a modal window of its own must wait for it.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);
int AfxMessageBox(HWND owner, const wchar_t* text, UINT type);
// The language of the program's resources: Japanese where the user's
// Windows display language is Japanese, English (United States) wherever
// else. Windows itself would take the first language a module has for any
// language the module lacks, and an earlier language of the user's list
// before the display language.
LANGID AfxResourceLanguage();
// The bytes of the program's resource in that language; {nullptr, 0} when
// there is none.
std::pair<const BYTE*, size_t> AfxFindResource(LPCWSTR type, LPCWSTR name);
// The string-table text of id in that language; empty when there is none.
std::wstring AfxLoadString(UINT id);
// The menu id in that language; null when there is none.
HMENU AfxLoadMenu(UINT id);
// The string-table text of id with %1, %2, ... replaced by the arguments in
// turn: the translation decides where each goes.
std::wstring AfxFormatString(UINT id, std::initializer_list<std::wstring> arguments);

} // namespace fw
