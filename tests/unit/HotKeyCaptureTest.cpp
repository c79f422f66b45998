#include "ui/core/HotKeyCapture.h"

#include "../support/TextKeys.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr uint16_t kShift = 0x01;
constexpr uint16_t kCtrl = 0x02;
constexpr uint16_t kAlt = 0x04;
constexpr uint16_t kWin = 0x10;

constexpr uint16_t kA = 0x41;
constexpr uint16_t kB = 0x42;
constexpr uint16_t kZ = 0x5A;
constexpr uint16_t kF5 = 0x74;
constexpr uint16_t kF6 = 0x75;
constexpr uint16_t kTab = 0x09;
constexpr uint16_t kBack = 0x08;
constexpr uint16_t kEscape = 0x1B;
constexpr uint16_t kSpace = 0x20;
constexpr uint16_t kDelete = 0x2E;
constexpr uint16_t kOem7 = 0xDE;

struct Event {
    uint16_t vk;
    bool down;
    uint16_t shownKey;
    uint16_t shownModifiers;
};

// Down and up of the keys by their codes, with what the control shows after.
Event Down(uint16_t vk, uint16_t key, uint16_t modifiers) {
    return {vk, true, key, modifiers};
}
Event Up(uint16_t vk, uint16_t key, uint16_t modifiers) {
    return {vk, false, key, modifiers};
}

struct Sequence {
    const char* what;
    std::vector<Event> events;
    bool restartAtEnd;
};

HotKeyCaptureState RunSequence(HotKeyCaptureState state, const Sequence& s) {
    for (size_t i = 0; i < s.events.size(); ++i) {
        const Event& e = s.events[i];
        state = StepHotKeyCapture(state, e.vk, e.down);
        EXPECT_EQ(state.m_wKey, e.shownKey) << s.what << ", event " << i;
        EXPECT_EQ(state.m_wModifiers, e.shownModifiers) << s.what << ", event " << i;
    }
    EXPECT_EQ(state.m_bRestart, s.restartAtEnd) << s.what;
    return state;
}

} // namespace

TEST(HotKeyModifierOfKey_ClassifiesModifierKeys, EveryCode) {
    for (unsigned vk = 0; vk <= 0xFFFF; ++vk) {
        uint16_t expected = 0;
        switch (vk) {
        case 0x10:
        case 0xA0:
        case 0xA1: expected = kShift; break;
        case 0x11:
        case 0xA2:
        case 0xA3: expected = kCtrl; break;
        case 0x12:
        case 0xA4:
        case 0xA5: expected = kAlt; break;
        case 0x5B:
        case 0x5C:
        case 0x5D: expected = kWin; break;
        default: break;
        }
        ASSERT_EQ(HotKeyModifierOfKey(static_cast<uint16_t>(vk)), expected) << std::hex << vk;
    }
}

TEST(StepHotKeyCapture_BuildsCombination, EventSequences) {
    const Sequence sequences[] = {
        {"Ctrl A, released",
         {Down(0x11, 0, kCtrl), Down(kA, kA, kCtrl), Up(kA, kA, kCtrl), Up(0x11, kA, kCtrl)},
         true},
        {"Ctrl and Shift alone",
         {Down(0x11, 0, kCtrl), Down(0x10, 0, kCtrl | kShift), Up(0x10, 0, kCtrl), Up(0x11, 0, 0)},
         true},
        {"F5 then F6 replaces the key",
         {Down(kF5, kF5, 0), Down(kF6, kF6, 0), Up(kF5, kF6, 0), Up(kF6, kF6, 0)},
         true},
        {"A then Ctrl makes A count", {Down(kA, 0, 0), Down(0x11, kA, kCtrl)}, false},
        {"auto-repeat keeps the key",
         {Down(0x12, 0, kAlt), Down(kA, kA, kAlt), Down(kA, kA, kAlt), Down(kA, kA, kAlt)},
         false},
        {"F5 alone", {Down(kF5, kF5, 0), Up(kF5, kF5, 0)}, true},
        {"left and right modifiers",
         {Down(0xA0, 0, kShift), Down(0xA3, 0, kShift | kCtrl),
          Down(0xA4, 0, kShift | kCtrl | kAlt), Down(0x5C, 0, kShift | kCtrl | kAlt | kWin),
          Down(kA, kA, kShift | kCtrl | kAlt | kWin)},
         false},
        {"right Shift, left Ctrl, right Alt, left Windows key",
         {Down(0xA1, 0, kShift), Down(0xA2, 0, kShift | kCtrl),
          Down(0xA5, 0, kShift | kCtrl | kAlt), Down(0x5B, 0, kShift | kCtrl | kAlt | kWin),
          Up(0xA1, 0, kCtrl | kAlt | kWin), Up(0xA2, 0, kAlt | kWin), Up(0xA5, 0, kWin),
          Up(0x5B, 0, 0)},
         true},
        {"application key is the Windows key",
         {Down(0x5D, 0, kWin), Down(kB, kB, kWin), Up(kB, kB, kWin), Up(0x5D, kB, kWin)},
         true},
        {"a modifier released before the key stays in the value",
         {Down(0x11, 0, kCtrl), Down(kA, kA, kCtrl), Up(0x11, kA, kCtrl), Up(kA, kA, kCtrl)},
         true},
        {"a modifier released before F5 leaves F5 alone",
         {Down(0x11, 0, kCtrl), Down(kF5, kF5, kCtrl), Up(0x11, kF5, 0), Up(kF5, kF5, 0)},
         true},
    };
    for (const Sequence& s : sequences) {
        RunSequence(BeginHotKeyCapture(HotKeyCaptureState{}), s);
    }
}

