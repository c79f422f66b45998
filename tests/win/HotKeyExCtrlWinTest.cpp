// The extended hot-key control under Wine: key names from the keyboard
// layout, and captured key events turned into the combination shown.
#include "ui/HotKeyExCtrl.h"

#include "ui/core/HotKeyModifiers.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

class HotKeyExCtrlTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_HOTKEY_CLASS};
        ::InitCommonControlsEx(&icc);
        parent = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 300, 100, nullptr,
                                   nullptr, nullptr, nullptr);
        HWND hwnd = ::CreateWindowExW(0, HOTKEY_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10,
                                      10, 200, 24, parent, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        control.SubclassWindow(hwnd);
    }
    void TearDown() override { ::DestroyWindow(parent); }

    // What the control's keyboard hook posts, delivered as its loop would.
    void Key(UINT vk, bool down) {
        control.SendMessage(down ? WM_HOTKEYEX_KEYDOWN : WM_HOTKEYEX_KEYUP, vk, 0);
    }

    std::pair<WORD, WORD> Value() const {
        WORD key = 0;
        WORD modifiers = 0;
        control.GetHotKeyEx(key, modifiers);
        return {key, modifiers};
    }

    HWND parent = nullptr;
    CHotKeyExCtrl control;
};

} // namespace

TEST_F(HotKeyExCtrlTest, KeyNamesComeFromTheLayout) {
    EXPECT_EQ(CHotKeyExCtrl::GetKeyName('A'), L"A");
    EXPECT_FALSE(CHotKeyExCtrl::GetKeyName(VK_CONTROL).empty());
    EXPECT_EQ(CHotKeyExCtrl::GetHotKeyName(0, 0), L"");
    EXPECT_EQ(CHotKeyExCtrl::GetHotKeyName('A', win32::kHotkeyfWin), L"Win + A");
    std::wstring all = CHotKeyExCtrl::GetHotKeyName('A', win32::kHotkeyfWin | HOTKEYF_CONTROL |
                                                             HOTKEYF_SHIFT | HOTKEYF_ALT);
    EXPECT_EQ(all, L"Win + " + CHotKeyExCtrl::GetKeyName(VK_CONTROL) + L" + " +
                       CHotKeyExCtrl::GetKeyName(VK_SHIFT) + L" + " +
                       CHotKeyExCtrl::GetKeyName(VK_MENU) + L" + A");
}

TEST_F(HotKeyExCtrlTest, CapturedEventsBuildTheCombination) {
    control.SetHotKeyEx(222, HOTKEYF_ALT | win32::kHotkeyfWin);
    EXPECT_EQ(Value(), std::make_pair(WORD(222), WORD(HOTKEYF_ALT | win32::kHotkeyfWin)));

    Key(VK_LCONTROL, true);
    EXPECT_EQ(Value(), std::make_pair(WORD(0), WORD(HOTKEYF_CONTROL)));
    Key(VK_LSHIFT, true);
    Key('Z', true);
    Key('Z', false);
    Key(VK_LSHIFT, false);
    Key(VK_LCONTROL, false);
    EXPECT_EQ(Value(), std::make_pair(WORD('Z'), WORD(HOTKEYF_CONTROL | HOTKEYF_SHIFT)));
    EXPECT_EQ(HotKeyFlagsToMod(Value().second), 6);

    // The next key starts a new combination.
    Key(VK_F5, true);
    EXPECT_EQ(Value(), std::make_pair(WORD(VK_F5), WORD(0)));
}

// Keys that share a scan code but for the extended-key prefix keep their own
// names: the arrows are not the keypad's digits, NumLock is not Pause.
TEST_F(HotKeyExCtrlTest, ExtendedKeysHaveTheirOwnNames) {
    for (auto [extended, plain] : {std::make_pair(VK_UP, VK_NUMPAD8),
                                   {VK_RIGHT, VK_NUMPAD6},
                                   {VK_HOME, VK_NUMPAD7},
                                   {VK_INSERT, VK_NUMPAD0},
                                   {VK_NEXT, VK_NUMPAD3},
                                   {VK_NUMLOCK, VK_PAUSE},
                                   {VK_DIVIDE, VK_OEM_2}}) {
        EXPECT_NE(CHotKeyExCtrl::GetKeyName(extended), CHotKeyExCtrl::GetKeyName(plain))
            << extended;
    }
    EXPECT_EQ(CHotKeyExCtrl::GetKeyName(VK_UP), L"Up");
}
