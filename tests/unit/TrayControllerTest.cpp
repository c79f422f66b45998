#include "app/core/TrayController.h"

#include "../support/FakeSettings.h"
#include "settings/core/SettingKeys.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Recorder {
    Calls calls;
};

class FakeTray : public ITrayPlatform {
public:
    explicit FakeTray(Recorder& r) : m_r(r) {}
    std::deque<bool> addResults;
    std::deque<bool> modifyResults;
    std::deque<unsigned long> errors;
    std::wstring shownError;
    std::function<void()> duringSheet;

    bool AddIcon() override { return Pop(addResults, "AddIcon"); }
    bool ModifyIcon() override { return Pop(modifyResults, "ModifyIcon"); }
    unsigned long LastError() override {
        m_r.calls.push_back("LastError");
        unsigned long e = errors.front();
        errors.pop_front();
        return e;
    }
    void Sleep(unsigned ms) override { m_r.calls.push_back("Sleep " + std::to_string(ms)); }
    void ShowError(const std::wstring& text) override {
        m_r.calls.push_back("ShowError");
        shownError = text;
    }
    void ShowBalloon(const std::wstring& text, bool warning) override {
        // The tests' texts are ASCII.
        m_r.calls.push_back(std::string(warning ? "ShowBalloon warning " : "ShowBalloon info ") +
                            std::string(text.begin(), text.end()));
    }
    std::wstring LoadText(unsigned id) override { return L"<" + std::to_wstring(id) + L">"; }
    void RequestClose() override { m_r.calls.push_back("RequestClose"); }
    void GetCursorPos(int& x, int& y) override {
        m_r.calls.push_back("GetCursorPos");
        x = 640;
        y = 1050;
    }
    void SetForeground() override { m_r.calls.push_back("SetForeground"); }
    void TrackTrayMenu(int x, int y, bool checked, bool zoomed) override {
        m_r.calls.push_back("TrackTrayMenu " + std::to_string(x) + "," + std::to_string(y) +
                            (checked ? " checked" : " unchecked") + (zoomed ? " zoomed" : ""));
    }
    void RunSettingsSheet() override {
        m_r.calls.push_back("RunSettingsSheet");
        if (duringSheet) {
            duringSheet();
        }
    }
    void ActivateSettingsSheet() override { m_r.calls.push_back("ActivateSettingsSheet"); }
    void CancelSettingsSheet() override { m_r.calls.push_back("CancelSettingsSheet"); }
    void EndMainDialog(int result) override {
        m_r.calls.push_back("EndMainDialog " + std::to_string(result));
    }

private:
    bool Pop(std::deque<bool>& results, const char* name) {
        m_r.calls.push_back(name);
        bool ok = results.front();
        results.pop_front();
        return ok;
    }
    Recorder& m_r;
};

class FakeZoom : public IZoomCommands {
public:
    explicit FakeZoom(Recorder& r) : m_r(r) {}
    void ZoomIn() override { m_r.calls.push_back("ZoomIn"); }
    void ZoomOut() override { m_r.calls.push_back("ZoomOut"); }
    void CancelZoom() override { m_r.calls.push_back("CancelZoom"); }
    bool IsZoomed() override { return zoomed; }

    bool zoomed = false;

private:
    Recorder& m_r;
};

struct Fixture {
    Recorder r;
    FakeSettings settings{r.calls};
    FakeTray tray{r};
    FakeZoom zoom{r};
    TrayController controller{tray, settings, zoom};
};

} // namespace

TEST(TrayController_AddTrayIcon, RetriesTimeoutsAndGivesUpOnOtherErrors) {
    struct Case {
        const char* name;
        std::deque<bool> add;
        std::deque<bool> modify;
        std::deque<unsigned long> errors;
        Calls expected;
    } cases[] = {
        {"added at once", {true}, {}, {}, {"AddIcon"}},
        {"time-out, then the shell had added it",
         {false},
         {true},
         {1460},
         {"AddIcon", "LastError", "ModifyIcon"}},
        {"two time-outs, then success",
         {false, false, true},
         {false, false},
         {1460, 1460},
         {"AddIcon", "LastError", "ModifyIcon", "Sleep 1000", "AddIcon", "LastError", "ModifyIcon",
          "Sleep 1000", "AddIcon"}},
        {"another error: one message, then close, no further attempt",
         {false},
         {},
         {5},
         {"AddIcon", "LastError", "ShowError", "RequestClose"}},
        {"time-out then another error",
         {false, false},
         {false},
         {1460, 2},
         {"AddIcon", "LastError", "ModifyIcon", "Sleep 1000", "AddIcon", "LastError", "ShowError",
          "RequestClose"}},
        // "TaskbarCreated" (marked by a first ModifyIcon) never ends the run.
        {"taskbar created, icon still there", {}, {true}, {}, {"ModifyIcon"}},
        {"taskbar created, shell restarted and slow",
         {false, true},
         {false, false},
         {1460},
         {"ModifyIcon", "AddIcon", "LastError", "ModifyIcon", "Sleep 1000", "AddIcon"}},
        {"taskbar created, another error", {false}, {false}, {5},
         {"ModifyIcon", "AddIcon", "LastError"}},
    };
    for (Case& c : cases) {
        Fixture f;
        f.tray.addResults = c.add;
        f.tray.modifyResults = c.modify;
        f.tray.errors = c.errors;
        if (std::string(c.name).rfind("taskbar", 0) == 0) {
            f.controller.OnTaskbarCreated();
        } else {
            f.controller.AddTrayIcon();
        }
        EXPECT_EQ(f.r.calls, c.expected) << c.name;
    }
}

