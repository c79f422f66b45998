// The settings sheet: the zoom limits and triggers, then the view.
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
};

// Following the text caret and inverting the view's colours. Made with the
// sheet, though shown later, so that it reads the settings when the sheet
// opens and stores them on OK even when never shown.
class CPage2 : public fw::CPropertyPage {
public:
    CPage2();

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
};

class CSettingPropetySheet : public fw::CPropertySheet {
public:
    explicit CSettingPropetySheet(fw::CWnd* parent);

    CPage1 m_page;
    CPage2 m_page2;
};
