// The window framework on real windows: binding, dispatch to the named
// handlers, default processing and unbinding; the debugger trace.
#include "fw/Trace.h"
#include "fw/Wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr UINT kProbe = WM_APP + 1;

// Records what the framework calls, and what it sees at each call.
class RecordingWnd : public fw::CWnd {
public:
    struct Call {
        const char* what;
        HWND hwnd;        // m_hWnd at the time of the call
        bool boundToThis; // FromHandlePermanent(window) == this
    };

    std::vector<Call> calls;
    std::vector<UINT> defaults; // messages that reached DefWindowProc
    HWND created = nullptr;
    int createResult = 0;
    bool probeDuringCreate = false;

    BOOL Create() {
        RECT rect{10, 10, 110, 60};
        return CreateEx(0, nullptr, L"framework test", WS_POPUP, rect, nullptr, 0);
    }

    size_t Count(const char* what) const {
        size_t n = 0;
        for (const Call& call : calls) {
            n += std::string(call.what) == what ? 1 : 0;
        }
        return n;
    }

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        defaults.push_back(msg);
        return CWnd::DefWindowProc(msg, wParam, lParam);
    }

protected:
    void Record(const char* what, HWND window) {
        calls.push_back({what, m_hWnd, FromHandlePermanent(window) == this});
    }

    int OnCreate(LPCREATESTRUCTW cs) override {
        created = m_hWnd;
        Record("OnCreate", m_hWnd);
        EXPECT_EQ(cs->lpCreateParams, this);
        if (probeDuringCreate) {
            // A message sent from inside a handler must not change what
            // the outer handler's default processing works on.
            SendMessage(kProbe);
        }
        int result = int(Default());
        return createResult != 0 ? createResult : result;
    }

    void OnDestroy() override {
        Record("OnDestroy", m_hWnd);
        Default();
    }
};

TEST(CWnd_Create, BindsBeforeOnCreateAndDispatchesIt) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());

    ASSERT_NE(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    ASSERT_EQ(wnd.Count("OnCreate"), 1u);
    EXPECT_EQ(wnd.calls[0].hwnd, wnd.m_hWnd);
    EXPECT_TRUE(wnd.calls[0].boundToThis);
    EXPECT_EQ(fw::CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    wnd.DestroyWindow();
}

TEST(CWnd_Create, OnCreateFailureFailsCreationAndUnbinds) {
    RecordingWnd wnd;
    wnd.createResult = -1;

    EXPECT_FALSE(wnd.Create());

    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(wnd.Count("OnCreate"), 1u);
    EXPECT_FALSE(::IsWindow(wnd.created));
}

TEST(CWnd_Dispatch, DefaultWorksOnTheMessageBeingHandled) {
    RecordingWnd wnd;
    wnd.probeDuringCreate = true;
    ASSERT_TRUE(wnd.Create());

    // The probe got default processing, and right after it WM_CREATE, not
    // the probe a second time.
    auto probe = std::find(wnd.defaults.begin(), wnd.defaults.end(), kProbe);
    ASSERT_NE(probe, wnd.defaults.end());
    ASSERT_NE(probe + 1, wnd.defaults.end());
    EXPECT_EQ(*(probe + 1), UINT(WM_CREATE));
    wnd.DestroyWindow();
}

TEST(CWnd_Dispatch, UnhandledMessagesGetDefaultProcessing) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.defaults.clear();

    wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"new caption"));

    ASSERT_EQ(wnd.defaults.size(), 1u);
    EXPECT_EQ(wnd.defaults[0], UINT(WM_SETTEXT));
    wchar_t text[32] = {};
    ::GetWindowTextW(wnd.m_hWnd, text, 32);
    EXPECT_STREQ(text, L"new caption");
    wnd.DestroyWindow();
}

TEST(CWnd_Destroy, DispatchesOnDestroyThenUnbindsAtNcDestroy) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    HWND hwnd = wnd.m_hWnd;

    ASSERT_TRUE(wnd.DestroyWindow());

    ASSERT_EQ(wnd.calls.size(), 2u);
    EXPECT_STREQ(wnd.calls[1].what, "OnDestroy");
    EXPECT_EQ(wnd.calls[1].hwnd, hwnd); // still bound while being destroyed
    EXPECT_TRUE(wnd.calls[1].boundToThis);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(CWnd_Destroy, DestructorUnbindsAWindowThatOutlivesIt) {
    HWND hwnd = nullptr;
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.Create());
        hwnd = wnd.m_hWnd;
    }
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(fw::CWnd::FromHandlePermanent(hwnd), nullptr);
    // No handler of the gone object runs; the window gets default processing.
    ::SetWindowTextW(hwnd, L"unbound");
    EXPECT_TRUE(::DestroyWindow(hwnd));
}

TEST(CWnd_Destroy, DestroyWithoutWindowFails) {
    RecordingWnd wnd;
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.calls.empty());
}

// Without a debugger, OutputDebugString raises an exception that carries the
// text (wide, or narrow); a vectored handler sees it before the system's own.
std::wstring g_debugOutput;

LONG CALLBACK CaptureDebugOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode == 0x4001000A /* DBG_PRINTEXCEPTION_WIDE_C */) {
        g_debugOutput += reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    } else if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && g_debugOutput.empty()) {
        for (const char* c = reinterpret_cast<const char*>(record.ExceptionInformation[1]); *c;) {
            g_debugOutput += static_cast<wchar_t>(*c++);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(Trace, WritesTheCallAndItsCodeForTheDebugger) {
    void* handler = ::AddVectoredExceptionHandler(1, &CaptureDebugOutput);
    ASSERT_NE(handler, nullptr);
    g_debugOutput.clear();
    fw::Trace(L"OleInitialize", 0x80010106u);
    ::RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(g_debugOutput, L"OleInitialize failed: error 2147549446 (0x80010106)\n");
}

} // namespace
