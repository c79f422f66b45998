// The hidden main dialog under Wine, driven from inside its own modal loop.
#include "app/LoupaDlg.h"
#include "app/ZoomInput.h"

#include "WinTestFiles.h"
#include "WinTestMessages.h"
#include "ZoomTestSetup.h"
#include "resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace {

// Steps run one by one from a thread timer, so they run inside whatever
// modal loop the thread is in at that moment. A step may wait for a
// condition; past its deadline it fails and runs all the same.
struct Step {
    std::function<void()> run;
    std::function<bool()> ready;
};
std::deque<Step> g_steps;
DWORD g_stepSince = 0;
constexpr DWORD kStepDeadlineMs = 10000;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_steps.empty()) {
        return;
    }
    if (g_stepSince == 0) {
        g_stepSince = ::GetTickCount();
    }
    Step& next = g_steps.front();
    if (next.ready && !next.ready()) {
        if (::GetTickCount() - g_stepSince < kStepDeadlineMs) {
            return;
        }
        ADD_FAILURE() << "a step's condition did not come true in time";
    }
    Step step = std::move(next);
    g_steps.pop_front();
    g_stepSince = 0;
    step.run();
}

void Then(std::function<void()> run, std::function<bool()> ready = nullptr) {
    g_steps.push_back(Step{std::move(run), std::move(ready)});
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        return SIZE{};
    }
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return SIZE{bitmap.bmWidth, info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

std::wstring ActivationContextSetting(const wchar_t* ns, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, nullptr, ns, name, value, 128, &written)) {
        return L"(none)";
    }
    return value;
}

std::wstring MenuItemText(HMENU menu, UINT id) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

class LoupaDlgTest : public testing::Test {
protected:
    void SetUp() override {
        wintest::UseScratchSettings(scratch.File(L"setting.ini"));
        g_steps.clear();
        g_stepSince = 0;
        timer = ::SetTimer(nullptr, 0, 50, &RunNextStep);
    }
    void TearDown() override {
        ::KillTimer(nullptr, timer);
        // A step list left over means the dialog ended before it ran.
        EXPECT_TRUE(g_steps.empty());
    }

    wintest::ScratchFolder scratch;
    UINT_PTR timer = 0;
    ZoomInput input{Settings()};
};

} // namespace

TEST_F(LoupaDlgTest, StaysHiddenOwnsZoomWindowAndEndsOnExit) {
    CLoupaDlg dlg(Settings(), input, false, false);
    Then([&] {
        ASSERT_NE(dlg.m_hWnd, nullptr);
        EXPECT_FALSE(::IsWindowVisible(dlg.m_hWnd));
        ASSERT_NE(dlg.m_zoomWnd.m_hWnd, nullptr);
        EXPECT_FALSE(::IsWindowVisible(dlg.m_zoomWnd.m_hWnd));
        EXPECT_EQ(::GetWindow(dlg.m_zoomWnd.m_hWnd, GW_OWNER), dlg.m_hWnd);
        EXPECT_EQ(MenuItemText(::GetSystemMenu(dlg.m_hWnd, FALSE), IDM_ABOUTBOX),
                  L"バージョン情報 Loupa(&A)...");
        EXPECT_EQ(reinterpret_cast<HICON>(dlg.SendMessage(WM_GETICON, ICON_BIG)), dlg.m_hIcon);
        EXPECT_EQ(reinterpret_cast<HICON>(dlg.SendMessage(WM_QUERYDRAGICON)), dlg.m_hIcon);
        // The notification area shows small icons: one of that size, not
        // the standard one the shell would shrink.
        ASSERT_NE(dlg.TrayIcon().Image(), nullptr);
        const SIZE tray = IconSize(dlg.TrayIcon().Image());
        EXPECT_EQ(tray.cx, ::GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(tray.cy, ::GetSystemMetrics(SM_CYSMICON));
    });
    Then([&] { dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT); });
    EXPECT_EQ(dlg.DoModal(), 0);
    // Destroying the dialog destroyed the zoom window it owns.
    EXPECT_EQ(dlg.m_zoomWnd.m_hWnd, nullptr);
}

TEST_F(LoupaDlgTest, CloseRequestEndsLikeCancel) {
    CLoupaDlg dlg(Settings(), input, false, false);
    Then([&] { dlg.PostMessage(WM_CLOSE); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_zoomWnd.m_hWnd, nullptr);
}

TEST_F(LoupaDlgTest, ShowWindowNeverMakesItVisible) {
    CLoupaDlg dlg(Settings(), input, false, false);
    Then([&] {
        for (int cmd : {SW_SHOW, SW_SHOWNORMAL, SW_RESTORE, SW_SHOWMAXIMIZED}) {
            ::ShowWindow(dlg.m_hWnd, cmd);
            EXPECT_FALSE(::IsWindowVisible(dlg.m_hWnd)) << cmd;
        }
        ::SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        EXPECT_FALSE(::IsWindowVisible(dlg.m_hWnd));
    });
    Then([&] { dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT); });
    EXPECT_EQ(dlg.DoModal(), 0);
}

