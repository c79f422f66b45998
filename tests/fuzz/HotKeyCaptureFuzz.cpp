// The hot-key control's key-event step over any sequence of presses and
// releases, with values set from the settings and captures begun in between.
//
// Input: steps of one byte choosing what happens, followed by its argument:
// a key (one byte picking a usual key, or two more bytes with any code) or,
// for a value from the settings, two stored integers of four bytes each.
#include "ui/core/HotKeyCapture.h"

#include "settings/core/SettingKeys.h"
#include "ui/core/HotKeyModifiers.h"

#include "../support/TextKeys.h"
#include "FuzzInput.h"

#include <string>

namespace {

constexpr uint16_t kAllFlags =
    win32::kHotkeyfShift | win32::kHotkeyfControl | win32::kHotkeyfAlt | win32::kHotkeyfWin;

// The modifier keys and their flags, listed here rather than taken from the
// code under test: generic, left and right Shift, Ctrl and Alt; both Windows
// keys and the application key count as the Windows key.
uint16_t ModifierFlag(uint16_t vk) {
    static const struct {
        uint16_t vk;
        uint16_t flag;
    } kModifiers[] = {
        {0x10, win32::kHotkeyfShift},   {0xA0, win32::kHotkeyfShift},
        {0xA1, win32::kHotkeyfShift},   {0x11, win32::kHotkeyfControl},
        {0xA2, win32::kHotkeyfControl}, {0xA3, win32::kHotkeyfControl},
        {0x12, win32::kHotkeyfAlt},     {0xA4, win32::kHotkeyfAlt},
        {0xA5, win32::kHotkeyfAlt},     {0x5B, win32::kHotkeyfWin},
        {0x5C, win32::kHotkeyfWin},     {0x5D, win32::kHotkeyfWin},
    };
    for (const auto& m : kModifiers) {
        if (m.vk == vk) {
            return m.flag;
        }
    }
    return 0;
}

constexpr uint16_t kCommandFlags = win32::kHotkeyfControl | win32::kHotkeyfAlt | win32::kHotkeyfWin;

// What is held, told from the events alone: a modifier flag is held when the
// last event of its keys was a press; the held key is the last ordinary key
// pressed, until that same key is released.
struct HeldModel {
    uint16_t key = 0;
    uint16_t modifiers = 0;

