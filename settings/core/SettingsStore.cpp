#include "settings/core/SettingsStore.h"

#include "settings/core/IntegerText.h"
#include "settings/core/ProfileText.h"

#include <cwchar>

namespace {

// A line break would end the key's line and turn the rest of the value into
// lines of its own (other keys, even another section); a NUL would end the
// text early. Either way the file would not hold what was written.
bool FileCanHold(const std::wstring& value) {
    return value.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos;
}

// The shortcut follows the text, not the integer: anything but exactly "0"
// asks for it.
bool WantsShortcut(const std::wstring& value) {
    return value != L"0";
}

bool IsAutoStartUp(const wchar_t* key) {
    return std::wcscmp(key, kAutoStartUpKey) == 0;
}

} // namespace

SettingsStore::SettingsStore(ISettingProfile& profile, IStartupShortcut& shortcut)
    : m_profile(profile), m_shortcut(shortcut) {}

void SettingsStore::LoadDefaults() {
    m_defaults.clear();
    for (const SettingDefault& row : kSettingDefaults) {
        m_defaults.emplace_back(row.key, row.value);
    }
}

const std::wstring* SettingsStore::FindDefault(const wchar_t* key) const {
    if (key == nullptr) {
        return nullptr;
    }
    for (const auto& row : m_defaults) {
        if (row.first == key) {
            return &row.second;
        }
    }
    return nullptr;
}

bool SettingsStore::ReadSetting(const wchar_t* key, std::wstring& value) {
    const std::wstring* fallback = FindDefault(key);
    if (fallback == nullptr) {
        return false;
    }
    std::wstring text = m_profile.ReadProfileText(kSettingSection, key, kMissingSettingText);
    if (text.size() > kMaxSettingTextLength) {
        text.resize(kMaxSettingTextLength);
    }
    if (text == kMissingSettingText) {
        text = *fallback;
        // A file that cannot be written keeps reading as the default; the
        // next read tries again.
        WriteSetting(key, text);
    }
    value = text;
    if (IsAutoStartUp(key)) {
        return m_shortcut.UpdateStartupShortcut(WantsShortcut(text));
    }
    return true;
}

int SettingsStore::ReadSettingInt(const wchar_t* key) {
    std::wstring text;
    if (!ReadSetting(key, text)) {
        return 0;
    }
    return ParseSettingInt(text);
}

bool SettingsStore::WriteSetting(const wchar_t* key, const std::wstring& value) {
    if (FindDefault(key) == nullptr || !FileCanHold(value)) {
        return false;
    }
    if (IsAutoStartUp(key)) {
        return WriteAutoStartUp(value);
    }
    return m_profile.WriteProfileText(kSettingSection, key, value);
}

bool SettingsStore::WriteAutoStartUp(const std::wstring& value) {
    // The file first: a file that cannot be written leaves the shortcut as it
    // was. When the shortcut then cannot follow, the file gets its old value
    // back, so that the value stays stored only together with its shortcut.
    const std::wstring previous =
        m_profile.ReadProfileText(kSettingSection, kAutoStartUpKey, kMissingSettingText);
    if (!m_profile.WriteProfileText(kSettingSection, kAutoStartUpKey, value)) {
        return false;
    }
    if (m_shortcut.UpdateStartupShortcut(WantsShortcut(value))) {
        return true;
    }
    if (previous == kMissingSettingText) {
        m_profile.RemoveProfileKey(kSettingSection, kAutoStartUpKey);
    } else {
        m_profile.WriteProfileText(kSettingSection, kAutoStartUpKey,
                                   ProfileTextReadingAs(previous));
    }
    return false;
}

bool SettingsStore::WriteSettingInt(const wchar_t* key, int value) {
    return WriteSetting(key, FormatSettingInt(value));
}
