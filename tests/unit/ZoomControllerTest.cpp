#include "zoom/core/ZoomController.h"

#include "../support/FakeZoomPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

void ReportFakeFault(const std::string& what) {
    ADD_FAILURE() << what;
}

namespace {

enum class State { Hidden, Zoomed, Animating, Inconsistent };

const char* Name(State s) {
    switch (s) {
    case State::Hidden: return "Hidden";
    case State::Zoomed: return "Zoomed";
    case State::Animating: return "Animating";
    default: return "Inconsistent";
    }
}

struct Rig {
    FakeZoomPlatform fake;
    ZoomControllerProbe zoom{fake, fake.settings};

    Rig() {
        zoom.UpdateMonitorRect();
        fake.window = zoom.MonitorRect();
        fake.calls.clear();
    }

    void Limits(int in, int out) {
        fake.settings.values[kMaxRateZoomInKey] = in;
        fake.settings.values[kMaxRateZoomOutKey] = out;
    }

    // Ticks until the animation is over; the number of ticks it took.
    int FinishAnimation() {
        int ticks = 0;
        while (zoom.IsAnimating() && ticks < 100) {
            zoom.Tick();
            ++ticks;
        }
        return ticks;
    }

    State Current() const {
        const bool timer =
            zoom.Timer().Running() && fake.timer.Running() && zoom.Timer().id == fake.timer.id;
        // The cancel hot key is held exactly while a zoom shows.
        if (!fake.visible && zoom.Rate() == 1.0 && !zoom.Timer().Running() &&
            !fake.timer.Running() && !zoom.IsAnimating() && !fake.cancelHotKey) {
            return State::Hidden;
        }
        if (fake.visible && timer && fake.cancelHotKey && zoom.IsAnimating()) {
            return State::Animating;
        }
        if (fake.visible && timer && fake.cancelHotKey && zoom.Rate() > 1.0) {
            return State::Zoomed;
        }
        return State::Inconsistent;
    }
};

class ZoomControllerTest : public testing::Test {
protected:
    Rig rig;
    FakeZoomPlatform& fake = rig.fake;
    ZoomControllerProbe& zoom = rig.zoom;
};

// ---- pure arithmetic ----

TEST(NextWholeRate_StepsToNextWholeRate, Table) {
    const struct {
        double rate, expected;
    } cases[] = {{1.0, 2.0}, {1.1, 2.0}, {4.0, 5.0}, {4.5, 5.0}, {19.5, 20.0}, {20.0, 21.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(NextWholeRate(c.rate), c.expected) << "rate " << c.rate;
    }
}

TEST(PreviousWholeRate_TreatsRatesJustAboveWholeAsWhole, Table) {
    const struct {
        double rate, expected;
    } cases[] = {{6.0, 5.0},    {2.5, 2.0},    {2.05, 1.0}, {2.0, 1.0},   {3.1, 3.0}, {3.05, 2.0},
                 {2.0985, 1.0}, {2.0995, 2.0}, {1.0, 0.0},  {20.0, 19.0}, {1.5, 1.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(PreviousWholeRate(c.rate, 0.1), c.expected) << "rate " << c.rate;
    }
}

TEST(ScreenCopySource_LiveOnlyWhereTheCopyLeavesTheWindowOut, Table) {
    // (system version, whether it was asked to exclude the window, whether
    // the window was then excluded, live copy). Windows 10 before 2004 would
    // copy an excluded window black, so it is not even asked.
    const struct {
        int reportedMajor; // what the version gate reads
        unsigned major, build;
        bool asks, accepted, live;
    } cases[] = {
        {5, 5, 2600, false, false, true},    // Windows XP: copies leave layered windows out
        {6, 6, 7601, false, false, false},   // Windows 7, and a fresh Wine prefix
        {6, 10, 18363, false, false, false}, // Windows 10 1909, reported as 6 without manifest
        {6, 10, 19041, true, true, true},    // Windows 10 2004
        {6, 10, 19041, true, false, false},  // the system refused
        {6, 10, 22631, true, true, true},    // Windows 11
        {10, 10, 26100, true, false, false}, // refused on Windows 11 too
        {0, 0, 0, false, false, false},      // no version known
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.build));
        EXPECT_EQ(SystemExcludesFromCapture(c.major, c.build), c.asks);
        EXPECT_EQ(CopiesScreenLive(c.reportedMajor, c.asks && c.accepted), c.live);
    }
}

TEST(SourceRectAround_KeepsCursorPointAndStaysInside, Table) {
    const RECT full{0, 0, 1920, 1080};
    const struct {
        RECT client;
        POINT cursor;
        double rate;
        RECT expected;
    } cases[] = {
        {full, {1000, 500}, 4.0, {750, 375, 1230, 645}},
        {full, {1000, 500}, 1.0, {0, 0, 1920, 1080}},
        {full, {0, 0}, 2.0, {0, 0, 960, 540}},
        {full, {1920, 1080}, 2.0, {960, 540, 1920, 1080}},
        {full, {-50, -7}, 2.0, {0, 0, 960, 540}},
        {full, {5000, 3000}, 2.0, {960, 540, 1920, 1080}},
        {full, {-5000, 3000}, 2.0, {0, 540, 960, 1080}},
        {full, {1000, 500}, 3.0, {666, 333, 1306, 693}},
        {full, {1919, 1079}, 20.0, {1823, 1025, 1919, 1079}},
        {full, {960, 540}, 1.25, {192, 108, 1728, 972}},
        {{0, 0, 1280, 1024}, {280, 600}, 2.0, {140, 300, 780, 812}},
        {full, {1000, 500}, 0.5, {0, 0, 1920, 1080}},
        {{0, 0, 0, 0}, {10, 10}, 2.0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const RECT source = SourceRectAround(c.client, c.cursor, c.rate);
        EXPECT_EQ(Fmt(source), Fmt(c.expected)) << "cursor " << Fmt(c.cursor) << " rate " << c.rate;
        EXPECT_TRUE(Inside(source, c.client)) << Fmt(source);
    }
}

TEST(SourceRectShowing_CentresOrShowsTopLeftAndStaysInside, Table) {
    const RECT full{0, 0, 1920, 1080};
    const auto at = [](int x, int y) { return RECT{x, y, x, y}; };
    const struct {
        RECT client;
        RECT target;
        double rate;
        RECT expected;
    } cases[] = {
        {full, at(960, 540), 4.0, {720, 405, 1200, 675}},
        {full, at(500, 300), 4.0, {260, 165, 740, 435}},
        {full, at(501, 301), 3.0, {181, 121, 821, 481}},
        {full, at(100, 50), 4.0, {0, 0, 480, 270}},
        {full, at(1900, 1070), 4.0, {1440, 810, 1920, 1080}},
        {full, at(-400, 5000), 2.0, {0, 540, 960, 1080}},
        {full, at(700, 700), 1.0, {0, 0, 1920, 1080}},
        {full, at(700, 700), 0.5, {0, 0, 1920, 1080}},
        {{0, 0, 1280, 1024}, at(640, 512), 20.0, {608, 487, 672, 538}},
        {{0, 0, 0, 0}, at(10, 10), 2.0, {0, 0, 0, 0}},
        // A focused button: its middle.
        {full, {900, 500, 1020, 532}, 4.0, {720, 381, 1200, 651}},
        // As long as the part: still its middle.
        {full, {400, 300, 880, 570}, 4.0, {400, 300, 880, 570}},
        // Wider than the part: its left edge; taller too: its top.
        {full, {300, 200, 1500, 260}, 4.0, {300, 95, 780, 365}},
        {full, {300, 200, 1500, 900}, 4.0, {300, 200, 780, 470}},
        // Top-left, then kept inside.
        {full, {1700, 900, 3000, 2000}, 4.0, {1440, 810, 1920, 1080}},
        {full, {-50, -50, 1000, 20}, 2.0, {0, 0, 960, 540}},
    };
    for (const auto& c : cases) {
        const RECT source = SourceRectShowing(c.client, c.target, c.rate);
        EXPECT_EQ(Fmt(source), Fmt(c.expected)) << "target " << Fmt(c.target) << " rate " << c.rate;
        EXPECT_TRUE(Inside(source, c.client)) << Fmt(source);
    }
}

TEST(ViewFocus_LatestOfCaretAndFocusWhileCursorRests, Table) {
    // follow: 1 the caret, 2 the focus. The cursor, the caret and the
    // focused object lie on lines of their own: only x varies, 0 is none.
    // The focus is 80 pixels wide and counts changes; target is the left of
    // what the view shows.
    const ViewSource cursor = ViewSource::Cursor, caret = ViewSource::Caret,
                     focus = ViewSource::Focus;
    const struct Step {
        const char* what;
        int follow, cursorX, caretX, focusX;
        std::uint32_t changes;
        ViewSource source;
        int target;
    } steps[] = {
        {"first look only records", 1, 100, 500, 0, 0, cursor, 0},
        {"nothing moved", 1, 100, 500, 0, 0, cursor, 0},
        {"caret moved, cursor rests", 1, 100, 510, 0, 0, caret, 510},
        {"typing on", 1, 100, 520, 0, 0, caret, 520},
        {"caret gone: view stays", 1, 100, 0, 0, 0, caret, 520},
        {"caret back where it was", 1, 100, 520, 0, 0, caret, 520},
        {"cursor moved", 1, 101, 520, 0, 0, cursor, 0},
        {"both moved: the cursor wins", 1, 102, 530, 0, 0, cursor, 0},
        {"caret on the next line", 1, 102, 400, 0, 0, caret, 400},
        {"turned off", 0, 102, 410, 0, 0, cursor, 0},
        {"turned on: records first", 1, 102, 420, 0, 0, cursor, 0},
        {"caret appears elsewhere", 1, 102, 0, 0, 0, cursor, 0},
        {"a caret that shows up moved", 1, 102, 420, 0, 0, caret, 420},
        {"focus turned on: records first", 3, 102, 420, 700, 3, caret, 420},
        {"focus changes: the latest wins", 3, 102, 420, 900, 4, focus, 900},
        {"same rectangle, a new change", 3, 102, 420, 900, 5, focus, 900},
        {"caret moves after it", 3, 102, 428, 900, 5, caret, 428},
        {"both in one tick: the caret", 3, 102, 300, 200, 6, caret, 300},
        {"a focus change after typing", 3, 102, 300, 40, 7, focus, 40},
        {"the mouse takes it back", 3, 103, 300, 40, 7, cursor, 0},
        {"focus alone", 2, 103, 310, 60, 8, focus, 60},
        {"caret ignored without FollowCaret", 2, 103, 320, 60, 8, focus, 60},
        {"focus gone: view stays", 2, 103, 0, 0, 0, focus, 60},
        {"focus turned off, caret on", 1, 103, 320, 0, 0, cursor, 0},
    };
    ViewFocus view;
    for (const Step& step : steps) {
        std::optional<POINT> caretAt;
        std::optional<FocusMark> focusAt;
        if (step.caretX != 0) {
            caretAt = POINT{step.caretX, 300};
        }
        if (step.focusX != 0) {
            focusAt = FocusMark{RECT{step.focusX, 200, step.focusX + 80, 220}, step.changes};
        }
        view.Observe((step.follow & 1) != 0, (step.follow & 2) != 0, POINT{step.cursorX, 100},
                     caretAt, focusAt);
        EXPECT_EQ(view.Source(), step.source) << step.what;
        if (view.Source() != ViewSource::Cursor) {
            EXPECT_EQ(view.Target().left, step.target) << step.what;
            EXPECT_EQ(view.Centre().y, view.OnCaret() ? 300 : 210) << step.what;
        }
    }
    view.Reset();
    view.Observe(true, true, POINT{102, 100}, POINT{999, 999}, FocusMark{RECT{}, 99});
    EXPECT_EQ(view.Source(), ViewSource::Cursor) << "after a reset the first look only records";
}

// ---- every row of the state table ----

TEST(ZoomController_StateTransitions, Table) {
    using Step = std::function<void(Rig&)>;
    const Step hidden = [](Rig&) {};
    const Step zoomedAt2 = [](Rig& r) { r.zoom.ApplyZoom(2.0); };
    const Step zoomedAt6 = [](Rig& r) { r.zoom.ApplyZoom(6.0); };
    const Step animating = [](Rig& r) {
        r.zoom.ApplyZoom(2.0);
        r.Limits(8, 2);
        r.zoom.ZoomIn();
    };
    const struct {
        const char* name;
        Step setup;
        Step event;
        State expected;
        double rate;
    } rows[] = {
        {"hidden, zoom-in below limit", hidden, [](Rig& r) { r.zoom.ZoomIn(); }, State::Animating,
         1.25},
        {"hidden, zoom-in at limit", hidden,
         [](Rig& r) {
             r.Limits(1, 2);
             r.zoom.ZoomIn();
         },
         State::Zoomed, 2.0},
        {"hidden, wheel forward", hidden, [](Rig& r) { r.zoom.Wheel(true); }, State::Zoomed, 1.1},
        {"hidden, wheel backward", hidden, [](Rig& r) { r.zoom.Wheel(false); }, State::Hidden, 1.0},
        {"hidden, zoom-out", hidden, [](Rig& r) { r.zoom.ZoomOut(); }, State::Hidden, 1.0},
        {"hidden, cancel", hidden, [](Rig& r) { r.zoom.Cancel(); }, State::Hidden, 1.0},
        {"hidden, tick", hidden, [](Rig& r) { r.zoom.Tick(); }, State::Hidden, 1.0},
        {"zoomed, zoom-in below limit", zoomedAt2, [](Rig& r) { r.zoom.ZoomIn(); },
         State::Animating, 2.0 + 2.0 / 12},
        {"zoomed, zoom-out above limit", zoomedAt6, [](Rig& r) { r.zoom.ZoomOut(); },
         State::Animating, 6.0 - 4.0 / 12},
        {"zoomed, cancel", zoomedAt6, [](Rig& r) { r.zoom.Cancel(); }, State::Animating,
         6.0 - 5.0 / 12},
        {"zoomed, zoom-in at limit", zoomedAt6, [](Rig& r) { r.zoom.ZoomIn(); }, State::Zoomed,
         7.0},
        {"zoomed, zoom-out step", zoomedAt6,
         [](Rig& r) {
             r.Limits(4, 1);
             r.zoom.ZoomOut();
         },
         State::Zoomed, 5.0},
        {"zoomed, wheel forward", zoomedAt2, [](Rig& r) { r.zoom.Wheel(true); }, State::Zoomed,
         2.1},
        {"zoomed, wheel backward", zoomedAt2, [](Rig& r) { r.zoom.Wheel(false); }, State::Zoomed,
         1.9},
        {"zoomed, zoom-out to 1", zoomedAt2, [](Rig& r) { r.zoom.ZoomOut(); }, State::Hidden, 1.0},
        {"zoomed, rate 1 applied", zoomedAt6, [](Rig& r) { r.zoom.ApplyZoom(1.0); }, State::Hidden,
         1.0},
        {"zoomed, rate below 1 applied", zoomedAt6, [](Rig& r) { r.zoom.ApplyZoom(-3.0); },
         State::Hidden, 1.0},
        {"zoomed, tick", zoomedAt2, [](Rig& r) { r.zoom.Tick(); }, State::Zoomed, 2.0},
        {"animating, tick", animating, [](Rig& r) { r.zoom.Tick(); }, State::Animating, 3.0},
        {"animating, ticks to the end", animating, [](Rig& r) { r.FinishAnimation(); },
         State::Zoomed, 8.0},
        {"animating to 1, ticks to the end", zoomedAt6,
         [](Rig& r) {
             r.zoom.Cancel();
             r.FinishAnimation();
         },
         State::Hidden, 1.0},
        {"animating, zoom-in", animating, [](Rig& r) { r.zoom.ZoomIn(); }, State::Animating, 2.5},
        {"animating, zoom-out", animating, [](Rig& r) { r.zoom.ZoomOut(); }, State::Animating, 2.5},
        {"animating, cancel", animating, [](Rig& r) { r.zoom.Cancel(); }, State::Animating, 2.5},
        {"animating, wheel", animating, [](Rig& r) { r.zoom.Wheel(false); }, State::Animating, 2.5},
    };
    for (const auto& row : rows) {
        Rig rig;
        row.setup(rig);
        row.event(rig);
        EXPECT_STREQ(Name(rig.Current()), Name(row.expected)) << row.name;
        EXPECT_NEAR(rig.zoom.Rate(), row.rate, 1e-12) << row.name;
    }
}

TEST(ZoomController_StateTransitions, TickOnAnotherMonitorMovesWindowThere) {
    for (bool animating : {false, true}) {
        Rig rig;
        rig.fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
        rig.zoom.ApplyZoom(2.0);
        if (animating) {
            rig.zoom.ZoomIn();
        }
        const State before = rig.Current();
        rig.fake.cursor = POINT{2500, 900};
        rig.zoom.Tick();
        EXPECT_STREQ(Name(rig.Current()), Name(before));
        EXPECT_EQ(Fmt(rig.fake.window), "1920,0,3200,1024");
        EXPECT_EQ(Fmt(rig.zoom.MonitorRect()), "1920,0,3200,1024");
    }
}

// ---- order of platform calls ----

TEST_F(ZoomControllerTest, ZoomIn_StartingZoomCallsPlatformInOrder) {
    zoom.ZoomIn();
    const Calls expected{
        "Read(MaxRateZoomIn)",
        "Read(MaxRateZoomOut)",
        "Scale(1.25)",
        "Source(192,108,1728,972 in 0,0,1920,1080)",
        "Read(InvertColors)",
        "Capture(0,0,1920,1080)",
        "Show(99999,99999,101919,101079)",
        "Repaint(erase)",
        "Pause(10)",
        "Move(0,0,1920,1080)",
        "CancelKey(on)",
        "StartTimer(50)",
    };
    EXPECT_EQ(fake.Actions(), expected);
}

TEST_F(ZoomControllerTest, Tick_FollowsCursorAndRepaintsInOrder) {
    zoom.ApplyZoom(4.0);
    fake.calls.clear();
    fake.cursor = POINT{1000, 500};
    EXPECT_TRUE(zoom.OnTimer(ZoomController::kTimerId));
    const Calls expected{
        "Read(InvertColors)",
        "Read(FollowCaret)",
        "Read(FollowFocus)",
        "Scale(4)",
        "Source(750,375,1230,645 in 0,0,1920,1080)",
        "Move(0,0,1920,1080)",
        "Repaint",
    };
    EXPECT_EQ(fake.Actions(), expected);
    EXPECT_EQ(Fmt(zoom.SourceRect()), "750,375,1230,645");
}

TEST(ZoomController_Tick, CursorCrossingMonitorsMidTickGivesConsistentView) {
    // The cursor jumps to the second monitor right after the tick reads it:
    // monitor and source must both come from that one reading.
    Rig rig;
    rig.fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    rig.zoom.ApplyZoom(4.0);
    rig.fake.cursor = POINT{1900, 540};
    rig.fake.onCursor = [&] { rig.fake.cursor = POINT{2500, 500}; };
    rig.fake.calls.clear();
    rig.zoom.Tick();
    EXPECT_EQ(rig.fake.Count("?Cursor"), 1);
    EXPECT_EQ(Fmt(rig.zoom.MonitorRect()), "0,0,1920,1080");
    EXPECT_EQ(Fmt(rig.zoom.SourceRect()),
              Fmt(SourceRectAround(RECT{0, 0, 1920, 1080}, POINT{1900, 540}, 4.0)));
}

TEST(ZoomController_Tick, AsksForTheMonitorOnlyWhenCursorLeavesItOrDisplayChanges) {
    Rig rig;
    rig.fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    rig.zoom.ApplyZoom(2.0);
    struct Step {
        const char* what;
        POINT cursor;
        bool displayChange;
        int queries;
        const char* monitor;
    };
    const Step steps[] = {
        {"same monitor", {100, 100}, false, 0, "0,0,1920,1080"},
        {"last column of it", {1919, 1079}, false, 0, "0,0,1920,1080"},
        {"crossed to the second", {1920, 0}, false, 1, "1920,0,3200,1024"},
        {"on the second", {3199, 1023}, false, 0, "1920,0,3200,1024"},
        {"layout changed under it", {3000, 500}, true, 1, "0,0,2560,1440"},
        {"back on the first", {500, 500}, false, 0, "0,0,2560,1440"},
    };
    for (const Step& step : steps) {
        if (step.displayChange) {
            // The second monitor is gone and the first grew.
            rig.fake.monitors = {RECT{0, 0, 2560, 1440}};
            rig.zoom.OnDisplayChange();
        }
        rig.fake.cursor = step.cursor;
        rig.fake.calls.clear();
        rig.zoom.Tick();
        int queries = 0;
        for (const std::string& call : rig.fake.calls) {
            queries += call.rfind("?MonitorAt", 0) == 0;
        }
        EXPECT_EQ(queries, step.queries) << step.what;
        EXPECT_EQ(Fmt(rig.zoom.MonitorRect()), step.monitor) << step.what;
    }
}

TEST_F(ZoomControllerTest, ApplyZoom_ClosingHandsFullViewOverThenStopsTimerAndHides) {
    zoom.Wheel(true);
    fake.calls.clear();
    zoom.Wheel(false);
    const Calls expected{
        "Scale(1)",       "Source(0,0,1920,1080 in 0,0,1920,1080)", "StopTimer(7)", "Hide",
        "CancelKey(off)",
    };
    EXPECT_EQ(fake.Actions(), expected);
}

// ---- animations ----

TEST_F(ZoomControllerTest, ZoomIn_GlidesInTwelveStepsAndLandsExactly) {
    zoom.ZoomIn();
    EXPECT_TRUE(fake.visible);
    EXPECT_EQ(fake.scales, std::vector<double>{1.25}) << "shown at the first step";
    EXPECT_EQ(zoom.AnimTicks(), 12);
    EXPECT_EQ(zoom.AnimStep(), 0.25);
    EXPECT_EQ(zoom.TargetRate(), 4.0);
    for (int step = 2; step <= 12; ++step) {
        EXPECT_TRUE(zoom.Tick());
        EXPECT_EQ(zoom.Rate(), 1.0 + 0.25 * step);
        EXPECT_EQ(zoom.AnimTick(), step);
        EXPECT_TRUE(zoom.IsAnimating());
    }
    zoom.Tick();
    EXPECT_FALSE(zoom.IsAnimating());
    EXPECT_EQ(zoom.Rate(), 4.0);
    EXPECT_EQ(zoom.AnimTick(), 0);
    const std::vector<double> expected{1.25, 1.5,  1.75, 2.0,  2.25, 2.5, 2.75,
                                       3.0,  3.25, 3.5,  3.75, 4.0,  4.0};
    EXPECT_EQ(fake.scales, expected);
    EXPECT_EQ(fake.Count("StartTimer(50)"), 1);
    EXPECT_EQ(fake.Count("Show(99999,99999,101919,101079)"), 1);
}

TEST_F(ZoomControllerTest, ZoomOut_AnimatesToLimitThenClosesAtIt) {
    zoom.ApplyZoom(6.0);
    zoom.ZoomOut();
    EXPECT_TRUE(zoom.IsAnimating());
    EXPECT_EQ(zoom.TargetRate(), 2.0);
    EXPECT_EQ(rig.FinishAnimation(), 12);
    EXPECT_EQ(zoom.Rate(), 2.0);
    EXPECT_TRUE(fake.visible);
    zoom.ZoomOut();
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);
    EXPECT_FALSE(fake.timer.Running());
}

TEST_F(ZoomControllerTest, Cancel_GlidesDownAndHidesAtStepReachingOne) {
    zoom.ApplyZoom(6.0);
    zoom.Cancel();
    EXPECT_NEAR(zoom.AnimStep(), -5.0 / 12, 1e-12);
    for (int tick = 1; tick <= 10; ++tick) {
        zoom.Tick();
        EXPECT_GT(zoom.Rate(), 1.0) << "tick " << tick;
        EXPECT_TRUE(fake.visible);
    }
    fake.calls.clear();
    zoom.Tick();
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(zoom.IsAnimating());
    EXPECT_FALSE(fake.visible);
    EXPECT_EQ(fake.Count("StopTimer(7)"), 1);
    EXPECT_EQ(fake.Count("Hide"), 1);
    EXPECT_FALSE(zoom.Tick()) << "no tick after the close";
}

TEST_F(ZoomControllerTest, AnimateZoomTo_ClampsTargetIntoOneToTwenty) {
    zoom.AnimateZoomTo(30.0);
    EXPECT_EQ(zoom.TargetRate(), 20.0);
    EXPECT_NEAR(zoom.AnimStep(), 19.0 / 12, 1e-12);
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 20.0);
    zoom.AnimateZoomTo(0.5);
    EXPECT_EQ(zoom.TargetRate(), 1.0);
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);
}

