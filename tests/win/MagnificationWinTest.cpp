// Binding of the Magnification API: the version gate and where the library
// may come from.
#include "zoom/Magnification.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n);
}

class MagnificationTest : public testing::Test {
protected:
    void TearDown() override {
        if (g_hMagnification != nullptr) {
            ::FreeLibrary(g_hMagnification);
        }
        g_hMagnification = nullptr;
        g_mag = {};
    }
};

} // namespace

TEST_F(MagnificationTest, VersionGateReadsTheMajorVersion) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExW(&info));
    EXPECT_EQ(QueryOsMajorVersion(), static_cast<int>(info.dwMajorVersion));
}

TEST_F(MagnificationTest, ClosedGateLoadsNothing) {
    for (int major : {0, 4, 5}) {
        g_osMajorVersion = major;
        EXPECT_FALSE(LoadMagnification()) << major;
        EXPECT_EQ(g_hMagnification, nullptr) << major;
    }
}

TEST_F(MagnificationTest, LibraryComesFromTheSystemFolderOnly) {
    EXPECT_EQ(MagnificationLibraryPath(), SystemFolder() + L"\\Magnification.dll");

    // A library planted beside the executable under that name must not be
    // taken for the system's: any DLL will do as the plant.
    std::wstring planted = ExeFolder() + L"Magnification.dll";
    ASSERT_TRUE(::CopyFileW((SystemFolder() + L"\\version.dll").c_str(), planted.c_str(), FALSE));
    g_osMajorVersion = 6;
    BOOL loaded = LoadMagnification();
    bool systemHasIt =
        ::GetFileAttributesW(MagnificationLibraryPath().c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(loaded != FALSE, systemHasIt);
    if (loaded) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(g_hMagnification, path, MAX_PATH);
        EXPECT_EQ(_wcsicmp(path, MagnificationLibraryPath().c_str()), 0) << path;
        // The entry points used at start-up and at every tick.
        EXPECT_NE(g_mag.MagInitialize, nullptr);
        EXPECT_NE(g_mag.MagSetWindowSource, nullptr);
        EXPECT_NE(g_mag.MagSetWindowTransform, nullptr);
    } else {
        EXPECT_EQ(g_hMagnification, nullptr);
        EXPECT_EQ(g_mag.MagInitialize, nullptr);
    }
    if (g_hMagnification != nullptr) {
        ::FreeLibrary(g_hMagnification);
        g_hMagnification = nullptr;
    }
    EXPECT_TRUE(::DeleteFileW(planted.c_str()));
}
