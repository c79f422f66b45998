#include "ui/core/HotKeyCapture.h"

#include "ui/core/HotKeyModifiers.h"
#include "ui/core/VirtualKeys.h"

uint16_t HotKeyModifierOfKey(uint16_t vk) {
    switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT: return HOTKEYF_SHIFT;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL: return HOTKEYF_CONTROL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU: return HOTKEYF_ALT;
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS: return HOTKEYF_WIN;
    default: return 0;
    }
}

bool HotKeyTypesText(uint16_t vk) {
    switch (vk) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_SPACE:
    case VK_DELETE: return true;
    }
    return (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') ||
           (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) || (vk >= VK_OEM_1 && vk <= VK_OEM_3) ||
           (vk >= VK_OEM_4 && vk <= VK_OEM_8) || vk == VK_OEM_102;
}

namespace {

constexpr uint16_t kCommandModifiers = HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_WIN;

bool CountsAsHotKey(uint16_t vk, uint16_t modifiers) {
    return !HotKeyTypesText(vk) || (modifiers & kCommandModifiers) != 0;
}

} // namespace

HotKeyCaptureState StepHotKeyCapture(HotKeyCaptureState state, uint16_t vk, bool down) {
    const uint16_t modifier = HotKeyModifierOfKey(vk);
    if (modifier != 0) {
        state.m_wHeldModifiers = static_cast<uint16_t>(down ? state.m_wHeldModifiers | modifier
                                                            : state.m_wHeldModifiers & ~modifier);
    } else if (down) {
        state.m_wHeldKey = vk;
    } else if (state.m_wHeldKey == vk) {
        // Releasing a key that another press already replaced changes nothing.
        state.m_wHeldKey = 0;
    }

    if (state.m_bRestart) {
        state.m_wKey = 0;
        state.m_wModifiers = 0;
        state.m_bRestart = false;
    }

    // The way to leave a field empty, so that it registers nothing.
    if (down && (vk == VK_BACK || vk == VK_DELETE) &&
        (state.m_wHeldModifiers & kCommandModifiers) == 0) {
        state.m_wKey = 0;
    }

    if (state.m_wHeldKey != 0 && CountsAsHotKey(state.m_wHeldKey, state.m_wHeldModifiers)) {
        state.m_wKey = state.m_wHeldKey;
        state.m_wModifiers = state.m_wHeldModifiers;
    } else if (state.m_wKey == 0) {
        state.m_wModifiers = state.m_wHeldModifiers;
    }

    if (state.m_wHeldKey == 0 && state.m_wHeldModifiers == 0) {
        state.m_bRestart = true;
    }
    return state;
}

HotKeyCaptureState SetHotKeyValue(HotKeyCaptureState state, uint16_t key, uint16_t modifiers) {
    state.m_wKey = key;
    state.m_wModifiers = modifiers;
    state.m_bRestart = true;
    return state;
}

HotKeyCaptureState BeginHotKeyCapture(HotKeyCaptureState state) {
    state.m_wHeldKey = 0;
    state.m_wHeldModifiers = 0;
    return state;
}
