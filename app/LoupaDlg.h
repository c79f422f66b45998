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

// The settings page finds the dialog as the parent of its sheet, hence the
// public ISettingSheetOwner.
class CLoupaDlg : public fw::CDialog,
                  public ISettingSheetOwner,
                  private ITrayPlatform,
                  private IZoomCommands {
public:
    // settings: the store the dialog, its zoom window and its settings sheet
    // read; useMagnifier: how the zoom window renders (see CZoomWnd).
    CLoupaDlg(ISettings& settings, bool useMagnifier);
    ~CLoupaDlg() override;

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // ISettingSheetOwner: the hot keys belong to the zoom window.
    void RegisterHotKeysAnew() override;

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
    HICON TrayIcon();

    int m_trayIconSize = 0;

    // ITrayPlatform
    bool AddIcon() override;
    bool ModifyIcon() override;
    unsigned long LastError() override;
    void Sleep(unsigned milliseconds) override;
    void ShowError(const std::wstring& text) override;
    std::wstring LoadText(unsigned id) override;
    void RequestClose() override;
    void GetCursorPos(int& x, int& y) override;
    void SetForeground() override;
    void TrackTrayMenu(int x, int y, bool autoStartChecked) override;
    void RunSettingsSheet() override;
    void ActivateSettingsSheet() override;
    void CancelSettingsSheet() override;
    void EndMainDialog(int result) override;

    // IZoomCommands
    void ZoomIn() override;
    void ZoomOut() override;
    void CancelZoom() override;

    TrayController m_tray;
};

// The about box.
class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();
};
