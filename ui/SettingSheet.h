// The settings sheet with its one page.
#pragma once

#include "fw/Controls.h"
#include "fw/PropertySheet.h"
#include "ui/HotKeyExCtrl.h"

class CPage1 : public fw::CPropertyPage {
public:
    CPage1();

    fw::CSliderCtrl m_sliderZoomIn;
    fw::CSliderCtrl m_sliderZoomOut;
    CHotKeyExCtrl m_hotKeyZoomIn;
    CHotKeyExCtrl m_hotKeyZoomOut;
    CHotKeyExCtrl m_hotKeyZoomCancel;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    void OnHScroll(UINT code, UINT pos, HWND scrollBar) override;

private:
    void LoadHotKey(CHotKeyExCtrl& control, const wchar_t* keySetting, const wchar_t* modSetting);
    bool StoreHotKey(const CHotKeyExCtrl& control, const wchar_t* keySetting,
                     const wchar_t* modSetting);
    void LoadCheck(int id, const wchar_t* setting);
    bool StoreCheck(int id, const wchar_t* setting);
};

class CSettingPropetySheet : public fw::CPropertySheet {
public:
    explicit CSettingPropetySheet(fw::CWnd* parent);

    CPage1 m_page;
};
