// The text the extended hot-key control shows for a combination.
#pragma once

#include <cstdint>
#include <string>

// Names of keys as the keyboard layout gives them, and the program's own
// words where the layout has none.
class IKeyNames {
public:
    virtual ~IKeyNames() = default;
    virtual std::wstring GetKeyName(uint16_t vk) const = 0;
    // The string-table text of id, in the program's language.
    virtual std::wstring LoadText(unsigned id) const = 0;
};

// Empty for no key and no modifiers; otherwise "Win", Ctrl, Shift and Alt as
// flagged, then the key, joined by " + " ("Win" and " + " are the string
// table's words). The key's name is looked up also for key 0, so modifiers
// held alone end in " + " and that name.
std::wstring GetHotKeyName(uint16_t key, uint16_t modifiers, const IKeyNames& names);
