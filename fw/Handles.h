// Move-only owners for handles that the program creates for one use.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// Owns one handle and frees it with Free at scope end. Not copyable: two
// owners of one handle would free it twice.
template <typename H, auto Free> class HandleOwner {
public:
    HandleOwner() = default;
    explicit HandleOwner(H h) : m_h(h) {}
    ~HandleOwner() { Reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    HandleOwner(HandleOwner&& other) noexcept : m_h(std::exchange(other.m_h, H{})) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_h, H{}));
        }
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != H{}; }
    H Release() { return std::exchange(m_h, H{}); }
    void Reset(H h = H{}) {
        if (m_h != H{}) {
            Free(m_h);
        }
        m_h = h;
    }

private:
    H m_h{};
};

using MenuOwner = HandleOwner<HMENU, &DestroyMenu>;
using FontOwner = HandleOwner<HFONT, &DeleteObject>;
using BitmapOwner = HandleOwner<HBITMAP, &DeleteObject>;
using IconOwner = HandleOwner<HICON, &DestroyIcon>;
using HookOwner = HandleOwner<HHOOK, &UnhookWindowsHookEx>;

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
