// The settings sheet: the zoom limits and triggers, then the view.
#pragma once

#include "fw/Controls.h"
#include "fw/PropertySheet.h"
#include "ui/HotKeyExCtrl.h"

class ISettings;

#include <vector>

// What the settings page needs of the window its sheet belongs to: the hot
// keys saved on OK are to work at once wherever they are registered.
class ISettingSheetOwner {
public:
    virtual ~ISettingSheetOwner() = default;
    // Gives the ids (101, 102, 103) the system refused.
    virtual std::vector<int> RegisterHotKeysAnew() = 0;
};

class CPage1 : public fw::CPropertyPage {
public:
    CPage1(ISettings& settings, ISettingSheetOwner& owner);

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
    bool RefuseSharedHotKey();
    void CreateSliderLabels();
    void ShowSliderValues();

    ISettings& m_settings;
    ISettingSheetOwner& m_owner;
    // The value beside each slider, made when the page opens.
    HWND m_valueZoomIn = nullptr;
    HWND m_valueZoomOut = nullptr;
};

// Following the text caret and inverting the view's colours. Made with the
// sheet, though shown later, so that it reads the settings when the sheet
// opens and stores them on OK even when never shown.
class CPage2 : public fw::CPropertyPage {
public:
    explicit CPage2(ISettings& settings);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;

private:
    ISettings& m_settings;
};

class CSettingPropetySheet : public fw::CPropertySheet {
public:
    // parent: the window the sheet belongs to; owner: where the hot keys
    // saved on OK are registered anew.
    CSettingPropetySheet(fw::CWnd* parent, ISettings& settings, ISettingSheetOwner& owner);

    CPage1 m_page;
    CPage2 m_page2;
};
