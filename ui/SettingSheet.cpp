#include "ui/SettingSheet.h"

#include "app/LoupaDlg.h"
#include "resource.h"
#include "settings/Settings.h"
#include "ui/HotKeyModifiers.h"

CSettingPropetySheet::CSettingPropetySheet(fw::CWnd* parent) : CPropertySheet(L"設定", parent) {
    AddPage(&m_page);
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
    LoadCheck(IDC_CHECK_CTRL, L"MouseZoomCtrl");
    LoadCheck(IDC_CHECK_ALT, L"MouseZoomAlt");
    LoadCheck(IDC_CHECK_SHIFT, L"MouseZoomShift");
    LoadCheck(IDC_CHECK_WIN, L"MouseZoomWin");
    return TRUE;
}

void CPage1::LoadHotKey(CHotKeyExCtrl& control, const wchar_t* keySetting,
                        const wchar_t* modSetting) {
    WORD key = HotKeyLowWord(ReadSettingInt(keySetting));
    WORD flags = ModToHotKeyFlags(ReadSettingInt(modSetting));
    control.SetHotKeyEx(key, flags);
}

void CPage1::LoadCheck(int id, const wchar_t* setting) {
    bool on = (ReadSettingInt(setting) & 1) != 0;
    ::SendDlgItemMessageW(m_hWnd, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
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
    WriteSettingInt(L"MaxRateZoomIn", m_sliderZoomIn.GetPos());
    WriteSettingInt(L"MaxRateZoomOut", m_sliderZoomOut.GetPos());
    StoreCheck(IDC_CHECK_CTRL, L"MouseZoomCtrl");
    StoreCheck(IDC_CHECK_ALT, L"MouseZoomAlt");
    StoreCheck(IDC_CHECK_SHIFT, L"MouseZoomShift");
    StoreCheck(IDC_CHECK_WIN, L"MouseZoomWin");
    StoreHotKey(m_hotKeyZoomIn, L"HotKeyZoomIn", L"HotKeyModZoomIn");
    StoreHotKey(m_hotKeyZoomOut, L"HotKeyZoomOut", L"HotKeyModZoomOut");
    StoreHotKey(m_hotKeyZoomCancel, L"HotKeyZoomCancel", L"HotKeyModZoomCancel");

    // The new combinations work at once: the hot keys belong to the zoom
    // window of the main dialog, the sheet's parent.
    HWND sheet = GetParent();
    auto* mainDialog = dynamic_cast<CLoupaDlg*>(fw::CWnd::FromHandlePermanent(::GetParent(sheet)));
    if (mainDialog != nullptr && mainDialog->m_zoomWnd.m_hWnd != nullptr) {
        mainDialog->m_zoomWnd.RegisterHotKeysAnew();
    }
    return CPropertyPage::OnApply();
}

void CPage1::StoreHotKey(const CHotKeyExCtrl& control, const wchar_t* keySetting,
                         const wchar_t* modSetting) {
    WORD key = 0;
    WORD flags = 0;
    control.GetHotKeyEx(key, flags);
    WriteSettingInt(keySetting, key);
    WriteSettingInt(modSetting, HotKeyFlagsToMod(flags));
}

void CPage1::StoreCheck(int id, const wchar_t* setting) {
    LRESULT state = ::SendDlgItemMessageW(m_hWnd, id, BM_GETCHECK, 0, 0);
    WriteSettingInt(setting, (state & 1) != 0 ? 1 : 0);
}
