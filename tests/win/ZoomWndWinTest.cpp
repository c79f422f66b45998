// The zoom window under Wine: real window, real timers, real messages.
#include "zoom/ZoomWnd.h"

#include "ResourceCensus.h"
#include "WinTestFiles.h"
#include "ZoomTestSetup.h"
#include "WinTestMessages.h"
#include "settings/core/ZoomWindowMessages.h"
#include "settings/Settings.h"
#include "input/InputHooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

RECT WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

// Counts the placements a tick really makes, and the ticks.
class PlacementCountingZoomWnd : public CZoomWnd {
public:
    using CZoomWnd::CZoomWnd;

    int placements = 0;
    int ticks = 0;

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        ticks += msg == WM_TIMER;
        return CZoomWnd::DefWindowProc(msg, wParam, lParam);
    }

protected:
    void OnWindowPosChanging(WINDOWPOS* pos) override {
        ++placements;
        CZoomWnd::OnWindowPosChanging(pos);
    }
};

bool NothingVisibleAbove(HWND hwnd) {
    for (HWND above = ::GetWindow(hwnd, GW_HWNDPREV); above != nullptr;
         above = ::GetWindow(above, GW_HWNDPREV)) {
        if (::IsWindowVisible(above)) {
            return false;
        }
    }
    return true;
}

// Whether another window of the desktop could take the combination now.
bool HotKeyFree(UINT modifiers, UINT vk) {
    constexpr int kProbeId = 0x7001;
    if (::RegisterHotKey(nullptr, kProbeId, modifiers, vk)) {
        ::UnregisterHotKey(nullptr, kProbeId);
        return true;
    }
    return false;
}

bool EscapeFree() {
    return HotKeyFree(0, VK_ESCAPE);
}

class ZoomWndTest : public wintest::ZoomWindowTest<PlacementCountingZoomWnd> {
protected:
    void SetUp() override {
        ZoomWindowTest::SetUp();
        ::SetCursorPos(1000, 500);
        CreateZoomWindow();
    }
};

} // namespace

TEST_F(ZoomWndTest, CreatedHiddenAsLayeredTopMostClickThroughPopup) {
    LONG_PTR style = ::GetWindowLongPtrW(wnd.m_hWnd, GWL_STYLE);
    LONG_PTR exStyle = ::GetWindowLongPtrW(wnd.m_hWnd, GWL_EXSTYLE);
    EXPECT_EQ(style & 0xC4000000, 0xC4000000);
    // WS_EX_TOPMOST takes effect when the window is placed top-most.
    EXPECT_EQ(exStyle & 0x000800A0, 0x000800A0);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_FALSE(::IsWindowVisible(wnd.m_hWnd));
    EXPECT_FALSE(wnd.UsesMagnifier());
    // Wine cannot leave the window out of screen copies: the view is
    // stretched from a snapshot.
    EXPECT_FALSE(wnd.CopiesLive());
    // Creating the window registers the hot keys, reading their settings:
    // the store writes each default it reads into the empty file.
    const std::string file = wintest::ReadBytes(SettingFilePath());
    EXPECT_NE(file.find("HotKeyZoomIn=222"), std::string::npos) << file;
    EXPECT_NE(file.find("HotKeyModZoomCancel=0"), std::string::npos) << file;
}

TEST_F(ZoomWndTest, ZoomInGlidesToLimitOverCursorMonitor) {
    wnd.ZoomIn();
    EXPECT_TRUE(::IsWindowVisible(wnd.m_hWnd));
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.25);
    RECT monitor = wintest::PrimaryMonitor();
    RECT placed = WindowRect(wnd.m_hWnd);
    EXPECT_TRUE(::EqualRect(&placed, &monitor));
    EXPECT_TRUE(::GetWindowLongPtrW(wnd.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Tick(12);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 4.0);
    EXPECT_FALSE(wnd.Controller().IsAnimating());
    // The zoom window never takes the focus from the program in front.
    EXPECT_NE(::GetActiveWindow(), wnd.m_hWnd);

    wnd.CancelZoom();
    Tick(12);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.0);
    EXPECT_FALSE(::IsWindowVisible(wnd.m_hWnd));
    EXPECT_FALSE(wnd.Controller().Timer().Running());
}

TEST_F(ZoomWndTest, MessagesFromHooksAndHotKeys) {
    wnd.SendMessage(WM_ZOOMWHEEL, 1, 0);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.1);
    EXPECT_TRUE(::IsWindowVisible(wnd.m_hWnd));
    wnd.SendMessage(WM_ZOOMESCAPE, 0, 0);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.1);
    wnd.SendMessage(WM_ZOOMWHEEL, 0, 0);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.0);
    EXPECT_FALSE(::IsWindowVisible(wnd.m_hWnd));

    wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMIN, 0);
    EXPECT_TRUE(wnd.Controller().IsAnimating());
    Tick(12);
    wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMOUT, 0);
    Tick(12);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 2.0);
    wnd.SendMessage(WM_HOTKEY, 999, 0);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 2.0);
    wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMCANCEL, 0);
    Tick(12);
    EXPECT_FALSE(::IsWindowVisible(wnd.m_hWnd));
}