TEST(TrayController_AddTrayIcon, MessageCarriesSignedErrorNumber) {
    struct Case {
        unsigned long error;
        std::wstring expected;
    } cases[] = {
        {5, L"<" + std::to_wstring(IDS_TRAY_ICON_FAILED) + L">5"},
        {0x80004005UL, L"<" + std::to_wstring(IDS_TRAY_ICON_FAILED) + L">-2147467259"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.tray.addResults = {false};
        f.tray.errors = {c.error};
        f.controller.AddTrayIcon();
        EXPECT_EQ(f.tray.shownError, c.expected);
    }
}

TEST(TrayController_OnTrayNotify, MapsMouseMessagesToActions) {
    struct Case {
        unsigned message;
        Calls expected;
    } cases[] = {
        {0x0200, {"GetCursorPos"}}, // move
        {0x0201, {"GetCursorPos"}}, // single left click does nothing
        {0x0202, {"GetCursorPos"}},
        {0x0203, {"GetCursorPos", "RunSettingsSheet"}},
        {0x0204,
         {"GetCursorPos", "SetForeground", "Read(AutoStartUp)",
          "TrackTrayMenu 640,1050 unchecked"}},
        {0x0205, {"GetCursorPos"}}, // right release
        {0x0206, {"GetCursorPos"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.controller.OnTrayNotify(c.message);
        EXPECT_EQ(f.r.calls, c.expected) << std::hex << c.message;
    }
}

TEST(TrayController_Menu, CheckMarkFollowsStoredAutoStartUpCancelFollowsZoom) {
    // An unreadable value arrives as 0 from the store.
    struct Case {
        int stored;
        bool zoomed;
        const char* shown;
    } cases[] = {{0, false, "unchecked"},
                 {1, false, "checked"},
                 {2, true, "checked zoomed"},
                 {-1, false, "checked"},
                 {0, true, "unchecked zoomed"}};
    for (const Case& c : cases) {
        Fixture f;
        f.settings.values[kAutoStartUpKey] = c.stored;
        f.zoom.zoomed = c.zoomed;
        f.controller.OnTrayNotify(0x0204);
        EXPECT_EQ(f.r.calls.back(), std::string("TrackTrayMenu 640,1050 ") + c.shown) << c.stored;
    }
}

TEST(TrayController_OnCommand, DispatchesMenuCommands) {
    struct Case {
        unsigned id;
        bool handled;
        Calls expected;
    } cases[] = {
        {ID_TRAY_SETTING, true, {"RunSettingsSheet"}},
        {ID_TRAY_ZOOMIN, true, {"ZoomIn"}},
        {ID_TRAY_ZOOMOUT, true, {"ZoomOut"}},
        {ID_TRAY_ZOOMCANCEL, true, {"CancelZoom"}},
        {ID_TRAY_AUTOSTARTUP, true, {"Read(AutoStartUp)", "Write(AutoStartUp=1)"}},
        {ID_TRAY_EXIT, true, {"EndMainDialog 0"}},
        {1, false, {}},
        {ID_TRAY_EXIT + 1, false, {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        EXPECT_EQ(f.controller.OnCommand(c.id), c.handled) << c.id;
        EXPECT_EQ(f.r.calls, c.expected) << c.id;
    }
}

TEST(TrayController_OnCommand, AutoStartUpWritesTheOtherValue) {
    struct Case {
        int stored;
        int written;
    } cases[] = {{0, 1}, {1, 0}, {2, 0}, {-5, 0}};
    for (const Case& c : cases) {
        Fixture f;
        f.settings.values[kAutoStartUpKey] = c.stored;
        f.controller.OnCommand(ID_TRAY_AUTOSTARTUP);
        EXPECT_EQ(f.r.calls.back(), "Write(AutoStartUp=" + std::to_string(c.written) + ")");
    }
}

TEST(TrayController_OnSetting, SecondRequestWhileOpenOnlyActivates) {
    Fixture f;
    // The sheet's modal loop still delivers the icon's callbacks.
    f.tray.duringSheet = [&] {
        f.controller.OnTrayNotify(0x0203);
        f.controller.OnCommand(ID_TRAY_SETTING);
        EXPECT_TRUE(f.controller.SettingsOpen());
    };
    f.controller.OnSetting();
    EXPECT_EQ(f.r.calls, (Calls{"RunSettingsSheet", "GetCursorPos", "ActivateSettingsSheet",
                                "ActivateSettingsSheet"}));
    EXPECT_FALSE(f.controller.SettingsOpen());

    f.r.calls.clear();
    f.tray.duringSheet = nullptr;
    f.controller.OnSetting();
    EXPECT_EQ(f.r.calls, (Calls{"RunSettingsSheet"}));
}

TEST(TrayController_OnCommand, ExitClosesAnOpenSheetAsCancelFirst) {
    Fixture f;
    // The menu's exit arrives through the sheet's modal loop.
    f.tray.duringSheet = [&] { f.controller.OnCommand(ID_TRAY_EXIT); };
    f.controller.OnSetting();
    EXPECT_EQ(f.r.calls, (Calls{"RunSettingsSheet", "CancelSettingsSheet", "EndMainDialog 0"}));
}

TEST(TrayController_ShowStartupNotice, RefusedKeysComeFirstAndDropTheWelcome) {
    struct Case {
        const wchar_t* refused;
        const wchar_t* welcome;
        Calls expected;
    } cases[] = {
        {L"", L"", {}},
        {L"", L"welcome", {"ShowBalloon info welcome"}},
        {L"refused", L"", {"ShowBalloon warning refused"}},
        {L"refused", L"welcome", {"ShowBalloon warning refused"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.controller.ShowStartupNotice(c.refused, c.welcome);
        EXPECT_EQ(f.r.calls, c.expected);
    }
}
