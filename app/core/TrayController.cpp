#include "app/core/TrayController.h"

#include "settings/core/SettingKeys.h"

#include "resource.h"

#include <cstdint>

void TrayController::AddTrayIcon() {
    const unsigned long error = RegisterIcon();
    if (error != 0) {
        m_platform.ShowError(m_platform.LoadText(IDS_TRAY_ICON_FAILED) +
                             std::to_wstring(static_cast<int32_t>(error)));
        m_platform.RequestClose();
    }
}

void TrayController::OnTaskbarCreated() {
    if (!m_platform.ModifyIcon()) {
        RegisterIcon();
    }
}

unsigned long TrayController::RegisterIcon() {
    for (;;) {
        if (m_platform.AddIcon()) {
            return 0;
        }
        const unsigned long error = m_platform.LastError();
        if (error != win32::kErrorTimeout) {
            return error;
        }
        // A shell that is slow at log-on may have added the icon all the same.
        if (m_platform.ModifyIcon()) {
            return 0;
        }
        m_platform.Sleep(1000);
    }
}

void TrayController::ShowStartupNotice(const std::wstring& refusedHotKeys,
                                       const std::wstring& welcome) {
    if (!refusedHotKeys.empty()) {
        m_platform.ShowBalloon(refusedHotKeys, true);
    } else if (!welcome.empty()) {
        m_platform.ShowBalloon(welcome, false);
    }
}

void TrayController::OnTrayNotify(unsigned mouseMessage) {
    int x = 0;
    int y = 0;
    m_platform.GetCursorPos(x, y);
    switch (mouseMessage) {
    case win32::kWmLButtonDblClk: OnSetting(); break;
    case win32::kWmRButtonDown: ShowTrayMenu(x, y); break;
    }
}

void TrayController::ShowTrayMenu(int x, int y) {
    m_platform.SetForeground();
    // This read also brings the start-up shortcut in line with the setting.
    bool checked = m_settings.ReadSettingInt(kAutoStartUpKey) != 0;
    m_platform.TrackTrayMenu(x, y, checked, m_zoom.IsZoomed());
}

bool TrayController::OnCommand(unsigned id) {
    switch (id) {
    case ID_TRAY_SETTING: OnSetting(); return true;
    case ID_TRAY_ZOOMIN: m_zoom.ZoomIn(); return true;
    case ID_TRAY_ZOOMOUT: m_zoom.ZoomOut(); return true;
    case ID_TRAY_ZOOMCANCEL: m_zoom.CancelZoom(); return true;
    case ID_TRAY_AUTOSTARTUP: OnAutoStartUp(); return true;
    case ID_TRAY_EXIT: OnExit(); return true;
    }
    return false;
}

void TrayController::OnSetting() {
    if (m_settingsOpen) {
        m_platform.ActivateSettingsSheet();
        return;
    }
    m_settingsOpen = true;
    m_platform.RunSettingsSheet();
    m_settingsOpen = false;
}

void TrayController::OnExit() {
    // The sheet runs a modal loop of its own inside the main dialog's: ending
    // only the main run would leave the sheet, the icon and the process as
    // they were until the user closed the sheet.
    if (m_settingsOpen) {
        m_platform.CancelSettingsSheet();
    }
    m_platform.EndMainDialog(0);
}

void TrayController::OnAutoStartUp() {
    int value = m_settings.ReadSettingInt(kAutoStartUpKey);
    // When the file or the shortcut cannot take the change, the store leaves
    // both as they were; the next menu shows whatever is stored.
    m_settings.WriteSettingInt(kAutoStartUpKey, value == 0 ? 1 : 0);
}
