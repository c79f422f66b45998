// What one zoom tick and one mouse-hook call cost, measured on the real zoom
// window and the real hook procedure of Loupa.exe, on the screen-copy path
// with the snapshot (the path Loupa takes under Wine). A benchmark: it prints
// figures and asserts nothing.
//
//   LoupaTickBench.exe [samples]
#include "app/ZoomInput.h"
#include "input/InputHooks.h"
#include "settings/Settings.h"
#include "settings/core/SettingsCopy.h"
#include "zoom/Magnification.h"
#include "zoom/TextCaret.h"
#include "zoom/ZoomWnd.h"

#include <mmsystem.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The ticks that the zoom's own multimedia timer posted and the message loop
// dispatched: what the figures must be read against.
int g_postedTicks = 0;

// The bench's own setting.ini in the temporary folder, gone at the end.
class ScratchSettingFile {
public:
    ScratchSettingFile() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"loupa-tickbench-" +
                 std::to_wstring(::GetCurrentProcessId()) + L".ini";
    }
    ~ScratchSettingFile() { ::DeleteFileW(m_path.c_str()); }
    ScratchSettingFile(const ScratchSettingFile&) = delete;
    ScratchSettingFile& operator=(const ScratchSettingFile&) = delete;

    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

// Counts the paints a tick really made.
class CountingZoomWnd : public CZoomWnd {
public:
    CountingZoomWnd(ISettings& settings, IZoomInput& input) : CZoomWnd(settings, input, false) {}

    int paints = 0;

protected:
    void OnPaint() override {
        ++paints;
        CZoomWnd::OnPaint();
    }
};

struct Row {
    const char* what;
    int samples = 0;
    int callsPerSample = 0;
    double mean = 0;
    double median = 0;
    double p95 = 0;
    double max = 0;
    double cpu = 0; // CPU time of the process per call, over all samples
    char note[96] = {};
};

double MicrosecondsPerCount() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e6 / static_cast<double>(frequency.QuadPart);
}

// Times samples x callsPerSample calls of op; prepare runs before each sample,
// outside the timing. Fast operations are timed in batches: the counter ticks
// in tenths of a microsecond under Wine.
// User and kernel time of the whole process. Wine counts it in steps of
// 10 ms, so it is summed over all samples and spread over the calls.
double ProcessCpuMicroseconds() {
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto us = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10.0;
    };
    return us(kernel) + us(user);
}

template <typename Prepare, typename Op>
Row Measure(const char* what, int samples, int callsPerSample, Prepare prepare, Op op) {
    static const double usPerCount = MicrosecondsPerCount();
    std::vector<double> us;
    us.reserve(static_cast<size_t>(samples));
    double cpu = 0;
    for (int s = 0; s < samples; ++s) {
        prepare(s);
        LARGE_INTEGER t0;
        LARGE_INTEGER t1;
        const double cpu0 = ProcessCpuMicroseconds();
        ::QueryPerformanceCounter(&t0);
        for (int c = 0; c < callsPerSample; ++c) {
            op(s, c);
        }
        ::QueryPerformanceCounter(&t1);
        cpu += ProcessCpuMicroseconds() - cpu0;
        us.push_back(static_cast<double>(t1.QuadPart - t0.QuadPart) * usPerCount / callsPerSample);
    }
    Row row;
    row.what = what;
    row.samples = samples;
    row.callsPerSample = callsPerSample;
    double sum = 0;
    for (double v : us) {
        sum += v;
    }
    row.mean = sum / samples;
    std::sort(us.begin(), us.end());
    row.median = us[us.size() / 2];
    row.p95 = us[std::min(us.size() - 1, static_cast<size_t>(std::ceil(0.95 * us.size())) - 1)];
    row.max = us.back();
    row.cpu = cpu / samples / callsPerSample;
    return row;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        g_postedTicks += msg.message == WM_TIMER;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A loop over the screen in steps of about 60 pixels, so that every step
// moves the magnified area.
POINT PathPoint(int i) {
    const double pi = 3.14159265358979323846;
    const double angle = 2 * pi * (i % 64) / 64.0;
    return POINT{960 + static_cast<LONG>(600 * std::cos(angle)),
                 540 + static_cast<LONG>(300 * std::sin(angle))};
}

// Ctrl down or up as the hook reads it: the keyboard's own state, which only
// input changes.
void SetModifiers(bool ctrl) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_CONTROL;
    input.ki.dwFlags = ctrl ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
    Pump();
}

