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
