// What the Win32 tests of the zoom window and the main dialog set up the
// same way: settings in a scratch file, Windows 6 reported, the input a zoom
// window gets from the main dialog, and the zoom window itself.
#pragma once

#include "WinTestFiles.h"
#include "app/ZoomInput.h"
#include "settings/Settings.h"
#include "settings/core/SettingsCopy.h"
#include "zoom/Magnification.h"
#include "zoom/ZoomWnd.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

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

// The system's own timer behind a zoom timer is gone: a second stop finds
// nothing to stop (Windows says MMSYSERR_INVALPARAM, Wine TIMERR_NOCANDO).
inline void ExpectTimerGone(const ZoomTimer& timer, HWND hwnd) {
    if (timer.kind == ZoomTimerKind::Multimedia) {
        EXPECT_NE(::timeKillEvent(timer.id), static_cast<MMRESULT>(TIMERR_NOERROR))
            << "multimedia timer " << timer.id;
    } else {
        EXPECT_FALSE(::KillTimer(hwnd, timer.id)) << "window timer " << timer.id;
    }
}

// A zoom window as the main dialog makes it, on the screen-copy path the
// program takes under Wine, over settings in a scratch file.
template <typename Wnd = CZoomWnd> class ZoomWindowTest : public testing::Test {
protected:
    void SetUp() override { UseScratchSettings(scratch.File(L"setting.ini")); }
    void TearDown() override { wnd.DestroyWindow(); }

    // Hidden, over the monitor of the cursor.
    void CreateZoomWindow() {
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, nullptr, 0, wnd.MonitorRect(), nullptr, 0))
            << "error " << ::GetLastError();
    }

    // What the zoom's timer sends.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            wnd.SendMessage(WM_TIMER, ZoomController::kTimerId, 0);
        }
    }

    ScratchFolder scratch;
    Wnd wnd{Settings(), ProgramZoomInput(), false};
};

} // namespace wintest
