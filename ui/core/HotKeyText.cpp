#include "ui/core/HotKeyText.h"

#include "ui/core/HotKeyModifiers.h"
#include "ui/core/VirtualKeys.h"

#include "resource.h"

std::wstring GetHotKeyName(uint16_t key, uint16_t modifiers, const IKeyNames& names) {
    if (key == 0 && modifiers == 0) {
        return std::wstring();
    }
    const std::wstring separator = names.LoadText(IDS_HOTKEY_SEPARATOR);
    std::wstring text;
    if ((modifiers & win32::kHotkeyfWin) != 0) {
        text += names.LoadText(IDS_HOTKEY_WIN);
        text += separator;
    }
    if ((modifiers & win32::kHotkeyfControl) != 0) {
        text += names.GetKeyName(win32::kVkControl);
        text += separator;
    }
    if ((modifiers & win32::kHotkeyfShift) != 0) {
        text += names.GetKeyName(win32::kVkShift);
        text += separator;
    }
    if ((modifiers & win32::kHotkeyfAlt) != 0) {
        text += names.GetKeyName(win32::kVkMenu);
        text += separator;
    }
    text += names.GetKeyName(key);
    return text;
}

bool IsExtendedKey(uint16_t vk) {
    switch (vk) {
    case win32::kVkPrior:
    case win32::kVkNext:
    case win32::kVkEnd:
    case win32::kVkHome:
    case win32::kVkLeft:
    case win32::kVkUp:
    case win32::kVkRight:
    case win32::kVkDown:
    case win32::kVkInsert:
    case win32::kVkDelete:
    case win32::kVkNumLock:
    case win32::kVkDivide:
    case win32::kVkRControl:
    case win32::kVkRMenu:
    case win32::kVkLWin:
    case win32::kVkRWin:
    case win32::kVkApps: return true;
    }
    return false;
}

int32_t KeyNameParam(uint16_t vk, uint32_t scanCode) {
    constexpr int32_t kExtendedBit = 1 << 24;
    const int32_t param = static_cast<int32_t>((scanCode & 0xFF) << 16);
    return IsExtendedKey(vk) ? param | kExtendedBit : param;
}

std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args) {
    std::wstring text;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        const size_t index = static_cast<size_t>(next - L'1');
        if (format[i] == L'%' && next >= L'1' && next <= L'9' && index < args.size()) {
            text += args[index];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::wstring JoinNotice(const std::vector<std::wstring>& lines, const std::wstring& hint) {
    if (lines.empty()) {
        return std::wstring();
    }
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L'\n';
    }
    return text + hint;
}