TEST_F(ZoomControllerTest, Commands_IgnoredWhileAnimatingButLimitsStillRead) {
    zoom.ApplyZoom(6.0);
    zoom.Cancel();
    zoom.Tick();
    const double rate = zoom.Rate();
    const int tick = zoom.AnimTick();
    fake.calls.clear();
    zoom.ZoomIn();
    zoom.ZoomOut();
    zoom.Cancel();
    zoom.Wheel(true);
    zoom.OnZoomWheel(0);
    zoom.AnimateZoomTo(8.0);
    const Calls expected{"Read(MaxRateZoomIn)", "Read(MaxRateZoomOut)", "Read(MaxRateZoomIn)",
                         "Read(MaxRateZoomOut)"};
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(zoom.Rate(), rate);
    EXPECT_EQ(zoom.AnimTick(), tick);
    EXPECT_EQ(zoom.TargetRate(), 1.0);
    rig.FinishAnimation();
    EXPECT_FALSE(fake.visible) << "the cancel went on to the end";
}

// ---- whole-rate steps ----

TEST(ZoomController_WholeRateSteps, ZoomInAndZoomOutWithoutAnimation) {
    const struct {
        const char* command;
        double start;
        int limitIn, limitOut;
        double expected;
    } cases[] = {
        {"in", 4.0, 4, 2, 5.0},   {"in", 4.5, 4, 2, 5.0},   {"in", 19.5, 4, 2, 20.0},
        {"in", 20.0, 4, 2, 20.0}, {"in", 2.0, 0, 2, 3.0},   {"in", 1.0, 0, 0, 2.0},
        {"in", 1.0, 1, 2, 2.0},   {"in", 3.0, -5, 2, 4.0},  {"out", 6.0, 4, 1, 5.0},
        {"out", 2.5, 4, 1, 2.0},  {"out", 3.1, 4, 1, 3.0},  {"out", 2.05, 4, 1, 1.0},
        {"out", 2.0, 4, 2, 1.0},  {"out", 2.05, 4, 3, 1.0}, {"out", 2.5, 4, 2, 2.0},
        {"out", 1.0, 4, 2, 1.0},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.zoom.ApplyZoom(c.start);
        rig.Limits(c.limitIn, c.limitOut);
        if (std::string(c.command) == "in") {
            rig.zoom.ZoomIn();
        } else {
            rig.zoom.ZoomOut();
        }
        const std::string what = std::string(c.command) + " at " + Fmt(c.start);
        if (std::string(c.command) == "out" && c.start == 2.5 && c.limitOut == 2) {
            // Limit 2 below 2.5: this one glides.
            EXPECT_TRUE(rig.zoom.IsAnimating()) << what;
            rig.FinishAnimation();
        } else {
            EXPECT_FALSE(rig.zoom.IsAnimating()) << what;
        }
        EXPECT_EQ(rig.zoom.Rate(), c.expected) << what;
        EXPECT_EQ(rig.fake.visible, c.expected > 1.0) << what;
    }
}

