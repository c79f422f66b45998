#include "settings/Settings.h"

#include "../support/FakeShortcut.h"
#include "WinTestFiles.h"
#include "fw/WinApp.h"
#include "settings/StartupShortcut.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <climits>
#include <memory>
#include <vector>

namespace {

// The store over a real INI file in a scratch folder; the shortcut is
// recorded, not made.
class StoreOnFileTest : public testing::Test {
protected:
    // Sets the file's bytes; a new name each time, so that no cached copy of
    // an earlier file can answer.
    void UseFile(const std::string& bytes) {
        UseFreshFile();
        ASSERT_TRUE(wintest::WriteBytes(path, bytes));
    }
    void UseFreshFile() {
        path = scratch.File(L"setting" + std::to_wstring(++fileCount) + L".ini");
        storeOnFile.reset();
        profile = std::make_unique<PrivateProfile>(path);
        storeOnFile = std::make_unique<SettingsStore>(*profile, shortcut);
        storeOnFile->LoadDefaults();
    }
    SettingsStore& Store() { return *storeOnFile; }
    std::string Bytes() const { return wintest::ReadBytes(path); }
    std::wstring Raw(const wchar_t* section, const wchar_t* key) const {
        wchar_t text[64] = {};
        ::GetPrivateProfileStringW(section, key, L"<none>", text, 64, path.c_str());
        return text;
    }

    wintest::ScratchFolder scratch;
    int fileCount = 0;
    std::wstring path;
    Calls shortcutCalls;
    FakeShortcut shortcut{shortcutCalls};
    std::unique_ptr<PrivateProfile> profile;
    std::unique_ptr<SettingsStore> storeOnFile;
};

// Bytes as the profile functions read them: in the system's ANSI code page.
std::wstring AnsiText(const std::string& bytes) {
    wchar_t text[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text, 63);
    return text;
}

} // namespace

TEST_F(StoreOnFileTest, FreshFile_FillsInReadOrderAutoStartUpFirst) {
    UseFreshFile();
    EXPECT_FALSE(wintest::Exists(path));
    EXPECT_EQ(Store().ReadSettingInt(kAutoStartUpKey), 1);
    EXPECT_EQ(Bytes(), "[DEFAULT]\r\nAutoStartUp=1\r\n");
    const wchar_t* hotKeys[] = {kHotKeyZoomInKey,     kHotKeyModZoomInKey,
                                kHotKeyZoomOutKey,    kHotKeyModZoomOutKey,
                                kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey};
    for (const wchar_t* key : hotKeys) {
        Store().ReadSettingInt(key);
    }
    EXPECT_EQ(Bytes(), "[DEFAULT]\r\nAutoStartUp=1\r\nHotKeyZoomIn=222\r\nHotKeyModZoomIn=9\r\n"
                       "HotKeyZoomOut=189\r\nHotKeyModZoomOut=9\r\nHotKeyZoomCancel=27\r\n"
                       "HotKeyModZoomCancel=0\r\n");
    EXPECT_EQ(shortcutCalls, (Calls{"shortcut on", "shortcut on"}));
}

