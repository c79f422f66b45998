#include "ui/core/HotKeyText.h"

#include "ui/core/HotKeyCapture.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

class RecordingKeyNames : public IKeyNames {
public:
    mutable std::vector<uint16_t> lookups;

    std::wstring GetKeyName(uint16_t vk) const override {
        lookups.push_back(vk);
        static const std::map<uint16_t, std::wstring> names = {
            {0x00, L""},  {0x10, L"Shift"}, {0x11, L"Ctrl"}, {0x12, L"Alt"},
            {0x41, L"A"}, {0x74, L"F5"},    {0xDE, L"'"},    {0x1B, L"Esc"},
        };
        auto it = names.find(vk);
        return it == names.end() ? L"?" : it->second;
    }
    std::wstring LoadText(unsigned id) const override {
        return id == IDS_HOTKEY_WIN ? L"Win" : id == IDS_HOTKEY_SEPARATOR ? L" + " : L"?";
    }
};

} // namespace

TEST(GetHotKeyName_JoinsNamesInFixedOrder, Table) {
    struct Case {
        uint16_t key;
        uint16_t modifiers;
        const wchar_t* text;
        std::vector<uint16_t> lookups;
    } cases[] = {
        {0, 0, L"", {}},
        {0x41, 0, L"A", {0x41}},
        {0x74, 0, L"F5", {0x74}},
        {0x41, 0x10, L"Win + A", {0x41}},
        {0x41, 0x02, L"Ctrl + A", {0x11, 0x41}},
        {0x41, 0x01, L"Shift + A", {0x10, 0x41}},
        {0x41, 0x04, L"Alt + A", {0x12, 0x41}},
        {0xDE, 0x14, L"Win + Alt + '", {0x12, 0xDE}},
        {0x41, 0x17, L"Win + Ctrl + Shift + Alt + A", {0x11, 0x10, 0x12, 0x41}},
        {0x1B, 0x05, L"Shift + Alt + Esc", {0x10, 0x12, 0x1B}},
        // Modifiers held alone: the name of key 0 closes the text.
        {0, 0x02, L"Ctrl + ", {0x11, 0x00}},
        {0, 0x14, L"Win + Alt + ", {0x12, 0x00}},
        // Bits that name no modifier add nothing but still make the value non-empty.
        {0, 0x08, L"", {0x00}},
        {0x41, 0xFFE8, L"A", {0x41}},
        {0x99, 0, L"?", {0x99}},
    };
    for (const Case& c : cases) {
        RecordingKeyNames names;
        EXPECT_EQ(GetHotKeyName(c.key, c.modifiers, names), c.text)
            << std::hex << "key 0x" << c.key << " modifiers 0x" << c.modifiers;
        EXPECT_EQ(names.lookups, c.lookups)
            << std::hex << "key 0x" << c.key << " modifiers 0x" << c.modifiers;
    }
}

TEST(GetHotKeyName_JoinsNamesInFixedOrder, FollowsCapturedModifiers) {
    RecordingKeyNames names;
    HotKeyCaptureState state = BeginHotKeyCapture(HotKeyCaptureState{});
    state = StepHotKeyCapture(state, 0x11, true);
    EXPECT_EQ(GetHotKeyName(state.m_wKey, state.m_wModifiers, names), L"Ctrl + ");
    state = StepHotKeyCapture(state, 0xA1, true);
    EXPECT_EQ(GetHotKeyName(state.m_wKey, state.m_wModifiers, names), L"Ctrl + Shift + ");
    state = StepHotKeyCapture(state, 0x5B, true);
    state = StepHotKeyCapture(state, 0x41, true);
    EXPECT_EQ(GetHotKeyName(state.m_wKey, state.m_wModifiers, names), L"Win + Ctrl + Shift + A");
    state = StepHotKeyCapture(state, 0x41, false);
    state = StepHotKeyCapture(state, 0x5B, false);
    state = StepHotKeyCapture(state, 0xA1, false);
    state = StepHotKeyCapture(state, 0x11, false);
    EXPECT_EQ(GetHotKeyName(state.m_wKey, state.m_wModifiers, names), L"Win + Ctrl + Shift + A");
    state = StepHotKeyCapture(state, 0x11, true);
    state = StepHotKeyCapture(state, 0x11, false);
    EXPECT_EQ(GetHotKeyName(state.m_wKey, state.m_wModifiers, names), L"");
}

TEST(KeyNameParam_SetsExtendedBitForKeysThatCarryIt, EveryCode) {
    const std::vector<uint16_t> extended = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D,
                                            0x2E, 0x90, 0x6F, 0xA3, 0xA5, 0x5B, 0x5C, 0x5D};
    for (unsigned vk = 0; vk <= 0xFF; ++vk) {
        const bool isExtended = std::find(extended.begin(), extended.end(), vk) != extended.end();
        // The scan code goes to bits 16 to 23; bit 25 never.
        EXPECT_EQ(KeyNameParam(static_cast<uint16_t>(vk), 0x148),
                  0x480000 | (isExtended ? 0x1000000 : 0))
            << std::hex << vk;
    }
}

TEST(FormatText_FillsNumberedPlaces, Table) {
    const std::vector<std::wstring> args = {L"ズームイン", L"Win + Alt + '"};
    struct Case {
        const wchar_t* format;
        const wchar_t* text;
    } cases[] = {
        {L"%1 (%2) は使えません。", L"ズームイン (Win + Alt + ') は使えません。"},
        {L"%2 / %1", L"Win + Alt + ' / ズームイン"},
        // Places without an argument, a lone % and %0 stay as written.
        {L"%3 %0 100% %", L"%3 %0 100% %"},
        {L"%%1", L"%ズームイン"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatText(c.format, args), c.text) << c.format;
    }
}