TEST(StepHotKeyCapture_BuildsCombination, NextEventAfterReleaseStartsAnew) {
    HotKeyCaptureState state = RunSequence(
        BeginHotKeyCapture(HotKeyCaptureState{}),
        {"Ctrl A",
         {Down(0x11, 0, kCtrl), Down(kA, kA, kCtrl), Up(kA, kA, kCtrl), Up(0x11, kA, kCtrl)},
         true});
    RunSequence(state, {"then F5", {Down(kF5, kF5, 0), Up(kF5, kF5, 0)}, true});
    RunSequence(state, {"then Shift alone", {Down(0x10, 0, kShift), Up(0x10, 0, 0)}, true});
    // A stray release is an event too: it empties the shown value.
    RunSequence(state, {"then a stray release", {Up(kTab, 0, 0)}, true});
}

TEST(StepHotKeyCapture_BuildsCombination, ReleaseOfOtherKeyKeepsHeldKey) {
    HotKeyCaptureState state = BeginHotKeyCapture(HotKeyCaptureState{});
    state = StepHotKeyCapture(state, kA, true);
    state = StepHotKeyCapture(state, kB, true);
    state = StepHotKeyCapture(state, kA, false);
    EXPECT_EQ(state.m_wHeldKey, kB);
    EXPECT_FALSE(state.m_bRestart);
    state = StepHotKeyCapture(state, kB, false);
    EXPECT_EQ(state.m_wHeldKey, 0);
    EXPECT_TRUE(state.m_bRestart);
}

TEST(SetHotKeyValue_ShowsValueUntilNextEvent, ReleaseRightAfterEmpties) {
    HotKeyCaptureState state = SetHotKeyValue(BeginHotKeyCapture(HotKeyCaptureState{}), kA, kCtrl);
    EXPECT_EQ(state.m_wKey, kA);
    EXPECT_EQ(state.m_wModifiers, kCtrl);
    EXPECT_TRUE(state.m_bRestart);
    // The release of the Tab key that brought the focus here.
    RunSequence(state, {"Tab released", {Up(kTab, 0, 0)}, true});
    RunSequence(state, {"F5 pressed", {Down(kF5, kF5, 0)}, false});
    RunSequence(state, {"Alt pressed", {Down(0x12, 0, kAlt)}, false});
}

TEST(SetHotKeyValue_ShowsValueUntilNextEvent, LeavesHeldKeysAlone) {
    HotKeyCaptureState state = BeginHotKeyCapture(HotKeyCaptureState{});
    state = StepHotKeyCapture(state, 0x11, true);
    state = StepHotKeyCapture(state, kA, true);
    state = SetHotKeyValue(state, kF5, kAlt | kWin);
    EXPECT_EQ(state.m_wKey, kF5);
    EXPECT_EQ(state.m_wModifiers, kAlt | kWin);
    EXPECT_EQ(state.m_wHeldKey, kA);
    EXPECT_EQ(state.m_wHeldModifiers, kCtrl);
    EXPECT_TRUE(state.m_bRestart);
    // Ctrl and A are still down: A alone does not count once Ctrl is up.
    RunSequence(state, {"Ctrl released", {Up(0x11, 0, 0)}, false});
}

