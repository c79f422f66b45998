// Changing the font of a real dialog template: the copy must still make the
// same dialog, with every control in place.
#include "fw/DialogTemplate.h"
#include "ui/LabelFit.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

namespace {

std::pair<const BYTE*, size_t> Page1Template() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(IDD_PAGE1), MAKEINTRESOURCEW(5));
    if (info == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<const BYTE*>(::LockResource(::LoadResource(module, info))),
            ::SizeofResource(module, info)};
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
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

namespace {
INT_PTR CALLBACK FittingProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        FitLabelsToText(dialog);
    }
    return msg == WM_INITDIALOG;
}
} // namespace

// Both pages in the sheet's font (that of the system's sheet template) at 96
// DPI and half as large again, as at 144: every label shows its whole text.
TEST(FitLabelsToText, EveryLabelOfBothPagesFitsAt96And144Dpi) {
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    HRSRC sheet = ::FindResourceW(comctl, MAKEINTRESOURCEW(1006), MAKEINTRESOURCEW(5));
    fw::DialogFont font;
    ASSERT_TRUE(
        fw::ReadDialogFont(static_cast<const BYTE*>(::LockResource(::LoadResource(comctl, sheet))),
                           ::SizeofResource(comctl, sheet), font));
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 800, nullptr, nullptr,
                                    nullptr, nullptr);
    for (auto [page, labels] : {std::make_pair(IDD_PAGE1, 14), std::make_pair(IDD_PAGE2, 2)}) {
        HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(page), MAKEINTRESOURCEW(5));
        const auto* tmpl = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, info)));
        for (WORD points : {font.pointSize, WORD(font.pointSize * 3 / 2)}) {
            std::vector<BYTE> changed = fw::WithDialogFont(tmpl, ::SizeofResource(nullptr, info),
                                                           fw::DialogFont{font.face, points});
            HWND dialog = ::CreateDialogIndirectParamW(
                nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(changed.data()), parent, &FittingProc,
                0);
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
                // The template puts "Alt" and "Win" 24 units right of these
                // two: no room for the box and the word, which cannot wrap.
                if (id == IDC_CHECK_CTRL || id == IDC_CHECK_SHIFT) {
                    continue;
                }
                RECT client{};
                ::GetClientRect(child, &client);
                const SIZE text = LabelTextExtent(child);
                EXPECT_TRUE(text.cx <= client.right && text.cy <= client.bottom)
                    << "page " << page << ", " << points << " points, label " << seen << ": "
                    << text.cx << " x " << text.cy << " in " << client.right << " x "
                    << client.bottom;
            }
            EXPECT_EQ(seen, labels);
            ::DestroyWindow(dialog);
        }
    }
    ::DestroyWindow(parent);
}