TEST_F(ZoomControllerTest, ZoomOut_WithLimitOneStepsDownWholeRatesToHidden) {
    zoom.ApplyZoom(6.0);
    rig.Limits(4, 1);
    std::vector<double> rates;
    for (int i = 0; i < 5; ++i) {
        zoom.ZoomOut();
        EXPECT_FALSE(zoom.IsAnimating());
        rates.push_back(zoom.Rate());
    }
    EXPECT_EQ(rates, (std::vector<double>{5.0, 4.0, 3.0, 2.0, 1.0}));
    EXPECT_FALSE(fake.visible);
}

TEST_F(ZoomControllerTest, Limits_MissingSettingsReadAsZero) {
    fake.settings.values.clear();
    zoom.ZoomIn();
    EXPECT_FALSE(zoom.IsAnimating());
    EXPECT_EQ(zoom.Rate(), 2.0);
    zoom.ZoomIn();
    EXPECT_EQ(zoom.Rate(), 3.0);
    zoom.ApplyZoom(6.0);
    zoom.ZoomOut();
    EXPECT_TRUE(zoom.IsAnimating());
    EXPECT_EQ(zoom.TargetRate(), 1.0);
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);
}

TEST_F(ZoomControllerTest, Limits_ReadAtEveryCommandNeverCached) {
    zoom.ZoomIn();
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 4.0);
    rig.Limits(9, 2);
    zoom.ZoomIn();
    EXPECT_EQ(zoom.TargetRate(), 9.0);
    rig.FinishAnimation();
    rig.Limits(9, 3);
    zoom.ZoomOut();
    EXPECT_EQ(zoom.TargetRate(), 3.0);
}

