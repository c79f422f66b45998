#include "settings/core/SettingsStore.h"
#include "settings/core/SettingFile.h"

#include "../support/FakeSettings.h"
#include "../support/FakeShortcut.h"
#include "resource.h"
#include "settings/core/SettingsCopy.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace {

// An INI file in memory that records every call into a log shared with the
// shortcut, so the order across both is visible.
class FakeProfile : public ISettingProfile {
public:
    explicit FakeProfile(Calls& log) : m_log(log) {}

    std::wstring ReadProfileText(const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback) override {
        m_log.push_back(Narrow(std::wstring(L"read ") + section + L"/" + key + L" " + fallback));
        auto it = values.find(std::wstring(section) + L"/" + key);
        return it != values.end() ? it->second : fallback;
    }
    bool WriteProfileText(const wchar_t* section, const wchar_t* key,
                          const std::wstring& value) override {
        m_log.push_back(Narrow(std::wstring(L"write ") + section + L"/" + key + L"=" + value));
        if (writable) {
            values[std::wstring(section) + L"/" + key] = value;
        }
        return writable;
    }

    std::optional<std::wstring> Value(const wchar_t* key) const {
        auto it = values.find(std::wstring(L"DEFAULT/") + key);
        return it != values.end() ? std::optional<std::wstring>(it->second) : std::nullopt;
    }

    bool RemoveProfileKey(const wchar_t* section, const wchar_t* key) override {
        m_log.push_back(Narrow(std::wstring(L"remove ") + section + L"/" + key));
        if (writable) {
            values.erase(std::wstring(section) + L"/" + key);
        }
        return writable;
    }

    std::map<std::wstring, std::wstring> values;
    bool writable = true;

private:
    Calls& m_log;
};

struct Fixture {
    Fixture() { store.LoadDefaults(); }

    Calls log;
    FakeProfile profile{log};
    FakeShortcut shortcut{log};
    SettingsStore store{profile, shortcut};
};

std::string Show(const std::wstring& text) {
    return testing::PrintToString(text);
}

const std::wstring kLong5000 = std::wstring(4990, L'7') + L"abcdefghij";

} // namespace

TEST(SettingDefaults_ListsKeysInOrder, Table) {
    const SettingDefault expected[] = {
        {L"AutoStartUp", L"1"},         {L"MaxRateZoomIn", L"4"},    {L"MaxRateZoomOut", L"2"},
        {L"MouseZoomCtrl", L"1"},       {L"MouseZoomAlt", L"0"},     {L"MouseZoomShift", L"0"},
        {L"MouseZoomWin", L"0"},        {L"HotKeyZoomIn", L"222"},   {L"HotKeyModZoomIn", L"9"},
        {L"HotKeyZoomOut", L"189"},     {L"HotKeyModZoomOut", L"9"}, {L"HotKeyZoomCancel", L"27"},
        {L"HotKeyModZoomCancel", L"0"}, {L"FollowCaret", L"0"},      {L"InvertColors", L"0"},
        {L"FollowFocus", L"0"},
    };
    ASSERT_EQ(std::size(kSettingDefaults), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(std::wstring(kSettingDefaults[i].key), expected[i].key) << i;
        EXPECT_EQ(std::wstring(kSettingDefaults[i].value), expected[i].value) << i;
    }
}

TEST(SettingsStore_KnowsNoKeyBeforeDefaultsLoad, EveryKey) {
    Calls log;
    FakeProfile profile(log);
    FakeShortcut shortcut(log);
    SettingsStore store(profile, shortcut);
    for (const SettingDefault& row : kSettingDefaults) {
        std::wstring value = L"untouched";
        EXPECT_FALSE(store.ReadSetting(row.key, value));
        EXPECT_EQ(value, L"untouched");
        EXPECT_FALSE(store.WriteSetting(row.key, L"1"));
    }
    EXPECT_TRUE(log.empty());
    store.LoadDefaults();
    store.LoadDefaults();
    std::wstring value;
    EXPECT_TRUE(store.ReadSetting(kMaxRateZoomOutKey, value));
    EXPECT_EQ(value, L"2");
}