TEST_F(ZoomWndTest, HooksAnswerWhileTheWindowThreadIsBusy) {
    ASSERT_NE(ZoomHooksThreadId(), 0u);
    EXPECT_NE(ZoomHooksThreadId(), ::GetCurrentThreadId());
    // Another program's window under the cursor, on a thread of its own.
    std::atomic<HWND> other{nullptr};
    std::atomic<bool> wheeled{false};
    std::thread program([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.lpszClassName = L"WheelWitness";
        ::RegisterClassW(&wc);
        other = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, nullptr, WS_POPUP | WS_VISIBLE,
                                  0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(other);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_CLOSE) {
            wheeled = wheeled || msg.message == WM_MOUSEWHEEL;
        }
        ::DestroyWindow(other);
    });
    while (other == nullptr) {
        std::this_thread::yield();
    }
    ::SetCursorPos(200, 200);
    INPUT ctrlDown{}, wheel{}, ctrlUp{};
    ctrlDown.type = ctrlUp.type = INPUT_KEYBOARD;
    wheel.type = INPUT_MOUSE;
    ctrlDown.ki.wVk = ctrlUp.ki.wVk = VK_CONTROL;
    ctrlUp.ki.dwFlags = KEYEVENTF_KEYUP;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = WHEEL_DELTA;
    // This thread, the zoom window's, takes no message for 2 s: a plain turn
    // reaches the program meanwhile, and a Ctrl + wheel step waits for it.
    const auto blockEnd = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    ::SendInput(1, &wheel, sizeof(INPUT));
    while (!wheeled && std::chrono::steady_clock::now() < blockEnd) {
        ::Sleep(10);
    }
    EXPECT_TRUE(wheeled) << "the plain turn was held up by the busy thread";
    // Ctrl is let go only once the hook has posted its step (peeking
    // dispatches nothing): sent together, Wine may release it before the
    // hook reads the key state.
    INPUT chord[] = {ctrlDown, wheel};
    ::SendInput(2, chord, sizeof(INPUT));
    MSG step;
    while (!::PeekMessageW(&step, wnd.m_hWnd, WM_ZOOMWHEEL, WM_ZOOMWHEEL, PM_NOREMOVE) &&
           std::chrono::steady_clock::now() < blockEnd) {
        ::Sleep(10);
    }
    ::SendInput(1, &ctrlUp, sizeof(INPUT));
    std::this_thread::sleep_until(blockEnd);
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.0);
    EXPECT_TRUE(wintest::PumpUntil([&] { return wnd.Controller().Rate() > 1.0; },
                                   std::chrono::seconds(5)));
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 1.1);
    ::PostMessageW(other, WM_CLOSE, 0, 0);
    program.join();
}

TEST_F(ZoomWndTest, SystemTimerDrivesTheGlide) {
    wnd.ZoomIn();
    EXPECT_TRUE(wnd.Controller().Timer().Running());
    EXPECT_TRUE(wintest::PumpUntil(
        [&] { return wnd.Controller().Rate() == 4.0 && !wnd.Controller().IsAnimating(); },
        std::chrono::seconds(10)));
    wnd.CancelZoom();
    EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindowVisible(wnd.m_hWnd); },
                                   std::chrono::seconds(10)));
    EXPECT_FALSE(wnd.Controller().Timer().Running());
}

TEST_F(ZoomWndTest, EscapeIsHeldOnlyWhileAZoomShows) {
    const auto zoomInFree = [] { return HotKeyFree(MOD_ALT | MOD_WIN, 222); };
    EXPECT_TRUE(EscapeFree()) << "hidden after creation";
    EXPECT_FALSE(zoomInFree());
    wnd.ZoomIn();
    EXPECT_FALSE(EscapeFree()) << "shown";
    Tick(12);
    wnd.RegisterHotKeysAnew();
    EXPECT_FALSE(EscapeFree()) << "registered anew while shown";
    wnd.CancelZoom();
    Tick(12);
    ASSERT_FALSE(::IsWindowVisible(wnd.m_hWnd));
    EXPECT_TRUE(EscapeFree()) << "hidden again";
    wnd.RegisterHotKeysAnew();
    EXPECT_TRUE(EscapeFree()) << "registered anew while hidden";
    EXPECT_FALSE(zoomInFree()) << "zoom in is held all along";
    wnd.SendMessage(WM_ZOOMWHEEL, 1, 0);
    EXPECT_FALSE(EscapeFree()) << "shown by the wheel";
    wnd.DestroyWindow();
    EXPECT_TRUE(EscapeFree());
    EXPECT_TRUE(zoomInFree());
}