TEST(ZoomController_OnHotKey, RunsTheCommandOfEachIdentifier) {
    const struct {
        int id;
        double expectedRate;
        bool animating;
        int settingsReads;
    } cases[] = {
        {101, 6.0 + 2.0 / 12, true, 2}, // zoom in, limit 8
        {102, 6.0 - 4.0 / 12, true, 2}, // zoom out, limit 2
        {103, 6.0 - 5.0 / 12, true, 0}, // cancel
        {100, 6.0, false, 0},           {104, 6.0, false, 0},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.zoom.ApplyZoom(6.0);
        rig.Limits(8, 2);
        rig.fake.calls.clear();
        rig.zoom.OnHotKey(c.id);
        EXPECT_NEAR(rig.zoom.Rate(), c.expectedRate, 1e-12) << "id " << c.id;
        EXPECT_EQ(rig.zoom.IsAnimating(), c.animating) << "id " << c.id;
        EXPECT_EQ(rig.fake.Count("Read(MaxRateZoomIn)") + rig.fake.Count("Read(MaxRateZoomOut)"),
                  c.settingsReads)
            << "id " << c.id;
    }
}

// ---- wheel and clamp ----

TEST_F(ZoomControllerTest, Wheel_NotchFromHiddenAndBackToExactlyOne) {
    zoom.OnZoomWheel(1);
    EXPECT_EQ(zoom.Rate(), 1.1);
    EXPECT_TRUE(fake.visible);
    EXPECT_TRUE(fake.timer.Running());
    zoom.OnZoomWheel(0);
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);
    EXPECT_FALSE(fake.timer.Running());
}

