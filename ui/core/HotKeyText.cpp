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
    if ((modifiers & HOTKEYF_WIN) != 0) {
        text += names.LoadText(IDS_HOTKEY_WIN);
        text += separator;
    }
    if ((modifiers & HOTKEYF_CONTROL) != 0) {
        text += names.GetKeyName(VK_CONTROL);
        text += separator;
    }
    if ((modifiers & HOTKEYF_SHIFT) != 0) {
        text += names.GetKeyName(VK_SHIFT);
        text += separator;
    }
    if ((modifiers & HOTKEYF_ALT) != 0) {
        text += names.GetKeyName(VK_MENU);
        text += separator;
    }
    text += names.GetKeyName(key);
    return text;
}

bool IsExtendedKey(uint16_t vk) {
    switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_NUMLOCK:
    case VK_DIVIDE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS: return true;
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