TEST(BeginHotKeyCapture_StartsWithNothingHeld, ValueSurvivesFocusLoss) {
    HotKeyCaptureState state = BeginHotKeyCapture(HotKeyCaptureState{});
    state = StepHotKeyCapture(state, 0x11, true);
    state = StepHotKeyCapture(state, kA, true);
    // Focus lost with Ctrl and A down, regained later.
    state = BeginHotKeyCapture(state);
    EXPECT_EQ(state.m_wKey, kA);
    EXPECT_EQ(state.m_wModifiers, kCtrl);
    EXPECT_EQ(state.m_wHeldKey, 0);
    EXPECT_EQ(state.m_wHeldModifiers, 0);
    EXPECT_FALSE(state.m_bRestart);

    RunSequence(state, {"F5 pressed after the focus came back", {Down(kF5, kF5, 0)}, false});
    RunSequence(state, {"the old Ctrl released", {Up(0x11, kA, kCtrl)}, true});
}

TEST(BeginHotKeyCapture_StartsWithNothingHeld, FreshControlIsEmpty) {
    const HotKeyCaptureState state = BeginHotKeyCapture(HotKeyCaptureState{});
    EXPECT_EQ(state.m_wKey, 0);
    EXPECT_EQ(state.m_wModifiers, 0);
    EXPECT_FALSE(state.m_bRestart);
    RunSequence(state, {"Shift pressed", {Down(0x10, 0, kShift)}, false});
}

TEST(HotKeyTypesText_KeysThatTypeOrEditText, EveryCode) {
    for (unsigned vk = 0; vk <= 0xFFFF; ++vk) {
        const auto code = static_cast<uint16_t>(vk);
        ASSERT_EQ(HotKeyTypesText(code), IsTextKey(code)) << std::hex << vk;
    }
}

TEST(StepHotKeyCapture_TextKeysNeedCommandModifier, EventSequences) {
    const Sequence sequences[] = {
        {"Z alone", {Down(kZ, 0, 0), Up(kZ, 0, 0)}, true},
        {"Shift Z",
         {Down(0x10, 0, kShift), Down(kZ, 0, kShift), Up(kZ, 0, kShift), Up(0x10, 0, 0)},
         true},
        {"Alt Z",
         {Down(0x12, 0, kAlt), Down(kZ, kZ, kAlt), Up(kZ, kZ, kAlt), Up(0x12, kZ, kAlt)},
         true},
        {"Windows key and space", {Down(0x5B, 0, kWin), Down(kSpace, kSpace, kWin)}, false},
        {"the apostrophe key alone", {Down(kOem7, 0, 0)}, false},
        {"Escape alone", {Down(kEscape, kEscape, 0), Up(kEscape, kEscape, 0)}, true},
        {"Z held, Alt pressed", {Down(kZ, 0, 0), Down(0x12, kZ, kAlt), Up(0x12, kZ, kAlt)}, false},
    };
    for (const Sequence& s : sequences) {
        RunSequence(BeginHotKeyCapture(HotKeyCaptureState{}), s);
    }
}

TEST(StepHotKeyCapture_BackspaceOrDeleteAloneEmpties, EventSequences) {
    const HotKeyCaptureState shown =
        SetHotKeyValue(BeginHotKeyCapture(HotKeyCaptureState{}), kOem7, kAlt | kWin);
    const Sequence sequences[] = {
        {"Backspace", {Down(kBack, 0, 0), Up(kBack, 0, 0)}, true},
        {"Delete", {Down(kDelete, 0, 0), Up(kDelete, 0, 0)}, true},
        {"Shift and Backspace",
         {Down(0x10, 0, kShift), Down(kBack, 0, kShift), Up(kBack, 0, kShift), Up(0x10, 0, 0)},
         true},
        {"Ctrl and Backspace is a combination",
         {Down(0x11, 0, kCtrl), Down(kBack, kBack, kCtrl), Up(kBack, kBack, kCtrl),
          Up(0x11, kBack, kCtrl)},
         true},
        {"Delete while a new combination is still held",
         {Down(0x11, 0, kCtrl), Down(kA, kA, kCtrl), Up(0x11, kA, kCtrl), Down(kDelete, 0, 0),
          Up(kDelete, 0, 0), Up(kA, 0, 0)},
         true},
    };
    for (const Sequence& s : sequences) {
        RunSequence(shown, s);
    }
}

