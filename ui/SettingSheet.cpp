#include "ui/SettingSheet.h"

#include "app/LoupaDlg.h"
#include "fw/WinApp.h"
#include "resource.h"
#include "settings/Settings.h"
#include "ui/HotKeyModifiers.h"

namespace {

// Check boxes and stored flags: checked when bit 0 is set; stored as 1 or 0.
void LoadCheck(HWND page, int id, const wchar_t* setting) {
    bool on = (ReadSettingInt(setting) & 1) != 0;
    ::SendDlgItemMessageW(page, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool StoreCheck(HWND page, int id, const wchar_t* setting) {
    LRESULT state = ::SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0);
    return WriteSettingInt(setting, (state & 1) != 0 ? 1 : 0);
}

// Closing as if saved would leave the old values in force unnoticed; open,
// the sheet lets the user free the file and press OK again.
BOOL ReportNotSaved(HWND sheet) {
    std::wstring text = L"設定を保存できませんでした。\n" + SettingFilePath();
    fw::AfxMessageBox(sheet, text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

} // namespace

CSettingPropetySheet::CSettingPropetySheet(fw::CWnd* parent) : CPropertySheet(L"設定", parent) {
    AddPage(&m_page);
    AddPage(&m_page2);
}

CPage1::CPage1() : CPropertyPage(IDD_PAGE1) {}

void CPage1::DoDataExchange() {
    fw::DDX_Control(m_hWnd, IDC_SLIDER_ZOOMIN, m_sliderZoomIn);
    fw::DDX_Control(m_hWnd, IDC_SLIDER_ZOOMOUT, m_sliderZoomOut);
    fw::DDX_Control(m_hWnd, IDC_HOTKEY_ZOOMIN, m_hotKeyZoomIn);
    fw::DDX_Control(m_hWnd, IDC_HOTKEY_ZOOMOUT, m_hotKeyZoomOut);
    fw::DDX_Control(m_hWnd, IDC_HOTKEY_ZOOMCANCEL, m_hotKeyZoomCancel);
}

BOOL CPage1::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    for (fw::CSliderCtrl* slider : {&m_sliderZoomIn, &m_sliderZoomOut}) {
        slider->SetRange(1, 20, FALSE);
        slider->SetPageSize(1);
    }
    // Stored values are shown as they are; the slider clamps them to 1..20.
    m_sliderZoomIn.SetPos(ReadSettingInt(L"MaxRateZoomIn"));
    m_sliderZoomOut.SetPos(ReadSettingInt(L"MaxRateZoomOut"));
    LoadHotKey(m_hotKeyZoomIn, L"HotKeyZoomIn", L"HotKeyModZoomIn");
    LoadHotKey(m_hotKeyZoomOut, L"HotKeyZoomOut", L"HotKeyModZoomOut");
    LoadHotKey(m_hotKeyZoomCancel, L"HotKeyZoomCancel", L"HotKeyModZoomCancel");
    LoadCheck(m_hWnd, IDC_CHECK_CTRL, L"MouseZoomCtrl");
    LoadCheck(m_hWnd, IDC_CHECK_ALT, L"MouseZoomAlt");
    LoadCheck(m_hWnd, IDC_CHECK_SHIFT, L"MouseZoomShift");
    LoadCheck(m_hWnd, IDC_CHECK_WIN, L"MouseZoomWin");
    return TRUE;
}

void CPage1::LoadHotKey(CHotKeyExCtrl& control, const wchar_t* keySetting,
                        const wchar_t* modSetting) {
    WORD key = HotKeyLowWord(ReadSettingInt(keySetting));
    WORD flags = ModToHotKeyFlags(ReadSettingInt(modSetting));
    control.SetHotKeyEx(key, flags);
}

void CPage1::OnHScroll(UINT, UINT, HWND scrollBar) {
    if (scrollBar == m_sliderZoomIn.m_hWnd || scrollBar == m_sliderZoomOut.m_hWnd) {
        if (auto pos = ZoomOutSliderCorrection(m_sliderZoomIn.GetPos(), m_sliderZoomOut.GetPos())) {
            m_sliderZoomOut.SetPos(*pos);
        }
    }
    Default();
}

BOOL CPage1::OnApply() {
    // Every value is tried, also after a failure.
    bool saved = WriteSettingInt(L"MaxRateZoomIn", m_sliderZoomIn.GetPos());
    saved &= WriteSettingInt(L"MaxRateZoomOut", m_sliderZoomOut.GetPos());
    saved &= StoreCheck(m_hWnd, IDC_CHECK_CTRL, L"MouseZoomCtrl");
    saved &= StoreCheck(m_hWnd, IDC_CHECK_ALT, L"MouseZoomAlt");
    saved &= StoreCheck(m_hWnd, IDC_CHECK_SHIFT, L"MouseZoomShift");
    saved &= StoreCheck(m_hWnd, IDC_CHECK_WIN, L"MouseZoomWin");
    saved &= StoreHotKey(m_hotKeyZoomIn, L"HotKeyZoomIn", L"HotKeyModZoomIn");
    saved &= StoreHotKey(m_hotKeyZoomOut, L"HotKeyZoomOut", L"HotKeyModZoomOut");
    saved &= StoreHotKey(m_hotKeyZoomCancel, L"HotKeyZoomCancel", L"HotKeyModZoomCancel");

    // The new combinations work at once: the hot keys belong to the zoom
    // window of the main dialog, the sheet's parent.
    HWND sheet = GetParent();
    auto* mainDialog = dynamic_cast<CLoupaDlg*>(fw::CWnd::FromHandlePermanent(::GetParent(sheet)));
    if (mainDialog != nullptr && mainDialog->m_zoomWnd.m_hWnd != nullptr) {
        mainDialog->m_zoomWnd.RegisterHotKeysAnew();
    }
    if (!saved) {
        return ReportNotSaved(sheet);
    }
    return CPropertyPage::OnApply();
}

bool CPage1::StoreHotKey(const CHotKeyExCtrl& control, const wchar_t* keySetting,
                         const wchar_t* modSetting) {
    WORD key = 0;
    WORD flags = 0;
    control.GetHotKeyEx(key, flags);
    bool saved = WriteSettingInt(keySetting, key);
    return WriteSettingInt(modSetting, HotKeyFlagsToMod(flags)) && saved;
}

CPage2::CPage2() : CPropertyPage(IDD_PAGE2) {
    m_psp.dwFlags |= PSP_PREMATURE;
}

BOOL CPage2::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    LoadCheck(m_hWnd, IDC_CHECK_FOLLOWCARET, kFollowCaretKey);
    LoadCheck(m_hWnd, IDC_CHECK_INVERTCOLORS, kInvertColorsKey);
    return TRUE;
}

// The sheet applies its pages in order, and this one only once the first
// page has saved: its values follow the first page's.
BOOL CPage2::OnApply() {
    bool saved = StoreCheck(m_hWnd, IDC_CHECK_FOLLOWCARET, kFollowCaretKey);
    saved &= StoreCheck(m_hWnd, IDC_CHECK_INVERTCOLORS, kInvertColorsKey);
    if (!saved) {
        return ReportNotSaved(GetParent());
    }
    return CPropertyPage::OnApply();
}
