#include "ui/SettingSheet.h"

#include "fw/WinApp.h"
#include "resource.h"
#include "settings/Settings.h"
#include "settings/core/SettingKeys.h"
#include "ui/HotKeyNotice.h"
#include "ui/LabelFit.h"
#include "ui/core/HotKeyCapture.h"
#include "ui/core/HotKeyModifiers.h"
#include "ui/core/HotKeyText.h"

#include <string>

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

// Where the template's scale line ("       2     4 ...") lies, in dialog
// units: its spaces cannot put the numbers under the ticks in every font, so
// numbers placed from the ticks themselves take its place.
constexpr RECT kScaleLine = {62, 62, 62 + 167, 62 + 8};
// The slider values, at the sliders' right ends on their outer sides (the
// labels on their left may need two lines).
constexpr RECT kZoomInValue = {184, 24, 184 + 40, 24 + 8};
constexpr RECT kZoomOutValue = {184, 99, 184 + 40, 99 + 8};
constexpr int kScaleNumberWidth = 14;

RECT DialogRect(HWND dialog, RECT rect) {
    ::MapDialogRect(dialog, &rect);
    return rect;
}

HWND CreateLabel(HWND page, const std::wstring& text, RECT rect, DWORD align) {
    HWND label =
        ::CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align,
                          rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, page,
                          reinterpret_cast<HMENU>(IDC_STATIC), fw::AfxGetInstanceHandle(), nullptr);
    ::SendMessageW(label, WM_SETFONT, ::SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
    return label;
}

// The x of a slider's tick at position, in the page's coordinates: the thumb's
// centre travels the channel less half a thumb at either end.
int TickX(HWND page, HWND slider, int position, int first, int last) {
    RECT channel{};
    RECT thumb{};
    ::SendMessageW(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    ::SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int half = (thumb.right - thumb.left) / 2;
    const int travel = channel.right - channel.left - 2 * half;
    POINT point{channel.left + half + ::MulDiv(travel, position - first, last - first), 0};
    ::MapWindowPoints(slider, page, &point, 1);
    return point.x;
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

CSettingPropetySheet::CSettingPropetySheet(fw::CWnd* parent, ISettings& settings,
                                           ISettingSheetOwner& owner)
    : CPropertySheet(fw::AfxLoadString(IDS_SETTINGS_CAPTION), parent), m_page(settings, owner),
      m_page2(settings) {
    AddPage(&m_page);
    AddPage(&m_page2);
}

CPage1::CPage1(ISettings& settings, ISettingSheetOwner& owner)
    : CPropertyPage(IDD_PAGE1), m_settings(settings), m_owner(owner) {
    m_hotKeyZoomCancel.SetEscapeIsHotKey(true);
}

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
    // The slider clamps stored values to 1..20, and the limits' rule turns a
    // hand-edited pair into one that dragging could give; nothing is stored
    // until OK.
    m_sliderZoomIn.SetPos(m_settings.ReadSettingInt(kMaxRateZoomInKey));
    m_sliderZoomOut.SetPos(m_settings.ReadSettingInt(kMaxRateZoomOutKey));
    if (auto pos = ZoomOutSliderCorrection(m_sliderZoomIn.GetPos(), m_sliderZoomOut.GetPos())) {
        m_sliderZoomOut.SetPos(*pos);
    }
    LoadHotKey(m_hotKeyZoomIn, kHotKeyZoomInKey, kHotKeyModZoomInKey);
    LoadHotKey(m_hotKeyZoomOut, kHotKeyZoomOutKey, kHotKeyModZoomOutKey);
    LoadHotKey(m_hotKeyZoomCancel, kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_CTRL, kMouseZoomCtrlKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_ALT, kMouseZoomAltKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_SHIFT, kMouseZoomShiftKey);
    LoadCheck(m_settings, m_hWnd, IDC_CHECK_WIN, kMouseZoomWinKey);
    CreateSliderLabels();
    FitLabelsToText(m_hWnd);
    return TRUE;
}

void CPage1::CreateSliderLabels() {
    const RECT scale = DialogRect(m_hWnd, kScaleLine);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.left == scale.left && rect.top == scale.top) {
            ::ShowWindow(child, SW_HIDE);
        }
    }
    const int half = DialogRect(m_hWnd, RECT{0, 0, kScaleNumberWidth, 0}).right / 2;
    for (int position = 2; position <= 20; position += 2) {
        const int x = TickX(m_hWnd, m_sliderZoomIn.m_hWnd, position, 1, 20);
        CreateLabel(m_hWnd, std::to_wstring(position),
                    RECT{x - half, scale.top, x + half, scale.bottom}, SS_CENTER);
    }
    m_valueZoomIn = CreateLabel(m_hWnd, std::wstring(), DialogRect(m_hWnd, kZoomInValue), SS_RIGHT);
    m_valueZoomOut =
        CreateLabel(m_hWnd, std::wstring(), DialogRect(m_hWnd, kZoomOutValue), SS_RIGHT);
    ShowSliderValues();
}

void CPage1::ShowSliderValues() {
    const std::pair<HWND, int> values[] = {{m_valueZoomIn, m_sliderZoomIn.GetPos()},
                                           {m_valueZoomOut, m_sliderZoomOut.GetPos()}};
    for (const auto& [label, position] : values) {
        std::wstring text = fw::AfxFormatString(IDS_SLIDER_RATE, {std::to_wstring(position)});
        ::SetWindowTextW(label, text.c_str());
    }
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
        ShowSliderValues();
    }
    Default();
}

BOOL CPage1::OnApply() {
    // Checked before anything is written: a command sharing another's key
    // could never run.
    if (RefuseSharedHotKey()) {
        return FALSE;
    }

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

    // The new combinations work at once.
    const std::vector<int> refused = m_owner.RegisterHotKeysAnew();
    HWND sheet = GetParent();
    if (!saved) {
        return ReportNotSaved(sheet);
    }
    if (!refused.empty()) {
        return ReportRefusedHotKeys(sheet, m_settings, refused);
    }
    return CPropertyPage::OnApply();
}

bool CPage1::RefuseSharedHotKey() {
    CHotKeyExCtrl* const fields[] = {&m_hotKeyZoomIn, &m_hotKeyZoomOut, &m_hotKeyZoomCancel};
    const UINT commands[] = {IDS_HOTKEY_FUNCTION_ZOOMIN, IDS_HOTKEY_FUNCTION_ZOOMOUT,
                             IDS_HOTKEY_FUNCTION_ZOOMCANCEL};
    std::pair<uint16_t, uint16_t> values[3];
    for (size_t i = 0; i < 3; ++i) {
        fields[i]->GetHotKeyEx(values[i].first, values[i].second);
    }
    const auto shared = FindSharedHotKey(values, 3);
    if (!shared) {
        return false;
    }
    std::wstring text =
        fw::AfxLoadString(IDS_HOTKEY_SHARED) + L"\n" +
        fw::AfxFormatString(IDS_HOTKEY_SHARED_PAIR, {fw::AfxLoadString(commands[shared->first]),
                                                     fw::AfxLoadString(commands[shared->second])});
    fw::AfxMessageBox(GetParent(), text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(fields[shared->second]->m_hWnd);
    return true;
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
    FitLabelsToText(m_hWnd);
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
