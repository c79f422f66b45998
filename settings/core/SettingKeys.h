// The settings' keys, one constant each, with their defaults: all that the
// code reading a setting needs. A misspelt name then fails to compile instead
// of reading 0.
#pragma once

#include <cstdint>

struct SettingDefault {
    const wchar_t* key;
    const wchar_t* value;
};

// The keys, one constant each: a misspelt name then fails to compile instead
// of reading 0.
inline constexpr const wchar_t* kAutoStartUpKey = L"AutoStartUp";
// The zoom limits, as the sliders of the settings page set them.
inline constexpr const wchar_t* kMaxRateZoomInKey = L"MaxRateZoomIn";
inline constexpr const wchar_t* kMaxRateZoomOutKey = L"MaxRateZoomOut";
// The modifier keys of the wheel chord.
inline constexpr const wchar_t* kMouseZoomCtrlKey = L"MouseZoomCtrl";
inline constexpr const wchar_t* kMouseZoomAltKey = L"MouseZoomAlt";
inline constexpr const wchar_t* kMouseZoomShiftKey = L"MouseZoomShift";
inline constexpr const wchar_t* kMouseZoomWinKey = L"MouseZoomWin";
// The three hot keys: a virtual-key code, then a RegisterHotKey modifier mask.
inline constexpr const wchar_t* kHotKeyZoomInKey = L"HotKeyZoomIn";
inline constexpr const wchar_t* kHotKeyModZoomInKey = L"HotKeyModZoomIn";
inline constexpr const wchar_t* kHotKeyZoomOutKey = L"HotKeyZoomOut";
inline constexpr const wchar_t* kHotKeyModZoomOutKey = L"HotKeyModZoomOut";
inline constexpr const wchar_t* kHotKeyZoomCancelKey = L"HotKeyZoomCancel";
inline constexpr const wchar_t* kHotKeyModZoomCancelKey = L"HotKeyModZoomCancel";
// Key codes and modifier masks reach the platform as their low 16 bits,
// unsigned, whatever the file holds.
constexpr uint16_t HotKeyLowWord(int settingValue) {
    return static_cast<uint16_t>(static_cast<unsigned>(settingValue) & 0xFFFFu);
}
// Flags of the zoomed view, read at every tick: the view centres on the text
// caret when it moves while the mouse rests; the view's colours are inverted;
// the view centres on the keyboard focus when it moves while the mouse rests.
inline constexpr const wchar_t* kFollowCaretKey = L"FollowCaret";
inline constexpr const wchar_t* kInvertColorsKey = L"InvertColors";
inline constexpr const wchar_t* kFollowFocusKey = L"FollowFocus";

// The known keys with their default texts, in the order they are entered.
inline constexpr SettingDefault kSettingDefaults[] = {
    {kAutoStartUpKey, L"1"},         {kMaxRateZoomInKey, L"4"},    {kMaxRateZoomOutKey, L"2"},
    {kMouseZoomCtrlKey, L"1"},       {kMouseZoomAltKey, L"0"},     {kMouseZoomShiftKey, L"0"},
    {kMouseZoomWinKey, L"0"},        {kHotKeyZoomInKey, L"222"},   {kHotKeyModZoomInKey, L"9"},
    {kHotKeyZoomOutKey, L"189"},     {kHotKeyModZoomOutKey, L"9"}, {kHotKeyZoomCancelKey, L"27"},
    {kHotKeyModZoomCancelKey, L"0"}, {kFollowCaretKey, L"0"},      {kInvertColorsKey, L"0"},
    {kFollowFocusKey, L"0"},
};
