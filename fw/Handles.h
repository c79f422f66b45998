// Move-only owners: every handle the program creates or loads is held by one
// of these and freed when its owner ends or is reset.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace fw {

// The empty value of most handles: null.
template <typename H> struct NullHandle {
    static constexpr H Value() { return H{}; }
};
// Files report failure with INVALID_HANDLE_VALUE rather than null.
struct InvalidHandleValue {
    static HANDLE Value() { return INVALID_HANDLE_VALUE; }
};

// Owns one handle and frees it with Free at scope end. Not copyable: two
// owners of one handle would free it twice.
template <typename H, auto Free, typename Empty = NullHandle<H>> class HandleOwner {
public:
    HandleOwner() = default;
    explicit HandleOwner(H h) : m_h(h) {}
    ~HandleOwner() { Reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    HandleOwner(HandleOwner&& other) noexcept : m_h(std::exchange(other.m_h, Empty::Value())) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_h, Empty::Value()));
        }
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != Empty::Value(); }
    void Reset(H h = Empty::Value()) {
        if (m_h != Empty::Value()) {
            Free(m_h);
        }
        m_h = h;
    }
    // Frees what is held and lends the slot to a call that hands a new handle
    // back through a pointer.
    H* Put() {
        Reset();
        return &m_h;
    }

private:
    H m_h = Empty::Value();
};

using MenuOwner = HandleOwner<HMENU, &DestroyMenu>;
using FontOwner = HandleOwner<HFONT, &DeleteObject>;
using BitmapOwner = HandleOwner<HBITMAP, &DeleteObject>;
// A DC made by CreateCompatibleDC (not one of a window: see Dc.h).
using MemoryDcOwner = HandleOwner<HDC, &DeleteDC>;
using IconOwner = HandleOwner<HICON, &DestroyIcon>;
using HookOwner = HandleOwner<HHOOK, &UnhookWindowsHookEx>;
using ModuleOwner = HandleOwner<HMODULE, &FreeLibrary>;
// Kernel objects whose creation fails with null, such as mutexes.
using KernelHandleOwner = HandleOwner<HANDLE, &CloseHandle>;
using FileOwner = HandleOwner<HANDLE, &CloseHandle, InvalidHandleValue>;
// Memory the shell or COM allocated for the caller (an item ID list, say).
template <typename T> using CoTaskMemOwner = HandleOwner<T*, &CoTaskMemFree>;

template <typename T> void ReleaseInterface(T* p) {
    p->Release();
}
// A COM interface pointer, released at scope end.
template <typename T> class ComRef : public HandleOwner<T*, &ReleaseInterface<T>> {
public:
    T* operator->() const { return this->Get(); }
    // The slot for the calls that hand an interface back as void**.
    void** Out() { return reinterpret_cast<void**>(this->Put()); }
};

// Selects a GDI object into a DC and puts the previous one back at scope end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(SelectObject(dc, obj)) {}
    ~SelectedObject() {
        if (m_old != nullptr) {
            SelectObject(m_dc, m_old);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace fw
