// Long runs of the real zoom window under Wine: ten thousand ticks and five
// hundred zoom cycles must leave no GDI object, kernel handle or memory
// behind.
#include "zoom/ZoomWnd.h"

#include "ResourceCensus.h"
#include "WinTestFiles.h"
#include "ZoomTestSetup.h"
#include "WinTestMessages.h"
#include "settings/core/ZoomWindowMessages.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

constexpr int kSoakTicks = 10000;
constexpr int kZoomCycles = 500;
// A glide takes 12 steps and one more tick for the exact target.
constexpr int kGlideTickLimit = 20;
// While zoomed the cursor moves at every fourth tick; the ticks between
// find the view unchanged, as when the hand rests on the mouse.
constexpr int kTicksPerMove = 4;

// Wine's own bookkeeping may take a few blocks now and then; a block lost
// per cycle or per tick adds up far beyond this.
constexpr size_t kHeapSlackBytes = 4 * 1024;

// Points the cursor visits, in thousandths of the monitor's width and height.
const POINT kCursorPath[] = {{50, 90},   {940, 830}, {500, 500}, {0, 0},
                             {999, 999}, {330, 925}, {780, 75}};

// The i-th stop on the cursor's round, a little off the last round's.
POINT PathPoint(const RECT& monitor, int i) {
    const POINT& p = kCursorPath[i % std::size(kCursorPath)];
    const int width = monitor.right - monitor.left - 1;
    const int height = monitor.bottom - monitor.top - 1;
    return POINT{monitor.left + (p.x * width / 1000 + i % 13) % (width + 1),
                 monitor.top + (p.y * height / 1000 + i % 5) % (height + 1)};
}

// Freed memory of the size of a full-screen picture is not always given back
// at once: Wine and the C library keep such blocks for the next picture.
// Two pictures and a megabyte of that are no loss.
size_t CommittedSlackBytes(const RECT& monitor) {
    const size_t picture = static_cast<size_t>(monitor.right - monitor.left) *
                           static_cast<size_t>(monitor.bottom - monitor.top) * 4;
    return 2 * picture + 1024 * 1024;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

void PrintCensus(const char* when, const wintest::ResourceCensus& c) {
    std::printf("%-6s free GDI %d, handle level %lu, heap bytes %zu, committed bytes %zu\n", when,
                c.freeGdi, static_cast<unsigned long>(c.handles), c.heapBytes, c.committedBytes);
}

class SoakTest : public wintest::ZoomWindowTest<> {
protected:
    void SetUp() override {
        ZoomWindowTest::SetUp();
        monitor = wintest::PrimaryMonitor();
        MoveCursor(0);
        CreateZoomWindow();
    }

    bool Visible() const { return ::IsWindowVisible(wnd.m_hWnd) != FALSE; }

    void MoveCursor(int stop) {
        POINT at = PathPoint(monitor, stop);
        ::SetCursorPos(at.x, at.y);
    }

    // Ticks until done() holds; false when it still does not after limit ticks.
    template <typename F> bool TickUntil(F done, int limit) {
        for (int i = 0; i < limit && !done(); ++i) {
            Tick();
        }
        return done();
    }

    // One zoom as a user makes it, with the cursor at another place each
    // time: the zoom-in hot key and its glide, a few wheel notches, the
    // cancel hot key and its glide back. False, with the reason, when the
    // zoom window did not do its part.
    bool ZoomCycle(int i, std::string& failure) {
        MoveCursor(i);
        wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMIN, 0);
        if (!Visible() || !wnd.Controller().IsAnimating()) {
            failure = "the zoom-in hot key started no glide";
            return false;
        }
        if (!TickUntil([&] { return !wnd.Controller().IsAnimating(); }, kGlideTickLimit) ||
            wnd.Controller().Rate() != 4.0) {
            failure = "the glide did not end at 4";
            return false;
        }
        for (WPARAM forward : {1, 1, 0}) {
            wnd.SendMessage(WM_ZOOMWHEEL, forward, 0);
            Tick();
        }
        if (wnd.Controller().Rate() != 4.1) {
            failure = "the wheel notches did not end at 4.1";
            return false;
        }
        wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMCANCEL, 0);
        if (!TickUntil([&] { return !Visible(); }, kGlideTickLimit) ||
            wnd.Controller().Rate() != 1.0 || wnd.Controller().Timer().Running()) {
            failure = "the cancel hot key did not hide the window";
            return false;
        }
        // Ticks that the system timer sent meanwhile arrive now and are dropped.
        wintest::PumpMessages();
        return true;
    }

    // Runs count cycles; the number that failed, and the first reason.
    int RunZoomCycles(int count, std::string& firstFailure) {
        int failed = 0;
        for (int i = 0; i < count; ++i) {
            std::string failure;
            if (!ZoomCycle(i, failure)) {
                if (failed++ == 0) {
                    firstFailure = "cycle " + std::to_string(i) + ": " + failure;
                }
                wnd.CancelZoom();
                TickUntil([&] { return !Visible(); }, kGlideTickLimit);
            }
        }
        return failed;
    }

    // Makes what lives as long as the window or the process (the snapshot,
    // the caption's font, the system timer's thread, the window's surface,
    // the profile cache), so that a census afterwards sees only growth.
    void WarmUp() {
        std::string failure;
        ASSERT_EQ(RunZoomCycles(3, failure), 0) << failure;
    }

    void ExpectNoGrowth(const wintest::ResourceCensus& before,
                        const wintest::ResourceCensus& after) {
        PrintCensus("before", before);
        PrintCensus("after", after);
        EXPECT_GT(before.freeGdi, 1000);
        EXPECT_GE(after.freeGdi, before.freeGdi) << "GDI objects lost";
        EXPECT_LE(after.handles, before.handles) << "kernel handles lost";
        EXPECT_LE(after.heapBytes, before.heapBytes + kHeapSlackBytes) << "heap memory lost";
        EXPECT_LE(after.committedBytes, before.committedBytes + CommittedSlackBytes(monitor))
            << "private memory lost";
    }

    RECT monitor{};
};

} // namespace

