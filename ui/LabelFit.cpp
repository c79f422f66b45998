#include "ui/LabelFit.h"

#include "fw/Dc.h"
#include "fw/Dpi.h"
#include "fw/Handles.h"
#include "ui/core/LabelFit.h"

#include <string>
#include <vector>

namespace {

enum class LabelKind { None, Static, CheckBox, Group };

LabelKind KindOf(HWND control) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (lstrcmpiW(name, L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP
                   ? LabelKind::Static
                   : LabelKind::None;
    }
    if (lstrcmpiW(name, L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return LabelKind::CheckBox;
        case BS_GROUPBOX: return LabelKind::Group;
        }
    }
    return LabelKind::None;
}

// The check box and the gap before its text: the box is 13 pixels at 96 DPI,
// the gap half an average character.
int BoxAllowance(HWND control, HDC dc) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    return fw::ScaleForDpi(13, fw::DpiForWindow(control)) + metrics.tmAveCharWidth / 2;
}

LabelBox BoxInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

SIZE LabelTextExtent(HWND label, int width) {
    const LabelKind kind = KindOf(label);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(label, &text[0], static_cast<int>(text.size()))));
    if (width == 0) {
        RECT client{};
        ::GetClientRect(label, &client);
        width = client.right;
    }
    fw::CClientDC dc(label);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    fw::SelectedObject selected(dc.m_hDC, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    const int allowance = kind == LabelKind::CheckBox ? BoxAllowance(label, dc.m_hDC) : 0;
    UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    if (kind == LabelKind::Static && (::GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX) != 0) {
        format |= DT_NOPREFIX;
    }
    RECT rect{0, 0, width - allowance, 0};
    ::DrawTextW(dc.m_hDC, text.c_str(), static_cast<int>(text.size()), &rect, format);
    return {rect.right + allowance, rect.bottom};
}

void FitLabelsToText(HWND dialog) {
    std::vector<std::pair<HWND, LabelBox>> controls;
    std::vector<LabelBox> groups;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        // The page itself is not shown yet: its children's own style tells.
        if ((::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) {
            continue;
        }
        if (KindOf(child) == LabelKind::Group) {
            groups.push_back(BoxInParent(child));
        } else {
            controls.emplace_back(child, BoxInParent(child));
        }
    }
    RECT page{};
    ::GetClientRect(dialog, &page);
    const int margin = fw::ScaleForDpi(4, fw::DpiForWindow(dialog));
    for (const auto& [label, box] : controls) {
        if (KindOf(label) == LabelKind::None) {
            continue;
        }
        const int width = box.right - box.left;
        const int height = box.bottom - box.top;
        const SIZE oneLine = LabelTextExtent(label, SHRT_MAX);
        if (oneLine.cx <= width && oneLine.cy <= height) {
            continue;
        }
        std::vector<LabelBox> others;
        for (const auto& [other, otherBox] : controls) {
            if (other != label) {
                others.push_back(otherBox);
            }
        }
        const int limit = LabelRightLimit(box, others, groups, page.right - margin, margin);
        int newWidth = oneLine.cx <= limit - box.left ? oneLine.cx : limit - box.left;
        newWidth = newWidth > width ? newWidth : width;
        int newHeight = height;
        int newTop = box.top;
        if (oneLine.cx > newWidth) {
            if (KindOf(label) == LabelKind::CheckBox) {
                ::SetWindowLongW(label, GWL_STYLE,
                                 ::GetWindowLongW(label, GWL_STYLE) | BS_MULTILINE);
            }
            const SIZE wrapped = LabelTextExtent(label, newWidth);
            newHeight = wrapped.cy > height ? wrapped.cy : height;
            // A label low in its frame grows upwards: below, the frame's
            // line or the page's edge would cut its last line.
            const int bottom = LabelBottomLimit(box, groups, page.bottom, margin);
            if (newTop + newHeight > bottom) {
                newTop = bottom - newHeight;
            }
        }
        ::SetWindowPos(label, nullptr, box.left, newTop, newWidth, newHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
