#include "input/core/WheelChord.h"

#include "../support/FakeSettings.h"
#include "settings/core/SettingKeys.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Bits: 1 Ctrl, 2 Alt, 4 Shift, 8 Windows key.
WheelChordSettings ChordFromMask(int mask, int on = 1, int off = 0) {
    WheelChordSettings chord;
    chord.ctrl = (mask & 1) ? on : off;
    chord.alt = (mask & 2) ? on : off;
    chord.shift = (mask & 4) ? on : off;
    chord.win = (mask & 8) ? on : off;
    return chord;
}

// Bits: 1 Ctrl, 2 Alt, 4 Shift, 8 left Windows key, 16 right Windows key.
HeldModifiers HeldFromMask(int mask) {
    HeldModifiers held;
    held.ctrl = (mask & 1) != 0;
    held.alt = (mask & 2) != 0;
    held.shift = (mask & 4) != 0;
    held.lwin = (mask & 8) != 0;
    held.rwin = (mask & 16) != 0;
    return held;
}

} // namespace

TEST(DecideWheelZoom_ZoomsOnlyOnExactChord, AllChordsAllHeldStates) {
    for (int chordMask = 0; chordMask < 16; ++chordMask) {
        for (int heldMask = 0; heldMask < 32; ++heldMask) {
            const int heldAsChord = (heldMask & 7) | ((heldMask & 24) != 0 ? 8 : 0);
            const bool expected = chordMask != 0 && heldAsChord == chordMask;
            const WheelDecision d =
                DecideWheelZoom(ChordFromMask(chordMask), HeldFromMask(heldMask), 120, false);
            EXPECT_EQ(d.zoom, expected) << "chord " << chordMask << " held " << heldMask;
            EXPECT_EQ(d.forward, expected) << "chord " << chordMask << " held " << heldMask;
        }
    }
}

TEST(DecideWheelZoom_ZoomsOnlyOnExactChord, NamedCases) {
    struct Case {
        const char* what;
        int chord;
        int held;
        bool zoom;
    } cases[] = {
        {"default chord, Ctrl held", 1, 1, true},
        {"default chord, nothing held", 1, 0, false},
        {"default chord, Ctrl and Shift held", 1, 1 | 4, false},
        {"default chord, Ctrl and left Windows key held", 1, 1 | 8, false},
        {"Ctrl+Alt chord, Ctrl held", 1 | 2, 1, false},
        {"Ctrl+Alt chord, Ctrl and Alt held", 1 | 2, 1 | 2, true},
        {"Windows key chord, left held", 8, 8, true},
        {"Windows key chord, right held", 8, 16, true},
        {"Windows key chord, both held", 8, 8 | 16, true},
        {"Windows key chord, none held", 8, 0, false},
        {"empty chord, nothing held", 0, 0, false},
        {"empty chord, everything held", 0, 31, false},
        {"full chord, everything held", 15, 31, true},
        {"full chord, Windows key missing", 15, 7, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideWheelZoom(ChordFromMask(c.chord), HeldFromMask(c.held), 120, true).zoom,
                  c.zoom)
            << c.what;
    }
}

TEST(DecideWheelZoom_ReadsBitZeroOfSettings, TwoIsOffThreeIsOn) {
    // "2" has bit 0 clear: with every setting at 2 the chord is empty.
    for (int heldMask = 0; heldMask < 32; ++heldMask) {
        EXPECT_FALSE(
            DecideWheelZoom(ChordFromMask(0, 3, 2), HeldFromMask(heldMask), 120, true).zoom)
            << "held " << heldMask;
    }
    EXPECT_TRUE(IsWheelChordEmpty(ChordFromMask(0, 3, 2)));
    EXPECT_FALSE(IsWheelChordEmpty(ChordFromMask(4, 3, 2)));

    // Ctrl "2" counts as off, Shift "3" as on.
    WheelChordSettings chord;
    chord.ctrl = 2;
    chord.shift = 3;
    EXPECT_TRUE(DecideWheelZoom(chord, HeldFromMask(4), 120, true).zoom);
    EXPECT_FALSE(DecideWheelZoom(chord, HeldFromMask(1 | 4), 120, true).zoom);
    EXPECT_FALSE(DecideWheelZoom(chord, HeldFromMask(1), 120, true).zoom);

    struct Case {
        int value;
        bool on;
    } values[] = {{0, false}, {1, true},   {2, false},     {3, true},
                  {-1, true}, {-2, false}, {0x10001, true}};
    for (const Case& c : values) {
        WheelChordSettings alt;
        alt.alt = c.value;
        EXPECT_EQ(DecideWheelZoom(alt, HeldFromMask(2), 120, true).zoom, c.on)
            << "value " << c.value;
        EXPECT_EQ(IsWheelChordEmpty(alt), !c.on) << "value " << c.value;
    }
}

TEST(DecideWheelZoom_DirectionFollowsDelta, ZeroIsBackward) {
    struct Case {
        int delta;
        bool forward;
    } cases[] = {{120, true}, {1, true},     {32767, true},  {0, false},
                 {-1, false}, {-120, false}, {-32768, false}};
    for (const Case& c : cases) {
        // While a zoom is shown the chord takes both directions; with none
        // shown only forward, which starts one.
        const WheelDecision shown =
            DecideWheelZoom(ChordFromMask(1), HeldFromMask(1), c.delta, true);
        EXPECT_TRUE(shown.zoom) << "delta " << c.delta;
        EXPECT_EQ(shown.forward, c.forward) << "delta " << c.delta;
        const WheelDecision hidden =
            DecideWheelZoom(ChordFromMask(1), HeldFromMask(1), c.delta, false);
        EXPECT_EQ(hidden.zoom, c.forward) << "delta " << c.delta << ", no zoom shown";
        EXPECT_EQ(hidden.forward, c.forward) << "delta " << c.delta << ", no zoom shown";
    }
}