    void Step(uint16_t vk, bool down) {
        const uint16_t flag = ModifierFlag(vk);
        if (flag != 0) {
            modifiers = static_cast<uint16_t>(down ? modifiers | flag : modifiers & ~flag);
        } else if (down) {
            key = vk;
        } else if (key == vk) {
            key = 0;
        }
    }
};

// Every modifier key, and ordinary keys the user is likely to combine them with.
const uint16_t kKeys[] = {0x10, 0x11, 0x12, 0x5B, 0x5C, 0x5D, 0xA0, 0xA1, 0xA2, 0xA3,
                          0xA4, 0xA5, 0x41, 0x42, 0x74, 0x09, 0x1B, 0x0D, 0xDE, 0xBD,
                          0x00, 0xFF, 0x5A, 0x5E, 0x13, 0x14, 0x08, 0x2E, 0x20, 0x61};

std::string Show(const HotKeyCaptureState& s) {
    return "key " + std::to_string(s.m_wKey) + " modifiers " + std::to_string(s.m_wModifiers) +
           " held " + std::to_string(s.m_wHeldKey) + " held modifiers " +
           std::to_string(s.m_wHeldModifiers) + " restart " + std::to_string(s.m_bRestart);
}

void Check(bool ok, const std::string& rule, const HotKeyCaptureState& s, const std::string& what) {
    if (!ok) {
        FuzzFail(what + ": " + rule + " (" + Show(s) + ")");
    }
}

uint16_t PickKey(FuzzInput& input) {
    const uint8_t how = input.Byte();
    return how < 0xE0 ? kKeys[how % std::size(kKeys)] : input.Uint16();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    HotKeyCaptureState state;
    HeldModel held;
    for (int step = 0; !input.Empty(); ++step) {
        const uint8_t op = input.Byte();
        const HotKeyCaptureState before = state;
        std::string what = "step " + std::to_string(step) + " ";
        if (op < 0xE0) {
            const uint16_t vk = PickKey(input);
            const bool down = (op & 1) != 0;
            what += std::string(down ? "down " : "up ") + std::to_string(vk);
            state = StepHotKeyCapture(state, vk, down);
            held.Step(vk, down);
            Check(HotKeyModifierOfKey(vk) == ModifierFlag(vk), "key classified wrongly", state,
                  what);
            Check(state.m_wHeldKey == held.key && state.m_wHeldModifiers == held.modifiers,
                  "held keys differ from the events (model: key " + std::to_string(held.key) +
                      " modifiers " + std::to_string(held.modifiers) + ")",
                  state, what);
            Check(ModifierFlag(state.m_wKey) == 0, "the shown key is a modifier", state, what);
            // What is shown: the held combination while an ordinary key is
            // held that counts with the modifiers held; after that it stays,
            // unless a new combination began or Backspace or Delete without
            // Ctrl, Alt or the Windows key emptied it.
            const bool counts =
                state.m_wHeldKey != 0 &&
                (!IsTextKey(state.m_wHeldKey) || (state.m_wHeldModifiers & kCommandFlags) != 0);
            const bool empties =
                down && (vk == 0x08 || vk == 0x2E) && (held.modifiers & kCommandFlags) == 0;
            uint16_t key = counts ? state.m_wHeldKey : 0;
            uint16_t modifiers = state.m_wHeldModifiers;
            if (!counts && !empties && !before.m_bRestart && before.m_wKey != 0) {
                key = before.m_wKey;
                modifiers = before.m_wModifiers;
            }
            Check(state.m_wKey == key && state.m_wModifiers == modifiers,
                  "the shown combination is not the one the keys make", state, what);
            const bool allUp = state.m_wHeldKey == 0 && state.m_wHeldModifiers == 0;
            Check(state.m_bRestart == allUp, "restart differs from every key being up", state,
                  what);
        } else if (op < 0xF0) {
            // The settings page's way of giving a value: the low word of the
            // stored key code, the stored mask turned into the control's flags.
            const int storedKey = input.Int32();
            const int storedMask = input.Int32();
            const uint16_t key = HotKeyLowWord(storedKey);
            const uint16_t flags = ModToHotKeyFlags(storedMask);
            what += "SetHotKeyValue " + std::to_string(key) + " " + std::to_string(flags);
            state = SetHotKeyValue(state, key, flags);
            Check(state.m_wKey == key && state.m_wModifiers == flags && state.m_bRestart,
                  "the value was not taken", state, what);
            Check(state.m_wHeldKey == before.m_wHeldKey &&
                      state.m_wHeldModifiers == before.m_wHeldModifiers,
                  "setting a value changed the held keys", state, what);
        } else {
            what += "BeginHotKeyCapture";
            state = BeginHotKeyCapture(state);
            held = HeldModel{};
            Check(state.m_wHeldKey == 0 && state.m_wHeldModifiers == 0, "keys held at the start",
                  state, what);
            Check(state.m_wKey == before.m_wKey && state.m_wModifiers == before.m_wModifiers &&
                      state.m_bRestart == before.m_bRestart,
                  "beginning a capture changed the value", state, what);
        }
        Check(ModifierFlag(state.m_wHeldKey) == 0, "the held key is a modifier", state, what);
        Check((state.m_wModifiers & ~kAllFlags) == 0, "the shown modifiers hold another flag",
              state, what);
        Check((state.m_wHeldModifiers & ~kAllFlags) == 0, "the held modifiers hold another flag",
              state, what);
    }
    return 0;
}
