// The program's dialog templates: the copy with another font must still make
// the same dialog, with every control in place; every Japanese resource has
// an English twin with the same controls.
#include "fw/DialogTemplate.h"
#include "ui/LabelFit.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

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
    return Resource(RT_DIALOG, MAKEINTRESOURCEW(IDD_PAGE1), kJapanese);
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::vector<ULONG_PTR> Names(LPCWSTR type) {
    std::vector<ULONG_PTR> names;
    auto onName = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
        reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
            reinterpret_cast<ULONG_PTR>(name));
        return TRUE;
    };
    ::EnumResourceNamesW(nullptr, type, onName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

// Each control's id and class in template order, and whether any text of the
// dialog is Japanese (kana, kanji, full-width forms).
std::pair<std::vector<std::wstring>, bool> Controls(HWND dialog) {
    std::vector<std::wstring> controls;
    bool japanese = false;
    for (HWND w = dialog; w != nullptr; w = ::GetWindow(w, w == dialog ? GW_CHILD : GW_HWNDNEXT)) {
        wchar_t text[256] = {};
        wchar_t cls[64] = {};
        ::GetWindowTextW(w, text, 256);
        ::GetClassNameW(w, cls, 64);
        for (const wchar_t* c = text; *c != 0; ++c) {
            japanese |= (*c >= 0x3000 && *c <= 0x9FFF) || (*c >= 0xFF00 && *c <= 0xFFEF);
        }
        controls.push_back(std::to_wstring(::GetDlgCtrlID(w)) + L" " + cls);
    }
    return {controls, japanese};
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
    EXPECT_EQ(Names(RT_MENU).size(), 1u);
    for (ULONG_PTR id : Names(RT_MENU)) {
        EXPECT_NE(Resource(RT_MENU, MAKEINTRESOURCEW(id), kEnglish).first, nullptr) << id;
    }
    for (ULONG_PTR block : Names(RT_STRING)) {
        // Sixteen strings a block, each its length, then its characters; an
        // empty one is none.
        auto j = reinterpret_cast<const WORD*>(
            Resource(RT_STRING, MAKEINTRESOURCEW(block), kJapanese).first);
        auto e = reinterpret_cast<const WORD*>(
            Resource(RT_STRING, MAKEINTRESOURCEW(block), kEnglish).first);
        for (ULONG_PTR i = 0; i < 16; ++i) {
            EXPECT_EQ(j != nullptr && *j != 0, e != nullptr && *e != 0)
                << "string " << (block - 1) * 16 + i << " in one language";
            j = j != nullptr ? j + 1 + *j : nullptr;
            e = e != nullptr ? e + 1 + *e : nullptr;
        }
    }
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr,
                                    nullptr, nullptr);
    EXPECT_EQ(Names(RT_DIALOG).size(), 4u);
    for (ULONG_PTR id : Names(RT_DIALOG)) {
        std::pair<std::vector<std::wstring>, bool> made[2];
        for (LANGID language : {kJapanese, kEnglish}) {
            auto [tmpl, size] = Resource(RT_DIALOG, MAKEINTRESOURCEW(id), language);
            ASSERT_NE(tmpl, nullptr) << "dialog " << id;
            HWND dialog = ::CreateDialogIndirectParamW(
                nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(tmpl), parent, &QuietProc, 0);
            made[language == kEnglish] = Controls(dialog);
            ::DestroyWindow(dialog);
        }
        EXPECT_EQ(made[0].first, made[1].first) << "dialog " << id;
        EXPECT_TRUE(made[0].second && !made[1].second) << "dialog " << id;
    }
    ::DestroyWindow(parent);
}

namespace {
INT_PTR CALLBACK FittingProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        FitLabelsToText(dialog);
    }
    return msg == WM_INITDIALOG;
}
} // namespace

// Both pages in both languages, in the sheet's font (that of the system's
// sheet template) at 96 DPI and half as large again, as at 144: every label
// shows its whole text.
TEST(FitLabelsToText, EveryLabelOfBothPagesFitsAt96And144Dpi) {
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    HRSRC info = ::FindResourceW(comctl, MAKEINTRESOURCEW(1006), RT_DIALOG);
    fw::DialogFont font;
    ASSERT_TRUE(
        fw::ReadDialogFont(static_cast<const BYTE*>(::LockResource(::LoadResource(comctl, info))),
                           ::SizeofResource(comctl, info), font));
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 800, nullptr, nullptr,
                                    nullptr, nullptr);
    for (auto [page, labels] : {std::make_pair(IDD_PAGE1, 14), std::make_pair(IDD_PAGE2, 3)}) {
        for (LANGID language : {kJapanese, kEnglish}) {
            auto [tmpl, size] = Resource(RT_DIALOG, MAKEINTRESOURCEW(page), language);
            ASSERT_NE(tmpl, nullptr);
            for (WORD points : {font.pointSize, WORD(font.pointSize * 3 / 2)}) {
                std::vector<BYTE> changed =
                    fw::WithDialogFont(tmpl, size, fw::DialogFont{font.face, points});
                HWND dialog = ::CreateDialogIndirectParamW(
                    nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(changed.data()), parent,
                    &FittingProc, 0);
                ASSERT_NE(dialog, nullptr);
                int seen = 0;
                for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
                     child = ::GetWindow(child, GW_HWNDNEXT)) {
                    wchar_t name[16] = {};
                    ::GetClassNameW(child, name, 16);
                    const LONG type = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
                    const int id = ::GetDlgCtrlID(child);
                    if (lstrcmpiW(name, L"Static") != 0 &&
                        (lstrcmpiW(name, L"Button") != 0 || type != BS_AUTOCHECKBOX)) {
                        continue;
                    }
                    ++seen;
                    // The template puts "Alt" and "Win" 24 units right of
                    // these two: no room for the box and the word, which
                    // cannot wrap.
                    if (id == IDC_CHECK_CTRL || id == IDC_CHECK_SHIFT) {
                        continue;
                    }
                    RECT client{};
                    ::GetClientRect(child, &client);
                    const SIZE text = LabelTextExtent(child);
                    EXPECT_TRUE(text.cx <= client.right && text.cy <= client.bottom)
                        << "page " << page << " in " << language << ", " << points
                        << " points, label " << seen << ": " << text.cx << " x " << text.cy
                        << " in " << client.right << " x " << client.bottom;
                }
                EXPECT_EQ(seen, labels);
                ::DestroyWindow(dialog);
            }
        }
    }
    ::DestroyWindow(parent);
}
