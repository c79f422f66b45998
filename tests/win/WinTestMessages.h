// Message pumping for the Win32 tests: the thread that owns a window must
// pump for timers and for messages that other threads send to it.
#pragma once

#include <windows.h>

#include <chrono>

namespace wintest {

// Dispatches every message waiting for this thread, sent ones included.
inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps this thread's messages until done() holds or the deadline passes.
template <typename F> bool PumpUntil(F done, std::chrono::milliseconds deadline) {
    auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

} // namespace wintest