TEST_F(StoreOnFileTest, ValuesInFile_ReadByRules) {
    struct Case {
        const char* line;
        const wchar_t* key;
        bool expectedResult;
        std::wstring expectedText;
        int expectedInt;
        bool fileUnchanged;
    };
    const Case cases[] = {
        {"MaxRateZoomIn=7", kMaxRateZoomInKey, true, L"7", 7, true},
        {"MaxRateZoomIn=", kMaxRateZoomInKey, true, L"", 0, true},
        {"MouseZoomCtrl=2", kMouseZoomCtrlKey, true, L"2", 2, true},
        {"MouseZoomCtrl=3", kMouseZoomCtrlKey, true, L"3", 3, true},
        {"HotKeyZoomIn=-5", kHotKeyZoomInKey, true, L"-5", -5, true},
        {"HotKeyZoomIn=12345678901", kHotKeyZoomInKey, true, L"12345678901", INT_MAX, true},
        {"HotKeyZoomIn=-12345678901", kHotKeyZoomInKey, true, L"-12345678901", INT_MIN, true},
        {"HotKeyZoomIn=12abc", kHotKeyZoomInKey, true, L"12abc", 12, true},
        {"HotKeyZoomIn=\xff\xfe\x01junk", kHotKeyZoomInKey, true, AnsiText("\xff\xfe\x01junk"), 0,
         true},
        {"HotKeyZoomIn=###", kHotKeyZoomInKey, true, L"222", 222, false},
        {"HotKeyZoomIn=###5", kHotKeyZoomInKey, true, L"###5", 0, true},
        {"Bogus=5", L"Bogus", false, L"untouched", 0, true},
        {"maxratezoomin=6", L"maxratezoomin", false, L"untouched", 0, true},
        // The file's keys are matched regardless of case.
        {"maxratezoomin=6", kMaxRateZoomInKey, true, L"6", 6, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        UseFile(std::string("[DEFAULT]\r\n") + c.line + "\r\n");
        std::string before = Bytes();
        std::wstring text = L"untouched";
        EXPECT_EQ(Store().ReadSetting(c.key, text), c.expectedResult);
        EXPECT_EQ(text, c.expectedText);
        EXPECT_EQ(Store().ReadSettingInt(c.key), c.expectedInt);
        EXPECT_EQ(Bytes() == before, c.fileUnchanged) << Bytes();
    }
}

TEST_F(StoreOnFileTest, Sentinel_IsReplacedInPlace) {
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=5\r\nHotKeyZoomIn=###\r\nMaxRateZoomOut=3\r\n");
    EXPECT_EQ(Store().ReadSettingInt(kHotKeyZoomInKey), 222);
    EXPECT_EQ(Bytes(), "[DEFAULT]\r\nMaxRateZoomIn=5\r\nHotKeyZoomIn=222\r\nMaxRateZoomOut=3\r\n");
}

TEST_F(StoreOnFileTest, LongValue_SeenUpTo4095AndNeverRewritten) {
    std::string value(4990, '7');
    value += "abcdefghij";
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=" + value + "\r\n");
    std::string before = Bytes();
    std::wstring text;
    EXPECT_TRUE(Store().ReadSetting(kMaxRateZoomInKey, text));
    EXPECT_EQ(text, std::wstring(4095, L'7'));
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), INT_MAX);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(StoreOnFileTest, Garbage_KeepsEverythingTheUserStored) {
    const std::string garbage = "\x01\x02 binary \xff\r\n"
                                "no equals sign here\r\n"
                                "=orphan value\r\n"
                                "; a comment\r\n"
                                "[Other]\r\n"
                                "MaxRateZoomIn=9\r\n"
                                "Keep=me\r\n"
                                "[DEFAULT]\r\n"
                                "Custom=42\r\n"
                                "MouseZoomAlt=1\r\n"
                                "[broken\r\n"
                                "tail\r\n";
    UseFile(garbage);
    EXPECT_EQ(Store().ReadSettingInt(kMouseZoomAltKey), 1);
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), 4);
    EXPECT_TRUE(Store().WriteSettingInt(kMouseZoomAltKey, 0));
    EXPECT_FALSE(Store().WriteSettingInt(L"Custom", 1));
    EXPECT_FALSE(Store().WriteSettingInt(L"Keep", 1));
    EXPECT_EQ(Raw(L"DEFAULT", kMaxRateZoomInKey), L"4");
    EXPECT_EQ(Raw(L"DEFAULT", kMouseZoomAltKey), L"0");
    EXPECT_EQ(Raw(L"DEFAULT", L"Custom"), L"42");
    EXPECT_EQ(Raw(L"Other", kMaxRateZoomInKey), L"9");
    EXPECT_EQ(Raw(L"Other", L"Keep"), L"me");
    std::string after = Bytes();
    for (const char* line : {"no equals sign here", "=orphan value", "; a comment", "[Other]",
                             "Keep=me", "Custom=42", "[broken", "tail"}) {
        EXPECT_NE(after.find(line), std::string::npos) << line << "\n" << after;
    }
}

