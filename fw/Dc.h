// Device contexts: each class owns its DC for the scope of one use.
#pragma once

#include "fw/Handles.h"

namespace fw {

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Makes a memory DC compatible with dc the DC of this object, which
    // deletes it at DeleteDC or at its end. FALSE when GDI refuses.
    BOOL CreateCompatibleDC(HDC dc) {
        m_memoryDC.Reset(::CreateCompatibleDC(dc));
        m_hDC = m_memoryDC.Get();
        return m_hDC != nullptr;
    }
    void DeleteDC() {
        m_memoryDC.Reset();
        m_hDC = nullptr;
    }

    // The DC drawn into.
    HDC m_hDC = nullptr;

private:
    MemoryDcOwner m_memoryDC;
};

// BeginPaint / EndPaint on a window.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() override { ::EndPaint(m_hWnd, &m_ps); }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
};

// GetDC / ReleaseDC; with no window, the whole screen.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::GetDC(hwnd); }
    ~CClientDC() override { ::ReleaseDC(m_hWnd, m_hDC); }

private:
    HWND m_hWnd;
};

// GetWindowDC / ReleaseDC; with no window, the whole screen.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::GetWindowDC(hwnd); }
    ~CWindowDC() override { ::ReleaseDC(m_hWnd, m_hDC); }

private:
    HWND m_hWnd;
};

} // namespace fw
