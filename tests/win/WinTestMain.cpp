// Entry of the Win32 test programs: loupa_win links with -municode, which
// starts a console program at wmain rather than gtest_main's main.
#include <windows.h>

#include <cstdio>
#include <gtest/gtest.h>

extern "C" int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The harness names the system it tests on ("0411/932", Japanese
    // Windows as the users run it); a run on another would pass for it.
    wchar_t expected[32] = {};
    wchar_t actual[32] = {};
    std::swprintf(actual, 32, L"%04x/%u", GetUserDefaultUILanguage(), GetACP());
    if (GetEnvironmentVariableW(L"LOUPA_EXPECTED_LOCALE", expected, 32) != 0) {
        std::printf("UI language/code page: %ls\n", actual);
        if (lstrcmpW(actual, expected) != 0) {
            std::fprintf(stderr, "not %ls: the locale is missing (make deps generates it)\n",
                         expected);
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