TEST_F(ZoomControllerTest, Wheel_NegativeWparamIsBackward) {
    zoom.ApplyZoom(3.0);
    zoom.OnZoomWheel(static_cast<std::uintptr_t>(-1));
    EXPECT_EQ(zoom.Rate(), 2.9);
}

TEST_F(ZoomControllerTest, Wheel_ManyNotchesLandOnTheRatesTheyName) {
    for (int i = 0; i < 40; ++i) {
        zoom.Wheel(true);
    }
    EXPECT_EQ(zoom.Rate(), 5.0);
    zoom.ZoomIn();
    EXPECT_EQ(zoom.Rate(), 6.0);
    for (int i = 0; i < 50; ++i) {
        zoom.Wheel(false);
    }
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);

    zoom.Wheel(true);
    zoom.Wheel(true);
    zoom.Wheel(false);
    zoom.Wheel(false);
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible) << "up two and down two closes";
}

TEST_F(ZoomControllerTest, Rate_ClampedAtTwenty) {
    zoom.ApplyZoom(25.0);
    EXPECT_EQ(zoom.Rate(), 20.0);
    zoom.Wheel(true);
    EXPECT_EQ(zoom.Rate(), 20.0);
    zoom.OnZoomWheel(1);
    EXPECT_EQ(zoom.Rate(), 20.0);
    zoom.ZoomIn();
    EXPECT_EQ(zoom.Rate(), 20.0);
    EXPECT_EQ(fake.scales.back(), 20.0);
}

TEST_F(ZoomControllerTest, HiddenState_CancelZoomOutAndBackwardWheelStayHidden) {
    zoom.Cancel();
    zoom.ZoomOut();
    zoom.Wheel(false);
    zoom.Tick();
    EXPECT_EQ(zoom.Rate(), 1.0);
    EXPECT_FALSE(fake.visible);
    EXPECT_EQ(fake.Count("StartTimer(50)"), 0);
    for (const std::string& call : fake.calls) {
        EXPECT_EQ(call.find("Show"), std::string::npos);
        EXPECT_EQ(call.find("Move"), std::string::npos);
    }
}

// ---- geometry and monitors ----

TEST_F(ZoomControllerTest, UpdateSourceRect_KeepsPointUnderCursor) {
    fake.cursor = POINT{1000, 500};
    zoom.ApplyZoom(4.0);
    EXPECT_EQ(Fmt(zoom.SourceRect()), "750,375,1230,645");
    EXPECT_EQ(fake.Count("Source(750,375,1230,645 in 0,0,1920,1080)"), 1);
}

TEST_F(ZoomControllerTest, Monitors_LeftOfAndAbovePrimaryWithNegativeCoordinates) {
    fake.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}, {0, -1080, 1920, 0}};
    fake.cursor = POINT{-1000, 600};
    zoom.ApplyZoom(2.0);
    EXPECT_EQ(Fmt(zoom.MonitorRect()), "-1280,0,0,1024");
    EXPECT_EQ(Fmt(fake.window), "-1280,0,0,1024");
    // Still computed in the old window, with the cursor clamped to its edge.
    EXPECT_EQ(Fmt(zoom.SourceRect()), "0,300,960,840");
    zoom.Tick();
    EXPECT_EQ(Fmt(zoom.SourceRect()), "140,300,780,812");
    EXPECT_EQ(fake.Count("Source(140,300,780,812 in -1280,0,0,1024)"), 1);

    fake.cursor = POINT{500, -300};
    zoom.Tick();
    zoom.Tick();
    EXPECT_EQ(Fmt(fake.window), "0,-1080,1920,0");
    EXPECT_EQ(Fmt(zoom.SourceRect()), "250,390,1210,930");

    fake.cursor = POINT{5000, 5000};
    zoom.Tick();
    EXPECT_EQ(Fmt(fake.window), "0,0,1920,1080") << "no monitor there: the primary";
}