TEST(WheelDeltaFromMouseData_TakesSignedHighWord, Table) {
    struct Case {
        uint32_t mouseData;
        int delta;
    } cases[] = {
        {0x00780000u, 120},    {0xFF880000u, -120}, {0x0000FFFFu, 0}, {0x7FFF0000u, 32767},
        {0x80000000u, -32768}, {0xFFFFFFFFu, -1},   {0x0001FFFFu, 1}, {0u, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WheelDeltaFromMouseData(c.mouseData), c.delta) << std::hex << c.mouseData;
    }
}

TEST(ReadWheelChordSettings_ReadsInOrder, CtrlAltShiftWin) {
    Calls reads;
    FakeSettings settings{reads};
    settings.readOnly = true;
    settings.values = {{kMouseZoomCtrlKey, 11},
                       {kMouseZoomAltKey, 12},
                       {kMouseZoomShiftKey, 13},
                       {kMouseZoomWinKey, 14}};
    const WheelChordSettings chord = ReadWheelChordSettings(settings);
    EXPECT_EQ(reads, (Calls{"Read(MouseZoomCtrl)", "Read(MouseZoomAlt)", "Read(MouseZoomShift)",
                            "Read(MouseZoomWin)"}));
    EXPECT_EQ(chord.ctrl, 11);
    EXPECT_EQ(chord.alt, 12);
    EXPECT_EQ(chord.shift, 13);
    EXPECT_EQ(chord.win, 14);
}

TEST(WheelEventOrder, StepsKeepTheOrderOfArrivalWhenHookCallsNest) {
    WheelEventOrder order;
    std::vector<int> taken; // +1 forward, -1 backward
    const auto take = [&](bool forward) { taken.push_back(forward ? 1 : -1); };

    // A forward notch is still deciding when two backward notches come in.
    const auto outer = order.Arrive();
    const auto inner1 = order.Arrive();
    EXPECT_TRUE(order.EarlierPending(inner1)) << "the outer notch may still zoom";
    order.Decide(inner1, false);
    order.TakeSteps(take);
    const auto inner2 = order.Arrive();
    EXPECT_TRUE(order.EarlierPending(inner2));
    order.Decide(inner2, false);
    order.TakeSteps(take);
    EXPECT_TRUE(taken.empty()) << "no step before the outer notch's";
    EXPECT_FALSE(order.EarlierPending(outer));
    order.Decide(outer, true);
    order.TakeSteps(take);
    EXPECT_EQ(taken, (std::vector<int>{1, -1, -1}));

    // A step lets another hook call in: its step follows in the same run.
    taken.clear();
    const auto first = order.Arrive();
    order.Decide(first, true);
    bool nested = false;
    order.TakeSteps([&](bool forward) {
        take(forward);
        if (!nested) {
            nested = true;
            const auto later = order.Arrive();
            order.Decide(later, false);
            order.TakeSteps(take);
        }
    });
    EXPECT_EQ(taken, (std::vector<int>{1, -1}));

    // A notch passed on holds nothing back.
    taken.clear();
    const auto passed = order.Arrive();
    const auto after = order.Arrive();
    order.Decide(passed, std::nullopt);
    EXPECT_FALSE(order.EarlierPending(after));
    order.Decide(after, true);
    order.TakeSteps(take);
    EXPECT_EQ(taken, (std::vector<int>{1}));
}

TEST(WheelDeltaSum, WholeNotchesStepOnceAndRemaindersCarry) {
    struct Case {
        const char* name;
        std::vector<int> deltas; // gapMs apart, from startMs
        unsigned gapMs, startMs;
        std::vector<int> steps; // per event, negative backward
    } cases[] = {
        {"plain notches", {120, 120, -120}, 10, 0, {1, 1, -1}},
        {"a fast wheel", {240, -360}, 10, 0, {2, -3}},
        {"touchpad 12 x 10", std::vector<int>(12, 10), 8, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"40 + 40 + 40, remainders carry", {40, 40, 40, 100, 20}, 10, 0, {0, 0, 1, 0, 1}},
        {"a reversal drops the remainder", {100, -40, -80, 100, 20}, 10, 0, {0, 0, -1, 0, 1}},
        {"a pause over 0.5 s drops it", {100, 100, 20}, 501, 0, {0, 0, 0}},
        {"0.5 s is no pause", {100, 20}, 500, 0, {0, 1}},
        {"across the time stamp's wrap", {100, 20}, 0x100, 0xFFFFFFC0u, {0, 1}},
        {"zero counts backward", {100, 0, 20}, 10, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        WheelDeltaSum sum;
        std::vector<int> steps;
        unsigned time = c.startMs;
        for (int delta : c.deltas) {
            const int n = sum.Add(delta, time);
            steps.push_back(delta > 0 ? n : -n);
            time += c.gapMs;
        }
        EXPECT_EQ(steps, c.steps) << c.name;
    }
}
