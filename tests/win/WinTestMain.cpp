// Entry of the Win32 test programs: loupa_win links with -municode, which
// starts a console program at wmain rather than gtest_main's main.
#include <gtest/gtest.h>

extern "C" int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
