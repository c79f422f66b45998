#include "fw/Dialog.h"

#include "fw/WinApp.h"

namespace fw {

INT_PTR CDialog::DoModal() {
    auto [dialog, size] =
        AfxFindResource(MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(m_templateId));
    if (dialog == nullptr) {
        return -1;
    }
    SubclassNextWindow(this);
    HWND parent = m_pParent != nullptr ? m_pParent->m_hWnd : nullptr;
    INT_PTR result =
        ::DialogBoxIndirectParamW(AfxGetInstanceHandle(), reinterpret_cast<LPCDLGTEMPLATEW>(dialog),
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