TEST(HotKeyKeyFilter_LeavesDialogKeysToTheDialog, EventSequences) {
    // Per step: key, pressed, taken by the field.
    using Steps = std::vector<std::tuple<uint16_t, bool, bool>>;
    const std::tuple<const char*, bool, Steps> cases[] = {
        {"Tab alone", false, {{kTab, true, false}, {kTab, false, false}}},
        {"Shift Tab: Shift goes with it",
         false,
         {{0x10, true, true}, {kTab, true, false}, {kTab, false, false}, {0x10, false, false}}},
        {"Ctrl Tab", false, {{0xA2, true, true}, {kTab, true, true}, {kTab, false, true}}},
        {"Enter alone", false, {{0x0D, true, false}}},
        {"Alt Enter", false, {{0x12, true, true}, {0x0D, true, true}}},
        {"Escape alone", false, {{kEscape, true, false}}},
        {"Escape in the cancel field", true, {{kEscape, true, true}, {kEscape, false, true}}},
        {"Shift Escape", false, {{0x10, true, true}, {kEscape, true, true}}},
        {"a release whose press came before", false, {{kA, false, false}}},
        {"Win Alt '", false, {{0x5B, true, true}, {0x12, true, true}, {kOem7, true, true}}},
    };
    for (const auto& [what, escapeIsHotKey, steps] : cases) {
        HotKeyKeyFilter filter;
        filter.Begin(escapeIsHotKey);
        for (size_t i = 0; i < steps.size(); ++i) {
            const auto [vk, down, taken] = steps[i];
            EXPECT_EQ(filter.Takes(vk, down), taken) << what << ", step " << i;
        }
    }
}

TEST(EndHotKeyCapture_ModifiersAloneGiveBackTheValue, FocusLost) {
    const HotKeyCaptureState shown =
        SetHotKeyValue(BeginHotKeyCapture(HotKeyCaptureState{}), kOem7, kAlt | kWin);
    const std::pair<Sequence, std::pair<uint16_t, uint16_t>> cases[] = {
        {{"Shift of Shift Tab", {Down(0x10, 0, kShift)}, false}, {kOem7, kAlt | kWin}},
        {{"Ctrl A", {Down(0x11, 0, kCtrl), Down(kA, kA, kCtrl)}, false}, {kA, kCtrl}},
        {{"Ctrl alone", {Down(0x11, 0, kCtrl), Up(0x11, 0, 0)}, true}, {0, 0}},
    };
    for (const auto& [sequence, value] : cases) {
        const HotKeyCaptureState state = EndHotKeyCapture(RunSequence(shown, sequence));
        EXPECT_EQ(std::make_pair(state.m_wKey, state.m_wModifiers), value) << sequence.what;
        EXPECT_EQ(state.m_wHeldModifiers, 0) << sequence.what;
    }
}

TEST(FindSharedHotKey_FirstTwoFieldsWithOneCombination, Table) {
    using Value = std::pair<uint16_t, uint16_t>;
    const std::pair<std::vector<Value>, std::optional<std::pair<size_t, size_t>>> cases[] = {
        {{{kOem7, kAlt | kWin}, {0xBD, kAlt | kWin}, {kEscape, 0}}, std::nullopt},
        {{{kZ, kCtrl}, {kZ, kCtrl}, {kEscape, 0}}, std::make_pair(0, 1)},
        {{{kZ, kCtrl}, {kA, kCtrl}, {kZ, kCtrl}}, std::make_pair(0, 2)},
        {{{kA, 0}, {kZ, kShift}, {kZ, kShift}}, std::make_pair(1, 2)},
        // Same key with other modifiers; fields without a key register nothing.
        {{{kZ, kCtrl}, {kZ, kCtrl | kShift}, {kZ, 0}}, std::nullopt},
        {{{0, 0}, {0, 0}, {0, kCtrl}}, std::nullopt},
    };
    for (const auto& [values, shared] : cases) {
        EXPECT_EQ(FindSharedHotKey(values.data(), values.size()), shared);
    }
}
