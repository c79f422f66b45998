// What the Win32 tests of the zoom window and the main dialog set up the
// same way: settings in a scratch file, and the screen-copy path the program
// takes under Wine.
#pragma once

#include "settings/Settings.h"
#include "zoom/Magnification.h"

#include <windows.h>

#include <string>

namespace wintest {

inline void UseScratchSettingsAndScreenCopy(const std::wstring& settingFile) {
    LoadSettingDefaults();
    SetSettingFilePath(settingFile);
    g_osMajorVersion = 6;
    g_magnifierUsable = false;
}

inline RECT PrimaryMonitor() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

} // namespace wintest
