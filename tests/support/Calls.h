// The call log every fake of the tests writes, and how a fake reports a call
// that breaks its interface's rules.
#pragma once

#include <string>
#include <vector>

using Calls = std::vector<std::string>;

// Each program that uses a fake defines it: a test failure, or an abort.
void ReportFakeFault(const std::string& what);

// UTF-8, so that a log line can hold a key's or a message's text.
inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        const auto u = static_cast<unsigned long>(c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x110000) {
            out += static_cast<char>(0xF0 | (u >> 18));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}
