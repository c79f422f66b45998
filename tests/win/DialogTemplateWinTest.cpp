// The program's dialog templates: the copy with another font must still make
// the same dialog, with every control in place; every Japanese resource has
// an English twin with the same controls.
#include "fw/DialogTemplate.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::pair<const BYTE*, size_t> Resource(LPCWSTR type, LPCWSTR name, LANGID language) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceExW(module, type, name, language);
    if (info == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<const BYTE*>(::LockResource(::LoadResource(module, info))),
            ::SizeofResource(module, info)};
}

std::pair<const BYTE*, size_t> Page1Template() {
    return Resource(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(IDD_PAGE1), kJapanese);
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// {name: languages} of every resource of a type.
using Census = std::map<ULONG_PTR, std::set<LANGID>>;

Census LanguagesOf(LPCWSTR type) {
    Census census;
    auto onName = [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) -> BOOL {
        auto onLanguage = [](HMODULE, LPCWSTR, LPCWSTR name, WORD language,
                             LONG_PTR found) -> BOOL {
            (*reinterpret_cast<Census*>(found))[reinterpret_cast<ULONG_PTR>(name)].insert(language);
            return TRUE;
        };
        ::EnumResourceLanguagesW(module, type, name, onLanguage, found);
        return TRUE;
    };
    ::EnumResourceNamesW(::GetModuleHandleW(nullptr), type, onName,
                         reinterpret_cast<LONG_PTR>(&census));
    return census;
}

// {id: text} of the string table in one language.
std::map<UINT, std::wstring> Strings(const Census& blocks, LANGID language) {
    std::map<UINT, std::wstring> strings;
    for (const auto& [block, languages] : blocks) {
        auto [data, size] = Resource(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block), language);
        const WORD* entry = reinterpret_cast<const WORD*>(data);
        const WORD* end = entry + size / sizeof(WORD);
        for (UINT i = 0; entry != nullptr && entry < end && i < 16; ++i, entry += 1 + *entry) {
            if (*entry != 0) {
                const UINT id = static_cast<UINT>((block - 1) * 16 + i);
                strings[id] = std::wstring(reinterpret_cast<const wchar_t*>(entry + 1), *entry);
            }
        }
    }
    return strings;
}

// The caption, then (id, class, text) of each control in template order.
std::vector<std::wstring> Controls(HWND dialog) {
    wchar_t text[256] = {};
    ::GetWindowTextW(dialog, text, 256);
    std::vector<std::wstring> controls{text};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        ::GetClassNameW(child, cls, 64);
        ::GetWindowTextW(child, text, 256);
        controls.push_back(std::to_wstring(::GetDlgCtrlID(child)) + L" " + cls + L" " + text);
    }
    return controls;
}

bool HasJapanese(const std::wstring& text) {
    for (wchar_t c : text) {
        // Kana and punctuation, kanji, full-width forms.
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
            (c >= 0xFF00 && c <= 0xFFEF)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(DialogTemplate_Font, ReadsAndReplacesTheFontKeepingEveryControl) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    auto [tmpl, size] = Page1Template();
    ASSERT_NE(tmpl, nullptr);

    fw::DialogFont font;
    ASSERT_TRUE(fw::ReadDialogFont(tmpl, size, font));
    EXPECT_EQ(font.face, L"MS UI Gothic");
    EXPECT_EQ(font.pointSize, 9);

    // A page is a child window: it needs a parent.
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr,
                                    nullptr, nullptr);
    // Longer and shorter names move the items by different amounts.
    for (const wchar_t* face : {L"MS Shell Dlg", L"A", L"Some Considerably Longer Face Name"}) {
        std::vector<BYTE> changed = fw::WithDialogFont(tmpl, size, fw::DialogFont{face, 8});
        ASSERT_FALSE(changed.empty()) << face;
        fw::DialogFont read;
        ASSERT_TRUE(fw::ReadDialogFont(changed.data(), changed.size(), read));
        EXPECT_EQ(read.face, face);
        EXPECT_EQ(read.pointSize, 8);

        HWND dialog = ::CreateDialogIndirectParamW(
            ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(changed.data()), parent,
            &QuietProc, 0);
        ASSERT_NE(dialog, nullptr) << face;
        for (int id :
             {IDC_SLIDER_ZOOMIN, IDC_SLIDER_ZOOMOUT, IDC_CHECK_CTRL, IDC_CHECK_ALT, IDC_CHECK_WIN,
              IDC_CHECK_SHIFT, IDC_HOTKEY_ZOOMIN, IDC_HOTKEY_ZOOMOUT, IDC_HOTKEY_ZOOMCANCEL}) {
            EXPECT_NE(::GetDlgItem(dialog, id), nullptr) << id << " with " << face;
        }
        wchar_t text[16] = {};
        ::GetDlgItemTextW(dialog, IDC_CHECK_SHIFT, text, 16);
        EXPECT_STREQ(text, L"Shift");
        ::DestroyWindow(dialog);
    }
    ::DestroyWindow(parent);
}

