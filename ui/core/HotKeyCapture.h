// How the extended hot-key control turns captured key presses and releases
// into the combination it shows.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

struct HotKeyCaptureState {
    uint16_t m_wKey = 0;       // the combination shown; 0 = none
    uint16_t m_wModifiers = 0; // HOTKEYF_ flags of the combination shown
    uint16_t m_wHeldKey = 0;   // the ordinary key held now; 0 = none
    uint16_t m_wHeldModifiers = 0;
    bool m_bRestart = false; // the next key event starts a new combination
    // The value that modifiers pressed alone replaced, while no ordinary key
    // has followed: Shift + Tab must not cost the field its value.
    std::optional<std::pair<uint16_t, uint16_t>> m_replaced;
};

// The HOTKEYF_ flag of a modifier key (generic, left or right Shift, Ctrl and
// Alt; either Windows key and the application key count as Windows key), 0
// for an ordinary key.
uint16_t HotKeyModifierOfKey(uint16_t vk);

// Keys that type or edit text: letters, digits (the keypad's too), space,
// punctuation, Enter, Tab, Backspace and Delete. As a global hot key such a
// key would vanish from every program's typing, so it counts only together
// with Ctrl, Alt or the Windows key.
bool HotKeyTypesText(uint16_t vk);

// One captured key event. Modifiers alone show while held and vanish when
// released; once an ordinary key was pressed (a key that types text only
// with Ctrl, Alt or the Windows key) the combination stays after every key is
// up, and the next event starts from an empty combination. Backspace or
// Delete pressed without Ctrl, Alt or the Windows key empties the value.
HotKeyCaptureState StepHotKeyCapture(HotKeyCaptureState state, uint16_t vk, bool down);

// A value given from outside: shown until the next key event, which starts a
// new combination. The held keys are left as they are.
HotKeyCaptureState SetHotKeyValue(HotKeyCaptureState state, uint16_t key, uint16_t modifiers);

// Capture starts with the focus: nothing is held yet, the value stays.
HotKeyCaptureState BeginHotKeyCapture(HotKeyCaptureState state);

// Capture ends with the focus, or the keys held go to the dialog with a key
// it takes (the Shift of a Shift + Tab): nothing is held any more, and
// modifiers pressed alone give back the value they replaced.
HotKeyCaptureState EndHotKeyCapture(HotKeyCaptureState state);

// Which key events a hot-key field takes while it captures; the others go on
// to the dialog as if the field did not capture at all, so the keyboard works
// the sheet: Tab and Shift + Tab move the focus, Enter presses the default
// button and, but in the field that takes it as a hot key, Escape cancels.
// A release is taken only when its press was: keys that were down before
// the capture began (the Tab that moved the focus in) change nothing, and
// neither do the modifiers that went to the dialog with its key.
class HotKeyKeyFilter {
public:
    // escapeIsHotKey: Escape alone is a hot key here (the cancel field).
    void Begin(bool escapeIsHotKey);
    bool Takes(uint16_t vk, bool down);

private:
    std::bitset<256> m_pressed;
    bool m_escapeIsHotKey = false;
};

// Of several fields' values (key and HOTKEYF_ flags), the first two that hold
// the same combination; fields without a key hold none.
std::optional<std::pair<size_t, size_t>>
FindSharedHotKey(const std::pair<uint16_t, uint16_t>* values, size_t count);
