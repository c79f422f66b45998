// The hidden main dialog: owner of the notification-area icon, its menu, the
// settings sheet while open, and the zoom window.
#pragma once

#include "app/core/TrayController.h"
#include "app/ZoomInput.h"
#include "fw/Dialog.h"
#include "fw/Handles.h"
#include "ui/SettingSheet.h"
#include "zoom/ZoomWnd.h"

#include <shellapi.h>

#include <memory>

// Callback message of the notification-area icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
// The same callback, posted back to the dialog to be handled from its loop.
constexpr UINT WM_TRAYNOTIFYPOSTED = WM_APP + 1;
// A second start's request to show the settings, posted back likewise: the
// sender waits for the sent message, not for the sheet to close.
constexpr UINT WM_SHOWSETTINGSPOSTED = WM_APP + 2;

// The settings page finds the dialog as the parent of its sheet, hence the
// public ISettingSheetOwner.
class CLoupaDlg : public fw::CDialog,
                  public ISettingSheetOwner,
                  private ITrayPlatform,
                  private IZoomCommands {
public:
    // settings: the store the dialog, its zoom window and its settings sheet
    // read; useMagnifier: how the zoom window renders (see CZoomWnd);
    // firstStart: setting.ini did not exist, so the icon says hello.
    CLoupaDlg(ISettings& settings, bool useMagnifier, bool firstStart);
    ~CLoupaDlg() override;

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // ISettingSheetOwner: the hot keys belong to the zoom window.
    std::vector<int> RegisterHotKeysAnew() override;

    // In a second start: asks the running copy's main dialog, and no other
    // window, to open its settings sheet or bring it forward.
    static void ShowRunningInstance();

    HICON m_hIcon;
    // The icon in the notification area, at the small-icon size of the DPI
    // the area is shown at; made anew when that size has changed.
    fw::IconOwner m_trayIcon;
    // The settings sheet while it is open.
    std::unique_ptr<CSettingPropetySheet> m_pSettingSheet;

private:
    ISettings& m_settings;
    // Before the zoom window, which uses it until it is destroyed.
    ZoomInput m_zoomInput;

public:
    CZoomWnd m_zoomWnd;

protected:
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCTW cs) override;
    void OnDestroy() override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnWindowPosChanging(WINDOWPOS* pos) override;
    BOOL OnCommand(UINT id, UINT code) override;

private:
    NOTIFYICONDATAW TrayIconData();
    // The balloon that ends start-up: keys the system refused, or the
    // welcome of a first start.
    void ShowStartupNotice();
    HICON TrayIcon();
    void ShowHotKeyHints(HMENU popup);

    int m_trayIconSize = 0;
    bool m_firstStart;
    // A second start's request, registered under the application's name.
    UINT m_showSettingsMessage = 0;

    // ITrayPlatform
    bool AddIcon() override;
    bool ModifyIcon() override;
    unsigned long LastError() override;
    void Sleep(unsigned milliseconds) override;
    void ShowError(const std::wstring& text) override;
    void ShowBalloon(const std::wstring& text, bool warning) override;
    std::wstring LoadText(unsigned id) override;
    void RequestClose() override;
    void GetCursorPos(int& x, int& y) override;
    void SetForeground() override;
    void TrackTrayMenu(int x, int y, bool autoStartChecked, bool zoomed) override;
    void RunSettingsSheet() override;
    void ActivateSettingsSheet() override;
    void CancelSettingsSheet() override;
    void EndMainDialog(int result) override;

    // IZoomCommands
    void ZoomIn() override;
    void ZoomOut() override;
    void CancelZoom() override;
    bool IsZoomed() override;

    TrayController m_tray;
};

// The about box.
class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();
};
