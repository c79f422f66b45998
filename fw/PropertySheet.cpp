#include "fw/PropertySheet.h"

#include "fw/DialogTemplate.h"
#include "fw/WinApp.h"

namespace fw {

CPropertyPage::CPropertyPage(UINT templateId) {
    m_psp.dwSize = sizeof m_psp;
    m_psp.dwFlags = PSP_DEFAULT | PSP_USECALLBACK;
    m_psp.hInstance = AfxGetInstanceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = &CWnd::DefaultDialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    m_psp.pfnCallback = &CPropertyPage::PageCallback;
}

// The sheet calls this right before it creates the page's window, whenever it
// does (when the page is first shown, or with the sheet): the window is then
// bound like that of any dialog. The sheet that drives this is still running
// its own modal call, which cancels a binding whose window never came.
UINT CALLBACK CPropertyPage::PageCallback(HWND, UINT msg, PROPSHEETPAGEW* page) {
    if (msg == PSPCB_CREATE) {
        SubclassNextWindow(reinterpret_cast<CPropertyPage*>(page->lParam));
    }
    // Let the page be created; the other notifications want no answer.
    return TRUE;
}

BOOL CPropertyPage::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

BOOL CPropertyPage::OnApply() {
    return TRUE;
}

LRESULT CPropertyPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

LRESULT CPropertyPage::OnNotify(const NMHDR& header) {
    switch (header.code) {
    case PSN_APPLY: return OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    }
    return Default();
}

CPropertySheet::CPropertySheet(std::wstring caption, CWnd* parent) : m_caption(std::move(caption)) {
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.hwndParent = parent != nullptr ? parent->m_hWnd : nullptr;
    m_psh.hInstance = AfxGetInstanceHandle();
    m_psh.pszCaption = m_caption.c_str();
}

LRESULT CPropertySheet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

BOOL CPropertySheet::OnInitDialog() {
    const BOOL result = static_cast<BOOL>(Default());
    CreatePrematurePages();
    return result;
}

// A PSP_PREMATURE page is made with the sheet, as the system's sheets do,
// so that it reads its values when the sheet opens and is applied on OK even
// if never shown. Wine's sheets make such a page only when it is shown: there
// each one is shown once, before the sheet is, and the start page again.
void CPropertySheet::CreatePrematurePages() {
    bool shown = false;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if ((m_pages[i]->m_psp.dwFlags & PSP_PREMATURE) != 0 &&
            SendMessage(PSM_INDEXTOHWND, i) == 0) {
            SendMessage(PSM_SETCURSEL, i);
            shown = true;
        }
    }
    if (shown) {
        SendMessage(PSM_SETCURSEL, m_psh.nStartPage);
    }
}

namespace {

// The template of a dialog resource, or an empty span.
std::pair<const BYTE*, size_t> DialogResource(HMODULE module, LPCWSTR name) {
    HRSRC info = ::FindResourceW(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL data = info != nullptr ? ::LoadResource(module, info) : nullptr;
    if (data == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<const BYTE*>(::LockResource(data)), ::SizeofResource(module, info)};
}

// The font of the system's own property-sheet template, in which the sheet
// measures the pages.
bool SheetFont(DialogFont& font) {
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    auto [tmpl, size] = DialogResource(comctl, MAKEINTRESOURCEW(1006));
    return tmpl != nullptr && ReadDialogFont(tmpl, size, font);
}

} // namespace

INT_PTR CPropertySheet::DoModal() {
    // The sheet sizes its page area in its own font; a page drawn in another
    // font would not fit it. Pages therefore take the sheet's font. Their
    // templates are the program's language, as the sheet would not choose.
    DialogFont sheetFont;
    bool haveSheetFont = SheetFont(sheetFont);
    std::vector<std::vector<BYTE>> templates;
    std::vector<HPROPSHEETPAGE> pages;
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEW psp = page->m_psp;
        auto [tmpl, size] =
            (psp.dwFlags & PSP_DLGINDIRECT) == 0
                ? AfxFindResource(MAKEINTRESOURCEW(5) /* RT_DIALOG */, psp.pszTemplate)
                : std::pair<const BYTE*, size_t>(nullptr, 0);
        if (tmpl != nullptr) {
            std::vector<BYTE> changed =
                haveSheetFont ? WithDialogFont(tmpl, size, sheetFont) : std::vector<BYTE>();
            if (!changed.empty()) {
                templates.push_back(std::move(changed));
                tmpl = templates.back().data();
            }
            psp.dwFlags |= PSP_DLGINDIRECT;
            psp.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(tmpl);
        }
        pages.push_back(::CreatePropertySheetPageW(&psp));
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
