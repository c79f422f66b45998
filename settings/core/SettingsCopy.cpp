#include "settings/core/SettingsCopy.h"

#include "settings/core/IntegerText.h"

#include <cwchar>

namespace {

int DefaultValue(const wchar_t* key) {
    for (const SettingDefault& row : kSettingDefaults) {
        if (std::wcscmp(row.key, key) == 0) {
            return ParseSettingInt(row.value);
        }
    }
    return 0;
}

} // namespace

SettingsCopy::SettingsCopy(ISettings& store) : m_store(store) {
    for (std::size_t i = 0; i < kCount; ++i) {
        m_values[i].store(DefaultValue(kCopiedSettingKeys[i]));
    }
}

std::size_t SettingsCopy::IndexOf(const wchar_t* key) {
    for (std::size_t i = 0; key != nullptr && i < kCount; ++i) {
        if (std::wcscmp(kCopiedSettingKeys[i], key) == 0) {
            return i;
        }
    }
    return kCount;
}

void SettingsCopy::Reload() {
    for (std::size_t i = 0; i < kCount; ++i) {
        m_values[i].store(m_store.ReadSettingInt(kCopiedSettingKeys[i]));
    }
}

int SettingsCopy::ReadSettingInt(const wchar_t* key) {
    const std::size_t i = IndexOf(key);
    return i < kCount ? m_values[i].load() : m_store.ReadSettingInt(key);
}

bool SettingsCopy::WriteSettingInt(const wchar_t* key, int value) {
    const bool written = m_store.WriteSettingInt(key, value);
    const std::size_t i = IndexOf(key);
    if (i < kCount) {
        // What the store holds now, as a read would give it: the new value,
        // or the old one when the file could not take it.
        m_values[i].store(m_store.ReadSettingInt(key));
    }
    return written;
}
