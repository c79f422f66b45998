#include "settings/core/ProfileText.h"

bool ProfileSurvivesRewrite(std::string_view bytes) {
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (!utf16) {
        return bytes.find('\0') == std::string_view::npos;
    }
    // A last odd byte is no character and would not be written back.
    if (bytes.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 2; i < bytes.size(); i += 2) {
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
            return false;
        }
    }
    return true;
}

namespace {

// Generous: quoting a value that would have survived costs nothing.
bool MayBeDropped(wchar_t c) {
    return c <= L' ' || c == L'"' || c == L'\'' || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

} // namespace

std::wstring ProfileTextReadingAs(const std::wstring& text) {
    if (text.empty() || (!MayBeDropped(text.front()) && !MayBeDropped(text.back()))) {
        return text;
    }
    return L'"' + text + L'"';
}