TEST_F(LoupaDlgTest, AboutBoxFromTheSystemMenu) {
    CLoupaDlg dlg(Settings(), input, false, false);
    HWND about = nullptr;
    Then([&] { dlg.PostMessage(WM_SYSCOMMAND, IDM_ABOUTBOX); });
    // The dialog manager shows the box once its loop first idles.
    Then(
        [&] {
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(::IsWindowVisible(about));
            wchar_t text[64] = {};
            HWND child = ::FindWindowExW(about, nullptr, L"Static", L"Loupa Version 1.5");
            EXPECT_NE(child, nullptr);
            ::GetWindowTextW(::GetDlgItem(about, IDOK), text, 64);
            EXPECT_STREQ(text, L"OK");
            ::PostMessageW(about, WM_COMMAND, IDOK, 0);
        },
        [&] {
            about = ::FindWindowW(nullptr, L"バージョン情報 Loupa");
            return about != nullptr && ::IsWindowVisible(about);
        });
    // OK closed the box; the main dialog still runs.
    Then([&] { dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT); }, [&] { return !::IsWindow(about); });
    EXPECT_EQ(dlg.DoModal(), 0);
}

TEST_F(LoupaDlgTest, MenuZoomCommandsReachTheZoomWindow) {
    CLoupaDlg dlg(Settings(), input, false, false);
    Then([&] {
        dlg.SendMessage(WM_COMMAND, ID_TRAY_ZOOMIN);
        EXPECT_TRUE(dlg.m_zoomWnd.Controller().IsAnimating());
        EXPECT_TRUE(::IsWindowVisible(dlg.m_zoomWnd.m_hWnd));
        // Cancel during the glide is ignored.
        dlg.SendMessage(WM_COMMAND, ID_TRAY_ZOOMCANCEL);
        EXPECT_GT(dlg.m_zoomWnd.Controller().Rate(), 1.0);
    });
    // The real timer ends the glide.
    Then(
        [&] {
            EXPECT_DOUBLE_EQ(dlg.m_zoomWnd.Controller().Rate(), 4.0);
            dlg.SendMessage(WM_COMMAND, ID_TRAY_ZOOMOUT);
            EXPECT_TRUE(dlg.m_zoomWnd.Controller().IsAnimating());
        },
        [&] { return !dlg.m_zoomWnd.Controller().IsAnimating(); });
    Then([&] { dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT); });
    EXPECT_EQ(dlg.DoModal(), 0);
}

TEST_F(LoupaDlgTest, ExitWhileZoomedRepeatedly) {
    for (int round = 0; round < 10; ++round) {
        auto dlg = std::make_unique<CLoupaDlg>(Settings(), input, false, false);
        ZoomTimer timer;
        HWND zoomWindow = nullptr;
        Then([&] { dlg->SendMessage(WM_COMMAND, ID_TRAY_ZOOMIN); });
        // The zoom's own timer has driven the glide; its ticks go on while
        // the thread is busy, and the exit comes in the middle of them.
        Then(
            [&] {
                ::Sleep(75);
                timer = dlg->m_zoomWnd.Controller().Timer();
                zoomWindow = dlg->m_zoomWnd.m_hWnd;
                dlg->SendMessage(WM_COMMAND, ID_TRAY_EXIT);
            },
            [&] { return dlg->m_zoomWnd.Controller().Rate() > 1.5; });
        EXPECT_EQ(dlg->DoModal(), 0) << "round " << round;
        EXPECT_EQ(dlg->m_zoomWnd.m_hWnd, nullptr);
        dlg.reset();
        // Nothing of this run can arrive afterwards.
        EXPECT_TRUE(timer.Running()) << "round " << round;
        wintest::ExpectTimerGone(timer, zoomWindow);
    }
}

// This program carries Loupa's manifest.
TEST(LoupaManifest, ProcessRunsPerMonitorDpiAware) {
    EXPECT_EQ(ActivationContextSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                       L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(ActivationContextSetting(nullptr, L"dpiAware"), L"true/pm");
    // Windows 10 1703 and later run it per-monitor v2, earlier ones v1; Wine 8
    // runs every process per-monitor (v1). Windows 7 knows system DPI only.
    using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AwarenessFn = int(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto getContext = reinterpret_cast<GetContextFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awareness = reinterpret_cast<AwarenessFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (getContext == nullptr || awareness == nullptr) {
        EXPECT_TRUE(::IsProcessDPIAware());
        return;
    }
    constexpr int kPerMonitorAware = 2; // DPI_AWARENESS_PER_MONITOR_AWARE
    EXPECT_EQ(awareness(getContext()), kPerMonitorAware);
}