TEST_F(StoreOnFileTest, MissingSection_AddedBesideOthers) {
    UseFile("[Other]\r\nAutoStartUp=0\r\n");
    EXPECT_EQ(Store().ReadSettingInt(kAutoStartUpKey), 1);
    EXPECT_EQ(Raw(L"Other", kAutoStartUpKey), L"0");
    EXPECT_EQ(Raw(L"DEFAULT", kAutoStartUpKey), L"1");
    EXPECT_EQ(shortcutCalls, (Calls{"shortcut on", "shortcut on"}));
}

TEST_F(StoreOnFileTest, EmptyFile_GetsDefaults) {
    UseFile("");
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
    EXPECT_EQ(Raw(L"DEFAULT", kMaxRateZoomOutKey), L"2");
}

TEST_F(StoreOnFileTest, Write_ReplacesInPlaceAndAppendsNewKeys) {
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=5\r\nMaxRateZoomOut=3\r\n");
    EXPECT_TRUE(Store().WriteSettingInt(kMaxRateZoomInKey, -1));
    EXPECT_TRUE(Store().WriteSettingInt(kHotKeyZoomCancelKey, INT_MIN));
    EXPECT_EQ(Bytes(), "[DEFAULT]\r\nMaxRateZoomIn=-1\r\nMaxRateZoomOut=3\r\n"
                       "HotKeyZoomCancel=-2147483648\r\n");
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), -1);
    EXPECT_EQ(Store().ReadSettingInt(kHotKeyZoomCancelKey), INT_MIN);
}

TEST_F(StoreOnFileTest, LineBreakInValue_RejectedAndFileUnchanged) {
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=5\r\n");
    std::string before = Bytes();
    EXPECT_FALSE(Store().WriteSetting(kMaxRateZoomInKey, L"6\r\nAutoStartUp=0"));
    EXPECT_EQ(Bytes(), before);
}

TEST_F(StoreOnFileTest, AutoStartUp_ShortcutFailure_LeavesFile) {
    // The quoted value asks for the shortcut; unquoted it would read "0".
    for (const char* line : {"AutoStartUp=1", "AutoStartUp=\" 0\""}) {
        SCOPED_TRACE(line);
        UseFile(std::string("[DEFAULT]\r\n") + line + "\r\n");
        std::string before = Bytes();
        shortcutCalls.clear();
        shortcut.succeeds = false;
        EXPECT_FALSE(Store().WriteSettingInt(kAutoStartUpKey, 0));
        EXPECT_EQ(Store().ReadSettingInt(kAutoStartUpKey), 0);
        EXPECT_EQ(Bytes(), before);
        EXPECT_EQ(shortcutCalls, (Calls{"shortcut off", "shortcut on"}));
    }
}

TEST_F(StoreOnFileTest, AutoStartUp_MissingKeyWithShortcutFailure_StaysMissing) {
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=5\r\n");
    std::string before = Bytes();
    shortcut.succeeds = false;
    EXPECT_EQ(Store().ReadSettingInt(kAutoStartUpKey), 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(shortcutCalls, (Calls{"shortcut on", "shortcut on"}));
}

TEST_F(StoreOnFileTest, AutoStartUp_FileThatCannotBeWritten_LeavesShortcut) {
    // A folder where the file should be stops every writer, root included.
    UseFreshFile();
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_FALSE(Store().WriteSettingInt(kAutoStartUpKey, 0));
    EXPECT_TRUE(shortcutCalls.empty());
    ::RemoveDirectoryW(path.c_str());
}

TEST_F(StoreOnFileTest, ReadOnlyFile_WriteFailsAndValuesSurvive) {
    UseFile("[DEFAULT]\r\nMaxRateZoomIn=8\r\n");
    std::string before = Bytes();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // The attribute alone does not stop a process that Wine runs as root; a
    // handle that denies writing stops everyone.
    HANDLE denyWrite = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(denyWrite, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Store().WriteSettingInt(kMaxRateZoomInKey, 3));
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), 8);
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
    ::CloseHandle(denyWrite);
    EXPECT_EQ(Bytes(), before);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

