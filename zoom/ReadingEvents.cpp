#include "zoom/ReadingEvents.h"

#include "fw/SystemLibrary.h"
#include "zoom/TextCaret.h"

#include <oleacc.h>

#include <mutex>

namespace {

// A program that does not answer within this time is skipped: its event is
// dropped, and the next one finds it answering again or not.
constexpr UINT kAnswerTimeoutMs = 100;
// How long the window's end waits for the thread to finish a call.
constexpr DWORD kStopWaitMs = 1000;
// To the thread: wParam listens for carets, lParam for the focus.
constexpr UINT kWatchMessage = WM_APP + 1;

using WinEventHookOwner = fw::HandleOwner<HWINEVENTHOOK, &UnhookWinEvent>;

bool Answers(HWND hwnd) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                                 kAnswerTimeoutMs, &result) != 0;
}

// oleacc.dll is not one of the system's known DLLs: imported, a copy planted
// beside Loupa.exe would be loaded first. Bound at its first use instead.
using AccessibleObjectFromEventProc = HRESULT(WINAPI*)(HWND, DWORD, DWORD, IAccessible**,
                                                       VARIANT*);
AccessibleObjectFromEventProc AccessibleObjectFromEventEntry() {
    static const fw::ModuleOwner module = fw::LoadSystemLibrary(L"oleacc.dll");
    static const auto entry =
        fw::ProcAddress<AccessibleObjectFromEventProc>(module.Get(), "AccessibleObjectFromEvent");
    return entry;
}

// The screen rectangle of the object an event names, as its program gives
// it, in that program's own terms; nothing when it gives none.
std::optional<RECT> AccessibleRect(HWND hwnd, LONG idObject, LONG idChild) {
    fw::ComRef<IAccessible> object;
    VARIANT child;
    ::VariantInit(&child);
    const AccessibleObjectFromEventProc fromEvent = AccessibleObjectFromEventEntry();
    if (fromEvent == nullptr ||
        FAILED(fromEvent(hwnd, static_cast<DWORD>(idObject), static_cast<DWORD>(idChild),
                         object.Put(), &child)) ||
        !object) {
        return std::nullopt;
    }
    long left = 0, top = 0, width = 0, height = 0;
    const HRESULT located = object->accLocation(&left, &top, &width, &height, child);
    ::VariantClear(&child);
    if (located != S_OK || width < 0 || height < 0 || (width == 0 && height == 0)) {
        return std::nullopt;
    }
    return RECT{left, top, left + width, top + height};
}

} // namespace

struct CReadingEvents::Shared {
    mutable std::mutex lock;
    // Counts the Watch calls: a result found under an older count is stale.
    std::uint32_t generation = 0;
    std::uint32_t focusChanges = 0;
    std::optional<FocusMark> focus;
    std::optional<AccessibleCaret> caret;
    HANDLE ready = nullptr;

    // The thread's own.
    WinEventHookOwner caretHook;
    WinEventHookOwner caretHiddenHook;
    WinEventHookOwner focusHook;
    // The object an event names.
    struct Named {
        HWND hwnd;
        LONG idObject;
        LONG idChild;
    };
    // The latest event of each kind not handled yet. A call into another
    // program lets further events in while it waits; they wait here instead
    // of piling up calls inside it, and a flood costs one call per kind.
    std::optional<Named> pendingFocus;
    std::optional<Named> pendingCaret;
    bool handling = false;

    static DWORD WINAPI Run(void* param);
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                                 DWORD thread, DWORD time);
    void Listen(bool carets, bool focus);
    void HandlePending();
    void OnFocus(const Named& object);
    void OnCaretMoved(const Named& object);
    // Where object is, in physical pixels; its window's rectangle when
    // withWindow and the object tells nothing; nothing from a program that
    // does not answer.
    static std::optional<RECT> Locate(const Named& object, bool withWindow);
    std::uint32_t Generation() const;
};

namespace {
// The Shared of the thread the callbacks run on.
thread_local CReadingEvents::Shared* t_shared = nullptr;
} // namespace

CReadingEvents::CReadingEvents() : m_shared(std::make_shared<Shared>()) {
    fw::KernelHandleOwner ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_shared->ready = ready.Get();
    auto* owner = new std::shared_ptr<Shared>(m_shared);
    m_thread.Reset(::CreateThread(nullptr, 0, &Shared::Run, owner, 0, &m_threadId));
    if (!m_thread) {
        delete owner;
        return;
    }
    // Its message queue exists once it is ready: Watch posts to it.
    ::WaitForSingleObject(ready.Get(), INFINITE);
}

CReadingEvents::~CReadingEvents() {
    if (m_thread) {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread.Get(), kStopWaitMs);
    }
}

void CReadingEvents::Watch(bool carets, bool focus) {
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        ++m_shared->generation;
        if (!carets) {
            m_shared->caret.reset();
        }
        if (!focus) {
            m_shared->focus.reset();
        }
    }
    ::PostThreadMessageW(m_threadId, kWatchMessage, carets, focus);
}

