#include "settings/StartupShortcut.h"

#include "fw/WinApp.h"

#include "WinTestFiles.h"

#include <gtest/gtest.h>

#include <objidl.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>

namespace {

struct LinkContents {
    bool loaded = false;
    std::wstring target;
    std::wstring description;
    std::wstring arguments;
};

LinkContents ReadLink(const std::wstring& path) {
    LinkContents contents;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link)))) {
        return contents;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[INFOTIPSIZE] = {};
            contents.loaded = true;
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) {
                contents.target = text;
            }
            text[0] = L'\0';
            if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) {
                contents.description = text;
            }
            text[0] = L'\0';
            if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) {
                contents.arguments = text;
            }
        }
        file->Release();
    }
    link->Release();
    return contents;
}

std::wstring ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring StartupFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring NotepadPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetWindowsDirectoryW(path, MAX_PATH);
    return std::wstring(path) + L"\\notepad.exe";
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A user's own Loupa.lnk is moved aside for each test and put back after it.
class StartupShortcutTest : public testing::Test {
protected:
    static std::wstring LinkPath() {
        std::wstring path;
        GetStartupShortcutPath(path);
        return path;
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(GetStartupShortcutPath(m_link));
        m_backup = std::make_unique<wintest::FileBackup>(m_link);
        ASSERT_TRUE(m_backup->Ready());
        ASSERT_FALSE(wintest::Exists(m_link));
    }
    void TearDown() override {
        m_backup.reset();
        ::OleUninitialize();
    }

    std::wstring m_link;
    std::unique_ptr<wintest::FileBackup> m_backup;
};

} // namespace

TEST_F(StartupShortcutTest, GetStartupShortcutPath_IsLoupaLnkInUsersStartupFolder) {
    EXPECT_EQ(m_link, StartupFolder() + L"\\Loupa.lnk");
    DWORD attributes = ::GetFileAttributesW(StartupFolder().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Enable_CreatesLinkToExecutable) {
    EXPECT_TRUE(UpdateStartupShortcut(true));
    ASSERT_TRUE(wintest::Exists(m_link));
    LinkContents contents = ReadLink(m_link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ(contents.target, ExecutablePath());
    EXPECT_EQ(contents.description, L"Loupa");
    EXPECT_EQ(contents.arguments, L"");
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_EnableTwice_LeavesFirstLinkAlone) {
    ASSERT_TRUE(UpdateStartupShortcut(true));
    std::string first = wintest::ReadBytes(m_link);
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(UpdateStartupShortcut(true));
    EXPECT_EQ(wintest::ReadBytes(m_link), first);
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Enable_KeepsLinkPointingElsewhere) {
    ASSERT_TRUE(SUCCEEDED(CreateShortcut(m_link.c_str(), NotepadPath().c_str())));
    std::string before = wintest::ReadBytes(m_link);
    EXPECT_TRUE(UpdateStartupShortcut(true));
    EXPECT_EQ(wintest::ReadBytes(m_link), before);
    EXPECT_EQ(ReadLink(m_link).target, NotepadPath());
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Enable_PointsLinkWhoseTargetIsGoneHere) {
    wintest::ScratchFolder scratch;
    const struct {
        const char* what;
        std::wstring target;
    } cases[] = {
        {"the program was deleted", scratch.File(L"Loupa.exe")},
        {"its folder was moved", scratch.File(L"moved away\\Loupa.exe")},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SUCCEEDED(CreateShortcut(m_link.c_str(), c.target.c_str()))) << c.what;
        ASSERT_EQ(ReadLink(m_link).target, c.target) << c.what;
        EXPECT_TRUE(UpdateStartupShortcut(true)) << c.what;
        LinkContents contents = ReadLink(m_link);
        EXPECT_EQ(contents.target, ExecutablePath()) << c.what;
        EXPECT_EQ(contents.description, L"Loupa") << c.what;
        wintest::RemoveFile(m_link);
    }
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Enable_KeepsFileThatIsNoLink) {
    const std::string junk = "not a shell link\r\n";
    ASSERT_TRUE(wintest::WriteBytes(m_link, junk));
    EXPECT_TRUE(UpdateStartupShortcut(true));
    EXPECT_EQ(wintest::ReadBytes(m_link), junk);
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Disable_DeletesLink) {
    ASSERT_TRUE(SUCCEEDED(CreateShortcut(m_link.c_str(), NotepadPath().c_str())));
    EXPECT_TRUE(UpdateStartupShortcut(false));
    EXPECT_FALSE(wintest::Exists(m_link));
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_DisableWithoutLink_Succeeds) {
    EXPECT_TRUE(UpdateStartupShortcut(false));
    EXPECT_TRUE(UpdateStartupShortcut(false));
    EXPECT_FALSE(wintest::Exists(m_link));
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_Cycle_FollowsFlag) {
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(UpdateStartupShortcut(true));
        EXPECT_TRUE(wintest::Exists(m_link));
        EXPECT_TRUE(UpdateStartupShortcut(false));
        EXPECT_FALSE(wintest::Exists(m_link));
    }
}

