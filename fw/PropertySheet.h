// Modal property sheet with its pages. The sheet and each page are bound to
// their objects as the system creates them (path (b) of Wnd.h).
#pragma once

#include "fw/Wnd.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

namespace fw {

class CPropertyPage : public CWnd {
public:
    explicit CPropertyPage(UINT templateId);

    // Filled in by the constructor; the opener may change the flags but must
    // keep PSP_USECALLBACK, through which the page's window is bound.
    PROPSHEETPAGEW m_psp{};

protected:
    // Binds members to their controls; runs first in OnInitDialog.
    virtual void DoDataExchange() {}
    virtual BOOL OnInitDialog();
    // The sheet's OK: store what the page shows. TRUE lets the sheet close.
    virtual BOOL OnApply();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnNotify(const NMHDR& header);

    static UINT CALLBACK PageCallback(HWND hwnd, UINT msg, PROPSHEETPAGEW* page);
};

class CPropertySheet : public CWnd {
public:
    CPropertySheet(std::wstring caption, CWnd* parent);

    void AddPage(CPropertyPage* page) { m_pages.push_back(page); }
    // Runs the sheet until OK or Cancel; the result of PropertySheetW.
    virtual INT_PTR DoModal();

    // Filled in by the constructor; the opener may change the flags.
    PROPSHEETHEADERW m_psh{};

protected:
    virtual BOOL OnInitDialog();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreatePrematurePages();

    std::wstring m_caption;
    std::vector<CPropertyPage*> m_pages;
};

} // namespace fw
