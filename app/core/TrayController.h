// The main dialog's decisions: notification-area icon registration with its
// retry rule, the icon's callback, the menu commands and the single settings
// sheet. Platform-free; the dialog supplies the system operations.
#pragma once

#include "settings/core/ISettings.h"

#include <string>

namespace win32 {
// Copied from the system headers (app/Win32Mirrors.cpp checks the copies).
constexpr unsigned long kErrorTimeout = 1460;
constexpr unsigned kWmLButtonDblClk = 0x0203;
constexpr unsigned kWmRButtonDown = 0x0204;
} // namespace win32

class ITrayPlatform {
public:
    virtual ~ITrayPlatform() = default;

    // Shell_NotifyIcon with NIM_ADD / NIM_MODIFY and the icon data; true on success.
    virtual bool AddIcon() = 0;
    virtual bool ModifyIcon() = 0;
    // The error of the last failed call.
    virtual unsigned long LastError() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // Modal message box, OK button and exclamation icon.
    virtual void ShowError(const std::wstring& text) = 0;
    // A balloon from the icon, titled with the application name; warning
    // gives it the warning icon, else the information icon.
    virtual void ShowBalloon(const std::wstring& text, bool warning) = 0;
    // The string-table text of id, in the program's language.
    virtual std::wstring LoadText(unsigned id) = 0;
    // Close request to the main dialog; it ends the program.
    virtual void RequestClose() = 0;

    virtual void GetCursorPos(int& x, int& y) = 0;
    virtual void SetForeground() = 0;
    // Shows the tray menu at (x, y) with the auto-start item checked or not
    // and the cancel item greyed unless zoomed, and returns when it closes;
    // the chosen command arrives as WM_COMMAND.
    virtual void TrackTrayMenu(int x, int y, bool autoStartChecked, bool zoomed) = 0;

    // Runs the settings sheet modally; returns when it has closed.
    virtual void RunSettingsSheet() = 0;
    virtual void ActivateSettingsSheet() = 0;
    // Closes the open settings sheet as its Cancel button would: nothing is
    // written. The sheet's own modal loop ends its run.
    virtual void CancelSettingsSheet() = 0;

    // Ends the main dialog's modal run with the given result.
    virtual void EndMainDialog(int result) = 0;
};

// The zoom window's commands as the menu reaches them.
class IZoomCommands {
public:
    virtual ~IZoomCommands() = default;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    // Glides back to 1.0 unless an animation runs.
    virtual void CancelZoom() = 0;
    // A zoom is shown or on its way: there is something to cancel.
    virtual bool IsZoomed() = 0;
};

class TrayController {
public:
    TrayController(ITrayPlatform& platform, ISettings& settings, IZoomCommands& zoom)
        : m_platform(platform), m_settings(settings), m_zoom(zoom) {}

    // Registers the icon at start-up; a failure other than a time-out is
    // shown and ends the program.
    void AddTrayIcon();
    // The shell broadcast "TaskbarCreated": after a restart it has forgotten
    // the icon, but it also broadcasts with the icon still there (a scale
    // change, a remote session). The icon is updated, or added again when it
    // is gone; the program never ends on this path.
    void OnTaskbarCreated();
    // Once the icon is up at start-up: keys the system refused come first,
    // and then the welcome of a first start is dropped (one balloon, not a
    // queue of them). Either text may be empty.
    void ShowStartupNotice(const std::wstring& refusedHotKeys, const std::wstring& welcome);
    // The icon's callback; mouseMessage is the callback's lParam.
    void OnTrayNotify(unsigned mouseMessage);
    // A menu command (ID_TRAY_* of resource.h); false when the identifier is
    // not one of the menu's.
    bool OnCommand(unsigned id);
    void OnSetting();

    bool SettingsOpen() const { return m_settingsOpen; }

private:
    // Adds the icon, retrying while the shell times out; 0 on success, else
    // the error of the failed attempt.
    unsigned long RegisterIcon();
    void ShowTrayMenu(int x, int y);
    void OnAutoStartUp();
    void OnExit();

    ITrayPlatform& m_platform;
    ISettings& m_settings;
    IZoomCommands& m_zoom;
    bool m_settingsOpen = false;
};