TEST_F(StartupShortcutTest, UpdateStartupShortcut_NoStartupFolder_FailsAndTouchesNothing) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "moves the Startup folder aside: only in a Wine prefix";
    }
    const std::wstring folder = StartupFolder();
    const std::wstring aside = folder + L".loupa-test-aside";
    ASSERT_TRUE(::MoveFileExW(folder.c_str(), aside.c_str(), 0));
    const bool enabled = UpdateStartupShortcut(true);
    const bool disabled = UpdateStartupShortcut(false);
    std::wstring path;
    const bool found = GetStartupShortcutPath(path);
    const bool recreated = wintest::Exists(folder);
    if (recreated) {
        wintest::RemoveFile(m_link);
        ::RemoveDirectoryW(folder.c_str());
    }
    ASSERT_TRUE(::MoveFileExW(aside.c_str(), folder.c_str(), 0));
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(disabled);
    EXPECT_FALSE(found);
    EXPECT_FALSE(recreated);
}

TEST_F(StartupShortcutTest, StartupShortcut_ServesStore) {
    StartupShortcut shortcut;
    IStartupShortcut& updater = shortcut;
    EXPECT_TRUE(updater.UpdateStartupShortcut(true));
    EXPECT_TRUE(wintest::Exists(m_link));
    EXPECT_TRUE(updater.UpdateStartupShortcut(false));
    EXPECT_FALSE(wintest::Exists(m_link));
}

TEST_F(StartupShortcutTest, CreateShortcut_MakesTargetAbsolute) {
    wintest::ScratchFolder scratch;
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring currentFolder = current;
    if (currentFolder.back() != L'\\') {
        currentFolder += L'\\';
    }
    struct Case {
        std::wstring target;
        std::wstring expected;
    } cases[] = {
        {L"sub\\Target.exe", currentFolder + L"sub\\Target.exe"},
        {scratch.File(L"a\\..\\.\\Target.exe"), scratch.File(L"Target.exe")},
    };
    for (const Case& c : cases) {
        std::wstring link = scratch.File(L"target.lnk");
        HRESULT hr = CreateShortcut(link.c_str(), c.target.c_str());
        ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
        LinkContents contents = ReadLink(link);
        ASSERT_TRUE(contents.loaded);
        EXPECT_EQ(contents.target, c.expected);
        EXPECT_EQ(contents.description, L"Loupa");
        wintest::RemoveFile(link);
    }
}

TEST_F(StartupShortcutTest, CreateShortcut_Failures_ReportErrorAndLeaveNoFile) {
    wintest::ScratchFolder scratch;
    std::wstring link = scratch.File(L"a.lnk");
    EXPECT_EQ(CreateShortcut(link.c_str(), L""), E_FAIL);
    EXPECT_EQ(CreateShortcut(link.c_str(), nullptr), E_FAIL);
    EXPECT_TRUE(FAILED(CreateShortcut(nullptr, NotepadPath().c_str())));
    EXPECT_FALSE(wintest::Exists(link));
    std::wstring unreachable = scratch.File(L"missing-folder\\b.lnk");
    EXPECT_TRUE(FAILED(CreateShortcut(unreachable.c_str(), NotepadPath().c_str())));
    EXPECT_FALSE(wintest::Exists(unreachable));
}

TEST(ModuleFilePath, IsRunningExecutable) {
    EXPECT_EQ(fw::ModuleFilePath(fw::AfxGetInstanceHandle()), ExecutablePath());
}
