#include "settings/ProfileText.h"

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