TEST_F(ZoomControllerTest, MonitorChange_CapturesNewMonitorBeforeMovingThere) {
    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    zoom.ApplyZoom(2.0);
    zoom.Tick();
    EXPECT_EQ(fake.Count("Capture(0,0,1920,1080)"), 1) << "only when the zoom started";
    fake.calls.clear();
    fake.cursor = POINT{2500, 900};
    zoom.Tick();
    const Calls first{
        "Read(InvertColors)",
        "Read(FollowCaret)",
        "Read(FollowFocus)",
        "Scale(2)",
        "Source(960,450,1920,990 in 1920,0,3200,1024)",
        "Capture(1920,0,3200,1024)",
        "Move(1920,0,3200,1024)",
        "Repaint",
    };
    EXPECT_EQ(fake.Actions(), first);
    fake.calls.clear();
    zoom.Tick();
    const Calls second{
        "Read(InvertColors)",
        "Read(FollowCaret)",
        "Read(FollowFocus)",
        "Scale(2)",
        "Source(290,450,930,962 in 1920,0,3200,1024)",
        "Move(1920,0,3200,1024)",
        "Repaint",
    };
    EXPECT_EQ(fake.Actions(), second);
}

TEST_F(ZoomControllerTest, ZoomStart_OnOtherMonitorShowsSizedToIt) {
    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    fake.cursor = POINT{2000, 100};
    zoom.Wheel(true);
    const Calls expected{
        "Scale(1.1)",
        "Source(174,9,1919,990 in 1920,0,3200,1024)",
        "Read(InvertColors)",
        "Capture(1920,0,3200,1024)",
        "Show(99999,99999,101279,101023)",
        "Repaint(erase)",
        "Pause(10)",
        "Move(1920,0,3200,1024)",
        "CancelKey(on)",
        "StartTimer(50)",
    };
    EXPECT_EQ(fake.Actions(), expected);
}

// ---- timer ----

TEST_F(ZoomControllerTest, Tick_DroppedWhileAnotherRuns) {
    zoom.ApplyZoom(2.0);
    int nested = 0;
    bool nestedResult = true;
    fake.onRepaint = [&] {
        if (nested++ == 0) {
            nestedResult = zoom.Tick();
        }
    };
    int nestedInMove = 0;
    fake.onMove = [&] {
        if (nestedInMove++ == 0) {
            EXPECT_FALSE(zoom.OnTimer(ZoomController::kTimerId));
        }
    };
    fake.repaints = 0;
    EXPECT_TRUE(zoom.Tick());
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(nestedInMove, 1) << "the tick places the window";
    EXPECT_EQ(fake.repaints, 1);
    fake.onRepaint = nullptr;
    fake.onMove = nullptr;
    EXPECT_TRUE(zoom.Tick()) << "the guard is cleared after the tick";
}

TEST_F(ZoomControllerTest, OnTimer_OtherIdentifierIgnored) {
    zoom.ApplyZoom(2.0);
    fake.calls.clear();
    EXPECT_FALSE(zoom.OnTimer(2));
    EXPECT_FALSE(zoom.OnTimer(0));
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(zoom.OnTimer(1));
}

TEST_F(ZoomControllerTest, IsCurrentMultimediaTimer_OnlyTheRunningOne) {
    EXPECT_FALSE(zoom.Ticks().IsCurrent(0));
    zoom.ApplyZoom(2.0);
    EXPECT_TRUE(zoom.Ticks().IsCurrent(7));
    EXPECT_FALSE(zoom.Ticks().IsCurrent(8));
    zoom.ApplyZoom(1.0);
    EXPECT_FALSE(zoom.Ticks().IsCurrent(7));
    zoom.ApplyZoom(2.0);
    EXPECT_TRUE(zoom.Ticks().IsCurrent(8)) << "each start yields a new identifier";
    EXPECT_FALSE(zoom.Ticks().IsCurrent(7)) << "a tick of the stopped timer";
}

TEST_F(ZoomControllerTest, ClaimTickPost_OneQueuedTickAtATimeFromTheRunningTimer) {
    EXPECT_FALSE(zoom.Ticks().Claim(7)) << "no timer runs";
    zoom.ApplyZoom(2.0);
    const struct {
        const char* what;
        std::function<void()> before;
        std::uint32_t id;
        bool post;
    } steps[] = {
        {"first period", [] {}, 7, true},
        {"while that tick is queued", [] {}, 7, false},
        {"and again", [] {}, 7, false},
        {"once the tick has run, not while it runs",
         [&] {
             bool ran = false;
             fake.onCursor = [&] {
                 ran = true;
                 EXPECT_FALSE(zoom.Ticks().Claim(7)) << "inside the tick";
             };
             zoom.OnTimer(ZoomController::kTimerId);
             fake.onCursor = nullptr;
             EXPECT_TRUE(ran) << "the tick reads the cursor";
         },
         7, true},
        {"another message arrived", [&] { zoom.OnTimer(2); }, 7, false},
        {"after a failed post", [&] { zoom.Ticks().Release(); }, 7, true},
        {"a stopped timer's period", [&] { zoom.OnTimer(ZoomController::kTimerId); }, 6, false},
        {"after the zoom closed",
         [&] {
             zoom.OnTimer(ZoomController::kTimerId);
             zoom.ApplyZoom(1.0);
         },
         7, false},
        {"a new zoom's timer, though the last tick got lost",
         [&] {
             zoom.ApplyZoom(2.0);
             zoom.Ticks().Claim(8);
             zoom.ApplyZoom(1.0);
             zoom.ApplyZoom(2.0);
         },
         9, true},
    };
    for (const auto& step : steps) {
        step.before();
        EXPECT_EQ(zoom.Ticks().Claim(step.id), step.post) << step.what;
    }
}

TEST_F(ZoomControllerTest, CursorUnreadable_ViewStaysWhereItWas) {
    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    fake.cursor = POINT{2500, 300};
    zoom.ApplyZoom(4.0);
    zoom.Tick();
    const RECT source = zoom.SourceRect();
    fake.cursorFails = true;
    fake.cursor = POINT{0, 0};
    zoom.Tick();
    EXPECT_EQ(Fmt(zoom.MonitorRect()), "1920,0,3200,1024");
    EXPECT_EQ(Fmt(zoom.SourceRect()), Fmt(source));
    EXPECT_EQ(Fmt(fake.window), "1920,0,3200,1024");
    // A zoom started while the cursor cannot be read opens where it was last.
    zoom.ApplyZoom(1.0);
    zoom.Wheel(true);
    EXPECT_EQ(Fmt(fake.window), "1920,0,3200,1024");
    fake.cursorFails = false;
    zoom.Tick();
    EXPECT_EQ(Fmt(zoom.MonitorRect()), "0,0,1920,1080") << "read again once it can be";
}

TEST_F(ZoomControllerTest, WindowTimer_ReportedAndStoppedOnClose) {
    fake.timerKind = ZoomTimerKind::Window;
    zoom.ZoomIn();
    EXPECT_EQ(zoom.Timer().kind, ZoomTimerKind::Window);
    EXPECT_FALSE(zoom.Ticks().IsCurrent(zoom.Timer().id));
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 4.0);
    zoom.Cancel();
    rig.FinishAnimation();
    EXPECT_FALSE(fake.timer.Running());
    EXPECT_EQ(fake.Count("StopTimer(7)"), 1);
}

TEST_F(ZoomControllerTest, TimerStartFailure_ClosesZoomInsteadOfFreezing) {
    fake.timerFails = true;
    zoom.ZoomIn();
    EXPECT_STREQ(Name(rig.Current()), "Hidden");
    const Calls actions = fake.Actions();
    EXPECT_EQ(Calls(actions.end() - 2, actions.end()), (Calls{"Hide", "CancelKey(off)"}));
    fake.timerFails = false;
    zoom.ZoomIn();
    EXPECT_STREQ(Name(rig.Current()), "Animating") << "later commands still work";
    rig.FinishAnimation();
    EXPECT_EQ(zoom.Rate(), 4.0);
}