std::optional<FocusMark> CReadingEvents::Focus() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->focus;
}

std::optional<CReadingEvents::AccessibleCaret> CReadingEvents::Caret() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->caret;
}

DWORD WINAPI CReadingEvents::Shared::Run(void* param) {
    const std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared>*>(param);
    delete static_cast<std::shared_ptr<Shared>*>(param);
    t_shared = shared.get();
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(shared->ready);
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kWatchMessage) {
            shared->Listen(msg.wParam != 0, msg.lParam != 0);
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    shared->Listen(false, false);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    t_shared = nullptr;
    return 0;
}

void CReadingEvents::Shared::Listen(bool carets, bool focus) {
    // Out of context: the events come to this thread's queue, and nothing of
    // Loupa runs inside other programs. Loupa's own windows are left out:
    // asking them would make this thread wait on the zoom's.
    constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    const auto hook = [](WinEventHookOwner& owner, bool on, DWORD event) {
        if (on && !owner) {
            owner.Reset(::SetWinEventHook(event, event, nullptr, &Shared::OnEvent, 0, 0, kFlags));
        } else if (!on) {
            owner.Reset();
        }
    };
    hook(caretHook, carets, EVENT_OBJECT_LOCATIONCHANGE);
    hook(caretHiddenHook, carets, EVENT_OBJECT_HIDE);
    hook(focusHook, focus, EVENT_OBJECT_FOCUS);
}

std::uint32_t CReadingEvents::Shared::Generation() const {
    std::lock_guard<std::mutex> hold(lock);
    return generation;
}

void CALLBACK CReadingEvents::Shared::OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject,
                                              LONG idChild, DWORD thread, DWORD) {
    Shared* shared = t_shared;
    if (shared == nullptr || hwnd == nullptr) {
        return;
    }
    switch (event) {
    case EVENT_OBJECT_FOCUS:
        shared->pendingFocus = Named{hwnd, idObject, idChild};
        shared->HandlePending();
        break;
    case EVENT_OBJECT_LOCATIONCHANGE:
        if (idObject == OBJID_CARET) {
            // A system caret is read directly at every tick; its events
            // would only cost calls.
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (!::GetGUIThreadInfo(thread, &info) || info.hwndCaret != hwnd) {
                shared->pendingCaret = Named{hwnd, idObject, idChild};
                shared->HandlePending();
            }
        }
        break;
    case EVENT_OBJECT_HIDE:
        if (idObject == OBJID_CARET) {
            std::lock_guard<std::mutex> hold(shared->lock);
            if (shared->caret && shared->caret->root == ::GetAncestor(hwnd, GA_ROOT)) {
                shared->caret.reset();
            }
        }
        break;
    }
}

void CReadingEvents::Shared::HandlePending() {
    if (handling) {
        return;
    }
    handling = true;
    while (pendingFocus || pendingCaret) {
        if (pendingFocus) {
            const Named object = *pendingFocus;
            pendingFocus.reset();
            OnFocus(object);
        } else {
            const Named object = *pendingCaret;
            pendingCaret.reset();
            OnCaretMoved(object);
        }
    }
    handling = false;
}

std::optional<RECT> CReadingEvents::Shared::Locate(const Named& object, bool withWindow) {
    const auto [hwnd, idObject, idChild] = object;
    if (!Answers(hwnd)) {
        return std::nullopt;
    }
    std::optional<RECT> rect;
    {
        WindowDpiScope own(hwnd);
        rect = AccessibleRect(hwnd, idObject, idChild);
        RECT window{};
        if (!rect && withWindow && ::GetWindowRect(hwnd, &window)) {
            rect = window;
        }
    }
    if (!rect) {
        return std::nullopt;
    }
    return LogicalToPhysicalRect(hwnd, *rect);
}

void CReadingEvents::Shared::OnFocus(const Named& object) {
    const std::uint32_t asked = Generation();
    const std::optional<RECT> physical = Locate(object, true);
    if (!physical) {
        return;
    }
    std::lock_guard<std::mutex> hold(lock);
    if (generation == asked) {
        focus = FocusMark{*physical, ++focusChanges};
    }
}

void CReadingEvents::Shared::OnCaretMoved(const Named& object) {
    const HWND hwnd = object.hwnd;
    const std::uint32_t asked = Generation();
    const std::optional<RECT> located = Locate(object, false);
    if (!located) {
        return;
    }
    const RECT physical = *located;
    const POINT middle{(physical.left + physical.right) / 2, (physical.top + physical.bottom) / 2};
    std::lock_guard<std::mutex> hold(lock);
    if (generation == asked) {
        caret = AccessibleCaret{middle, ::GetAncestor(hwnd, GA_ROOT)};
    }
}