TEST(ResourceCensus, SeesEveryKindOfLoss) {
    const wintest::ResourceCensus before = wintest::ResourceCensus::Take();

    HBRUSH brush = ::CreateSolidBrush(RGB(4, 5, 6));
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    auto* block = static_cast<volatile char*>(std::malloc(64));
    ASSERT_NE(block, nullptr);
    block[0] = 1;
    const size_t regionBytes = 4 * 1024 * 1024;
    auto* region =
        static_cast<char*>(::VirtualAlloc(nullptr, regionBytes, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(region, nullptr);
    for (size_t i = 0; i < regionBytes; i += 4096) {
        region[i] = 1;
    }
    const wintest::ResourceCensus during = wintest::ResourceCensus::Take();

    ::DeleteObject(brush);
    ::CloseHandle(event);
    std::free(const_cast<char*>(block));
    ::VirtualFree(region, 0, MEM_RELEASE);
    const wintest::ResourceCensus after = wintest::ResourceCensus::Take();

    EXPECT_EQ(during.freeGdi, before.freeGdi - 1);
    EXPECT_GT(during.handles, before.handles);
    EXPECT_GE(during.heapBytes, before.heapBytes + 64);
    EXPECT_GE(during.committedBytes, before.committedBytes + regionBytes);
    EXPECT_EQ(after.freeGdi, before.freeGdi);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_LT(after.heapBytes, during.heapBytes);
    EXPECT_LT(after.committedBytes, during.committedBytes);
}

TEST_F(SoakTest, TenThousandTicksWhileZoomed_LeaveNothingBehind) {
    WarmUp();
    const wintest::ResourceCensus before = wintest::ResourceCensus::Take();
    const auto started = std::chrono::steady_clock::now();

    wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMIN, 0);
    ASSERT_TRUE(TickUntil([&] { return !wnd.Controller().IsAnimating(); }, kGlideTickLimit));
    for (int i = 0; i < kSoakTicks; ++i) {
        if (i % kTicksPerMove == 0) {
            MoveCursor(i / kTicksPerMove);
        }
        Tick();
        if (i % 100 == 0) {
            wintest::PumpMessages();
        }
    }
    EXPECT_TRUE(Visible());
    EXPECT_DOUBLE_EQ(wnd.Controller().Rate(), 4.0);
    EXPECT_TRUE(wnd.Controller().Timer().Running());
    wnd.SendMessage(WM_HOTKEY, HOTKEY_ZOOMCANCEL, 0);
    ASSERT_TRUE(TickUntil([&] { return !Visible(); }, kGlideTickLimit));
    wintest::PumpMessages();

    std::printf("%d ticks in %lld ms\n", kSoakTicks, MillisecondsSince(started));
    ExpectNoGrowth(before, wintest::ResourceCensus::Take());
}

TEST_F(SoakTest, FiveHundredZoomCycles_LeaveNothingBehind) {
    WarmUp();
    const wintest::ResourceCensus before = wintest::ResourceCensus::Take();
    const auto started = std::chrono::steady_clock::now();

    std::string failure;
    EXPECT_EQ(RunZoomCycles(kZoomCycles, failure), 0) << failure;

    std::printf("%d zoom cycles in %lld ms\n", kZoomCycles, MillisecondsSince(started));
    EXPECT_FALSE(Visible());
    ExpectNoGrowth(before, wintest::ResourceCensus::Take());
}
