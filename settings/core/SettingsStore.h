// The settings store: every setting is text under a fixed key in section
// "DEFAULT" of setting.ini. Nothing is cached; each read and write goes to
// the file, so a value written anywhere is seen by the next read everywhere.
#pragma once

#include "settings/core/ISettings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SettingDefault {
    const wchar_t* key;
    const wchar_t* value;
};

inline constexpr const wchar_t* kSettingSection = L"DEFAULT";
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
// Read in place of a missing file or key; never a value of its own.
inline constexpr const wchar_t* kMissingSettingText = L"###";
// A 4096-character read buffer leaves room for this many characters.
inline constexpr size_t kMaxSettingTextLength = 4095;

// The INI file the store keeps its values in.
class ISettingProfile {
public:
    virtual ~ISettingProfile() = default;
    // The key's text in section, or fallback when the file, the section or
    // the key is missing.
    virtual std::wstring ReadProfileText(const wchar_t* section, const wchar_t* key,
                                         const wchar_t* fallback) = 0;
    // True when the value was stored.
    virtual bool WriteProfileText(const wchar_t* section, const wchar_t* key,
                                  const std::wstring& value) = 0;
    // Takes the key out of section; true when it is gone.
    virtual bool RemoveProfileKey(const wchar_t* section, const wchar_t* key) = 0;
};

// Makes the start-up shortcut exist or not exist.
class IStartupShortcut {
public:
    virtual ~IStartupShortcut() = default;
    // True when the shortcut is now in the wanted state.
    virtual bool UpdateStartupShortcut(bool enable) = 0;
};

class SettingsStore : public ISettings {
public:
    SettingsStore(ISettingProfile& profile, IStartupShortcut& shortcut);

    // Enters the known keys with their defaults. Until then every key is
    // unknown and every operation fails.
    void LoadDefaults();

    // False for an unknown key (value untouched) and when the start-up
    // shortcut cannot be brought into line with AutoStartUp (value set all
    // the same).
    bool ReadSetting(const wchar_t* key, std::wstring& value);
    int ReadSettingInt(const wchar_t* key) override;
    // False for an unknown key, a value the file cannot hold or a failed
    // write; for AutoStartUp also when the shortcut cannot follow the value
    // (the file then keeps its old value). A failed write of AutoStartUp
    // leaves the shortcut as it was.
    bool WriteSetting(const wchar_t* key, const std::wstring& value);
    bool WriteSettingInt(const wchar_t* key, int value) override;

private:
    const std::wstring* FindDefault(const wchar_t* key) const;
    bool WriteAutoStartUp(const std::wstring& value);

    ISettingProfile& m_profile;
    IStartupShortcut& m_shortcut;
    std::vector<std::pair<std::wstring, std::wstring>> m_defaults;
};

// What locating setting.ini needs of the system.
class ISettingFileSystem {
public:
    virtual ~ISettingFileSystem() = default;
    // The running executable's folder, ending in "\".
    virtual std::wstring ModuleDirectory() = 0;
    virtual bool PathExists(const std::wstring& path) = 0;
    // The user's roaming application-data folder; the result is an HRESULT,
    // negative on failure.
    virtual int32_t RoamingAppDataFolder(std::wstring& folder) = 0;
    // Creates the folder and any missing parents; the outcome shows later,
    // when the file is written.
    virtual void CreateFolder(const std::wstring& path) = 0;
    // Makes path the file that all later reads and writes use; an empty path
    // is no file: reads give defaults and writes fail.
    virtual void SetProfilePath(const std::wstring& path) = 0;
    virtual void ShowWarning(const std::wstring& text) = 0;
    // The string-table text of id, in the program's language.
    virtual std::wstring LoadText(unsigned id) = 0;
};

// Uses setting.ini beside the executable when one exists there, otherwise
// the one in the folder Loupa of the roaming application-data folder, then
// brings the start-up shortcut into line with AutoStartUp (writing its
// default into a file that lacks it). Without the application-data folder
// there is no file at all, not even a default one of the system's: false,
// after telling the user.
bool InitSettingFile(ISettingFileSystem& system, ISettings& settings);

// The warning shown when the application-data folder cannot be obtained:
// lead, then the code in hexadecimal.
std::wstring AppFolderFailureText(const std::wstring& lead, int32_t code);

// The folder part of a file path, up to and including its last "\".
std::wstring DirectoryOf(const std::wstring& filePath);
