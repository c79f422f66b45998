// Modal dialog on a dialog template. The dialog manager creates the window;
// the framework binds it to the object before its first message (path (b) of
// Wnd.h), so the dialog gets WM_NCCREATE and WM_CREATE like any other window
// of ours.
#pragma once

#include "fw/Wnd.h"

namespace fw {

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_templateId(templateId), m_pParent(parent) {}

    // Runs the dialog until EndDialog; -1 when it could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(UINT id, UINT code) override;

private:
    UINT m_templateId;
    CWnd* m_pParent;
};

} // namespace fw
