// The settings that hot paths read (the low-level hooks, the zoom tick), kept
// in memory: a hook must return at once and a tick must not wait for a disk,
// so neither reads setting.ini. The copy is filled through the store, so its
// rules hold as for a direct read: a missing key gets its default written
// back, and each value reads as the store reads it.
#pragma once

#include "settings/core/ISettings.h"
#include "settings/core/SettingKeys.h"

#include <array>
#include <atomic>
#include <iterator>

// The keys the copy holds: adding a key is one entry here.
inline constexpr const wchar_t* kCopiedSettingKeys[] = {
    kMouseZoomCtrlKey, kMouseZoomAltKey, kMouseZoomShiftKey, kMouseZoomWinKey,
    kFollowCaretKey,   kInvertColorsKey, kFollowFocusKey,
};

// Reads of a copied key come from memory and may be made on any thread; every
// other key goes to the store, on the store's thread only. Writes go to the
// store and, for a copied key, update the copy at once.
class SettingsCopy : public ISettings {
public:
    // Holds the keys' defaults until the first Reload.
    explicit SettingsCopy(ISettings& store);

    // Reads every copied key from the store again (store's thread).
    void Reload() override;

    int ReadSettingInt(const wchar_t* key) override;
    bool WriteSettingInt(const wchar_t* key, int value) override;

private:
    static constexpr std::size_t kCount = std::size(kCopiedSettingKeys);
    // The key's place in kCopiedSettingKeys, or kCount.
    static std::size_t IndexOf(const wchar_t* key);

    ISettings& m_store;
    std::array<std::atomic<int>, kCount> m_values;
};
