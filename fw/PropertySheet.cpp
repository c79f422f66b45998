#include "fw/PropertySheet.h"

#include "fw/WinApp.h"

namespace fw {

CPropertyPage::CPropertyPage(UINT templateId) {
    m_psp.dwSize = sizeof m_psp;
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetInstanceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = &CPropertyPage::PageDialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The page is made by the sheet; its object arrives with WM_INITDIALOG.
    // From then on the window's messages go straight to WindowProc.
    if (msg == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CPropertyPage*>(
            reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        page->SubclassWindow(hwnd);
        return page->Dispatch(msg, wParam, lParam);
    }
    return FALSE;
}

BOOL CPropertyPage::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

LRESULT CPropertyPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
            return OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        }
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

CPropertySheet::CPropertySheet(const wchar_t* caption, CWnd* parent) {
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.hwndParent = parent != nullptr ? parent->m_hWnd : nullptr;
    m_psh.hInstance = AfxGetInstanceHandle();
    m_psh.pszCaption = caption;
}

INT_PTR CPropertySheet::DoModal() {
    std::vector<HPROPSHEETPAGE> pages;
    for (CPropertyPage* page : m_pages) {
        pages.push_back(::CreatePropertySheetPageW(&page->m_psp));
    }
    m_psh.nPages = static_cast<UINT>(pages.size());
    m_psh.phpage = pages.data();
    m_psh.dwFlags &= ~(PSH_PROPSHEETPAGE | PSH_MODELESS);
    SubclassNextWindow(this);
    INT_PTR result = ::PropertySheetW(&m_psh);
    CancelSubclassNextWindow();
    return result;
}

} // namespace fw