TEST_F(ZoomControllerTest, OnDestroy_StopsRunningTimer) {
    zoom.ZoomIn();
    fake.calls.clear();
    zoom.OnDestroy();
    EXPECT_EQ(fake.calls, Calls{"StopTimer(7)"}) << "the window removes its hot keys itself";
    EXPECT_FALSE(zoom.HoldsCancelHotKey());
    EXPECT_FALSE(zoom.Timer().Running());
    EXPECT_FALSE(zoom.Ticks().IsCurrent(7));
    EXPECT_FALSE(zoom.OnTimer(ZoomController::kTimerId));
    EXPECT_EQ(fake.calls.size(), 1u);

    Rig hidden;
    hidden.zoom.OnDestroy();
    EXPECT_TRUE(hidden.fake.calls.empty());
}

// ---- repaint of identical pixels ----

TEST_F(ZoomControllerTest, Snapshot_RepaintsOnlyWhenViewChanges) {
    fake.live = false;
    zoom.ApplyZoom(2.0);
    EXPECT_EQ(fake.Count("Repaint(erase)"), 1);
    fake.repaints = 0;
    EXPECT_FALSE(zoom.Tick()) << "nothing moved since the zoom started";
    EXPECT_FALSE(zoom.Tick());
    fake.cursor = POINT{900, 500};
    EXPECT_TRUE(zoom.Tick());
    EXPECT_FALSE(zoom.Tick());
    zoom.Wheel(true);
    EXPECT_TRUE(zoom.Tick()) << "a rate applied between ticks shows at the next";
    EXPECT_FALSE(zoom.Tick());
    EXPECT_EQ(fake.repaints, 2);

    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    fake.cursor = POINT{1920 + 900, 500};
    EXPECT_TRUE(zoom.Tick());
    fake.cursor = POINT{900, 500};
    EXPECT_TRUE(zoom.Tick()) << "back on a monitor already painted once";

    zoom.ApplyZoom(2.0);
    zoom.Tick();
    zoom.AnimateZoomTo(5.0);
    int painted = 0;
    while (zoom.IsAnimating()) {
        painted += zoom.Tick();
    }
    EXPECT_EQ(painted, 11) << "every step changes the rate; the landing does not";
}

TEST_F(ZoomControllerTest, LiveScreen_RepaintsEveryTick) {
    zoom.ApplyZoom(2.0);
    fake.repaints = 0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(zoom.Tick());
    }
    EXPECT_EQ(fake.repaints, 5);
}

TEST_F(ZoomControllerTest, Snapshot_RestartedZoomNeedsFreshPaint) {
    fake.live = false;
    zoom.ApplyZoom(2.0);
    zoom.ApplyZoom(1.0);
    fake.calls.clear();
    zoom.ApplyZoom(2.0);
    EXPECT_EQ(fake.Count("Capture(0,0,1920,1080)"), 1);
    EXPECT_EQ(fake.Count("Repaint(erase)"), 1);
}

// ---- the text caret and inverted colours ----

TEST_F(ZoomControllerTest, FollowCaret_ViewCentresOnTypingUntilTheCursorMoves) {
    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    fake.settings.values[kFollowCaretKey] = 1;
    fake.cursor = POINT{1000, 500};
    fake.caret = POINT{300, 200};
    zoom.ApplyZoom(4.0);
    const struct Step {
        const char* what;
        POINT cursor;
        std::optional<POINT> caret;
        const char* source;
        const char* window;
    } steps[] = {
        {"zoom started", {1000, 500}, POINT{300, 200}, "750,375,1230,645", "0,0,1920,1080"},
        {"a letter typed", {1000, 500}, POINT{308, 200}, "68,65,548,335", "0,0,1920,1080"},
        {"another", {1000, 500}, POINT{316, 200}, "76,65,556,335", "0,0,1920,1080"},
        {"next line, at the edge", {1000, 500}, POINT{20, 220}, "0,85,480,355", "0,0,1920,1080"},
        {"focus lost", {1000, 500}, std::nullopt, "0,85,480,355", "0,0,1920,1080"},
        {"the mouse moves", {1001, 500}, std::nullopt, "750,375,1230,645", "0,0,1920,1080"},
        {"a caret on the other monitor",
         {1001, 500},
         POINT{2500, 600},
         "1440,465,1920,735",
         "1920,0,3200,1024"},
        {"there, in its own size",
         {1001, 500},
         POINT{2500, 600},
         "420,472,740,728",
         "1920,0,3200,1024"},
        // Placed in the window as it was, the first tick after the move.
        {"the mouse moves again", {1002, 500}, POINT{2500, 600}, "0,375,320,631", "0,0,1920,1080"},
        {"back on the first", {1002, 500}, POINT{2500, 600}, "751,375,1231,645", "0,0,1920,1080"},
    };
    for (const Step& step : steps) {
        fake.cursor = step.cursor;
        fake.caret = step.caret;
        zoom.Tick();
        EXPECT_EQ(Fmt(zoom.SourceRect()), step.source) << step.what;
        EXPECT_EQ(Fmt(fake.window), step.window) << step.what;
        EXPECT_EQ(Fmt(zoom.MonitorRect()), step.window) << step.what;
    }
    EXPECT_EQ(fake.Count("Read(FollowCaret)"), static_cast<int>(std::size(steps)))
        << "read at every tick";
}

TEST_F(ZoomControllerTest, FollowCaret_OffOrBetweenTicksLeavesTheViewOnTheCursor) {
    fake.cursor = POINT{1000, 500};
    fake.caret = POINT{300, 200};
    zoom.ApplyZoom(4.0);
    for (int x : {308, 316, 324}) {
        fake.caret = POINT{x, 200};
        zoom.Tick();
        EXPECT_EQ(Fmt(zoom.SourceRect()), "750,375,1230,645");
    }
    EXPECT_EQ(fake.Count("?Caret"), 0) << "the caret is not even looked for";

    fake.settings.values[kFollowCaretKey] = 3;
    zoom.Tick();
    fake.caret = POINT{332, 200};
    zoom.Tick();
    EXPECT_EQ(Fmt(zoom.SourceRect()), "92,65,572,335");
    fake.caret = POINT{340, 200};
    fake.calls.clear();
    zoom.Wheel(true);
    EXPECT_EQ(fake.Count("?Caret") + fake.Count("Read(FollowCaret)"), 0)
        << "commands place the view where the last tick decided";
    EXPECT_EQ(Fmt(zoom.SourceRect()), "98,69,566,332");
    fake.settings.values[kFollowCaretKey] = 2;
    zoom.Tick();
    EXPECT_EQ(Fmt(zoom.SourceRect()),
              Fmt(SourceRectAround(RECT{0, 0, 1920, 1080}, POINT{1000, 500}, 4.1)));
    zoom.ApplyZoom(1.0);
    fake.settings.values[kFollowCaretKey] = 1;
    zoom.ApplyZoom(2.0);
    fake.caret = POINT{348, 200};
    zoom.Tick();
    EXPECT_FALSE(zoom.Focus().OnCaret()) << "a new zoom starts on the cursor, history anew";
}

