// Where the keyboard focus and the carets that are not the system caret go,
// learnt from WinEvents on a thread of its own. Finding their rectangles
// means calls into other programs; made there, they never hold up the zoom's
// thread, which only reads the last results from memory.
#pragma once

#include "fw/Handles.h"
#include "zoom/core/ZoomController.h"

#include <windows.h>

#include <memory>
#include <optional>

class CReadingEvents {
public:
    // A caret that its program reports through accessibility.
    struct AccessibleCaret {
        // The middle of its rectangle, in physical screen coordinates.
        POINT middle;
        // The top-level window it lies in.
        HWND root;
    };

    // Starts the thread; it listens for nothing until Watch asks.
    CReadingEvents();
    // Stops the thread. One still inside a call into another program is
    // not waited for beyond a moment: it ends on its own.
    ~CReadingEvents();
    CReadingEvents(const CReadingEvents&) = delete;
    CReadingEvents& operator=(const CReadingEvents&) = delete;

    // Listens for accessible caret moves and for focus changes, or stops;
    // a source turned off forgets what it learnt.
    void Watch(bool carets, bool focus);
    std::optional<FocusMark> Focus() const;
    std::optional<AccessibleCaret> Caret() const;

    // What the thread shares with its owner. The thread holds it too, so
    // that one still busy when its owner goes ends safely.
    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    fw::KernelHandleOwner m_thread;
    DWORD m_threadId = 0;
};
