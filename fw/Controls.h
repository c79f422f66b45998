// The common controls the settings page uses.
#pragma once

#include "fw/Wnd.h"

#include <commctrl.h>

namespace fw {

// Subclasses the dialog's control id into wnd (path (c) of Wnd.h).
inline void DDX_Control(HWND dialog, int id, CWnd& wnd) {
    if (wnd.m_hWnd == nullptr) {
        wnd.SubclassWindow(::GetDlgItem(dialog, id));
    }
}

class CSliderCtrl : public CWnd {
public:
    void SetRange(int min, int max, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, FALSE, min);
        SendMessage(TBM_SETRANGEMAX, redraw, max);
    }
    void SetPageSize(int size) { SendMessage(TBM_SETPAGESIZE, 0, size); }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
};

class CHotKeyCtrl : public CWnd {};

} // namespace fw
