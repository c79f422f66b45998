#include "app/LoupaDlg.h"

#include "fw/Dc.h"
#include "fw/Handles.h"
#include "fw/SystemLibrary.h"
#include "fw/WinApp.h"
#include "resource.h"
#include "settings/core/SettingKeys.h"
#include "settings/core/ZoomWindowMessages.h"
#include "ui/HotKeyNotice.h"
#include "ui/core/HotKeyModifiers.h"
#include "ui/core/HotKeyText.h"

UINT g_taskbarCreatedMessage = 0;

namespace {
// Names the message a second start sends, and marks the main dialog that
// takes it: the same name as the mutex, so that each copy under another file
// name finds its own.
std::wstring ShowSettingsName() {
    return fw::AfxGetApp()->AppName() + L".ShowSettings";
}

struct RunningDialogSearch {
    const std::wstring& mark;
    HWND found;
};

BOOL CALLBACK FindMarkedDialog(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<RunningDialogSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() && ::GetPropW(hwnd, search->mark.c_str()) != nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// An elevated copy would otherwise drop the request of an unelevated start.
// Bound at run time: user32 before Windows 7 lacks it.
void AcceptFromLowerPrograms(HWND hwnd, UINT message) {
    using FilterProc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW
    const auto filter = fw::ProcAddress<FilterProc>(::GetModuleHandleW(L"user32.dll"),
                                                    "ChangeWindowMessageFilterEx");
    if (filter != nullptr) {
        filter(hwnd, message, kAllow, nullptr);
    }
}

} // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CLoupaDlg::CLoupaDlg(ISettings& settings, IZoomInput& input, bool useMagnifier, bool firstStart)
    : CDialog(IDD_LOUPA_DIALOG),
      m_hIcon(::LoadIconW(fw::AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_zoomWnd(settings, input, useMagnifier), m_settings(settings), m_firstStart(firstStart),
      m_trayIcon(*this, m_hIcon), m_tray(*this, settings, *this) {}

CLoupaDlg::~CLoupaDlg() = default;

LRESULT CLoupaDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Registered at run time, so no case label can name it.
    if (m_showSettingsMessage != 0 && msg == m_showSettingsMessage) {
        OnShowSettingsRequest();
        return 0;
    }
    switch (msg) {
    case WM_TRAYNOTIFYPOSTED: OnTrayNotifyPosted(static_cast<unsigned>(lParam)); return 0;
    case WM_SHOWSETTINGSPOSTED: OnShowSettingsPosted(); return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

LRESULT CLoupaDlg::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        g_taskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");
    } else if (msg == WM_TRAYNOTIFY) {
        // The shell may send this while our thread is inside another
        // operation (under Wine: forwarding a click on the click-through zoom
        // window); a menu or sheet run from there would get no input.
        PostMessage(WM_TRAYNOTIFYPOSTED, wParam, lParam);
    } else if (g_taskbarCreatedMessage != 0 && msg == g_taskbarCreatedMessage) {
        m_tray.OnTaskbarCreated();
    }
    return CDialog::DefWindowProc(msg, wParam, lParam);
}

void CLoupaDlg::OnTrayNotifyPosted(unsigned mouseMessage) {
    m_tray.OnTrayNotify(mouseMessage);
}

void CLoupaDlg::OnShowSettingsRequest() {
    // Answered at once: the sender waits for this message, not for the sheet.
    PostMessage(WM_SHOWSETTINGSPOSTED);
}

void CLoupaDlg::OnShowSettingsPosted() {
    m_tray.OnSetting();
}

int CLoupaDlg::OnCreate(LPCREATESTRUCTW) {
    if (Default() == -1) {
        return -1;
    }
    ShowWindow(SW_MINIMIZE);
    m_tray.AddTrayIcon();
    m_zoomWnd.CreateEx(0, nullptr, nullptr, 0, m_zoomWnd.MonitorRect(), this, 0);
    const std::wstring showSettings = ShowSettingsName();
    m_showSettingsMessage = ::RegisterWindowMessageW(showSettings.c_str());
    ::SetPropW(m_hWnd, showSettings.c_str(), reinterpret_cast<HANDLE>(1));
    AcceptFromLowerPrograms(m_hWnd, m_showSettingsMessage);
    ShowStartupNotice();
    return 0;
}

void CLoupaDlg::ShowStartupNotice() {
    std::wstring refused =
        JoinNotice(RefusedHotKeyLines(m_settings, m_zoomWnd.HotKeysRefusedAtCreation()),
                   fw::AfxLoadString(IDS_HOTKEY_REFUSED_TRAY_HINT));
    std::wstring welcome;
    if (m_firstStart) {
        welcome = FormatText(fw::AfxLoadString(IDS_WELCOME),
                             {StoredHotKeyText(m_settings, HOTKEY_ZOOMIN)});
    }
    m_tray.ShowStartupNotice(refused, welcome);
}

void CLoupaDlg::ShowRunningInstance() {
    const std::wstring name = ShowSettingsName();
    RunningDialogSearch search{name, nullptr};
    // A copy started a moment ago may not have its dialog yet.
    for (int attempt = 0; attempt < 50 && search.found == nullptr; ++attempt) {
        if (attempt > 0) {
            ::Sleep(100);
        }
        ::EnumWindows(FindMarkedDialog, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found == nullptr) {
        return;
    }
    // The user just started this process, so it may hand the foreground on:
    // the sheet comes up in front, not flashing behind the program in use.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(search.found, &pid);
    ::AllowSetForegroundWindow(pid);
    ::SendMessageTimeoutW(search.found, ::RegisterWindowMessageW(name.c_str()), 0, 0,
                          SMTO_ABORTIFHUNG, 5000, nullptr);
}

BOOL CLoupaDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (sysMenu != nullptr) {
        std::wstring about = fw::AfxLoadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            ::AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

void CLoupaDlg::OnWindowPosChanging(WINDOWPOS* pos) {
    // Never shown: neither the template's WS_VISIBLE, nor the minimise call,
    // nor the dialog manager may make the window appear.
    pos->flags &= ~SWP_SHOWWINDOW;
    Default();
}

void CLoupaDlg::OnDestroy() {
    Default();
    ::RemovePropW(m_hWnd, ShowSettingsName().c_str());
    m_trayIcon.Delete();
}

void CLoupaDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void CLoupaDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    fw::CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
}

HCURSOR CLoupaDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

BOOL CLoupaDlg::OnCommand(UINT id, UINT code) {
    if (m_tray.OnCommand(id)) {
        return TRUE;
    }
    return CDialog::OnCommand(id, code);
}

bool CLoupaDlg::AddIcon() {
    return m_trayIcon.Add();
}

bool CLoupaDlg::ModifyIcon() {
    return m_trayIcon.Modify();
}

unsigned long CLoupaDlg::LastError() {
    return ::GetLastError();
}

void CLoupaDlg::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

void CLoupaDlg::ShowError(const std::wstring& text) {
    fw::AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CLoupaDlg::ShowBalloon(const std::wstring& text, bool warning) {
    m_trayIcon.ShowBalloon(text, warning);
}

std::wstring CLoupaDlg::LoadText(unsigned id) {
    return fw::AfxLoadString(id);
}

void CLoupaDlg::RequestClose() {
    SendMessage(WM_CLOSE);
}

void CLoupaDlg::GetCursorPos(int& x, int& y) {
    POINT pt{};
    ::GetCursorPos(&pt);
    x = pt.x;
    y = pt.y;
}

void CLoupaDlg::SetForeground() {
    // Without this the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(m_hWnd);
}

void CLoupaDlg::TrackTrayMenu(int x, int y, bool autoStartChecked, bool zoomed) {
    fw::MenuOwner menu(fw::AfxLoadMenu(IDR_TRAYMENU));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (popup == nullptr) {
        return;
    }
    ::CheckMenuItem(popup, ID_TRAY_AUTOSTARTUP,
                    MF_BYCOMMAND | (autoStartChecked ? MF_CHECKED : MF_UNCHECKED));
    // What a double click on the icon does.
    ::SetMenuDefaultItem(popup, ID_TRAY_SETTING, FALSE);
    ::EnableMenuItem(popup, ID_TRAY_ZOOMCANCEL, MF_BYCOMMAND | (zoomed ? MF_ENABLED : MF_GRAYED));
    ShowHotKeyHints(popup);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, m_hWnd,
                     nullptr);
    PostMessage(WM_NULL);
}

// Each zoom item names its hot key after a tab, as the settings fields write
// it; an item whose key is unset shows none.
void CLoupaDlg::ShowHotKeyHints(HMENU popup) {
    const struct {
        UINT item;
        const wchar_t* key;
        const wchar_t* modifiers;
    } hints[] = {{ID_TRAY_ZOOMIN, kHotKeyZoomInKey, kHotKeyModZoomInKey},
                 {ID_TRAY_ZOOMOUT, kHotKeyZoomOutKey, kHotKeyModZoomOutKey},
                 {ID_TRAY_ZOOMCANCEL, kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey}};
    for (const auto& hint : hints) {
        const WORD key = HotKeyLowWord(m_settings.ReadSettingInt(hint.key));
        if (key == 0) {
            continue;
        }
        wchar_t text[128] = {};
        ::GetMenuStringW(popup, hint.item, text, 128, MF_BYCOMMAND);
        std::wstring label = std::wstring(text) + L"\t" +
                             CHotKeyExCtrl::GetHotKeyName(
                                 key, ModToHotKeyFlags(m_settings.ReadSettingInt(hint.modifiers)));
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = &label[0];
        ::SetMenuItemInfoW(popup, hint.item, FALSE, &info);
    }
}

void CLoupaDlg::RunSettingsSheet() {
    // The sheet shows what the file holds at this moment.
    m_settings.Reload();
    m_pSettingSheet = std::make_unique<CSettingPropetySheet>(
        this, m_settings, static_cast<ISettingSheetOwner&>(*this));
    m_pSettingSheet->m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_pSettingSheet->m_psh.dwFlags &= ~PSH_HASHELP;
    m_pSettingSheet->m_page.m_psp.dwFlags &= ~PSP_HASHELP;
    m_pSettingSheet->DoModal();
    m_pSettingSheet.reset();
}

void CLoupaDlg::ActivateSettingsSheet() {
    if (m_pSettingSheet != nullptr && m_pSettingSheet->m_hWnd != nullptr) {
        ::SetActiveWindow(m_pSettingSheet->m_hWnd);
        // Activation alone leaves the sheet behind the program in front.
        ::SetForegroundWindow(m_pSettingSheet->m_hWnd);
    }
}

void CLoupaDlg::CancelSettingsSheet() {
    if (m_pSettingSheet != nullptr && m_pSettingSheet->m_hWnd != nullptr) {
        ::PostMessageW(m_pSettingSheet->m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
}

void CLoupaDlg::EndMainDialog(int result) {
    EndDialog(result);
}

std::vector<int> CLoupaDlg::RegisterHotKeysAnew() {
    if (m_zoomWnd.m_hWnd == nullptr) {
        return {};
    }
    return m_zoomWnd.RegisterHotKeysAnew();
}

void CLoupaDlg::ZoomIn() {
    m_zoomWnd.ZoomIn();
}

void CLoupaDlg::ZoomOut() {
    m_zoomWnd.ZoomOut();
}

void CLoupaDlg::CancelZoom() {
    m_zoomWnd.CancelZoom();
}

bool CLoupaDlg::IsZoomed() {
    const ZoomController& zoom = m_zoomWnd.Controller();
    return zoom.Rate() > 1.0 || zoom.TargetRate() > 1.0;
}
