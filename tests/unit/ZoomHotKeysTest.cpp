#include "input/core/ZoomHotKeys.h"

#include "../support/FakeSettings.h"
#include "settings/core/SettingKeys.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

TEST(HotKeyLowWord_KeepsLow16BitsUnsigned, Table) {
    struct Case {
        int value;
        uint16_t expected;
    } cases[] = {
        {0, 0},         {65, 65},          {65 + 65536, 65}, {0x10009, 9},
        {65535, 65535}, {65536, 0},        {-1, 0xFFFF},     {-65536, 0},
        {INT_MIN, 0},   {INT_MAX, 0xFFFF}, {0x4000, 0x4000}, {0x12345678, 0x5678},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyLowWord(c.value), c.expected) << "value " << c.value;
    }
}

TEST(ReadZoomHotKeys_ReadsKeyBeforeModifiers, InCommandOrder) {
    Calls reads;
    FakeSettings settings{reads};
    settings.readOnly = true;
    settings.values = {{kHotKeyZoomInKey, 222},    {kHotKeyModZoomInKey, 9},
                       {kHotKeyZoomOutKey, 189},   {kHotKeyModZoomOutKey, 9},
                       {kHotKeyZoomCancelKey, 27}, {kHotKeyModZoomCancelKey, 0}};
    const std::array<HotKeyRegistration, 3> r = ReadZoomHotKeys(settings);

    EXPECT_EQ(reads, (Calls{"Read(HotKeyZoomIn)", "Read(HotKeyModZoomIn)", "Read(HotKeyZoomOut)",
                            "Read(HotKeyModZoomOut)", "Read(HotKeyZoomCancel)",
                            "Read(HotKeyModZoomCancel)"}));
    // Every registration asks for one command per press, not one per repeat.
    EXPECT_EQ(r[0].id, 101);
    EXPECT_EQ(r[0].key, 222);
    EXPECT_EQ(r[0].modifiers, 0x4009);
    EXPECT_EQ(r[1].id, 102);
    EXPECT_EQ(r[1].key, 189);
    EXPECT_EQ(r[1].modifiers, 0x4009);
    EXPECT_EQ(r[2].id, 103);
    EXPECT_EQ(r[2].key, 27);
    EXPECT_EQ(r[2].modifiers, 0x4000);
}

TEST(ReadZoomHotKeys_CutsValuesTo16Bits, WideKeyAndMask) {
    Calls reads;
    FakeSettings settings{reads};
    settings.readOnly = true;
    settings.values = {{kHotKeyZoomInKey, 65 + 65536}, {kHotKeyModZoomInKey, 0x10009},
                       {kHotKeyZoomOutKey, -1},        {kHotKeyModZoomOutKey, 0x4002},
                       {kHotKeyZoomCancelKey, 0},      {kHotKeyModZoomCancelKey, 0x20000}};
    const std::array<HotKeyRegistration, 3> r = ReadZoomHotKeys(settings);
    EXPECT_EQ(r[0].key, 65);
    EXPECT_EQ(r[0].modifiers, 0x4009);
    EXPECT_EQ(r[1].key, 0xFFFF);
    EXPECT_EQ(r[1].modifiers, 0x4002);
    EXPECT_EQ(r[2].key, 0);
    EXPECT_EQ(r[2].modifiers, 0x4000);
}

TEST(ReadCancelHotKey_ReadsOnlyTheCancelKeyAndItsModifiers, WhenAZoomShows) {
    Calls reads;
    FakeSettings settings{reads};
    settings.readOnly = true;
    settings.values = {{kHotKeyZoomCancelKey, 27 + 65536}, {kHotKeyModZoomCancelKey, 2}};
    const HotKeyRegistration r = ReadCancelHotKey(settings);
    EXPECT_EQ(reads, (Calls{"Read(HotKeyZoomCancel)", "Read(HotKeyModZoomCancel)"}));
    EXPECT_EQ(r.id, 103);
    EXPECT_EQ(r.key, 27);
    EXPECT_EQ(r.modifiers, 2 | win32::kModNoRepeat);
}