LRESULT HookCall(WPARAM message, MSLLHOOKSTRUCT& event) {
    return MouseHookProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&event));
}

void SetNote(Row& row, const char* format, int a, int b) {
    std::snprintf(row.note, sizeof row.note, format, a, b);
}

void Print(const std::vector<Row>& rows) {
    std::printf("%-50s %7s %6s %10s %10s %10s %10s %8s  %s\n", "operation", "samples", "calls",
                "mean us", "median us", "p95 us", "max us", "CPU us", "");
    for (const Row& r : rows) {
        std::printf("%-50s %7d %6d %10.2f %10.2f %10.2f %10.2f %8.1f  %s\n", r.what, r.samples,
                    r.callsPerSample, r.mean, r.median, r.p95, r.max, r.cpu, r.note);
    }
}

// What delivering a tick costs before any work is done in it: the zoom's
// multimedia timer, whose thread posts WM_TIMER to the window's thread (no
// second while one is queued), against a window timer. Both run for `ticks` periods of 50 ms into
// a window that only counts them; the process's CPU time is spread over the
// ticks.
int g_deliveredTicks = 0;
std::atomic<bool> g_tickQueued{false};

LRESULT CALLBACK CountTicksProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        g_tickQueued = false;
        ++g_deliveredTicks;
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void CALLBACK PostTickProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    if (!g_tickQueued.exchange(true) &&
        !::PostMessageW(reinterpret_cast<HWND>(user), WM_TIMER, 1, 0)) {
        g_tickQueued = false;
    }
}

