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

// ASCII as itself; any other byte reads as U+30FB and goes back as "?",
// as a byte that makes no character in a real code page.
class AsciiCodePage : public IProfileCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override {
        std::wstring text;
        for (char b : bytes) {
            text += static_cast<unsigned char>(b) < 0x80 ? static_cast<wchar_t>(b) : L'\u30FB';
        }
        return text;
    }
    bool Encode(std::wstring_view text, std::string& bytes) const override {
        std::string out;
        for (wchar_t c : text) {
            if (c >= 0x80 && c != L'\u30FB') {
                return false;
            }
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        bytes = out;
        return true;
    }
};

} // namespace

TEST(ProfileRewriteKeepsBytes, Table) {
    const AsciiCodePage codePage;
    struct Case {
        const char* bytes;
        bool keeps;
    } cases[] = {
        {"[DEFAULT]\r\nA=1\r\n", true},
        {"; \xE3\x81\xAE\r\n[DEFAULT]\r\n", false},
        {"\xEF\xBB\xBF; \xE3\x81\xAE\r\n", true},
        {"\xFF\xFE;\x00\xAE\x30", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfileRewriteKeepsBytes(c.bytes, codePage), c.keeps) << c.bytes;
    }
}

TEST(EditProfileEntry, ChangesOnlyTheKeysLine) {
    const AsciiCodePage codePage;
    const std::wstring six = L"6";
    const std::string note = "; \xE3\x81\xAE\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        const std::wstring* value;
        std::string edited;
    } cases[] = {
        {"replaced in its section", note + "[Other]\r\nA=1\r\n[default]\r\n a = 2\r\nB=3\n", &six,
         note + "[Other]\r\nA=1\r\n[default]\r\nA=6\r\nB=3\n"},
        {"added after the section's last entry", "[DEFAULT]\r\nB=\xE3\r\n\r\n[Other]\r\nA=1", &six,
         "[DEFAULT]\r\nB=\xE3\r\nA=6\r\n\r\n[Other]\r\nA=1"},
        {"added after a last line without a break", "[DEFAULT]\nB=\xE3", &six,
         "[DEFAULT]\nB=\xE3\r\nA=6\r\n"},
        {"section added", note + "[Other]\rA=1", &six,
         note + "[Other]\rA=1\r\n[DEFAULT]\r\nA=6\r\n"},
        {"taken out", note + "[DEFAULT]\r\nA=2\r\nB=3\r\n", nullptr, note + "[DEFAULT]\r\nB=3\r\n"},
        {"a comment is no key", "[DEFAULT]\r\n;A=2\r\n", nullptr, "[DEFAULT]\r\n;A=2\r\n"},
    };
    for (const Case& c : cases) {
        std::string bytes = c.bytes;
        EXPECT_TRUE(EditProfileEntry(bytes, L"DEFAULT", L"A", c.value, codePage)) << c.name;
        EXPECT_EQ(bytes, c.edited) << c.name;
    }
    std::string bytes = note;
    const std::wstring foreign = L"\u65E5";
    EXPECT_FALSE(EditProfileEntry(bytes, L"DEFAULT", L"A", &foreign, codePage));
    EXPECT_EQ(bytes, note);
}

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
