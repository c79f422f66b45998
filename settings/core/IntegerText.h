// How setting values are read as integers.
#pragma once

#include <string>

// The leading decimal integer of text: white space and one sign may precede
// the digits, reading stops at the first other character, text without
// digits is 0. Values beyond the 32-bit range saturate rather than wrap, so
// an over-long number in the file cannot turn into an unrelated value.
int ParseSettingInt(const std::wstring& text);

// Plain decimal, a negative number with its minus sign.
std::wstring FormatSettingInt(int value);
