#include "settings/core/ProfileText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf16Le(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string Utf16Be(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

} // namespace

TEST(ProfileSurvivesRewrite, Table) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        bool survives;
    } cases[] = {
        {"empty", "", true},
        {"plain", "[DEFAULT]\r\nMaxRateZoomIn=6\r\n", true},
        {"high bytes and controls", "[DEFAULT]\r\nNote=\x01\x7f\x81\xff\r\n", true},
        {"UTF-8 mark", "\xEF\xBB\xBF[DEFAULT]\r\nA=1\r\n", true},
        {"NUL in a value", "[DEFAULT]\r\nA=6\0after\r\n"s, false},
        {"NUL alone at the end", "[DEFAULT]\r\n\0"s, false},
        {"UTF-16 LE without mark", Utf16Le(u"[DEFAULT]\r\nA=1\r\n"), false},
        {"UTF-16 LE with mark", Utf16Le(u"\uFEFF[DEFAULT]\r\nA=\u65E5\u672C\r\n"), true},
        {"UTF-16 BE with mark", Utf16Be(u"\uFEFF[DEFAULT]\r\nA=1\r\n"), true},
        {"UTF-16 LE with mark and a NUL character", Utf16Le(u"\uFEFFA=1"s + u'\0' + u"x"), false},
        {"UTF-16 LE with mark, a byte left over", Utf16Le(u"\uFEFFA=1") + "x", false},
        {"a mark alone", "\xFF\xFE", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfileSurvivesRewrite(c.bytes), c.survives) << c.name;
    }
}

TEST(ProfileTextReadingAs, QuotesWhatTheProfileFunctionsWouldDrop) {
    struct Case {
        std::wstring text;
        std::wstring written;
    } cases[] = {
        {L"1", L"1"},
        {L"0", L"0"},
        {L"", L""},
        {L"a b", L"a b"},
        {L" 0", L"\" 0\""},
        {L"0\t", L"\"0\t\""},
        {L"\"1\"", L"\"\"1\"\""},
        {L"'x", L"\"'x\""},
        {L"\u30001", L"\"\u30001\""},
        {L"x\x1a", L"\"x\x1a\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfileTextReadingAs(c.text), c.written);
    }
}
