#include "input/ZoomHotKeys.h"

#include "RecordingSettings.h"

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
    RecordingSettings settings;
    settings.values = {{L"HotKeyZoomIn", 222},    {L"HotKeyModZoomIn", 9},
                       {L"HotKeyZoomOut", 189},   {L"HotKeyModZoomOut", 9},
                       {L"HotKeyZoomCancel", 27}, {L"HotKeyModZoomCancel", 0}};
    const std::array<HotKeyRegistration, 3> r = ReadZoomHotKeys(settings);

    EXPECT_EQ(settings.reads,
              (std::vector<std::wstring>{L"HotKeyZoomIn", L"HotKeyModZoomIn", L"HotKeyZoomOut",
                                         L"HotKeyModZoomOut", L"HotKeyZoomCancel",
                                         L"HotKeyModZoomCancel"}));
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
    RecordingSettings settings;
    settings.values = {{L"HotKeyZoomIn", 65 + 65536}, {L"HotKeyModZoomIn", 0x10009},
                       {L"HotKeyZoomOut", -1},        {L"HotKeyModZoomOut", 0x4002},
                       {L"HotKeyZoomCancel", 0},      {L"HotKeyModZoomCancel", 0x20000}};
    const std::array<HotKeyRegistration, 3> r = ReadZoomHotKeys(settings);
    EXPECT_EQ(r[0].key, 65);
    EXPECT_EQ(r[0].modifiers, 0x4009);
    EXPECT_EQ(r[1].key, 0xFFFF);
    EXPECT_EQ(r[1].modifiers, 0x4002);
    EXPECT_EQ(r[2].key, 0);
    EXPECT_EQ(r[2].modifiers, 0x4000);
}

TEST(ReadCancelHotKey_ReadsOnlyTheCancelKeyAndItsModifiers, WhenAZoomShows) {
    RecordingSettings settings;
    settings.values = {{L"HotKeyZoomCancel", 27 + 65536}, {L"HotKeyModZoomCancel", 2}};
    const HotKeyRegistration r = ReadCancelHotKey(settings);
    EXPECT_EQ(settings.reads,
              (std::vector<std::wstring>{L"HotKeyZoomCancel", L"HotKeyModZoomCancel"}));
    EXPECT_EQ(r.id, 103);
    EXPECT_EQ(r.key, 27);
    EXPECT_EQ(r.modifiers, 2 | kHotKeyNoRepeat);
}