TEST_F(ZoomWndTest, KeysAnotherHolderHasAreNamedAndTheOthersWork) {
    EXPECT_EQ(wnd.HotKeysRefusedAtCreation(), std::vector<int>{});
    // Held elsewhere: the cancel key, which is only tried while hidden.
    ASSERT_TRUE(::RegisterHotKey(nullptr, 1, 0, VK_ESCAPE));
    EXPECT_EQ(wnd.RegisterHotKeysAnew(), std::vector<int>{HOTKEY_ZOOMCANCEL});
    EXPECT_FALSE(HotKeyFree(MOD_ALT | MOD_WIN, 222)) << "zoom in still works";
    ::UnregisterHotKey(nullptr, 1);
    EXPECT_EQ(wnd.RegisterHotKeysAnew(), std::vector<int>{});
    EXPECT_TRUE(EscapeFree()) << "the trial gave Escape back";
}

TEST_F(ZoomWndTest, StalledThreadGetsOneTickAfterwardsNotOnePerPeriod) {
    wnd.ZoomIn();
    ASSERT_TRUE(wintest::PumpUntil([&] { return !wnd.Controller().IsAnimating(); },
                                   std::chrono::seconds(10)));
    // Ten periods without a look at the queue.
    ::Sleep(500);
    int queued = 0;
    MSG msg{};
    MSG tick{};
    while (::PeekMessageW(&msg, wnd.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        ++queued;
        tick = msg;
    }
    EXPECT_EQ(queued, 1);
    // Handled, it lets the timer post the next one.
    ::DispatchMessageW(&tick);
    const int handled = wnd.ticks;
    EXPECT_TRUE(
        wintest::PumpUntil([&] { return wnd.ticks >= handled + 3; }, std::chrono::seconds(10)));
}

TEST_F(ZoomWndTest, DestroyedWhileZoomedStopsTheTimer) {
    wnd.ZoomIn();
    Tick(12);
    const ZoomTimer timer = wnd.Controller().Timer();
    ASSERT_TRUE(timer.Running());
    const HWND hwnd = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_FALSE(wnd.Controller().Timer().Running());
    wintest::ExpectTimerGone(timer, hwnd);
}

TEST_F(ZoomWndTest, NoResourceGrowthOverManyTicks) {
    wnd.ZoomIn();
    Tick(12);
    const POINT path[] = {{100, 100}, {1800, 900}, {960, 540}, {0, 0}, {1919, 1079}};
    // Warm up: the first ticks create what lives for the whole zoom.
    for (int i = 0; i < 20; ++i) {
        ::SetCursorPos(path[i % 5].x, path[i % 5].y);
        Tick();
    }
    // Ticks are quick: the zoom's own timer may not have fired yet, and its
    // thread makes its message queue at its first tick.
    const int sent = wnd.ticks;
    ASSERT_TRUE(wintest::PumpUntil([&] { return wnd.ticks > sent; }, std::chrono::seconds(10)));
    int gdiBefore = wintest::FreeGdiCapacity();
    DWORD handlesBefore = wintest::HandleLevel();

    for (int i = 0; i < 1000; ++i) {
        ::SetCursorPos(path[i % 5].x + i % 7, path[i % 5].y);
        Tick();
    }

    EXPECT_GT(gdiBefore, 1000);
    EXPECT_EQ(wintest::FreeGdiCapacity(), gdiBefore);
    EXPECT_EQ(wintest::HandleLevel(), handlesBefore);
}

TEST_F(ZoomWndTest, TickPlacesWindowOnlyWhenItIsNotAlreadyOnTop) {
    wnd.ZoomIn();
    Tick(12);
    ASSERT_TRUE(NothingVisibleAbove(wnd.m_hWnd));
    wnd.placements = 0;
    Tick(5);
    EXPECT_EQ(wnd.placements, 0) << "already covering the monitor, on top";

    // Another program's top-most window comes up over the zoom: the next tick
    // takes the top back.
    HWND other = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"over", WS_POPUP,
                                   100, 100, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ASSERT_FALSE(NothingVisibleAbove(wnd.m_hWnd));
    Tick();
    EXPECT_EQ(wnd.placements, 1);
    EXPECT_TRUE(NothingVisibleAbove(wnd.m_hWnd));

    // A hidden window above does not count.
    ::SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    ::SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Tick(3);
    EXPECT_EQ(wnd.placements, 1);

    // Moved off its place (as by a display change): put back at once.
    RECT monitor = wintest::PrimaryMonitor();
    ::SetWindowPos(wnd.m_hWnd, nullptr, 10, 10, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    wnd.placements = 0;
    Tick();
    EXPECT_EQ(wnd.placements, 1);
    RECT placed = WindowRect(wnd.m_hWnd);
    EXPECT_TRUE(::EqualRect(&placed, &monitor));
    ::DestroyWindow(other);
}