TEST(SettingsStore_FillsEmptyFileWithDefaults, InReadOrder) {
    Fixture f;
    for (const SettingDefault& row : kSettingDefaults) {
        std::wstring value;
        EXPECT_TRUE(f.store.ReadSetting(row.key, value)) << Show(row.key);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(f.profile.Value(row.key), std::optional<std::wstring>(row.value));
    }
    Calls writes;
    for (const std::string& call : f.log) {
        if (call.rfind("write ", 0) == 0) {
            writes.push_back(call);
        }
    }
    ASSERT_EQ(writes.size(), std::size(kSettingDefaults));
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i], Narrow(std::wstring(L"write DEFAULT/") + kSettingDefaults[i].key +
                                    L"=" + kSettingDefaults[i].value));
    }
    EXPECT_TRUE(f.shortcut.exists);
}

TEST(SettingsStore_ReadSetting_FollowsRules, Table) {
    struct Case {
        const char* name;
        const wchar_t* key;
        std::optional<std::wstring> stored;
        bool shortcutSucceeds;
        bool writable;
        bool expectedResult;
        std::optional<std::wstring> expectedValue; // nullopt: the out value is untouched
        Calls expectedCalls;
        std::optional<std::wstring> expectedStored;
    };
    const Case cases[] = {
        {"missing key reads and writes its default",
         kMaxRateZoomInKey,
         std::nullopt,
         true,
         true,
         true,
         L"4",
         {"read DEFAULT/MaxRateZoomIn ###", "write DEFAULT/MaxRateZoomIn=4"},
         L"4"},
        {"empty value stays empty",
         kMouseZoomCtrlKey,
         L"",
         true,
         true,
         true,
         L"",
         {"read DEFAULT/MouseZoomCtrl ###"},
         L""},
        {"stored sentinel is replaced by the default",
         kHotKeyZoomInKey,
         L"###",
         true,
         true,
         true,
         L"222",
         {"read DEFAULT/HotKeyZoomIn ###", "write DEFAULT/HotKeyZoomIn=222"},
         L"222"},
        {"sentinel prefix is an ordinary value",
         kHotKeyZoomInKey,
         L"###1",
         true,
         true,
         true,
         L"###1",
         {"read DEFAULT/HotKeyZoomIn ###"},
         L"###1"},
        {"stored value is returned as is",
         kHotKeyModZoomOutKey,
         L" 12x",
         true,
         true,
         true,
         L" 12x",
         {"read DEFAULT/HotKeyModZoomOut ###"},
         L" 12x"},
        {"read-only file still reads the default",
         kMaxRateZoomOutKey,
         std::nullopt,
         true,
         false,
         true,
         L"2",
         {"read DEFAULT/MaxRateZoomOut ###", "write DEFAULT/MaxRateZoomOut=2"},
         std::nullopt},
        {"over-long value is cut and never rewritten",
         kMaxRateZoomInKey,
         kLong5000,
         true,
         true,
         true,
         kLong5000.substr(0, 4095),
         {"read DEFAULT/MaxRateZoomIn ###"},
         kLong5000},
        {"unknown key touches nothing",
         L"Unknown",
         L"5",
         true,
         true,
         false,
         std::nullopt,
         {},
         L"5"},
        {"lookup is case-sensitive",
         L"maxratezoomin",
         L"5",
         true,
         true,
         false,
         std::nullopt,
         {},
         L"5"},
        {"empty key is unknown", L"", L"5", true, true, false, std::nullopt, {}, std::nullopt},
        {"AutoStartUp missing: write-back, shortcut, shortcut again",
         kAutoStartUpKey,
         std::nullopt,
         true,
         true,
         true,
         L"1",
         {"read DEFAULT/AutoStartUp ###", "read DEFAULT/AutoStartUp ###",
          "write DEFAULT/AutoStartUp=1", "shortcut on", "shortcut on"},
         L"1"},
        {"AutoStartUp 0 removes the shortcut",
         kAutoStartUpKey,
         L"0",
         true,
         true,
         true,
         L"0",
         {"read DEFAULT/AutoStartUp ###", "shortcut off"},
         L"0"},
        {"AutoStartUp 00 is not exactly 0",
         kAutoStartUpKey,
         L"00",
         true,
         true,
         true,
         L"00",
         {"read DEFAULT/AutoStartUp ###", "shortcut on"},
         L"00"},
        {"AutoStartUp empty is not exactly 0",
         kAutoStartUpKey,
         L"",
         true,
         true,
         true,
         L"",
         {"read DEFAULT/AutoStartUp ###", "shortcut on"},
         L""},
        {"AutoStartUp shortcut failure fails the read",
         kAutoStartUpKey,
         L"1",
         false,
         true,
         false,
         L"1",
         {"read DEFAULT/AutoStartUp ###", "shortcut on"},
         L"1"},
        {"AutoStartUp missing with shortcut failure: the write-back is taken out",
         kAutoStartUpKey,
         std::nullopt,
         false,
         true,
         false,
         L"1",
         {"read DEFAULT/AutoStartUp ###", "read DEFAULT/AutoStartUp ###",
          "write DEFAULT/AutoStartUp=1", "shortcut on", "remove DEFAULT/AutoStartUp",
          "shortcut on"},
         std::nullopt},
        {"AutoStartUp 0 with failing shortcut",
         kAutoStartUpKey,
         L"0",
         false,
         true,
         false,
         L"0",
         {"read DEFAULT/AutoStartUp ###", "shortcut off"},
         L"0"},
        {"AutoStartUp missing in read-only file",
         kAutoStartUpKey,
         std::nullopt,
         true,
         false,
         true,
         L"1",
         {"read DEFAULT/AutoStartUp ###", "read DEFAULT/AutoStartUp ###",
          "write DEFAULT/AutoStartUp=1", "shortcut on"},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.profile.values[L"DEFAULT/Unknown"] = L"5";
        f.profile.values[L"DEFAULT/maxratezoomin"] = L"5";
        if (c.stored) {
            f.profile.values[std::wstring(L"DEFAULT/") + c.key] = *c.stored;
        }
        f.shortcut.succeeds = c.shortcutSucceeds;
        f.profile.writable = c.writable;
        std::wstring value = L"untouched";
        EXPECT_EQ(f.store.ReadSetting(c.key, value), c.expectedResult);
        EXPECT_EQ(value, c.expectedValue.value_or(L"untouched"));
        EXPECT_EQ(f.log, c.expectedCalls);
        if (*c.key != L'\0') {
            EXPECT_EQ(f.profile.Value(c.key), c.expectedStored);
        }
    }
}

TEST(SettingsStore_ReadSetting_RejectsNullKey, NoCalls) {
    Fixture f;
    std::wstring value = L"untouched";
    EXPECT_FALSE(f.store.ReadSetting(nullptr, value));
    EXPECT_EQ(value, L"untouched");
    EXPECT_EQ(f.store.ReadSettingInt(nullptr), 0);
    EXPECT_FALSE(f.store.WriteSetting(nullptr, L"1"));
    EXPECT_FALSE(f.store.WriteSettingInt(nullptr, 1));
    EXPECT_TRUE(f.log.empty());
}

TEST(SettingsStore_ReadSettingInt_ParsesText, Table) {
    struct Case {
        const wchar_t* key;
        std::optional<std::wstring> stored;
        int expected;
    } cases[] = {
        {kMaxRateZoomInKey, L"7", 7},
        {kMaxRateZoomInKey, std::nullopt, 4},
        // Flags are bit 0: "2" is off, "3" on.
        {kMouseZoomCtrlKey, L"2", 2},
        {kMouseZoomCtrlKey, L"3", 3},
        {kMouseZoomCtrlKey, L"", 0},
        {kFollowCaretKey, std::nullopt, 0},
        {kFollowCaretKey, L"1", 1},
        {kInvertColorsKey, std::nullopt, 0},
        {kInvertColorsKey, L"3", 3},
        {kFollowFocusKey, std::nullopt, 0},
        {kHotKeyZoomInKey, L"-1", -1},
        {kHotKeyZoomInKey, L"12abc", 12},
        {kHotKeyZoomInKey, L"garbage", 0},
        {kHotKeyZoomInKey, L"99999999999", INT_MAX},
        {kHotKeyZoomInKey, L"-99999999999", INT_MIN},
        {kHotKeyZoomInKey, L"4294967297", INT_MAX},
        {kHotKeyZoomInKey, L"###", 222},
        {kHotKeyZoomInKey, kLong5000, INT_MAX},
        {kAutoStartUpKey, L"00", 0},
        {kAutoStartUpKey, L"0", 0},
        {kAutoStartUpKey, L"5", 5},
        {L"NotAKey", L"5", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.key) + " " + (c.stored ? Show(c.stored->substr(0, 20)) : "missing"));
        Fixture f;
        if (c.stored) {
            f.profile.values[std::wstring(L"DEFAULT/") + c.key] = *c.stored;
        }
        EXPECT_EQ(f.store.ReadSettingInt(c.key), c.expected);
    }
}

