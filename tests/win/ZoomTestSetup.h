// What the Win32 tests of the zoom window and the main dialog set up the
// same way: settings in a scratch file, Windows 6 reported, and the input a
// zoom window gets from the main dialog.
#pragma once

#include "app/ZoomInput.h"
#include "settings/Settings.h"
#include "settings/core/SettingsCopy.h"
#include "zoom/Magnification.h"

#include <windows.h>

#include <string>

namespace wintest {

inline void UseScratchSettings(const std::wstring& settingFile) {
    LoadSettingDefaults();
    SetSettingFilePath(settingFile);
    g_osMajorVersion = 6;
}

// The program's hooks and hot keys over its settings, as the main dialog
// hands them to its zoom window: the hooks' keys from memory.
inline IZoomInput& ProgramZoomInput() {
    static SettingsCopy settings(Settings());
    static ZoomInput input(settings);
    return input;
}

inline RECT PrimaryMonitor() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

} // namespace wintest
