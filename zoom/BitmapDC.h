// Off-screen memory DC of the screen-copy path: holds the snapshot of the
// monitor that the zoom window magnifies.
#pragma once

#include "fw/Dc.h"
#include "fw/Handles.h"

class CBitmapDC : public fw::CDC {
public:
    CBitmapDC() = default;
    ~CBitmapDC() override;

    // A memory DC with a screen-compatible bitmap of cx by cy pixels. Replaces
    // what was there before. FALSE when GDI refuses.
    bool Create(int cx, int cy);

    fw::BitmapOwner m_bitmap;
    HGDIOBJ m_pOldBitmap = nullptr;
    int m_width = 0;
    int m_height = 0;

private:
    void Destroy();
};
