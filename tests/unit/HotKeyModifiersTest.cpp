#include "ui/core/HotKeyModifiers.h"

#include <gtest/gtest.h>

TEST(ModToHotKeyFlags_ConvertsBitByBit, Table) {
    struct Case {
        int mask;
        uint16_t flags;
    } cases[] = {
        {0, 0},    {0x01, 0x04},    {0x02, 0x02}, {0x04, 0x01},   {0x08, 0x10},
        {9, 0x14}, {0x0F, 0x17},    {0x4000, 0},  {0x4009, 0x14}, {0x10, 0},
        {0xF0, 0}, {0x10009, 0x14}, {-1, 0x17},   {0x05, 0x05},   {0x06, 0x03},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModToHotKeyFlags(c.mask), c.flags) << std::hex << "mask 0x" << c.mask;
    }
}

TEST(HotKeyFlagsToMod_ConvertsBitByBit, Table) {
    struct Case {
        uint16_t flags;
        int mask;
    } cases[] = {
        {0, 0},       {0x01, 0x04}, {0x02, 0x02}, {0x04, 0x01}, {0x10, 0x08},   {0x14, 9},
        {0x17, 0x0F}, {0x08, 0},    {0x1F, 0x0F}, {0xFFE0, 0},  {0xFFFF, 0x0F}, {0x0C, 0x01},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyFlagsToMod(c.flags), c.mask) << std::hex << "flags 0x" << c.flags;
    }
}

TEST(HotKeyFlagsToMod_ConvertsBitByBit, RoundTripsEveryStoredMask) {
    for (int mask = 0; mask < 16; ++mask) {
        EXPECT_EQ(HotKeyFlagsToMod(ModToHotKeyFlags(mask)), mask) << "mask " << mask;
    }
}

TEST(HotKeyFlagsToMod_ConvertsBitByBit, ExtendedFlagIsNeverStored) {
    for (uint16_t flags = 0; flags < 0x20; ++flags) {
        EXPECT_EQ(HotKeyFlagsToMod(static_cast<uint16_t>(flags | win32::kHotkeyfExt)),
                  HotKeyFlagsToMod(flags))
            << "flags " << flags;
    }
}

TEST(ZoomOutSliderCorrection_KeepsZoomOutAtMostZoomIn, Table) {
    struct Case {
        int zoomIn;
        int zoomOut;
        std::optional<int> corrected;
    } cases[] = {
        {3, 7, 3},
        {5, 7, 5},
        {8, 7, std::nullopt},
        {10, 15, 10},
        {4, 2, std::nullopt},
        {6, 6, std::nullopt},
        {1, 20, 1},
        {20, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomOutSliderCorrection(c.zoomIn, c.zoomOut), c.corrected)
            << "zoom in " << c.zoomIn << " zoom out " << c.zoomOut;
    }
}
