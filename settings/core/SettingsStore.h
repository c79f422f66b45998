// The settings store: every setting is text under a fixed key in section
// "DEFAULT" of setting.ini. Nothing is cached; each read and write goes to
// the file, so a value written anywhere is seen by the next read everywhere.
#pragma once

#include "settings/core/ISettings.h"
#include "settings/core/SettingKeys.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

inline constexpr const wchar_t* kSettingSection = L"DEFAULT";
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
