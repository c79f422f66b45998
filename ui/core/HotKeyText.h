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

// Keys whose scan code carries the extended-key prefix (E0): the arrows,
// Insert, Delete, Home, End, Page Up and Page Down, NumLock, the keypad's
// divide, right Ctrl and right Alt, the Windows keys and the application key.
// Without it they share a scan code, and so a name, with another key (Up with
// the keypad's 8, NumLock with Pause, the keypad's "/" with the main "/").
bool IsExtendedKey(uint16_t vk);

// What GetKeyNameText takes for a key: the scan code in bits 16 to 23 and,
// for an extended key, bit 24; bit 25 stays clear so that left and right
// keys keep their own names.
int32_t KeyNameParam(uint16_t vk, uint32_t scanCode);
// format with %1, %2, … replaced by args[0], args[1], …; the string table's
// texts say where the program's values go, so that a translation may move them.
std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args);

// A report of keys that cannot be registered: one line each, then the hint.
// Empty when no line is given.
std::wstring JoinNotice(const std::vector<std::wstring>& lines, const std::wstring& hint);
