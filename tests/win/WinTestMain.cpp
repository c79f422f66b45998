// Entry of the Win32 test programs: loupa_win links with -municode, which
// starts a console program at wmain rather than gtest_main's main.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <gtest/gtest.h>

namespace {

// The harness names the system it means to test on ("0411/932": Japanese
// Windows, as the users run it); a run on another would pass for it.
bool RunsOnExpectedLocale() {
    wchar_t expected[32] = {};
    if (GetEnvironmentVariableW(L"LOUPA_EXPECTED_LOCALE", expected, 32) == 0) {
        return true;
    }
    wchar_t actual[32] = {};
    std::swprintf(actual, 32, L"%04x/%u", GetUserDefaultUILanguage(), GetACP());
    std::printf("UI language/code page: %ls\n", actual);
    if (std::wcscmp(actual, expected) == 0) {
        return true;
    }
    std::fprintf(stderr,
                 "Wine runs with UI language/code page %ls, not %ls: the locale is "
                 "missing (make deps generates it)\n",
                 actual, expected);
    return false;
}

} // namespace

extern "C" int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!RunsOnExpectedLocale()) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
