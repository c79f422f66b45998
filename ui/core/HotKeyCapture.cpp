#include "ui/core/HotKeyCapture.h"

#include "ui/core/HotKeyModifiers.h"
#include "ui/core/VirtualKeys.h"

uint16_t HotKeyModifierOfKey(uint16_t vk) {
    switch (vk) {
    case win32::kVkShift:
    case win32::kVkLShift:
    case win32::kVkRShift: return win32::kHotkeyfShift;
    case win32::kVkControl:
    case win32::kVkLControl:
    case win32::kVkRControl: return win32::kHotkeyfControl;
    case win32::kVkMenu:
    case win32::kVkLMenu:
    case win32::kVkRMenu: return win32::kHotkeyfAlt;
    case win32::kVkLWin:
    case win32::kVkRWin:
    case win32::kVkApps: return win32::kHotkeyfWin;
    default: return 0;
    }
}

bool HotKeyTypesText(uint16_t vk) {
    switch (vk) {
    case win32::kVkBack:
    case win32::kVkTab:
    case win32::kVkReturn:
    case win32::kVkSpace:
    case win32::kVkDelete: return true;
    }
    return (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') ||
           (vk >= win32::kVkNumpad0 && vk <= win32::kVkDivide) ||
           (vk >= win32::kVkOem1 && vk <= win32::kVkOem3) ||
           (vk >= win32::kVkOem4 && vk <= win32::kVkOem8) || vk == win32::kVkOem102;
}

namespace {

constexpr uint16_t kCommandModifiers =
    win32::kHotkeyfControl | win32::kHotkeyfAlt | win32::kHotkeyfWin;

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
        if (state.m_wKey != 0 && modifier != 0 && down) {
            state.m_replaced = std::make_pair(state.m_wKey, state.m_wModifiers);
        }
        state.m_wKey = 0;
        state.m_wModifiers = 0;
        state.m_bRestart = false;
    }

    // The way to leave a field empty, so that it registers nothing.
    if (down && (vk == win32::kVkBack || vk == win32::kVkDelete) &&
        (state.m_wHeldModifiers & kCommandModifiers) == 0) {
        state.m_wKey = 0;
        state.m_replaced.reset();
    }

    if (state.m_wHeldKey != 0 && CountsAsHotKey(state.m_wHeldKey, state.m_wHeldModifiers)) {
        state.m_wKey = state.m_wHeldKey;
        state.m_wModifiers = state.m_wHeldModifiers;
        state.m_replaced.reset();
    } else if (state.m_wKey == 0) {
        state.m_wModifiers = state.m_wHeldModifiers;
    }

    if (state.m_wHeldKey == 0 && state.m_wHeldModifiers == 0) {
        state.m_bRestart = true;
        state.m_replaced.reset();
    }
    return state;
}

HotKeyCaptureState SetHotKeyValue(HotKeyCaptureState state, uint16_t key, uint16_t modifiers) {
    state.m_wKey = key;
    state.m_wModifiers = modifiers;
    state.m_bRestart = true;
    state.m_replaced.reset();
    return state;
}

HotKeyCaptureState BeginHotKeyCapture(HotKeyCaptureState state) {
    state.m_wHeldKey = 0;
    state.m_wHeldModifiers = 0;
    return state;
}

HotKeyCaptureState EndHotKeyCapture(HotKeyCaptureState state) {
    if (state.m_replaced && state.m_wKey == 0) {
        state.m_wKey = state.m_replaced->first;
        state.m_wModifiers = state.m_replaced->second;
        state.m_bRestart = true;
    }
    state.m_replaced.reset();
    state.m_wHeldKey = 0;
    state.m_wHeldModifiers = 0;
    return state;
}

void HotKeyKeyFilter::Begin(bool escapeIsHotKey) {
    m_pressed.reset();
    m_escapeIsHotKey = escapeIsHotKey;
}

bool HotKeyKeyFilter::Takes(uint16_t vk, bool down) {
    const size_t index = vk & 0xFF;
    if (!down) {
        const bool pressedHere = m_pressed.test(index);
        m_pressed.reset(index);
        return pressedHere;
    }
    uint16_t modifiers = 0;
    for (size_t code = 0; code < m_pressed.size(); ++code) {
        if (m_pressed.test(code)) {
            modifiers |= HotKeyModifierOfKey(static_cast<uint16_t>(code));
        }
    }
    const bool dialogKey =
        ((vk == win32::kVkTab || vk == win32::kVkReturn) && (modifiers & kCommandModifiers) == 0) ||
        (vk == win32::kVkEscape && modifiers == 0 && !m_escapeIsHotKey);
    if (dialogKey) {
        for (size_t code = 0; code < m_pressed.size(); ++code) {
            if (HotKeyModifierOfKey(static_cast<uint16_t>(code)) != 0) {
                m_pressed.reset(code);
            }
        }
        return false;
    }
    m_pressed.set(index);
    return true;
}

std::optional<std::pair<size_t, size_t>>
FindSharedHotKey(const std::pair<uint16_t, uint16_t>* values, size_t count) {
    for (size_t second = 1; second < count; ++second) {
        for (size_t first = 0; first < second; ++first) {
            if (values[second].first != 0 && values[first] == values[second]) {
                return std::make_pair(first, second);
            }
        }
    }
    return std::nullopt;
}