TEST(SettingsStore_ReadSettingInt_ShortcutFailureGivesZero, WhateverTheFileSays) {
    Fixture f;
    f.profile.values[L"DEFAULT/AutoStartUp"] = L"1";
    f.shortcut.succeeds = false;
    EXPECT_EQ(f.store.ReadSettingInt(kAutoStartUpKey), 0);
    EXPECT_EQ(f.profile.Value(kAutoStartUpKey), std::optional<std::wstring>(L"1"));
}

TEST(SettingsStore_WriteSetting_FollowsRules, Table) {
    struct Case {
        const char* name;
        const wchar_t* key;
        std::wstring value;
        bool shortcutSucceeds;
        bool writable;
        bool expectedResult;
        Calls expectedCalls;
        std::optional<std::wstring> expectedStored;
    };
    const Case cases[] = {
        {"plain write",
         kMaxRateZoomInKey,
         L"6",
         true,
         true,
         true,
         {"write DEFAULT/MaxRateZoomIn=6"},
         L"6"},
        {"empty value is written",
         kMouseZoomWinKey,
         L"",
         true,
         true,
         true,
         {"write DEFAULT/MouseZoomWin="},
         L""},
        {"read-only file fails",
         kMaxRateZoomInKey,
         L"6",
         true,
         false,
         false,
         {"write DEFAULT/MaxRateZoomIn=6"},
         L"3"},
        {"unknown key writes nothing", L"Other", L"6", true, true, false, {}, std::nullopt},
        {"case-sensitive lookup", L"autostartup", L"1", true, true, false, {}, std::nullopt},
        {"AutoStartUp 0: file first, then shortcut",
         kAutoStartUpKey,
         L"0",
         true,
         true,
         true,
         {"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=0", "shortcut off"},
         L"0"},
        {"AutoStartUp 1",
         kAutoStartUpKey,
         L"1",
         true,
         true,
         true,
         {"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=1", "shortcut on"},
         L"1"},
        {"AutoStartUp 00 asks for the shortcut",
         kAutoStartUpKey,
         L"00",
         true,
         true,
         true,
         {"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=00", "shortcut on"},
         L"00"},
        {"AutoStartUp shortcut failure puts the old value back",
         kAutoStartUpKey,
         L"0",
         false,
         true,
         false,
         {"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=0", "shortcut off",
          "write DEFAULT/AutoStartUp=3"},
         L"3"},
        {"AutoStartUp in read-only file leaves the shortcut",
         kAutoStartUpKey,
         L"0",
         true,
         false,
         false,
         {"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=0"},
         L"3"},
        {"line feed would split the line",
         kMaxRateZoomInKey,
         L"5\n[DEFAULT]\nAutoStartUp=0",
         true,
         true,
         false,
         {},
         L"3"},
        {"carriage return would split the line",
         kMaxRateZoomInKey,
         L"5\rX=1",
         true,
         true,
         false,
         {},
         L"3"},
        {"NUL would cut the value",
         kMaxRateZoomInKey,
         std::wstring(L"5\0"
                      L"6",
                      3),
         true,
         true,
         false,
         {},
         L"3"},
        {"line break in AutoStartUp leaves the shortcut alone",
         kAutoStartUpKey,
         L"0\n",
         true,
         true,
         false,
         {},
         L"3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.profile.values[L"DEFAULT/MaxRateZoomIn"] = L"3";
        f.profile.values[L"DEFAULT/AutoStartUp"] = L"3";
        f.shortcut.succeeds = c.shortcutSucceeds;
        f.profile.writable = c.writable;
        EXPECT_EQ(f.store.WriteSetting(c.key, c.value), c.expectedResult);
        EXPECT_EQ(f.log, c.expectedCalls);
        EXPECT_EQ(f.profile.Value(c.key), c.expectedStored);
    }
}

TEST(SettingsStore_WriteSettingInt_WritesDecimal, Table) {
    struct Case {
        int value;
        const wchar_t* text;
    } cases[] = {
        {-1, L"-1"}, {0, L"0"}, {20, L"20"}, {INT_MAX, L"2147483647"}, {INT_MIN, L"-2147483648"},
    };
    for (const Case& c : cases) {
        Fixture f;
        EXPECT_TRUE(f.store.WriteSettingInt(kHotKeyZoomCancelKey, c.value));
        EXPECT_EQ(f.log, Calls{"write DEFAULT/HotKeyZoomCancel=" + Narrow(c.text)});
        EXPECT_EQ(f.store.ReadSettingInt(kHotKeyZoomCancelKey), c.value);
    }
}

TEST(SettingsStore_WriteSettingInt_AutoStartUpZeroRemovesShortcut, FileBeforeShortcut) {
    Fixture f;
    f.shortcut.exists = true;
    EXPECT_TRUE(f.store.WriteSettingInt(kAutoStartUpKey, 0));
    EXPECT_FALSE(f.shortcut.exists);
    EXPECT_TRUE(f.store.WriteSettingInt(kAutoStartUpKey, 1));
    EXPECT_TRUE(f.shortcut.exists);
    EXPECT_EQ(f.log, (Calls{"read DEFAULT/AutoStartUp ###", "write DEFAULT/AutoStartUp=0",
                            "shortcut off", "read DEFAULT/AutoStartUp ###",
                            "write DEFAULT/AutoStartUp=1", "shortcut on"}));
}

TEST(SettingsStore_ReadOnlyFile_KeepsOldValue, WriteThenRead) {
    Fixture f;
    f.profile.values[L"DEFAULT/MaxRateZoomIn"] = L"8";
    f.profile.writable = false;
    EXPECT_FALSE(f.store.WriteSettingInt(kMaxRateZoomInKey, 3));
    EXPECT_EQ(f.store.ReadSettingInt(kMaxRateZoomInKey), 8);
}

TEST(SettingsStore_ReadOnlyFile_RetriesWriteBackOnEveryRead, MissingKey) {
    Fixture f;
    f.profile.writable = false;
    EXPECT_EQ(f.store.ReadSettingInt(kHotKeyZoomOutKey), 189);
    EXPECT_EQ(f.store.ReadSettingInt(kHotKeyZoomOutKey), 189);
    EXPECT_EQ(f.log, (Calls{"read DEFAULT/HotKeyZoomOut ###", "write DEFAULT/HotKeyZoomOut=189",
                            "read DEFAULT/HotKeyZoomOut ###", "write DEFAULT/HotKeyZoomOut=189"}));
}

TEST(SettingsStore_NothingIsCached, WriteSeenByNextRead) {
    Fixture f;
    EXPECT_EQ(f.store.ReadSettingInt(kMaxRateZoomInKey), 4);
    f.profile.values[L"DEFAULT/MaxRateZoomIn"] = L"11";
    EXPECT_EQ(f.store.ReadSettingInt(kMaxRateZoomInKey), 11);
    EXPECT_TRUE(f.store.WriteSettingInt(kMaxRateZoomInKey, 13));
    EXPECT_EQ(f.store.ReadSettingInt(kMaxRateZoomInKey), 13);
}

TEST(SettingsStore_UsableAsISettings, ThroughInterface) {
    Fixture f;
    ISettings& settings = f.store;
    EXPECT_TRUE(settings.WriteSettingInt(kMouseZoomAltKey, 1));
    EXPECT_EQ(settings.ReadSettingInt(kMouseZoomAltKey), 1);
    EXPECT_FALSE(settings.WriteSettingInt(L"Bogus", 1));
    EXPECT_EQ(settings.ReadSettingInt(L"Bogus"), 0);
}

TEST(SettingsCopy, HoldsHotKeysInMemoryByTheStoreRules) {
    Fixture f;
    f.profile.values[L"DEFAULT/MouseZoomCtrl"] = L"3";
    f.profile.values[L"DEFAULT/FollowCaret"] = L"1junk";
    SettingsCopy copy(f.store);
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomCtrlKey), 1) << "the default until filled";
    EXPECT_TRUE(f.log.empty());
    copy.Reload();
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomCtrlKey), 3);
    EXPECT_EQ(copy.ReadSettingInt(kFollowCaretKey), 1);
    // A missing key reads as its default and is written back.
    EXPECT_EQ(f.profile.Value(kInvertColorsKey), std::optional<std::wstring>(L"0"));
    // A hand edit shows at the next refresh; copied keys never reach the file.
    f.log.clear();
    f.profile.values[L"DEFAULT/MouseZoomCtrl"] = L"0";
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomCtrlKey), 3);
    EXPECT_TRUE(f.log.empty());
    copy.Reload();
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomCtrlKey), 0);
    // Other keys go to the file at every read.
    f.log.clear();
    EXPECT_EQ(copy.ReadSettingInt(kMaxRateZoomOutKey), 2);
    EXPECT_EQ(f.log.front(), "read DEFAULT/MaxRateZoomOut ###");
    // A write counts at once, unless the file refuses it.
    EXPECT_TRUE(copy.WriteSettingInt(kMouseZoomShiftKey, 1));
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomShiftKey), 1);
    f.profile.writable = false;
    EXPECT_FALSE(copy.WriteSettingInt(kMouseZoomShiftKey, 0));
    EXPECT_EQ(copy.ReadSettingInt(kMouseZoomShiftKey), 1);
}

