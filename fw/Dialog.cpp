#include "fw/Dialog.h"

#include "fw/WinApp.h"

namespace fw {

INT_PTR CDialog::DoModal() {
    SubclassNextWindow(this);
    HWND parent = m_pParent != nullptr ? m_pParent->m_hWnd : nullptr;
    INT_PTR result = ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId),
                                       parent, &CWnd::DefaultDialogProc, 0);
    // A template that failed to load created no window.
    CancelSubclassNextWindow();
    return result;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

BOOL CDialog::OnCommand(UINT id, UINT) {
    switch (id) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    }
    return FALSE;
}

} // namespace fw
