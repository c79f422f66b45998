// What the private-profile functions can do with a file's bytes.
#pragma once

#include <string>
#include <string_view>

// Whether a write through the private-profile functions keeps everything the
// file holds. Some implementations (Wine's among them) rewrite the whole file
// from the text they parsed, and that text ends at a NUL character: whatever
// follows a NUL on its line would be lost, and a UTF-16 file without a
// byte-order mark, read as 8-bit text, is full of them. A UTF-16 file with
// its mark is read as such; there a NUL character counts, not a NUL byte,
// and so does a last byte that makes no whole character.
bool ProfileSurvivesRewrite(std::string_view bytes);

// What to write so that the private-profile functions read back exactly
// text. They drop blanks around a value and one pair of matching quotes, so
// a value that begins or ends with either is written inside quotes.
std::wstring ProfileTextReadingAs(const std::wstring& text);
