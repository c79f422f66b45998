#include "settings/core/IntegerText.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ParseSettingInt_ReadsLeadingInteger, Table) {
    struct Case {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"0", 0},
        {L"42", 42},
        {L"-1", -1},
        {L"+7", 7},
        {L"  12", 12},
        {L"\t-3", -3},
        {L"12abc", 12},
        {L"3.9", 3},
        {L"", 0},
        {L"abc", 0},
        {L"-", 0},
        {L"+-3", 0},
        {L"2147483647", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"99999999999", INT_MAX},
        {L"-99999999999", INT_MIN},
        {L"00000000000000000000007", 7},
        {L"1 2", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSettingInt(c.text), c.expected)
            << "text: " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(FormatSettingInt_WritesPlainDecimal, Table) {
    EXPECT_EQ(FormatSettingInt(-1), L"-1");
    EXPECT_EQ(FormatSettingInt(0), L"0");
    EXPECT_EQ(FormatSettingInt(65535), L"65535");
    EXPECT_EQ(ParseSettingInt(FormatSettingInt(INT_MIN)), INT_MIN);
}
