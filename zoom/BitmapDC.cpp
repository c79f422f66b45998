#include "zoom/BitmapDC.h"

CBitmapDC::~CBitmapDC() {
    Destroy();
}

void CBitmapDC::Destroy() {
    if (m_pOldBitmap != nullptr) {
        ::SelectObject(m_hDC, m_pOldBitmap);
        m_pOldBitmap = nullptr;
    }
    m_bitmap.Reset();
    if (m_hDC != nullptr) {
        ::DeleteDC(m_hDC);
        m_hDC = nullptr;
    }
    m_width = 0;
    m_height = 0;
}

BOOL CBitmapDC::Create(int cx, int cy) {
    Destroy();
    fw::CWindowDC screen(nullptr);
    m_bitmap.Reset(::CreateCompatibleBitmap(screen.m_hDC, cx, cy));
    m_hDC = ::CreateCompatibleDC(screen.m_hDC);
    if (!m_bitmap || m_hDC == nullptr) {
        Destroy();
        return FALSE;
    }
    m_pOldBitmap = ::SelectObject(m_hDC, m_bitmap.Get());
    m_width = cx;
    m_height = cy;
    return TRUE;
}