std::string Utf16Le(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

} // namespace

TEST_F(StoreOnFileTest, FileARewriteWouldDestroy_IsNeverWritten) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        int maxRateZoomIn;
    } cases[] = {
        {"NUL in a value", "[DEFAULT]\r\nMaxRateZoomIn=6\0after\r\nCustom=a\0b\r\n"s, 6},
        {"UTF-16 without byte-order mark", Utf16Le(L"[DEFAULT]\r\nMaxRateZoomIn=6\r\n"), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseFile(c.bytes);
        EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), c.maxRateZoomIn);
        EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
        EXPECT_FALSE(Store().WriteSettingInt(kMaxRateZoomInKey, 3));
        EXPECT_EQ(Bytes(), c.bytes);
    }
}

TEST_F(StoreOnFileTest, Utf16FileWithMark_WrittenAsUtf16) {
    UseFile(Utf16Le(L"\uFEFF[DEFAULT]\r\nMaxRateZoomIn=6\r\nNote=\u65E5\u672C\r\n"));
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomInKey), 6);
    EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
    EXPECT_EQ(Bytes(), Utf16Le(L"\uFEFF[DEFAULT]\r\nMaxRateZoomIn=6\r\nNote=\u65E5\u672C\r\n"
                               L"MaxRateZoomOut=2\r\n"));
}

// Whatever the system's code page makes of the bytes: a user's UTF-8 comment
// read as code page 932 does not come back from the profile functions.
TEST_F(StoreOnFileTest, AnyEncoding_LinesLoupaDoesNotOwnKeepTheirBytes) {
    const std::string utf8Note = "; \xE3\x83\xAB\xE3\x83\xBC\xE3\x83\x9A\xE3\x81\xAE\r\n";
    const std::string cp932Note = "; \x83\x8B\x81\x5B\x83\x79\x82\xCC\r\n";
    for (const std::string& note : {utf8Note, cp932Note}) {
        UseFile(note + "[DEFAULT]\r\nMaxRateZoomIn=6\r\n" + note + "[Other]\r\nA=1\r\n" + note);
        EXPECT_TRUE(Store().WriteSettingInt(kMaxRateZoomInKey, 3));
        EXPECT_EQ(Store().ReadSettingInt(kMaxRateZoomOutKey), 2);
        EXPECT_EQ(Bytes(), note + "[DEFAULT]\r\nMaxRateZoomIn=3\r\n" + note +
                               "MaxRateZoomOut=2\r\n[Other]\r\nA=1\r\n" + note);
        EXPECT_EQ(Raw(L"DEFAULT", kMaxRateZoomInKey), L"3");
        EXPECT_EQ(Raw(L"Other", L"A"), L"1");
    }
}

TEST_F(StoreOnFileTest, NoPath_ReadsDefaultsAndWritesFail) {
    PrivateProfile nowhere(L"");
    SettingsStore store(nowhere, shortcut);
    store.LoadDefaults();
    EXPECT_EQ(store.ReadSettingInt(kHotKeyZoomOutKey), 189);
    EXPECT_FALSE(store.WriteSettingInt(kHotKeyZoomOutKey, 1));
}

