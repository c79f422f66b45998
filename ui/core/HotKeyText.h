// The text the extended hot-key control shows for a combination.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// format with %1, %2, … replaced by args[0], args[1], …; the string table's
// texts say where the program's values go, so that a translation may move them.
std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args);

// A report of keys that cannot be registered: one line each, then the hint.
// Empty when no line is given.
std::wstring JoinNotice(const std::vector<std::wstring>& lines, const std::wstring& hint);
