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
    DeleteDC();
    m_width = 0;
    m_height = 0;
}

bool CBitmapDC::Create(int cx, int cy) {
    Destroy();
    fw::CWindowDC screen(nullptr);
    m_bitmap.Reset(::CreateCompatibleBitmap(screen.m_hDC, cx, cy));
    if (!CreateCompatibleDC(screen.m_hDC) || !m_bitmap) {
        Destroy();
        return false;
    }
    m_pOldBitmap = ::SelectObject(m_hDC, m_bitmap.Get());
    m_width = cx;
    m_height = cy;
    return true;
}