TEST_F(ZoomControllerTest, FollowFocus_ViewShowsTheFocusOnItsMonitorUntilTheCursorMoves) {
    fake.monitors.push_back(RECT{1920, 0, 3200, 1024});
    fake.settings.values[kFollowFocusKey] = 1;
    fake.cursor = POINT{1000, 500};
    zoom.ApplyZoom(4.0);
    // changes 0: no focus reported yet.
    const struct Step {
        const char* what;
        int cursorX;
        RECT focus;
        std::uint32_t changes;
        const char* source;
        const char* window;
    } steps[] = {
        {"zoom started", 1000, {}, 0, "750,375,1230,645", "0,0,1920,1080"},
        {"Tab to a button", 1000, {300, 200, 420, 232}, 1, "120,81,600,351", "0,0,1920,1080"},
        {"to the corner", 1000, {20, 1040, 140, 1072}, 2, "0,810,480,1080", "0,0,1920,1080"},
        {"to a wide list", 1000, {600, 400, 1800, 450}, 3, "600,290,1080,560", "0,0,1920,1080"},
        {"the mouse moves", 1001, {600, 400, 1800, 450}, 3, "750,375,1230,645", "0,0,1920,1080"},
        {"the other monitor",
         1001,
         {2500, 600, 2600, 630},
         4,
         "1440,480,1920,750",
         "1920,0,3200,1024"},
        {"in its own size", 1001, {2500, 600, 2600, 630}, 4, "470,487,790,743", "1920,0,3200,1024"},
    };
    for (const Step& step : steps) {
        fake.cursor = POINT{step.cursorX, 500};
        fake.focus =
            step.changes == 0 ? std::nullopt : std::optional<FocusMark>({step.focus, step.changes});
        zoom.Tick();
        EXPECT_EQ(Fmt(zoom.SourceRect()), step.source) << step.what;
        EXPECT_EQ(Fmt(fake.window), step.window) << step.what;
    }
    EXPECT_EQ(fake.Count("?Caret"), 0) << "the caret is not looked for without FollowCaret";
    EXPECT_EQ(fake.Count("Watch(-,focus)"), 1);

    fake.settings.values[kFollowCaretKey] = 1;
    zoom.Tick();
    fake.settings.values[kFollowFocusKey] = 0;
    zoom.Tick();
    EXPECT_EQ(zoom.Focus().Source(), ViewSource::Cursor) << "focus off: back on the cursor";
    zoom.ApplyZoom(1.0);
    const Calls watched{"Watch(-,focus)", "Watch(carets,focus)", "Watch(carets,-)", "Watch(-,-)"};
    Calls seen;
    std::copy_if(fake.calls.begin(), fake.calls.end(), std::back_inserter(seen),
                 [](const std::string& c) { return c.rfind("Watch(", 0) == 0; });
    EXPECT_EQ(seen, watched) << "events listened for only while zoomed and asked for";
}

TEST_F(ZoomControllerTest, InvertColors_HandedOverBeforeTheFirstPaintAndOnEveryChange) {
    fake.live = false;
    fake.settings.values[kInvertColorsKey] = 1;
    zoom.ZoomIn();
    const Calls start = fake.Actions();
    const auto at = [&](const char* call) {
        return std::find(start.begin(), start.end(), call) - start.begin();
    };
    EXPECT_LT(at("Invert(on)"), at("Show(99999,99999,101919,101079)"));
    EXPECT_LT(at("Invert(on)"), at("Repaint(erase)"));
    rig.FinishAnimation();
    fake.calls.clear();
    EXPECT_FALSE(zoom.Tick()) << "a still view is not painted again";
    EXPECT_EQ(fake.Count("Read(InvertColors)"), 1);

    fake.settings.values[kInvertColorsKey] = 2;
    EXPECT_TRUE(zoom.Tick()) << "the same view in its own colours is a new picture";
    EXPECT_FALSE(zoom.Tick());
    fake.settings.values[kInvertColorsKey] = 1;
    EXPECT_TRUE(zoom.Tick());
    EXPECT_EQ(fake.Count("Invert(off)"), 1);
    EXPECT_EQ(fake.Count("Invert(on)"), 1);

    zoom.Cancel();
    rig.FinishAnimation();
    zoom.ZoomIn();
    EXPECT_TRUE(fake.inverted) << "the next zoom shows them inverted at once";
    EXPECT_EQ(fake.Count("Invert(on)"), 1);
}

// ---- random command sequences ----

TEST(ZoomController_RandomCommands, InvariantsHoldAfterEveryStep) {
    Rig rig;
    rig.fake.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}, {1920, -200, 3840, 880}};
    std::mt19937 random(20240531);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::map<std::string, int> visited;
    for (int step = 0; step < 20000; ++step) {
        std::string what;
        switch (pick(0, 11)) {
        case 0:
            what = "in";
            rig.zoom.ZoomIn();
            break;
        case 1:
            what = "out";
            rig.zoom.ZoomOut();
            break;
        case 2:
            what = "cancel";
            rig.zoom.Cancel();
            break;
        case 3:
            what = "wheel+";
            rig.zoom.Wheel(true);
            break;
        case 4:
            what = "wheel-";
            rig.zoom.Wheel(false);
            break;
        case 5:
            what = "cursor";
            rig.fake.cursor = POINT{pick(-1500, 4000), pick(-400, 1200)};
            break;
        case 6:
            what = "limits";
            rig.Limits(pick(-1, 22), pick(-1, 22));
            break;
        case 7:
            what = "platform";
            rig.fake.timerFails = pick(0, 19) == 0;
            rig.fake.timerKind = pick(0, 1) ? ZoomTimerKind::Window : ZoomTimerKind::Multimedia;
            rig.fake.live = pick(0, 1) == 0;
            break;
        default:
            what = "tick";
            rig.zoom.OnTimer(ZoomController::kTimerId);
            break;
        }
        const State state = rig.Current();
        visited[Name(state)]++;
        const std::string where = "step " + std::to_string(step) + " after " + what;
        ASSERT_NE(state, State::Inconsistent) << where;
        ASSERT_GE(rig.zoom.Rate(), 1.0) << where;
        ASSERT_LE(rig.zoom.Rate(), 20.0) << where;
        ASSERT_EQ(rig.zoom.Rate() == 1.0, !rig.fake.visible) << where;
        ASSERT_GE(rig.zoom.AnimTick(), 0) << where;
        ASSERT_LE(rig.zoom.AnimTick(), rig.zoom.AnimTicks()) << where;
        if (rig.fake.visible) {
            ASSERT_EQ(rig.fake.window, rig.zoom.MonitorRect()) << where;
        }
        ASSERT_FALSE(testing::Test::HasFailure()) << where;
        rig.fake.calls.clear();
    }
    EXPECT_GT(visited["Hidden"], 1000);
    EXPECT_GT(visited["Zoomed"], 1000);
    EXPECT_GT(visited["Animating"], 1000);
}

} // namespace