namespace {

// The process-wide functions, without an application object unless a test
// makes one.
class ProcessSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(fw::AfxGetApp(), nullptr);
        LoadSettingDefaults();
        previous = SettingFilePath();
    }
    void TearDown() override { SetSettingFilePath(previous); }

    wintest::ScratchFolder scratch;
    std::wstring previous;
};

} // namespace

TEST_F(ProcessSettingsTest, ProcessStore_UsesSetPath) {
    std::wstring path = scratch.File(L"setting.ini");
    SetSettingFilePath(path);
    EXPECT_EQ(SettingFilePath(), path);
    EXPECT_EQ(Settings().ReadSettingInt(kMaxRateZoomInKey), 4);
    EXPECT_TRUE(Settings().WriteSettingInt(kMaxRateZoomInKey, 12));
    EXPECT_EQ(Settings().ReadSettingInt(kMaxRateZoomInKey), 12);
    EXPECT_TRUE(Settings().WriteSettingInt(kMaxRateZoomOutKey, 3));
    EXPECT_EQ(Settings().ReadSettingInt(kMaxRateZoomOutKey), 3);
    EXPECT_TRUE(Settings().WriteSettingInt(kMouseZoomWinKey, 1));
    EXPECT_FALSE(Settings().WriteSettingInt(L"Nope", 1));
    EXPECT_EQ(Settings().ReadSettingInt(L"Nope"), 0);
    EXPECT_EQ(wintest::ReadBytes(path),
              "[DEFAULT]\r\nMaxRateZoomIn=12\r\nMaxRateZoomOut=3\r\nMouseZoomWin=1\r\n");
}

TEST_F(ProcessSettingsTest, AppObject_HoldsProfilePath) {
    std::wstring path = scratch.File(L"app.ini");
    {
        fw::CWinApp app;
        SetSettingFilePath(path);
        EXPECT_EQ(app.ProfileName(), path);
        EXPECT_TRUE(Settings().WriteSettingInt(kHotKeyZoomInKey, 65));
        app.SetProfileName(scratch.File(L"other.ini"));
        EXPECT_EQ(Settings().ReadSettingInt(kHotKeyZoomInKey), 222);
    }
    SetSettingFilePath(path);
    EXPECT_EQ(Settings().ReadSettingInt(kHotKeyZoomInKey), 65);
}

TEST_F(ProcessSettingsTest, GetModuleDirectory_EndsWithSeparator) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring directory;
    GetModuleDirectory(directory);
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), L'\\');
    EXPECT_EQ(std::wstring(exe).rfind(directory, 0), 0u);
    EXPECT_EQ(std::wstring(exe).find(L'\\', directory.size()), std::wstring::npos);
}

namespace {

std::wstring AppDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Loupa";
}

std::wstring AppDataSettingFile() {
    return AppDataFolder() + L"\\setting.ini";
}

std::wstring BesideExeSettingFile() {
    std::wstring directory;
    GetModuleDirectory(directory);
    return directory + L"setting.ini";
}

// Puts a settings file in place as a user would. Wine keeps profile files
// cached while their write time is unchanged, and an earlier test may have
// written this path within the file system's time resolution: a write time of
// its own makes the new contents seen.
bool PlaceSettingFile(const std::wstring& path, const std::string& bytes) {
    ::CreateDirectoryW(AppDataFolder().c_str(), nullptr);
    if (!wintest::WriteBytes(path, bytes)) {
        return false;
    }
    static ULONGLONG stamp = 126227808000000000ULL; // 2001-01-01
    stamp += 10000000ULL;
    FILETIME time = {static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BOOL ok = ::SetFileTime(file, nullptr, nullptr, &time);
    ::CloseHandle(file);
    return ok != FALSE;
}

std::wstring StartupLink() {
    std::wstring path;
    GetStartupShortcutPath(path);
    return path;
}

// Start-up as the program does it, in the user's real folders; any files of
// a real installation are moved aside and put back.
class InitSettingFileTest : public ProcessSettingsTest {
protected:
    void SetUp() override {
        ProcessSettingsTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_FALSE(StartupLink().empty());
        backups.push_back(std::make_unique<wintest::FileBackup>(StartupLink()));
        backups.push_back(std::make_unique<wintest::FileBackup>(AppDataSettingFile()));
        backups.push_back(std::make_unique<wintest::FileBackup>(BesideExeSettingFile()));
        for (const auto& backup : backups) {
            ASSERT_TRUE(backup->Ready());
        }
        appDataFolderExisted = wintest::Exists(AppDataFolder());
    }
    void TearDown() override {
        backups.clear();
        if (!appDataFolderExisted) {
            ::RemoveDirectoryW(AppDataFolder().c_str());
        }
        ::OleUninitialize();
        ProcessSettingsTest::TearDown();
    }

    std::vector<std::unique_ptr<wintest::FileBackup>> backups;
    bool appDataFolderExisted = false;
};

} // namespace

