#include "ui/SettingSheet.h"

#include "fw/WinApp.h"
#include "resource.h"
#include "settings/Settings.h"
#include "settings/core/SettingsStore.h"
#include "ui/HotKeyNotice.h"
#include "ui/core/HotKeyModifiers.h"
#include "ui/core/HotKeyText.h"

namespace {

// Check boxes and stored flags: checked when bit 0 is set; stored as 1 or 0.
void LoadCheck(ISettings& settings, HWND page, int id, const wchar_t* setting) {
    bool on = (settings.ReadSettingInt(setting) & 1) != 0;
    ::SendDlgItemMessageW(page, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool StoreCheck(ISettings& settings, HWND page, int id, const wchar_t* setting) {
    LRESULT state = ::SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0);
    return settings.WriteSettingInt(setting, (state & 1) != 0 ? 1 : 0);
}

// Closing as if saved would leave the old values in force unnoticed; open,
// the sheet lets the user free the file and press OK again.
bool ReportNotSaved(HWND sheet) {
    std::wstring text = fw::AfxLoadString(IDS_SETTINGS_NOT_SAVED) + L"\n" + SettingFilePath();
    fw::AfxMessageBox(sheet, text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// A key that stays dead while the sheet closes as if all were well would
// fail the user unnoticed; open, the sheet lets them pick another. What OK
// stored stays stored.
bool ReportRefusedHotKeys(HWND sheet, ISettings& settings, const std::vector<int>& refused) {
    std::wstring text = JoinNotice(RefusedHotKeyLines(settings, refused),
                                   fw::AfxLoadString(IDS_HOTKEY_REFUSED_SHEET_HINT));
    fw::AfxMessageBox(sheet, text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

} // namespace

CSettingPropetySheet::CSettingPropetySheet(fw::CWnd* parent, ISettings& settings)
    : CPropertySheet(fw::AfxLoadString(IDS_SETTINGS_CAPTION), parent), m_page(settings),
      m_page2(settings) {
    AddPage(&m_page);
    AddPage(&m_page2);
}

CPage1::CPage1(ISettings& settings) : CPropertyPage(IDD_PAGE1), m_settings(settings) {}

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
    m_sliderZoomIn.SetPos(m_settings.ReadSettingInt(kMaxRateZoomInKey));
    m_sliderZoomOut.SetPos(m_settings.ReadSettingInt(kMaxRateZoomOutKey));
    LoadHotKey(m_hotKeyZoomIn, kHotKeyZoomInKey, kHotKeyModZoomInKey);
    LoadHotKey(m_hotKeyZoomOut, kHotKeyZoomOutKey, kHotKeyModZoomOutKey);
    LoadHotKey(m_hotKeyZoomCancel, kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_CTRL, kMouseZoomCtrlKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_ALT, kMouseZoomAltKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_SHIFT, kMouseZoomShiftKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_WIN, kMouseZoomWinKey);
    return TRUE;
}

void CPage1::LoadHotKey(CHotKeyExCtrl& control, const wchar_t* keySetting,
                        const wchar_t* modSetting) {
    WORD key = HotKeyLowWord(m_settings.ReadSettingInt(keySetting));
    WORD flags = ModToHotKeyFlags(m_settings.ReadSettingInt(modSetting));
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
    bool saved = m_settings.WriteSettingInt(kMaxRateZoomInKey, m_sliderZoomIn.GetPos());
    saved &= m_settings.WriteSettingInt(kMaxRateZoomOutKey, m_sliderZoomOut.GetPos());
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_CTRL, kMouseZoomCtrlKey);
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_ALT, kMouseZoomAltKey);
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_SHIFT, kMouseZoomShiftKey);
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_WIN, kMouseZoomWinKey);
    saved &= StoreHotKey(m_hotKeyZoomIn, kHotKeyZoomInKey, kHotKeyModZoomInKey);
    saved &= StoreHotKey(m_hotKeyZoomOut, kHotKeyZoomOutKey, kHotKeyModZoomOutKey);
    saved &= StoreHotKey(m_hotKeyZoomCancel, kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey);

    // The new combinations work at once: the hot keys belong to the main
    // dialog, the sheet's parent.
    HWND sheet = GetParent();
    auto* owner =
        dynamic_cast<ISettingSheetOwner*>(fw::CWnd::FromHandlePermanent(::GetParent(sheet)));
    std::vector<int> refused;
    if (owner != nullptr) {
        refused = owner->RegisterHotKeysAnew();
    }
    if (!saved) {
        return ReportNotSaved(sheet);
    }
    if (!refused.empty()) {
        return ReportRefusedHotKeys(sheet, m_settings, refused);
    }
    return CPropertyPage::OnApply();
}

bool CPage1::StoreHotKey(const CHotKeyExCtrl& control, const wchar_t* keySetting,
                         const wchar_t* modSetting) {
    WORD key = 0;
    WORD flags = 0;
    control.GetHotKeyEx(key, flags);
    bool saved = m_settings.WriteSettingInt(keySetting, key);
    return m_settings.WriteSettingInt(modSetting, HotKeyFlagsToMod(flags)) && saved;
}

CPage2::CPage2(ISettings& settings) : CPropertyPage(IDD_PAGE2), m_settings(settings) {
    m_psp.dwFlags |= PSP_PREMATURE;
}

BOOL CPage2::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_FOLLOWCARET, kFollowCaretKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_INVERTCOLORS, kInvertColorsKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_FOLLOWFOCUS, kFollowFocusKey);
    return TRUE;
}

// The sheet applies its pages in order, and this one only once the first
// page has saved: its values follow the first page's.
BOOL CPage2::OnApply() {
    bool saved = StoreCheck(m_settings, m_hWnd, IDC_CHECK_FOLLOWCARET, kFollowCaretKey);
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_INVERTCOLORS, kInvertColorsKey);
    saved &= StoreCheck(m_settings, m_hWnd, IDC_CHECK_FOLLOWFOCUS, kFollowFocusKey);
    if (!saved) {
        return ReportNotSaved(GetParent());
    }
    return CPropertyPage::OnApply();
}
