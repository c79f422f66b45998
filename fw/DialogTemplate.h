// Reading and changing the font of dialog templates in memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

struct DialogFont {
    std::wstring face;
    WORD pointSize = 0;
};

// The font a template asks for; false when it names none or is malformed.
bool ReadDialogFont(const BYTE* tmpl, size_t size, DialogFont& font);

// A copy of an extended template (DIALOGEX) with its font replaced; empty
// when the template is not an extended one with a font.
std::vector<BYTE> WithDialogFont(const BYTE* tmpl, size_t size, const DialogFont& font);

} // namespace fw
