// The hidden main dialog: owner of the notification-area icon, its menu, the
// settings sheet while open, and the zoom window.
#pragma once

#include "app/TrayIcon.h"
#include "app/core/TrayController.h"
#include "fw/Dialog.h"
#include "ui/SettingSheet.h"
#include "zoom/ZoomWnd.h"

#include <memory>

// Identifier of the message the shell broadcasts when the taskbar is
// (re)created; 0 until the main dialog's window exists.
extern UINT g_taskbarCreatedMessage;

// The icon's callback, posted back to the dialog to be handled from its loop.
constexpr UINT WM_TRAYNOTIFYPOSTED = WM_APP + 1;
// A second start's request to show the settings, posted back likewise: the
// sender waits for the sent message, not for the sheet to close.
constexpr UINT WM_SHOWSETTINGSPOSTED = WM_APP + 2;

class CLoupaDlg : public fw::CDialog,
                  private ISettingSheetOwner,
                  private ITrayPlatform,
                  private IZoomCommands {
public:
    // settings: the store the dialog, its zoom window and its settings sheet
    // read; input: the zoom window's hooks and hot keys, used until the
    // dialog ends; useMagnifier: how the zoom window renders (see CZoomWnd);
    // firstStart: setting.ini did not exist, so the icon says hello.
    CLoupaDlg(ISettings& settings, IZoomInput& input, bool useMagnifier, bool firstStart);
    ~CLoupaDlg() override;

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // In a second start: asks the running copy's main dialog, and no other
    // window, to open its settings sheet or bring it forward.
    static void ShowRunningInstance();

    // The notification-area icon, whose image may be looked at.
    const CTrayIcon& TrayIcon() const { return m_trayIcon; }

    HICON m_hIcon;
    // The settings sheet while it is open.
    std::unique_ptr<CSettingPropetySheet> m_pSettingSheet;
    CZoomWnd m_zoomWnd;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCTW cs) override;
    void OnDestroy() override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnWindowPosChanging(WINDOWPOS* pos) override;
    BOOL OnCommand(UINT id, UINT code) override;

private:
    void OnTrayNotifyPosted(unsigned mouseMessage);
    // A second start asks for the settings.
    void OnShowSettingsRequest();
    void OnShowSettingsPosted();
    // The balloon that ends start-up: keys the system refused, or the
    // welcome of a first start.
    void ShowStartupNotice();
    void ShowHotKeyHints(HMENU popup);

    // ISettingSheetOwner: the hot keys belong to the zoom window.
    std::vector<int> RegisterHotKeysAnew() override;

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

    ISettings& m_settings;
    const bool m_firstStart;
    // A second start's request, registered under the application's name.
    UINT m_showSettingsMessage = 0;
    CTrayIcon m_trayIcon;
    TrayController m_tray;
};

// The about box.
class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();
};