double TickDeliveryCpu(bool multimedia, int ticks) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountTicksProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LoupaTickBenchTicks";
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    g_deliveredTicks = 0;
    const double cpu0 = ProcessCpuMicroseconds();
    UINT id = 0;
    if (multimedia) {
        id = ::timeSetEvent(50, 0, PostTickProc, reinterpret_cast<DWORD_PTR>(hwnd),
                            TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    } else {
        ::SetTimer(hwnd, 1, 50, nullptr);
    }
    while (g_deliveredTicks < ticks) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    if (multimedia) {
        ::timeKillEvent(id);
    } else {
        ::KillTimer(hwnd, 1);
    }
    const double cpu = (ProcessCpuMicroseconds() - cpu0) / ticks;
    ::DestroyWindow(hwnd);
    return cpu;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int samples = argc > 1 ? std::max(20, _wtoi(argv[1])) : 1000;
    ScratchSettingFile scratch;
    LoadSettingDefaults();
    SetSettingFilePath(scratch.Path());
    // Loupa under Wine: Windows 6 reported, no Magnification.dll, so the
    // screen is copied from a snapshot.
    g_osMajorVersion = 6;
    ::SetCursorPos(960, 540);

    // As the program runs: the hooks' and the tick's settings from memory.
    SettingsCopy settings(Settings());
    settings.Reload();
    ZoomInput input(settings);
    CountingZoomWnd wnd(settings, input);
    if (!wnd.CreateEx(0, nullptr, nullptr, 0, wnd.MonitorRect(), nullptr, 0)) {
        std::printf("the zoom window could not be created (error %lu)\n", ::GetLastError());
        return 1;
    }
    const RECT monitor = wnd.MonitorRect();
    wnd.ZoomIn();
    for (int i = 0; i < 12; ++i) {
        wnd.SendMessage(WM_TIMER, ZoomController::kTimerId, 0);
    }
    Pump();
    std::printf("LoupaTickBench: monitor %ldx%ld, screen copy from a snapshot, rate %.2f, "
                "timer period %d ms\n",
                monitor.right - monitor.left, monitor.bottom - monitor.top, wnd.Controller().Rate(),
                wnd.Controller().TimerPeriodMs());

    std::vector<Row> rows;
    int step = 0;
    auto tick = [&](int, int) { wnd.SendMessage(WM_TIMER, ZoomController::kTimerId, 0); };
    auto moveCursor = [&](int) {
        Pump();
        POINT p = PathPoint(++step);
        ::SetCursorPos(p.x, p.y);
    };
    auto countFrom = [&](Row row, int paints, int timerTicks) {
        SetNote(row, "paints %d, timer ticks meanwhile %d", wnd.paints - paints,
                g_postedTicks - timerTicks);
        rows.push_back(row);
    };

    // Warm-up: the first ticks make what lives for the whole zoom.
    Measure("", 50, 1, moveCursor, tick);

    int paints = wnd.paints;
    int timerTicks = g_postedTicks;
    countFrom(Measure("tick, cursor moving (repaint)", samples, 1, moveCursor, tick), paints,
              timerTicks);

    // The same, with the message-loop turn that follows every tick in the
    // program, where Wine hands the window's new pixels to the X server.
    paints = wnd.paints;
    timerTicks = g_postedTicks;
    countFrom(Measure("tick + message-loop turn, cursor moving", samples, 1, moveCursor,
                      [&](int s, int c) {
                          tick(s, c);
                          Pump();
                      }),
              paints, timerTicks);

    ::SetCursorPos(960, 540);
    tick(0, 0);
    paints = wnd.paints;
    timerTicks = g_postedTicks;
    countFrom(Measure(
                  "tick, cursor still (repaint skipped)", samples, 1, [](int) { Pump(); }, tick),
              paints, timerTicks);

    // The reading options on: a caret and the focus looked for and the
    // picture inverted at every tick.
    settings.WriteSettingInt(kFollowCaretKey, 1);
    settings.WriteSettingInt(kInvertColorsKey, 1);
    settings.WriteSettingInt(kFollowFocusKey, 1);
    paints = wnd.paints;
    timerTicks = g_postedTicks;
    countFrom(
        Measure("tick, cursor moving, the three reading options on", samples, 1, moveCursor, tick),
        paints, timerTicks);
    settings.WriteSettingInt(kFollowCaretKey, 0);
    settings.WriteSettingInt(kInvertColorsKey, 0);
    settings.WriteSettingInt(kFollowFocusKey, 0);
    tick(0, 0);
    rows.push_back(Measure(
        "  of which the system caret lookup", samples, 1, [](int) { Pump(); },
        [](int, int) { ForegroundSystemCaret(); }));
    // Read at every tick, options on or off.
    rows.push_back(Measure(
        "  of which the three view settings read", samples, 1, [](int) { Pump(); },
        [&](int, int) {
            settings.ReadSettingInt(kFollowCaretKey);
            settings.ReadSettingInt(kInvertColorsKey);
            settings.ReadSettingInt(kFollowFocusKey);
        }));

    // The Win32 calls a tick is made of, one group at a time, on the same
    // window: where the time of a tick goes.
    const HWND hwnd = wnd.m_hWnd;
    rows.push_back(Measure(
        "  of which geometry (cursor, client)", samples, 1, [](int) { Pump(); },
        [&](int, int) {
            POINT pt;
            ::GetCursorPos(&pt);
            RECT client;
            ::GetClientRect(hwnd, &client);
            ::ScreenToClient(hwnd, &pt);
            ::IsWindowVisible(hwnd);
        }));
    rows.push_back(Measure(
        "  of which placement check (rect, windows above)", samples, 1, [](int) { Pump(); },
        [&](int, int) {
            RECT rect;
            ::GetWindowRect(hwnd, &rect);
            for (HWND above = ::GetWindow(hwnd, GW_HWNDPREV); above != nullptr;
                 above = ::GetWindow(above, GW_HWNDPREV)) {
                ::IsWindowVisible(above);
            }
        }));
    // What a tick adds when the cursor has crossed to another monitor, or
    // something was put above the zoom window.
    rows.push_back(Measure(
        "monitor lookup (cursor left the monitor)", samples, 1, [](int) { Pump(); },
        [&](int, int) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            ::GetMonitorInfoW(::MonitorFromPoint(POINT{960, 540}, MONITOR_DEFAULTTOPRIMARY), &info);
        }));
    rows.push_back(Measure(
        "placement (SetWindowPos top-most)", samples, 1, [](int) { Pump(); },
        [&](int, int) {
            ::SetWindowPos(hwnd, HWND_TOPMOST, monitor.left, monitor.top,
                           monitor.right - monitor.left, monitor.bottom - monitor.top,
                           SWP_NOACTIVATE);
        }));
    paints = wnd.paints;
    timerTicks = g_postedTicks;
    countFrom(Measure(
                  "tick's repaint (invalidate, paint 4x + caption)", samples, 1,
                  [](int) { Pump(); },
                  [&](int, int) {
                      ::InvalidateRect(hwnd, nullptr, FALSE);
                      ::UpdateWindow(hwnd);
                  }),
              paints, timerTicks);

    const int hookCalls = 1000;
    MSLLHOOKSTRUCT event{};
    event.pt = POINT{960, 540};
    SetModifiers(false);
    rows.push_back(Measure(
        "mouse hook, non-wheel event (WM_MOUSEMOVE)", samples, hookCalls, [](int) {},
        [&](int, int) { HookCall(WM_MOUSEMOVE, event); }));

    // What every hook procedure pays for passing an event on.
    rows.push_back(Measure(
        "  of which CallNextHookEx", samples, hookCalls, [](int) {},
        [&](int, int) {
            ::CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&event));
        }));

    event.mouseData = static_cast<DWORD>(WHEEL_DELTA) << 16;
    const double rateBefore = wnd.Controller().Rate();
    Row wheel = Measure(
        "mouse hook, wheel, chord not held", samples / 4, 1, [](int) {},
        [&](int, int) { HookCall(WM_MOUSEWHEEL, event); });
    std::snprintf(wheel.note, sizeof wheel.note, "rate %.2f -> %.2f", rateBefore,
                  wnd.Controller().Rate());
    rows.push_back(wheel);

    // Held Ctrl matches the default chord: each event is a zoom step of 0.1,
    // forward and backward in turn, so the rate stays near 4.
    SetModifiers(true);
    int swallowed = 0;
    Row held = Measure(
        "mouse hook, wheel, chord held (zoom step)", samples / 4, 1, [](int) {},
        [&](int s, int) {
            event.mouseData = static_cast<DWORD>(s % 2 == 0 ? WHEEL_DELTA : -WHEEL_DELTA) << 16;
            swallowed += HookCall(WM_MOUSEWHEEL, event) == 1;
        });
    SetModifiers(false);
    SetNote(held, "swallowed %d of %d", swallowed, samples / 4);
    rows.push_back(held);

    Pump();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    const bool haveMemory = ::GetProcessMemoryInfo(
        ::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);

    // A zoom that starts: snapshot of the monitor, window shown off-screen,
    // first paint, a 10 ms pause, placement; then closed again.
    wnd.CancelZoom();
    for (int i = 0; i < 12; ++i) {
        wnd.SendMessage(WM_TIMER, ZoomController::kTimerId, 0);
    }
    Pump();
    rows.push_back(Measure(
        "zoom start (snapshot, show, paint, 10 ms pause)", 20, 1,
        [&](int) {
            wnd.SendMessage(WM_ZOOMWHEEL, 0, 0);
            Pump();
        },
        [&](int, int) { wnd.SendMessage(WM_ZOOMWHEEL, 1, 0); }));
    wnd.SendMessage(WM_ZOOMWHEEL, 0, 0);
    Pump();

    Print(rows);
    const int deliveryTicks = 200;
    const double multimediaCpu = TickDeliveryCpu(true, deliveryTicks);
    const double windowTimerCpu = TickDeliveryCpu(false, deliveryTicks);
    std::printf("tick delivery alone, CPU us per tick over %d ticks: multimedia timer with "
                "PostMessage from its thread %.0f, window timer %.0f\n",
                deliveryTicks, multimediaCpu, windowTimerCpu);
    if (haveMemory) {
        // Wine leaves PrivateUsage at 0; the commit charge is the same figure
        // on Windows.
        std::printf("memory while zoomed: private %.1f MB, commit %.1f MB, working set %.1f MB "
                    "(peak %.1f MB)\n",
                    memory.PrivateUsage / 1048576.0, memory.PagefileUsage / 1048576.0,
                    memory.WorkingSetSize / 1048576.0, memory.PeakWorkingSetSize / 1048576.0);
    }
    wnd.DestroyWindow();
    return 0;
}