TEST(DialogTemplate_Font, RefusesWhatItCannotParse) {
    const BYTE garbage[] = {1, 0, 0xFF, 0xFF, 0, 0};
    fw::DialogFont font;
    EXPECT_FALSE(fw::ReadDialogFont(garbage, sizeof garbage, font));
    EXPECT_TRUE(fw::WithDialogFont(garbage, sizeof garbage, fw::DialogFont{L"X", 8}).empty());
    EXPECT_FALSE(fw::ReadDialogFont(garbage, 0, font));
}

// A Japanese resource without an English twin fails here, with its id.
TEST(Resources_EnglishTwins, EveryDialogMenuAndStringInBothLanguages) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&icc);
    const std::set<LANGID> both{kEnglish, kJapanese};
    const Census dialogs = LanguagesOf(MAKEINTRESOURCEW(5));
    const Census menus = LanguagesOf(MAKEINTRESOURCEW(4));
    EXPECT_EQ(dialogs.size(), 4u);
    EXPECT_EQ(menus.size(), 1u);
    for (const Census* census : {&dialogs, &menus}) {
        for (const auto& [id, languages] : *census) {
            EXPECT_EQ(languages, both) << "resource " << id;
        }
    }

    const Census blocks = LanguagesOf(MAKEINTRESOURCEW(6));
    const std::map<UINT, std::wstring> japanese = Strings(blocks, kJapanese);
    const std::map<UINT, std::wstring> english = Strings(blocks, kEnglish);
    EXPECT_GE(japanese.size(), 9u);
    for (const auto& [id, text] : japanese) {
        EXPECT_FALSE(text.empty()) << "string " << id;
        EXPECT_NE(english.count(id), 0u) << "string " << id << " has no English twin";
    }
    for (const auto& [id, text] : english) {
        EXPECT_NE(japanese.count(id), 0u) << "string " << id << " has no Japanese twin";
        EXPECT_FALSE(text.empty() || HasJapanese(text)) << "string " << id;
    }

    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr,
                                    nullptr, nullptr);
    for (const auto& [id, languages] : dialogs) {
        std::vector<std::wstring> controls[2];
        for (LANGID language : {kJapanese, kEnglish}) {
            auto [tmpl, size] = Resource(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);
            ASSERT_NE(tmpl, nullptr) << "dialog " << id;
            HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                                       reinterpret_cast<LPCDLGTEMPLATEW>(tmpl),
                                                       parent, &QuietProc, 0);
            ASSERT_NE(dialog, nullptr) << "dialog " << id;
            controls[language == kEnglish] = Controls(dialog);
            ::DestroyWindow(dialog);
        }
        ASSERT_EQ(controls[0].size(), controls[1].size()) << "dialog " << id;
        for (size_t i = 0; i < controls[0].size(); ++i) {
            const std::wstring& ja = controls[0][i];
            const std::wstring& en = controls[1][i];
            // The same id and class; the text English wherever it is Japanese.
            const size_t head = i == 0 ? 0 : ja.find(L' ', ja.find(L' ') + 1);
            EXPECT_EQ(ja.substr(0, head), en.substr(0, head)) << "dialog " << id;
            EXPECT_FALSE(HasJapanese(en)) << "dialog " << id;
        }
    }
    ::DestroyWindow(parent);
}
