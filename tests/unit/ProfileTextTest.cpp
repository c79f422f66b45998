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

// Each byte as the character of its number; nothing above U+00FF.
class Latin1CodePage : public IProfileCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override {
        std::wstring text;
        for (unsigned char b : bytes) {
            text += static_cast<wchar_t>(b);
        }
        return text;
    }
    bool Encode(std::wstring_view text, std::string& bytes) const override {
        bytes.clear();
        for (wchar_t c : text) {
            if (c > 0xFF) {
                return false;
            }
            bytes += static_cast<char>(c);
        }
        return true;
    }
};

} // namespace

TEST(EditProfileEntry, ChangesOnlyTheKeysLine) {
    const Latin1CodePage codePage;
    const std::wstring six = L"6";
    const std::string note = "; \xE3\x81\xAE\r\n";
    struct Case {
        std::string bytes;
        const std::wstring* value;
        std::string edited;
    } cases[] = {
        {note + "[Other]\r\nA=1\r\n[default]\r\n a = 2\r\nB=3\n", &six,
         note + "[Other]\r\nA=1\r\n[default]\r\nA=6\r\nB=3\n"},
        {"[DEFAULT]\r\nB=\xE3\r\n\r\n[Other]\r\nA=1", &six,
         "[DEFAULT]\r\nB=\xE3\r\nA=6\r\n\r\n[Other]\r\nA=1"},
        {"[DEFAULT]\nB=\xE3", &six, "[DEFAULT]\nB=\xE3\r\nA=6\r\n"},
        {note + "[Other]\rA=1", &six, note + "[Other]\rA=1\r\n[DEFAULT]\r\nA=6\r\n"},
        {note + "[DEFAULT]\r\n;A=2\r\nA=2\r\n", nullptr, note + "[DEFAULT]\r\n;A=2\r\n"},
    };
    for (const Case& c : cases) {
        std::string bytes = c.bytes;
        EXPECT_TRUE(EditProfileEntry(bytes, L"DEFAULT", L"A", c.value, codePage)) << c.bytes;
        EXPECT_EQ(bytes, c.edited);
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