namespace {

class FakeFileSystem : public ISettingFileSystem {
public:
    explicit FakeFileSystem(Calls& log) : m_log(log) {}

    std::wstring ModuleDirectory() override {
        m_log.push_back("module directory");
        return L"C:\\Program Files\\Loupa\\";
    }
    bool PathExists(const std::wstring& path) override {
        m_log.push_back("exists " + Narrow(path));
        return besideExe;
    }
    int32_t RoamingAppDataFolder(std::wstring& folder) override {
        m_log.push_back("app data");
        if (appDataCode >= 0) {
            folder = L"C:\\Users\\u\\AppData\\Roaming";
        }
        return appDataCode;
    }
    void CreateFolder(const std::wstring& path) override {
        m_log.push_back("create " + Narrow(path));
    }
    void SetProfilePath(const std::wstring& path) override {
        m_log.push_back("profile " + Narrow(path));
    }
    void ShowWarning(const std::wstring& text) override { m_log.push_back("warn " + Narrow(text)); }
    std::wstring LoadText(unsigned id) override { return L"<" + std::to_wstring(id) + L">"; }

    bool besideExe = false;
    int32_t appDataCode = 0;

private:
    Calls& m_log;
};

} // namespace

TEST(InitSettingFile_LocatesFile, Table) {
    struct Case {
        const char* name;
        bool besideExe;
        int32_t appDataCode;
        bool expected;
        Calls expectedCalls;
    };
    const Case cases[] = {
        {"file beside the executable wins",
         true,
         0,
         true,
         {"module directory", "exists C:\\Program Files\\Loupa\\setting.ini",
          "profile C:\\Program Files\\Loupa\\setting.ini", "Read(AutoStartUp)"}},
        {"otherwise the application-data folder",
         false,
         0,
         true,
         {"module directory", "exists C:\\Program Files\\Loupa\\setting.ini", "app data",
          "create C:\\Users\\u\\AppData\\Roaming\\Loupa",
          "profile C:\\Users\\u\\AppData\\Roaming\\Loupa\\setting.ini", "Read(AutoStartUp)"}},
        {"S_FALSE is not a failure",
         false,
         1,
         true,
         {"module directory", "exists C:\\Program Files\\Loupa\\setting.ini", "app data",
          "create C:\\Users\\u\\AppData\\Roaming\\Loupa",
          "profile C:\\Users\\u\\AppData\\Roaming\\Loupa\\setting.ini", "Read(AutoStartUp)"}},
        {"folder failure: no file at all, then the warning",
         false,
         static_cast<int32_t>(0x80070005u),
         false,
         {"module directory", "exists C:\\Program Files\\Loupa\\setting.ini", "app data",
          "profile ", "warn <" + std::to_string(IDS_APP_FOLDER_FAILED) + ">80070005"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Calls log;
        FakeFileSystem system(log);
        FakeSettings settings(log);
        settings.values[kAutoStartUpKey] = 1;
        system.besideExe = c.besideExe;
        system.appDataCode = c.appDataCode;
        EXPECT_EQ(InitSettingFile(system, settings), c.expected);
        EXPECT_EQ(log, c.expectedCalls);
    }
}

TEST(InitSettingFile_FreshInstall_WritesAutoStartUpAndCreatesShortcut, RealStore) {
    Calls log;
    FakeFileSystem system(log);
    Fixture f;
    EXPECT_TRUE(InitSettingFile(system, f.store));
    EXPECT_EQ(f.profile.Value(kAutoStartUpKey), std::optional<std::wstring>(L"1"));
    EXPECT_TRUE(f.shortcut.exists);
    EXPECT_EQ(f.profile.values.size(), 1u);
}

TEST(AppFolderFailureText_IsLowercaseHex, Table) {
    struct Case {
        int32_t code;
        const wchar_t* text;
    } cases[] = {
        {static_cast<int32_t>(0x80004005u), L"appフォルダ取得失敗：80004005"},
        {static_cast<int32_t>(0x8007000eu), L"appフォルダ取得失敗：8007000e"},
        {static_cast<int32_t>(0xABCDEF01u), L"appフォルダ取得失敗：abcdef01"},
        {-1, L"appフォルダ取得失敗：ffffffff"},
        {INT_MIN, L"appフォルダ取得失敗：80000000"},
        {0, L"appフォルダ取得失敗：0"},
        {0x1f, L"appフォルダ取得失敗：1f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppFolderFailureText(L"appフォルダ取得失敗：", c.code), c.text);
    }
}

TEST(DirectoryOf_KeepsTrailingSeparator, Table) {
    struct Case {
        const wchar_t* path;
        const wchar_t* directory;
    } cases[] = {
        {L"C:\\Program Files\\Loupa\\Loupa.exe", L"C:\\Program Files\\Loupa\\"},
        {L"C:\\Loupa.exe", L"C:\\"},
        {L"\\\\server\\share\\Loupa.exe", L"\\\\server\\share\\"},
        {L"Loupa.exe", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DirectoryOf(c.path), c.directory) << Show(c.path);
    }
}