TEST_F(InitSettingFileTest, FreshInstall_CreatesFileInAppDataAndShortcut) {
    bool existed = true;
    ASSERT_TRUE(InitSettingFile(existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(SettingFilePath(), AppDataSettingFile());
    EXPECT_EQ(wintest::ReadBytes(AppDataSettingFile()), "[DEFAULT]\r\nAutoStartUp=1\r\n");
    EXPECT_TRUE(wintest::Exists(StartupLink()));
    EXPECT_FALSE(wintest::Exists(BesideExeSettingFile()));
}

TEST_F(InitSettingFileTest, AutoStartUpOff_RemovesShortcut) {
    ASSERT_TRUE(PlaceSettingFile(AppDataSettingFile(), "[DEFAULT]\r\nAutoStartUp=0\r\n"));
    ASSERT_TRUE(UpdateStartupShortcut(true));
    bool existed = false;
    ASSERT_TRUE(InitSettingFile(existed));
    EXPECT_TRUE(existed);
    EXPECT_FALSE(wintest::Exists(StartupLink()));
    EXPECT_EQ(wintest::ReadBytes(AppDataSettingFile()), "[DEFAULT]\r\nAutoStartUp=0\r\n");
    EXPECT_EQ(Settings().ReadSettingInt(kAutoStartUpKey), 0);
    EXPECT_TRUE(Settings().WriteSettingInt(kAutoStartUpKey, 1));
    EXPECT_TRUE(wintest::Exists(StartupLink()));
}

TEST_F(InitSettingFileTest, AutoStartUpDoubleZero_KeepsShortcutButReadsZero) {
    ASSERT_TRUE(PlaceSettingFile(AppDataSettingFile(), "[DEFAULT]\r\nAutoStartUp=00\r\n"));
    bool existed = true;
    ASSERT_TRUE(InitSettingFile(existed));
    EXPECT_TRUE(wintest::Exists(StartupLink()));
    EXPECT_EQ(Settings().ReadSettingInt(kAutoStartUpKey), 0);
    EXPECT_TRUE(wintest::Exists(StartupLink()));
}

TEST_F(InitSettingFileTest, EmptyFileBesideExecutable_IsUsed) {
    ASSERT_TRUE(PlaceSettingFile(BesideExeSettingFile(), ""));
    bool existed = true;
    ASSERT_TRUE(InitSettingFile(existed));
    EXPECT_EQ(SettingFilePath(), BesideExeSettingFile());
    EXPECT_EQ(wintest::ReadBytes(BesideExeSettingFile()), "[DEFAULT]\r\nAutoStartUp=1\r\n");
    EXPECT_FALSE(wintest::Exists(AppDataSettingFile()));
}

TEST_F(InitSettingFileTest, AppObject_GetsProfilePath) {
    fw::CWinApp app;
    app.SetProfileName(L"Loupa.INI");
    bool existed = true;
    ASSERT_TRUE(InitSettingFile(existed));
    EXPECT_EQ(app.ProfileName(), AppDataSettingFile());
}
